#pragma once

#include "reportengine/ReportDefinition.h"

#include <QList>
#include <QPageLayout>
#include <QSizeF>

#include <functional>
#include <memory>

class QFont;
class QImage;
class QIODevice;
class QPainter;
class QPrinter;
class QRectF;

namespace Render {

// Lays a report out on pages once, when it is constructed, and then paints any page on any
// device. Preview, printing and every page export go through paintPage(), so what the
// operator sees is what is printed. The renderer keeps its own copy of the document; change
// the definition first, then construct the renderer. Needs a QGuiApplication (fonts).
class ReportRenderer
{
public:
    // Called before each page is printed with its number (from 1) and the number of pages
    // printed; returning false cancels the job.
    using Progress = std::function<bool(int page, int pageCount)>;

    struct PlacedBand
    {
        int band = -1; // index into document().bands
        int row = -1; // the data row its fields show; -1 when the dataset is empty
        double top = 0; // millimetres from the top edge of the page
    };

    explicit ReportRenderer(const Report::ReportDocument &document);
    ~ReportRenderer();
    ReportRenderer(const ReportRenderer &) = delete;
    ReportRenderer &operator=(const ReportRenderer &) = delete;

    const Report::ReportDocument &document() const;
    int pageCount() const;
    QSizeF pageSize() const; // millimetres
    QList<PlacedBand> bandsOnPage(int page) const;

    // The text a Label, Field or ReportTitle element shows for a data row (-1: none).
    QString elementText(const Report::Element &element, int row) const;

    // Paints a page with its top-left corner at the painter's origin, at true size for the
    // painter's device resolution.
    void paintPage(QPainter *painter, int page) const;
    // Paints a page scaled into target (in the painter's coordinates).
    void paintPage(QPainter *painter, int page, const QRectF &target) const;
    QImage renderPage(int page, double dpi) const;

    // Both throw ExportError; the named file is replaced only when it was written completely.
    void writePdf(const QString &fileName) const;
    void writePdf(QIODevice *device, const QString &fileName) const;

    // Prints on the printer's current settings with the document's page size, straight
    // without a dialog. Returns false when progress cancelled it; throws PrintError.
    bool print(QPrinter *printer, const Progress &progress = {}) const;

    // The family really used for a requested one: "Arial" falls back to its metric twin
    // "Liberation Sans" where Arial is missing, an unknown family to the standard sans font.
    static QString resolvedFamily(const QString &family);
    // The font painted for a spec, sized in the renderer's internal units (1/100 mm).
    static QFont resolvedFont(const Report::FontSpec &spec);
    // The page a writer or printer needs for a document's page setup, without margins (the
    // renderer places everything itself).
    static QPageLayout pageLayoutFor(const Report::PageSetup &page);

private:
    struct Private;
    std::unique_ptr<Private> m_d;
};

} // namespace Render
