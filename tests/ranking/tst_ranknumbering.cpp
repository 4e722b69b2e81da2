#include "RankFixture.h"
#include "ranking/RankNumbering.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestRankNumbering : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rankOrderLines_data()
    {
        QTest::addColumn<int>("katNr");
        QTest::addColumn<QString>("method");
        QTest::addColumn<int>("punkteSort");
        QTest::addColumn<int>("zeitSort");
        QTest::addColumn<QStringList>("lines");
        const QString head = QStringLiteral("select * from Rang");
        const QString kat3 = QStringLiteral(" where KatNr = 3");
        QTest::newRow("Punkte/Zeit desc, asc, category 3")
            << 3 << u"Punkte/Zeit"_s << 1 << 2
            << QStringList{head, kat3, u" order by Punkte desc"_s, u", Zeit"_s};
        QTest::newRow("Punkte/Zeit asc, desc")
            << 0 << u"Punkte/Zeit"_s << 2 << 1
            << QStringList{head, u" order by Punkte"_s, u", Zeit desc"_s};
        QTest::newRow("Nach Punkten desc")
            << 0 << u"Nach Punkten"_s << 1 << 2 << QStringList{head, u" order by Punkte desc"_s};
        QTest::newRow("Nach Punkten asc")
            << 0 << u"Nach Punkten"_s << 2 << 1 << QStringList{head, u" order by Punkte"_s};
        QTest::newRow("Zeit/Punkte asc, desc")
            << 0 << u"Zeit/Punkte"_s << 1 << 2
            << QStringList{head, u" order by Zeit"_s, u", Punkte desc"_s};
        QTest::newRow("Zeit/Punkte desc, asc")
            << 0 << u"Zeit/Punkte"_s << 2 << 1
            << QStringList{head, u" order by Zeit desc"_s, u", Punkte"_s};
        QTest::newRow("Nach Zeit asc")
            << 0 << u"Nach Zeit"_s << 1 << 2 << QStringList{head, u" order by Zeit"_s};
        QTest::newRow("Nach Zeit desc, category 3")
            << 3 << u"Nach Zeit"_s << 2 << 1 << QStringList{head, kat3, u" order by Zeit desc"_s};
        QTest::newRow("unknown method")
            << 3 << u"Nach Laune"_s << 1 << 2 << QStringList{head, kat3};
        QTest::newRow("case matters") << 0 << u"nach punkten"_s << 1 << 2 << QStringList{head};
        QTest::newRow("second code unknown")
            << 0 << u"Punkte/Zeit"_s << 1 << 0 << QStringList{head, u" order by Punkte desc"_s};
        QTest::newRow("first code unknown: second key alone")
            << 0 << u"Punkte/Zeit"_s << 7 << 2 << QStringList{head, u" order by Zeit"_s};
        QTest::newRow("negative category is all")
            << -1 << u"Nach Zeit"_s << 1 << 1 << QStringList{head, u" order by Zeit desc"_s};
    }

    void rankOrderLines()
    {
        QFETCH(int, katNr);
        QFETCH(QString, method);
        QFETCH(int, punkteSort);
        QFETCH(int, zeitSort);
        QFETCH(QStringList, lines);
        QCOMPARE(RankNumbering::RankOrderLines(katNr, method, punkteSort, zeitSort), lines);
    }

    // Every statement the order lines build must run, in every combination.
    void everyOrderRuns()
    {
        RankFixture f;
        for (const QString &method :
             {u"Punkte/Zeit"_s, u"Nach Punkten"_s, u"Zeit/Punkte"_s, u"Nach Zeit"_s, u"?"_s})
            for (int p = 0; p <= 3; ++p)
                for (int z = 0; z <= 3; ++z) {
                    Statement s(f.t.db(), RankNumbering::RankOrderLines(2, method, p, z));
                    while (s.next()) { }
                }
    }

    void workedExample_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("Punkte/Zeit") << u"Punkte/Zeit"_s << QList<int>{1, 1, 3, 999, 4};
        QTest::newRow("Nach Punkten") << u"Nach Punkten"_s << QList<int>{1, 1, 1, 999, 4};
        // No order and no sharing: the rows come as filled, each finished one numbered.
        QTest::newRow("unknown method") << u"Nach Gefühl"_s << QList<int>{1, 2, 3, 999, 4};
    }

    void workedExample()
    {
        QFETCH(QString, method);
        QFETCH(QList<int>, expected);
        RankFixture f(method, 1, 2);
        const QList<int> teams{f.team("A", f.katA, 30, 50, true), f.team("B", f.katA, 30, 50, true),
                               f.team("C", f.katA, 30, 55, true),
                               f.team("D", f.katA, 25, 40, false),
                               f.team("E", f.katA, 20, 60, true)};
        f.t.open(f.event);
        RankTable table(f.t.data, f.eventRow());
        // Unfinished D must be in the table for the numbering to see it.
        table.FillGroupRankTable(0, true);
        QCOMPARE(f.ranks(teams), expected);
    }

    void unfinishedAheadOfFinished()
    {
        RankFixture f(QStringLiteral("Nach Zeit"), 1, 2);
        const QList<int> teams{f.team("Noch", f.katA, 0, 0, false),
                               f.team("Fix", f.katA, 10, 30, true),
                               f.team("Flott", f.katA, 10, 40, true)};
        f.t.open(f.event);
        RankTable(f.t.data, f.eventRow()).FillGroupRankTable(0, true);
        QCOMPARE(f.ranks(teams), (QList<int>{999, 1, 2}));
    }

    void categoryAgainstAll_data()
    {
        QTest::addColumn<bool>("all");
        QTest::newRow("Alle (Gemischt)") << true;
        QTest::newRow("one category") << false;
    }

    void categoryAgainstAll()
    {
        QFETCH(bool, all);
        RankFixture f;
        const QList<int> teams{
            f.team("A1", f.katA, 30, 10, true), f.team("B1", f.katB, 25, 10, true),
            f.team("A2", f.katA, 20, 10, true), f.team("B2", f.katB, 10, 10, false)};
        f.t.open(f.event);
        RankTable(f.t.data, f.eventRow()).FillRankTable(all ? 0 : f.katA, true);
        // One sequence over all categories; with one chosen, the others keep the empty rank.
        QCOMPARE(f.ranks(teams), all ? (QList<int>{1, 2, 3, -1}) : (QList<int>{1, 0, 2, -1}));
    }

    void automaticModePassesPrinted_data()
    {
        QTest::addColumn<bool>("additionalGame");
        QTest::newRow("main game") << false;
        QTest::newRow("additional game") << true;
    }

    void automaticModePassesPrinted()
    {
        QFETCH(bool, additionalGame);
        RankFixture f(QStringLiteral("Nach Punkten"), 1, 2, true, 0, true);
        const char *printed = additionalGame ? "ZusatzRangBerechnet" : "RangBerechnet";
        const QList<double> points{30, 28, 28, 20, 25};
        const QList<bool> isPrinted{true, false, true, false, true};
        QList<int> teams;
        for (int i = 0; i < points.size(); ++i) {
            const double p = points.at(i);
            teams << f.team(QStringLiteral("T%1").arg(i), f.katA, p, 10, true, p, 10, true);
            f.setFlag(teams.last(), printed, isPrinted.at(i));
        }
        f.t.open(f.event);
        RankTable table(f.t.data, f.eventRow());
        if (additionalGame)
            table.FillAddGameRankTable(0);
        else
            table.FillRankTable(0, true);
        // Printed rows are passed over, except a printed row tied with a numbered one: it
        // shares the rank and pushes the next number on.
        QCOMPARE(f.ranks(teams), (QList<int>{0, 1, 1, 3, 0}));
    }

    void membersFollowTheirGroup()
    {
        RankFixture f;
        const int done = f.t.addGroup(QStringLiteral("Fertig"), f.katA);
        const int open = f.t.addGroup(QStringLiteral("Offen"), f.katA);
        const int m1 = f.t.addTeam(QStringLiteral("M1"), QString(), f.katA);
        const int m2 = f.t.addTeam(QStringLiteral("M2"), QString(), f.katA);
        f.t.addMember(done, m1);
        f.t.addMember(open, m2);
        f.t.addEntry(f.event, done, 1, true, 0, true, true);
        f.t.addEntry(f.event, open, 2, true, 0, false, false);
        for (int m : {m1, m2}) {
            f.t.addEntry(f.event, m, 0, false, m == m1 ? done : open, true, true);
            const double v = m == m1 ? 5 : 3; // no tie, which would share the rank
            f.t.addResult(f.event, f.post, m, v, v, v, v);
        }
        f.t.open(f.event);
        RankTable table(f.t.data, f.eventRow());
        QVERIFY(table.IsParticipantFinished(m1, false));
        QVERIFY(!table.IsParticipantFinished(m2, true));
        QCOMPARE(table.GroupNrOf(m2), open);
        QVERIFY(table.IsGroupEntry(open));
        QVERIFY(!table.IsGroupEntry(m2));
        table.FillAddGameRankTable(0);
        // The member's own entry is stored finished; its open group makes it 999.
        QCOMPARE(f.ranks({m1, m2, done, open}), (QList<int>{1, 999, -1, -1}));
    }
};

QTEST_GUILESS_MAIN(TestRankNumbering)
#include "tst_ranknumbering.moc"
