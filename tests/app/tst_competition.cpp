#include "app/Competition.h"
#include "data/DataLibrary.h"
#include "engine/DatabaseError.h"
#include "participants/Entries.h"
#include "results/FinishedStatus.h"
#include "support/TestDatabase.h"

#include <QSignalSpy>
#include <QTest>

class TestCompetition : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openEventPointsEverythingAtTheEvent()
    {
        TestDatabase t;
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        const int first = t.addEvent(QStringLiteral("Frühling"));
        const int second = t.addEvent(QStringLiteral("Herbst"), QStringLiteral("Nach Zeit"), 1, 1,
                                      true, 3, true, QStringLiteral("Plausch"));
        const int a = t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat, false, 99);
        const int b = t.addTeam(QStringLiteral("Beispiel"), QStringLiteral("Ben"), kat);
        const int group = t.addGroup(QStringLiteral("Wirbelwinde"), kat);
        const int member =
            t.addTeam(QStringLiteral("Glied"), QStringLiteral("Gina"), kat, false, 42);
        t.addEntry(first, a, 7);
        t.addEntry(second, a, 2);
        t.addEntry(second, b, 1);
        t.addEntry(second, group, 3, true);
        t.addEntry(second, member, 5, false, group, true, true);

        t.open(first);
        QCOMPARE(t.competition->CurrentAnlassNr(), first);
        QCOMPARE(t.data.ReadTeam(a)->StartNr, 7);
        QVERIFY(!t.competition->autoRankLayout());

        QSignalSpy firstRow(t.competition.get(), &Competition::firstRowRequested);
        t.open(second);
        QCOMPARE(t.competition->CurrentAnlassNr(), second);
        QCOMPARE(t.competition->event()->AnlassBez, QStringLiteral("Herbst"));
        QVERIFY(t.competition->hasAddGame());
        QVERIFY(t.competition->autoRankLayout());
        QCOMPARE(firstRow.count(), 1);
        // The list holds the participants in their own right, by start number; each of
        // them now carries this event's number, the group member is not visited.
        QList<int> listed;
        for (const ParticipantRow &p : t.competition->participants())
            listed << p.TeamNr;
        QCOMPARE(listed, (QList<int>{b, a, group}));
        QCOMPARE(t.data.ReadTeam(a)->StartNr, 2);
        QCOMPARE(t.data.ReadTeam(b)->StartNr, 1);
        QCOMPARE(t.data.ReadTeam(group)->StartNr, 3);
        QCOMPARE(t.data.ReadTeam(member)->StartNr, 42);
        QCOMPARE(t.ui.busyDepth, 0);
        QVERIFY(t.ui.maxBusyDepth >= 1);
    }

    void openingAnnouncesTheEventOnce()
    {
        TestDatabase t;
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        const int first = t.addEvent(QStringLiteral("Frühling"));
        const int second =
            t.addEvent(QStringLiteral("Herbst"), QStringLiteral("Nach Punkten"), 1, 1, true, 2);
        t.addEntry(second, t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat));
        t.open(first);
        QSignalSpy changed(t.competition.get(), &Competition::eventChanged);
        t.open(second);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(t.competition->event()->AnlassNr, second);
    }

    void openingAMissingEventChangesNothing()
    {
        TestDatabase t;
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        const int n =
            t.addEvent(QStringLiteral("Frühling"), QStringLiteral("Nach Punkten"), 1, 1, true, 2);
        t.addEntry(n, t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat));
        t.open(n);
        QSignalSpy changed(t.competition.get(), &Competition::eventChanged);
        t.open(n + 10);
        QCOMPARE(t.competition->CurrentAnlassNr(), n);
        QCOMPARE(t.competition->event()->AnlassNr, n);
        QCOMPARE(t.competition->participants().size(), 1);
        QVERIFY(t.competition->autoRankLayout());
        QCOMPARE(changed.count(), 1); // the layout is applied again all the same
        QCOMPARE(t.ui.busyDepth, 0);
    }

    void hourglassEndsWhenAStepFails()
    {
        TestDatabase t;
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        const int n = t.addEvent(QStringLiteral("Frühling"));
        t.addEntry(n, t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat), 4);
        t.db().exec(QStringLiteral("CREATE TEMP TRIGGER fail BEFORE UPDATE ON Team "
                                   "BEGIN SELECT RAISE(ABORT, 'kaputt'); END"));
        QSignalSpy changed(t.competition.get(), &Competition::eventChanged);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, t.open(n));
        QCOMPARE(t.ui.busyDepth, 0);
        QCOMPARE(changed.count(), 1);
    }

    void deleteEventRemovesEntriesAndResultsOnly()
    {
        TestDatabase t;
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        const int post = t.addPost(QStringLiteral("Slalom"));
        const int keep = t.addEvent(QStringLiteral("Erster"));
        const int gone = t.addEvent(QStringLiteral("Zweiter"));
        const int team = t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat);
        const int group = t.addGroup(QStringLiteral("Wirbelwinde"), kat);
        t.addMember(group, team);
        t.addEntry(keep, team, 1);
        t.addResult(keep, post, team, 5, 10);
        t.addEntry(gone, group, 1, true);
        t.addEntry(gone, team, 1, false, group);
        t.addResult(gone, post, team, 8, 12);
        t.open(gone);

        t.ui.answers = {false};
        t.competition->DeleteEvent();
        QVERIFY(t.data.ReadEvent(gone));
        QCOMPARE(t.ui.texts(QStringLiteral("yesno")),
                 QStringList{QStringLiteral("Wollen Sie den Anlass [Zweiter] wirklich löschen?")});

        t.ui.answers = {true};
        t.competition->DeleteEvent();
        QVERIFY(!t.data.databaseOpen());
        QVERIFY(!t.competition->event());
        QVERIFY(t.competition->participants().isEmpty());
        QCOMPARE(t.competition->CurrentAnlassNr(), gone);

        // The next top-level menu reopens the database on the lowest-numbered event.
        t.competition->MenuItemClick();
        QVERIFY(t.data.databaseOpen());
        QCOMPARE(t.competition->CurrentAnlassNr(), keep);
        QVERIFY(!t.data.ReadEvent(gone));
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass WHERE AnlassNr = %1")
                             .arg(gone)),
                 0);
        QCOMPARE(
            t.count(QStringLiteral("SELECT count(*) FROM Parcours WHERE AnlassNr = %1").arg(gone)),
            0);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Parcours")), 1);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Team")), 2);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM TeamsProGruppe")), 1);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Posten")), 1);
    }

    void deletingTheOnlyEventLeavesNothingOpen()
    {
        TestDatabase t;
        const int n = t.addEvent(QStringLiteral("Einziger"));
        t.open(n);
        t.ui.answers = {true};
        t.competition->DeleteEvent();
        t.competition->MenuItemClick();
        QVERIFY(t.data.databaseOpen());
        QVERIFY(!t.competition->event());
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Anlass")), 0);
        // Without any event, deleting asks nothing and does nothing.
        t.competition->DeleteEvent();
        QCOMPARE(t.ui.texts(QStringLiteral("yesno")).size(), 1);
    }

    void failedDeletionLeavesTheEventWhole()
    {
        TestDatabase t;
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        const int post = t.addPost(QStringLiteral("Slalom"));
        const int n = t.addEvent(QStringLiteral("Zäh"));
        const int team = t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat);
        t.addEntry(n, team, 1);
        t.addResult(n, post, team, 5, 10);
        t.open(n);
        t.db().exec(QStringLiteral("CREATE TEMP TRIGGER fail BEFORE DELETE ON Anlass "
                                   "BEGIN SELECT RAISE(ABORT, 'kaputt'); END"));
        t.ui.answers = {true};
        QVERIFY_THROWS_EXCEPTION(DatabaseError, t.competition->DeleteEvent());
        QVERIFY(t.data.databaseOpen());
        QVERIFY(t.data.ReadEvent(n));
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass")), 1);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Parcours")), 1);
    }

    // Entering a participant or saving results updates one row; the list must then be the one
    // a full refresh would read, and the view is told about that row alone.
    void aRowUpdateEqualsAFullRefresh()
    {
        TestDatabase t;
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        const int event = t.addEvent(QStringLiteral("Sommer"));
        const int post = t.addPost(QStringLiteral("Wald"));
        const int anna = t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat, false, 5);
        const int ben = t.addTeam(QStringLiteral("Keller"), QStringLiteral("Ben"), kat, false, 2);
        const int clara = t.addTeam(QStringLiteral("Roth"), QStringLiteral("Clara"), kat, false, 3);
        const int group = t.addGroup(QStringLiteral("Wirbel"), kat, false, 9);
        const int gina = t.addTeam(QStringLiteral("Iseli"), QStringLiteral("Gina"), kat, true);
        t.addMember(group, gina);
        t.addEntry(event, anna, 5);
        t.addEntry(event, ben, 2);
        t.open(event);
        Competition &c = *t.competition;
        QSignalSpy full(&c, &Competition::participantsChanged);
        QSignalSpy inserted(&c, &Competition::participantInserted);
        QSignalSpy removed(&c, &Competition::participantRemoved);
        QSignalSpy changed(&c, &Competition::participantChanged);
        const auto sameAsFull = [&] {
            return c.participants() == t.data.ParticipantList(event);
        };

        c.entries().EnterParticipant(event, clara, false, 0); // between Ben and Anna
        QVERIFY(sameAsFull());
        QCOMPARE(c.participantIndex(clara), 1);
        c.entries().EnterGroup(event, group, {gina}); // after everyone, with its member's flag
        QVERIFY(sameAsFull());
        QCOMPARE(c.participants().last().CalcZusatz, QStringLiteral("Ja"));
        QCOMPARE(inserted.count(), 2);

        t.addResult(event, post, anna, 7.5, 12.25);
        c.finishedStatus().SetFinished(anna, true, false);
        c.RefreshParticipant(anna);
        t.addResult(event, post, gina, 3, 4); // counts for the group's row
        c.RefreshParticipant(group);
        QVERIFY(sameAsFull());
        QCOMPARE(changed.count(), 2);
        QCOMPARE(c.participants().at(c.participantIndex(anna)).CalcSumOfPoints, 7.5);

        t.db().exec(
            QStringLiteral("UPDATE TeamsProAnlass SET StartNr = 1 WHERE TeamNr = %1").arg(anna));
        c.RefreshParticipant(anna); // moves to the top
        QVERIFY(sameAsFull());
        QCOMPARE(c.participantIndex(anna), 0);
        t.db().exec(QStringLiteral("DELETE FROM TeamsProAnlass WHERE TeamNr = %1").arg(ben));
        c.RefreshParticipant(ben);
        QVERIFY(sameAsFull());
        QCOMPARE(removed.count(), 2);
        QCOMPARE(full.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestCompetition)
#include "tst_competition.moc"
