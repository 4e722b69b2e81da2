#pragma once

#include "reportengine/render/ReportExport.h"

#include <QDialog>

#include <memory>
#include <optional>

class QLabel;
class QPrinter;
class QPushButton;
class QScrollArea;

namespace Report {
struct ReportDocument;
}

namespace Render {
class ReportRenderer;
}

// The print preview: the rendered pages one at a time with navigation and zoom, printing on
// the application's printer and saving in every export format.
class UserInterface;

class ReportPreviewDialog : public QDialog
{
    Q_OBJECT

public:
    enum class ZoomMode { Factor, WholePage, PageWidth };

    // A save or print that fails is reported through ui.
    ReportPreviewDialog(const Report::ReportDocument &document, QPrinter *printer,
                        UserInterface &ui, QWidget *parent = nullptr);
    ~ReportPreviewDialog() override;

    // Shows the preview modally; returns when the operator has closed it.
    static void preview(const Report::ReportDocument &document, QPrinter *printer,
                        UserInterface &ui, QWidget *parent = nullptr);

    // For tests: the next "Speichern unter ..." saves to this name (format by its suffix)
    // instead of asking with a file dialog.
    static void setNextSaveFileName(const QString &fileName);

    // The save dialog's filter list, one entry per export format.
    static QStringList saveFilters();

    int pageCount() const;
    int currentPage() const; // from 0
    void setCurrentPage(int page);
    ZoomMode zoomMode() const { return m_zoomMode; }
    double zoomFactor() const; // 1.0: true size on the screen
    void setZoomFactor(double factor);
    void setZoomMode(ZoomMode mode);

    // Save and print as the buttons do; a failure shows a warning. Return success.
    bool saveTo(const QString &fileName, std::optional<Render::ExportFormat> format = {});
    bool printReport();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private Q_SLOTS:
    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();
    void zoomIn();
    void zoomOut();
    void saveAs();

private:
    QPushButton *addButton(const QString &objectName, const QString &text, const QString &toolTip);
    void updatePage();
    double effectiveZoom() const;

    std::unique_ptr<Render::ReportRenderer> m_renderer;
    QPrinter *m_printer;
    UserInterface &m_ui;
    int m_page = 0;
    ZoomMode m_zoomMode = ZoomMode::PageWidth;
    double m_zoom = 1.0;
    QString m_lastSaveDir;

    QScrollArea *m_scroll = nullptr;
    QLabel *m_pageView = nullptr;
    QLabel *m_pageLabel = nullptr;
    QLabel *m_zoomLabel = nullptr;
    QPushButton *m_first = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_last = nullptr;
    QPushButton *m_print = nullptr;
};
