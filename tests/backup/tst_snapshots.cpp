#include "backup/Snapshots.h"
#include "engine/Database.h"
#include "engine/DatabaseError.h"
#include "engine/Schema.h"
#include "engine/Statement.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

// Every row of every table, in a fixed order.
QStringList dump(Database &db)
{
    QStringList rows;
    for (const Schema::Table &t : Schema::tables()) {
        QStringList order;
        for (int i = 1; i <= t.columns.size(); ++i)
            order << QString::number(i);
        Statement s(db,
                    QStringLiteral("SELECT * FROM \"%1\" ORDER BY %2")
                        .arg(t.name, order.join(QStringLiteral(", "))));
        while (s.next()) {
            QStringList values;
            for (int i = 0; i < s.columnCount(); ++i)
                values << s.value(i).toString();
            rows << t.name + QLatin1Char(':') + values.join(QLatin1Char('|'));
        }
    }
    return rows;
}

} // namespace

class TestSnapshots : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> t;
    int m_event = 0;
    int m_team = 0;
    int m_post = 0;

    QString folder() const { return Snapshots::folder(t->databaseDir()); }

private Q_SLOTS:
    void init()
    {
        t = std::make_unique<TestDatabase>();
        const int kat = t->addCategory(QStringLiteral("Senioren"));
        m_post = t->addPost(QStringLiteral("Slalom"), 1.5);
        m_event = t->addEvent(QStringLiteral("Herbstlauf"));
        for (int i = 1; i <= 3; ++i) {
            const int team = t->addTeam(QStringLiteral("T%1").arg(i), QStringLiteral("V"), kat);
            t->addEntry(m_event, team, i);
            t->addResult(m_event, m_post, team, i * 3.0, i * 10.0);
            m_team = team;
        }
        t->open(m_event);
    }

    void aSnapshotIsNamedByMomentAndCauseAndHoldsEveryFile()
    {
        const QDateTime at(QDate(2024, 5, 4), QTime(19, 32, 10));
        const Snapshot s = Snapshots::take(t->db(), QStringLiteral("Anlass löschen"), at);
        QCOMPARE(s.name, QStringLiteral("2024-05-04_19-32-10_Anlass_löschen"));
        QCOMPARE(s.cause, QStringLiteral("Anlass löschen"));
        QCOMPARE(s.time, at);
        QCOMPARE(s.timeText(), QStringLiteral("04.05.2024 19:32:10"));
        QCOMPARE(QFileInfo(s.path).dir().path(),
                 QDir(t->databaseDir()).filePath(QStringLiteral("Sicherungen")));
        QStringList expected;
        for (const Schema::Table &table : Schema::tables())
            expected << table.fileName();
        expected << Schema::changeLog().fileName();
        expected.sort();
        QCOMPARE(QDir(s.path).entryList(QDir::Files, QDir::Name), expected);
        // A second one in the same second gets a name of its own, and both are listed.
        const Snapshot again = Snapshots::take(t->db(), QStringLiteral("Anlass löschen"), at);
        QCOMPARE(again.name, QStringLiteral("2024-05-04_19-32-10-2_Anlass_löschen"));
        const QList<Snapshot> all = Snapshots::list(t->databaseDir());
        QCOMPARE(all.size(), 2);
        QCOMPARE(all.first().name, again.name);
        QCOMPARE(Snapshots::find(t->databaseDir(), QStringLiteral("2024-05-04_19-32-10-2"))->name,
                 again.name);
        QVERIFY(!Snapshots::find(t->databaseDir(), QStringLiteral("2024-05-04")));
    }

    // The newest thirty stay, and of every older day its last.
    void retentionKeepsTheLastThirtyAndTheLastOfEachDay()
    {
        const QDateTime start(QDate(2024, 5, 1), QTime(8, 0));
        for (int i = 0; i < 40; ++i) // five a day, 1 to 8 May
            Snapshots::take(t->db(), QStringLiteral("Ergebniseingabe"),
                            start.addDays(i / 5).addSecs((i % 5) * 3600));
        const QList<Snapshot> kept = Snapshots::list(t->databaseDir());
        QCOMPARE(kept.size(), 32);
        QCOMPARE(kept.at(29).time, start.addDays(2)); // the 30th newest
        QCOMPARE(kept.at(30).time, start.addDays(1).addSecs(4 * 3600)); // last of 2 May
        QCOMPARE(kept.at(31).time, start.addSecs(4 * 3600)); // last of 1 May
        QCOMPARE(QDir(folder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 32);
    }

    // A restore puts back every row of every table, keys included, as one change; the change
    // log keeps what happened and records what the restore changed.
    void restoreRoundTripPutsBackEveryRow()
    {
        const QStringList before = dump(t->db());
        const Snapshot s = Snapshots::take(t->db(), QStringLiteral("Anlass löschen"));
        t->db().exec(
            QStringLiteral("UPDATE Parcours SET Punkte = 0 WHERE TeamNr = %1").arg(m_team));
        t->db().exec(QStringLiteral("DELETE FROM TeamsProAnlass WHERE TeamNr = 1"));
        t->db().exec(QStringLiteral("DELETE FROM Team WHERE TeamNr = 2"));
        t->addTeam(QStringLiteral("Neu"), QStringLiteral("Nora"), 1);
        t->db().exec(QStringLiteral("DELETE FROM Anlass"));
        QVERIFY(dump(t->db()) != before);
        const qint64 logged = t->count(QStringLiteral("SELECT count(*) FROM Protokoll"));

        Snapshots::restore(t->db(), s);
        QCOMPARE(dump(t->db()), before);
        // The restored points and the start number of the entry that came back.
        QCOMPARE(t->count(QStringLiteral("SELECT count(*) FROM Protokoll WHERE Quelle = "
                                         "'Wiederherstellung'")),
                 2);
        QCOMPARE(t->count(QStringLiteral("SELECT count(*) FROM Protokoll")), logged + 2);
        // New keys continue after the highest ever given, not after the restored ones.
        QCOMPARE(t->addTeam(QStringLiteral("Danach"), QString(), 1), 5);
    }

    // A snapshot that cannot be read changes nothing.
    void aDamagedSnapshotRestoresNothing()
    {
        const Snapshot s = Snapshots::take(t->db(), QStringLiteral("von Hand"));
        QFile parcours(QDir(s.path).filePath(QStringLiteral("Parcours.dat")));
        QVERIFY(parcours.open(QIODevice::WriteOnly | QIODevice::Truncate));
        parcours.write("kein SQLite");
        parcours.close();
        t->db().exec(QStringLiteral("DELETE FROM Team"));
        const QStringList now = dump(t->db());
        QVERIFY_THROWS_EXCEPTION(DatabaseError, Snapshots::restore(t->db(), s));
        QCOMPARE(dump(t->db()), now);
    }

    // What a full disk or a crash left half written is never listed and is cleared away.
    void anUnfinishedSnapshotIsNeverListed()
    {
        QVERIFY(QDir().mkpath(folder() + QStringLiteral("/.neu-2024-05-04_19-32-10_Import")));
        QVERIFY(Snapshots::list(t->databaseDir()).isEmpty());
        Snapshots::take(t->db(), QStringLiteral("Import"));
        QCOMPARE(QDir(folder()).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot).size(),
                 1);
    }
};

QTEST_GUILESS_MAIN(TestSnapshots)
#include "tst_snapshots.moc"
