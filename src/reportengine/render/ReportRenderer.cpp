#include "reportengine/render/ReportRenderer.h"

#include "reportengine/render/ExportError.h"
#include "reportengine/render/PrintError.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QMutex>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QTextOption>

#include <cmath>
#include <vector>

namespace Render {

namespace {

// Painting happens in 1/100 mm. Fonts get their size as an integer pixel size in these units,
// so a point size is off by at most 0.005 mm whatever the device; sizing them in millimetres
// (or device pixels at low resolution) would round 8 pt to 3 mm or to whole screen pixels.
constexpr double kUnitsPerMm = 100.0;
constexpr double kMmPerPoint = 25.4 / 72.0;
constexpr double kEpsilon = 1e-6;
// Height of the layout box of a text without a height; it only has to hold any text.
constexpr double kOpenHeightMm = 10000.0;

double units(double mm)
{
    return mm * kUnitsPerMm;
}

QRectF unitsRect(double left, double top, double width, double height)
{
    return QRectF(units(left), units(top), units(width), units(height));
}

struct TextStyle
{
    explicit TextStyle(const QFont &f) : font(f), metrics(f) { }

    QFont font;
    QFontMetricsF metrics;
};

QRectF fullPageRect(const Report::PageSetup &page, double dpiX, double dpiY)
{
    return QRectF(0, 0, page.width / 25.4 * dpiX, page.height / 25.4 * dpiY);
}

double deviceDpiX(const QPaintDevice *device)
{
    if (device->devType() == QInternal::Image)
        return static_cast<const QImage *>(device)->dotsPerMeterX() * 0.0254;
    return device->logicalDpiX();
}

double deviceDpiY(const QPaintDevice *device)
{
    if (device->devType() == QInternal::Image)
        return static_cast<const QImage *>(device)->dotsPerMeterY() * 0.0254;
    return device->logicalDpiY();
}

bool isTextElement(Report::ElementKind kind)
{
    return kind == Report::ElementKind::Label || kind == Report::ElementKind::Field
        || kind == Report::ElementKind::ReportTitle;
}

} // namespace

struct ReportRenderer::Private
{
    Report::ReportDocument doc;
    QList<QList<PlacedBand>> pages;
    std::vector<std::vector<TextStyle>> styles; // per band, per element

