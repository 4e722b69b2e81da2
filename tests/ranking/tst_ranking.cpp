#include "RankFixture.h"
#include "ranking/Ranking.h"
#include "reports/RankListReport.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString ConfirmPrinted =
    u"Wenn die Ranglist in Ordnung ist, dann klicken Sie auf [OK], um die Teams als gedruckt zu "
    "markieren.\nWenn Sie noch Korrekturen vornehmen wollen, dass klicken Sie auf [Abbrechen]."_s;

QString proposal(const QString &katBez, bool additionalGame = false)
{
    return u"Es ist Zeit für die "_s + katBez
        + (additionalGame ? u" - Rangliste vom Zusatzspiel. Wollen Sie sie ausdrucken?"_s
                          : u" - Rangliste. Wollen Sie sie ausdrucken?"_s);
}

// Each call of the rank list dialog takes the next choice (KatNr, kind); none left: cancel.
void scriptChoices(ScriptedUserInterface &ui, QList<QPair<int, int>> choices)
{
    ui.rankListChooser = [choices](RankListChoice &c) mutable {
        if (choices.isEmpty())
            return false;
        const auto [katNr, kind] = choices.takeFirst();
        c.categoryIndex = int(c.categoryNumbers.indexOf(katNr));
        c.kind = kind;
        return true;
    };
}

// Automatic rank lists with an additional game: two finished teams in Senioren, one in
// Junioren, one unfinished; all finished in both games.
struct AutoField : RankFixture
{
    int a1 = 0, a2 = 0, b1 = 0, a3 = 0;

    explicit AutoField(int threshold = 2, bool autoRank = true, bool addGame = true)
        : RankFixture(u"Punkte/Zeit"_s, 1, 2, autoRank, threshold, addGame)
    {
        a1 = team("A1", katA, 30, 10, true, 3, 3, true);
        a2 = team("A2", katA, 20, 10, true, 2, 2, true);
        b1 = team("B1", katB, 25, 10, true, 1, 1, true);
        a3 = team("A3", katA, 10, 10, false, 1, 1, false);
        t.open(event);
        t.ui.clear();
    }

    Ranking &ranking() { return t.competition->ranking(); }

    QList<bool> marks(const char *column)
    {
        QList<bool> result;
        for (int nr : {a1, a2, b1, a3})
            result << flag(nr, column);
        return result;
    }
};

} // namespace

