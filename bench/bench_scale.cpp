#include "BenchEvent.h"
#include "participants/StartNumbers.h"
#include "ranking/RankTable.h"
#include "ranking/Ranking.h"
#include "reportengine/render/PageSequence.h"
#include "reportengine/render/ReportRenderer.h"
#include "reportengine/render/ReportTableWriter.h"
#include "reports/RankListReport.h"
#include "reports/ScorecardReport.h"
#include "reports/Scorecards.h"
#include "results/FinishedStatus.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

// Each operation at 1,000, 5,000 and 20,000 teams over ten posts, beside its floor on the
// same files in the same run: the least work a database or a painter must do for the same
// result. Sizes can be chosen with VELUNDA_BENCH_SIZES=1000,5000.
namespace {

constexpr int Runs = 3;

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

double milliseconds(const std::function<void()> &work)
{
    QList<double> times;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        times << timer.nsecsElapsed() / 1e6;
    }
    return median(times);
}

struct Line
{
    QString what;
    int n;
    double value;
    double floor;
    QString unit;
    QString target;
};
QList<Line> lines;

void report(const QString &what, int n, double value, double floor, const QString &unit,
            const QString &target)
{
    lines << Line{what, n, value, floor, unit, target};
    std::printf("  %-26s n=%-6d %10.1f %s   floor %10.1f   x%.2f   %s\n", qPrintable(what), n,
                value, qPrintable(unit), floor, floor > 0 ? value / floor : 0.0,
                qPrintable(target));
    std::fflush(stdout);
}

// The draw as one set-based pass without names, collation or groups: random order, numbers
// into the entries and the standing numbers.
void drawFloor(TestDatabase &t, int event)
{
    Transaction transaction(t.db());
    Statement entries(
        t.db(),
        u"UPDATE TeamsProAnlass SET StartNr = d.n FROM (SELECT TeamNr, "
        "row_number() OVER (ORDER BY random()) AS n FROM TeamsProAnlass WHERE "
        "AnlassNr = :A) d WHERE AnlassNr = :A AND TeamsProAnlass.TeamNr = d.TeamNr"_s);
    entries.bind("A", event);
    entries.exec();
    Statement teams(t.db(),
                    u"UPDATE Team SET StartNr = e.StartNr FROM TeamsProAnlass e "
                    "WHERE e.AnlassNr = :A AND e.TeamNr = Team.TeamNr"_s);
    teams.bind("A", event);
    teams.exec();
    transaction.commit();
}

// The rank list as one query: totals, rank and the printed columns of every finished
// participant, read into memory.
qsizetype rankListFloor(TestDatabase &t, int event)
{
    Statement s(
        t.db(),
        QStringList{u"SELECT rank() OVER (ORDER BY sum(p.Punkte) DESC, sum(p.Zeit)), e.StartNr,"_s,
                    u"  t.Name, t.Vorname, t.Verein, t.Hund, t.Rasse, k.KatBez,"_s,
                    u"  sum(p.Punkte), sum(p.Zeit)"_s,
                    u"FROM Parcours p JOIN TeamsProAnlass e ON e.AnlassNr = p.AnlassNr"_s,
                    u"  AND e.TeamNr = p.TeamNr JOIN Team t ON t.TeamNr = p.TeamNr"_s,
                    u"LEFT JOIN Kategorie k ON k.KatNr = t.KatNr"_s,
                    u"WHERE p.AnlassNr = :A AND e.Abgeschlossen <> 0 GROUP BY p.TeamNr"_s,
                    u"ORDER BY 1"_s});
    s.bind("A", event);
    QList<QVariantList> rows;
    while (s.next()) {
        QVariantList row;
        for (int c = 0; c < s.columnCount(); ++c)
            row << s.value(c);
        rows << row;
    }
    return rows.size();
}

// A bare painter: the same card laid out once and painted on every page of one PDF, without
// anything read from the database.
void cardsFloor(const Report::ReportDocument &card, int pages, const QString &file)
{
    QPdfWriter writer(file);
    Render::PageSequence sequence(&writer);
    const Render::ReportRenderer renderer(card);
    for (int p = 0; p < pages; ++p)
        sequence.add(renderer);
    sequence.finish();
}

} // namespace

