#include "engine/Statement.h"
#include "ranking/Ranking.h"
#include "ranking/Standings.h"
#include "reports/RankListReport.h"
#include "support/GeneratedEvent.h"

#include <QTest>

using namespace Qt::StringLiterals;
using Standings::Kind;

namespace {

struct Choice
{
    Kind kind;
    int dialogKind;
    bool groupList;
};

const Choice Choices[] = {
    {Kind::Single, RankListReport::Normal, false},
    {Kind::Group, RankListReport::Normal, true},
    {Kind::AddGame, RankListReport::AddGame, false},
    {Kind::Combined, RankListReport::Both, false},
};

// A row as text, so that a difference shows which participant and which field.
QString describe(const QVariantList &r)
{
    return u"%1|%2|%3|%4|%5|%6|%7|%8|%9"_s.arg(r.at(0).toInt())
        .arg(r.at(1).toInt())
        .arg(r.at(2).toInt())
        .arg(r.at(3).toInt())
        .arg(r.at(4).toDouble())
        .arg(r.at(5).toDouble())
        .arg(r.at(7).toString(), r.at(8).toString() + r.at(9).toString() + r.at(10).toString(),
             r.at(11).toString());
}

QStringList describe(const QList<StandingRow> &rows)
{
    QStringList lines;
    for (const StandingRow &s : rows) {
        lines << describe(QVariantList{s.Rang, s.TeamNr, s.StartNr, s.KatNr, s.Punkte, s.Zeit,
                                       false, s.CalcFullName, s.CalcVerein, s.CalcHund, s.CalcRasse,
                                       s.CalcKategorie});
    }
    return lines;
}

// The program's own run with this choice, as its preview shows it; nothing is marked.
QStringList runRankList(GeneratedEvent &g, int katNr, const Choice &choice)
{
    ScriptedUserInterface &ui = g.t.ui;
    ui.clear();
    ui.rankListChooser = [&](RankListChoice &c) {
        c.categoryIndex = int(c.categoryNumbers.indexOf(katNr));
        c.kind = choice.dialogKind;
        return true;
    };
    ui.answers = {false}; // in automatic mode: do not mark the list as printed
    ui.defaultAnswer = false;
    g.t.competition->ranking().RunRankList(false, false, choice.groupList);
    if (ui.previews.size() != 1)
        return {u"no preview"_s};
    QStringList lines;
    for (const QVariantList &r : ui.previews.first().data.rows)
        lines << describe(r);
    return lines;
}

} // namespace

class TestStandings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void equalsTheRankListRun_data()
    {
        QTest::addColumn<GeneratedEvent::Options>("options");
        const auto row = [](const char *name, quint32 seed, const QString &method, int p, int z,
                            bool autoRank) {
            QTest::newRow(name) << GeneratedEvent::Options{seed, method, p, z, autoRank, true};
        };
        row("points then time", 1, u"Punkte/Zeit"_s, 1, 2, false);
        row("points only", 2, u"Nach Punkten"_s, 1, 2, false);
        row("time then points", 3, u"Zeit/Punkte"_s, 2, 1, false);
        row("time only, descending", 4, u"Nach Zeit"_s, 1, 1, false);
        row("unknown method", 5, u"Spezial"_s, 1, 2, false);
        row("first key without code", 6, u"Punkte/Zeit"_s, 0, 2, false);
        row("automatic, points then time", 7, u"Punkte/Zeit"_s, 1, 2, true);
        row("automatic, time only", 8, u"Nach Zeit"_s, 2, 2, true);
        row("automatic, points ascending", 9, u"Zeit/Punkte"_s, 2, 2, true);
    }

    // Every kind and category of a field with groups, ties and printed marks: the rows equal
    // the program's run, with the marks as they are and, with printed ones wanted, as if
    // nobody had been marked.
    void equalsTheRankListRun()
    {
        QFETCH(GeneratedEvent::Options, options);
        GeneratedEvent g(options);
        g.t.open(g.event);
        const EventRow event = *g.t.data.ReadEvent(g.event);
        QList<int> katNrs{0};
        katNrs << g.categories;

        QHash<QString, QStringList> withPrinted;
        for (const Choice &choice : Choices) {
            for (int katNr : katNrs) {
                const QString what = u"kind %1, category %2"_s.arg(int(choice.kind)).arg(katNr);
                const QStringList computed =
                    describe(Standings::compute(g.t.data, event, choice.kind, katNr, false));
                QCOMPARE(computed, runRankList(g, katNr, choice));
                withPrinted.insert(
                    what, describe(Standings::compute(g.t.data, event, choice.kind, katNr, true)));
            }
        }
        QVERIFY(g.t.count(u"SELECT count(*) FROM TeamsProAnlass WHERE RangBerechnet <> 0"_s) > 0);

        Statement(g.t.db(),
                  u"UPDATE TeamsProAnlass SET RangBerechnet = 0, ZusatzRangBerechnet = 0"_s)
            .exec();
        qsizetype listed = 0;
        for (const Choice &choice : Choices) {
            for (int katNr : katNrs) {
                const QString what = u"kind %1, category %2"_s.arg(int(choice.kind)).arg(katNr);
                const QStringList run = runRankList(g, katNr, choice);
                QCOMPARE(withPrinted.value(what), run);
                listed += run.size();
            }
        }
        QVERIFY(listed > 50);
    }

    void countsTheFinishedOfTheList()
    {
        TestDatabase t;
        const int sen = t.addCategory(u"Senioren"_s);
        const int jun = t.addCategory(u"Junioren"_s);
        const int event = t.addEvent(u"Lauf"_s);
        const auto team = [&](int katNr, bool addGame, bool finished, bool addFinished) {
            const int nr = t.addTeam(u"T"_s, u"V"_s, katNr, addGame);
            t.addEntry(event, nr, 0, false, 0, finished, addFinished);
            return nr;
        };
        team(sen, true, true, true);
        team(sen, false, true, false);
        team(sen, true, false, false);
        team(jun, true, true, false);
        const int group = t.addGroup(u"G"_s, jun, true);
        t.addEntry(event, group, 0, true, 0, false, true);
        for (int i = 0; i < 2; ++i) {
            const int member = t.addTeam(u"M"_s, u"V"_s, jun, true);
            t.addMember(group, member);
            t.addEntry(event, member, 0, false, group, true, true);
        }
        t.open(event);
        const EventRow e = *t.data.ReadEvent(event);
        const auto progress = [&](Kind kind, int katNr) {
            const StandingProgress p = Standings::progress(t.data, e, kind, katNr);
            return QPair<int, int>(p.finished, p.entered);
        };
        // Members count as teams, finished when their group is.
        QCOMPARE(progress(Kind::Single, 0), (QPair<int, int>(3, 6)));
        QCOMPARE(progress(Kind::Single, sen), (QPair<int, int>(2, 3)));
        QCOMPARE(progress(Kind::Group, jun), (QPair<int, int>(1, 2)));
        QCOMPARE(progress(Kind::AddGame, 0), (QPair<int, int>(3, 5)));
        QCOMPARE(progress(Kind::Combined, sen), (QPair<int, int>(2, 3)));
    }
};

QTEST_GUILESS_MAIN(TestStandings)
#include "tst_standings.moc"
