#include "reportengine/ui/ReportPreviewDialog.h"

#include "app/UserInterface.h"
#include "reportengine/render/ExportError.h"
#include "reportengine/render/PrintError.h"
#include "reportengine/render/ReportRenderer.h"
#include "reportengine/ui/ReportPrinting.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMinZoom = 0.1;
constexpr double kMaxZoom = 4.0;
constexpr double kZoomStep = 1.25;
constexpr int kPageMargin = 12; // pixels of background around the page

QString s_nextSaveFileName;

QString suggestedFileName(const QString &title)
{
    QString name = title.trimmed();
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (QChar &c : name) {
        if (forbidden.contains(c) || c.unicode() < 0x20)
            c = u'_';
    }
    return name.isEmpty() ? QStringLiteral("Bericht") : name;
}

} // namespace

ReportPreviewDialog::ReportPreviewDialog(const Report::ReportDocument &document, QPrinter *printer,
                                         UserInterface &ui, QWidget *parent)
    : QDialog(parent), m_renderer(std::make_unique<Render::ReportRenderer>(document)),
      m_printer(printer), m_ui(ui)
{
    setObjectName(QStringLiteral("reportPreview"));
    setWindowTitle(document.title.isEmpty() ? QStringLiteral("Vorschau") : document.title);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setModal(true);

    auto *bar = new QHBoxLayout;
    m_first = addButton(QStringLiteral("previewFirst"), QStringLiteral("|<"),
                        QStringLiteral("Erste Seite"));
    m_previous = addButton(QStringLiteral("previewPrevious"), QStringLiteral("<"),
                           QStringLiteral("Vorherige Seite"));
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("previewPageLabel"));
    m_pageLabel->setAlignment(Qt::AlignCenter);
    m_pageLabel->setMinimumWidth(
        fontMetrics().horizontalAdvance(QStringLiteral("Seite 888 von 888")));
    m_next = addButton(QStringLiteral("previewNext"), QStringLiteral(">"),
                       QStringLiteral("Nächste Seite"));
    m_last = addButton(QStringLiteral("previewLast"), QStringLiteral(">|"),
                       QStringLiteral("Letzte Seite"));
    QPushButton *zoomOutButton = addButton(QStringLiteral("previewZoomOut"), QStringLiteral("−"),
                                           QStringLiteral("Verkleinern"));
    m_zoomLabel = new QLabel(this);
    m_zoomLabel->setObjectName(QStringLiteral("previewZoomLabel"));
    m_zoomLabel->setAlignment(Qt::AlignCenter);
    m_zoomLabel->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("888 %")));
    QPushButton *zoomInButton = addButton(QStringLiteral("previewZoomIn"), QStringLiteral("+"),
                                          QStringLiteral("Vergrößern"));
    QPushButton *wholePage =
        addButton(QStringLiteral("previewWholePage"), QStringLiteral("&Ganze Seite"),
                  QStringLiteral("Die ganze Seite zeigen"));
    QPushButton *pageWidth =
        addButton(QStringLiteral("previewPageWidth"), QStringLiteral("Seiten&breite"),
                  QStringLiteral("Die Seite so breit wie das Fenster zeigen"));
    m_print = addButton(QStringLiteral("previewPrint"), QStringLiteral("&Drucken"),
                        QStringLiteral("Auf dem eingestellten Drucker drucken"));
    QPushButton *save =
        addButton(QStringLiteral("previewSave"), QStringLiteral("&Speichern unter ..."),
                  QStringLiteral("Als Datei speichern"));
    QPushButton *close =
        addButton(QStringLiteral("previewClose"), QStringLiteral("S&chließen"), QString());

    // Keys of their own beside the access keys of the captions, which a button's own
    // shortcut would replace: Alt+D and Ctrl+P both print.
    const auto bind = [this](QPushButton *button, const QKeySequence &keys) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isEnabled())
                button->click();
        });
        button->setToolTip(button->toolTip() + QStringLiteral(" (")
                           + keys.toString(QKeySequence::NativeText) + u')');
    };
    bind(m_first, QKeySequence(Qt::CTRL | Qt::Key_Home));
    bind(m_previous, QKeySequence(Qt::Key_PageUp));
    bind(m_next, QKeySequence(Qt::Key_PageDown));
    bind(m_last, QKeySequence(Qt::CTRL | Qt::Key_End));
    bind(zoomInButton, QKeySequence::ZoomIn);
    bind(zoomOutButton, QKeySequence::ZoomOut);
    bind(m_print, QKeySequence::Print);
    bind(save, QKeySequence::Save);
    m_print->setEnabled(m_printer != nullptr);
    // The symbol buttons are reached by their keys; Tab goes to the commands with words and
    // to the page, where the arrows scroll.
    for (QPushButton *b : {m_first, m_previous, m_next, m_last, zoomOutButton, zoomInButton})
        b->setFocusPolicy(Qt::NoFocus);

    for (QWidget *w : {static_cast<QWidget *>(m_first), static_cast<QWidget *>(m_previous),
                       static_cast<QWidget *>(m_pageLabel), static_cast<QWidget *>(m_next),
                       static_cast<QWidget *>(m_last)})
        bar->addWidget(w);
    bar->addSpacing(16);
    for (QWidget *w : {static_cast<QWidget *>(zoomOutButton), static_cast<QWidget *>(m_zoomLabel),
                       static_cast<QWidget *>(zoomInButton), static_cast<QWidget *>(wholePage),
                       static_cast<QWidget *>(pageWidth)})
        bar->addWidget(w);
    bar->addStretch();
    bar->addWidget(m_print);
    bar->addWidget(save);
    bar->addWidget(close);

    m_pageView = new QLabel;
    m_pageView->setObjectName(QStringLiteral("previewPageView"));
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("previewScrollArea"));
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setWidget(m_pageView);
    m_scroll->setFocusPolicy(Qt::StrongFocus);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_scroll, 1);

    connect(m_first, &QPushButton::clicked, this, &ReportPreviewDialog::firstPage);
    connect(m_previous, &QPushButton::clicked, this, &ReportPreviewDialog::previousPage);
    connect(m_next, &QPushButton::clicked, this, &ReportPreviewDialog::nextPage);
    connect(m_last, &QPushButton::clicked, this, &ReportPreviewDialog::lastPage);
    connect(zoomInButton, &QPushButton::clicked, this, &ReportPreviewDialog::zoomIn);
    connect(zoomOutButton, &QPushButton::clicked, this, &ReportPreviewDialog::zoomOut);
    connect(wholePage, &QPushButton::clicked, this, [this] { setZoomMode(ZoomMode::WholePage); });
    connect(pageWidth, &QPushButton::clicked, this, [this] { setZoomMode(ZoomMode::PageWidth); });
    connect(m_print, &QPushButton::clicked, this, &ReportPreviewDialog::printReport);
    connect(save, &QPushButton::clicked, this, &ReportPreviewDialog::saveAs);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    // As tall as an A4 page wants, but never beyond the screen.
    QSize size(900, 1000);
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() - QSize(40, 60));
    resize(size);
    updatePage();
}