class TestRanking : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void categoryChoice()
    {
        AutoField f;
        const RankListChoice c = f.ranking().FillCategoryChoice();
        QCOMPARE(c.categoryItems,
                 (QStringList{u"Alle (Gemischt)"_s, u"Junioren"_s, u"Senioren"_s}));
        QCOMPARE(c.categoryNumbers, (QList<int>{0, f.katB, f.katA}));
        QCOMPARE(c.categoryText(), u"Alle (Gemischt)"_s);
        QVERIFY(c.kindEnabled);
        RankListChoice none = c;
        none.categoryIndex = -1;
        QCOMPARE(Ranking::categoryNumber(none), 0);
        none.categoryIndex = 2;
        QCOMPARE(Ranking::categoryNumber(none), f.katA);

        RankFixture plain; // without an additional game
        plain.t.open(plain.event);
        QVERIFY(!plain.t.competition->ranking().FillCategoryChoice().kindEnabled);
    }

    void dialogPresetFollowsGame()
    {
        AutoField f;
        f.ranking().RunRankList(false, true, false);
        f.ranking().RunRankList(false, false, true);
        QCOMPARE(f.t.ui.rankListChoices.size(), 2);
        QCOMPARE(f.t.ui.rankListChoices[0].kind, 1);
        QCOMPARE(f.t.ui.rankListChoices[1].kind, 0);
    }

    void cancelLeavesEverythingAlone()
    {
        AutoField f;
        scriptChoices(f.t.ui, {{0, 0}});
        f.t.ui.answers = {true};
        f.ranking().RunRankList(false, false, false);
        f.setFlag(f.a1, "RangBerechnet", false); // one mark back, so that a run would differ
        f.ranking().RefreshFinishedCounts(true);
        const auto table = f.rank();
        const auto marks = f.marks("RangBerechnet");
        const QStringList counts = f.t.competition->finishedCounts();
        f.t.ui.clear();
        f.ranking().RunRankList(false, false, false); // the chooser has nothing left: cancel
        QCOMPARE(f.t.ui.rankListChoices.size(), 1);
        QVERIFY(f.t.ui.previews.isEmpty());
        QVERIFY(f.t.ui.messages.isEmpty());
        QCOMPARE(f.t.ui.busyDepth, 0);
        QCOMPARE(f.rank().keys(), table.keys());
        QList<int> ranks;
        for (const auto &row : table)
            ranks << row.Rang;
        QCOMPARE(f.ranks(table.keys()), ranks);
        QCOMPARE(f.marks("RangBerechnet"), marks);
        QCOMPARE(f.t.competition->finishedCounts(), counts);
    }

    void confirmMarks_data()
    {
        QTest::addColumn<bool>("additionalGame"); // of the command
        QTest::addColumn<int>("kind"); // chosen in the dialog
        QTest::addColumn<int>("katNr"); // 1: Senioren
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QList<bool>>("main");
        QTest::addColumn<QList<bool>>("add");
        const QList<bool> none{false, false, false, false};
        const QList<bool> seniors{true, true, false, false};
        const QList<bool> all{true, true, true, false};
        QTest::newRow("single, Senioren") << false << 0 << 1 << true << seniors << none;
        QTest::newRow("single, all") << false << 0 << 0 << true << all << none;
        QTest::newRow("cancelled") << false << 0 << 0 << false << none << none;
        // A list marks the game it lists, whichever command made it; only the combined list,
        // which needs both, follows the command.
        QTest::newRow("menu, additional game") << false << 1 << 0 << true << none << all;
        QTest::newRow("proposal, additional game") << true << 1 << 0 << true << none << all;
        QTest::newRow("proposal, switched to the main game")
            << true << 0 << 0 << true << all << none;
        QTest::newRow("menu, combined") << false << 2 << 0 << true << all << none;
        QTest::newRow("proposal, combined") << true << 2 << 0 << true << none << all;
    }

    void confirmMarks()
    {
        QFETCH(bool, additionalGame);
        QFETCH(int, kind);
        QFETCH(int, katNr);
        QFETCH(bool, confirm);
        QFETCH(QList<bool>, main);
        QFETCH(QList<bool>, add);
        AutoField f(99);
        scriptChoices(f.t.ui, {{katNr, kind}});
        f.t.ui.answers = {confirm};
        f.ranking().RunRankList(false, additionalGame, false);
        QCOMPARE(f.t.ui.previews.size(), 1);
        QCOMPARE(f.t.ui.texts(), QStringList{ConfirmPrinted});
        QCOMPARE(f.marks("RangBerechnet"), main);
        QCOMPARE(f.marks("ZusatzRangBerechnet"), add);
        QCOMPARE(f.t.ui.busyDepth, 0);
        // The counts are rebuilt in any case.
        const int seniors = int(!main[0]) + int(!main[1]);
        QCOMPARE(f.t.competition->finishedCounts(),
                 (QStringList{QString::number(seniors) + u" : Senioren"_s,
                              QString::number(int(!main[2])) + u" : Junioren"_s}));
    }

    void printGoesToPrinter()
    {
        AutoField f(99, false);
        scriptChoices(f.t.ui, {{0, 0}});
        f.ranking().RunRankList(true, false, false);
        QCOMPARE(f.t.ui.printed.size(), 1);
        QVERIFY(f.t.ui.previews.isEmpty());
        // Without automatic mode nothing is asked or marked, and the lists stay empty.
        QVERIFY(f.t.ui.messages.isEmpty());
        QCOMPARE(f.marks("RangBerechnet"), (QList<bool>{false, false, false, false}));
        QVERIFY(f.t.competition->finishedCounts().isEmpty());
        QVERIFY(f.t.competition->addGameFinishedCounts().isEmpty());
    }

    // Marking a confirmed list is one change: an error on the way leaves no mark.
    void markingIsAllOrNothing()
    {
        AutoField f(99);
        f.t.db().exec(u"CREATE TEMP TRIGGER refuse BEFORE UPDATE ON TeamsProAnlass WHEN "
                      "NEW.TeamNr = %1 BEGIN SELECT RAISE(ABORT, 'gesperrt'); END"_s.arg(f.a2));
        scriptChoices(f.t.ui, {{0, 0}});
        f.t.ui.answers = {true};
        f.ranking().RunRankList(false, false, false);
        QCOMPARE(f.t.ui.texts(u"error"_s).size(), 1);
        QVERIFY(f.t.ui.texts(u"error"_s).first().contains(u"gesperrt"_s));
        QCOMPARE(f.marks("RangBerechnet"), (QList<bool>{false, false, false, false}));
    }

    void engineErrorDuringRun_data()
    {
        QTest::addColumn<bool>("fromProposal");
        QTest::newRow("menu command shows it") << false;
        QTest::newRow("proposal ends quietly") << true;
    }

    void engineErrorDuringRun()
    {
        QFETCH(bool, fromProposal);
        AutoField f(0);
        f.t.db().exec(u"CREATE TEMP TRIGGER refuse BEFORE DELETE ON Rang BEGIN "
                      "SELECT RAISE(ABORT, 'kaputt'); END"_s);
        f.t.db().exec(u"INSERT INTO Rang (TeamNr) VALUES (1)"_s);
        scriptChoices(f.t.ui, {{0, 0}});
        if (fromProposal) {
            f.t.competition->mainWindowShown = true;
            f.t.ui.answers = {true};
            f.ranking().RefreshFinishedCounts(true);
            QVERIFY(f.t.ui.texts(u"error"_s).isEmpty());
            QCOMPARE(f.t.competition->finishedCounts(), QStringList{u"2 : Senioren"_s});
        } else {
            f.ranking().RunRankList(false, false, false);
            QCOMPARE(f.t.ui.texts(u"error"_s).size(), 1);
        }
        QVERIFY(f.t.ui.previews.isEmpty());
        QCOMPARE(f.t.ui.busyDepth, 0);
    }

    void counts()
    {
        AutoField f(0);
        f.setFlag(f.a1, "RangBerechnet", true);
        f.setFlag(f.b1, "ZusatzRangBerechnet", true);
        // Before the main window is shown nothing is proposed, whatever the threshold.
        f.ranking().RefreshFinishedCounts(true);
        f.ranking().RefreshAddGameFinishedCounts(true);
        QCOMPARE(f.t.competition->finishedCounts(),
                 (QStringList{u"1 : Senioren"_s, u"1 : Junioren"_s}));
        QCOMPARE(f.t.competition->addGameFinishedCounts(),
                 (QStringList{u"2 : Senioren"_s, u"0 : Junioren"_s}));
        QVERIFY(f.t.ui.messages.isEmpty());
        f.ranking().RefreshFinishedCounts(false);
        QVERIFY(f.t.competition->finishedCounts().isEmpty());
    }

    void proposals_data()
    {
        QTest::addColumn<int>("threshold");
        QTest::addColumn<bool>("additionalGame");
        QTest::addColumn<QStringList>("asked");
        // Senioren have 2 finished, Junioren 1; in the additional game Junioren 0.
        QTest::newRow("threshold reached") << 2 << false << QStringList{proposal(u"Senioren"_s)};
        QTest::newRow("threshold 1")
            << 1 << false << QStringList{proposal(u"Senioren"_s), proposal(u"Junioren"_s)};
        QTest::newRow("threshold above") << 3 << false << QStringList{};
        QTest::newRow("threshold 0, count 0 too")
            << 0 << true
            << QStringList{proposal(u"Senioren"_s, true), proposal(u"Junioren"_s, true)};
    }

    void proposals()
    {
        QFETCH(int, threshold);
        QFETCH(bool, additionalGame);
        QFETCH(QStringList, asked);
        AutoField f(threshold);
        f.setFlag(f.b1, "ZusatzAbgeschlossen", false);
        f.t.competition->mainWindowShown = true;
        f.t.ui.answers = QList<bool>(asked.size(), false);
        if (additionalGame)
            f.ranking().RefreshAddGameFinishedCounts(true);
        else
            f.ranking().RefreshFinishedCounts(true);
        QCOMPARE(f.t.ui.texts(), asked);
        // After a No the pass goes on: every category is listed.
        QCOMPARE((additionalGame ? f.t.competition->addGameFinishedCounts()
                                 : f.t.competition->finishedCounts())
                     .size(),
                 2);
    }

    void yesEndsThePass()
    {
        AutoField f(0);
        f.t.competition->mainWindowShown = true;
        f.t.ui.answers = {true};
        f.ranking().RefreshFinishedCounts(true); // the dialog is cancelled
        QCOMPARE(f.t.ui.texts(), QStringList{proposal(u"Senioren"_s)});
        QCOMPARE(f.t.ui.rankListChoices.size(), 1);
        // The dialog opens on the category proposed, not on every category.
        QCOMPARE(f.t.ui.rankListChoices[0].categoryText(), u"Senioren"_s);
        QCOMPARE(f.t.ui.rankListChoices[0].withPrinted, false);
        QCOMPARE(f.t.competition->finishedCounts(), QStringList{u"2 : Senioren"_s});
    }

    // "Auch bereits gedruckte Teams" in automatic mode: every finished participant, numbered
    // afresh as without automatic mode, and nobody marked. By points, then time:
    //   Q1 40/1 printed (Junioren)  1      P3 25/12 printed  3
    //   P1 30/10 printed            2      P4 20/5 not finished  -
    //   P2 25/12                    3      P5 18/9           5
    // Without the option only P2 (1) and P5 (3) are listed: the printed are passed over,
    // except that P3, tied with P2, shares its rank and pushes P5 on.
    void standingsListEveryFinishedParticipant_data()
    {
        QTest::addColumn<bool>("withPrinted");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("with printed")
            << true << QStringList{u"1 Q1"_s, u"2 P1"_s, u"3 P2"_s, u"3 P3"_s, u"5 P5"_s};
        QTest::newRow("next list") << false << QStringList{u"1 P2"_s, u"3 P5"_s};
    }

    void standingsListEveryFinishedParticipant()
    {
        QFETCH(bool, withPrinted);
        QFETCH(QStringList, rows);
        RankFixture f(u"Punkte/Zeit"_s, 1, 2, true, 99, false);
        const int p1 = f.team("P1", f.katA, 30, 10, true);
        f.team("P2", f.katA, 25, 12, true);
        const int p3 = f.team("P3", f.katA, 25, 12, true);
        f.team("P4", f.katA, 20, 5, false);
        f.team("P5", f.katA, 18, 9, true);
        const int q1 = f.team("Q1", f.katB, 40, 1, true);
        for (int printed : {p1, p3, q1})
            f.setFlag(printed, "RangBerechnet", true);
        f.t.open(f.event);
        f.t.ui.clear();
        f.t.ui.rankListChooser = [withPrinted](RankListChoice &c) {
            c.withPrinted = withPrinted;
            return true;
        };
        f.t.ui.answers = {false}; // the next list is not confirmed
        f.t.competition->ranking().RunRankList(false, false, false);
        QCOMPARE(f.t.ui.previews.size(), 1);
        const Report::ReportDocument &list = f.t.ui.previews.first();
        QStringList shown;
        for (int r = 0; r < list.data.rows.size(); ++r)
            shown << list.data.value(r, u"Rang"_s).toString() + u' '
                    + list.data.value(r, u"CalcFullName"_s).toString().section(u' ', 0, 0);
        QCOMPARE(shown, rows);
        // The standings ask nothing and mark nobody.
        QCOMPARE(f.t.ui.texts(u"okcancel"_s).isEmpty(), withPrinted);
        QCOMPARE(f.t.count(u"SELECT count(*) FROM TeamsProAnlass WHERE RangBerechnet <> 0"_s), 3);
    }

    // A confirmed list rebuilds the counts, which propose the next category from inside.
    void nestedRuns()
    {
        AutoField f(1, true, false);
        f.t.competition->mainWindowShown = true;
        scriptChoices(f.t.ui, {{f.katA, 0}, {f.katB, 0}});
        f.t.ui.answers = {true, true, true, true};
        f.ranking().RefreshFinishedCounts(true);
        QCOMPARE(f.t.ui.texts(),
                 (QStringList{proposal(u"Senioren"_s), ConfirmPrinted, proposal(u"Junioren"_s),
                              ConfirmPrinted}));
        QCOMPARE(f.t.ui.previews.size(), 2);
        QCOMPARE(f.marks("RangBerechnet"), (QList<bool>{true, true, true, false}));
        QCOMPARE(f.t.competition->finishedCounts(),
                 (QStringList{u"0 : Senioren"_s, u"0 : Junioren"_s}));
        QCOMPARE(f.t.ui.busyDepth, 0);
    }

    void reset_data()
    {
        QTest::addColumn<bool>("additionalGame");
        QTest::newRow("main game") << false;
        QTest::newRow("additional game") << true;
    }

    void reset()
    {
        QFETCH(bool, additionalGame);
        AutoField f(2);
        const int g = f.t.addGroup(u"Gruppe"_s, f.katB);
        const int m = f.t.addTeam(u"Mitglied"_s, u"Max"_s, f.katB);
        f.t.addEntry(f.event, g, 90, true);
        f.t.addEntry(f.event, m, 0, false, g, true, true);
        const char *column = additionalGame ? "ZusatzRangBerechnet" : "RangBerechnet";
        const char *other = additionalGame ? "RangBerechnet" : "ZusatzRangBerechnet";
        for (int nr : {f.a1, f.a2, f.b1, f.a3, g, m}) {
            f.setFlag(nr, column, true);
            f.setFlag(nr, other, true);
        }
        f.t.competition->mainWindowShown = true;
        const QString question =
            (additionalGame ? u"Wollen Sie wirklich alle Teams des Zusatzanlasses, die auf einer "
                              "Rangliste gedruckt wurden, als ungedruckt markieren?"_s
                            : u"Wollen Sie wirklich alle Teams dieses Anlasses, die auf einer "
                              "Rangliste gedruckt wurden, als ungedruckt markieren?"_s)
            + u"\nSo werden Sie allerdings die Übersicht darüber verlieren, wer schon auf einer "
              "Rangliste ist und wer nicht."_s;
        const auto resetClick = [&] {
            if (additionalGame)
                f.ranking().ResetAddItemClick();
            else
                f.ranking().ResetItemClick();
        };
        f.t.ui.answers = {false};
        resetClick();
        QCOMPARE(f.t.ui.texts(), QStringList{question});
        QCOMPARE(f.marks(column), (QList<bool>{true, true, true, true}));

        // Both categories reach the threshold again and are proposed at once; No to both.
        f.t.ui.clear();
        f.t.ui.answers = {true, false, false};
        resetClick();
        QCOMPARE(f.t.ui.texts(),
                 (QStringList{question, proposal(u"Senioren"_s, additionalGame),
                              proposal(u"Junioren"_s, additionalGame)}));
        QCOMPARE(f.marks(column), (QList<bool>{false, false, false, false}));
        QVERIFY(!f.flag(g, column));
        QVERIFY(!f.flag(m, column));
        QCOMPARE(f.marks(other), (QList<bool>{true, true, true, true}));
        const QStringList counts = additionalGame ? f.t.competition->addGameFinishedCounts()
                                                  : f.t.competition->finishedCounts();
        QCOMPARE(counts, (QStringList{u"2 : Senioren"_s, u"2 : Junioren"_s}));
        QCOMPARE(f.t.ui.busyDepth, 0);
    }
};

QTEST_GUILESS_MAIN(TestRanking)
#include "tst_ranking.moc"
