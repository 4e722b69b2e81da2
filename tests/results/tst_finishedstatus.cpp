#include "engine/Statement.h"
#include "results/FinishedStatus.h"
#include "support/TestDatabase.h"

#include <QSignalSpy>
#include <QTest>

class TestFinishedStatus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void flagsOfOneEntryOnly_data()
    {
        QTest::addColumn<bool>("addGame");
        QTest::newRow("main game") << false;
        QTest::newRow("additional game") << true;
    }

    // Each flag is written on the acted-on entry alone; the printed marks and the group's
    // members stay as they were, and the list is reread only when asked to.
    void flagsOfOneEntryOnly()
    {
        QFETCH(bool, addGame);
        TestDatabase t;
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        const int event = t.addEvent(QStringLiteral("Herbst"), QStringLiteral("Punkte/Zeit"), 1, 2,
                                     true, 5, true);
        const int team = t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat, true, 1);
        const int member = t.addTeam(QStringLiteral("Beispiel"), QStringLiteral("Ben"), kat);
        const int group = t.addGroup(QStringLiteral("Wirbelwinde"), kat, false, 2);
        t.addMember(group, member);
        t.addEntry(event, team, 1);
        t.addEntry(event, group, 2, true);
        t.addEntry(event, member, 0, false, group, true, true);
        Statement(
            t.db(),
            QStringLiteral("UPDATE TeamsProAnlass SET RangBerechnet = 1, ZusatzRangBerechnet = 1 "
                           "WHERE TeamNr = %1")
                .arg(group))
            .exec();
        t.open(event);
        FinishedStatus &status = t.competition->finishedStatus();
        const auto set = [&](int teamNr, bool value, bool refresh) {
            if (addGame)
                status.SetAddGameFinished(teamNr, value, refresh);
            else
                status.SetFinished(teamNr, value, refresh);
        };
        const auto flag = [&](int teamNr) {
            const EntryRow e = *t.data.ReadEntry(event, teamNr);
            return addGame ? e.ZusatzAbgeschlossen : e.Abgeschlossen;
        };
        const auto listed = [&](int teamNr) {
            const ParticipantRow &p =
                t.competition->participants().at(t.competition->participantIndex(teamNr));
            return addGame ? p.ZusatzAbgeschlossen : p.Abgeschlossen;
        };
        QSignalSpy refreshes(t.competition.get(), &Competition::participantsChanged);

        set(group, true, false);
        QVERIFY(flag(group));
        QVERIFY(!listed(group)); // not reread
        QCOMPARE(refreshes.count(), 0);
        set(group, false, true);
        QVERIFY(!flag(group));
        QCOMPARE(refreshes.count(), 1);
        set(group, true, true);
        QVERIFY(listed(group));

        const EntryRow g = *t.data.ReadEntry(event, group);
        QVERIFY(g.RangBerechnet && g.ZusatzRangBerechnet);
        QCOMPARE(addGame ? g.Abgeschlossen : g.ZusatzAbgeschlossen, false); // the other flag
        QVERIFY(flag(member));
        QVERIFY(!flag(team));

        // A participant removed meanwhile: nothing written, nothing created, still reread.
        Statement(t.db(), QStringLiteral("DELETE FROM TeamsProAnlass WHERE TeamNr = %1").arg(team))
            .exec();
        set(team, true, true);
        QCOMPARE(
            t.count(
                QStringLiteral("SELECT count(*) FROM TeamsProAnlass WHERE TeamNr = %1").arg(team)),
            0);
        QCOMPARE(refreshes.count(), 3);
        QCOMPARE(t.competition->participantIndex(team), -1);
    }
};

QTEST_GUILESS_MAIN(TestFinishedStatus)
#include "tst_finishedstatus.moc"
