#include "RankFixture.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Teams and groups of every kind the fillings tell apart, entered in one event.
struct Field : RankFixture
{
    int post2 = 0;
    int done = 0; // finished, two result rows
    int open = 0; // not finished
    int bare = 0; // finished, no result rows
    int stranger = 0; // result rows, no entry
    int group = 0; // finished group, category A
    int member = 0; // of group, with result rows
    int idle = 0; // of group, category B, no result rows
    int openGroup = 0; // not finished
    int openMember = 0;

    Field()
    {
        post2 = t.addPost(u"Posten 2"_s);
        done = team("Fertig", katA, 10, 20, true, 3, 4, true);
        t.addResult(event, post2, done, 5, 6, 1, 1);
        open = team("Offen", katA, 7, 7, false, 2, 2, false);
        bare = t.addTeam(u"Leer"_s, u"Lea"_s, katB);
        t.addEntry(event, bare, 50, false, 0, true, true);
        stranger = t.addTeam(u"Fremd"_s, u"Fritz"_s, katA);
        t.addResult(event, post, stranger, 9, 9);

        group = t.addGroup(u"Wirbel"_s, katA);
        member = t.addTeam(u"Mitglied"_s, u"Mia"_s, katA);
        idle = t.addTeam(u"Ruhig"_s, u"Ria"_s, katB);
        t.addMember(group, member);
        t.addMember(group, idle);
        t.addEntry(event, group, 60, true, 0, true, false);
        t.addEntry(event, member, 0, false, group, true, true);
        t.addEntry(event, idle, 0, false, group, true, true);
        t.addResult(event, post, member, 4, 8, 6, 1);
        t.addResult(event, post2, member, 1, 2, 0, 0);

        openGroup = t.addGroup(u"Bummler"_s, katB);
        openMember = t.addTeam(u"Langsam"_s, u"Lars"_s, katB);
        t.addMember(openGroup, openMember);
        t.addEntry(event, openGroup, 70, true, 0, false, false);
        t.addEntry(event, openMember, 0, false, openGroup, true, true);
        t.addResult(event, post, openMember, 3, 3);
        t.open(event);
    }

    RankTable table() { return RankTable(t.data, eventRow()); }
};

} // namespace

class TestRankTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void singleList()
    {
        Field f;
        f.table().FillRankTable(0, true);
        const auto rows = f.rank();
        // A finished group puts every member in, one without results too; the open group
        // none; a team without results or without an entry is not listed.
        QCOMPARE(rows.keys(), (QList<int>{f.done, f.member, f.idle}));
        QCOMPARE(rows[f.done].Punkte, 15.0);
        QCOMPARE(rows[f.done].Zeit, 26.0);
        QCOMPARE(rows[f.member].Punkte, 5.0);
        QCOMPARE(rows[f.idle].Punkte, 0.0);
        QCOMPARE(rows[f.idle].KatNr, f.katB);
        QCOMPARE(f.ranks({f.done, f.member, f.idle}), (QList<int>{1, 2, 3}));
    }

    void groupList()
    {
        Field f;
        f.table().FillGroupRankTable(0, true);
        const auto rows = f.rank();
        QCOMPARE(rows.keys(), (QList<int>{f.done, f.open, f.bare, f.group, f.openGroup}));
        QCOMPARE(rows[f.group].Punkte, 5.0); // both members' rows
        QCOMPARE(rows[f.group].Zeit, 10.0);
        QCOMPARE(rows[f.openGroup].Punkte, 3.0);
        QCOMPARE(rows[f.openGroup].KatNr, f.katB);
        QCOMPARE(f.ranks({f.done, f.group, f.bare, f.open, f.openGroup}),
                 (QList<int>{1, 2, 3, 999, 999}));
    }

    void addGameList()
    {
        Field f;
        f.table().FillAddGameRankTable(0);
        const auto rows = f.rank();
        // Members enter through their own entries; no group ever has a row.
        QCOMPARE(rows.keys(), (QList<int>{f.done, f.member, f.openMember}));
        QCOMPARE(rows[f.done].Punkte, 4.0);
        QCOMPARE(rows[f.done].Zeit, 5.0);
        QCOMPARE(rows[f.member].Punkte, 6.0);
        // Neither group has finished the additional game.
        QCOMPARE(f.ranks({f.done, f.member, f.openMember}), (QList<int>{1, 999, 999}));
    }

    void combinedList()
    {
        RankFixture f;
        const int both = f.team("Beides", f.katA, 10, 20, true, 5, 3, true);
        const int mainOnly = f.team("Haupt", f.katA, 8, 9, true, 4, 4, false);
        const int addOnly = f.team("Zusatz", f.katA, 1, 1, false, 7, 7, true);
        f.t.open(f.event);
        RankTable table(f.t.data, f.eventRow());
        table.FillRankTable(0, false);
        table.MergeAddGameTotals(0);
        const auto rows = f.rank();
        QCOMPARE(rows[both].Punkte, 15.0);
        QCOMPARE(rows[both].Zeit, 23.0);
        QCOMPARE(rows[mainOnly].Punkte, 8.0);
        QCOMPARE(rows[mainOnly].Zeit, 9.0);
        QCOMPARE(rows[addOnly].Punkte, 7.0);
        QCOMPARE(rows[addOnly].Zeit, 7.0);
        // Numbered under the main game's finished test.
        QCOMPARE(f.ranks({both, mainOnly, addOnly}), (QList<int>{1, 2, 999}));
    }

    void withoutResults()
    {
        RankFixture f;
        const int a = f.t.addTeam(u"Ohne"_s, u"Olga"_s, f.katA);
        f.t.addEntry(f.event, a, 1, false, 0, true, true);
        f.t.open(f.event);
        RankTable table(f.t.data, f.eventRow());
        table.FillRankTable(0, true);
        QVERIFY(f.rank().isEmpty());
        table.FillAddGameRankTable(0);
        QVERIFY(f.rank().isEmpty());
        table.FillRankTable(0, false);
        table.MergeAddGameTotals(0);
        QVERIFY(f.rank().isEmpty());
        table.FillGroupRankTable(0, true);
        QCOMPARE(f.rank().size(), 1);
        QCOMPARE(f.rank()[a].Punkte, 0.0);
        QCOMPARE(f.rank()[a].Rang, 1);
    }

    void eachFillingStartsAfresh()
    {
        Field f;
        RankTable table = f.table();
        table.FillGroupRankTable(0, true);
        table.FillRankTable(0, true);
        QCOMPARE(f.rank().keys(), (QList<int>{f.done, f.member, f.idle}));
        // Flags changed between two runs are read anew.
        f.setFlag(f.done, "Abgeschlossen", false);
        table.FillRankTable(0, true);
        QCOMPARE(f.rank().keys(), (QList<int>{f.member, f.idle}));
    }

    void oneCategoryFillsAll()
    {
        Field f;
        f.table().FillRankTable(f.katB, true);
        QCOMPARE(f.ranks({f.done, f.member, f.idle}), (QList<int>{0, 0, 1}));
    }

    void firstAdditionWins()
    {
        Field f;
        RankTable table = f.table();
        table.ClearRankTable();
        table.AddRankEntry(f.done, f.katB);
        table.AddRankEntry(f.done, f.katA);
        table.AddRankEntry(f.group, f.katA);
        table.AddRankEntry(f.group, f.katB);
        const auto rows = f.rank();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[f.done].KatNr, f.katB);
        QCOMPARE(rows[f.group].KatNr, f.katA);
        QCOMPARE(rows[f.group].Punkte, 5.0); // a group entry gets its members' totals
    }

    // A member of two finished groups is listed once, in the category of its own team.
    void sharedMemberListedOnce()
    {
        Field f;
        const int second = f.t.addGroup(u"Zweite"_s, f.katB);
        const int extra = f.t.addTeam(u"Extra"_s, u"Eva"_s, f.katB);
        f.t.addMember(second, f.member);
        f.t.addMember(second, extra);
        f.t.addEntry(f.event, second, 80, true, 0, true, false);
        f.t.addEntry(f.event, extra, 0, false, second, true, true);
        f.t.addResult(f.event, f.post, extra, 2, 2);
        f.table().FillRankTable(0, true);
        QCOMPARE(f.rank().keys(), (QList<int>{f.done, f.member, f.idle, extra}));
    }

    void rowThatCannotBeStoredIsLeftOut()
    {
        Field f;
        f.t.db().exec(QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE INSERT ON Rang WHEN "
                                     "NEW.TeamNr = %1 BEGIN SELECT RAISE(ABORT, 'voll'); END")
                          .arg(f.member));
        RankTable table = f.table();
        table.FillRankTable(0, true);
        QCOMPARE(f.rank().keys(), (QList<int>{f.done, f.idle}));
        QCOMPARE(f.ranks({f.done, f.idle}), (QList<int>{1, 2}));
        // The same object fills again after the failure.
        table.FillGroupRankTable(0, true);
        QCOMPARE(f.rank().size(), 5);
    }

    void engineErrorEndsFillingAndKeepsNothingHalf()
    {
        Field f;
        f.table().FillGroupRankTable(0, true);
        f.t.db().exec(QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE UPDATE ON Rang BEGIN "
                                     "SELECT RAISE(ABORT, 'gesperrt'); END"));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, f.table().FillRankTable(0, true));
        // The filling ran as one change: the last run's table is still there.
        QCOMPARE(f.rank().size(), 5);
    }
};

QTEST_GUILESS_MAIN(TestRankTable)
#include "tst_ranktable.moc"
