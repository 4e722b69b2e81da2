#include "reports/StartListReport.h"

#include "app/Competition.h"
#include "app/UserInterface.h"
#include "data/DataLibrary.h"
#include "engine/Statement.h"
#include "ranking/Ranking.h"
#include "reports/ReportElements.h"
#include "reports/ReportFooter.h"

#include <QHash>

namespace {

using namespace Report;

// The member's name stands this far right of its group's.
constexpr double MemberIndent = 4.0;

using ReportElements::arial;
using ReportElements::rule;
using ReportElements::text;

Element field(const QString &name, double left, double width, Align align = Align::Left)
{
    return ReportElements::field(name, left, width, align, QString(), 9, 4.2);
}

struct Column
{
    const char *heading;
    const char *field;
    double left;
    double width;
};

// Start number right-aligned, then name, dog, breed, club and category.
const Column Columns[] = {
    {"StrNr.", "StartNr", 0.0, 10.0},  {"Name", "CalcName", 13.0, 50.0},
    {"Hund", "Hund", 64.0, 30.0},      {"Rasse", "Rasse", 95.0, 30.0},
    {"Verein", "Verein", 126.0, 40.0}, {"Kategorie", "Kategorie", 167.0, 23.0},
};

} // namespace

StartListReport::StartListReport(Competition &competition)
    : m_competition(competition), m_document(layout())
{ }

ReportDocument StartListReport::layout()
{
    ReportDocument doc;

    Band title;
    title.kind = BandKind::Title;
    title.height = 20.0;
    title.elements.append(ReportElements::reportTitle());
    Element subtitle = ReportElements::centred(QStringLiteral("Subtitle"), 12.5, arial(11, true));
    title.elements.append(subtitle);
    doc.bands.append(title);

    // The headings on every page: a start list is read page by page at the start.
    Band header;
    header.kind = BandKind::PageHeader;
    header.height = 7.0;
    for (const Column &c : Columns) {
        Element heading = text(QStringLiteral("Heading") + QLatin1String(c.field),
                               QLatin1String(c.heading), c.left, 1.0, arial(9, true));
        if (QLatin1String(c.field) == QLatin1String("StartNr")) {
            heading.width = c.width;
            heading.align = Align::Right;
        }
        header.elements.append(heading);
    }
    header.elements.append(rule(6.0));
    doc.bands.append(header);

    Band detail;
    detail.kind = BandKind::Detail;
    detail.height = 5.2;
    for (const Column &c : Columns) {
        detail.elements.append(
            field(QLatin1String(c.field), c.left, c.width,
                  QLatin1String(c.field) == QLatin1String("StartNr") ? Align::Right : Align::Left));
    }
    detail.elements.append(field(QStringLiteral("MemberName"), Columns[1].left + MemberIndent,
                                 Columns[1].width - MemberIndent));
    Element line = rule(5.0);
    line.penWidth = 0.1;
    detail.elements.append(line);
    doc.bands.append(detail);

    Band footer;
    footer.kind = BandKind::PageFooter;
    footer.height = 6.6;
    footer.elements.append(rule(0.5));
    Element footerText = text(QStringLiteral("Footer"), QString(), 0, 1.9, arial(7));
    footerText.align = Align::Right;
    footer.elements.append(footerText);
    doc.bands.append(footer);

    doc.data.columns = QStringList{QStringLiteral("StartNr"),    QStringLiteral("TeamNr"),
                                   QStringLiteral("IsMember"),   QStringLiteral("CalcName"),
                                   QStringLiteral("MemberName"), QStringLiteral("ExportName"),
                                   QStringLiteral("Hund"),       QStringLiteral("Rasse"),
                                   QStringLiteral("Verein"),     QStringLiteral("Kategorie")};
    // The exports have one name column; a member's name is indented there by two blanks.
    for (const Column &c : Columns) {
        const QString name = QLatin1String(c.field);
        doc.exportColumns.append(
            {QLatin1String(c.heading),
             name == QLatin1String("CalcName") ? QStringLiteral("ExportName") : name, QString(),
             name == QLatin1String("StartNr") ? Align::Right : Align::Left});
    }
    return doc;
}

