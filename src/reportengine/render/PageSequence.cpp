#include "reportengine/render/PageSequence.h"

#include "reportengine/render/ReportRenderer.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>

namespace Render {

PageSequence::PageSequence(QPagedPaintDevice *device) : m_device(device)
{ }

PageSequence::~PageSequence()
{
    cancel();
}

bool PageSequence::add(const ReportRenderer &renderer)
{
    const Report::PageSetup &page = renderer.document().page;
    const QRectF target(0, 0, page.width / 25.4 * m_device->logicalDpiX(),
                        page.height / 25.4 * m_device->logicalDpiY());
    for (int p = 0; p < renderer.pageCount(); ++p) {
        // A printer that does not offer the paper keeps its own; the page is still painted at
        // true size.
        m_device->setPageLayout(ReportRenderer::pageLayoutFor(page));
        if (!m_painter) {
            if (auto *printer = dynamic_cast<QPrinter *>(m_device))
                printer->setFullPage(true);
            m_painter = std::make_unique<QPainter>();
            if (!m_painter->begin(m_device)) {
                m_painter.reset();
                return false;
            }
        } else if (!m_device->newPage()) {
            return false;
        }
        renderer.paintPage(m_painter.get(), p, target);
        ++m_pages;
    }
    return true;
}

bool PageSequence::finish()
{
    if (!m_painter)
        return true;
    const bool done = m_painter->end();
    m_painter.reset();
    return done;
}

void PageSequence::cancel()
{
    if (!m_painter)
        return;
    if (auto *printer = dynamic_cast<QPrinter *>(m_device))
        printer->abort();
    m_painter->end();
    m_painter.reset();
}

} // namespace Render
