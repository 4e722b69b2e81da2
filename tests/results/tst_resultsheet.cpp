#include "engine/DatabaseError.h"
#include "engine/Statement.h"
#include "results/ResultSheet.h"
#include "support/TestDatabase.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <limits>
#include <optional>

namespace {

// One event with the given posts, one team entered with a result row per post.
struct TeamFixture
{
    TestDatabase t;
    int kat = 0;
    int event = 0;
    int team = 0;
    QList<int> posts;

    explicit TeamFixture(const QList<double> &factors, bool eventAddGame = false,
                         bool teamAddGame = false)
    {
        kat = t.addCategory(QStringLiteral("Senioren"));
        for (int i = 0; i < factors.size(); ++i)
            posts << t.addPost(QStringLiteral("Posten %1").arg(i + 1), factors.at(i));
        event = t.addEvent(QStringLiteral("Herbst"), QStringLiteral("Punkte/Zeit"), 1, 2, false, 0,
                           eventAddGame);
        team = t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat, teamAddGame, 1);
        t.addEntry(event, team, 1);
        for (int p : posts)
            t.addResult(event, p, team, 0, 0);
        t.open(event);
    }

    ParticipantRow participant(int teamNr = 0) const
    {
        const int wanted = teamNr ? teamNr : team;
        for (const ParticipantRow &p : t.competition->participants()) {
            if (p.TeamNr == wanted)
                return p;
        }
        qFatal("participant %d not listed", wanted);
    }

    double stored(const char *column, int postenNr, int teamNr = 0)
    {
        Statement s(t.db(),
                    QStringLiteral("SELECT %1 FROM Parcours WHERE AnlassNr = :a AND "
                                   "PostenNr = :p AND TeamNr = :t")
                        .arg(QLatin1String(column)));
        s.bind("a", event).bind("p", postenNr).bind("t", teamNr ? teamNr : team);
        return s.next() ? s.real(0) : -1;
    }
};

QStringList texts(const char *joined) // "|"-separated, for short tables
{
    return QString::fromUtf8(joined).split(QLatin1Char('|'));
}

QString de(double value)
{
    return QLocale(QLocale::German).toString(value, 'f', 2);
}

} // namespace

