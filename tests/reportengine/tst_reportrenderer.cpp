#include "reportengine/render/ReportRenderer.h"
#include "support/ReportTestUtil.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace ReportTestUtil;
using Report::BandKind;
using PlacedBand = Render::ReportRenderer::PlacedBand;

namespace {

// Bottom of the body of every page of rankListDocument: A4 297 - margin 10 - footer 6.6.
constexpr double kFooterTop = 280.4;

BandKind kindOf(const Render::ReportRenderer &renderer, const PlacedBand &placed)
{
    return renderer.document().bands.at(placed.band).kind;
}

} // namespace

class TestReportRenderer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pagination_data();
    void pagination();
    void hiddenBandsAndElements();
    void emptyDatasetStillPaintsFixedBands();
    void bandFieldsReadFirstRow();
    void fixedWidthTextIsClipped_data();
    void fixedWidthTextIsClipped();
    void alignment_data();
    void alignment();
    void fontSizeIsTrueOnEveryDevice_data();
    void fontSizeIsTrueOnEveryDevice();
    void fontSizeIsTrueInPdf();
    void arialFallsBackToMetricTwin();
    void printsAllPagesWithProgressAndCancel();
    void pdfHasPageSizeAndOrientation();
};

void TestReportRenderer::pagination_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("pages");
    // Page 1 holds 49 rows below title and header, later pages 55; the summary needs 10 mm.
    QTest::newRow("empty") << 0 << 1;
    QTest::newRow("one page with summary") << 45 << 1;
    QTest::newRow("summary alone on page 2") << 49 << 2;
    QTest::newRow("first row of page 2") << 50 << 2;
    QTest::newRow("sixty rows") << 60 << 2;
    QTest::newRow("pages full, summary on page 3") << 104 << 3;
    QTest::newRow("many") << 1000 << 19;
}

void TestReportRenderer::pagination()
{
    QFETCH(int, rows);
    QFETCH(int, pages);
    const Render::ReportRenderer renderer(rankListDocument(rows));
    QCOMPARE(renderer.pageCount(), pages);

    int nextRow = 0;
    for (int page = 0; page < pages; ++page) {
        const QList<PlacedBand> placed = renderer.bandsOnPage(page);
        QVERIFY(placed.size() >= 3);
        int i = 0;
        if (page == 0) {
            QCOMPARE(kindOf(renderer, placed.at(i)), BandKind::Title);
            QCOMPARE(placed.at(i++).top, 10.0);
        }
        QCOMPARE(kindOf(renderer, placed.at(i)), BandKind::PageHeader);
        QCOMPARE(placed.at(i++).top, page == 0 ? 36.7 : 10.0);
        double y = page == 0 ? 41.7 : 15.0;
        for (; kindOf(renderer, placed.at(i)) == BandKind::Detail; ++i) {
            QCOMPARE(placed.at(i).row, nextRow++);
            QVERIFY(qAbs(placed.at(i).top - y) < 1e-9);
            y += 4.8;
        }
        if (page == pages - 1) {
            QCOMPARE(kindOf(renderer, placed.at(i)), BandKind::Summary);
            QVERIFY(qAbs(placed.at(i++).top - y) < 1e-9);
            y += 10;
        }
        QVERIFY2(y <= kFooterTop + 1e-9, "a band runs into the footer");
        QCOMPARE(kindOf(renderer, placed.at(i)), BandKind::PageFooter);
        QVERIFY(qAbs(placed.at(i++).top - kFooterTop) < 1e-9);
        QCOMPARE(i, placed.size());
        // A page is only broken when the next band would not have fitted.
        if (page < pages - 1) {
            const double next = nextRow < rows ? 4.8 : 10;
            QVERIFY(y + next > kFooterTop);
        }
    }
    QCOMPARE(nextRow, rows);
}

void TestReportRenderer::hiddenBandsAndElements()
{
    Report::ReportDocument doc = rankListDocument(60);
    doc.band(BandKind::Title)->visible = false;
    doc.element(QStringLiteral("footer"))->visible = false;
    const Render::ReportRenderer renderer(doc);
    // Without the title band, 55 rows fit on page 1.
    QCOMPARE(renderer.pageCount(), 2);
    QCOMPARE(kindOf(renderer, renderer.bandsOnPage(0).constFirst()), BandKind::PageHeader);
    QCOMPARE(renderer.bandsOnPage(1).at(1).row, 55);

    const double dpi = 100;
    const QImage page = renderer.renderPage(0, dpi);
    // The footer band is still there (its rule), its hidden text is not.
    QVERIFY(!inkBounds(page, mmRect(6, kFooterTop, 198, 1, dpi)).isNull());
    QVERIFY(inkBounds(page, mmRect(6, kFooterTop + 1.5, 198, 5, dpi)).isNull());
}

