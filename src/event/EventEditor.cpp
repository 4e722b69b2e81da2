#include "event/EventEditor.h"

#include "app/Competition.h"
#include "app/Guard.h"
#include "app/UserInterface.h"
#include "data/DataLibrary.h"
#include "engine/Statement.h"
#include "engine/Transaction.h"
#include "participants/StartNumbers.h"

#include <QLocale>

namespace {

constexpr int NameLength = 50; // AnlassBez and ZusatzspielName

} // namespace

EventEditor::EventEditor(Competition &competition) : m_competition(competition)
{ }

QStringList EventEditor::rankMethods()
{
    return {QStringLiteral("Nach Punkten"), QStringLiteral("Nach Zeit"),
            QStringLiteral("Punkte/Zeit"), QStringLiteral("Zeit/Punkte")};
}

bool EventEditor::pointsSortEnabled(const QString &method)
{
    return method != QLatin1String("Nach Zeit");
}

bool EventEditor::timeSortEnabled(const QString &method)
{
    return method != QLatin1String("Nach Punkten");
}

EventInput EventEditor::FormShow()
{
    return creating() ? PrepareNewEvent() : PrepareEditEvent();
}

EventInput EventEditor::PrepareNewEvent()
{
    m_anlassNr = 0;
    EventInput input;
    input.clearStartNumbers = true;
    input.posts = LoadPostList();
    return input;
}

EventInput EventEditor::PrepareEditEvent()
{
    EventInput input;
    const std::optional<EventRow> &event = m_competition.event();
    m_anlassNr = event ? event->AnlassNr : 0;
    if (!event)
        return input;
    input.AnlassBez = event->AnlassBez;
    input.Rangberechnung = event->Rangberechnung;
    input.PunkteSort = event->PunkteSort;
    input.ZeitSort = event->ZeitSort;
    input.AutoRangBerechnung = event->AutoRangBerechnung;
    input.RangBerNachTeams = QString::number(event->RangBerNachTeams);
    input.Zusatzspiel = event->Zusatzspiel;
    input.ZusatzspielName = event->ZusatzspielName;
    return input;
}

QList<PostChoice> EventEditor::LoadPostList()
{
    QList<PostChoice> items;
    for (const PostRow &post : m_competition.data().Posts())
        items << PostChoice{post.PostenNr, post.PostenBez, post.Aktiv};
    return items;
}

bool EventEditor::parseTeamCount(const QString &text, int &count)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        count = 0;
        return true;
    }
    bool ok = false;
    int value = QLocale().toInt(t, &ok);
    if (!ok)
        value = t.toInt(&ok);
    // A count of teams is never negative, and the column holds at most 32767.
    if (!ok || value < 0 || value > 32767)
        return false;
    count = value;
    return true;
}

bool EventEditor::validate(const EventInput &input, int &teamCount)
{
    UserInterface &ui = m_competition.ui();
    if (input.AnlassBez.trimmed().isEmpty() || input.Rangberechnung.trimmed().isEmpty()) {
        ui.information(
            QStringLiteral("Geben Sie bitte einen Namen und/oder eine Rangberechnung ein."));
        return false;
    }
    const bool countOk = parseTeamCount(input.RangBerNachTeams, teamCount);
    // "00" is as much no count as "0".
    if (input.AutoRangBerechnung
        && (input.RangBerNachTeams.trimmed().isEmpty() || (countOk && teamCount == 0))) {
        ui.information(QStringLiteral(
            "Sie lassen die Ränge nach einer bestimmten Anzahl Teams automatisch berechnen. "
            "Geben Sie deshalb bitte auch die Anzahl Teams an."));
        return false;
    }
    if (!countOk) {
        ui.information(QStringLiteral("Geben Sie bitte bei \"Nach Anzahl abgeschlossenen Teams:\" "
                                      "eine ganze Zahl von 0 bis 32767 ein."));
        return false;
    }
    if (input.AnlassBez.size() > NameLength || input.ZusatzspielName.size() > NameLength) {
        ui.information(
            QStringLiteral("Ein Name darf höchstens %1 Zeichen lang sein.").arg(NameLength));
        return false;
    }
    // Without a direction the rank order has no sort key for that quantity, and the rank
    // lists would come out in the order the participants were entered.
    const auto chosen = [](int code) {
        return code == 1 || code == 2;
    };
    const bool pointsMissing = pointsSortEnabled(input.Rangberechnung) && !chosen(input.PunkteSort);
    const bool timeMissing = timeSortEnabled(input.Rangberechnung) && !chosen(input.ZeitSort);
    if (pointsMissing || timeMissing) {
        const QString points = QStringLiteral("\"Punktesortierung\"");
        const QString time = QStringLiteral("\"Zeitsortierung\"");
        const QString where = pointsMissing && timeMissing ? points + QStringLiteral(" und ") + time
            : pointsMissing                                ? points
                                                           : time;
        ui.information(
            QStringLiteral("Wählen Sie bitte bei %1 \"Absteigend\" oder \"Aufsteigend\".")
                .arg(where));
        return false;
    }
    return true;
}

bool EventEditor::SaveBtnClick(const EventInput &input)
{
    int teamCount = 0;
    if (!validate(input, teamCount))
        return false;
    if (!creating() && m_anlassNr == 0)
        return false; // nothing to edit: there is no event
    SaveEvent(input, teamCount);
    return true;
}

void EventEditor::SaveEvent(const EventInput &input, int teamCount)
{
    DataLibrary &data = m_competition.data();
    EventRow row;
    row.AnlassNr = creating() ? 0 : m_anlassNr;
    row.AnlassBez = input.AnlassBez;
    row.Rangberechnung = input.Rangberechnung;
    row.PunkteSort = input.PunkteSort;
    row.ZeitSort = input.ZeitSort;
    row.AutoRangBerechnung = input.AutoRangBerechnung;
    row.RangBerNachTeams = teamCount;
    row.Zusatzspiel = input.Zusatzspiel;
    row.ZusatzspielName = input.ZusatzspielName;
    {
        // A new event and its posts are one change: an error leaves both as they were.
        Transaction transaction(data.db());
        data.SaveEvent(row);
        if (creating())
            SavePostSelection(input.posts);
        transaction.commit();
    }
    data.CurrentAnlassNr = row.AnlassNr;
    m_anlassNr = row.AnlassNr;
    m_competition.ApplyAutoRankLayout(row.AutoRangBerechnung);
    if (creating() && input.clearStartNumbers
        && m_competition.ui().askYesNo(QStringLiteral(
            "Wollen Sie wirklich die Startnummer der Teams dieses Anlasses auf Null setzen?"))) {
        // The event is stored by now; a failed reset must not keep the dialog open, or a
        // second "Speichern" would create the event twice.
        guarded(m_competition.ui(), [this] { m_competition.startNumbers().ClearStartNumbers(); });
    }
}

void EventEditor::SavePostSelection(const QList<PostChoice> &posts)
{
    // Posts deleted since the list was loaded match no row and are skipped.
    Statement update(m_competition.data().db(),
                     QStringLiteral("UPDATE Posten SET Aktiv = :Aktiv WHERE PostenNr = :PostenNr"));
    for (const PostChoice &post : posts) {
        update.reset();
        update.bind("Aktiv", post.checked).bind("PostenNr", post.PostenNr);
        update.exec();
    }
}