    void layOut();
    void paintBand(QPainter *painter, const PlacedBand &placed) const;
    void paintText(QPainter *painter, const Report::Element &element, const TextStyle &style,
                   const QString &text, double bandTop) const;
    QString text(const Report::Element &element, int row) const;
};

void ReportRenderer::Private::layOut()
{
    using Report::BandKind;
    const Report::PageSetup &page = doc.page;

    QList<int> titles, headers, details, summaries, footers;
    for (int i = 0; i < doc.bands.size(); ++i) {
        const Report::Band &band = doc.bands.at(i);
        if (!band.visible)
            continue;
        switch (band.kind) {
        case BandKind::Title:
            titles.append(i);
            break;
        case BandKind::PageHeader:
            headers.append(i);
            break;
        case BandKind::Detail:
            details.append(i);
            break;
        case BandKind::Summary:
            summaries.append(i);
            break;
        case BandKind::PageFooter:
            footers.append(i);
            break;
        }
    }

    auto heightOf = [this](int band) {
        return std::max(0.0, doc.bands.at(band).height);
    };
    double footerHeight = 0;
    for (int band : footers)
        footerHeight += heightOf(band);
    const double bodyBottom = page.marginTop + page.printableHeight() - footerHeight;
    const int firstRow = doc.data.rows.isEmpty() ? -1 : 0;

    QList<PlacedBand> current;
    double y = 0;
    double emptyPageY = 0; // where the body of the current page starts below title and header
    auto startPage = [&](bool first) {
        current.clear();
        y = page.marginTop;
        if (first) {
            for (int band : titles) {
                current.append({band, firstRow, y});
                y += heightOf(band);
            }
        }
        for (int band : headers) {
            current.append({band, firstRow, y});
            y += heightOf(band);
        }
        emptyPageY = y;
    };
    auto finishPage = [&] {
        double footerY = bodyBottom;
        for (int band : footers) {
            current.append({band, firstRow, footerY});
            footerY += heightOf(band);
        }
        pages.append(current);
    };
    // A band higher than a whole page stays on the page it starts, or it would never be placed.
    auto place = [&](int band, int row) {
        if (y + heightOf(band) > bodyBottom + kEpsilon && y > emptyPageY + kEpsilon) {
            finishPage();
            startPage(false);
        }
        current.append({band, row, y});
        y += heightOf(band);
    };

    startPage(true);
    for (int row = 0; row < doc.data.rows.size(); ++row) {
        for (int band : details)
            place(band, row);
    }
    for (int band : summaries)
        place(band, firstRow);
    finishPage();
}

QString ReportRenderer::Private::text(const Report::Element &element, int row) const
{
    switch (element.kind) {
    case Report::ElementKind::Label:
        return element.text;
    case Report::ElementKind::ReportTitle:
        return doc.title;
    case Report::ElementKind::Field:
        return row < 0 ? QString()
                       : Report::formatValue(doc.data.value(row, element.field), element.format);
    case Report::ElementKind::Line:
    case Report::ElementKind::Rect:
    case Report::ElementKind::Image:
        break;
    }
    return {};
}

void ReportRenderer::Private::paintBand(QPainter *painter, const PlacedBand &placed) const
{
    const Report::Band &band = doc.bands.at(placed.band);
    const double bandWidth = doc.page.printableWidth();
    for (int i = 0; i < band.elements.size(); ++i) {
        const Report::Element &element = band.elements.at(i);
        if (!element.visible)
            continue;
        const double left = doc.page.marginLeft + element.left;
        const double top = placed.top + element.top;
        if (element.kind == Report::ElementKind::Line) {
            const double width = element.width > 0 ? element.width : bandWidth - element.left;
            QPen pen(Qt::black, units(element.penWidth), Qt::SolidLine, Qt::FlatCap);
            painter->setPen(pen);
            painter->drawLine(QLineF(units(left), units(top), units(left + width), units(top)));
        } else if (element.kind == Report::ElementKind::Rect) {
            if (element.width <= 0 || element.height <= 0)
                continue;
            QPen pen(Qt::black, units(element.penWidth), Qt::SolidLine, Qt::SquareCap,
                     Qt::MiterJoin);
            painter->setPen(pen);
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(unitsRect(left, top, element.width, element.height));
        } else if (element.kind == Report::ElementKind::Image) {
            // Scaled without smoothing: a code's modules stay sharp on any printer.
            const QImage image = doc.data.value(placed.row, element.field).value<QImage>();
            if (!image.isNull() && element.width > 0 && element.height > 0)
                painter->drawImage(unitsRect(left, top, element.width, element.height), image);
        } else {
            const QString shown = text(element, placed.row);
            if (!shown.isEmpty())
                paintText(painter, element, styles[placed.band][i], shown, placed.top);
        }
    }
}

void ReportRenderer::Private::paintText(QPainter *painter, const Report::Element &element,
                                        const TextStyle &style, const QString &shown,
                                        double bandTop) const
{
    const double bandWidth = doc.page.printableWidth();
    double left = element.left;
    double width = element.width;
    Qt::Alignment alignment = element.align == Report::Align::Right ? Qt::AlignRight
        : element.align == Report::Align::Center                    ? Qt::AlignHCenter
                                                                    : Qt::AlignLeft;
    const bool fixedWidth = !element.centerOnBand && element.width > 0;
    if (element.centerOnBand) {
        left = 0;
        width = bandWidth;
        alignment = Qt::AlignHCenter;
    } else if (!fixedWidth) {
        width = std::max(0.0, bandWidth - element.left);
    }
    const double height = element.height > 0 ? element.height : kOpenHeightMm;
    const QRectF box = unitsRect(doc.page.marginLeft + left, bandTop + element.top, width, height);

    bool clip = false;
    if (fixedWidth) {
        if (element.wrap)
            clip = element.height > 0;
        else
            clip = style.metrics.horizontalAdvance(shown) > box.width() + kEpsilon
                || (element.height > 0 && style.metrics.height() > box.height() + kEpsilon)
                || shown.contains(u'\n');
    }

    QTextOption option(alignment | Qt::AlignTop);
    option.setWrapMode(element.wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere
                                    : QTextOption::NoWrap);
    painter->setFont(style.font);
    painter->setPen(Qt::black);
    if (clip) {
        painter->save();
        painter->setClipRect(box, Qt::IntersectClip);
        painter->drawText(box, shown, option);
        painter->restore();
    } else {
        painter->drawText(box, shown, option);
    }
}

ReportRenderer::ReportRenderer(const Report::ReportDocument &document)
    : m_d(std::make_unique<Private>())
{
    m_d->doc = document;
    m_d->styles.resize(document.bands.size());
    for (int b = 0; b < document.bands.size(); ++b) {
        const Report::Band &band = document.bands.at(b);
        m_d->styles[b].reserve(band.elements.size());
        for (const Report::Element &element : band.elements) {
            m_d->styles[b].emplace_back(isTextElement(element.kind) ? resolvedFont(element.font)
                                                                    : QFont());
        }
    }
    m_d->layOut();
}

ReportRenderer::~ReportRenderer() = default;

const Report::ReportDocument &ReportRenderer::document() const
{
    return m_d->doc;
}

int ReportRenderer::pageCount() const
{
    return int(m_d->pages.size());
}

QSizeF ReportRenderer::pageSize() const
{
    return QSizeF(m_d->doc.page.width, m_d->doc.page.height);
}

QList<ReportRenderer::PlacedBand> ReportRenderer::bandsOnPage(int page) const
{
    return m_d->pages.value(page);
}

QString ReportRenderer::elementText(const Report::Element &element, int row) const
{
    return m_d->text(element, row);
}

void ReportRenderer::paintPage(QPainter *painter, int page) const
{
    const QPaintDevice *device = painter->device();
    paintPage(painter, page, fullPageRect(m_d->doc.page, deviceDpiX(device), deviceDpiY(device)));
}

void ReportRenderer::paintPage(QPainter *painter, int page, const QRectF &target) const
{
    if (page < 0 || page >= pageCount() || m_d->doc.page.width <= 0 || m_d->doc.page.height <= 0)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing);
    painter->translate(target.topLeft());
    painter->scale(target.width() / units(m_d->doc.page.width),
                   target.height() / units(m_d->doc.page.height));
    for (const PlacedBand &placed : m_d->pages.at(page))
        m_d->paintBand(painter, placed);
    painter->restore();
}