void TestReportRenderer::emptyDatasetStillPaintsFixedBands()
{
    const Render::ReportRenderer renderer(rankListDocument(0));
    QCOMPARE(renderer.pageCount(), 1);
    const double dpi = 100;
    const QImage page = renderer.renderPage(0, dpi);
    QCOMPARE(page.size(), QSize(827, 1169));
    QVERIFY2(!inkBounds(page, mmRect(6, 10, 198, 8, dpi)).isNull(), "title");
    QVERIFY2(!inkBounds(page, mmRect(6, 31, 198, 5, dpi)).isNull(), "column headings");
    QVERIFY2(!inkBounds(page, mmRect(6, 36.7, 198, 5, dpi)).isNull(), "page header");
    QVERIFY2(!inkBounds(page, mmRect(6, 41.7, 198, 10, dpi)).isNull(), "summary");
    QVERIFY2(inkBounds(page, mmRect(0, 52, 210, 228, dpi)).isNull(), "no detail rows");
    QVERIFY2(!inkBounds(page, mmRect(6, kFooterTop, 198, 6.6, dpi)).isNull(), "footer");
}

void TestReportRenderer::bandFieldsReadFirstRow()
{
    Report::ReportDocument doc = rankListDocument(60);
    Report::Element name;
    name.kind = Report::ElementKind::Field;
    name.field = QStringLiteral("CalcFullName");
    doc.band(BandKind::PageHeader)->elements.append(name);
    const Render::ReportRenderer renderer(doc);
    for (int page = 0; page < renderer.pageCount(); ++page) {
        for (const PlacedBand &placed : renderer.bandsOnPage(page)) {
            if (kindOf(renderer, placed) != BandKind::Detail)
                QCOMPARE(placed.row, 0);
        }
    }
    QCOMPARE(renderer.elementText(name, 0), QStringLiteral("Name 1"));
    QCOMPARE(renderer.elementText(*doc.element(QStringLiteral("Punkte")), 3),
             QStringLiteral("6,00"));
    QCOMPARE(renderer.elementText(*doc.element(QStringLiteral("title")), 0), doc.title);
    // Without data a field shows nothing, not "0,00".
    QCOMPARE(Render::ReportRenderer(rankListDocument(0))
                 .elementText(*doc.element(QStringLiteral("Punkte")), -1),
             QString());
}

void TestReportRenderer::fixedWidthTextIsClipped_data()
{
    QTest::addColumn<Report::Align>("align");
    QTest::addColumn<bool>("wrap");
    QTest::newRow("left") << Report::Align::Left << false;
    QTest::newRow("right") << Report::Align::Right << false;
    QTest::newRow("center") << Report::Align::Center << false;
    QTest::newRow("wrapped") << Report::Align::Left << true;
}

void TestReportRenderer::fixedWidthTextIsClipped()
{
    QFETCH(Report::Align, align);
    QFETCH(bool, wrap);
    Report::Element e =
        label(QStringLiteral("WWWWWWWWWWWWWWWWWWWW WWWWWWWWWWWWWWW WWWWWWWWWW"), 40, 10, 20, 12);
    e.height = 6;
    e.align = align;
    e.wrap = wrap;
    const Render::ReportRenderer renderer(singleBandDocument({e}));
    const double dpi = 200;
    const QImage page = renderer.renderPage(0, dpi);
    const QRect ink = inkBounds(page);
    const QRect allowed = mmRect(10 + 40, 10 + 10, 20, 6, dpi);
    QVERIFY(!ink.isNull());
    QVERIFY2(allowed.adjusted(-1, -1, 1, 1).contains(ink),
             qPrintable(QStringLiteral("ink %1,%2 %3x%4 outside the field")
                            .arg(ink.x())
                            .arg(ink.y())
                            .arg(ink.width())
                            .arg(ink.height())));
    // The text fills the field: it was clipped, not shrunk or dropped.
    QVERIFY(ink.width() > allowed.width() * 0.9);
}

