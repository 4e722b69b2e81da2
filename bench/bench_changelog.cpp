#include "backup/Snapshots.h"
#include "engine/Statement.h"
#include "engine/Transaction.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int PostCount = 10;

// An event of n participants with a result row at each of ten posts.
std::unique_ptr<TestDatabase> buildEvent(int n)
{
    auto t = std::make_unique<TestDatabase>();
    const int kat = t->addCategory(u"Senioren"_s);
    for (int p = 1; p <= PostCount; ++p)
        t->addPost(u"Posten %1"_s.arg(p));
    const int event = t->addEvent(u"Grossanlass"_s);
    Transaction transaction(t->db());
    t->db().exec(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                 "INSERT INTO Team (Typ, Name, KatNr, StartNr) SELECT 1, 'Team ' || i, %2, i "
                 "FROM n"_s.arg(n)
                     .arg(kat));
    t->db().exec(u"INSERT INTO TeamsProAnlass (AnlassNr, TeamNr, StartNr) SELECT %1, TeamNr, "
                 "StartNr FROM Team"_s.arg(event));
    t->db().exec(u"INSERT INTO Parcours (AnlassNr, PostenNr, TeamNr, Punkte) SELECT %1, "
                 "p.PostenNr, t.TeamNr, t.TeamNr % 7 FROM Team t, Posten p"_s.arg(event));
    transaction.commit();
    t->open(event);
    return t;
}

QMap<QString, QMap<int, double>> best;

void record(const QString &what, int n, double ms)
{
    QMap<int, double> &times = best[what];
    times[n] = times.contains(n) ? qMin(times[n], ms) : ms;
}

double timed(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

// What the change log and the snapshots cost, each beside its floor: the same rows written
// without a logged column, and a plain byte copy of the same files.
class BenchChangeLog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sizes_data()
    {
        QTest::addColumn<int>("participants");
        for (int n : {1000, 10000})
            QTest::newRow(qPrintable(QString::number(n))) << n;
    }

    void setBasedUpdate_data() { sizes_data(); }

    // Resetting the printed marks of every entry logs a line per entry inside the statement.
    void setBasedUpdate()
    {
        QFETCH(int, participants);
        const auto t = buildEvent(participants);
        const auto flip = [&](const QString &column) {
            Transaction transaction(t->db());
            t->db().exec(u"UPDATE TeamsProAnlass SET %1 = 1 - %1"_s.arg(column));
            transaction.commit();
        };
        // The same lines written by one INSERT ... SELECT beside the unlogged update.
        const auto setBased = [&] {
            Transaction transaction(t->db());
            t->db().exec(u"UPDATE TeamsProAnlass SET IsGroup = 1 - IsGroup"_s);
            t->db().exec(u"INSERT INTO Protokoll (Zeitpunkt, Quelle, AnlassNr, TeamNr, PostenNr, "
                         "Feld, Alt, Neu) SELECT velunda_moment(), velunda_source(), AnlassNr, "
                         "TeamNr, 0, 'IsGroup', 1 - IsGroup, IsGroup FROM TeamsProAnlass"_s);
            transaction.commit();
        };
        QBENCHMARK
        {
            record(u"flags, logged"_s, participants, timed([&] { flip(u"RangBerechnet"_s); }));
            record(u"floor: same rows, not logged"_s, participants,
                   timed([&] { flip(u"IsGroup"_s); }));
            record(u"floor: logged by INSERT SELECT"_s, participants, timed(setBased));
        }
        QCOMPARE(t->count(u"SELECT count(*) >= %1 FROM Protokoll"_s.arg(participants)), 1);
    }

    void resultsUpdate_data() { sizes_data(); }

    void resultsUpdate()
    {
        QFETCH(int, participants);
        const auto t = buildEvent(participants);
        const auto change = [&](const QString &assignment) {
            Transaction transaction(t->db());
            t->db().exec(u"UPDATE Parcours SET "_s + assignment);
            transaction.commit();
        };
        QBENCHMARK
        {
            record(u"results, logged"_s, participants,
                   timed([&] { change(u"Punkte = Punkte + 1"_s); }));
            // A flag, as a number would break its check: the same rows written, none logged.
            record(u"floor: results not logged"_s, participants,
                   timed([&] { change(u"SatzVerarbeitet = 1 - SatzVerarbeitet"_s); }));
        }
    }

    void snapshot_data() { sizes_data(); }

    void snapshot()
    {
        QFETCH(int, participants);
        const auto t = buildEvent(participants);
        QTemporaryDir copies;
        int round = 0;
        QBENCHMARK
        {
            record(u"snapshot"_s, participants, timed([&] {
                       Snapshots::take(t->db(), u"Bench"_s,
                                       QDateTime::currentDateTime().addSecs(++round));
                   }));
            record(u"floor: byte copy of the files"_s, participants, timed([&] {
                       const QDir from(t->databaseDir());
                       const QString to = copies.filePath(QString::number(round));
                       QDir().mkpath(to);
                       for (const QString &f : from.entryList(QDir::Files)) {
                           QFile source(from.filePath(f));
                           QFile target(QDir(to).filePath(f));
                           if (source.open(QIODevice::ReadOnly)
                               && target.open(QIODevice::WriteOnly))
                               target.write(source.readAll());
                       }
                   }));
        }
    }

    void cleanupTestCase()
    {
        std::printf("\nBest times (ms):\n");
        for (auto it = best.cbegin(); it != best.cend(); ++it) {
            std::printf("  %-32s", qPrintable(it.key()));
            for (auto t = it.value().cbegin(); t != it.value().cend(); ++t)
                std::printf("  n=%-6d %9.2f", t.key(), t.value());
            std::printf("\n");
        }
    }
};

QTEST_GUILESS_MAIN(BenchChangeLog)
#include "bench_changelog.moc"
