#include "participants/Entries.h"
#include "participants/Groups.h"
#include "ranking/Ranking.h"
#include "results/FinishedStatus.h"
#include "results/ResultSheet.h"
#include "support/TestDatabase.h"

#include <QTest>

#include <array>

using namespace Qt::StringLiterals;

namespace {

// Per result row as the operator types it: points, time, additional points, additional time.
using Typed = std::array<double, 4>;

// An evening built the way the operator builds it: posts with factors 2 and 1.5 (and an
// inactive one), five teams in two categories, a group of two members from both categories,
// results typed into the result sheet, finished marks set through the finished status.
//
// Stored totals (points weighted) and flags:
//   start  team          cat  points time  add pts add time  finished
//   1      Amsel Anna    Sen  32     55    14.5    15        both
//   2      Buch Ben      Sen  30     40    11      15        both
//   3      Dorn Dora     Sen  30     40    2       2         main game only
//   4      Eich Emil     Sen  23     20    0       0         no
//   5      Fink Fabi     Jun  23     24    21      10        both
//   6      Wirbel (grp)  Jun  34     50    7       6         both (by the group)
//   6        Glanz Gina  Jun  16     30    7       6
//   6        Horn Hans   Sen  18     20    0       0
struct Evening
{
    TestDatabase t;
    int sen = 0, jun = 0;
    int event = 0;
    int amsel = 0, buch = 0, dorn = 0, eich = 0, fink = 0, glanz = 0, horn = 0, wirbel = 0;

    Evening()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        sen = t.addCategory(u"Senioren"_s);
        jun = t.addCategory(u"Junioren"_s);
        t.addPost(u"Start"_s, 2.0);
        t.addPost(u"Ziel"_s, 1.5);
        t.addPost(u"Alt"_s, 3.0, false);
        event = t.addEvent(u"Sommerfest"_s, u"Punkte/Zeit"_s, 1, 2, false, 0, true, u"Plausch"_s);
        t.open(event);

        Entries &entries = t.competition->entries();
        const auto team = [&](const char *name, const char *vorname, int katNr) {
            const int nr =
                t.addTeam(QString::fromUtf8(name), QString::fromUtf8(vorname), katNr, true);
            entries.EnterParticipant(event, nr, false, 0);
            return nr;
        };
        amsel = team("Amsel", "Anna", sen);
        buch = team("Buch", "Ben", sen);
        dorn = team("Dorn", "Dora", sen);
        eich = team("Eich", "Emil", sen);
        fink = team("Fink", "Fabi", jun);
        glanz = t.addTeam(u"Glanz"_s, u"Gina"_s, jun, true);
        horn = t.addTeam(u"Horn"_s, u"Hans"_s, sen, true);
        wirbel = t.addGroup(u"Wirbel"_s, jun, true);
        Groups groups(*t.competition);
        groups.AddMemberships(wirbel, {QString::number(glanz), QString::number(horn)});
        entries.EnterGroup(event, wirbel, groups.MemberNrs(wirbel));

        type(amsel, {Typed{10, 30, 5, 10}, Typed{8, 25, 3, 5}});
        type(buch, {Typed{9, 20, 4, 8}, Typed{8, 20, 2, 7}});
        type(dorn, {Typed{9, 30, 1, 1}, Typed{8, 10, 0, 1}});
        type(eich, {Typed{10, 10, 0, 0}, Typed{2, 10, 0, 0}});
        type(fink, {Typed{7, 12, 6, 5}, Typed{6, 12, 6, 5}});
        type(wirbel,
             {Typed{5, 15, 2, 3}, Typed{4, 15, 2, 3}, Typed{6, 10, 0, 0}, Typed{4, 10, 0, 0}});

        FinishedStatus &status = t.competition->finishedStatus();
        for (int nr : {amsel, buch, dorn, fink, wirbel})
            status.SetFinished(nr, true, true);
        for (int nr : {amsel, buch, fink, wirbel})
            status.SetAddGameFinished(nr, true, true);
        t.ui.clear();
    }

    void type(int teamNr, const QList<Typed> &rows)
    {
        const int index = t.competition->participantIndex(teamNr);
        if (index < 0)
            qFatal("participant %d not listed", teamNr);
        ResultSheet sheet(t.data);
        sheet.Load(t.competition->participants().at(index), true);
        if (sheet.rowCount() != rows.size())
            qFatal("participant %d has %d result rows", teamNr, sheet.rowCount());
        for (int r = 0; r < rows.size(); ++r) {
            for (int field = 0; field < ResultSheet::FieldCount; ++field) {
                const auto f = ResultSheet::Field(field);
                if (sheet.isShown(f) && !sheet.setValue(r, f, rows[r][field]))
                    qFatal("%g refused for %d", rows[r][field], teamNr);
            }
        }
        bool finished = true; // marked finished on its own afterwards
        sheet.SaveResults(t.ui, finished);
    }

