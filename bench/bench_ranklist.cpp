#include "BenchEvent.h"
#include "engine/Statement.h"
#include "engine/Transaction.h"
#include "ranking/RankTable.h"
#include "ranking/Ranking.h"
#include "reportengine/render/ReportRenderer.h"
#include "reports/RankListReport.h"
#include "support/TestDatabase.h"

#include <QElapsedTimer>
#include <QMap>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Best time in milliseconds per benchmark and size, for the summary at the end.
QMap<QString, QMap<int, double>> best;

void record(const char *what, int n, double ms)
{
    QMap<int, double> &times = best[QString::fromLatin1(what)];
    times[n] = times.contains(n) ? qMin(times[n], ms) : ms;
}

} // namespace

class BenchRankList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sizes_data()
    {
        QTest::addColumn<int>("participants");
        for (int n : {100, 1000, 5000})
            QTest::newRow(qPrintable(QString::number(n))) << n;
    }

    void fullRun_data()
    {
        QTest::addColumn<int>("participants");
        QTest::addColumn<bool>("durable");
        for (int n : {100, 1000, 5000}) {
            QTest::newRow(qPrintable(QString::number(n))) << n << true;
            // The same without waiting for the disk: what is left is the work itself.
            QTest::newRow(qPrintable(QString::number(n) + u" without fsync"_s)) << n << false;
        }
    }

    // Fill, number and prepare the single list of the whole field, as a run does without
    // its dialogs.
    void fullRun()
    {
        QFETCH(int, participants);
        QFETCH(bool, durable);
        const auto t = buildEvent(participants, durable);
        const EventRow event = *t->competition->event();
        RankListReport &report = t->competition->ranking().report();
        QBENCHMARK
        {
            QElapsedTimer timer;
            timer.start();
            RankTable(t->data, event).FillRankTable(0, true);
            report.PrepareRankList(0, RankListReport::Normal, false);
            record(durable ? "fill, number, prepare" : "the same without fsync", participants,
                   timer.nsecsElapsed() / 1e6);
        }
        QVERIFY(report.document().data.rows.size() > participants / 2);
    }

    void groupRun_data() { sizes_data(); }

    void groupRun()
    {
        QFETCH(int, participants);
        const auto t = buildEvent(participants);
        const EventRow event = *t->competition->event();
        RankListReport &report = t->competition->ranking().report();
        QBENCHMARK
        {
            QElapsedTimer timer;
            timer.start();
            RankTable(t->data, event).FillGroupRankTable(0, true);
            report.PrepareRankList(0, RankListReport::Normal, true);
            record("group list", participants, timer.nsecsElapsed() / 1e6);
        }
    }

    void pdf_data() { sizes_data(); }

    // Lay out and write the list as the preview's PDF export does.
    void pdf()
    {
        QFETCH(int, participants);
        const auto t = buildEvent(participants);
        RankTable(t->data, *t->competition->event()).FillRankTable(0, true);
        RankListReport &report = t->competition->ranking().report();
        report.PrepareRankList(0, RankListReport::Normal, false);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"rangliste.pdf"_s);
        int pages = 0;
        QBENCHMARK
        {
            QElapsedTimer timer;
            timer.start();
            Render::ReportRenderer renderer(report.document());
            renderer.writePdf(file);
            pages = renderer.pageCount();
            record("PDF", participants, timer.nsecsElapsed() / 1e6);
        }
        QVERIFY(pages > 0);
    }

    void cleanupTestCase()
    {
        std::printf("\nBest times (ms) and growth against the next smaller event:\n");
        for (auto it = best.cbegin(); it != best.cend(); ++it) {
            std::printf("  %-24s", qPrintable(it.key()));
            double previous = 0;
            int previousN = 0;
            for (auto t = it.value().cbegin(); t != it.value().cend(); ++t) {
                std::printf("  n=%-5d %9.2f", t.key(), t.value());
                if (previous > 0)
                    std::printf(" (x%.1f for x%d)", t.value() / previous, t.key() / previousN);
                previous = t.value();
                previousN = t.key();
            }
            std::printf("\n");
        }
    }
};

QTEST_MAIN(BenchRankList)
#include "bench_ranklist.moc"
