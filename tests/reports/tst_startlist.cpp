#include "reportengine/render/ReportRenderer.h"
#include "reportengine/render/ReportTableWriter.h"
#include "reports/StartListReport.h"
#include "support/TestDatabase.h"

#include <QtTest>

namespace {

// Sommerplausch: Clara (Junioren, 1), the group Wirbelwinde (Senioren, 2) with Beat and Anna,
// of whom only Beat is entered, and Dora (Senioren, 3). Emil of the other event is not listed.
struct Fixture
{
    TestDatabase t;
    int senioren = 0, junioren = 0, event = 0;
    int clara = 0, group = 0, beat = 0, anna = 0, dora = 0;

    Fixture()
    {
        senioren = t.addCategory(QStringLiteral("Senioren"));
        junioren = t.addCategory(QStringLiteral("Junioren"));
        event = t.addEvent(QStringLiteral("Sommerplausch"));
        const int other = t.addEvent(QStringLiteral("Herbst"));
        clara = t.addTeam(QStringLiteral("Roth"), QStringLiteral("Clara"), junioren, false, 0,
                          QStringLiteral("Fino"));
        group = t.addGroup(QStringLiteral("Wirbelwinde"), senioren);
        beat = t.addTeam(QStringLiteral("Keller"), QStringLiteral("Beat"), junioren);
        anna = t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), senioren, false, 0,
                         QStringLiteral("Bello"));
        dora = t.addTeam(QStringLiteral("Frei"), QStringLiteral("Dora"), senioren);
        const int emil = t.addTeam(QStringLiteral("Graf"), QStringLiteral("Emil"), senioren);
        t.addMember(group, beat);
        t.addMember(group, anna);
        t.addEntry(event, dora, 3);
        t.addEntry(event, clara, 1);
        t.addEntry(event, group, 2, true);
        t.addEntry(event, beat, 2, false, group, true);
        t.addEntry(other, emil, 1);
        t.open(event);
    }

    QStringList rows(const Report::ReportDocument &doc) const
    {
        QStringList out;
        for (int r = 0; r < doc.data.rows.size(); ++r) {
            QStringList cells;
            for (const char *column : {"StartNr", "CalcName", "MemberName", "Hund", "Kategorie"})
                cells << doc.data.value(r, QLatin1String(column)).toString();
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    }
};

} // namespace

class TestStartList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void groupsAreFollowedByTheirMembers_data()
    {
        QTest::addColumn<bool>("oneCategory");
        QTest::addColumn<QString>("subtitle");
        QTest::addColumn<QStringList>("rows");
        // A member is listed under its group, whatever its own category, entered or not, and
        // shares its group's number.
        const QStringList senioren{
            QStringLiteral("2|Wirbelwinde |||Senioren"), // a group has no dog of its own
            QStringLiteral("2||Keller Beat|Rex|Junioren"),
            QStringLiteral("2||Muster Anna|Bello|Senioren"),
            QStringLiteral("3|Frei Dora||Rex|Senioren"),
        };
        QTest::newRow("all") << false << "Startliste"
                             << QStringList{QStringLiteral("1|Roth Clara||Fino|Junioren")}
                + senioren;
        QTest::newRow("Senioren") << true << "Startliste der Kategorie Senioren" << senioren;
    }

    void groupsAreFollowedByTheirMembers()
    {
        QFETCH(bool, oneCategory);
        QFETCH(QString, subtitle);
        QFETCH(QStringList, rows);
        Fixture f;
        StartListReport report(*f.t.competition);
        report.PrepareStartList(oneCategory ? f.senioren : 0);
        const Report::ReportDocument &doc = report.document();
        QCOMPARE(f.rows(doc), rows);
        QCOMPARE(doc.title, QStringLiteral("Sommerplausch"));
        QCOMPARE(doc.element(QStringLiteral("Subtitle"))->text, subtitle);
        QCOMPARE(doc.titleLines, (QStringList{QStringLiteral("Sommerplausch"), subtitle}));
    }

    void exportsIndentTheMembers()
    {
        Fixture f;
        StartListReport report(*f.t.competition);
        report.PrepareStartList(f.senioren);
        const QStringList csv =
            QString::fromUtf8(Render::ReportTableWriter(report.document()).csv().mid(3))
                .split(QStringLiteral("\r\n"));
        QCOMPARE(
            csv.mid(3),
            (QStringList{QStringLiteral("StrNr.;Name;Hund;Rasse;Verein;Kategorie"),
                         QStringLiteral("2;Wirbelwinde ;;;;Senioren"),
                         QStringLiteral("2;  Keller Beat;Rex;Mischling;HC Test;Junioren"),
                         QStringLiteral("2;  Muster Anna;Bello;Mischling;HC Test;Senioren"),
                         QStringLiteral("3;Frei Dora;Rex;Mischling;HC Test;Senioren"), QString()}));
        // Painted, the member's name stands right of its group's, the headings on every page.
        const Report::ReportDocument &doc = report.document();
        QVERIFY(doc.element(QStringLiteral("MemberName"))->left
                > doc.element(QStringLiteral("CalcName"))->left);
        QCOMPARE(doc.element(QStringLiteral("HeadingStartNr"))->text, QStringLiteral("StrNr."));
    }

    void theMenuAsksForTheCategory()
    {
        Fixture f;
        StartListReport report(*f.t.competition);
        // Cancelled: nothing shown.
        report.OutputStartList(false);
        QCOMPARE(f.t.ui.itemChoices,
                 QList<QStringList>{
                     (QStringList{QStringLiteral("Alle (Gemischt)"), QStringLiteral("Junioren"),
                                  QStringLiteral("Senioren")})});
        QVERIFY(f.t.ui.previews.isEmpty());

        f.t.ui.itemAnswers = {1};
        report.OutputStartList(false);
        QCOMPARE(f.t.ui.previews.size(), 1);
        QCOMPARE(f.t.ui.previews.first().data.rows.size(), 1);
        f.t.ui.itemAnswers = {0};
        report.OutputStartList(true);
        QCOMPARE(f.t.ui.printed.size(), 1);
        QCOMPARE(f.t.ui.printed.first().data.rows.size(), 5);
        QCOMPARE(f.t.ui.busyDepth, 0);
    }

    void manyParticipantsRepeatTheHeadingsOnEveryPage()
    {
        Fixture f;
        for (int i = 0; i < 80; ++i) {
            const int team =
                f.t.addTeam(QStringLiteral("Team %1").arg(i), QStringLiteral("x"), f.senioren);
            f.t.addEntry(f.event, team, 10 + i);
        }
        StartListReport report(*f.t.competition);
        report.PrepareStartList(0);
        const Render::ReportRenderer renderer(report.document());
        QCOMPARE(renderer.pageCount(), 2);
        for (int page = 0; page < renderer.pageCount(); ++page) {
            bool header = false;
            for (const auto &placed : renderer.bandsOnPage(page))
                header |=
                    report.document().bands.at(placed.band).kind == Report::BandKind::PageHeader;
            QVERIFY(header);
        }
    }
};

QTEST_MAIN(TestStartList)
#include "tst_startlist.moc"