    // "rank|start|name|points|time" per listed row of the previewed list.
    QStringList run(bool groupList, int katNr, int kind)
    {
        t.ui.rankListChooser = [katNr, kind](RankListChoice &c) {
            c.categoryIndex = int(c.categoryNumbers.indexOf(katNr));
            c.kind = kind;
            return true;
        };
        t.ui.previews.clear();
        t.competition->ranking().RunRankList(false, false, groupList);
        QStringList lines;
        if (t.ui.previews.size() != 1)
            return {u"no preview"_s};
        const Report::Dataset &d = t.ui.previews.first().data;
        for (int r = 0; r < d.rows.size(); ++r)
            lines << u"%1|%2|%3|%4|%5"_s.arg(
                d.value(r, u"Rang"_s).toString(), d.value(r, u"StartNr"_s).toString(),
                d.value(r, u"CalcFullName"_s).toString().trimmed(),
                QString::number(d.value(r, u"Punkte"_s).toDouble(), 'f', 2),
                QString::number(d.value(r, u"Zeit"_s).toDouble(), 'f', 2));
        return lines;
    }
};

QStringList rows(const char *text)
{
    return QString::fromUtf8(text).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class TestRankListEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lists_data()
    {
        QTest::addColumn<bool>("groupList");
        QTest::addColumn<bool>("senioren"); // else "Alle (Gemischt)"
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("expected");
        // Single list: T2 and T3 tie at 30 points, 40 s and share 2; the finished group
        // puts in both members, each in its own category; Eich has not finished.
        QTest::newRow("single, all") << false << false << 0 << rows(R"(
1|1|Amsel Anna|32.00|55.00
2|2|Buch Ben|30.00|40.00
2|3|Dorn Dora|30.00|40.00
4|5|Fink Fabi|23.00|24.00
5|6|Horn Hans|18.00|20.00
6|6|Glanz Gina|16.00|30.00
)");
        QTest::newRow("single, Senioren") << false << true << 0 << rows(R"(
1|1|Amsel Anna|32.00|55.00
2|2|Buch Ben|30.00|40.00
2|3|Dorn Dora|30.00|40.00
4|6|Horn Hans|18.00|20.00
)");
        // Group list: the group with its members' sums; Eich is 999 (not printed) and
        // comes before Fink on time, who therefore gets 5.
        QTest::newRow("group, all") << true << false << 0 << rows(R"(
1|6|Wirbel|34.00|50.00
2|1|Amsel Anna|32.00|55.00
3|2|Buch Ben|30.00|40.00
3|3|Dorn Dora|30.00|40.00
5|5|Fink Fabi|23.00|24.00
)");
        QTest::newRow("group, Senioren") << true << true << 0 << rows(R"(
1|1|Amsel Anna|32.00|55.00
2|2|Buch Ben|30.00|40.00
2|3|Dorn Dora|30.00|40.00
)");
        // Additional game: members through their own entries and the group's finish.
        QTest::newRow("additional game, all") << false << false << 1 << rows(R"(
1|5|Fink Fabi|21.00|10.00
2|1|Amsel Anna|14.50|15.00
3|2|Buch Ben|11.00|15.00
4|6|Glanz Gina|7.00|6.00
5|6|Horn Hans|0.00|0.00
)");
        QTest::newRow("additional game, Senioren") << false << true << 1 << rows(R"(
1|1|Amsel Anna|14.50|15.00
2|2|Buch Ben|11.00|15.00
3|6|Horn Hans|0.00|0.00
)");
        // Combined: main plus additional totals; Dorn is numbered but, not finished in the
        // additional game, not listed.
        QTest::newRow("combined, all") << false << false << 2 << rows(R"(
1|1|Amsel Anna|46.50|70.00
2|5|Fink Fabi|44.00|34.00
3|2|Buch Ben|41.00|55.00
5|6|Glanz Gina|23.00|36.00
6|6|Horn Hans|18.00|20.00
)");
        QTest::newRow("combined, Senioren") << false << true << 2 << rows(R"(
1|1|Amsel Anna|46.50|70.00
2|2|Buch Ben|41.00|55.00
4|6|Horn Hans|18.00|20.00
)");
    }

    void lists()
    {
        QFETCH(bool, groupList);
        QFETCH(bool, senioren);
        QFETCH(int, kind);
        QFETCH(QStringList, expected);
        Evening e;
        QCOMPARE(e.run(groupList, senioren ? e.sen : 0, kind), expected);
        QVERIFY(e.t.ui.messages.isEmpty()); // no automatic mode: nothing asked
    }
};

QTEST_GUILESS_MAIN(TestRankListEndToEnd)
#include "tst_ranklist_endtoend.moc"
