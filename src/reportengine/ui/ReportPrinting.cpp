#include "reportengine/ui/ReportPrinting.h"

#include "reportengine/render/PageSequence.h"
#include "reportengine/render/PrintError.h"
#include "reportengine/render/ReportRenderer.h"

#include <QCoreApplication>
#include <QPrinter>
#include <QProgressDialog>

#include <atomic>

namespace {

std::atomic<bool> s_progressShown{true};

} // namespace

bool ReportPrinting::print(const Report::ReportDocument &document, QPrinter *printer,
                           bool showProgress, QWidget *parent)
{
    const Render::ReportRenderer renderer(document);
    return print(renderer, printer, showProgress, parent);
}

bool ReportPrinting::print(const Report::ReportDocument &document, QPrinter *printer,
                           QWidget *parent)
{
    return print(document, printer, progressShown(), parent);
}

bool ReportPrinting::print(const Render::ReportRenderer &renderer, QPrinter *printer,
                           bool showProgress, QWidget *parent)
{
    if (!showProgress)
        return renderer.print(printer);

    const std::unique_ptr<QProgressDialog> dialog =
        progressDialog(renderer.document().title, parent);
    QProgressDialog &progress = *dialog;
    const bool done = renderer.print(printer, [&progress](int page, int pageCount) {
        progress.setMaximum(pageCount);
        progress.setLabelText(QStringLiteral("Drucke Seite %1 von %2").arg(page).arg(pageCount));
        progress.setValue(page - 1);
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    });
    progress.setValue(progress.maximum());
    return done;
}

bool ReportPrinting::printBatch(QPrinter *printer, const QString &title, int count,
                                const Source &source, QWidget *parent)
{
    if (!printer)
        throw Render::PrintError(QStringLiteral("Es ist kein Drucker eingerichtet."));
    const QString printerName =
        printer->outputFileName().isEmpty() ? printer->printerName() : printer->outputFileName();
    const std::unique_ptr<QProgressDialog> dialog = progressDialog(title, parent);
    QProgressDialog &progress = *dialog;
    progress.setMaximum(count);

    printer->setDocName(title);
    Render::PageSequence pages(printer);
    for (int i = 0; i < count; ++i) {
        progress.setLabelText(QStringLiteral("Drucke Bogen %1 von %2").arg(i + 1).arg(count));
        progress.setValue(i);
        QCoreApplication::processEvents();
        if (progress.wasCanceled())
            return false; // the sequence discards the job
        const Report::ReportDocument *document = source(i);
        if (document && !pages.add(Render::ReportRenderer(*document)))
            throw Render::PrintError(
                pages.pageCount() == 0
                    ? QStringLiteral("Der Drucker „%1“ konnte nicht geöffnet werden.")
                          .arg(printerName)
                    : QStringLiteral("Der Druck auf „%1“ ist fehlgeschlagen.").arg(printerName));
    }
    progress.setValue(count);
    if (!pages.finish())
        throw Render::PrintError(
            QStringLiteral("Der Druck auf „%1“ ist fehlgeschlagen.").arg(printerName));
    return true;
}

std::unique_ptr<QProgressDialog> ReportPrinting::progressDialog(const QString &title,
                                                                QWidget *parent)
{
    auto progress = std::make_unique<QProgressDialog>(parent);
    progress->setObjectName(QStringLiteral("printProgress"));
    progress->setWindowTitle(title);
    progress->setCancelButtonText(QStringLiteral("&Abbrechen"));
    progress->setWindowModality(Qt::ApplicationModal);
    progress->setMinimumDuration(500);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    return progress;
}

void ReportPrinting::setProgressShown(bool shown)
{
    s_progressShown = shown;
}

bool ReportPrinting::progressShown()
{
    return s_progressShown;
}