ReportPreviewDialog::~ReportPreviewDialog() = default;

void ReportPreviewDialog::preview(const Report::ReportDocument &document, QPrinter *printer,
                                  UserInterface &ui, QWidget *parent)
{
    ReportPreviewDialog dialog(document, printer, ui, parent);
    dialog.exec();
}

void ReportPreviewDialog::setNextSaveFileName(const QString &fileName)
{
    s_nextSaveFileName = fileName;
}

QStringList ReportPreviewDialog::saveFilters()
{
    QStringList filters;
    for (Render::ExportFormat format : Render::ReportExport::formats())
        filters.append(Render::ReportExport::filter(format));
    return filters;
}

int ReportPreviewDialog::pageCount() const
{
    return m_renderer->pageCount();
}

int ReportPreviewDialog::currentPage() const
{
    return m_page;
}

void ReportPreviewDialog::setCurrentPage(int page)
{
    page = std::clamp(page, 0, pageCount() - 1);
    if (page == m_page)
        return;
    m_page = page;
    updatePage();
    m_scroll->verticalScrollBar()->setValue(0);
}

double ReportPreviewDialog::zoomFactor() const
{
    return effectiveZoom();
}

void ReportPreviewDialog::setZoomFactor(double factor)
{
    m_zoom = std::clamp(factor, kMinZoom, kMaxZoom);
    m_zoomMode = ZoomMode::Factor;
    updatePage();
}

void ReportPreviewDialog::setZoomMode(ZoomMode mode)
{
    if (mode == ZoomMode::Factor)
        m_zoom = effectiveZoom();
    m_zoomMode = mode;
    updatePage();
}

