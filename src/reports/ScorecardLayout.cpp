#include "reports/ScorecardLayout.h"

#include "reports/ReportFooter.h"

#include <array>

using Report::Align;
using Report::Band;
using Report::BandKind;
using Report::Element;
using Report::ElementKind;

namespace {

// Top edges in screen units.
constexpr double TitleTop = 15;
constexpr double StartNrBoxTop = 35;
constexpr double StartNrBoxSize = 65;
// Puts the digits of 24 pt in the middle of the box, measured on Arial's cap height.
constexpr double StartNrTextTop = 50;
constexpr double HeadingTop = 55;
constexpr double CategoryTop = 86;
constexpr double AddGameNameTop = 96;
constexpr double ColumnHeadingTop = 116;
constexpr double FirstHeadingLeft = 27;
constexpr double RowTextLeft = 25;
constexpr double RowTextTop = 17;
constexpr double TotalLeft = 320;
constexpr double TotalTop = 24;
constexpr double TotalBoxTop = 5;
constexpr double FooterTextTop = 5;

constexpr double NameBoxWithAddGame = 400;
constexpr double ValueBoxWithAddGame = 65;
constexpr double NameBoxWithout = 430;
constexpr double ValueBoxWithout = 84;

// The value columns in print order; the last two belong to the additional game.
struct ValueColumn
{
    const char *heading;
    const char *box;
    const char *total;
};
constexpr std::array<ValueColumn, 5> ValueColumns{{
    {"PunkteHeading", "PunkteBox", "TotalPunkteBox"},
    {"ZeitHeading", "ZeitBox", "TotalZeitBox"},
    {"VisumHeading", "VisumBox", "TotalVisumBox"},
    {"AddPunkteHeading", "AddPunkteBox", "TotalAddPunkteBox"},
    {"AddZeitHeading", "AddZeitBox", "TotalAddZeitBox"},
}};
constexpr int AddGameColumn = 3;

double mm(double screenUnits)
{
    return ScorecardLayout::mm(screenUnits);
}

Element text(const char *name, ElementKind kind, const QString &caption, double left, double top,
             double pointSize, bool bold)
{
    Element e;
    e.name = QLatin1String(name);
    e.kind = kind;
    e.text = caption;
    e.left = mm(left);
    e.top = mm(top);
    e.font.pointSize = pointSize;
    e.font.bold = bold;
    return e;
}

Element label(const char *name, const QString &caption, double left, double top, double pointSize,
              bool bold = true)
{
    return text(name, ElementKind::Label, caption, left, top, pointSize, bold);
}

Element box(const char *name, double left, double top, double width, double height)
{
    Element e;
    e.name = QLatin1String(name);
    e.kind = ElementKind::Rect;
    e.left = mm(left);
    e.top = mm(top);
    e.width = mm(width);
    e.height = mm(height);
    return e;
}

Element heading(const char *name, const QString &caption, double top)
{
    Element e = label(name, caption, 0, top, 10);
    e.align = Align::Center;
    return e;
}

Band pageHeader(const QString &firstHeading)
{
    Band band;
    band.kind = BandKind::PageHeader;
    band.height = mm(ScorecardLayout::HeaderHeight);
    Element title = text("Title", ElementKind::ReportTitle, QString(), 0, TitleTop, 16, true);
    title.centerOnBand = true;
    band.elements << title;
    band.elements << label("StartNrLabel", QStringLiteral("StartNr"), ScorecardLayout::NameBoxLeft,
                           TitleTop, 10);
    band.elements << box("StartNrBox", ScorecardLayout::NameBoxLeft, StartNrBoxTop, StartNrBoxSize,
                         StartNrBoxSize);
    Element startNr = label("StartNr", QString(), ScorecardLayout::NameBoxLeft, StartNrTextTop, 24);
    startNr.width = mm(StartNrBoxSize);
    startNr.align = Align::Center;
    band.elements << startNr;
    Element headingLine = label("HeadingLine", QString(), 0, HeadingTop, 11);
    headingLine.centerOnBand = true;
    band.elements << headingLine;
    Element categoryLine = label("CategoryLine", QString(), 0, CategoryTop, 10);
    categoryLine.centerOnBand = true;
    band.elements << categoryLine;
    band.elements << label("FirstHeading", firstHeading, FirstHeadingLeft, ColumnHeadingTop, 10);
    band.elements << heading("PunkteHeading", QStringLiteral("Punkte"), ColumnHeadingTop);
    band.elements << heading("ZeitHeading", QStringLiteral("Zeit"), ColumnHeadingTop);
    band.elements << heading("VisumHeading", QStringLiteral("Visum"), ColumnHeadingTop);
    band.elements << heading("AddGameNameHeading", QString(), AddGameNameTop);
    band.elements << heading("AddPunkteHeading", QStringLiteral("Punkte"), ColumnHeadingTop);
    band.elements << heading("AddZeitHeading", QStringLiteral("Zeit"), ColumnHeadingTop);
    return band;
}

Band detail(const QString &rowField)
{
    Band band;
    band.kind = BandKind::Detail;
    band.height = mm(ScorecardLayout::DetailHeight);
    band.elements << box("NameBox", ScorecardLayout::NameBoxLeft, 0, NameBoxWithout,
                         ScorecardLayout::DetailHeight);
    Element row = text("RowText", ElementKind::Field, QString(), RowTextLeft, RowTextTop, 12, true);
    row.field = rowField;
    band.elements << row;
    for (const ValueColumn &column : ValueColumns)
        band.elements << box(column.box, 0, 0, ValueBoxWithout, ScorecardLayout::DetailHeight);
    return band;
}

Band summary()
{
    Band band;
    band.kind = BandKind::Summary;
    band.height = mm(ScorecardLayout::SummaryHeight);
    band.elements << label("TotalLabel", QStringLiteral("Total"), TotalLeft, TotalTop, 12);
    for (const ValueColumn &column : ValueColumns)
        band.elements << box(column.total, 0, TotalBoxTop, ValueBoxWithout,
                             ScorecardLayout::DetailHeight);
    return band;
}

Band pageFooter()
{
    Band band;
    band.kind = BandKind::PageFooter;
    band.height = mm(ScorecardLayout::FooterHeight);
    Element rule;
    rule.name = QStringLiteral("FooterLine");
    rule.kind = ElementKind::Line;
    band.elements << rule;
    Element footer = label("FooterText", reportFooterText(), 0, FooterTextTop, 7, false);
    footer.align = Align::Right;
    band.elements << footer;
    return band;
}

} // namespace