class TestResultSheet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void weightingRoundTrip_data()
    {
        QTest::addColumn<double>("factor");
        QTest::addColumn<double>("stored");
        QTest::addColumn<QString>("shownFactor");
        QTest::addColumn<QString>("shownPoints");
        QTest::addColumn<double>("typed"); // NaN: left as shown
        QTest::addColumn<double>("storedAfter");

        const double asShown = std::nan("");
        QTest::newRow("1.5 shows unweighted") << 1.5 << 10.5 << "1,50"
                                              << "7,00" << asShown << 10.5;
        QTest::newRow("1.5 stores weighted") << 1.5 << 10.5 << "1,50"
                                             << "7,00" << 8.0 << 12.0;
        // Not a multiple of the factor: the display rounds, the stored value must not.
        QTest::newRow("3 unedited no drift") << 3.0 << 10.0 << "3,00"
                                             << "3,33" << asShown << 10.0;
        QTest::newRow("3 retyped as shown") << 3.0 << 10.0 << "3,00"
                                            << "3,33" << 3.33 << 10.0;
        QTest::newRow("3 edited") << 3.0 << 10.0 << "3,00"
                                  << "3,33" << 3.34 << 10.02;
        // The stored factor, not the two-decimal text of its cell.
        QTest::newRow("1.234 exact") << 1.234 << 0.0 << "1,23"
                                     << "0,00" << 10.0 << 12.34;
        QTest::newRow("zero factor is 1") << 0.0 << 5.0 << "1,00"
                                          << "5,00" << 6.0 << 6.0;
        QTest::newRow("negative factor is 1") << -2.0 << 5.0 << "1,00"
                                              << "5,00" << 6.5 << 6.5;
    }

    void weightingRoundTrip()
    {
        QFETCH(double, factor);
        QFETCH(double, stored);
        QFETCH(QString, shownFactor);
        QFETCH(QString, shownPoints);
        QFETCH(double, typed);
        QFETCH(double, storedAfter);

        TeamFixture f({factor});
        f.t.addResult(f.event, f.posts[0], f.team, stored, 42.5);
        ResultSheet sheet(f.t.data);
        sheet.Load(f.participant(), false);
        QCOMPARE(sheet.rowCount(), 1);
        QCOMPARE(sheet.cell(0, 1), shownFactor);
        QCOMPARE(sheet.cell(0, 2), shownPoints);
        QCOMPARE(sheet.cell(0, 3), QStringLiteral("42,50"));
        if (!std::isnan(typed))
            QVERIFY(sheet.setValue(0, ResultSheet::Points, typed));

        // The total is the sum a save stores, not factor text times points text.
        QCOMPARE(ResultSheet::formatTotal(sheet.totals().points), de(storedAfter));

        bool finished = true;
        sheet.SaveResults(f.t.ui, finished);
        QCOMPARE(f.stored("Punkte", f.posts[0]), storedAfter);
        QCOMPARE(f.stored("Zeit", f.posts[0]), 42.5);
    }

    void hiddenAdditionalGameKeepsStoredValues_data()
    {
        QTest::addColumn<bool>("eventAddGame");
        QTest::addColumn<bool>("teamAddGame");
        QTest::newRow("event without") << false << true;
        QTest::newRow("team without") << true << false;
    }

    void hiddenAdditionalGameKeepsStoredValues()
    {
        QFETCH(bool, eventAddGame);
        QFETCH(bool, teamAddGame);
        TeamFixture f({3.0}, eventAddGame, teamAddGame);
        f.t.addResult(f.event, f.posts[0], f.team, 3, 1, 10, 7.125);
        ResultSheet sheet(f.t.data);
        sheet.Load(f.participant(), eventAddGame);
        QVERIFY(!sheet.showsAddGame());
        QVERIFY(!sheet.isColumnShown(sheet.columnOf(ResultSheet::AddPoints)));
        QVERIFY(!sheet.takesCursor(sheet.columnOf(ResultSheet::AddTime)));
        QVERIFY(!sheet.setValue(0, ResultSheet::AddPoints, 1));
        QVERIFY(!sheet.setValue(0, ResultSheet::AddTime, 1));
        QVERIFY(sheet.setValue(0, ResultSheet::Points, 2));
        bool finished = true;
        sheet.SaveResults(f.t.ui, finished);
        QCOMPARE(f.stored("Punkte", f.posts[0]), 6.0);
        QCOMPARE(f.stored("ZusatzspielPunkte", f.posts[0]), 10.0);
        QCOMPARE(f.stored("ZusatzspielZeit", f.posts[0]), 7.125);
    }

    // The one way a value reaches the sheet, from any front-end: refused cells keep what
    // they held, and nothing refused is stored.
    void numberPath_data()
    {
        QTest::addColumn<bool>("addGame"); // the team plays the event's additional game
        QTest::addColumn<int>("field");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<double>("storedAfter");

        const double inf = std::numeric_limits<double>::infinity();
        const double nan = std::nan("");
        const int points = ResultSheet::Points;
        const int addPoints = ResultSheet::AddPoints;
        const int addTime = ResultSheet::AddTime;
        // stored before: points 3, time 1, additional points 12, time 7.125; factor 3
        QTest::newRow("points weighted") << false << points << 2.5 << true << 7.5;
        QTest::newRow("time unweighted") << false << int(ResultSheet::Time) << 2.5 << true << 2.5;
        QTest::newRow("negative") << false << points << -1.0 << true << -3.0;
        QTest::newRow("as shown keeps stored") << false << points << 1.0 << true << 3.0;
        QTest::newRow("NaN") << false << points << nan << false << 3.0;
        QTest::newRow("inf") << false << points << inf << false << 3.0;
        QTest::newRow("-inf") << false << int(ResultSheet::Time) << -inf << false << 1.0;
        QTest::newRow("too large weighted") << false << points << 1e308 << false << 3.0;
        QTest::newRow("hidden add points") << false << addPoints << 5.0 << false << 12.0;
        QTest::newRow("hidden add time") << false << addTime << 5.0 << false << 7.125;
        QTest::newRow("shown add points") << true << addPoints << 5.0 << true << 15.0;
        QTest::newRow("shown add time NaN") << true << addTime << nan << false << 7.125;
    }

    void numberPath()
    {
        QFETCH(bool, addGame);
        QFETCH(int, field);
        QFETCH(double, value);
        QFETCH(bool, accepted);
        QFETCH(double, storedAfter);
        static const char *const columns[] = {"Punkte", "Zeit", "ZusatzspielPunkte",
                                              "ZusatzspielZeit"};

        TeamFixture f({3.0}, true, addGame);
        f.t.addResult(f.event, f.posts[0], f.team, 3, 1, 12, 7.125);
        ResultSheet sheet(f.t.data);
        sheet.Load(f.participant(), true);
        QCOMPARE(sheet.showsAddGame(), addGame);
        const ResultSheet::Field which = ResultSheet::Field(field);
        const double before = sheet.value(0, which);
        QCOMPARE(sheet.setValue(0, which, value), accepted);
        QVERIFY(std::isfinite(sheet.value(0, which)));
        if (!accepted)
            QCOMPARE(sheet.value(0, which), before);
        QVERIFY(!sheet.setValue(1, which, 1.0)); // no such row
        bool finished = true;
        sheet.SaveResults(f.t.ui, finished);
        QCOMPARE(f.stored(columns[field], f.posts[0]), storedAfter);
    }

    void layouts_data()
    {
        QTest::addColumn<bool>("group");
        QTest::addColumn<bool>("addGame");
        QTest::addColumn<QStringList>("visibleHeadings");

        const QStringList team = texts(" Posten| Faktor| Punkte| Zeit");
        const QStringList group = texts(" Wer") + team;
        const QStringList add = texts(" Z-Punkte| Z-Zeit");
        QTest::newRow("team with") << false << true << team + add;
        QTest::newRow("team without") << false << false << team;
        QTest::newRow("group with") << true << true << group + add;
        QTest::newRow("group without") << true << false << group;
    }

    void layouts()
    {
        QFETCH(bool, group);
        QFETCH(bool, addGame);
        QFETCH(QStringList, visibleHeadings);
        // Where the dialog puts the grid, and below the second check box.
        const int gridLeft = 8;
        const int gridWidth = 518;
        const int checkBoxesBottom = 61;

        TeamFixture f({2.0, 1.0}, true, addGame);
        int participant = f.team;
        if (group) {
            participant = f.t.addGroup(QStringLiteral("Wirbelwinde"), f.kat, false, 2);
            f.t.addMember(participant, f.team);
            f.t.addEntry(f.event, participant, 2, true);
            // the team becomes the group's member entry
            f.t.addEntry(f.event, f.team, 1, false, participant, true);
            f.t.open(f.event);
        }
        ResultSheet sheet(f.t.data);
        sheet.Load(f.participant(participant), true);

        const ResultGridLayout l = sheet.layout();
        QCOMPARE(l.visibleColumns, int(visibleHeadings.size()));
        QCOMPARE(sheet.headings().mid(0, l.visibleColumns), visibleHeadings);
        QCOMPARE(int(l.columnWidths.size()), l.visibleColumns);
        // The shown columns fit the grid: no horizontal scrolling.
        int right = 0;
        for (int width : l.columnWidths)
            right += width;
        QVERIFY(right < gridWidth);
        // Each total stands beneath its own column, the caption before the first.
        QCOMPARE(int(l.totalLabelLefts.size()), addGame ? 4 : 2);
        int columnLeft = gridLeft;
        for (int c = 0; c < sheet.firstCursorColumn(); ++c)
            columnLeft += l.columnWidths.at(c);
        QVERIFY(l.totalCaptionLeft < columnLeft);
        for (int i = 0; i < l.totalLabelLefts.size(); ++i) {
            const int width = l.columnWidths.at(sheet.firstCursorColumn() + i);
            QVERIFY2(l.totalLabelLefts.at(i) >= columnLeft
                         && l.totalLabelLefts.at(i) < columnLeft + width,
                     qPrintable(QString::number(i)));
            columnLeft += width;
        }
        // The grid starts below the check boxes shown and ends where the totals line is,
        // the same in every layout.
        QVERIFY(l.gridTop >= (addGame ? checkBoxesBottom : checkBoxesBottom - 20));
        QCOMPARE(l.gridTop + l.gridHeight, 356);

        // The key lies beyond every other column and is never shown.
        const int key = group ? 7 : 6;
        QCOMPARE(sheet.keyColumn(), key);
        QCOMPARE(sheet.columnCount(), key + 1);
        QCOMPARE(sheet.headings().at(key), QStringLiteral(" Key"));
        QVERIFY(!sheet.isColumnShown(key));
        QCOMPARE(sheet.cell(0, key),
                 QStringLiteral("%1@%2$%3").arg(f.event).arg(f.posts[0]).arg(f.team));

        // Only the number columns take the cursor.
        const int firstNumber = group ? 3 : 2;
        QCOMPARE(sheet.firstCursorColumn(), firstNumber);
        for (int column = 0; column <= key; ++column)
            QCOMPARE(sheet.takesCursor(column), column >= firstNumber && column < l.visibleColumns);
    }

    void groupGridListsMembersAndStoresUnderThem()
    {
        TeamFixture f({2.0, 1.0}, true);
        const int second =
            f.t.addTeam(QStringLiteral("Beispiel"), QStringLiteral("Ben"), f.kat, true);
        const int idle = f.t.addTeam(QStringLiteral("Zuschauer"), QStringLiteral("Zoe"), f.kat);
        const int g = f.t.addGroup(QStringLiteral("Wirbelwinde"), f.kat, false, 2);
        for (int member : {f.team, second, idle})
            f.t.addMember(g, member);
        f.t.addEntry(f.event, g, 2, true);
        f.t.addEntry(f.event, f.team, 0, false, g, true);
        f.t.addEntry(f.event, second, 0, false, g, true);
        for (int p : f.posts)
            f.t.addResult(f.event, p, second, 4, 1, 6, 2);
        // the idle member has no result rows in this event, only in another one
        const int other = f.t.addEvent(QStringLiteral("Frühling"));
        f.t.addResult(other, f.posts[0], idle, 99, 99);
        f.t.open(f.event);

        ResultSheet sheet(f.t.data);
        sheet.Load(f.participant(g), true);
        QVERIFY(!sheet.isTeam());
        QVERIFY(sheet.groupPlaysAddGame()); // through the second member alone
        QVERIFY(sheet.showsAddGame());
        QCOMPARE(sheet.groupBoxCaption(), QStringLiteral("Ergebnisse der Gruppe Wirbelwinde "));
        QCOMPARE(sheet.checkBox1Caption(),
                 QStringLiteral(
                     "&Alle Ergebisse sind bei dieser Gruppe eingegeben (Gruppe ist fertig)"));
        QCOMPARE(sheet.rowCount(), 4);
        QStringList who;
        QStringList where;
        for (int r = 0; r < sheet.rowCount(); ++r) {
            who << sheet.cell(r, 0);
            where << sheet.cell(r, 1);
        }
        QCOMPARE(who, texts("Muster Anna||Beispiel Ben|"));
        QCOMPARE(where, texts("Posten 1|Posten 2|Posten 1|Posten 2"));
        QCOMPARE(sheet.cell(2, 3), QStringLiteral("2,00")); // 4 stored at factor 2
        QCOMPARE(sheet.cell(2, 5), QStringLiteral("3,00"));

        QVERIFY(sheet.setValue(1, ResultSheet::Points, 5));
        QVERIFY(sheet.setValue(2, ResultSheet::AddPoints, 1));
        bool finished = true;
        sheet.SaveResults(f.t.ui, finished);
        QCOMPARE(f.stored("Punkte", f.posts[1], f.team), 5.0);
        QCOMPARE(f.stored("ZusatzspielPunkte", f.posts[0], second), 2.0);
        QCOMPARE(f.stored("Punkte", f.posts[0], second), 4.0);
        QCOMPARE(
            f.t.count(QStringLiteral("SELECT count(*) FROM Parcours WHERE TeamNr = %1").arg(g)), 0);
        QCOMPARE(
            f.t.count(QStringLiteral("SELECT count(*) FROM Parcours WHERE TeamNr = %1").arg(idle)),
            1);
    }

    void commaAndPointReadTheSameInEveryGermanLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value"); // NaN: refused

        const double refused = std::nan("");
        for (const char *locale : {"de_DE", "de_CH", "de_AT"}) {
            const auto row = [&](const char *text, double value) {
                QTest::addRow("%s %s", locale, text)
                    << QString::fromLatin1(locale) << QString::fromUtf8(text) << value;
            };
            row("7,5", 7.5);
            row("7.5", 7.5);
            row(" -7,25 ", -7.25);
            row("7,", 7.0);
            row(".5", 0.5);
            row("1500", 1500.0);
            row("1.500", 1.5); // a separator is always the decimal one
            row("1.500,5", refused);
            row("1'500", refused);
            row("1 500", refused);
            row("1e3", refused);
            row(",", refused);
            row("", refused);
            row("  ", refused);
            row("sieben", refused);
            row("12s", refused);
            row("nan", refused);
            row("inf", refused);
            row("-inf", refused);
            row("1e999", refused);
        }
    }

    void commaAndPointReadTheSameInEveryGermanLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(double, value);
        const QLocale previous;
        QLocale::setDefault(QLocale(locale));
        const std::optional<double> read = ResultSheet::parseNumber(text);
        QLocale::setDefault(previous);
        if (std::isnan(value))
            QVERIFY2(!read, qPrintable(QString::number(read.value_or(0))));
        else
            QCOMPARE(read, std::optional<double>(value));
    }

    // A refused value leaves the cell's last number in its own total only.
    void totalsFollowAcceptedValues()
    {
        TeamFixture f({2.0, 1.0});
        f.t.addResult(f.event, f.posts[0], f.team, 2, 3);
        ResultSheet sheet(f.t.data);
        sheet.Load(f.participant(), false);
        QVERIFY(sheet.setValue(1, ResultSheet::Points, 1.5));
        QVERIFY(!sheet.setValue(1, ResultSheet::Time, std::nan("")));
        QCOMPARE(sheet.totals().points, 3.5);
        QCOMPARE(sheet.totals().time, 3.0);
        QVERIFY(sheet.setValue(1, ResultSheet::Time, 4));
        QCOMPARE(sheet.totals().points, 3.5);
        QCOMPARE(sheet.totals().time, 7.0);
        QCOMPARE(sheet.totals().addPoints, 0.0); // not shown

        QCOMPARE(ResultSheet::notANumberError(QStringLiteral("zwei")),
                 QStringLiteral("„zwei“ ist keine Zahl. Schreiben Sie zum Beispiel 7,5 oder 7.5."));
        QCOMPARE(ResultSheet::formatTotal(1234567.891), QStringLiteral("1234568,00"));
        QCOMPARE(ResultSheet::formatTotal(12345.678), QStringLiteral("12345,68"));
        QCOMPARE(ResultSheet::formatTotal(0.004), QStringLiteral("0,00"));
    }

    void allPointsQuestion_data()
    {
        QTest::addColumn<QList<double>>("points"); // stored, factor 1
        QTest::addColumn<bool>("finishedBefore");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("finishedAfter");

        QTest::newRow("all entered, yes")
            << QList<double>{3, 4} << false << QList<bool>{true} << true << true;
        QTest::newRow("all entered, no")
            << QList<double>{3, 4} << false << QList<bool>{false} << true << false;
        QTest::newRow("one zero") << QList<double>{3, 0} << false << QList<bool>{} << false
                                  << false;
        QTest::newRow("already finished")
            << QList<double>{3, 4} << true << QList<bool>{} << false << true;
        QTest::newRow("zero, already finished")
            << QList<double>{0} << true << QList<bool>{} << false << true;
        QTest::newRow("no result rows")
            << QList<double>{} << false << QList<bool>{true} << true << true;
    }

    void allPointsQuestion()
    {
        QFETCH(QList<double>, points);
        QFETCH(bool, finishedBefore);
        QFETCH(QList<bool>, answers);
        QFETCH(bool, asked);
        QFETCH(bool, finishedAfter);

        QList<double> factors(points.size(), 1.0);
        TeamFixture f(factors);
        for (int i = 0; i < points.size(); ++i)
            f.t.addResult(f.event, f.posts[i], f.team, points[i], 1);
        ResultSheet sheet(f.t.data);
        sheet.Load(f.participant(), false);
        QCOMPARE(sheet.rowCount(), int(points.size()));
        f.t.ui.answers = answers;
        bool finished = finishedBefore;
        sheet.SaveResults(f.t.ui, finished);
        QCOMPARE(finished, finishedAfter);
        const QStringList questions = f.t.ui.texts(QStringLiteral("yesno"));
        QCOMPARE(questions.size(), asked ? 1 : 0);
        if (asked)
            QCOMPARE(questions.first(),
                     QStringLiteral("Sie haben bei allen Posten die Punkte eingegeben. "
                                    "Soll das Team auf \"Fertig\" gesetzt werden?"));
    }

    void saveIsAllOrNothing()
    {
        TeamFixture f({1.0, 1.0, 1.0});
        for (int p : f.posts)
            f.t.addResult(f.event, p, f.team, 1, 1);
        ResultSheet sheet(f.t.data);
        sheet.Load(f.participant(), false);
        for (int r = 0; r < 3; ++r)
            QVERIFY(sheet.setValue(r, ResultSheet::Points, 9));
        // The last row cannot be written.
        Statement(
            f.t.db(),
            QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE UPDATE ON Parcours "
                           "WHEN NEW.PostenNr = %1 BEGIN SELECT RAISE(ABORT, 'gesperrt'); END")
                .arg(f.posts[2]))
            .exec();
        bool finished = true;
        QVERIFY_THROWS_EXCEPTION(DatabaseError, sheet.SaveResults(f.t.ui, finished));
        for (int p : f.posts)
            QCOMPARE(f.stored("Punkte", p), 1.0);
    }

    void vanishedRowIsSkippedNotRecreated()
    {
        TeamFixture f({1.0, 1.0});
        ResultSheet sheet(f.t.data);
        sheet.Load(f.participant(), false);
        Statement(f.t.db(),
                  QStringLiteral("DELETE FROM Parcours WHERE PostenNr = %1").arg(f.posts[0]))
            .exec();
        QVERIFY(sheet.setValue(0, ResultSheet::Points, 5));
        QVERIFY(sheet.setValue(1, ResultSheet::Points, 6));
        bool finished = true;
        sheet.SaveResults(f.t.ui, finished);
        QCOMPARE(f.stored("Punkte", f.posts[0]), -1.0); // still gone
        QCOMPARE(f.stored("Punkte", f.posts[1]), 6.0);
    }

    void inactivePostKeepsItsRowsAndNewPostHasNone()
    {
        TeamFixture f({1.0, 1.0});
        PostRow old = *f.t.data.ReadPost(f.posts[0]);
        old.Aktiv = false;
        f.t.data.SavePost(old);
        f.t.addPost(QStringLiteral("Neu"), 1.0, true);
        ResultSheet sheet(f.t.data);
        sheet.Load(f.participant(), false);
        QCOMPARE(sheet.rowCount(), 2);
        QCOMPARE(sheet.cell(0, 0), QStringLiteral("Posten 1"));
    }
};

QTEST_GUILESS_MAIN(TestResultSheet)
#include "tst_resultsheet.moc"
