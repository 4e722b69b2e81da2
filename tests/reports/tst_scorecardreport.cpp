#include "reportengine/render/ReportRenderer.h"
#include "reports/ScorecardLayout.h"
#include "reports/ScorecardReport.h"
#include "support/TestDatabase.h"

#include <QtTest>

using Report::BandKind;
using Report::Element;

namespace {

const char *const ValueBoxes[] = {"PunkteBox", "ZeitBox", "VisumBox", "AddPunkteBox", "AddZeitBox"};
const char *const TotalBoxes[] = {"TotalPunkteBox", "TotalZeitBox", "TotalVisumBox",
                                  "TotalAddPunkteBox", "TotalAddZeitBox"};
const char *const Headings[] = {"PunkteHeading", "ZeitHeading", "VisumHeading", "AddPunkteHeading",
                                "AddZeitHeading"};

const Element &element(const Report::ReportDocument &doc, const char *name)
{
    const Element *e = doc.element(QLatin1String(name));
    if (!e)
        qFatal("no element %s", name);
    return *e;
}

QString text(const Report::ReportDocument &doc, const char *name)
{
    return element(doc, name).text;
}

int bandsOfKind(const Render::ReportRenderer &renderer, int page, BandKind kind)
{
    int n = 0;
    for (const auto &placed : renderer.bandsOnPage(page))
        n += renderer.document().bands.at(placed.band).kind == kind;
    return n;
}

// An event "Sommerplausch" with the additional game "Ballspiel" (or none), one category and
// two teams, one of them playing the additional game, and a group with them as members.
struct Fixture
{
    TestDatabase t;
    int kat = 0, anna = 0, beat = 0, group = 0;

    explicit Fixture(bool eventAddGame, bool groupAddGame = false)
    {
        kat = t.addCategory(QStringLiteral("Senioren"));
        const int event = t.addEvent(QStringLiteral("Sommerplausch"), QStringLiteral("Punkte/Zeit"),
                                     1, 2, false, 0, eventAddGame, QStringLiteral("Ballspiel"));
        anna = t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat, true, 7,
                         QStringLiteral("Bello"));
        beat = t.addTeam(QStringLiteral("Keller"), QStringLiteral("Beat"), kat, false, 8);
        group = t.addGroup(QStringLiteral("Wirbelwinde"), kat, groupAddGame, 12);
        t.addMember(group, anna);
        t.addMember(group, beat);
        t.open(event);
    }
};

} // namespace

class TestScorecardReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void headingAndCategoryLines_data()
    {
        QTest::addColumn<QString>("who");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("startNr");
        QTest::newRow("team") << "anna"
                              << "Bewertungsbogen für: Anna Muster mit Bello"
                              << "Kategorie: Senioren"
                              << "7";
        QTest::newRow("group") << "group"
                               << "Bewertungsbogen für: Gruppe Wirbelwinde"
                               << "Kategorie: Senioren"
                               << "12";
        QTest::newRow("blank") << "blank"
                               << QString(QStringLiteral("Bewertungsbogen für: ")
                                          + QString(46, u'_'))
                               << QString(QStringLiteral("Kategorie: ") + QString(15, u'_')) << "";
    }

    void headingAndCategoryLines()
    {
        QFETCH(QString, who);
        QFETCH(QString, heading);
        QFETCH(QString, category);
        QFETCH(QString, startNr);
        Fixture f(true);
        ScorecardReport report(*f.t.competition);
        const int teamNr = who == QLatin1String("anna") ? f.anna
            : who == QLatin1String("group")             ? f.group
                                                        : 0;
        QVERIFY(report.PrepareScorecard(teamNr));
        const Report::ReportDocument &doc = report.document();
        QCOMPARE(doc.title, QStringLiteral("Sommerplausch"));
        QCOMPARE(text(doc, "HeadingLine"), heading);
        QCOMPARE(text(doc, "CategoryLine"), category);
        QCOMPARE(text(doc, "StartNr"), startNr);
        QCOMPARE(text(doc, "FooterText"), QStringLiteral("Velunda 3.00 - https://www.velunda.ch"));
    }

    void cardOfAnotherParticipantLeavesNoStaleName()
    {
        Fixture f(false);
        ScorecardReport report(*f.t.competition);
        QVERIFY(report.PrepareScorecard(f.anna));
        QVERIFY(!report.PrepareScorecard(f.group + 100));
        // A blank card after a named one carries nothing of it.
        QVERIFY(report.PrepareScorecard(0));
        QVERIFY(!text(report.document(), "HeadingLine").contains(QStringLiteral("Anna")));
        QVERIFY(text(report.document(), "StartNr").isEmpty());
    }

    void columns_data()
    {
        QTest::addColumn<bool>("eventAddGame");
        QTest::addColumn<bool>("groupAddGame");
        QTest::addColumn<QString>("who");
        QTest::addColumn<int>("columns");
        QTest::newRow("player in an event with the game") << true << false << "anna" << 5;
        QTest::newRow("non-player in an event with the game") << true << false << "beat" << 3;
        QTest::newRow("player in an event without") << false << false << "anna" << 3;
        QTest::newRow("blank, event with the game") << true << false << "blank" << 5;
        QTest::newRow("blank, event without") << false << false << "blank" << 3;
        // Anna plays, yet the group's own flag decides.
        QTest::newRow("group without its flag") << true << false << "group" << 3;
        QTest::newRow("group with its flag") << true << true << "group" << 5;
    }

    void columns()
    {
        QFETCH(bool, eventAddGame);
        QFETCH(bool, groupAddGame);
        QFETCH(QString, who);
        QFETCH(int, columns);
        Fixture f(eventAddGame, groupAddGame);
        ScorecardReport report(*f.t.competition);
        const int teamNr = who == QLatin1String("anna") ? f.anna
            : who == QLatin1String("beat")              ? f.beat
            : who == QLatin1String("group")             ? f.group
                                                        : 0;
        // Lay out the other kind first: every card sets all of its columns afresh.
        QVERIFY(report.PrepareScorecard(columns == 5 ? f.beat : 0));
        QVERIFY(report.PrepareScorecard(teamNr));
        const Report::ReportDocument &doc = report.document();

        const double nameBox = ScorecardLayout::mm(columns == 5 ? 400 : 430);
        const double valueBox = ScorecardLayout::mm(columns == 5 ? 65 : 84);
        QCOMPARE(element(doc, "NameBox").left, ScorecardLayout::mm(15));
        QCOMPARE(element(doc, "NameBox").width, nameBox);
        double left = element(doc, "NameBox").left + nameBox;
        for (int i = 0; i < 5; ++i) {
            const bool shown = i < columns;
            for (const char *name : {ValueBoxes[i], TotalBoxes[i], Headings[i]}) {
                const Element &e = element(doc, name);
                QVERIFY2(e.visible == shown, name);
                if (shown) {
                    QVERIFY2(qFuzzyCompare(e.left, left), name);
                    QVERIFY2(qFuzzyCompare(e.width, valueBox), name);
                }
            }
            left += valueBox;
        }
        const double end = element(doc, "NameBox").left + nameBox + columns * valueBox;
        const Element &addName = element(doc, "AddGameNameHeading");
        QCOMPARE(addName.visible, columns == 5);
        if (columns == 5) {
            QCOMPARE(addName.text, QStringLiteral("Ballspiel"));
            // Centred over the fourth box.
            const Element &fourth = element(doc, "AddPunkteBox");
            QVERIFY(
                qFuzzyCompare(addName.left + addName.width / 2, fourth.left + fourth.width / 2));
            // The last box ends 22 screen units beyond the right margin (190 mm are 718.1).
            QVERIFY(qAbs(end - (doc.page.printableWidth() + ScorecardLayout::mm(22))) < 0.05);
        } else {
            QVERIFY(end < doc.page.printableWidth());
        }
        QCOMPARE(doc.exportColumns.size(), columns + 1);
    }

    void rowsAreTheActivePostsInNumberOrder()
    {
        Fixture f(false);
        const int wald = f.t.addPost(QStringLiteral("Wald"));
        f.t.addPost(QStringLiteral("Brücke"), 1.0, false);
        const int bach = f.t.addPost(QStringLiteral("Bach"), 2.0);
        ScorecardReport report(*f.t.competition);
        QVERIFY(report.PrepareScorecard(f.anna));
        const Report::Dataset &rows = report.document().data;
        QCOMPARE(rows.rows.size(), 2);
        QCOMPARE(rows.value(0, QStringLiteral("PostenNr")).toInt(), wald);
        QCOMPARE(rows.value(0, QStringLiteral("PostenBez")).toString(), QStringLiteral("Wald"));
        QCOMPARE(rows.value(1, QStringLiteral("PostenNr")).toInt(), bach);
        // Other users of the posts keep seeing all of them.
        QCOMPARE(f.t.data.Posts().size(), 3);
    }

    void pagesOfTheCard_data()
    {
        QTest::addColumn<int>("posts");
        QTest::addColumn<int>("pages");
        QTest::newRow("no active post") << 0 << 1;
        QTest::newRow("one page") << 5 << 1;
        QTest::newRow("three pages") << 40 << 3;
    }

    void pagesOfTheCard()
    {
        QFETCH(int, posts);
        QFETCH(int, pages);
        Fixture f(true);
        for (int i = 1; i <= posts; ++i)
            f.t.addPost(QStringLiteral("Posten %1").arg(i));
        ScorecardReport report(*f.t.competition);
        QVERIFY(report.PrepareScorecard(f.anna));
        const Render::ReportRenderer renderer(report.document());
        QCOMPARE(renderer.pageCount(), pages);
        int details = 0;
        for (int page = 0; page < pages; ++page) {
            QCOMPARE(bandsOfKind(renderer, page, BandKind::PageHeader), 1);
            QCOMPARE(bandsOfKind(renderer, page, BandKind::PageFooter), 1);
            QCOMPARE(bandsOfKind(renderer, page, BandKind::Summary), page == pages - 1 ? 1 : 0);
            details += bandsOfKind(renderer, page, BandKind::Detail);
        }
        QCOMPARE(details, posts);
        // The total row comes right after the last post.
        const auto last = renderer.bandsOnPage(pages - 1);
        const auto footer = std::find_if(last.begin(), last.end(), [&](const auto &placed) {
            return renderer.document().bands.at(placed.band).kind == BandKind::PageFooter;
        });
        const auto &summary = *std::prev(footer);
        QCOMPARE(renderer.document().bands.at(summary.band).kind, BandKind::Summary);
        if (posts > 0) {
            const auto &lastPost = *std::prev(footer, 2);
            QVERIFY(qFuzzyCompare(summary.top, lastPost.top + ScorecardLayout::mm(51)));
        }
    }
};

QTEST_MAIN(TestScorecardReport)
#include "tst_scorecardreport.moc"
