#include "reportengine/render/ExportError.h"
#include "reportengine/render/ReportExport.h"
#include "reportengine/render/ReportRenderer.h"
#include "reportengine/render/ReportTableWriter.h"
#include "support/ReportTestUtil.h"

#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace ReportTestUtil;
using Render::ExportFormat;

namespace {

// The rank-list fixture with texts that need escaping and quoting.
Report::ReportDocument exportDocument(int rows)
{
    Report::ReportDocument doc = rankListDocument(rows);
    if (rows > 0) {
        doc.data.rows[0][doc.data.columnIndex(QStringLiteral("CalcFullName"))] =
            QStringLiteral("Meier & <Söhne>");
        doc.data.rows[0][doc.data.columnIndex(QStringLiteral("CalcVerein"))] =
            QStringLiteral("Club \"Pfote\"; Bern");
    }
    return doc;
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

QStringList texts(std::initializer_list<const char *> utf8)
{
    QStringList out;
    for (const char *text : utf8)
        out.append(QString::fromUtf8(text));
    return out;
}

QString readAll(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

class TestReportExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pageFormats_data();
    void pageFormats();
    void dataFormats_data();
    void dataFormats();
    void csvTable();
    void csvKeepsFormulasOut();
    void xlsxWorkbook();
    void formatFollowsSuffix();
    void unwritableTargetIsRefused_data();
    void unwritableTargetIsRefused();
    void failedPageRemovesPagesWritten();
};

void TestReportExport::pageFormats_data()
{
    QTest::addColumn<ExportFormat>("format");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("written");
    QTest::newRow("pdf") << ExportFormat::Pdf << "list.pdf" << 60 << texts({"list.pdf"});
    QTest::newRow("png, one page") << ExportFormat::Png << "list.png" << 10 << texts({"list.png"});
    QTest::newRow("png, two pages")
        << ExportFormat::Png << "list.png" << 60 << texts({"list-1.png", "list-2.png"});
    QTest::newRow("jpeg, two pages") << ExportFormat::Jpeg << "Liste 3.Lauf.jpg" << 60
                                     << texts({"Liste 3.Lauf-1.jpg", "Liste 3.Lauf-2.jpg"});
    QTest::newRow("bmp, one page") << ExportFormat::Bmp << "list.bmp" << 0 << texts({"list.bmp"});
    QTest::newRow("svg, three pages") << ExportFormat::Svg << "list.svg" << 120
                                      << texts({"list-1.svg", "list-2.svg", "list-3.svg"});
    QTest::newRow("no suffix") << ExportFormat::Png << "list" << 10 << texts({"list.png"});
}

void TestReportExport::pageFormats()
{
    QFETCH(ExportFormat, format);
    QFETCH(QString, fileName);
    QFETCH(int, rows);
    QFETCH(QStringList, written);
    QTemporaryDir dir;
    QStringList expected;
    for (const QString &name : written)
        expected.append(dir.filePath(name));

    const QStringList files =
        Render::ReportExport::exportDocument(exportDocument(rows), dir.filePath(fileName), format);
    QCOMPARE(files, expected);
    QCOMPARE(entries(dir.path()), written); // no temporary files, no unnumbered name

    for (const QString &file : files) {
        switch (format) {
        case ExportFormat::Pdf:
            QCOMPARE(pdfPageCount(file), 2);
            break;
        case ExportFormat::Svg: {
            QSvgRenderer svg(file);
            QVERIFY(svg.isValid());
            QCOMPARE(svg.viewBoxF().size(), QSizeF(2100, 2970));
            QVERIFY(readAll(file).contains(QStringLiteral("width=\"210mm\" height=\"297mm\"")));
            break;
        }
        default: {
            const QImage image(file);
            QCOMPARE(image.size(), QSize(1240, 1754)); // A4 at 150 dpi
            break;
        }
        }
    }
}

void TestReportExport::dataFormats_data()
{
    QTest::addColumn<ExportFormat>("format");
    QTest::addColumn<QStringList>("expected");
    const QStringList plain =
        texts({"Sommerplausch 2024", "Einzel-Rangliste sortiert \"Punkte/Zeit\"", "StrNr.",
               "Meier & <Söhne>", "Name 60", "Hundeclub Über-Dorf", "90,00", "75,00"});
    const QStringList escaped = texts(
        {"<h1>Sommerplausch 2024</h1>", "Einzel-Rangliste sortiert &quot;Punkte/Zeit&quot;",
         "<th class=\"r\">StrNr.</th>", "Meier &amp; &lt;Söhne&gt;", "<td class=\"r\">90,00</td>"});
    QTest::newRow("html") << ExportFormat::Html << escaped;
    QTest::newRow("xhtml") << ExportFormat::Xhtml << escaped;
    QTest::newRow("odt") << ExportFormat::Odt
                         << texts({"Sommerplausch 2024", "Meier &amp; &lt;Söhne&gt;", "Name 60",
                                   "90,00"});
    QTest::newRow("text") << ExportFormat::Text << plain;
}

void TestReportExport::dataFormats()
{
    QFETCH(ExportFormat, format);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    const QString fileName =
        dir.filePath(QStringLiteral("list.") + Render::ReportExport::defaultSuffix(format));
    QCOMPARE(Render::ReportExport::exportDocument(exportDocument(60), fileName, format),
             QStringList{fileName});
    QCOMPARE(entries(dir.path()).size(), 1);

    QString contents;
    if (format == ExportFormat::Odt) {
        contents = QString::fromUtf8(unzipEntry(fileName, QStringLiteral("content.xml")));
        QVERIFY2(!contents.isEmpty(), "no content.xml in the ODT");
    } else {
        contents = readAll(fileName);
    }
    for (const QString &text : expected)
        QVERIFY2(contents.contains(text), qPrintable(text));
    // The title lines come before the table, the rows in their order.
    QVERIFY(contents.indexOf(QStringLiteral("Sommerplausch 2024"))
            < contents.indexOf(QStringLiteral("StrNr.")));
    QVERIFY(contents.indexOf(QStringLiteral("Name 2<"))
                < contents.indexOf(QStringLiteral("Name 10<"))
            || format == ExportFormat::Text);

    if (format == ExportFormat::Xhtml) {
        QXmlStreamReader xml(contents);
        while (!xml.atEnd())
            xml.readNext();
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    }
    if (format == ExportFormat::Text) {
        const QStringList lines = contents.split(u'\n');
        // Right-aligned columns line up at their right edge.
        const int row9 = int(lines.indexOf(QRegularExpression(QStringLiteral(" +9 .*Name 9 .*"))));
        const int row10 =
            int(lines.indexOf(QRegularExpression(QStringLiteral(" +10 .*Name 10 .*"))));
        QVERIFY(row9 > 0 && row10 == row9 + 1);
        QCOMPARE(lines.at(row9).indexOf(QStringLiteral("209")),
                 lines.at(row10).indexOf(QStringLiteral("210")));
        QVERIFY(lines.at(row9).endsWith(QStringLiteral("13,50  62,25")));
    }
}

void TestReportExport::csvTable()
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("list.csv"));
    Render::ReportExport::exportDocument(exportDocument(60), fileName, ExportFormat::Csv);
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.at(0), QStringLiteral("Sommerplausch 2024"));
    QCOMPARE(lines.at(1), QStringLiteral("\"Einzel-Rangliste sortiert \"\"Punkte/Zeit\"\"\""));
    QCOMPARE(lines.at(2), QString());
    QCOMPARE(lines.at(3), QStringLiteral("Rang;StrNr.;Name;Verein;Punkte;Zeit"));
    QCOMPARE(lines.at(4),
             QStringLiteral("1;201;Meier & <Söhne>;\"Club \"\"Pfote\"\"; Bern\";1,50;60,25"));
    QCOMPARE(lines.at(63), QStringLiteral("60;260;Name 60;Hundeclub Über-Dorf;90,00;75,00"));
    QCOMPARE(lines.size(), 65); // the last line ends with a line break
    QCOMPARE(lines.last(), QString());
}