void TestReportRenderer::alignment_data()
{
    QTest::addColumn<Report::Align>("align");
    QTest::addColumn<double>("width");
    QTest::addColumn<bool>("centerOnBand");
    QTest::addColumn<double>("expectedLeft"); // mm from the page edge, -1: not checked
    QTest::addColumn<double>("expectedRight"); //   "
    // The field runs from 10 + 50 to 10 + 80 mm; the band from 10 to 200 mm.
    QTest::newRow("left") << Report::Align::Left << 30.0 << false << 60.0 << -1.0;
    QTest::newRow("right") << Report::Align::Right << 30.0 << false << -1.0 << 90.0;
    QTest::newRow("right, natural width to band edge")
        << Report::Align::Right << 0.0 << false << -1.0 << 200.0;
    QTest::newRow("centred in field") << Report::Align::Center << 30.0 << false << -2.0 << 75.0;
    QTest::newRow("centred on band") << Report::Align::Left << 30.0 << true << -2.0 << 105.0;
}

void TestReportRenderer::alignment()
{
    QFETCH(Report::Align, align);
    QFETCH(double, width);
    QFETCH(bool, centerOnBand);
    QFETCH(double, expectedLeft);
    QFETCH(double, expectedRight);
    Report::Element e = label(QStringLiteral("1234,50"), 50, 5, width, 10);
    e.align = align;
    e.centerOnBand = centerOnBand;
    const Render::ReportRenderer renderer(singleBandDocument({e}));
    const double dpi = 300;
    const QRect ink = inkBounds(renderer.renderPage(0, dpi));
    QVERIFY(!ink.isNull());
    const double left = ink.left() * 25.4 / dpi;
    const double right = (ink.right() + 1) * 25.4 / dpi;
    // Glyph side bearings keep the ink a little inside the box.
    const double tolerance = 0.4;
    if (expectedLeft == -2.0) {
        QVERIFY2(qAbs((left + right) / 2 - expectedRight) < tolerance,
                 qPrintable(QString::number(left)));
        return;
    }
    if (expectedLeft >= 0)
        QVERIFY2(left >= expectedLeft && left - expectedLeft < tolerance,
                 qPrintable(QString::number(left)));
    if (expectedRight >= 0)
        QVERIFY2(right <= expectedRight && expectedRight - right < tolerance,
                 qPrintable(QString::number(right)));
}

void TestReportRenderer::fontSizeIsTrueOnEveryDevice_data()
{
    QTest::addColumn<double>("pointSize");
    QTest::addColumn<double>("dpi");
    // Below 150 dpi the gaps between 8 pt digits blur, so small text is measured finer.
    const QList<QPair<double, double>> cases{{16, 60}, {16, 96}, {16, 150}, {16, 600},
                                             {8, 150}, {8, 300}, {8, 600},  {7, 1200}};
    for (const auto &[pointSize, dpi] : cases)
        QTest::addRow("%g pt at %g dpi", pointSize, dpi) << pointSize << dpi;
}

// The digits of Arial (and of its metric twin) advance 1139/2048 em, so the ink of the first
// and of the tenth "0" starts nine advances apart whatever the glyph shapes are.
void TestReportRenderer::fontSizeIsTrueOnEveryDevice()
{
    QFETCH(double, pointSize);
    QFETCH(double, dpi);
    Report::ReportDocument digits =
        singleBandDocument({label(QStringLiteral("0000000000"), 20, 5, 0, pointSize)});
    digits.page.width = 80;
    digits.page.height = 40;
    const QImage page = Render::ReportRenderer(digits).renderPage(0, dpi);
    const QList<QPair<int, int>> runs = inkColumnRuns(page, mmRect(25, 10, 50, 20, dpi));
    QCOMPARE(runs.size(), 10);
    const double emMm = pointSize * 25.4 / 72;
    const double expectedMm = 9 * 1139.0 / 2048 * emMm;
    const double measuredMm = (runs.last().first - runs.first().first) * 25.4 / dpi;
    QVERIFY2(qAbs(measuredMm - expectedMm) <= 1.5 * 25.4 / dpi + expectedMm * 0.005,
             qPrintable(QStringLiteral("%1 mm instead of %2 mm").arg(measuredMm).arg(expectedMm)));

    // Cap height of "H": 1409/2048 em in Liberation Sans, 1466/2048 in Arial.
    Report::ReportDocument capital =
        singleBandDocument({label(QStringLiteral("H"), 20, 5, 0, pointSize)});
    capital.page = digits.page;
    const QRect h = inkBounds(Render::ReportRenderer(capital).renderPage(0, dpi));
    const double capMm = h.height() * 25.4 / dpi;
    QVERIFY2(
        capMm > 0.68 * emMm - 1.5 * 25.4 / dpi && capMm < 0.72 * emMm + 1.5 * 25.4 / dpi,
        qPrintable(QStringLiteral("cap height %1 mm for an em of %2 mm").arg(capMm).arg(emMm)));
}