QImage ReportRenderer::renderPage(int page, double dpi) const
{
    const QRectF target = fullPageRect(m_d->doc.page, dpi, dpi);
    QImage image(std::max(1, qRound(target.width())), std::max(1, qRound(target.height())),
                 QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPage(&painter, page, target);
    painter.end();
    return image;
}

void ReportRenderer::writePdf(const QString &fileName) const
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw ExportError(fileName, file.errorString());
    writePdf(&file, fileName);
    if (!file.commit())
        throw ExportError(fileName, file.errorString());
}

void ReportRenderer::writePdf(QIODevice *device, const QString &fileName) const
{
    QPdfWriter writer(device);
    writer.setTitle(m_d->doc.title);
    writer.setCreator(QStringLiteral("Velunda"));
    writer.setPageLayout(pageLayoutFor(m_d->doc.page));
    QPainter painter;
    if (!painter.begin(&writer))
        throw ExportError(fileName, QString());
    const QRectF target = fullPageRect(m_d->doc.page, writer.resolution(), writer.resolution());
    for (int page = 0; page < pageCount(); ++page) {
        if (page > 0 && !writer.newPage())
            throw ExportError(fileName, QString());
        paintPage(&painter, page, target);
    }
    if (!painter.end())
        throw ExportError(fileName, QString());
}

