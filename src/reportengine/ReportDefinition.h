#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// A report is a page setup, bands of placed elements and the rows of data the detail band
// repeats over. It is plain data so that the domain code can build and test it without a
// window; velunda_render lays it out and paints it. All lengths are millimetres, measured
// from the left edge of the printable area and from the top of the band.
namespace Report {

struct FontSpec
{
    QString family = QStringLiteral("Arial");
    double pointSize = 8.0;
    bool bold = false;
    bool italic = false;
};

enum class Align { Left, Center, Right };

enum class ElementKind {
    Label, // fixed text (caption)
    Field, // value of a data column of the current row, through an optional format
    ReportTitle, // the report's title
    Line, // horizontal line from (left, top) over width; height is ignored
    Rect, // rectangle frame
    Image, // the QImage in a data column of the current row, scaled to (width, height)
};

struct Element
{
    QString name; // for lookup and tests; may be empty
    ElementKind kind = ElementKind::Label;
    double left = 0;
    double top = 0;
    // 0 for labels and titles: the text is not clipped and is aligned within [left, right edge
    // of the band], so a left-aligned text is as wide as it is and Align::Right puts it at the
    // band's right edge; a line of width 0 runs from left to the band's right edge.
    double width = 0;
    double height = 0;
    QString text; // Label: the caption
    QString field; // Field: the data column's name
    // Field: "0.00" gives two decimals in the user's locale ("0", "0.0", "0.000" likewise);
    // empty: as is
    QString format;
    FontSpec font;
    Align align = Align::Left;
    bool centerOnBand = false; // centred horizontally on the band, ignoring left and width
    bool wrap = false; // text wraps within width (or the band) instead of one line
    bool visible = true;
    double penWidth = 0.2; // lines and rectangles
};

enum class BandKind { Title, PageHeader, Detail, Summary, PageFooter };

struct Band
{
    BandKind kind = BandKind::Detail;
    double height = 0;
    bool visible = true;
    QList<Element> elements;

    Element *element(const QString &name);
    const Element *element(const QString &name) const;
};

enum class Orientation { Portrait, Landscape };

struct PageSetup
{
    double width = 210.0;
    double height = 297.0;
    double marginLeft = 10.0;
    double marginRight = 10.0;
    double marginTop = 10.0;
    double marginBottom = 10.0;

    double printableWidth() const { return width - marginLeft - marginRight; }
    double printableHeight() const { return height - marginTop - marginBottom; }
    Orientation orientation() const;
    void setOrientation(Orientation orientation); // swaps width and height when it changes
};

// What the data exports (HTML, ODT, text, CSV, xlsx) write: the title lines, then one
// column per entry with its heading, in this order.
struct ExportColumn
{
    QString heading;
    QString field;
    QString format;
    Align align = Align::Left;
};

struct Dataset
{
    QStringList columns;
    QList<QVariantList> rows;

    int columnIndex(const QString &name) const { return columns.indexOf(name); }
    QVariant value(int row, const QString &name) const;
};

struct ReportDocument
{
    QString title; // shown by ReportTitle elements, the preview's caption, the print job
    QStringList titleLines; // for the data exports: title, subtitle, ...
    PageSetup page;
    QList<Band> bands;
    QList<ExportColumn> exportColumns;
    Dataset data;

    Band *band(BandKind kind);
    const Band *band(BandKind kind) const;
    Element *element(const QString &name); // first element of that name in any band
    const Element *element(const QString &name) const;
};

// The text a Field shows for a value under a format; shared by painting and export so
// that both show the same.
QString formatValue(const QVariant &value, const QString &format);

// The number of decimals a format of the form "0", "0.00", ... asks for; -1 for any other.
int formatDecimals(const QString &format);

} // namespace Report