// A name typed into a registration form must not become a formula in the spreadsheet that
// opens the list; a negative number stays a number.
void TestReportExport::csvKeepsFormulasOut()
{
    Report::ReportDocument doc = exportDocument(4);
    const auto set = [&doc](int row, const char *column, const QVariant &value) {
        doc.data.rows[row][doc.data.columnIndex(QLatin1String(column))] = value;
    };
    set(0, "CalcFullName", QStringLiteral("=HYPERLINK(\"http://x\";\"klick\")"));
    set(0, "CalcVerein", QStringLiteral("@SUM(A1)"));
    set(1, "CalcFullName", QStringLiteral("+41 79 000"));
    set(1, "CalcVerein", QStringLiteral("-Club"));
    set(2, "Punkte", -3.5);
    const QStringList lines = QString::fromUtf8(Render::ReportTableWriter(doc).csv().mid(3))
                                  .split(QStringLiteral("\r\n"));
    QCOMPARE(lines.at(4),
             QStringLiteral("1;201;\"'=HYPERLINK(\"\"http://x\"\";\"\"klick\"\")\";"
                            "'@SUM(A1);1,50;60,25"));
    QCOMPARE(lines.at(5), QStringLiteral("2;202;'+41 79 000;'-Club;3,00;60,50"));
    QVERIFY2(lines.at(6).endsWith(QStringLiteral(";-3,50;60,75")), qPrintable(lines.at(6)));
}

