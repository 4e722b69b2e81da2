#include "engine/DatabaseError.h"
#include "engine/Statement.h"
#include "participants/StartNumbers.h"
#include "support/TestDatabase.h"

#include <QSet>
#include <QTest>

class TestStartNumbers : public QObject
{
    Q_OBJECT

private:
    // Two teams and a group of three, all entered (members too), plus a team of another event.
    struct Fixture
    {
        TestDatabase t;
        int event = 0, other = 0;
        int solo1 = 0, solo2 = 0, group = 0, outsider = 0;
        QList<int> members;

        Fixture()
        {
            event = t.addEvent(QStringLiteral("Sommer"));
            other = t.addEvent(QStringLiteral("Herbst"));
            solo1 = t.addTeam(QStringLiteral("Solo"), QStringLiteral("Eins"), 0, false, 40);
            solo2 = t.addTeam(QStringLiteral("Solo"), QStringLiteral("Zwei"), 0, false, 41);
            group = t.addGroup(QStringLiteral("Wirbel"), 0, false, 42);
            for (const char *name : {"Aebi", "Brun", "Caduff"}) {
                const int m = t.addTeam(QLatin1String(name), QStringLiteral("x"), 0, false,
                                        43 + int(members.size()));
                members << m;
                t.addMember(group, m);
            }
            outsider = t.addTeam(QStringLiteral("Fremd"), QStringLiteral("F"), 0, false, 77);
            t.addEntry(event, solo1, 40);
            t.addEntry(event, solo2, 41);
            t.addEntry(event, group, 42, true);
            for (int m : members)
                t.addEntry(event, m, 43, false, group, true);
            t.addEntry(other, solo1, 9);
            t.addEntry(other, outsider, 77);
            t.open(event);
        }

        int entryNr(int teamNr) { return t.data.ReadEntry(event, teamNr)->StartNr; }
        int standingNr(int teamNr) { return t.data.ReadTeam(teamNr)->StartNr; }
        QString numbers()
        {
            Statement s(
                t.db(),
                QStringLiteral("SELECT e.TeamNr, e.StartNr, t.StartNr FROM TeamsProAnlass e "
                               "JOIN Team t ON t.TeamNr = e.TeamNr ORDER BY e.AnlassNr, e.TeamNr"));
            QStringList all;
            while (s.next())
                all << QStringLiteral("%1:%2/%3")
                           .arg(s.integer(0))
                           .arg(s.integer(1))
                           .arg(s.integer(2));
            return all.join(QLatin1Char(' '));
        }
    };

private Q_SLOTS:
    void renumberingGivesTeamsThenGroupsAndSharesTheGroupNumber()
    {
        Fixture f;
        f.t.ui.answers = {true};
        QVERIFY(f.t.competition->startNumbers().NewStrNrBtnClick());
        QCOMPARE(f.t.ui.texts(QStringLiteral("yesno")),
                 QStringList{QStringLiteral("Wollen Sie wirklich die Startnummern aller Teams und "
                                            "Gruppen dieses Anlasses neu vergeben?")});

        // Five team entries got 1..5 in the team pass; the group came after them.
        QCOMPARE(f.entryNr(f.group), 6);
        QCOMPARE(f.standingNr(f.group), 6);
        for (int m : f.members) {
            QCOMPARE(f.entryNr(m), 6);
            QCOMPARE(f.standingNr(m), 6);
        }
        const QSet<int> solos{f.entryNr(f.solo1), f.entryNr(f.solo2)};
        QCOMPARE(solos.size(), 2);
        for (int n : solos)
            QVERIFY(n >= 1 && n <= 5);
        QCOMPARE(f.standingNr(f.solo1), f.entryNr(f.solo1));
        QCOMPARE(f.standingNr(f.solo2), f.entryNr(f.solo2));
        // Other events and teams outside this one keep their numbers.
        QCOMPARE(f.t.data.ReadEntry(f.other, f.solo1)->StartNr, 9);
        QCOMPARE(f.standingNr(f.outsider), 77);
        QCOMPARE(f.t.count(QStringLiteral("SELECT count(*) FROM Team WHERE RandomNum <> 0")), 0);
        QCOMPARE(f.t.ui.busyDepth, 0);
        QVERIFY(f.t.ui.maxBusyDepth > 0);
        // The grid shows the new numbers.
        const ParticipantRow &last = f.t.competition->participants().last();
        QCOMPARE(last.TeamNr, f.group);
        QCOMPARE(last.StartNr, 6);
    }