bool ReportRenderer::print(QPrinter *printer, const Progress &progress) const
{
    if (!printer)
        throw PrintError(QStringLiteral("Es ist kein Drucker eingerichtet."));
    const QString printerName =
        printer->outputFileName().isEmpty() ? printer->printerName() : printer->outputFileName();

    int first = 0;
    int last = pageCount() - 1;
    if (printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0) {
        first = std::min(printer->fromPage() - 1, last);
        if (printer->toPage() > 0)
            last = std::min(printer->toPage() - 1, last);
    }
    const int count = last - first + 1;

    if (progress && !progress(1, count))
        return false;
    printer->setDocName(m_d->doc.title);
    printer->setFullPage(true);
    // A printer that does not offer the paper keeps its own; the page is still painted at true
    // size.
    printer->setPageLayout(pageLayoutFor(m_d->doc.page));

    QPainter painter;
    if (!painter.begin(printer))
        throw PrintError(
            QStringLiteral("Der Drucker „%1“ konnte nicht geöffnet werden.").arg(printerName));
    const QRectF target = fullPageRect(m_d->doc.page, printer->resolution(), printer->resolution());
    for (int page = first; page <= last; ++page) {
        if (page > first) {
            if (progress && !progress(page - first + 1, count)) {
                printer->abort();
                painter.end();
                return false;
            }
            if (!printer->newPage()) {
                painter.end();
                throw PrintError(
                    QStringLiteral("Der Druck auf „%1“ ist fehlgeschlagen.").arg(printerName));
            }
        }
        paintPage(&painter, page, target);
    }
    if (!painter.end())
        throw PrintError(QStringLiteral("Der Druck auf „%1“ ist fehlgeschlagen.").arg(printerName));
    return true;
}

QString ReportRenderer::resolvedFamily(const QString &family)
{
    static QMutex mutex;
    static QHash<QString, QString> cache;
    QMutexLocker locker(&mutex);
    const auto cached = cache.constFind(family);
    if (cached != cache.constEnd())
        return *cached;

    QString resolved;
    if (!family.isEmpty() && QFontDatabase::hasFamily(family)) {
        resolved = family;
    } else {
        // The metric twins keep every text as wide as in the layout the report was made for.
        static const QHash<QString, QString> twins{
            {QStringLiteral("arial"), QStringLiteral("Liberation Sans")},
            {QStringLiteral("helvetica"), QStringLiteral("Liberation Sans")},
            {QStringLiteral("arial narrow"), QStringLiteral("Liberation Sans Narrow")},
            {QStringLiteral("times new roman"), QStringLiteral("Liberation Serif")},
            {QStringLiteral("times"), QStringLiteral("Liberation Serif")},
            {QStringLiteral("courier new"), QStringLiteral("Liberation Mono")},
            {QStringLiteral("courier"), QStringLiteral("Liberation Mono")},
        };
        const QString twin = twins.value(family.toLower());
        if (!twin.isEmpty() && QFontDatabase::hasFamily(twin))
            resolved = twin;
        else if (QFontDatabase::hasFamily(QStringLiteral("Liberation Sans")))
            resolved = QStringLiteral("Liberation Sans");
        else
            resolved = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }
    cache.insert(family, resolved);
    return resolved;
}

QFont ReportRenderer::resolvedFont(const Report::FontSpec &spec)
{
    QFont font(resolvedFamily(spec.family));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, int(std::lround(units(spec.pointSize * kMmPerPoint)))));
    font.setBold(spec.bold);
    font.setItalic(spec.italic);
    // Hinting would fit glyphs to the pixel grid of the largest unit size, not the device's.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QPageLayout ReportRenderer::pageLayoutFor(const Report::PageSetup &page)
{
    const bool landscape = page.orientation() == Report::Orientation::Landscape;
    const QSizeF portrait =
        landscape ? QSizeF(page.height, page.width) : QSizeF(page.width, page.height);
    return QPageLayout(QPageSize(portrait, QPageSize::Millimeter),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(),
                       QPageLayout::Millimeter);
}

} // namespace Render