void TestReportExport::xlsxWorkbook()
{
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("list.xlsx"));
    Render::ReportExport::exportDocument(exportDocument(60), fileName, ExportFormat::Xlsx);
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("list.xlsx")});

    const QString strings =
        QString::fromUtf8(unzipEntry(fileName, QStringLiteral("xl/sharedStrings.xml")));
    for (const QString &text : {QStringLiteral("Sommerplausch 2024"), QStringLiteral("StrNr."),
                                QStringLiteral("Meier &amp; &lt;Söhne&gt;"),
                                QStringLiteral("Name 60"), QStringLiteral("Hundeclub Über-Dorf")})
        QVERIFY2(strings.contains(text), qPrintable(text));

    const QString sheet =
        QString::fromUtf8(unzipEntry(fileName, QStringLiteral("xl/worksheets/sheet1.xml")));
    // Two title lines, a blank row (not stored), the headings and 60 rows.
    QCOMPARE(sheet.count(QStringLiteral("<row ")), 63);
    QVERIFY(sheet.contains(QStringLiteral("<row r=\"4\"")));
    QVERIFY(!sheet.contains(QStringLiteral("<row r=\"3\"")));
    // Points stay numbers, shown with two decimals.
    const QRegularExpressionMatch points =
        QRegularExpression(QStringLiteral("<c r=\"E5\" s=\"(\\d+)\"><v>1.5</v></c>")).match(sheet);
    QVERIFY2(points.hasMatch(), qPrintable(sheet.left(2000)));
    QVERIFY(QString::fromUtf8(unzipEntry(fileName, QStringLiteral("xl/styles.xml")))
                .contains(QStringLiteral("formatCode=\"0.00\"")));
    QVERIFY(sheet.contains(QStringLiteral("<c r=\"B64\"><v>260</v></c>")));
}

void TestReportExport::formatFollowsSuffix()
{
    QTemporaryDir dir;
    const Report::ReportDocument doc = exportDocument(3);
    const QString csv = dir.filePath(QStringLiteral("LIST.CSV"));
    QCOMPARE(Render::ReportExport::exportDocument(doc, csv), QStringList{csv});
    QVERIFY(readAll(csv).contains(QStringLiteral("Rang;StrNr.")));
    const QString htm = dir.filePath(QStringLiteral("list.htm"));
    Render::ReportExport::exportDocument(doc, htm);
    QVERIFY(readAll(htm).startsWith(QStringLiteral("<!DOCTYPE html>")));

    const QString unknown = dir.filePath(QStringLiteral("list.doc"));
    try {
        Render::ReportExport::exportDocument(doc, unknown);
        QFAIL("an unknown suffix was accepted");
    } catch (const Render::ExportError &error) {
        QVERIFY(error.message().contains(QStringLiteral(".doc")));
    }
    QCOMPARE(entries(dir.path()).size(), 2);
}

void TestReportExport::unwritableTargetIsRefused_data()
{
    QTest::addColumn<ExportFormat>("format");
    QTest::addColumn<QString>("fileName");
    for (ExportFormat format : Render::ReportExport::formats()) {
        const QString suffix = Render::ReportExport::defaultSuffix(format);
        QTest::addRow("%s, missing directory", qPrintable(suffix))
            << format << QStringLiteral("/nonexistent-velunda-dir/list.") + suffix;
        QTest::addRow("%s, /proc", qPrintable(suffix))
            << format << QStringLiteral("/proc/velunda-list.") + suffix;
    }
}

void TestReportExport::unwritableTargetIsRefused()
{
    QFETCH(ExportFormat, format);
    QFETCH(QString, fileName);
    try {
        Render::ReportExport::exportDocument(exportDocument(60), fileName, format);
        QFAIL("the export claimed success");
    } catch (const Render::ExportError &error) {
        QVERIFY2(error.message().startsWith(QStringLiteral("Die Datei „")),
                 qPrintable(error.message()));
        QVERIFY(error.message().contains(QStringLiteral("konnte nicht gespeichert werden")));
        QVERIFY(error.message().contains(QFileInfo(error.fileName()).fileName()));
        QVERIFY(QString::fromUtf8(error.what()) == error.message());
    }
    const QFileInfo info(fileName);
    QVERIFY(!QFileInfo::exists(fileName));
    for (const QString &page : Render::ReportExport::pageFileNames(fileName, 2))
        QVERIFY(!QFileInfo::exists(page));
}

void TestReportExport::failedPageRemovesPagesWritten()
{
    QTemporaryDir dir;
    // A directory where page 2 should go makes the export fail after page 1 was written.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("list-2.png")));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("list.pdf")));
    try {
        Render::ReportExport::exportDocument(
            exportDocument(60), dir.filePath(QStringLiteral("list.png")), ExportFormat::Png);
        QFAIL("the export claimed success");
    } catch (const Render::ExportError &error) {
        QCOMPARE(error.fileName(), dir.filePath(QStringLiteral("list-2.png")));
    }
    QVERIFY_THROWS_EXCEPTION(
        Render::ExportError,
        Render::ReportExport::exportDocument(
            exportDocument(60), dir.filePath(QStringLiteral("list.pdf")), ExportFormat::Pdf));
    QCOMPARE(entries(dir.path()),
             (QStringList{QStringLiteral("list-2.png"), QStringLiteral("list.pdf")}));
}

QTEST_MAIN(TestReportExport)
#include "tst_reportexport.moc"
