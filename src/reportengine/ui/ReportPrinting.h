#pragma once

#include <functional>
#include <memory>

class QPrinter;
class QProgressDialog;
class QString;
class QWidget;

namespace Report {
struct ReportDocument;
}

namespace Render {
class ReportRenderer;
}

// Prints a report on the given printer, straight without a print dialog. While progress is
// shown a progress dialog reads "Drucke Seite %1 von %2" and lets the operator cancel.
// Printing errors throw Render::PrintError.
class ReportPrinting
{
public:
    // Returns false when the operator cancelled.
    static bool print(const Report::ReportDocument &document, QPrinter *printer, bool showProgress,
                      QWidget *parent = nullptr);
    static bool print(const Render::ReportRenderer &renderer, QPrinter *printer, bool showProgress,
                      QWidget *parent = nullptr);
    // Uses the switch below.
    static bool print(const Report::ReportDocument &document, QPrinter *printer,
                      QWidget *parent = nullptr);

    // Prints count reports as one job of many pages, asking source for each when its turn
    // comes (nullptr skips one), under a progress dialog "Drucke Bogen %1 von %2" that lets the
    // operator cancel. Returns false when the operator cancelled; the job is then discarded.
    using Source = std::function<const Report::ReportDocument *(int index)>;
    static bool printBatch(QPrinter *printer, const QString &title, int count, const Source &source,
                           QWidget *parent = nullptr);

    // The progress dialog both of the above show, not yet shown.
    static std::unique_ptr<QProgressDialog> progressDialog(const QString &title,
                                                           QWidget *parent = nullptr);

    // The engine-wide switch of the progress display; a batch of scorecards turns it off
    // while it prints and on again afterwards. On by default.
    static void setProgressShown(bool shown);
    static bool progressShown();
};