    void theDrawIsRandomAndLeavesNoTrace()
    {
        TestDatabase t;
        const int event = t.addEvent(QStringLiteral("Sommer"));
        QList<int> teams;
        for (int i = 0; i < 12; ++i) {
            teams << t.addTeam(QStringLiteral("T%1").arg(i, 2, 10, QLatin1Char('0')),
                               QStringLiteral("x"), 0);
            t.addEntry(event, teams.last(), i + 1);
        }
        t.open(event);
        QSet<QString> orders;
        for (int run = 0; run < 4; ++run) {
            t.ui.answers = {true};
            t.competition->startNumbers().NewStrNrBtnClick();
            QStringList order;
            QSet<int> numbers;
            for (int team : teams) {
                const int n = t.data.ReadEntry(event, team)->StartNr;
                numbers << n;
                order << QString::number(n);
            }
            QCOMPARE(numbers, (QSet<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
            orders << order.join(QLatin1Char(','));
            QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Team WHERE RandomNum <> 0")), 0);
        }
        // Twelve teams drawn four times into the same order is all but impossible.
        QVERIFY(orders.size() > 1);
    }

    void aRunThatFailsLeavesEveryNumberAsItWas()
    {
        Fixture f;
        const QString before = f.numbers();
        // Numbering breaks off at the second member, after the clearing and the draw.
        f.t.db().exec(
            QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE UPDATE OF StartNr ON db_Team.Team "
                           "WHEN NEW.TeamNr = %1 AND NEW.StartNr > 0 BEGIN SELECT RAISE(ABORT, "
                           "'gesperrt'); END")
                .arg(f.members.at(1)));
        f.t.ui.answers = {true};
        QVERIFY_THROWS_EXCEPTION(DatabaseError, f.t.competition->startNumbers().NewStrNrBtnClick());
        QCOMPARE(f.numbers(), before);
        QCOMPARE(f.t.count(QStringLiteral("SELECT count(*) FROM Team WHERE RandomNum <> 0")), 0);
        QCOMPARE(f.t.ui.busyDepth, 0);
    }

    void clearingTouchesOnlyTheOpenEvent()
    {
        Fixture f;
        f.t.ui.answers = {false};
        QVERIFY(!f.t.competition->startNumbers().ClearStrNrBtnClick());
        QCOMPARE(f.entryNr(f.solo1), 40);

        f.t.ui.answers = {true};
        QVERIFY(f.t.competition->startNumbers().ClearStrNrBtnClick());
        QCOMPARE(
            f.t.ui.texts(QStringLiteral("yesno")).last(),
            QStringLiteral(
                "Wollen Sie wirklich die Startnummer der Teams dieses Anlasses auf Null setzen?"));
        QCOMPARE(
            f.t.count(QStringLiteral("SELECT sum(StartNr) FROM TeamsProAnlass WHERE AnlassNr = %1")
                          .arg(f.event)),
            0);
        for (int team : QList<int>{f.solo1, f.solo2, f.group} + f.members)
            QCOMPARE(f.standingNr(team), 0);
        QCOMPARE(f.t.data.ReadEntry(f.other, f.solo1)->StartNr, 9);
        QCOMPARE(f.standingNr(f.outsider), 77);
    }

    void aTeamInTwoGroupsKeepsTheNumberOfTheLaterOne()
    {
        TestDatabase t;
        const int event = t.addEvent(QStringLiteral("Sommer"));
        const int first = t.addGroup(QStringLiteral("Erste"), 0);
        const int second = t.addGroup(QStringLiteral("Zweite"), 0);
        const int shared = t.addTeam(QStringLiteral("Doppel"), QStringLiteral("d"), 0);
        t.addMember(first, shared);
        t.addMember(second, shared);
        t.addEntry(event, first, 0, true);
        t.addEntry(event, second, 0, true);
        t.addEntry(event, shared, 0, false, first, true);
        t.open(event);
        t.ui.answers = {true};
        t.competition->startNumbers().NewStrNrBtnClick();
        // The member's own number is 1; the groups follow as 2 and 3 in a drawn order, and the
        // group numbered last gives the member its number.
        const int a = t.data.ReadEntry(event, first)->StartNr;
        const int b = t.data.ReadEntry(event, second)->StartNr;
        QCOMPARE(QSet<int>({a, b}), QSet<int>({2, 3}));
        QCOMPARE(t.data.ReadEntry(event, shared)->StartNr, 3);
        QCOMPARE(t.data.ReadTeam(shared)->StartNr, 3);
    }

    void theNextFreeNumberIsReadThroughItsIndexAndWithout()
    {
        Fixture f;
        {
            Statement plan(f.t.db(),
                           QStringLiteral("EXPLAIN QUERY PLAN SELECT max(StartNr) FROM "
                                          "TeamsProAnlass WHERE AnlassNr = 1"));
            QVERIFY(plan.next());
            QVERIFY2(plan.text(3).contains(QStringLiteral("AnlassStartNr")),
                     qPrintable(plan.text(3)));
        }
        QCOMPARE(f.t.data.NextStartNr(), 44);

        // A database made before the index existed opens and numbers as before.
        f.t.db().exec(QStringLiteral("DROP INDEX db_TeamsProAnlass.AnlassStartNr"));
        f.t.data.OpenDatabase(f.t.databaseDir());
        QVERIFY(f.t.data.databaseOpen());
        f.t.open(f.event);
        QCOMPARE(f.t.data.NextStartNr(), 44);
        f.t.ui.answers = {true};
        QVERIFY(f.t.competition->startNumbers().NewStrNrBtnClick());
        QCOMPARE(f.entryNr(f.group), 6);
    }

    void membersNotEnteredStillGetTheGroupNumber()
    {
        TestDatabase t;
        const int event = t.addEvent(QStringLiteral("Sommer"));
        const int group = t.addGroup(QStringLiteral("Wirbel"), 0);
        const int solo = t.addTeam(QStringLiteral("Solo"), QStringLiteral("s"), 0);
        const int member = t.addTeam(QStringLiteral("Glied"), QStringLiteral("g"), 0, false, 30);
        t.addMember(group, member);
        t.addEntry(event, solo, 5);
        t.addEntry(event, group, 6, true);
        t.open(event);
        t.ui.answers = {true};
        t.competition->startNumbers().NewStrNrBtnClick();
        QCOMPARE(t.data.ReadEntry(event, solo)->StartNr, 1);
        QCOMPARE(t.data.ReadEntry(event, group)->StartNr, 2);
        QCOMPARE(t.data.ReadTeam(member)->StartNr, 2);
        QVERIFY(!t.data.ReadEntry(event, member));
    }
};

QTEST_GUILESS_MAIN(TestStartNumbers)
#include "tst_startnumbers.moc"
