#include "engine/DatabaseError.h"
#include "engine/Statement.h"
#include "participants/Entries.h"
#include "support/TestDatabase.h"

#include <QTest>

class TestEntries : public QObject
{
    Q_OBJECT

private:
    static QString rowsOf(TestDatabase &t, int anlassNr)
    {
        // "PostenNr:TeamNr" of every result row of the event, in key order.
        Statement s(t.db(),
                    QStringLiteral("SELECT PostenNr, TeamNr FROM Parcours WHERE AnlassNr = :a "
                                   "ORDER BY PostenNr, TeamNr"));
        s.bind("a", anlassNr);
        QStringList rows;
        while (s.next())
            rows << QStringLiteral("%1:%2").arg(s.integer(0)).arg(s.integer(1));
        return rows.join(QLatin1Char(' '));
    }

private Q_SLOTS:
    void enteringTwiceKeepsOneEntryAndOneSetOfRows()
    {
        TestDatabase t;
        const int p1 = t.addPost(QStringLiteral("Slalom"));
        t.addPost(QStringLiteral("Pause"), 1, false);
        const int p3 = t.addPost(QStringLiteral("Tunnel"));
        const int event = t.addEvent(QStringLiteral("Sommer"));
        const int anna = t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), 0);
        t.open(event);
        Entries &entries = t.competition->entries();
        entries.EnterParticipant(event, anna, false, 0);
        t.addResult(event, p1, anna, 5, 10); // a result typed in between stays
        entries.EnterParticipant(event, anna, false, 0);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass")), 1);
        QCOMPARE(rowsOf(t, event), QStringLiteral("%1:%3 %2:%3").arg(p1).arg(p3).arg(anna));
        QCOMPARE(t.data.TotalPoints(anna, false, false), 5.0);
        const EntryRow entry = *t.data.ReadEntry(event, anna);
        QVERIFY(!entry.IsGroup && entry.GroupNr == 0 && !entry.Abgeschlossen
                && !entry.ZusatzAbgeschlossen);
        QCOMPARE(t.competition->participants().size(), 1);
    }

    void eventWithoutActivePostGetsTheEntryOnly()
    {
        TestDatabase t;
        t.addPost(QStringLiteral("Pause"), 1, false);
        const int event = t.addEvent(QStringLiteral("Sommer"));
        const int anna = t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), 0);
        t.open(event);
        t.competition->entries().EnterParticipant(event, anna, false, 0);
        QVERIFY(t.data.ReadEntry(event, anna));
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Parcours")), 0);
    }

    void startNumberRules()
    {
        TestDatabase t;
        const int event = t.addEvent(QStringLiteral("Sommer"));
        const int seven = t.addTeam(QStringLiteral("Sieben"), QStringLiteral("S"), 0);
        const int fresh = t.addTeam(QStringLiteral("Neu"), QStringLiteral("N"), 0, false, 0);
        const int twelve = t.addTeam(QStringLiteral("Zwoelf"), QStringLiteral("Z"), 0, false, 12);
        const int twin = t.addTeam(QStringLiteral("Zwilling"), QStringLiteral("Z"), 0, false, 12);
        const int group = t.addGroup(QStringLiteral("Wirbel"), 0, false, 20);
        const int member = t.addTeam(QStringLiteral("Glied"), QStringLiteral("G"), 0, false, 0);
        const int numbered = t.addTeam(QStringLiteral("Eigen"), QStringLiteral("E"), 0, false, 3);
        t.addEntry(event, seven, 7);
        t.open(event);
        Entries &entries = t.competition->entries();

        entries.EnterParticipant(event, fresh, false, 0);
        QCOMPARE(t.data.ReadEntry(event, fresh)->StartNr, 8);
        QCOMPARE(t.data.ReadTeam(fresh)->StartNr, 8); // kept for the next event

        // A standing number is taken over even when another entry holds it already.
        entries.EnterParticipant(event, twelve, false, 0);
        entries.EnterParticipant(event, twin, false, 0);
        QCOMPARE(t.data.ReadEntry(event, twelve)->StartNr, 12);
        QCOMPARE(t.data.ReadEntry(event, twin)->StartNr, 12);

        // A member without a number of its own gets its group's; one with a number keeps it.
        entries.EnterParticipant(event, member, false, group);
        entries.EnterParticipant(event, numbered, false, group);
        const EntryRow m = *t.data.ReadEntry(event, member);
        QCOMPARE(m.StartNr, 20);
        QCOMPARE(t.data.ReadTeam(member)->StartNr, 20);
        QCOMPARE(t.data.ReadEntry(event, numbered)->StartNr, 3);
        QVERIFY(m.Abgeschlossen && m.ZusatzAbgeschlossen);
        QVERIFY(!m.RangBerechnet && !m.ZusatzRangBerechnet && !m.IsGroup);
        QCOMPARE(m.GroupNr, group);
        // Member entries stay out of the grid.
        QCOMPARE(t.competition->participants().size(), 4);
    }

    void groupResultRowsBelongToItsMembers()
    {
        TestDatabase t;
        const int p1 = t.addPost(QStringLiteral("Slalom"));
        const int p2 = t.addPost(QStringLiteral("Tunnel"));
        const int event = t.addEvent(QStringLiteral("Sommer"));
        const int group = t.addGroup(QStringLiteral("Wirbel"), 0);
        const int a = t.addTeam(QStringLiteral("A"), QStringLiteral("a"), 0);
        const int b = t.addTeam(QStringLiteral("B"), QStringLiteral("b"), 0);
        const int c = t.addTeam(QStringLiteral("C"), QStringLiteral("c"), 0);
        t.open(event);
        Entries &entries = t.competition->entries();

        // Entered before it has members: no rows at all.
        entries.EnterParticipant(event, group, true, 0);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Parcours")), 0);

        for (int m : {a, b, c})
            t.addMember(group, m);
        t.ui.answers = {true};
        entries.RemoveEntry(group);
        entries.EnterParticipant(event, group, true, 0);
        QCOMPARE(rowsOf(t, event),
                 QStringLiteral("%1:%3 %1:%4 %1:%5 %2:%3 %2:%4 %2:%5")
                     .arg(p1)
                     .arg(p2)
                     .arg(a)
                     .arg(b)
                     .arg(c));
        QCOMPARE(
            t.count(QStringLiteral("SELECT count(*) FROM Parcours WHERE TeamNr = %1").arg(group)),
            0);
        const EntryRow g = *t.data.ReadEntry(event, group);
        QVERIFY(g.IsGroup);
        QCOMPARE(g.GroupNr, 0);

        // The member entries that follow find their rows there already.
        entries.EnterGroup(event, group, {a, b, c});
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Parcours")), 6);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass WHERE GroupNr = %1")
                             .arg(group)),
                 3);
    }

    void removingAGroupTakesItsMembersInThisEventOnly()
    {
        TestDatabase t;
        const int p1 = t.addPost(QStringLiteral("Slalom"));
        const int event = t.addEvent(QStringLiteral("Sommer"));
        const int other = t.addEvent(QStringLiteral("Herbst"));
        const int group = t.addGroup(QStringLiteral("Wirbel"), 0);
        const int a = t.addTeam(QStringLiteral("A"), QStringLiteral("a"), 0);
        const int b = t.addTeam(QStringLiteral("B"), QStringLiteral("b"), 0);
        const int solo = t.addTeam(QStringLiteral("Solo"), QStringLiteral("s"), 0);
        t.addMember(group, a);
        t.addMember(group, b);
        for (int e : {event, other}) {
            t.addEntry(e, group, 1, true);
            t.addEntry(e, a, 1, false, group, true);
            t.addEntry(e, b, 1, false, group, true);
            t.addEntry(e, solo, 2);
            for (int team : {a, b, solo})
                t.addResult(e, p1, team, 1, 1);
        }
        t.open(event);
        Entries &entries = t.competition->entries();

        t.ui.answers = {false};
        entries.RemoveEntry(group);
        QCOMPARE(t.ui.texts(QStringLiteral("yesno")),
                 QStringList{QStringLiteral("Wollen Sie den Eintrag [Wirbel ] wirklich löschen?")});
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass")), 8);

        t.ui.answers = {true};
        entries.RemoveEntry(group);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass WHERE AnlassNr = %1")
                             .arg(event)),
                 1);
        QCOMPARE(
            t.count(QStringLiteral("SELECT count(*) FROM Parcours WHERE AnlassNr = %1").arg(event)),
            1);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass WHERE AnlassNr = %1")
                             .arg(other)),
                 4);
        QCOMPARE(
            t.count(QStringLiteral("SELECT count(*) FROM Parcours WHERE AnlassNr = %1").arg(other)),
            3);
        // The master data stays.
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM TeamsProGruppe")), 2);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Team")), 4);

        t.ui.answers = {true};
        entries.RemoveEntry(solo);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass WHERE AnlassNr = %1")
                             .arg(event)),
                 0);
        QCOMPARE(
            t.count(QStringLiteral("SELECT count(*) FROM Parcours WHERE AnlassNr = %1").arg(event)),
            0);
        QCOMPARE(
            t.count(QStringLiteral("SELECT count(*) FROM Parcours WHERE AnlassNr = %1").arg(other)),
            3);
        QVERIFY(t.competition->participants().isEmpty());
    }

    void rowsSharedByATeamAndItsGroupStayWhileEitherIsEntered_data()
    {
        // Anna is entered on her own and is a member of the entered group, so her rows
        // count twice; removing one of the two must leave the other its results.
        QTest::addColumn<bool>("groupFirst");
        QTest::addColumn<bool>("together");
        QTest::newRow("team, then group") << false << false;
        QTest::newRow("group, then team") << true << false;
        QTest::newRow("both selected") << false << true;
    }

    void rowsSharedByATeamAndItsGroupStayWhileEitherIsEntered()
    {
        QFETCH(bool, groupFirst);
        QFETCH(bool, together);
        TestDatabase t;
        const int p1 = t.addPost(QStringLiteral("Slalom"));
        const int event = t.addEvent(QStringLiteral("Sommer"));
        const int other = t.addEvent(QStringLiteral("Herbst"));
        const int group = t.addGroup(QStringLiteral("Wirbel"), 0);
        const int anna = t.addTeam(QStringLiteral("Arnold"), QStringLiteral("Anna"), 0);
        const int ben = t.addTeam(QStringLiteral("Berger"), QStringLiteral("Ben"), 0);
        t.addMember(group, anna);
        t.addMember(group, ben);
        for (int e : {event, other}) {
            t.addEntry(e, anna, 1);
            t.addEntry(e, group, 2, true);
            t.addEntry(e, ben, 2, false, group, true);
            t.addResult(e, p1, anna, 8, 20);
            t.addResult(e, p1, ben, 6, 30);
        }
        t.open(event);
        Entries &entries = t.competition->entries();
        const auto rows = [&](int team) {
            return t.count(QStringLiteral("SELECT count(*) FROM Parcours WHERE AnlassNr = %1 "
                                          "AND TeamNr = %2")
                               .arg(event)
                               .arg(team));
        };

        if (together) {
            t.ui.answers = {true};
            entries.RemoveSelectedEntries({anna, group});
        } else {
            t.ui.answers = {true};
            entries.RemoveEntry(groupFirst ? group : anna);
            if (groupFirst) {
                // Ben went with the group; Anna is still entered and keeps her result.
                QCOMPARE(rows(ben), 0);
                QCOMPARE(rows(anna), 1);
            } else {
                // The group still counts Anna: its total keeps her points.
                QCOMPARE(rows(anna), 1);
                QCOMPARE(t.data.TotalPoints(group, true, false), 14.0);
            }
            t.ui.answers = {true};
            entries.RemoveEntry(groupFirst ? anna : group);
        }
        // Nobody counts them any more: no row is left behind.
        QCOMPARE(
            t.count(QStringLiteral("SELECT count(*) FROM Parcours WHERE AnlassNr = %1").arg(event)),
            0);
        QCOMPARE(
            t.count(QStringLiteral("SELECT count(*) FROM Parcours WHERE AnlassNr = %1").arg(other)),
            2);
    }

    void removingSeveralAsksOnceAndFailsAsAWhole()
    {
        TestDatabase t;
        const int p1 = t.addPost(QStringLiteral("Slalom"));
        const int event = t.addEvent(QStringLiteral("Sommer"));
        const int group = t.addGroup(QStringLiteral("Wirbel"), 0);
        const int a = t.addTeam(QStringLiteral("A"), QStringLiteral("a"), 0);
        const int b = t.addTeam(QStringLiteral("B"), QStringLiteral("b"), 0);
        t.addMember(group, a);
        t.addEntry(event, group, 1, true);
        t.addEntry(event, a, 1, false, group, true);
        t.addEntry(event, b, 2);
        t.addResult(event, p1, a, 1, 1);
        t.addResult(event, p1, b, 1, 1);
        t.open(event);

        // The last delete fails: nothing of the removal may stay done.
        t.db().exec(
            QStringLiteral(
                "CREATE TEMP TRIGGER refuse BEFORE DELETE ON db_TeamsProAnlass.TeamsProAnlass "
                "WHEN OLD.TeamNr = %1 BEGIN SELECT RAISE(ABORT, 'gesperrt'); END")
                .arg(b));
        t.ui.answers = {true};
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 t.competition->entries().RemoveSelectedEntries({group, b}));
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass")), 3);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Parcours")), 2);

        t.db().exec(QStringLiteral("DROP TRIGGER refuse"));
        t.ui.answers = {true};
        t.competition->entries().RemoveSelectedEntries({group, b});
        QCOMPARE(t.ui.texts(QStringLiteral("yesno")).size(), 2); // one question per command
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass")), 0);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Parcours")), 0);
    }
};

QTEST_GUILESS_MAIN(TestEntries)
#include "tst_entries.moc"
