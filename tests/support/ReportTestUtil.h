#pragma once

#include "reportengine/ReportDefinition.h"

#include <QImage>
#include <QList>
#include <QPair>
#include <QRect>
#include <QString>
#include <QStringList>

// Fixtures and measurements shared by the report engine tests.
namespace ReportTestUtil {

// A rank-list-like A4 report: title band 26.7 mm (title, subtitle, headings, rule), a page
// header of 5 mm, detail rows of 4.8 mm with nine fields, a 10 mm summary and a 6.6 mm footer
// ("Velunda 3.00 - https://example", right-aligned). Rows are numbered from 1; row i has
// "Name i" and points i * 1.5.
Report::ReportDocument rankListDocument(int rows);

// A blank A4 page with one band of the given kind holding the elements.
Report::ReportDocument singleBandDocument(const QList<Report::Element> &elements,
                                          Report::BandKind kind = Report::BandKind::Title,
                                          double bandHeight = 50);

Report::Element label(const QString &text, double left, double top, double width = 0,
                      double pointSize = 10);

// The smallest rectangle holding every non-white pixel inside area (the whole image when
// area is null); a null rectangle when there is none.
QRect inkBounds(const QImage &image, const QRect &area = QRect());
// The horizontal runs [first, last] of columns that hold ink inside area.
QList<QPair<int, int>> inkColumnRuns(const QImage &image, const QRect &area);

int mmToPixels(double mm, double dpi);
QRect mmRect(double left, double top, double width, double height, double dpi);

// Runs a tool with arguments and returns its standard output; a null string when it could
// not be started or failed.
QString runTool(const QString &program, const QStringList &arguments);
bool hasTool(const QString &program);
int pdfPageCount(const QString &fileName); // from pdfinfo, else counted page objects
QByteArray unzipEntry(const QString &zipFile, const QString &entry);

} // namespace ReportTestUtil
