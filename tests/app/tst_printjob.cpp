#include "app/ui/Forms.h"
#include "app/ui/GuiUserInterface.h"
#include "app/ui/MainForm.h"
#include "reports/ScorecardReport.h"
#include "support/ReportTestUtil.h"
#include "support/TestDatabase.h"

#include <QLabel>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

// The program's printing of a batch, on a printer that prints into a PDF file: the file is the
// test printer, its pages what the job printed.
class TestPrintJob : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aBatchIsOneJobOfManyPagesNamedInTheStatusBar()
    {
        TestDatabase t;
        const int event = t.addEvent(QStringLiteral("Sommerplausch"));
        t.addPost(QStringLiteral("Wald"));
        QList<int> teams;
        for (const char *name : {"Aebi", "Brun", "Caduff"})
            teams << t.addTeam(QLatin1String(name), QStringLiteral("x"), 0);
        t.open(event);
        Forms forms;
        forms.create(*t.competition, t.ui);
        GuiUserInterface gui(forms);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("karten.pdf"));
        forms.printer().setOutputFormat(QPrinter::PdfFormat);
        forms.printer().setOutputFileName(file);

        ScorecardReport card(*t.competition);
        QList<int> asked;
        const bool done = gui.printReports(
            QStringLiteral("Sommerplausch"), 4, [&](int i) -> const Report::ReportDocument * {
                asked << i;
                // The third is gone: it is skipped, the job goes on.
                return i == 2 ? nullptr
                              : (card.PrepareScorecard(i < 3 ? teams.at(i) : 0), &card.document());
            });
        QVERIFY(done);
        QCOMPARE(asked, (QList<int>{0, 1, 2, 3}));
        QCOMPARE(ReportTestUtil::pdfPageCount(file), 3);
        QVERIFY(forms.MainForm->findChild<QLabel *>(QStringLiteral("statusFirst"))
                    ->text()
                    .contains(file));
        forms.destroy();
    }
};

QTEST_MAIN(TestPrintJob)
#include "tst_printjob.moc"
