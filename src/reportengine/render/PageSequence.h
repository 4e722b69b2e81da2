#pragma once

#include <memory>

class QPagedPaintDevice;
class QPainter;

namespace Render {

class ReportRenderer;

// The pages of many reports one after another on one device: a single print job on a printer,
// a single file on a PDF writer. Each report is painted when it is added, so the caller can
// lay out one report at a time and a batch of thousands needs the memory of one. The device
// takes the page size of each report; the first report begins the job.
class PageSequence
{
public:
    explicit PageSequence(QPagedPaintDevice *device);
    ~PageSequence(); // cancels a job that was begun and not finished
    PageSequence(const PageSequence &) = delete;
    PageSequence &operator=(const PageSequence &) = delete;

    // False when the device could not begin the job or take another page.
    bool add(const ReportRenderer &renderer);
    // Ends the job; false when the device failed. A job without pages ends without one.
    bool finish();
    // Abandons the job: a printer discards it, a writer leaves an unfinished file.
    void cancel();

    int pageCount() const { return m_pages; }

private:
    QPagedPaintDevice *m_device;
    std::unique_ptr<QPainter> m_painter;
    int m_pages = 0;
};

} // namespace Render
