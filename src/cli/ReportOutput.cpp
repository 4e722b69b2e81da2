#include "cli/Cli.h"
#include "data/DataLibrary.h"
#include "ranking/Ranking.h"
#include "reportengine/render/ExportError.h"
#include "reportengine/render/ReportExport.h"
#include "reportengine/render/ReportTableWriter.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace Cli {

using Render::ExportFormat;

namespace {

const QList<QPair<QString, ExportFormat>> &formats()
{
    static const QList<QPair<QString, ExportFormat>> list{
        {QStringLiteral("csv"), ExportFormat::Csv},
        {QStringLiteral("pdf"), ExportFormat::Pdf},
        {QStringLiteral("xlsx"), ExportFormat::Xlsx},
        {QStringLiteral("html"), ExportFormat::Html},
        {QStringLiteral("txt"), ExportFormat::Text}};
    return list;
}

} // namespace

ExportFormat reportFormat(const Arguments &a)
{
    if (a.has(QStringLiteral("--format"))) {
        const QString value = a.value(QStringLiteral("--format"));
        for (const auto &[name, format] : formats()) {
            if (value == name)
                return format;
        }
        throw UsageError(QStringLiteral("Unbekanntes Format „%1“; möglich sind csv, pdf, xlsx, "
                                        "html und txt.")
                             .arg(value));
    }
    if (!a.has(QStringLiteral("-o")))
        return ExportFormat::Csv;
    const QString file = a.value(QStringLiteral("-o"));
    if (QFileInfo(file).suffix().isEmpty())
        return ExportFormat::Csv; // and the export gives the file its suffix
    const std::optional<ExportFormat> byName = Render::ReportExport::formatForFileName(file);
    for (const auto &[name, format] : formats()) {
        if (byName == format)
            return format;
    }
    throw UsageError(QStringLiteral("Das Format der Datei %1 ist nicht zu erkennen; geben Sie "
                                    "--format an.")
                         .arg(QDir::toNativeSeparators(file)));
}

int categoryNumber(DataLibrary &data, const QString &value)
{
    const QString wanted = value.trimmed();
    if (wanted.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0
        || wanted.compare(Ranking::allCategoriesText(), Qt::CaseInsensitive) == 0)
        return 0;
    const QList<CategoryRow> categories = data.Categories();
    bool isNumber = false;
    const int number = wanted.toInt(&isNumber);
    if (isNumber) {
        for (const CategoryRow &c : categories) {
            if (c.KatNr == number)
                return c.KatNr;
        }
    }
    QList<int> matches;
    for (const CategoryRow &c : categories) {
        if (c.KatBez.trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
            matches << c.KatNr;
    }
    if (matches.size() == 1)
        return matches.first();
    if (matches.isEmpty())
        throw Failure(QStringLiteral("Die Kategorie „%1“ gibt es nicht.").arg(value));
    QStringList numbers;
    for (int n : matches)
        numbers << QString::number(n);
    throw Failure(QStringLiteral("Den Namen „%1“ tragen mehrere Kategorien (Nummern %2); geben "
                                 "Sie die Nummer an.")
                      .arg(value, numbers.join(QStringLiteral(", "))));
}

void writeReport(const Report::ReportDocument &document, const QString &file, ExportFormat format,
                 const QString &done, const QString &rowsText)
{
    if (file.isEmpty()) {
        const Render::ReportTableWriter writer(document);
        QByteArray bytes = format == ExportFormat::Text ? writer.text()
            : format == ExportFormat::Html              ? writer.html(false)
                                                        : writer.csv();
        // The byte order mark is for spreadsheets opening a file, not for a pipe.
        if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes.remove(0, 3);
        writeOut(bytes);
        return;
    }
    try {
        const QStringList written = Render::ReportExport::exportDocument(document, file, format);
        out() << done << QDir::toNativeSeparators(written.join(QStringLiteral(", "))) << " ("
              << document.data.rows.size() << rowsText << ")\n";
    } catch (const Render::ExportError &e) {
        throw Failure(e.message());
    }
}

void checkReportOutput(const Arguments &a, ExportFormat format)
{
    const QString file = a.value(QStringLiteral("-o"));
    if (a.has(QStringLiteral("-o")) && file.isEmpty())
        throw UsageError(QStringLiteral("Zur Option -o fehlt der Dateiname."));
    if (file.isEmpty() && (format == ExportFormat::Pdf || format == ExportFormat::Xlsx))
        throw UsageError(
            QStringLiteral("PDF und Excel werden nur in eine Datei geschrieben (-o DATEI)."));
}

} // namespace Cli
