#include "engine/Statement.h"
#include "results/PostResults.h"
#include "support/TestDatabase.h"

#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

using Status = PostSaveOutcome::Status;

// One evening with an additional game: two teams, a group whose members run under the
// group's number (one of them also has its own), and a team without a row at the second post.
struct Evening
{
    TestDatabase t;
    int event = 0;
    int p1 = 0; // factor 1.5
    int p2 = 0; // factor 3
    int anna = 0, bruno = 0, late = 0, group = 0, m1 = 0, m2 = 0, m3 = 0;

    Evening()
    {
        const int kat = t.addCategory(u"Senioren"_s);
        p1 = t.addPost(u"Slalom"_s, 1.5);
        p2 = t.addPost(u"Tunnel"_s, 3.0);
        event = t.addEvent(u"Herbst"_s, u"Punkte/Zeit"_s, 1, 2, false, 0, true, u"Plausch"_s);
        anna = t.addTeam(u"Amsel"_s, u"Anna"_s, kat, true, 0, u"Rex"_s);
        bruno = t.addTeam(u"Buch"_s, u"Bruno"_s, kat, false, 0, u"Bello"_s);
        late = t.addTeam(u"Spät"_s, u"Sara"_s, kat);
        group = t.addGroup(u"Blitz"_s, kat);
        m1 = t.addTeam(u"Eins"_s, u"Eva"_s, kat, false);
        m2 = t.addTeam(u"Zwei"_s, u"Zora"_s, kat, true);
        m3 = t.addTeam(u"Drei"_s, u"Dora"_s, kat, false);
        t.addEntry(event, anna, 1);
        t.addEntry(event, bruno, 2);
        t.addEntry(event, late, 3);
        t.addEntry(event, group, 5, true);
        for (const int m : {m1, m2, m3}) {
            t.addMember(group, m);
            t.addEntry(event, m, m == m3 ? 7 : 5, false, group, true, true);
        }
        for (const int team : {anna, bruno, late, m1, m2, m3})
            t.addResult(event, p1, team, 0, 0);
        for (const int team : {anna, bruno, m1, m2, m3})
            t.addResult(event, p2, team, 0, 0);
    }

    double stored(const char *column, int postenNr, int teamNr)
    {
        Statement s(t.db(),
                    u"SELECT %1 FROM Parcours WHERE AnlassNr = :a AND PostenNr = :p AND "
                    "TeamNr = :t"_s.arg(QLatin1String(column)));
        s.bind("a", event).bind("p", postenNr).bind("t", teamNr);
        return s.next() ? s.real(0) : -1;
    }

    // Every stored result, to show that a refusal wrote nothing.
    QString all()
    {
        Statement s(t.db(),
                    u"SELECT group_concat(AnlassNr || '@' || PostenNr || '$' || TeamNr || "
                    "'=' || quote(Punkte) || '/' || quote(Zeit) || '/' || "
                    "quote(ZusatzspielPunkte) || '/' || quote(ZusatzspielZeit), ';') "
                    "FROM Parcours"_s);
        return s.next() ? s.text(0) : QString();
    }

    PostSaveOutcome save(int postenNr, int teamNr, double punkte, double zeit,
                         std::optional<PostInput> vorher = std::nullopt)
    {
        PostSave s;
        s.teamNr = teamNr;
        s.values.punkte = punkte;
        s.values.zeit = zeit;
        s.vorher = vorher;
        return PostResults::save(t.db(), event, postenNr, s);
    }
};

QStringList who(const QList<PostEntry> &entries)
{
    QStringList names;
    for (const PostEntry &e : entries)
        names << u"%1 %2%3%4"_s.arg(e.startNr).arg(
            e.name, e.gruppe.isEmpty() ? QString() : u" ("_s + e.gruppe + u')',
            e.zusatzspiel ? u" +Z"_s : QString());
    return names;
}

} // namespace

