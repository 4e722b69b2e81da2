#include "reportengine/ui/ReportPreviewDialog.h"
#include "reports/Scorecards.h"
#include "support/ReportTestUtil.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

// Saving a scorecard from its preview window, as the operator does with "Speichern unter ...".
class TestScorecardPreview : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void saveFromThePreview_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QStringList>("written");
        QTest::newRow("pdf") << "bogen.pdf" << QStringList{QStringLiteral("bogen.pdf")};
        QTest::newRow("png, a file per page")
            << "bogen.png"
            << QStringList{QStringLiteral("bogen-1.png"), QStringLiteral("bogen-2.png")};
        QTest::newRow("xlsx") << "bogen.xlsx" << QStringList{QStringLiteral("bogen.xlsx")};
    }

    void saveFromThePreview()
    {
        QFETCH(QString, fileName);
        QFETCH(QStringList, written);
        TestDatabase t;
        const int event = t.addEvent(QStringLiteral("Sommerplausch"));
        for (int i = 1; i <= 20; ++i)
            t.addPost(QStringLiteral("Posten %1").arg(i));
        t.open(event);
        t.competition->scorecards().OutputScorecards(false, 0);
        QCOMPARE(t.ui.previews.size(), 1);

        ReportPreviewDialog dialog(t.ui.previews.first(), nullptr, t.ui);
        QCOMPARE(dialog.pageCount(), 2);
        QTemporaryDir dir;
        ReportPreviewDialog::setNextSaveFileName(dir.filePath(fileName));
        dialog.findChild<QPushButton *>(QStringLiteral("previewSave"))->click();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name), written);

        const QString first = dir.filePath(written.first());
        if (fileName.endsWith(QLatin1String(".pdf"))) {
            QCOMPARE(ReportTestUtil::pdfPageCount(first), 2);
        } else if (fileName.endsWith(QLatin1String(".png"))) {
            QCOMPARE(QImage(first).size(), QSize(1240, 1754));
        } else {
            const QString sheet = QString::fromUtf8(
                ReportTestUtil::unzipEntry(first, QStringLiteral("xl/worksheets/sheet1.xml")));
            // Title, heading and category lines, the column headings and a row per post.
            QCOMPARE(sheet.count(QStringLiteral("<row ")), 24);
            const QString strings = QString::fromUtf8(
                ReportTestUtil::unzipEntry(first, QStringLiteral("xl/sharedStrings.xml")));
            for (const QString &text :
                 {QStringLiteral("Sommerplausch"), QStringLiteral("Postenname"),
                  QStringLiteral("Visum"), QStringLiteral("Posten 20")})
                QVERIFY2(strings.contains(text), qPrintable(text));
        }
    }

    // The preview stays open and the operator is told why; nothing is left behind.
    void failedSaveIsReportedThroughTheInterface()
    {
        TestDatabase t;
        t.open(t.addEvent(QStringLiteral("Sommerplausch")));
        t.competition->scorecards().OutputScorecards(false, 0);
        QCOMPARE(t.ui.previews.size(), 1);
        ReportPreviewDialog dialog(t.ui.previews.first(), nullptr, t.ui);
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("fehlt/bogen.pdf"));
        ReportPreviewDialog::setNextSaveFileName(target);
        dialog.findChild<QPushButton *>(QStringLiteral("previewSave"))->click();
        QCOMPARE(t.ui.texts().size(), 1);
        QVERIFY2(t.ui.texts().first().contains(QStringLiteral("bogen.pdf")),
                 qPrintable(t.ui.texts().first()));
        QVERIFY(!QFile::exists(target));
    }
};

QTEST_MAIN(TestScorecardPreview)
#include "tst_scorecardpreview.moc"
