#include "backup/Safeguard.h"
#include "backup/Snapshots.h"
#include "engine/Database.h"
#include "engine/Statement.h"
#include "participants/Entries.h"
#include "participants/Groups.h"
#include "participants/StartNumbers.h"
#include "participants/TeamLists.h"
#include "participants/TeamOverview.h"
#include "ranking/Ranking.h"
#include "results/FinishedStatus.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <functional>

class TestSafeguard : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> t;
    int m_kat = 0;
    int m_event = 0;
    int m_other = 0;
    QList<int> m_teams;
    int m_group = 0;
    QDateTime m_now;

    Safeguard &safeguard() { return t->competition->safeguard(); }
    QList<Snapshot> snapshots() { return Snapshots::list(t->databaseDir()); }
    qint64 entries() { return t->count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass")); }

    // How many entries a snapshot holds, read as any reader would.
    qint64 entriesIn(const Snapshot &s)
    {
        Database db;
        db.openReadOnly(s.path);
        Statement count(db, QStringLiteral("SELECT count(*) FROM TeamsProAnlass"));
        return count.next() ? count.integer(0) : -1;
    }

private Q_SLOTS:
    void init()
    {
        t = std::make_unique<TestDatabase>();
        m_kat = t->addCategory(QStringLiteral("Senioren"));
        const int post = t->addPost(QStringLiteral("Slalom"));
        m_event =
            t->addEvent(QStringLiteral("Herbstlauf"), QStringLiteral("Nach Punkten"), 1, 2, true);
        m_other = t->addEvent(QStringLiteral("Winterlauf"));
        m_teams.clear();
        for (int i = 1; i <= 3; ++i) {
            const int team = t->addTeam(QStringLiteral("T%1").arg(i), QStringLiteral("V"), m_kat);
            t->addEntry(m_event, team, i, false, 0, true);
            t->addEntry(m_other, team, 10 + i); // other numbers: opening it rewrites Team
            t->addResult(m_event, post, team, i, i);
            m_teams << team;
        }
        m_group = t->addGroup(QStringLiteral("Rudel"), m_kat);
        t->db().exec(QStringLiteral("UPDATE TeamsProAnlass SET RangBerechnet = 1"));
        m_now = QDateTime(QDate(2024, 5, 4), QTime(19, 0));
        safeguard().clock = [this] {
            return m_now;
        };
        t->open(m_event);
    }

    // Before each command that deletes or rewrites many rows, and after the operator's Yes, a
    // snapshot of the state before it, named by the command.
    void destructiveCommandsTakeASnapshotFirst_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<std::function<void(TestSafeguard *)>>("command");
        using F = std::function<void(TestSafeguard *)>;
        QTest::addRow("delete event")
            << QStringLiteral("Anlass löschen")
            << F([](TestSafeguard *s) { s->t->competition->DeleteEvent(); });
        QTest::addRow("remove entry")
            << QStringLiteral("Team aus Anlass löschen") << F([](TestSafeguard *s) {
                   s->t->competition->entries().RemoveEntry(s->m_teams.first());
               });
        QTest::addRow("remove entries")
            << QStringLiteral("Einträge löschen") << F([](TestSafeguard *s) {
                   s->t->competition->entries().RemoveSelectedEntries(s->m_teams);
               });
        QTest::addRow("reset printed")
            << QStringLiteral("Gedruckte zurücksetzen")
            << F([](TestSafeguard *s) { s->t->competition->ranking().ResetItemClick(); });
        QTest::addRow("new start numbers")
            << QStringLiteral("Neue Startnummern")
            << F([](TestSafeguard *s) { s->t->competition->startNumbers().NewStrNrBtnClick(); });
        QTest::addRow("clear start numbers")
            << QStringLiteral("Startnummern auf Null")
            << F([](TestSafeguard *s) { s->t->competition->startNumbers().ClearStrNrBtnClick(); });
        QTest::addRow("delete group")
            << QStringLiteral("Gruppe löschen")
            << F([](TestSafeguard *s) { Groups(*s->t->competition).DeleteGroup(s->m_group); });
        QTest::addRow("delete team") << QStringLiteral("Team löschen") << F([](TestSafeguard *s) {
            const int unused = s->t->addTeam(QStringLiteral("Frei"), QString(), s->m_kat);
            for (const OverviewRow &row : TeamLists::AllParticipants(s->t->db(), 0)) {
                if (row.TeamNr == unused)
                    TeamOverview(*s->t->competition).DeleteTeam(row);
            }
        });
    }

    void destructiveCommandsTakeASnapshotFirst()
    {
        QFETCH(QString, cause);
        QFETCH(std::function<void(TestSafeguard *)>, command);
        const qint64 before = entries();
        t->ui.defaultAnswer = true;
        t->ui.answers = {true};
        command(this);
        QCOMPARE(snapshots().size(), 1);
        QCOMPARE(snapshots().first().cause, cause);
        QCOMPARE(entriesIn(snapshots().first()), before);
        QCOMPARE(safeguard().undoCaption(), QStringLiteral("Rückgängig: ") + cause);
        // No for an answer: no snapshot.
        t->ui.defaultAnswer = false;
        t->ui.answers = {false};
        m_now = m_now.addSecs(60);
        command(this);
        QCOMPARE(snapshots().size(), 1);
    }

    void resultEntrySnapshotsAtMostEveryTenMinutes()
    {
        safeguard().ResultsEntered();
        m_now = m_now.addSecs(9 * 60);
        safeguard().ResultsEntered();
        QCOMPARE(snapshots().size(), 1);
        m_now = m_now.addSecs(60);
        safeguard().ResultsEntered();
        QCOMPARE(snapshots().size(), 2);
        QCOMPARE(snapshots().first().cause, QStringLiteral("Ergebniseingabe"));
        QVERIFY(!safeguard().hasUndo()); // entering results is nothing to undo
    }

    // A full disk or a folder that cannot be written: said once, and the evening goes on.
    void aFailedSnapshotIsReportedOnceAndNeverStopsTheCommand()
    {
        QFile blocker(Snapshots::folder(t->databaseDir()));
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
        blocker.close();
        t->ui.answers = {true, true};
        t->competition->entries().RemoveEntry(m_teams.at(0));
        t->competition->entries().RemoveEntry(m_teams.at(1));
        QCOMPARE(entries(), 4);
        QCOMPARE(t->ui.texts(QStringLiteral("error")).size(), 1);
        QVERIFY(t->ui.texts(QStringLiteral("error"))
                    .first()
                    .contains(QStringLiteral("Sicherung ist fehlgeschlagen")));
        QVERIFY(!safeguard().hasUndo());
        // Once one succeeds again, the next failure is news again.
        QVERIFY(QFile::remove(blocker.fileName()));
        m_now = m_now.addSecs(600); // a failed attempt counts: the next comes ten minutes on
        safeguard().ResultsEntered();
        QCOMPARE(snapshots().size(), 1);
        QDir(Snapshots::folder(t->databaseDir())).removeRecursively();
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        m_now = m_now.addSecs(600);
        safeguard().ResultsEntered();
        QCOMPARE(t->ui.texts(QStringLiteral("error")).size(), 2);
    }

    // Undo after deleting an event: the database is reopened on another event meanwhile
    // (which rewrites the standing start numbers), and still the event comes back.
    void undoBringsBackADeletedEvent()
    {
        t->ui.answers = {true};
        t->competition->DeleteEvent();
        QVERIFY(!t->data.databaseOpen());
        t->competition->MenuItemClick(); // any menu: reopens on the lowest event left
        QCOMPARE(t->competition->CurrentAnlassNr(), m_other);
        QVERIFY(safeguard().canUndo());
        t->ui.answers = {true};
        safeguard().UndoItemClick();
        QVERIFY(t->competition->event());
        QCOMPARE(t->competition->event()->AnlassBez, QStringLiteral("Herbstlauf"));
        QCOMPARE(t->competition->participants().size(), 3);
        QCOMPARE(t->count(QStringLiteral("SELECT count(*) FROM Parcours")), 3);
        QVERIFY(!safeguard().hasUndo());
        // The state before the undo is kept too.
        QCOMPARE(snapshots().first().cause, QStringLiteral("Rückgängig"));
        QCOMPARE(entriesIn(snapshots().first()), 3);
    }

    // A result entered after the command would be lost: undo says so and does nothing.
    void undoIsRefusedAfterALaterChange()
    {
        t->ui.answers = {true};
        t->competition->entries().RemoveEntry(m_teams.first());
        QVERIFY(safeguard().canUndo());
        t->competition->finishedStatus().SetFinished(m_teams.last(), false, false);
        QVERIFY(!safeguard().canUndo());
        safeguard().UndoItemClick();
        QCOMPARE(entries(), 5);
        QVERIFY(t->ui.texts(QStringLiteral("information"))
                    .last()
                    .startsWith(QStringLiteral("„Team aus Anlass löschen“ kann nicht mehr "
                                               "rückgängig gemacht werden")));
        QCOMPARE(snapshots().size(), 1);
    }

    void restoreOffersTheSnapshotsAndKeepsTheStateBefore()
    {
        Snapshots::take(t->db(), QStringLiteral("von Hand"), m_now);
        t->db().exec(QStringLiteral("DELETE FROM TeamsProAnlass WHERE AnlassNr = %1").arg(m_event));
        t->competition->RefreshParticipants();
        m_now = m_now.addSecs(60);
        t->ui.itemAnswers = {0};
        t->ui.answers = {true};
        safeguard().RestoreItemClick();
        QCOMPARE(t->ui.itemChoices.first(),
                 QStringList{QStringLiteral("04.05.2024 19:00:00   von Hand")});
        QCOMPARE(t->competition->participants().size(), 3);
        QCOMPARE(snapshots().size(), 2);
        QCOMPARE(snapshots().first().cause, QStringLiteral("Sicherung wiederherstellen"));
        QCOMPARE(entriesIn(snapshots().first()), 3);
        QCOMPARE(safeguard().undoCaption(),
                 QStringLiteral("Rückgängig: Sicherung wiederherstellen"));
    }
};

QTEST_GUILESS_MAIN(TestSafeguard)
#include "tst_safeguard.moc"