class BenchScale : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void run_data()
    {
        QTest::addColumn<int>("teams");
        QString sizes = qEnvironmentVariable("VELUNDA_BENCH_SIZES", u"1000,5000,20000"_s);
        for (const QString &n : sizes.split(u','))
            QTest::newRow(qPrintable(n)) << n.toInt();
    }

    void run()
    {
        QFETCH(int, teams);
        const auto t = buildEvent(teams);
        const int event = t->competition->CurrentAnlassNr();
        std::printf("\n%d teams, %d posts:\n", teams, PostCount);

        const double draw =
            milliseconds([&] { t->competition->startNumbers().DrawStartNumbers(); });
        const double drawSql = milliseconds([&] { drawFloor(*t, event); });
        report(u"draw"_s, teams, draw, drawSql, u"ms"_s, u"target x3"_s);

        const EventRow ev = *t->competition->event();
        RankListReport &list = t->competition->ranking().report();
        qsizetype listed = 0;
        const double csv = milliseconds([&] {
            RankTable(t->data, ev).FillRankTable(0, true);
            list.PrepareRankList(0, RankListReport::Normal, false);
            listed = Render::ReportTableWriter(list.document()).csv().size();
        });
        qsizetype floorRows = 0;
        const double csvSql = milliseconds([&] { floorRows = rankListFloor(*t, event); });
        report(u"rank list CSV"_s, teams, csv, csvSql, u"ms"_s, u"target x2.5"_s);
        QVERIFY(listed > 0 && floorRows > 0);

        // After one participant's results are saved as the result dialog does: its row and the
        // counts, against rereading the whole list.
        t->competition->RefreshParticipants();
        const ParticipantRow someone = t->competition->participants().at(teams / 2);
        QList<double> rowTimes;
        for (int run = 0; run < Runs; ++run) {
            t->addResult(event, 1, someone.TeamNr, 7.5 + run, 12.25);
            t->competition->finishedStatus().SetFinished(someone.TeamNr, run % 2 == 0, false);
            QElapsedTimer timer;
            timer.start();
            t->competition->RefreshParticipant(someone.TeamNr);
            // The counts as an event with automatic rank lists rebuilds them.
            t->competition->ranking().RefreshFinishedCounts(true);
            rowTimes << timer.nsecsElapsed() / 1e6;
        }
        const double full = milliseconds([&] { t->competition->RefreshParticipants(); });
        report(u"update row and counts"_s, teams, median(rowTimes), full, u"ms"_s,
               u"target 50 ms; floor: full refresh"_s);

        // Cards: the companion tool in its own process, so that its peak memory is its own,
        // measured by /usr/bin/time (the rusage of a child would count the pages it shared
        // with this process before it started the tool).
        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"cards.pdf"_s);
        const QStringList args{
            u"scorecards"_s, t->databaseDir(), u"--event"_s, QString::number(event),
            u"--all"_s,      u"-o"_s,          pdf};
        const bool timed = QFile::exists(u"/usr/bin/time"_s);
        QElapsedTimer timer;
        timer.start();
        QProcess cli;
        if (timed)
            cli.start(u"/usr/bin/time"_s,
                      QStringList{u"-f"_s, u"peak-kb %M"_s, QStringLiteral(VELUNDA_CLI_PATH)}
                          + args);
        else
            cli.start(QStringLiteral(VELUNDA_CLI_PATH), args);
        QVERIFY(cli.waitForFinished(-1));
        const double cardsMs = timer.nsecsElapsed() / 1e6;
        const QString err = QString::fromUtf8(cli.readAllStandardError());
        QVERIFY2(cli.exitCode() == 0, qPrintable(err));
        double peakMb = 0;
        if (timed) {
            peakMb = err.section(u"peak-kb "_s, 1).trimmed().toDouble() / 1024.0;
        } else {
            rusage usage{};
            getrusage(RUSAGE_CHILDREN, &usage);
            peakMb = usage.ru_maxrss / 1024.0;
        }
        const int pages = int(t->competition->participants().size());
        ScorecardReport blank(*t->competition);
        blank.PrepareScorecard(0);
        const double bare =
            milliseconds([&] { cardsFloor(blank.document(), pages, dir.filePath(u"bare.pdf"_s)); });
        report(u"all cards (time)"_s, teams, cardsMs, bare, u"ms"_s,
               u"floor: the same card painted"_s);
        report(u"all cards (peak memory)"_s, teams, peakMb, 0, u"MB"_s, u"target < 100 MB"_s);
    }

    void cleanupTestCase()
    {
        std::printf("\nSummary (median of %d runs; floor in the same run):\n", Runs);
        for (const Line &l : lines)
            std::printf("  %-26s n=%-6d %10.1f %s  floor %10.1f  ratio %5.2f  %s\n",
                        qPrintable(l.what), l.n, l.value, qPrintable(l.unit), l.floor,
                        l.floor > 0 ? l.value / l.floor : 0.0, qPrintable(l.target));
    }
};

QTEST_MAIN(BenchScale)
#include "bench_scale.moc"