bool ReportPreviewDialog::saveTo(const QString &fileName,
                                 std::optional<Render::ExportFormat> format)
{
    QString target = fileName;
    Render::ExportFormat chosen = format.value_or(Render::ExportFormat::Pdf);
    // A suffix the operator typed wins over the chosen filter; a dot that starts no known
    // suffix ("Runde 3.Lauf") is part of the name.
    if (const auto bySuffix = Render::ReportExport::formatForFileName(fileName))
        chosen = *bySuffix;
    else
        target += u'.' + Render::ReportExport::defaultSuffix(chosen);
    try {
        Render::ReportExport::exportDocument(*m_renderer, target, chosen);
    } catch (const Render::ExportError &error) {
        m_ui.information(error.message());
        return false;
    }
    m_lastSaveDir = QFileInfo(target).absolutePath();
    return true;
}

bool ReportPreviewDialog::printReport()
{
    if (!m_printer)
        return false;
    try {
        return ReportPrinting::print(*m_renderer, m_printer, ReportPrinting::progressShown(), this);
    } catch (const Render::PrintError &error) {
        m_ui.information(error.message());
    }
    return false;
}

void ReportPreviewDialog::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (m_zoomMode != ZoomMode::Factor)
        updatePage();
}

void ReportPreviewDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    updatePage();
    m_scroll->setFocus();
}

void ReportPreviewDialog::firstPage()
{
    setCurrentPage(0);
}

void ReportPreviewDialog::previousPage()
{
    setCurrentPage(m_page - 1);
}

void ReportPreviewDialog::nextPage()
{
    setCurrentPage(m_page + 1);
}

void ReportPreviewDialog::lastPage()
{
    setCurrentPage(pageCount() - 1);
}

void ReportPreviewDialog::zoomIn()
{
    setZoomFactor(effectiveZoom() * kZoomStep);
}

void ReportPreviewDialog::zoomOut()
{
    setZoomFactor(effectiveZoom() / kZoomStep);
}

void ReportPreviewDialog::saveAs()
{
    if (!s_nextSaveFileName.isEmpty()) {
        const QString fileName = s_nextSaveFileName;
        s_nextSaveFileName.clear();
        saveTo(fileName);
        return;
    }
    const QString dir = m_lastSaveDir.isEmpty() ? QDir::homePath() : m_lastSaveDir;
    QFileDialog dialog(this, QStringLiteral("Speichern unter"), dir);
    dialog.setObjectName(QStringLiteral("previewSaveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(saveFilters());
    dialog.selectFile(suggestedFileName(m_renderer->document().title) + QStringLiteral(".pdf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    saveTo(dialog.selectedFiles().constFirst(),
           Render::ReportExport::formatForFilter(dialog.selectedNameFilter()));
}

QPushButton *ReportPreviewDialog::addButton(const QString &objectName, const QString &text,
                                            const QString &toolTip)
{
    auto *button = new QPushButton(text, this);
    button->setObjectName(objectName);
    button->setToolTip(toolTip);
    button->setAutoDefault(false);
    return button;
}

double ReportPreviewDialog::effectiveZoom() const
{
    if (m_zoomMode == ZoomMode::Factor)
        return m_zoom;
    const QSizeF pageMm = m_renderer->pageSize();
    const double pageWidth = pageMm.width() / 25.4 * logicalDpiX();
    const double pageHeight = pageMm.height() / 25.4 * logicalDpiY();
    const QSize viewport = m_scroll->maximumViewportSize();
    const double availableWidth = viewport.width() - 2 * kPageMargin;
    double zoom = availableWidth / pageWidth;
    if (m_zoomMode == ZoomMode::WholePage) {
        zoom = std::min(zoom, (viewport.height() - 2 * kPageMargin) / pageHeight);
    } else if (zoom * pageHeight > viewport.height()) {
        // The page will scroll, so the vertical scroll bar takes part of the width.
        zoom = (availableWidth - m_scroll->verticalScrollBar()->sizeHint().width()) / pageWidth;
    }
    return std::clamp(zoom, kMinZoom, kMaxZoom);
}

void ReportPreviewDialog::updatePage()
{
    const double zoom = effectiveZoom();
    const double ratio = devicePixelRatioF();
    QImage image = m_renderer->renderPage(m_page, logicalDpiX() * zoom * ratio);
    image.setDevicePixelRatio(ratio);
    m_pageView->setPixmap(QPixmap::fromImage(image));
    m_pageView->resize(image.deviceIndependentSize().toSize());

    const int count = pageCount();
    m_pageLabel->setText(QStringLiteral("Seite %1 von %2").arg(m_page + 1).arg(count));
    m_zoomLabel->setText(QStringLiteral("%1 %").arg(qRound(zoom * 100)));
    m_first->setEnabled(m_page > 0);
    m_previous->setEnabled(m_page > 0);
    m_next->setEnabled(m_page < count - 1);
    m_last->setEnabled(m_page < count - 1);
}
