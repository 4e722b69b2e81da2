#include "results/ResultSheet.h"

#include "app/UserInterface.h"
#include "data/DataLibrary.h"
#include "engine/ChangeLog.h"
#include "engine/Statement.h"
#include "engine/Transaction.h"
#include "results/Weighting.h"

#include <QLocale>

#include <cmath>

const QString ResultSheet::NumberMessage =
    QStringLiteral("Geben Sie bitte in alle Felder eine Zahl ein.");
const QString ResultSheet::AllPointsQuestion =
    QStringLiteral("Sie haben bei allen Posten die Punkte eingegeben. Soll das Team auf "
                   "\"Fertig\" gesetzt werden?");

namespace {

QLocale numberLocale()
{
    // Thousands separators are neither shown nor read: "1.500" in a German cell is a typing
    // error, not fifteen hundred.
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

bool isWeighted(ResultSheet::Field field)
{
    return field == ResultSheet::Points || field == ResultSheet::AddPoints;
}

double weightOf(const ResultSheet::Row &row, ResultSheet::Field field)
{
    return isWeighted(field) ? row.Faktor : 1.0;
}

double storedFor(const ResultSheet::Row &row, ResultSheet::Field field, double entered)
{
    return Weighting::stored(entered, row.stored[field], weightOf(row, field));
}

// What the operator was shown when the sheet was opened.
QString shownText(const ResultSheet::Row &row, ResultSheet::Field field)
{
    return ResultSheet::formatNumber(Weighting::shown(row.stored[field], weightOf(row, field)));
}

} // namespace

QString ResultSheet::Row::key() const
{
    return QString::number(AnlassNr) + QLatin1Char('@') + QString::number(PostenNr)
        + QLatin1Char('$') + QString::number(TeamNr);
}

double ResultSheet::Row::value(Field field) const
{
    return storedFor(*this, field, entered[field]);
}

QString ResultSheet::notANumberError(const QString &text)
{
    return QStringLiteral("\u201E%1\u201C ist keine Zahl. Schreiben Sie zum Beispiel 7,5 oder 7.5.")
        .arg(text);
}

ResultSheet::ResultSheet(DataLibrary &data) : m_data(data)
{ }

QString ResultSheet::formatNumber(double value)
{
    return numberLocale().toString(value + 0.0, 'f', 2); // + 0.0: no "-0,00"
}

std::optional<double> ResultSheet::parseNumber(const QString &text)
{
    // Comma and point both separate the decimals, whatever the locale says: a keypad
    // types a point, a German keyboard a comma, and "7.5" in a de_DE locale must not turn
    // into 75. A second separator is a typing error, never a thousands separator.
    QString t = text.trimmed();
    t.replace(u',', u'.');
    if (t.isEmpty() || t.count(u'.') > 1)
        return std::nullopt;
    bool digits = false;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (c.isDigit() && c.unicode() < 128)
            digits = true;
        else if (!(c == u'.' || ((c == u'-' || c == u'+') && i == 0)))
            return std::nullopt;
    }
    if (!digits)
        return std::nullopt;
    // "7," is seven and ",5" a half: the digits beside a lone separator are zeros.
    if (t.endsWith(u'.'))
        t.append(u'0');
    const qsizetype point = t.indexOf(u'.');
    if (point == 0 || (point == 1 && !t.at(0).isDigit()))
        t.insert(point, u'0');
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString ResultSheet::formatTotal(double value)
{
    if (!std::isfinite(value) || value == 0)
        return formatNumber(value);
    const int exponent = int(std::floor(std::log10(std::fabs(value))));
    if (exponent >= 7)
        return numberLocale().toString(value, 'E', 6);
    const double scale = std::pow(10.0, 6 - exponent);
    return formatNumber(std::round(value * scale) / scale);
}

void ResultSheet::reset()
{
    m_rows.clear();
    m_showAddGame = false;
}

void ResultSheet::Load(const ParticipantRow &participant, bool eventHasAddGame)
{
    m_isTeam = participant.CalcTyp == 1;
    m_groupPlaysAddGame = false;
    if (m_isTeam) {
        m_groupBoxCaption = QStringLiteral("Ergebnisse von ") + participant.CalcFullName
            + QStringLiteral(" und ") + participant.Hund;
        m_checkBox1Caption =
            QStringLiteral("&Alle Ergebisse sind bei diesem Team eingegeben (Team ist fertig)");
        m_checkBox2Caption = QStringLiteral("Alle Ergebisse des &Zusatzspiels sind bei diesem "
                                            "Team eingegeben (Team ist fertig)");
        BuildTeamGrid(participant.TeamNr, eventHasAddGame && participant.Zusatzspiel);
    } else {
        m_groupBoxCaption = QStringLiteral("Ergebnisse der Gruppe ") + participant.CalcFullName;
        m_checkBox1Caption =
            QStringLiteral("&Alle Ergebisse sind bei dieser Gruppe eingegeben (Gruppe ist fertig)");
        m_checkBox2Caption = QStringLiteral("Alle Ergebisse des &Zusatzspiels sind bei dieser "
                                            "Gruppe eingegeben (Gruppe ist fertig)");
        BuildGroupGrid(participant.TeamNr, eventHasAddGame);
    }
    m_initialFinished = participant.Abgeschlossen;
    m_initialAddGameFinished = participant.ZusatzAbgeschlossen;
}

void ResultSheet::BuildTeamGrid(int teamNr, bool showAddGame)
{
    m_isTeam = true;
    reset();
    m_showAddGame = showAddGame;
    Statement s(
        m_data.db(),
        QStringList{
            QStringLiteral("SELECT p.AnlassNr, p.PostenNr, p.TeamNr, p.Punkte, p.Zeit,"),
            QStringLiteral(
                "       p.ZusatzspielPunkte, p.ZusatzspielZeit, po.PostenBez, po.Faktor"),
            QStringLiteral("FROM Parcours p LEFT JOIN Posten po ON po.PostenNr = p.PostenNr"),
            QStringLiteral("WHERE p.AnlassNr = :AnlassNr AND p.TeamNr = :TeamNr"),
            QStringLiteral("ORDER BY p.PostenNr")});
    s.bind("AnlassNr", m_data.CurrentAnlassNr).bind("TeamNr", teamNr);
    appendRows(s, false);
}

void ResultSheet::BuildGroupGrid(int groupNr, bool eventHasAddGame)
{
    m_isTeam = false;
    reset();
    m_groupPlaysAddGame = m_data.AnyMemberPlaysAddGame(groupNr);
    m_showAddGame = eventHasAddGame && m_groupPlaysAddGame;
    // The members in the order of the membership table, each with its rows by post; a
    // member without rows in this event adds none.
    Statement s(
        m_data.db(),
        QStringList{
            QStringLiteral("SELECT p.AnlassNr, p.PostenNr, p.TeamNr, p.Punkte, p.Zeit,"),
            QStringLiteral(
                "       p.ZusatzspielPunkte, p.ZusatzspielZeit, po.PostenBez, po.Faktor,"),
            QStringLiteral("       t.TeamNr AS MemberNr, t.Name, t.Vorname"),
            QStringLiteral("FROM TeamsProGruppe g"),
            QStringLiteral("JOIN Parcours p ON p.AnlassNr = :AnlassNr AND p.TeamNr = g.TeamNr"),
            QStringLiteral("LEFT JOIN Posten po ON po.PostenNr = p.PostenNr"),
            QStringLiteral("LEFT JOIN Team t ON t.TeamNr = g.TeamNr"),
            QStringLiteral("WHERE g.GruppenNr = :GruppenNr"),
            QStringLiteral("ORDER BY g.GruppenNr, g.TeamNr, p.PostenNr")});
    s.bind("AnlassNr", m_data.CurrentAnlassNr).bind("GruppenNr", groupNr);
    appendRows(s, true);
}

void ResultSheet::appendRows(Statement &s, bool withMembers)
{
    int previousTeamNr = 0;
    while (s.next()) {
        Row row;
        row.AnlassNr = int(s.integer("AnlassNr"));
        row.PostenNr = int(s.integer("PostenNr"));
        row.TeamNr = int(s.integer("TeamNr"));
        row.posten = s.text("PostenBez");
        row.Faktor = s.real("Faktor");
        row.stored = {s.real("Punkte"), s.real("Zeit"), s.real("ZusatzspielPunkte"),
                      s.real("ZusatzspielZeit")};
        for (int f = 0; f < FieldCount; ++f)
            row.entered[f] = Weighting::shown(row.stored[f], weightOf(row, Field(f)));
        if (withMembers && (m_rows.isEmpty() || row.TeamNr != previousTeamNr)
            && !s.value("MemberNr").isNull())
            row.member = DataLibrary::CalcFullName(s.text("Name"), s.text("Vorname")).left(50);
        previousTeamNr = row.TeamNr;
        m_rows.append(row);
    }
}

ResultGridLayout ResultSheet::layout() const
{
    ResultGridLayout l;
    if (m_isTeam && m_showAddGame)
        l = {6, {191, 60, 60, 60, 60, 60}, 200, {270, 330, 400, 460}, 65, 291};
    else if (m_isTeam)
        l = {4, {313, 60, 60, 60}, 300, {395, 455}, 45, 311};
    else if (m_showAddGame)
        l = {7, {103, 100, 54, 54, 54, 54, 54}, 150, {280, 335, 390, 445}, 65, 291};
    else
        l = {5, {160, 135, 60, 60, 60}, 300, {378, 440}, 45, 311};
    return l;
}

std::optional<ResultSheet::Field> ResultSheet::fieldAt(int column) const
{
    const int f = column - columnOf(Points);
    if (f < 0 || f >= FieldCount)
        return std::nullopt;
    return Field(f);
}

QStringList ResultSheet::headings() const
{
    QStringList h;
    if (!m_isTeam)
        h << QStringLiteral(" Wer");
    h << QStringLiteral(" Posten") << QStringLiteral(" Faktor") << QStringLiteral(" Punkte")
      << QStringLiteral(" Zeit");
    // The additional columns get their headings only when they are shown.
    if (m_showAddGame)
        h << QStringLiteral(" Z-Punkte") << QStringLiteral(" Z-Zeit");
    else
        h << QString() << QString();
    h << QStringLiteral(" Key");
    return h;
}

bool ResultSheet::isColumnShown(int column) const
{
    return column >= 0 && column < layout().visibleColumns;
}

bool ResultSheet::takesCursor(int column) const
{
    return column >= firstCursorColumn() && isColumnShown(column);
}

QString ResultSheet::cell(int row, int column) const
{
    const Row &r = m_rows.at(row);
    if (const std::optional<Field> f = fieldAt(column))
        return formatNumber(r.entered[*f]);
    if (column == keyColumn())
        return r.key();
    if (!m_isTeam && column == 0)
        return r.member;
    if (column == columnOffset())
        return r.posten;
    if (column == columnOffset() + 1)
        return formatNumber(r.factor()); // the factor the totals and the store use
    return {};
}

bool ResultSheet::isShown(Field field) const
{
    return field == Points || field == Time || m_showAddGame;
}

bool ResultSheet::setValue(int row, Field field, double value)
{
    if (row < 0 || row >= rowCount() || !isShown(field) || !std::isfinite(value))
        return false;
    Row &r = m_rows[row];
    if (!std::isfinite(storedFor(r, field, value)))
        return false;
    r.entered[field] = value;
    return true;
}

double ResultSheet::sum(Field field) const
{
    double s = 0;
    for (const Row &r : m_rows)
        s += r.value(field);
    return s;
}

ResultTotals ResultSheet::totals() const
{
    ResultTotals t;
    t.points = sum(Points);
    t.time = sum(Time);
    if (m_showAddGame) {
        t.addPoints = sum(AddPoints);
        t.addTime = sum(AddTime);
    }
    return t;
}

bool ResultSheet::AllPointsEntered() const
{
    // Judged by what the operator sees: a stored remainder shown as "0,00" is no points.
    int entered = 0;
    for (const Row &r : m_rows) {
        double points = r.entered[Points];
        if (points == Weighting::shown(r.stored[Points], r.Faktor))
            points = std::round(points * 100) / 100;
        if (points != 0)
            ++entered;
    }
    return entered == rowCount();
}

namespace {

const char *const FieldColumns[ResultSheet::FieldCount] = {"Punkte", "Zeit", "ZusatzspielPunkte",
                                                           "ZusatzspielZeit"};

const char *const FieldCaptions[ResultSheet::FieldCount] = {"Punkte", "Zeit", "Z-Punkte", "Z-Zeit"};

} // namespace

QString ResultSheet::overwriteQuestion(const QStringList &cells)
{
    return QStringLiteral("Während dieses Fenster offen war, wurden diese Werte anderswo (an "
                          "einem Posten) geändert:\n\n")
        + cells.join(QLatin1Char('\n'))
        + QStringLiteral("\n\nSollen Ihre Eingaben sie überschreiben? Mit \"Nein\" bleiben "
                         "diese Werte, wie sie jetzt sind; Ihre übrigen Eingaben werden "
                         "gespeichert.");
}

QStringList ResultSheet::changedMeanwhile(QList<std::pair<int, Field>> &cells) const
{
    Statement read(m_data.db(),
                   QStringLiteral("SELECT Punkte, Zeit, ZusatzspielPunkte, ZusatzspielZeit FROM "
                                  "Parcours WHERE AnlassNr = :AnlassNr AND PostenNr = :PostenNr "
                                  "AND TeamNr = :TeamNr"));
    QStringList lines;
    QList<std::pair<int, Field>> meanwhile;
    for (const auto &[i, f] : cells) {
        const Row &r = m_rows.at(i);
        read.reset();
        read.bind("AnlassNr", r.AnlassNr).bind("PostenNr", r.PostenNr).bind("TeamNr", r.TeamNr);
        if (!read.next())
            continue;
        const double now = read.real(int(f));
        if (now == r.stored[f])
            continue;
        meanwhile.append({i, f});
        const double shownNow = isWeighted(f) ? Weighting::shown(now, r.Faktor) : now;
        QString where = r.posten;
        if (!m_isTeam) {
            int first = i;
            while (first > 0 && m_rows.at(first - 1).TeamNr == r.TeamNr)
                --first;
            if (!m_rows.at(first).member.isEmpty())
                where += QStringLiteral(" (") + m_rows.at(first).member + QLatin1Char(')');
        }
        lines << QStringLiteral("%1, %2: geöffnet mit %3, jetzt %4, Ihre Eingabe %5")
                     .arg(where, QLatin1String(FieldCaptions[f]), shownText(r, f),
                          formatNumber(shownNow), formatNumber(r.entered[f]));
    }
    cells = meanwhile;
    return lines;
}

void ResultSheet::SaveResults(UserInterface &ui, bool &finished)
{
    if (AllPointsEntered() && !finished)
        finished = ui.askYesNo(AllPointsQuestion);
    // Only the cells the operator changed are written: a value a post stored while the
    // dialog was open stays, unless the operator typed over that very cell and confirms.
    QList<std::pair<int, Field>> changed;
    for (int i = 0; i < rowCount(); ++i) {
        for (int f = 0; f < FieldCount; ++f) {
            if (value(i, Field(f)) != m_rows.at(i).stored[f])
                changed.append({i, Field(f)});
        }
    }
    QList<std::pair<int, Field>> meanwhile = changed;
    const QStringList lines = changedMeanwhile(meanwhile);
    // Asked before the transaction: a question must never hold the write lock.
    if (!lines.isEmpty() && !ui.askYesNo(overwriteQuestion(lines))) {
        changed.removeIf(
            [&meanwhile](const std::pair<int, Field> &cell) { return meanwhile.contains(cell); });
    }
    if (changed.isEmpty())
        return;
    Transaction transaction(m_data.db());
    ChangeSource source(m_data.db(), ChangeLog::ResultEntry);
    for (const auto &[i, f] : changed) {
        const Row &r = m_rows.at(i);
        Statement update(m_data.db(),
                         QStringLiteral("UPDATE Parcours SET %1 = :Value WHERE AnlassNr = "
                                        ":AnlassNr AND PostenNr = :PostenNr AND TeamNr = :TeamNr")
                             .arg(QLatin1String(FieldColumns[f])));
        update.bind("Value", value(i, f));
        update.bind("AnlassNr", r.AnlassNr).bind("PostenNr", r.PostenNr).bind("TeamNr", r.TeamNr);
        update.exec();
    }
    transaction.commit();
}
