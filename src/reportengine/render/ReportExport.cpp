#include "reportengine/render/ReportExport.h"

#include "reportengine/render/ExportError.h"
#include "reportengine/render/ReportRenderer.h"
#include "reportengine/render/ReportTableWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace Render {

namespace {

struct FormatInfo
{
    ExportFormat format;
    QString filter;
    QStringList suffixes; // the first is the default
};

const QList<FormatInfo> &formatTable()
{
    static const QList<FormatInfo> table{
        {ExportFormat::Pdf, QStringLiteral("PDF-Dokument (*.pdf)"), {QStringLiteral("pdf")}},
        {ExportFormat::Png, QStringLiteral("PNG-Bild (*.png)"), {QStringLiteral("png")}},
        {ExportFormat::Jpeg,
         QStringLiteral("JPEG-Bild (*.jpg *.jpeg)"),
         {QStringLiteral("jpg"), QStringLiteral("jpeg")}},
        {ExportFormat::Bmp, QStringLiteral("BMP-Bild (*.bmp)"), {QStringLiteral("bmp")}},
        {ExportFormat::Svg, QStringLiteral("SVG-Grafik (*.svg)"), {QStringLiteral("svg")}},
        {ExportFormat::Html,
         QStringLiteral("HTML-Dokument (*.html *.htm)"),
         {QStringLiteral("html"), QStringLiteral("htm")}},
        {ExportFormat::Xhtml,
         QStringLiteral("XHTML-Dokument (*.xhtml)"),
         {QStringLiteral("xhtml")}},
        {ExportFormat::Odt, QStringLiteral("OpenDocument-Text (*.odt)"), {QStringLiteral("odt")}},
        {ExportFormat::Text, QStringLiteral("Textdatei (*.txt)"), {QStringLiteral("txt")}},
        {ExportFormat::Csv, QStringLiteral("CSV-Datei (*.csv)"), {QStringLiteral("csv")}},
        {ExportFormat::Xlsx,
         QStringLiteral("Excel-Arbeitsmappe (*.xlsx)"),
         {QStringLiteral("xlsx")}},
    };
    return table;
}

const FormatInfo &infoFor(ExportFormat format)
{
    for (const FormatInfo &info : formatTable()) {
        if (info.format == format)
            return info;
    }
    return formatTable().constFirst();
}

void writeFile(const QString &fileName, const QByteArray &contents)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw ExportError(fileName, file.errorString());
    if (file.write(contents) != contents.size() || !file.commit())
        throw ExportError(fileName, file.errorString());
}

const char *imageFormatName(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Jpeg:
        return "JPEG";
    case ExportFormat::Bmp:
        return "BMP";
    default:
        return "PNG";
    }
}

// Paints one page into an open file as an image or as SVG.
void writePage(const ReportRenderer &renderer, int page, QSaveFile &file, ExportFormat format,
               const ExportOptions &options)
{
    const QString fileName = file.fileName();
    if (format == ExportFormat::Svg) {
        // At 254 dpi a page of whole millimetres has a whole number of SVG units.
        constexpr double dpi = 254;
        const QRectF target(0, 0, renderer.pageSize().width() / 25.4 * dpi,
                            renderer.pageSize().height() / 25.4 * dpi);
        QSvgGenerator generator;
        generator.setOutputDevice(&file);
        generator.setResolution(int(dpi));
        generator.setSize(target.size().toSize());
        generator.setViewBox(target);
        generator.setTitle(renderer.document().title);
        generator.setDescription(QStringLiteral("Velunda"));
        QPainter painter;
        if (!painter.begin(&generator))
            throw ExportError(fileName, file.errorString());
        painter.fillRect(target, Qt::white);
        renderer.paintPage(&painter, page, target);
        painter.end();
        return;
    }
    const QImage image = renderer.renderPage(page, options.imageDpi);
    const int quality = format == ExportFormat::Jpeg ? options.jpegQuality : -1;
    if (!image.save(&file, imageFormatName(format), quality))
        throw ExportError(fileName,
                          file.error() != QFileDevice::NoError ? file.errorString() : QString());
}

} // namespace

QList<ExportFormat> ReportExport::formats()
{
    QList<ExportFormat> out;
    for (const FormatInfo &info : formatTable())
        out.append(info.format);
    return out;
}

QString ReportExport::filter(ExportFormat format)
{
    return infoFor(format).filter;
}

QString ReportExport::defaultSuffix(ExportFormat format)
{
    return infoFor(format).suffixes.constFirst();
}

std::optional<ExportFormat> ReportExport::formatForFileName(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    for (const FormatInfo &info : formatTable()) {
        if (info.suffixes.contains(suffix))
            return info.format;
    }
    return std::nullopt;
}

