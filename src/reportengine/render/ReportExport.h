#pragma once

#include "reportengine/ReportDefinition.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace Render {

class ReportRenderer;

enum class ExportFormat {
    Pdf, // all pages in one file
    Png, // page images: see ReportExport::pageFileNames
    Jpeg, //   "
    Bmp, //   "
    Svg, // one vector file per page, named like the images
    Html, // the data formats hold the title lines and the export columns' table
    Xhtml, //   "
    Odt, //   "
    Text, //   "
    Csv, //   semicolon separated, UTF-8 with byte order mark (Excel reads it as UTF-8)
    Xlsx, //   numbers stay numbers, shown in the column's format
};

struct ExportOptions
{
    double imageDpi = 150; // PNG, JPEG, BMP
    int jpegQuality = 90;
};

// Saves a report to a file. Every export throws ExportError with a German message naming the
// file when it cannot be written, and leaves the target as it was: each file is written to a
// temporary file beside it and renamed only when complete, and a page export that fails on a
// later page removes the pages it already wrote.
//
// Page images and SVG: a one-page report writes exactly the given file name; a report of more
// pages writes one file per page with the page number before the suffix, "list.png" becoming
// "list-1.png", "list-2.png", ... (the given name itself is then not written).
class ReportExport
{
public:
    static QList<ExportFormat> formats(); // in the order the save dialog offers them
    static QString filter(ExportFormat format); // "PDF-Dokument (*.pdf)"
    static QString defaultSuffix(ExportFormat format); // "pdf"
    static std::optional<ExportFormat> formatForFileName(const QString &fileName);
    static std::optional<ExportFormat> formatForFilter(const QString &filter);
    static bool isPaged(ExportFormat format); // rendered pages rather than the data table

    // The files a page export of pageCount pages writes for fileName.
    static QStringList pageFileNames(const QString &fileName, int pageCount);

    // Returns the files written. A file name without a suffix gets the format's.
    static QStringList exportDocument(const ReportRenderer &renderer, const QString &fileName,
                                      ExportFormat format, const ExportOptions &options = {});
    static QStringList exportDocument(const Report::ReportDocument &document,
                                      const QString &fileName, ExportFormat format,
                                      const ExportOptions &options = {});
    // The format follows the file's suffix; an unknown suffix throws ExportError.
    static QStringList exportDocument(const Report::ReportDocument &document,
                                      const QString &fileName, const ExportOptions &options = {});

private:
    static QStringList exportPages(const ReportRenderer &renderer, const QString &fileName,
                                   ExportFormat format, const ExportOptions &options);
    static void exportData(const Report::ReportDocument &document, const QString &fileName,
                           ExportFormat format);
};

} // namespace Render
