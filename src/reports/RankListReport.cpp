#include "reports/RankListReport.h"

#include "app/Competition.h"
#include "data/DataLibrary.h"
#include "engine/ChangeLog.h"
#include "engine/Statement.h"
#include "engine/Transaction.h"
#include "reports/ReportElements.h"
#include "reports/ReportFooter.h"

namespace {

using namespace Report;

const QString PointsFirst = QStringLiteral("Punkte / Zeit");
const QString TimeFirst = QStringLiteral("Zeit / Punkte");
constexpr double LeadingValueLeft = 174.6;
constexpr double TrailingValueLeft = 185.7;

using ReportElements::arial;
using ReportElements::rule;
using ReportElements::text;

Element field(const QString &name, double left, double width, Align align,
              const QString &format = QString())
{
    return ReportElements::field(name, left, width, align, format, 8, 4.0);
}

} // namespace

RankListReport::RankListReport(Competition &competition)
    : m_competition(competition), m_document(layout())
{ }

ReportDocument RankListReport::layout()
{
    ReportDocument doc;
    doc.page.marginTop = 10;
    doc.page.marginBottom = 10;
    doc.page.marginLeft = 6;
    doc.page.marginRight = 6;

    Band title;
    title.kind = BandKind::Title;
    title.height = 26.7;
    title.elements.append(ReportElements::reportTitle());
    Element subtitle = ReportElements::centred(QStringLiteral("Subtitle"), 13.2, arial(11, true));
    subtitle.wrap = true;
    title.elements.append(subtitle);
    const QList<QPair<QString, double>> headings{
        {QStringLiteral("Rang"), 0.5},       {QStringLiteral("StrNr."), 9.8},
        {QStringLiteral("Name"), 20.4},      {QStringLiteral("Verein"), 56.1},
        {QStringLiteral("Hund"), 93.1},      {QStringLiteral("Rasse"), 124.9},
        {QStringLiteral("Kategorie"), 155.3}};
    for (const auto &[caption, left] : headings)
        title.elements.append(
            text(QStringLiteral("Heading") + caption, caption, left, 21.4, arial(8, true)));
    title.elements.append(
        text(QStringLiteral("ValueHeading"), PointsFirst, 177.0, 21.4, arial(8, true)));
    title.elements.append(rule(26.5));
    doc.bands.append(title);

    Band detail;
    detail.kind = BandKind::Detail;
    detail.height = 4.8;
    detail.elements = {field(QStringLiteral("Rang"), 0.5, 6.3, Align::Right),
                       field(QStringLiteral("StartNr"), 8.5, 9.0, Align::Right),
                       field(QStringLiteral("CalcFullName"), 20.4, 34.1, Align::Left),
                       field(QStringLiteral("CalcVerein"), 56.1, 35.5, Align::Left),
                       field(QStringLiteral("CalcHund"), 93.1, 30.2, Align::Left),
                       field(QStringLiteral("CalcRasse"), 124.9, 28.8, Align::Left),
                       field(QStringLiteral("CalcKategorie"), 155.3, 18.0, Align::Left),
                       field(QStringLiteral("Punkte"), LeadingValueLeft, 10.6, Align::Right,
                             QStringLiteral("0.00")),
                       field(QStringLiteral("Zeit"), TrailingValueLeft, 10.6, Align::Right,
                             QStringLiteral("0.00")),
                       rule(4.5)};
    doc.bands.append(detail);

    Band footer;
    footer.kind = BandKind::PageFooter;
    footer.height = 6.6;
    footer.elements.append(rule(0.5));
    Element footerText = text(QStringLiteral("Footer"), QString(), 0, 1.9, arial(7));
    footerText.align = Align::Right;
    footer.elements.append(footerText);
    doc.bands.append(footer);

    doc.data.columns =
        QStringList{QStringLiteral("Rang"),          QStringLiteral("TeamNr"),
                    QStringLiteral("StartNr"),       QStringLiteral("KatNr"),
                    QStringLiteral("Punkte"),        QStringLiteral("Zeit"),
                    QStringLiteral("Abgeschlossen"), QStringLiteral("CalcFullName"),
                    QStringLiteral("CalcVerein"),    QStringLiteral("CalcHund"),
                    QStringLiteral("CalcRasse"),     QStringLiteral("CalcKategorie")};
    return doc;
}