Report::ReportDocument ScorecardLayout::create(const QString &firstHeading, const QString &rowField)
{
    Report::ReportDocument document;
    document.page = Report::PageSetup(); // A4 portrait, 10 mm on every side
    document.bands << pageHeader(firstHeading) << detail(rowField) << summary() << pageFooter();
    arrangeColumns(document, false, QString());
    return document;
}

void ScorecardLayout::arrangeColumns(Report::ReportDocument &document, bool withAddGame,
                                     const QString &addGameName)
{
    const double nameBox = withAddGame ? NameBoxWithAddGame : NameBoxWithout;
    const double valueBox = withAddGame ? ValueBoxWithAddGame : ValueBoxWithout;
    const int shown = withAddGame ? int(ValueColumns.size()) : AddGameColumn;

    Element *name = document.element(QStringLiteral("NameBox"));
    name->width = mm(nameBox);
    // The text stays inside its box, with the same gap on the right as on the left.
    document.element(QStringLiteral("RowText"))->width =
        mm(nameBox - 2 * (RowTextLeft - NameBoxLeft));

    for (int i = 0; i < int(ValueColumns.size()); ++i) {
        const double left = mm(NameBoxLeft + nameBox + i * valueBox);
        const bool visible = i < shown;
        for (const char *elementName :
             {ValueColumns[i].heading, ValueColumns[i].box, ValueColumns[i].total}) {
            Element *e = document.element(QLatin1String(elementName));
            e->left = left;
            e->width = mm(valueBox);
            e->visible = visible;
        }
    }

    // Centred over the fourth box, but as wide as three: a box is narrower than "Zusatzspiel".
    Element *addGame = document.element(QStringLiteral("AddGameNameHeading"));
    addGame->text = addGameName;
    addGame->left = mm(NameBoxLeft + nameBox + (AddGameColumn - 1) * valueBox);
    addGame->width = mm(3 * valueBox);
    addGame->visible = withAddGame;

    const Element *first = document.element(QStringLiteral("FirstHeading"));
    const Element *row = document.element(QStringLiteral("RowText"));
    document.exportColumns = {{first->text, row->field, QString(), Align::Left},
                              {QStringLiteral("Punkte"), QString(), QString(), Align::Left},
                              {QStringLiteral("Zeit"), QString(), QString(), Align::Left},
                              {QStringLiteral("Visum"), QString(), QString(), Align::Left}};
    if (withAddGame) {
        document.exportColumns.append(
            {addGameName + QStringLiteral(" Punkte"), QString(), QString(), Align::Left});
        document.exportColumns.append(
            {addGameName + QStringLiteral(" Zeit"), QString(), QString(), Align::Left});
    }
}

void ScorecardLayout::updateTitleLines(Report::ReportDocument &document)
{
    QStringList lines{document.title};
    for (const char *name : {"HeadingLine", "CategoryLine"}) {
        const Element *e = document.element(QLatin1String(name));
        if (e->visible && !e->text.isEmpty())
            lines << e->text;
    }
    const Element *startNr = document.element(QStringLiteral("StartNr"));
    if (startNr->visible && !startNr->text.isEmpty())
        lines << QStringLiteral("StartNr: ") + startNr->text;
    document.titleLines = lines;
}
