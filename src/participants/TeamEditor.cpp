#include "participants/TeamEditor.h"

#include "app/Competition.h"
#include "app/UserInterface.h"
#include "data/DataLibrary.h"
#include "engine/Statement.h"
#include "engine/Transaction.h"
#include "participants/Entries.h"
#include "participants/StartNumbers.h"
#include "reports/Scorecards.h"

TeamEditor::TeamEditor(Competition &competition) : m_competition(competition)
{ }

bool TeamEditor::PrepareRecord()
{
    DataLibrary &data = m_competition.data();
    if (mode == QLatin1Char('M') && TeamNr > 0) {
        const std::optional<TeamRow> existing = data.ReadTeam(TeamNr);
        if (!existing)
            return false;
        m_record = *existing;
        return true;
    }
    m_record = TeamRow();
    m_record.Typ = kind == QLatin1Char('G') ? 2 : 1;
    m_record.StartNr = data.NextStartNr();
    return true;
}

bool TeamEditor::printOnSaveEnabled() const
{
    return m_competition.EntryMode;
}

bool TeamEditor::addGameEnabled() const
{
    return m_competition.hasAddGame();
}

QString TeamEditor::startNrMessage()
{
    return QStringLiteral("Die Startnummer muss eine ganze Zahl von 0 bis %1 sein.")
        .arg(MaxStartNr);
}

bool TeamEditor::parseStartNr(const QString &text, int &startNr, int max)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        startNr = 0;
        return true;
    }
    for (QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    bool ok = false;
    const qlonglong value = t.toLongLong(&ok);
    if (!ok || value > max)
        return false;
    startNr = int(value);
    return true;
}

bool TeamEditor::ValidateInput(TeamInput &input)
{
    if (input.Name.trimmed().isEmpty())
        input.Name = QStringLiteral("0");
    bool categoryShown = false;
    for (const CategoryRow &c : m_competition.data().Categories())
        categoryShown = categoryShown || (input.KatNr != 0 && c.KatNr == input.KatNr);
    if (kind == QLatin1Char('G'))
        return !input.Name.isEmpty() && categoryShown;
    return !input.Name.isEmpty() && !input.Vorname.isEmpty() && !input.Hund.isEmpty()
        && !input.Rasse.isEmpty() && categoryShown;
}

TeamEditor::SaveResult TeamEditor::Save(TeamInput &input)
{
    UserInterface &ui = m_competition.ui();
    if (!ValidateInput(input)) {
        ui.information(QStringLiteral("Füllen Sie bitte alle Felder aus."));
        return SaveResult::Refused;
    }
    int startNr = 0;
    if (!parseStartNr(input.StartNr, startNr)) {
        ui.information(startNrMessage());
        return SaveResult::Refused;
    }

    TeamRow row = m_record;
    row.StartNr = startNr;
    row.Name = input.Name;
    row.Verein = input.Verein;
    row.KatNr = input.KatNr;
    // A group keeps what the team layout alone shows; the box is locked without an
    // additional game, and a locked box changes nothing.
    if (kind != QLatin1Char('G')) {
        row.Vorname = input.Vorname;
        row.Hund = input.Hund;
        row.Rasse = input.Rasse;
        if (addGameEnabled())
            row.Zusatzspiel = input.Zusatzspiel;
    }

    DataLibrary &data = m_competition.data();
    const bool entering = m_competition.EntryMode;
    {
        Transaction transaction(data.db());
        data.SaveTeam(row);
        if (entering)
            m_competition.entries().EnterParticipant(m_competition.CurrentAnlassNr(), row.TeamNr,
                                                     false, 0);
        else
            m_competition.startNumbers().SetEntryStartNr(row.TeamNr, row.StartNr);
        transaction.commit();
    }
    m_record = row;
    TeamNr = row.TeamNr;
    if (!entering)
        return SaveResult::Saved;
    if (input.printOnSave)
        m_competition.scorecards().OutputScorecards(true, row.TeamNr);
    PrepareRecord();
    return SaveResult::Entered;
}

QStringList TeamEditor::distinctValues(const char *column)
{
    const QString c = QLatin1String(column);
    Statement s(m_competition.data().db(),
                QStringLiteral("select ") + c + QStringLiteral(" from Team group by ") + c
                    + QStringLiteral(" order by ") + c);
    QStringList values;
    while (s.next())
        values << s.text(0);
    return values;
}

QStringList TeamEditor::ClubList()
{
    return distinctValues("Verein");
}

QStringList TeamEditor::BreedList()
{
    return distinctValues("Rasse");
}