void TestReportRenderer::fontSizeIsTrueInPdf()
{
    if (!hasTool(QStringLiteral("pdftotext")))
        QSKIP("pdftotext (poppler-utils) is not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("size.pdf"));
    Render::ReportRenderer(singleBandDocument({label(QStringLiteral("0000000000"), 20, 5, 0, 16)}))
        .writePdf(pdf);
    const QString html =
        runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    const QRegularExpressionMatch word =
        QRegularExpression(
            QStringLiteral("xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                           "yMax=\"([\\d.]+)\">0000000000<"))
            .match(html);
    QVERIFY2(word.hasMatch(), qPrintable(html));
    // Ten advances of 1139/2048 em at 16 pt, in points; the word starts at 30 mm.
    const double width = word.captured(3).toDouble() - word.captured(1).toDouble();
    QVERIFY2(qAbs(width - 10 * 1139.0 / 2048 * 16) < 0.5, qPrintable(QString::number(width)));
    QVERIFY(qAbs(word.captured(1).toDouble() - 30 / 25.4 * 72) < 1.0);
}

void TestReportRenderer::arialFallsBackToMetricTwin()
{
    const QString arial = Render::ReportRenderer::resolvedFamily(QStringLiteral("Arial"));
    if (QFontDatabase::hasFamily(QStringLiteral("Arial")))
        QCOMPARE(arial, QStringLiteral("Arial"));
    else
        QCOMPARE(arial, QStringLiteral("Liberation Sans"));
    const QString unknown =
        Render::ReportRenderer::resolvedFamily(QStringLiteral("Keine Solche Schrift"));
    QVERIFY(QFontDatabase::hasFamily(unknown));
    QVERIFY(QFontDatabase::hasFamily(
        Render::ReportRenderer::resolvedFamily(QStringLiteral("Times New Roman"))));
}

void TestReportRenderer::printsAllPagesWithProgressAndCancel()
{
    QTemporaryDir dir;
    const Render::ReportRenderer renderer(rankListDocument(120));
    QCOMPARE(renderer.pageCount(), 3);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("printed.pdf")));
    QList<QPair<int, int>> calls;
    QVERIFY(renderer.print(&printer, [&calls](int page, int count) {
        calls.append({page, count});
        return true;
    }));
    QCOMPARE(calls, (QList<QPair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
    QCOMPARE(pdfPageCount(printer.outputFileName()), 3);
    QCOMPARE(printer.docName(), renderer.document().title);

    QPrinter cancelled(QPrinter::HighResolution);
    cancelled.setOutputFormat(QPrinter::PdfFormat);
    cancelled.setOutputFileName(dir.filePath(QStringLiteral("cancelled.pdf")));
    calls.clear();
    QVERIFY(!renderer.print(&cancelled, [&calls](int page, int count) {
        calls.append({page, count});
        return page < 2;
    }));
    QCOMPARE(calls.size(), 2);
}

void TestReportRenderer::pdfHasPageSizeAndOrientation()
{
    if (!hasTool(QStringLiteral("pdfinfo")))
        QSKIP("pdfinfo (poppler-utils) is not installed");
    QTemporaryDir dir;
    Report::ReportDocument doc = rankListDocument(80);
    const QString portrait = dir.filePath(QStringLiteral("portrait.pdf"));
    Render::ReportRenderer(doc).writePdf(portrait);
    const QRegularExpression a4(QStringLiteral("Page size:\\s+595(\\.\\d+)? x 842(\\.\\d+)? pts"));
    QVERIFY(runTool(QStringLiteral("pdfinfo"), {portrait}).contains(a4));
    QCOMPARE(pdfPageCount(portrait), 2);

    doc.page.setOrientation(Report::Orientation::Landscape);
    QCOMPARE(doc.page.width, 297.0);
    const QString landscape = dir.filePath(QStringLiteral("landscape.pdf"));
    const Render::ReportRenderer wide(doc);
    wide.writePdf(landscape);
    const QRegularExpression a4Landscape(
        QStringLiteral("Page size:\\s+842(\\.\\d+)? x 595(\\.\\d+)? pts"));
    QVERIFY(runTool(QStringLiteral("pdfinfo"), {landscape}).contains(a4Landscape));
    QCOMPARE(pdfPageCount(landscape), wide.pageCount());
    QCOMPARE(wide.pageCount(), 3); // 31 rows below the title, then 37 a page
}

QTEST_MAIN(TestReportRenderer)
#include "tst_reportrenderer.moc"