class TestPostResults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findsWhoCarriesResultsAtThePost_data()
    {
        QTest::addColumn<int>("post"); // 1 or 2
        QTest::addColumn<int>("startNr"); // -1: all
        QTest::addColumn<QStringList>("expected");
        const QStringList members{u"5 Eins Eva (Blitz) +Z"_s, u"5 Zwei Zora (Blitz) +Z"_s,
                                  u"5 Drei Dora (Blitz) +Z"_s};
        QTest::newRow("team with the game") << 1 << 1 << QStringList{u"1 Amsel Anna +Z"_s};
        QTest::newRow("team without") << 1 << 2 << QStringList{u"2 Buch Bruno"_s};
        // Every member has the game's cells when one of them plays it, as in the dialog.
        QTest::newRow("group's number lists its members") << 1 << 5 << members;
        QTest::newRow("member by its own number") << 1 << 7 << QStringList{u"7 Drei Dora +Z"_s};
        QTest::newRow("no row at this post") << 2 << 3 << QStringList();
        QTest::newRow("unknown number") << 1 << 99 << QStringList();
        QTest::newRow("all at the second post")
            << 2 << -1
            << (QStringList{u"1 Amsel Anna +Z"_s, u"2 Buch Bruno"_s} + members
                + QStringList{u"7 Drei Dora +Z"_s});
    }

    void findsWhoCarriesResultsAtThePost()
    {
        QFETCH(int, post);
        QFETCH(int, startNr);
        QFETCH(QStringList, expected);
        Evening e;
        const int postenNr = post == 1 ? e.p1 : e.p2;
        const std::optional<int> number = startNr < 0 ? std::nullopt : std::optional(startNr);
        QCOMPARE(who(PostResults::participants(e.t.db(), e.event, postenNr, number)), expected);
    }

    void showsValuesAsTyped()
    {
        Evening e;
        e.t.addResult(e.event, e.p1, e.anna, 10.5, 42.125, 3, 9.5);
        const QList<PostEntry> lines = PostResults::participants(e.t.db(), e.event, e.p1, 1);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines[0].values, (PostValues{7, 42.125, 2, 9.5}));
        QCOMPARE(lines[0].hund, u"Rex"_s);
        QCOMPARE(lines[0].kategorie, u"Senioren"_s);
    }

    void weightsAndNeverDrifts_data()
    {
        QTest::addColumn<double>("factor");
        QTest::addColumn<double>("before");
        QTest::addColumn<double>("typed");
        QTest::addColumn<double>("after");
        QTest::newRow("weighted") << 1.5 << 0.0 << 8.0 << 12.0;
        // Stored 10 at factor 3 shows 3.33: sending back what was shown keeps the 10.
        QTest::newRow("shown, rounded") << 3.0 << 10.0 << 3.33 << 10.0;
        QTest::newRow("shown, exact") << 3.0 << 10.0 << 10.0 / 3 << 10.0;
        QTest::newRow("changed") << 3.0 << 10.0 << 3.34 << 10.02;
        QTest::newRow("zero factor is 1") << 0.0 << 5.0 << 6.0 << 6.0;
        QTest::newRow("negative factor is 1") << -2.0 << 5.0 << 6.5 << 6.5;
    }

    void weightsAndNeverDrifts()
    {
        QFETCH(double, factor);
        QFETCH(double, before);
        QFETCH(double, typed);
        QFETCH(double, after);
        Evening e;
        PostRow post = *e.t.data.ReadPost(e.p1);
        post.Faktor = factor;
        e.t.data.SavePost(post);
        e.t.addResult(e.event, e.p1, e.anna, before, 42.125);
        // Times are stored as typed, and a time sent back as shown stays too.
        const PostSaveOutcome o = e.save(e.p1, e.anna, typed, 42.13);
        QCOMPARE(e.stored("Punkte", e.p1, e.anna), after);
        QCOMPARE(e.stored("Zeit", e.p1, e.anna), 42.125);
        QCOMPARE(o.stored.punkte, after / (factor > 0 ? factor : 1));
        QVERIFY(o.status == Status::Saved || (o.status == Status::Unchanged && after == before));
    }

    void additionalGameOnlyWhereItIsPlayed()
    {
        Evening e;
        e.t.addResult(e.event, e.p2, e.anna, 3, 4, 6, 7);
        PostSave s;
        s.teamNr = e.anna;
        s.values = {2, 5, 4, std::nullopt};
        QCOMPARE(PostResults::save(e.t.db(), e.event, e.p2, s).status, Status::Saved);
        QCOMPARE(e.stored("ZusatzspielPunkte", e.p2, e.anna), 12.0);
        QCOMPARE(e.stored("ZusatzspielZeit", e.p2, e.anna), 7.0); // not sent: kept

        s.teamNr = e.bruno;
        QCOMPARE(PostResults::save(e.t.db(), e.event, e.p2, s).status, Status::NoAddGame);
        QCOMPARE(e.stored("Punkte", e.p2, e.bruno), 0.0);
    }

    void refusesAndStoresNothing_data()
    {
        QTest::addColumn<int>("case_");
        QTest::newRow("no row at the post") << 0;
        QTest::newRow("another event's team") << 1;
        QTest::newRow("overflows with the factor") << 2;
        QTest::newRow("changed meanwhile") << 3;
    }

    void refusesAndStoresNothing()
    {
        QFETCH(int, case_);
        Evening e;
        e.t.addResult(e.event, e.p2, e.bruno, 9, 10);
        const int other = e.t.addEvent(u"Frühling"_s);
        const int stranger = e.t.addTeam(u"Fremd"_s, u"Fritz"_s, 1);
        e.t.addResult(other, e.p2, stranger, 0, 0);
        const QString before = e.all();
        PostSaveOutcome o;
        switch (case_) {
        case 0:
            o = e.save(e.p2, e.late, 1, 1);
            QCOMPARE(o.status, Status::NoResultRow);
            break;
        case 1:
            o = e.save(e.p2, stranger, 1, 1);
            QCOMPARE(o.status, Status::NoResultRow);
            break;
        case 2:
            o = e.save(e.p2, e.bruno, std::numeric_limits<double>::max(), 1);
            QCOMPARE(o.status, Status::OutOfRange);
            break;
        case 3:
            // The judge saw 2 points (stored 6); the operator has stored 9 meanwhile.
            o = e.save(e.p2, e.bruno, 4, 10, PostInput{2, 10, {}, {}});
            QCOMPARE(o.status, Status::Conflict);
            QCOMPARE(o.stored, (PostValues{3, 10, 0, 0}));
            break;
        }
        QCOMPARE(e.all(), before);
    }

    void aSaveSentAgainIsNoConflict()
    {
        Evening e;
        // Stored once; its answer was lost, so the page sends it again with what it saw first.
        QCOMPARE(e.save(e.p1, e.anna, 8, 30, PostInput{0, 0, {}, {}}).status, Status::Saved);
        const PostSaveOutcome again = e.save(e.p1, e.anna, 8, 30, PostInput{0, 0, {}, {}});
        QCOMPARE(again.status, Status::Unchanged);
        QCOMPARE(again.stored.punkte, 8.0);
        QCOMPARE(e.stored("Punkte", e.p1, e.anna), 12.0);
        // A value that matches what the judge saw is no conflict either.
        QCOMPARE(e.save(e.p1, e.anna, 9, 30, PostInput{8, 30, {}, {}}).status, Status::Saved);
        QCOMPARE(e.stored("Punkte", e.p1, e.anna), 13.5);
    }
};

QTEST_GUILESS_MAIN(TestPostResults)
#include "tst_postresults.moc"
