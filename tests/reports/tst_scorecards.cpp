#include "app/Guard.h"
#include "reportengine/render/ReportExport.h"
#include "reports/Scorecards.h"
#include "support/TestDatabase.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <stdexcept>

namespace {

QString heading(const Report::ReportDocument &doc)
{
    return doc.element(QStringLiteral("HeadingLine"))->text;
}

QStringList headings(const QList<Report::ReportDocument> &docs)
{
    QStringList out;
    for (const Report::ReportDocument &doc : docs)
        out << heading(doc);
    return out;
}

QStringList column(const Report::ReportDocument &doc, const QString &name)
{
    QStringList out;
    for (int row = 0; row < doc.data.rows.size(); ++row)
        out << doc.data.value(row, name).toString();
    return out;
}

// An event with the additional game and two active posts around an inactive one. The grid
// lists the group Wirbelwinde (start number 2) and Clara (5); the group's members Beat and
// Anna (Beat has the lower TeamNr) are entered as members and not listed.
struct Fixture
{
    TestDatabase t;
    int event = 0, beat = 0, anna = 0, clara = 0, group = 0;
    int wald = 0, bach = 0;

    Fixture()
    {
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        event = t.addEvent(QStringLiteral("Sommerplausch"), QStringLiteral("Punkte/Zeit"), 1, 2,
                           false, 0, true, QStringLiteral("Ballspiel"));
        wald = t.addPost(QStringLiteral("Wald"));
        t.addPost(QStringLiteral("Brücke"), 1.0, false);
        bach = t.addPost(QStringLiteral("Bach"));
        beat = t.addTeam(QStringLiteral("Keller"), QStringLiteral("Beat"), kat, false, 3);
        anna = t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat, true, 4,
                         QStringLiteral("Bello"));
        clara = t.addTeam(QStringLiteral("Roth"), QStringLiteral("Clara"), kat, false, 5,
                          QStringLiteral("Fino"));
        group = t.addGroup(QStringLiteral("Wirbelwinde"), kat, false, 2);
        t.addMember(group, beat);
        t.addMember(group, anna);
        t.addEntry(event, clara, 5);
        t.addEntry(event, group, 2, true);
        t.addEntry(event, beat, 3, false, group, true);
        t.addEntry(event, anna, 4, false, group, true);
        t.open(event);
    }

    Scorecards &cards() { return t.competition->scorecards(); }
};

const QString Group = QStringLiteral("Bewertungsbogen für: Gruppe Wirbelwinde");
const QString Beat = QStringLiteral("Bewertungsbogen für: Beat Keller mit Rex");
const QString Anna = QStringLiteral("Bewertungsbogen für: Anna Muster mit Bello");
const QString Clara = QStringLiteral("Bewertungsbogen für: Clara Roth mit Fino");

} // namespace

