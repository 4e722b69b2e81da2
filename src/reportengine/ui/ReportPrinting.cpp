#include "reportengine/ui/ReportPrinting.h"

#include "reportengine/render/ReportRenderer.h"

#include <QCoreApplication>
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

    QProgressDialog progress(parent);
    progress.setObjectName(QStringLiteral("printProgress"));
    progress.setWindowTitle(renderer.document().title);
    progress.setCancelButtonText(QStringLiteral("Abbrechen"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(500);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
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

void ReportPrinting::setProgressShown(bool shown)
{
    s_progressShown = shown;
}

bool ReportPrinting::progressShown()
{
    return s_progressShown;
}