void RankListReport::PrepareRankList(int katNr, int kind, bool groupList, bool withPrinted)
{
    const EventRow event = m_competition.event().value_or(EventRow());
    DataLibrary &data = m_competition.data();

    m_document.title = event.AnlassBez;
    m_document.element(QStringLiteral("Footer"))->text = reportFooterText();
    const QString method = QLatin1Char('"') + event.CalcRangberechnung() + QLatin1Char('"');
    QString subtitle;
    switch (kind) {
    case Normal:
        subtitle = (groupList ? QStringLiteral("Gruppen-Rangliste sortiert ")
                              : QStringLiteral("Einzel-Rangliste sortiert "))
            + method;
        break;
    case AddGame:
        subtitle = event.ZusatzspielName + QStringLiteral(" - Rangliste sortiert ") + method;
        break;
    case Both:
        subtitle = QStringLiteral("Kombinierte Rangliste sortiert ") + method;
        break;
    default:
        break;
    }
    m_document.element(QStringLiteral("Subtitle"))->text = subtitle;
    m_document.titleLines = QStringList{m_document.title, subtitle};
    ArrangeValueColumns();

    // Rang 0 is the empty rank of rows the numbering passed over; they are not listed.
    // 999 marks a participant that has not finished, but in a field of a thousand the
    // 999th finished one gets that number too, and those behind it higher ones: beyond 998
    // the participant's own finish (a member's through its group, as the numbering decides
    // it) tells them apart, so that no finished participant drops off a long list.
    const QString finished =
        kind == AddGame ? QStringLiteral("ZusatzAbgeschlossen") : QStringLiteral("Abgeschlossen");
    QStringList lines{
        QStringLiteral("select Rang.Rang, Rang.TeamNr, Teams.StartNr, Rang.KatNr, Rang.Punkte,"),
        QStringLiteral("       Rang.Zeit, Teams.Abgeschlossen, t.Name, t.Vorname, t.Verein,"),
        QStringLiteral("       t.Hund, t.Rasse, k.KatBez"),
        QStringLiteral("from \"Rang\" Rang, \"TeamsProAnlass\" Teams"),
        QStringLiteral("left join Team t on t.TeamNr = Rang.TeamNr"),
        QStringLiteral("left join Kategorie k on k.KatNr = Rang.KatNr"),
        QStringLiteral("left join \"TeamsProAnlass\" grp on grp.AnlassNr = Teams.AnlassNr"),
        QStringLiteral("       and Teams.GroupNr <> 0 and grp.TeamNr = Teams.GroupNr"),
        QStringLiteral(" where Rang.TeamNr = Teams.TeamNr and Teams.AnlassNr = ")
            + QString::number(event.AnlassNr),
        QStringLiteral(" and Rang.Rang > 0 and (Rang.Rang < 999 or (case when Teams.GroupNr = 0"),
        QStringLiteral("      then Teams.") + finished + QStringLiteral(" else coalesce(grp.")
            + finished + QStringLiteral(", 0) end) <> 0)")};
    if (katNr > 0)
        lines << QStringLiteral(" and Rang.KatNr = ") + QString::number(katNr);
    const QString mainGame = withPrinted
        ? QStringLiteral(" and Teams.Abgeschlossen = True")
        : QStringLiteral(" and Teams.Abgeschlossen = True and Teams.RangBerechnet = False");
    const QString addGame = withPrinted
        ? QStringLiteral(" and Teams.ZusatzAbgeschlossen = True")
        : QStringLiteral(
            " and Teams.ZusatzAbgeschlossen = True and Teams.ZusatzRangBerechnet = False");
    if (kind == Normal || kind == Both)
        lines << mainGame;
    if (kind == AddGame || kind == Both)
        lines << addGame;
    // Equal ranks keep the order in which the rank table was filled.
    lines << QStringLiteral(" order by Rang.Rang, Rang.rowid");

    Dataset &rows = m_document.data;
    rows.rows.clear();
    Statement s(data.db(), lines);
    while (s.next()) {
        rows.rows.append(QVariantList{
            s.integer(0), s.integer(1), s.integer(2), s.integer(3), s.real(4), s.real(5),
            s.boolean(6), DataLibrary::CalcFullName(s.text(7), s.text(8)).left(60),
            s.text(9).left(50), s.text(10).left(30), s.text(11).left(30), s.text(12).left(20)});
    }
    m_currentRow = 0;
}