class TestScorecards : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void groupFromTheMenuGivesItsCardThenOnePerMember()
    {
        Fixture f;
        f.cards().OutputScorecards(true, f.group);
        QCOMPARE(headings(f.t.ui.printed), (QStringList{Group, Beat, Anna}));
        // One job, so that a group's cards come out together.
        QCOMPARE(f.t.ui.printJobs.size(), 1);
        QCOMPARE(f.t.ui.printJobs.first().reports.size(), 3);
        QCOMPARE(f.t.ui.printed.at(2).element(QStringLiteral("StartNr"))->text,
                 QStringLiteral("4"));
        QVERIFY(f.t.ui.previews.isEmpty());

        // The preview shows the cards one after another, each closed before the next.
        QStringList seen;
        f.t.ui.onPreview = [&](const Report::ReportDocument &doc) {
            seen << heading(doc);
        };
        f.cards().OutputScorecards(false, f.group);
        QCOMPARE(seen, (QStringList{Group, Beat, Anna}));
        QCOMPARE(f.t.ui.printed.size(), 3);
    }

    void singleAndBlankCards()
    {
        Fixture f;
        f.cards().OutputScorecards(true, f.clara);
        f.cards().OutputScorecards(true, 0);
        f.cards().OutputScorecards(true, f.group + 100); // gone: no card at all
        QCOMPARE(f.t.ui.printed.size(), 2);
        QCOMPARE(heading(f.t.ui.printed.at(0)), Clara);
        QVERIFY(heading(f.t.ui.printed.at(1)).endsWith(QString(46, u'_')));
        QCOMPARE(f.t.ui.printedWithProgress, (QList<bool>{true, true}));
        QCOMPARE(column(f.t.ui.printed.at(0), QStringLiteral("PostenBez")),
                 (QStringList{QStringLiteral("Wald"), QStringLiteral("Bach")}));
    }

    void allScorecards()
    {
        Fixture f;
        QSignalSpy firstRow(f.t.competition.get(), &Competition::firstRowRequested);
        f.t.ui.answers = {false};
        f.cards().PrintAllScorecardsItemClick();
        QCOMPARE(f.t.ui.texts(QStringLiteral("okcancel")),
                 QStringList{
                     QStringLiteral("Wollen Sie die Bewertungsbögen von allen Teams ausdrucken?")});
        QVERIFY(f.t.ui.printed.isEmpty());

        f.t.ui.answers = {true};
        f.cards().PrintAllScorecardsItemClick();
        // In start-number order; the group gets its own card only. All cards are one job of
        // many pages: a printer that writes a file per job would keep only the last card.
        QCOMPARE(headings(f.t.ui.printed), (QStringList{Group, Clara}));
        QCOMPARE(f.t.ui.printJobs.size(), 1);
        QCOMPARE(f.t.ui.printJobs.first().title, QStringLiteral("Sommerplausch"));
        QCOMPARE(f.t.ui.printJobs.first().reports.size(), 2);
        QCOMPARE(f.t.ui.maxBusyDepth, 1);
        QCOMPARE(f.t.ui.busyDepth, 0);
        QCOMPARE(firstRow.count(), 1);

        // Cancelled in the progress display after the first card: the rest is not made.
        f.t.ui.clear();
        f.t.ui.answers = {true};
        f.t.ui.cancelPrintBefore = 1;
        f.cards().PrintAllScorecardsItemClick();
        QCOMPARE(headings(f.t.ui.printed), QStringList{Group});
        QCOMPARE(f.t.ui.busyDepth, 0);
        QCOMPARE(firstRow.count(), 2);
    }

    void failedPrintEndsTheBatchAndRestores()
    {
        Fixture f;
        QSignalSpy firstRow(f.t.competition.get(), &Competition::firstRowRequested);
        int busyWhenFailed = -1;
        f.t.ui.onPrint = [&](const Report::ReportDocument &) {
            busyWhenFailed = f.t.ui.busyDepth;
            throw std::runtime_error("Der Drucker antwortet nicht.");
        };
        f.t.ui.answers = {true};
        QVERIFY(!guarded(f.t.ui, [&] { f.cards().PrintAllScorecardsItemClick(); }));
        QCOMPARE(busyWhenFailed, 1);
        QCOMPARE(f.t.ui.printed.size(), 1);
        QCOMPARE(f.t.ui.busyDepth, 0);
        QCOMPARE(firstRow.count(), 1);
        QCOMPARE(f.t.ui.texts(QStringLiteral("error")),
                 QStringList{QStringLiteral("Der Drucker antwortet nicht.")});
    }

    void postCardOfAChosenPost()
    {
        Fixture f;
        f.t.ui.itemAnswers = {1};
        f.cards().OutputPostScorecards(false, false);
        QCOMPARE(f.t.ui.itemChoices,
                 QList<QStringList>{(QStringList{QStringLiteral("Wald"), QStringLiteral("Bach")})});
        QCOMPARE(f.t.ui.previews.size(), 1);
        const Report::ReportDocument &doc = f.t.ui.previews.first();
        QCOMPARE(doc.title, QStringLiteral("Sommerplausch"));
        QCOMPARE(heading(doc), QStringLiteral("Bewertungsbogen für Posten: Bach"));
        QCOMPARE(doc.element(QStringLiteral("FirstHeading"))->text, QStringLiteral("Team"));
        QVERIFY(!doc.element(QStringLiteral("CategoryLine"))->visible);
        QVERIFY(doc.element(QStringLiteral("AddPunkteBox"))->visible);
        QCOMPARE(column(doc, QStringLiteral("Team")),
                 (QStringList{QStringLiteral("2  Gruppe Wirbelwinde"),
                              QStringLiteral("5  Clara Roth mit Fino")}));

        // Cancelled: nothing.
        f.cards().OutputPostScorecards(true, false);
        QVERIFY(f.t.ui.printed.isEmpty());
    }

    void allAndBlankPostCards()
    {
        Fixture f;
        f.t.ui.answers = {true};
        f.cards().OutputPostScorecards(true, true);
        QCOMPARE(f.t.ui.texts(QStringLiteral("okcancel")),
                 QStringList{QStringLiteral(
                     "Wollen Sie die Bewertungsbögen von allen Posten ausdrucken?")});
        QCOMPARE(headings(f.t.ui.printed),
                 (QStringList{QStringLiteral("Bewertungsbogen für Posten: Wald"),
                              QStringLiteral("Bewertungsbogen für Posten: Bach")}));
        QCOMPARE(f.t.ui.busyDepth, 0);

        f.cards().OutputEmptyPostScorecard();
        QCOMPARE(f.t.ui.printed.size(), 3);
        QVERIFY(heading(f.t.ui.printed.last()).endsWith(QString(30, u'_')));
        QCOMPARE(f.t.ui.printed.last().data.rows.size(), 2);
    }

    void postCardsWithoutActivePost()
    {
        Fixture f;
        f.t.db().exec(QStringLiteral("UPDATE Posten SET Aktiv = False"));
        f.cards().OutputPostScorecards(true, false);
        f.cards().OutputPostScorecards(true, true);
        QCOMPARE(f.t.ui.texts(QStringLiteral("information")).size(), 2);
        QVERIFY(f.t.ui.itemChoices.isEmpty());
        QVERIFY(f.t.ui.printed.isEmpty());
    }

    void scorecardExportsItsLinesAndRows()
    {
        Fixture f;
        f.cards().OutputScorecards(true, f.anna);
        QTemporaryDir dir;
        const QString fileName = dir.filePath(QStringLiteral("bogen.csv"));
        Render::ReportExport::exportDocument(f.t.ui.printed.first(), fileName,
                                             Render::ExportFormat::Csv);
        QFile file(fileName);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines =
            QString::fromUtf8(file.readAll().mid(3)).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.mid(0, 3),
                 (QStringList{QStringLiteral("Sommerplausch"), Anna,
                              QStringLiteral("Kategorie: Senioren")}));
        QVERIFY(lines.contains(
            QStringLiteral("Postenname;Punkte;Zeit;Visum;Ballspiel Punkte;Ballspiel Zeit")));
        QVERIFY(lines.contains(QStringLiteral("Bach;;;;;")));
    }
};

QTEST_MAIN(TestScorecards)
#include "tst_scorecards.moc"
