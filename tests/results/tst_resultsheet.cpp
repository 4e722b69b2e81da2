#include "engine/DatabaseError.h"
#include "engine/Statement.h"
#include "results/ResultSheet.h"
#include "support/TestDatabase.h"

#include <QLocale>
#include <QTest>

#include <cmath>
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
        QTest::addColumn<QString>("typed"); // null: left as shown
        QTest::addColumn<double>("storedAfter");

        QTest::newRow("1.5 shows unweighted") << 1.5 << 10.5 << "1,50"
                                              << "7,00" << QString() << 10.5;
        QTest::newRow("1.5 stores weighted") << 1.5 << 10.5 << "1,50"
                                             << "7,00"
                                             << "8" << 12.0;
        // Not a multiple of the factor: the display rounds, the stored value must not.
        QTest::newRow("3 unedited no drift") << 3.0 << 10.0 << "3,00"
                                             << "3,33" << QString() << 10.0;
        QTest::newRow("3 retyped as shown") << 3.0 << 10.0 << "3,00"
                                            << "3,33"
                                            << "3,33" << 10.0;
        QTest::newRow("3 edited") << 3.0 << 10.0 << "3,00"
                                  << "3,33"
                                  << "3,34" << 10.02;
        // The stored factor, not the two-decimal text of its cell.
        QTest::newRow("1.234 exact") << 1.234 << 0.0 << "1,23"
                                     << "0,00"
                                     << "10" << 12.34;
        QTest::newRow("zero factor is 1") << 0.0 << 5.0 << "1,00"
                                          << "5,00"
                                          << "6" << 6.0;
        QTest::newRow("negative factor is 1") << -2.0 << 5.0 << "1,00"
                                              << "5,00"
                                              << "6,5" << 6.5;
    }

    void weightingRoundTrip()
    {
        QFETCH(double, factor);
        QFETCH(double, stored);
        QFETCH(QString, shownFactor);
        QFETCH(QString, shownPoints);
        QFETCH(QString, typed);
        QFETCH(double, storedAfter);

        TeamFixture f({factor});
        f.t.addResult(f.event, f.posts[0], f.team, stored, 42.5);
        ResultSheet sheet(f.t.data);
        sheet.Load(f.participant(), false);
        QCOMPARE(sheet.rowCount(), 1);
        QCOMPARE(sheet.cell(0, 1), shownFactor);
        QCOMPARE(sheet.cell(0, 2), shownPoints);
        QCOMPARE(sheet.cell(0, 3), QStringLiteral("42,50"));
        if (!typed.isNull())
            sheet.setCell(0, 2, typed);

        // The total is the sum a save stores, not factor text times points text.
        ResultTotals totals;
        QString error;
        QVERIFY(sheet.UpdateTotals(totals, error));
        QCOMPARE(ResultSheet::formatTotal(totals.points), de(storedAfter));

        bool finished = true;
        QVERIFY(sheet.SaveResults(f.t.ui, finished));
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
        sheet.setCell(0, sheet.columnOf(ResultSheet::Points), QStringLiteral("2"));
        bool finished = true;
        QVERIFY(sheet.SaveResults(f.t.ui, finished));
        QCOMPARE(f.stored("Punkte", f.posts[0]), 6.0);
        QCOMPARE(f.stored("ZusatzspielPunkte", f.posts[0]), 10.0);
        QCOMPARE(f.stored("ZusatzspielZeit", f.posts[0]), 7.125);
    }

    void layouts_data()
    {
        QTest::addColumn<bool>("group");
        QTest::addColumn<bool>("addGame");
        QTest::addColumn<QStringList>("visibleHeadings");
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<int>("totalLeft");
        QTest::addColumn<QList<int>>("labelLefts");
        QTest::addColumn<int>("gridTop");
        QTest::addColumn<int>("gridHeight");

        const QStringList team = texts(" Posten| Faktor| Punkte| Zeit");
        const QStringList group = texts(" Wer") + team;
        const QStringList add = texts(" Z-Punkte| Z-Zeit");
        QTest::newRow("team with")
            << false << true << team + add << QList<int>{191, 60, 60, 60, 60, 60} << 200
            << QList<int>{270, 330, 400, 460} << 65 << 291;
        QTest::newRow("team without") << false << false << team << QList<int>{313, 60, 60, 60}
                                      << 300 << QList<int>{395, 455} << 45 << 311;
        QTest::newRow("group with")
            << true << true << group + add << QList<int>{103, 100, 54, 54, 54, 54, 54} << 150
            << QList<int>{280, 335, 390, 445} << 65 << 291;
        QTest::newRow("group without") << true << false << group << QList<int>{160, 135, 60, 60, 60}
                                       << 300 << QList<int>{378, 440} << 45 << 311;
    }

    void layouts()
    {
        QFETCH(bool, group);
        QFETCH(bool, addGame);
        QFETCH(QStringList, visibleHeadings);
        QFETCH(QList<int>, widths);
        QFETCH(int, totalLeft);
        QFETCH(QList<int>, labelLefts);
        QFETCH(int, gridTop);
        QFETCH(int, gridHeight);

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
        QCOMPARE(l.columnWidths, widths);
        QCOMPARE(l.totalCaptionLeft, totalLeft);
        QCOMPARE(l.totalLabelLefts, labelLefts);
        QCOMPARE(l.gridTop, gridTop);
        QCOMPARE(l.gridHeight, gridHeight);

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

        sheet.setCell(1, 3, QStringLiteral("5"));
        sheet.setCell(2, 5, QStringLiteral("1"));
        bool finished = true;
        QVERIFY(sheet.SaveResults(f.t.ui, finished));
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

    void validation_data()
    {
        QTest::addColumn<bool>("addGame");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");

        QTest::newRow("decimal comma") << false << int(ResultSheet::Points) << "7,5" << true;
        QTest::newRow("blanks around") << false << int(ResultSheet::Time) << " 8 " << true;
        QTest::newRow("negative") << false << int(ResultSheet::Points) << "-1" << true;
        QTest::newRow("empty points") << false << int(ResultSheet::Points) << "" << false;
        QTest::newRow("blank time") << false << int(ResultSheet::Time) << "  " << false;
        QTest::newRow("letters") << false << int(ResultSheet::Points) << "sieben" << false;
        QTest::newRow("trailing junk") << false << int(ResultSheet::Time) << "12s" << false;
        QTest::newRow("decimal point") << false << int(ResultSheet::Points) << "7.5" << true;
        QTest::newRow("two separators") << false << int(ResultSheet::Points) << "1.500,5" << false;
        QTest::newRow("nan") << false << int(ResultSheet::Points) << "nan" << false;
        QTest::newRow("inf") << false << int(ResultSheet::Time) << "inf" << false;
        QTest::newRow("-inf") << false << int(ResultSheet::Points) << "-inf" << false;
        QTest::newRow("overflow") << false << int(ResultSheet::Points) << "1e999" << false;
        QTest::newRow("shown add points") << true << int(ResultSheet::AddPoints) << "x" << false;
        QTest::newRow("shown add time") << true << int(ResultSheet::AddTime) << "" << false;
    }

    void validation()
    {
        QFETCH(bool, addGame);
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(bool, valid);

        TeamFixture f({2.0, 1.0}, addGame, addGame);
        f.t.addResult(f.event, f.posts[0], f.team, 2, 3, 4, 5);
        ResultSheet sheet(f.t.data);
        sheet.Load(f.participant(), addGame);
        // The faulty cell on the second row: the walk must not stop at the first.
        sheet.setCell(1, sheet.columnOf(ResultSheet::Field(field)), text);
        QCOMPARE(sheet.ValidateResults(), valid);

        bool finished = true;
        QCOMPARE(sheet.SaveResults(f.t.ui, finished), valid);
        if (!valid) {
            QCOMPARE(f.stored("Punkte", f.posts[0]), 2.0);
            QCOMPARE(f.stored("Zeit", f.posts[0]), 3.0);
        }
        QVERIFY(f.t.ui.messages.isEmpty());
    }

    void aBadCellKeepsOnlyItsOwnTotal()
    {
        TeamFixture f({2.0, 1.0});
        f.t.addResult(f.event, f.posts[0], f.team, 2, 3);
        ResultSheet sheet(f.t.data);
        sheet.Load(f.participant(), false);
        ResultTotals totals{2, 3, 0, 0};
        QString error;
        sheet.setCell(1, 2, QStringLiteral("1,5"));
        sheet.setCell(1, 3, QStringLiteral("zwei"));
        QVERIFY(!sheet.UpdateTotals(totals, error));
        QCOMPARE(error,
                 QStringLiteral("„zwei“ ist keine Zahl. Schreiben Sie zum Beispiel 7,5 oder 7.5."));
        QCOMPARE(totals.points, 3.5);
        QCOMPARE(totals.time, 3.0); // kept
        // The other way round: a slip in the points leaves the time total to follow.
        sheet.setCell(1, 2, QStringLiteral("x"));
        sheet.setCell(1, 3, QStringLiteral("4"));
        QVERIFY(!sheet.UpdateTotals(totals, error));
        QCOMPARE(totals.points, 3.5);
        QCOMPARE(totals.time, 7.0);

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
        QVERIFY(sheet.SaveResults(f.t.ui, finished));
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
            sheet.setCell(r, 2, QStringLiteral("9"));
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
        sheet.setCell(0, 2, QStringLiteral("5"));
        sheet.setCell(1, 2, QStringLiteral("6"));
        bool finished = true;
        QVERIFY(sheet.SaveResults(f.t.ui, finished));
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