void RankListReport::ArrangeValueColumns()
{
    const QString method =
        m_competition.event() ? m_competition.event()->Rangberechnung : QString();
    const bool pointsFirst =
        method == QLatin1String("Punkte/Zeit") || method == QLatin1String("Nach Punkten");
    m_document.element(QStringLiteral("ValueHeading"))->text =
        pointsFirst ? PointsFirst : TimeFirst;
    m_document.element(QStringLiteral("Punkte"))->left =
        pointsFirst ? LeadingValueLeft : TrailingValueLeft;
    m_document.element(QStringLiteral("Zeit"))->left =
        pointsFirst ? TrailingValueLeft : LeadingValueLeft;

    QList<ExportColumn> columns{
        {QStringLiteral("Rang"), QStringLiteral("Rang"), QString(), Align::Right},
        {QStringLiteral("StrNr."), QStringLiteral("StartNr"), QString(), Align::Right},
        {QStringLiteral("Name"), QStringLiteral("CalcFullName"), QString(), Align::Left},
        {QStringLiteral("Verein"), QStringLiteral("CalcVerein"), QString(), Align::Left},
        {QStringLiteral("Hund"), QStringLiteral("CalcHund"), QString(), Align::Left},
        {QStringLiteral("Rasse"), QStringLiteral("CalcRasse"), QString(), Align::Left},
        {QStringLiteral("Kategorie"), QStringLiteral("CalcKategorie"), QString(), Align::Left}};
    const ExportColumn points{QStringLiteral("Punkte"), QStringLiteral("Punkte"),
                              QStringLiteral("0.00"), Align::Right};
    const ExportColumn time{QStringLiteral("Zeit"), QStringLiteral("Zeit"), QStringLiteral("0.00"),
                            Align::Right};
    columns << (pointsFirst ? points : time) << (pointsFirst ? time : points);
    m_document.exportColumns = columns;
}

void RankListReport::MarkListedPrinted(bool additionalGame)
{
    Transaction transaction(m_competition.data().db());
    ChangeSource source(m_competition.data().db(), ChangeLog::RankList);
    const int teamColumn = m_document.data.columnIndex(QStringLiteral("TeamNr"));
    for (; m_currentRow < m_document.data.rows.size(); ++m_currentRow)
        MarkEntryPrinted(m_document.data.rows.at(m_currentRow).at(teamColumn).toInt(),
                         additionalGame);
    transaction.commit();
}

void RankListReport::MarkEntryPrinted(int teamNr, bool additionalGame)
{
    Statement s(m_competition.data().db(),
                additionalGame ? QStringLiteral("UPDATE TeamsProAnlass SET ZusatzRangBerechnet = 1 "
                                                "WHERE AnlassNr = :AnlassNr AND TeamNr = :TeamNr")
                               : QStringLiteral("UPDATE TeamsProAnlass SET RangBerechnet = 1 "
                                                "WHERE AnlassNr = :AnlassNr AND TeamNr = :TeamNr"));
    s.bind("AnlassNr", m_competition.CurrentAnlassNr()).bind("TeamNr", teamNr);
    s.exec();
}