void StartListReport::PrepareStartList(int katNr)
{
    DataLibrary &data = m_competition.data();
    const EventRow event = m_competition.event().value_or(EventRow());
    const QString subtitle = katNr > 0
        ? QStringLiteral("Startliste der Kategorie ") + data.CategoryName(katNr)
        : QStringLiteral("Startliste");
    m_document.title = event.AnlassBez;
    m_document.titleLines = QStringList{event.AnlassBez, subtitle};
    m_document.element(QStringLiteral("Subtitle"))->text = subtitle;
    m_document.element(QStringLiteral("Footer"))->text = reportFooterText();

    const auto row = [](qint64 startNr, qint64 teamNr, bool member, const QString &name,
                        const Statement &s) {
        return QVariantList{startNr,
                            teamNr,
                            member,
                            member ? QString() : name,
                            member ? name : QString(),
                            member ? QStringLiteral("  ") + name : name,
                            s.text("Hund"),
                            s.text("Rasse"),
                            s.text("Verein"),
                            s.text("KatBez")};
    };
    const QString teamColumns =
        QStringLiteral("t.TeamNr, t.Name, t.Vorname, t.Hund, t.Rasse, t.Verein, k.KatBez");

    // Every group's members in the order of the membership table, read at once.
    QHash<int, QList<QVariantList>> members;
    Statement m(data.db(),
                QStringList{QStringLiteral("SELECT g.GruppenNr, ") + teamColumns,
                            QStringLiteral("FROM TeamsProGruppe g JOIN Team t ON t.TeamNr = "
                                           "g.TeamNr"),
                            QStringLiteral("LEFT JOIN Kategorie k ON k.KatNr = t.KatNr"),
                            QStringLiteral("WHERE g.GruppenNr IN (SELECT TeamNr FROM "
                                           "TeamsProAnlass"),
                            QStringLiteral("    WHERE AnlassNr = :AnlassNr AND IsGroup <> 0)"),
                            QStringLiteral("ORDER BY g.GruppenNr, g.TeamNr")});
    m.bind("AnlassNr", event.AnlassNr);
    while (m.next()) {
        members[int(m.integer("GruppenNr"))].append(
            row(0, m.integer("TeamNr"), true,
                DataLibrary::CalcFullName(m.text("Name"), m.text("Vorname")), m));
    }

    QStringList lines{QStringLiteral("SELECT e.StartNr, e.IsGroup, ") + teamColumns,
                      QStringLiteral("FROM TeamsProAnlass e JOIN Team t ON t.TeamNr = e.TeamNr"),
                      QStringLiteral("LEFT JOIN Kategorie k ON k.KatNr = t.KatNr"),
                      QStringLiteral("WHERE e.AnlassNr = :AnlassNr AND e.GroupNr = 0")};
    if (katNr > 0)
        lines << QStringLiteral("  AND t.KatNr = :KatNr");
    lines << QStringLiteral("ORDER BY e.StartNr, e.TeamNr");
    Statement s(data.db(), lines);
    s.bind("AnlassNr", event.AnlassNr);
    if (katNr > 0)
        s.bind("KatNr", katNr);
    Dataset &rows = m_document.data;
    rows.rows.clear();
    while (s.next()) {
        const qint64 startNr = s.integer("StartNr");
        const int teamNr = int(s.integer("TeamNr"));
        rows.rows.append(row(startNr, teamNr, false,
                             DataLibrary::CalcFullName(s.text("Name"), s.text("Vorname")), s));
        if (!s.boolean("IsGroup"))
            continue;
        // The members share their group's start number.
        for (QVariantList member : members.value(teamNr)) {
            member[0] = startNr;
            rows.rows.append(member);
        }
    }
}

void StartListReport::OutputStartList(bool toPrinter)
{
    if (!m_competition.event())
        return;
    UserInterface &ui = m_competition.ui();
    const RankListChoice categories = m_competition.ranking().FillCategoryChoice();
    int index = categories.categoryIndex;
    if (!ui.chooseItem(QStringLiteral("Startliste"), QStringLiteral("&Kategorie:"),
                       categories.categoryItems, index))
        return;
    RankListChoice chosen = categories;
    chosen.categoryIndex = index;
    {
        BusyCursor busy(ui);
        PrepareStartList(Ranking::categoryNumber(chosen));
    }
    if (toPrinter)
        ui.printReport(m_document, true);
    else
        ui.previewReport(m_document);
}
