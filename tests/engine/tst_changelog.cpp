#include "backup/ChangeHistory.h"
#include "engine/ChangeLog.h"
#include "engine/Database.h"
#include "engine/DatabaseError.h"
#include "engine/Schema.h"
#include "engine/Statement.h"
#include "engine/Transaction.h"
#include "participants/Entries.h"
#include "participants/StartNumbers.h"
#include "results/FinishedStatus.h"
#include "results/ResultSheet.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestChangeLog : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> t;
    int m_event = 0;
    int m_post = 0;
    int m_team = 0;

    qint64 logLines() { return t->count(QStringLiteral("SELECT count(*) FROM Protokoll")); }

private Q_SLOTS:
    void initTestCase() { Database::setDurable(false); }

    void init()
    {
        t = std::make_unique<TestDatabase>();
        const int kat = t->addCategory(QStringLiteral("Senioren"));
        m_post = t->addPost(QStringLiteral("Slalom"), 2.0);
        m_event = t->addEvent(QStringLiteral("Herbstlauf"));
        m_team = t->addTeam(QStringLiteral("Muster"), QStringLiteral("Max"), kat);
        t->addEntry(m_event, m_team, 4);
        t->addResult(m_event, m_post, m_team, 10, 30);
        t->open(m_event);
        t->db().exec(QStringLiteral("DELETE FROM Protokoll")); // the fixture's own history
    }

    // The event table is the connection's main database, a real file; every file keeps a
    // rollback journal: that is what lets SQLite commit several files all-or-nothing.
    void mainDatabaseIsTheEventFileWithRollbackJournals()
    {
        Statement list(t->db(), QStringLiteral("PRAGMA database_list"));
        QStringList files;
        while (list.next()) {
            if (list.text("name") == QLatin1String("main"))
                QCOMPARE(QFileInfo(list.text("file")).fileName(), QStringLiteral("Anlass.dat"));
            if (list.text("name") != QLatin1String("temp"))
                files << list.text("name");
        }
        QCOMPARE(files.size(), 9); // eight tables and the change log
        for (const QString &schema : std::as_const(files)) {
            Statement mode(t->db(), QStringLiteral("PRAGMA \"%1\".journal_mode").arg(schema));
            QVERIFY(mode.next());
            QCOMPARE(mode.text(0), QStringLiteral("delete"));
        }
        QVERIFY(QFile::exists(QDir(t->databaseDir()).filePath(QStringLiteral("Protokoll.dat"))));
    }

    void resultsAreLoggedWithOldAndNewValueAndSource()
    {
        ResultSheet sheet(t->data);
        sheet.Load(t->competition->participants().first(), false);
        QVERIFY(sheet.setValue(0, ResultSheet::Points, 7));
        bool finished = true;
        sheet.SaveResults(t->ui, finished);
        const QList<HistoryLine> lines = ChangeHistory::read(t->db(), m_event, m_team);
        // Only what changed: the time stayed 30.
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.first().field, QStringLiteral("Punkte"));
        QCOMPARE(lines.first().post, QStringLiteral("Slalom"));
        QCOMPARE(lines.first().participant, QStringLiteral("Muster Max"));
        QCOMPARE(lines.first().source, QStringLiteral("Ergebniseingabe"));
        QCOMPARE(lines.first().oldValue, ResultSheet::formatNumber(10));
        QCOMPARE(lines.first().newValue, ResultSheet::formatNumber(14)); // weighted by 2
    }

    void aRolledBackChangeLeavesNoLine()
    {
        const qint64 before = logLines();
        try {
            Transaction transaction(t->db());
            t->db().exec(QStringLiteral("UPDATE Parcours SET Punkte = 99"));
            QCOMPARE(logLines(), before + 1);
            throw DatabaseError(QStringLiteral("abgebrochen"));
        } catch (const DatabaseError &) { }
        QCOMPARE(logLines(), before);
        QCOMPARE(t->count(QStringLiteral("SELECT Punkte FROM Parcours")), 10);
    }

    // A statement over many rows records them inside the same statement; the outermost
    // source named wins, so an operation run by another keeps its caller's source.
    void setBasedChangesAndNestedSources()
    {
        const int kat = t->addCategory(QStringLiteral("Junioren"));
        for (int i = 0; i < 5; ++i)
            t->addEntry(m_event, t->addTeam(QStringLiteral("T%1").arg(i), QString(), kat), 10 + i);
        const qint64 before = logLines();
        {
            ChangeSource outer(t->db(), QStringLiteral("Posten 3"));
            t->competition->finishedStatus().SetFinished(m_team, true, false);
            t->db().exec(QStringLiteral("UPDATE TeamsProAnlass SET RangBerechnet = 1"));
        }
        QCOMPARE(logLines(), before + 1 + 6);
        QCOMPARE(
            t->count(QStringLiteral("SELECT count(*) FROM Protokoll WHERE Quelle = 'Posten 3'")),
            7);
        t->competition->finishedStatus().SetFinished(m_team, false, false);
        const QList<HistoryLine> lines = ChangeHistory::read(t->db(), m_event, m_team);
        QCOMPARE(lines.last().source, QStringLiteral("Hauptfenster"));
        QCOMPARE(lines.last().field, QStringLiteral("Fertig"));
        QCOMPARE(lines.last().oldValue, QStringLiteral("Ja"));
        QCOMPARE(lines.last().newValue, QStringLiteral("Nein"));
    }

    void aNewEntrysStartNumberBeginsItsHistory()
    {
        const int kat = t->addCategory(QStringLiteral("Junioren"));
        const int team = t->addTeam(QStringLiteral("Neu"), QStringLiteral("Nina"), kat);
        t->competition->entries().EnterParticipant(m_event, team, false, 0);
        const QList<HistoryLine> lines = ChangeHistory::read(t->db(), m_event, team);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.first().field, QStringLiteral("Startnummer"));
        QCOMPARE(lines.first().source, QStringLiteral("Meldung"));
        QCOMPARE(lines.first().oldValue, QStringLiteral("0"));
        QCOMPARE(lines.first().newValue, QStringLiteral("5"));
    }

    // The draw writes whole tables at once; each number that changed is still a line of its own.
    void theDrawLogsEveryNumberItChanges()
    {
        const int kat = t->addCategory(QStringLiteral("Junioren"));
        const int group = t->addGroup(QStringLiteral("Rudel"), kat);
        t->addMember(group, m_team);
        t->addEntry(m_event, group, 0, true);
        t->competition->startNumbers().DrawStartNumbers();
        QCOMPARE(
            t->count(
                QStringLiteral("SELECT StartNr FROM TeamsProAnlass WHERE TeamNr = %1").arg(m_team)),
            2);
        const QString logged = QStringLiteral(
            "SELECT count(*) FROM Protokoll WHERE Quelle = 'Startnummern' AND TeamNr = %1");
        QCOMPARE(t->count(logged.arg(group)), 1);
        QCOMPARE(t->count(logged.arg(m_team)), 1); // 4 -> 2: its group's number
        t->competition->startNumbers().DrawStartNumbers();
        QCOMPARE(t->count(logged.arg(m_team)), 1); // an unchanged number is not logged again
    }

    // A group's history holds its own flags and its members' results.
    void aGroupsHistoryIncludesItsMembers()
    {
        const int kat = t->addCategory(QStringLiteral("Gruppen"));
        const int group = t->addGroup(QStringLiteral("Rudel"), kat);
        t->addMember(group, m_team);
        t->addEntry(m_event, group, 9, true);
        t->db().exec(QStringLiteral("UPDATE Parcours SET Zeit = 31"));
        t->competition->finishedStatus().SetFinished(group, true, false);
        QStringList who;
        for (const HistoryLine &line : ChangeHistory::read(t->db(), m_event, group))
            who << line.participant + QLatin1Char(':') + line.field;
        QCOMPARE(who,
                 QStringList({QStringLiteral("Rudel:Startnummer"),
                              QStringLiteral("Muster Max:Zeit"), QStringLiteral("Rudel:Fertig")}));
    }

    // Reading creates nothing and writes nothing, and a reader sees the log that exists.
    void readOnlyOpenWritesNothing()
    {
        t->data.CloseDatabase();
        const QString log = QDir(t->databaseDir()).filePath(QStringLiteral("Protokoll.dat"));
        QVERIFY(QFile::remove(log));
        Database reader;
        reader.openReadOnly(t->databaseDir());
        QVERIFY(!reader.hasChangeLog());
        QVERIFY(!QFile::exists(log));
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 reader.exec(QStringLiteral("UPDATE Team SET Name = 'x'")));
        QVERIFY(ChangeHistory::read(reader, m_event).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestChangeLog)
#include "tst_changelog.moc"