std::optional<ExportFormat> ReportExport::formatForFilter(const QString &filter)
{
    for (const FormatInfo &info : formatTable()) {
        if (info.filter == filter)
            return info.format;
    }
    return std::nullopt;
}

bool ReportExport::isPaged(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Pdf:
    case ExportFormat::Png:
    case ExportFormat::Jpeg:
    case ExportFormat::Bmp:
    case ExportFormat::Svg:
        return true;
    default:
        return false;
    }
}

QStringList ReportExport::pageFileNames(const QString &fileName, int pageCount)
{
    if (pageCount <= 1)
        return {fileName};
    const QFileInfo info(fileName);
    const QString suffix = info.suffix();
    const QString stem =
        suffix.isEmpty() ? fileName : fileName.left(fileName.size() - suffix.size() - 1);
    QStringList names;
    for (int page = 1; page <= pageCount; ++page) {
        QString name = stem + u'-' + QString::number(page);
        if (!suffix.isEmpty())
            name += u'.' + suffix;
        names.append(name);
    }
    return names;
}

QStringList ReportExport::exportDocument(const ReportRenderer &renderer, const QString &fileName,
                                         ExportFormat format, const ExportOptions &options)
{
    if (fileName.isEmpty())
        throw ExportError(fileName, QStringLiteral("Es wurde kein Dateiname angegeben."));
    QString target = fileName;
    if (QFileInfo(fileName).suffix().isEmpty())
        target += u'.' + defaultSuffix(format);
    if (isPaged(format))
        return exportPages(renderer, target, format, options);
    exportData(renderer.document(), target, format);
    return {target};
}

QStringList ReportExport::exportDocument(const Report::ReportDocument &document,
                                         const QString &fileName, ExportFormat format,
                                         const ExportOptions &options)
{
    if (!isPaged(format)) {
        if (fileName.isEmpty())
            throw ExportError(fileName, QStringLiteral("Es wurde kein Dateiname angegeben."));
        QString target = fileName;
        if (QFileInfo(fileName).suffix().isEmpty())
            target += u'.' + defaultSuffix(format);
        exportData(document, target, format);
        return {target};
    }
    const ReportRenderer renderer(document);
    return exportDocument(renderer, fileName, format, options);
}

QStringList ReportExport::exportDocument(const Report::ReportDocument &document,
                                         const QString &fileName, const ExportOptions &options)
{
    const std::optional<ExportFormat> format = formatForFileName(fileName);
    if (!format) {
        throw ExportError(fileName,
                          QStringLiteral("Das Format „.%1“ wird nicht unterstützt.")
                              .arg(QFileInfo(fileName).suffix()));
    }
    return exportDocument(document, fileName, *format, options);
}

QStringList ReportExport::exportPages(const ReportRenderer &renderer, const QString &fileName,
                                      ExportFormat format, const ExportOptions &options)
{
    if (format == ExportFormat::Pdf) {
        renderer.writePdf(fileName);
        return {fileName};
    }
    // Each page is committed as soon as it is complete, so a long report does not hold a
    // temporary file open per page; a failure removes the pages committed before it.
    const QStringList names = pageFileNames(fileName, renderer.pageCount());
    QStringList written;
    try {
        for (int page = 0; page < names.size(); ++page) {
            QSaveFile file(names.at(page));
            if (!file.open(QIODevice::WriteOnly))
                throw ExportError(names.at(page), file.errorString());
            writePage(renderer, page, file, format, options);
            if (!file.commit())
                throw ExportError(names.at(page), file.errorString());
            written.append(names.at(page));
        }
    } catch (...) {
        for (const QString &name : std::as_const(written))
            QFile::remove(name);
        throw;
    }
    return written;
}

void ReportExport::exportData(const Report::ReportDocument &document, const QString &fileName,
                              ExportFormat format)
{
    const ReportTableWriter writer(document);
    QByteArray contents;
    switch (format) {
    case ExportFormat::Html:
        contents = writer.html(false);
        break;
    case ExportFormat::Xhtml:
        contents = writer.html(true);
        break;
    case ExportFormat::Odt:
        contents = writer.odt();
        if (contents.isEmpty())
            throw ExportError(fileName, QString());
        break;
    case ExportFormat::Text:
        contents = writer.text();
        break;
    case ExportFormat::Csv:
        contents = writer.csv();
        break;
    case ExportFormat::Xlsx:
        contents = writer.xlsx(fileName);
        break;
    default:
        return;
    }
    writeFile(fileName, contents);
}

} // namespace Render
