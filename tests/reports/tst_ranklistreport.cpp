#include "engine/Statement.h"
#include "ranking/Ranking.h"
#include "reportengine/render/ReportExport.h"
#include "reportengine/render/ReportRenderer.h"
#include "reports/RankListReport.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// An event and a rank table written directly: each participant with its rank, category,
// values and entry flags, so that the report's choice of rows is all that is tested.
struct ListFixture
{
    TestDatabase t;
    int katA = 0;
    int katB = 0;
    int event = 0;

    explicit ListFixture(const QString &method = u"Punkte/Zeit"_s)
    {
        katA = t.addCategory(u"Senioren"_s);
        katB = t.addCategory(u"Junioren"_s);
        event = t.addEvent(u"Herbstlauf"_s, method, 1, 2, true, 0, true, u"Plauschrunde"_s);
    }

    // flags: Abgeschlossen, RangBerechnet, ZusatzAbgeschlossen, ZusatzRangBerechnet
    int listed(const QString &name, int katNr, int rang, double punkte, double zeit,
               const QList<bool> &flags = {true, false, true, false}, int startNr = 0)
    {
        const int nr = t.addTeam(name, u"Vorname"_s, katNr, true, 0, name + u"s Hund"_s);
        EntryRow e;
        e.AnlassNr = event;
        e.TeamNr = nr;
        e.StartNr = startNr ? startNr : nr;
        e.Abgeschlossen = flags[0];
        e.RangBerechnet = flags[1];
        e.ZusatzAbgeschlossen = flags[2];
        e.ZusatzRangBerechnet = flags[3];
        t.data.SaveEntry(e);
        rankRow(nr, katNr, rang, punkte, zeit);
        return nr;
    }

    void rankRow(int teamNr, int katNr, int rang, double punkte, double zeit)
    {
        Statement s(t.db(),
                    u"INSERT INTO Rang (TeamNr, KatNr, Rang, Punkte, Zeit) VALUES "
                    "(:t, :k, :r, :p, :z)"_s);
        s.bind("t", teamNr).bind("k", katNr).bind("r", rang).bind("p", punkte).bind("z", zeit);
        s.exec();
    }

    RankListReport &report() { return t.competition->ranking().report(); }

    QStringList column(const QString &name)
    {
        QStringList values;
        const Report::Dataset &d = report().document().data;
        for (int r = 0; r < d.rows.size(); ++r)
            values << d.value(r, name).toString();
        return values;
    }

    bool flag(int teamNr, const char *column)
    {
        return t.count(u"SELECT %1 FROM TeamsProAnlass WHERE AnlassNr = %2 AND TeamNr = %3"_s
                           .arg(QLatin1String(column))
                           .arg(event)
                           .arg(teamNr))
            != 0;
    }
};

} // namespace

class TestRankListReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void titles_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("groupList");
        QTest::addColumn<QString>("subtitle");
        const QString m = u"\"Punkte/Zeit (Punkte ab/Zeit auf)\""_s;
        QTest::newRow("single") << 0 << false << u"Einzel-Rangliste sortiert "_s + m;
        QTest::newRow("group") << 0 << true << u"Gruppen-Rangliste sortiert "_s + m;
        QTest::newRow("additional game")
            << 1 << false << u"Plauschrunde - Rangliste sortiert "_s + m;
        QTest::newRow("additional game, group")
            << 1 << true << u"Plauschrunde - Rangliste sortiert "_s + m;
        QTest::newRow("combined") << 2 << false << u"Kombinierte Rangliste sortiert "_s + m;
        QTest::newRow("combined, group") << 2 << true << u"Kombinierte Rangliste sortiert "_s + m;
    }

    void titles()
    {
        QFETCH(int, kind);
        QFETCH(bool, groupList);
        QFETCH(QString, subtitle);
        ListFixture f;
        f.t.open(f.event);
        f.report().PrepareRankList(0, kind, groupList);
        const Report::ReportDocument &doc = f.report().document();
        QCOMPARE(doc.title, u"Herbstlauf"_s);
        QCOMPARE(doc.element(u"Subtitle"_s)->text, subtitle);
        QCOMPARE(doc.element(u"Footer"_s)->text, u"Velunda 3.00 - https://www.velunda.ch"_s);
        QCOMPARE(doc.titleLines, (QStringList{u"Herbstlauf"_s, subtitle}));
        QVERIFY(doc.data.rows.isEmpty());
    }

    void valueColumns_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<bool>("pointsFirst");
        QTest::newRow("Punkte/Zeit") << u"Punkte/Zeit"_s << true;
        QTest::newRow("Nach Punkten") << u"Nach Punkten"_s << true;
        QTest::newRow("Zeit/Punkte") << u"Zeit/Punkte"_s << false;
        QTest::newRow("Nach Zeit") << u"Nach Zeit"_s << false;
        QTest::newRow("other") << u"Irgendwie"_s << false;
    }

    void valueColumns()
    {
        QFETCH(QString, method);
        QFETCH(bool, pointsFirst);
        ListFixture f(method);
        f.t.open(f.event);
        f.report().PrepareRankList(0, 0, false);
        const Report::ReportDocument &doc = f.report().document();
        QCOMPARE(doc.element(u"ValueHeading"_s)->text,
                 pointsFirst ? u"Punkte / Zeit"_s : u"Zeit / Punkte"_s);
        QCOMPARE(doc.element(u"Punkte"_s)->left, pointsFirst ? 174.6 : 185.7);
        QCOMPARE(doc.element(u"Zeit"_s)->left, pointsFirst ? 185.7 : 174.6);
        QCOMPARE(doc.exportColumns.at(7).field, pointsFirst ? u"Punkte"_s : u"Zeit"_s);
        QCOMPARE(doc.exportColumns.at(8).field, pointsFirst ? u"Zeit"_s : u"Punkte"_s);
    }

    void rowsPerKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("category"); // 0 all, 1 Senioren, 2 Junioren
        QTest::addColumn<QStringList>("names");
        // Equal ranks keep the order in which the table was filled: Gleich before Erst.
        QTest::newRow("main game, all")
            << 0 << 0 << QStringList{u"Gleich"_s, u"Erst"_s, u"Jung"_s, u"NurHaupt"_s};
        QTest::newRow("main game, Senioren")
            << 0 << 1 << QStringList{u"Gleich"_s, u"Erst"_s, u"NurHaupt"_s};
        QTest::newRow("main game, Junioren") << 0 << 2 << QStringList{u"Jung"_s};
        QTest::newRow("additional game")
            << 1 << 0 << QStringList{u"Gleich"_s, u"Erst"_s, u"Jung"_s, u"NurZusatz"_s};
        QTest::newRow("combined") << 2 << 0 << QStringList{u"Gleich"_s, u"Erst"_s, u"Jung"_s};
    }

    void rowsPerKind()
    {
        QFETCH(int, kind);
        QFETCH(int, category);
        QFETCH(QStringList, names);
        ListFixture f;
        const QList<bool> all{true, false, true, false};
        f.listed(u"NurHaupt"_s, f.katA, 4, 5, 5, {true, false, true, true});
        f.listed(u"Gleich"_s, f.katA, 1, 20, 30, all);
        f.listed(u"Erst"_s, f.katA, 1, 20, 30, all);
        f.listed(u"Jung"_s, f.katB, 3, 10, 10, all);
        f.listed(u"NurZusatz"_s, f.katA, 5, 1, 1, {true, true, true, false});
        f.listed(u"Offen"_s, f.katA, 999, 50, 50, {false, false, false, false});
        f.listed(u"Übergangen"_s, f.katA, 0, 40, 40, all); // empty rank
        f.listed(u"Unfertig"_s, f.katB, 2, 30, 30, {false, false, false, false});
        f.rankRow(4711, f.katA, 1, 99, 99); // no entry in the event
        f.t.open(f.event);
        const int katNr = category == 1 ? f.katA : category == 2 ? f.katB : 0;
        f.report().PrepareRankList(katNr, kind, false);
        QStringList got;
        for (const QString &full : f.column(u"CalcFullName"_s))
            got << full.section(u' ', 0, 0);
        QCOMPARE(got, names);
        QCOMPARE(f.report().currentRow(), 0);
    }

    // 999 stands for "not finished", yet in a long field finished participants reach it and
    // go beyond: they stay on the list, the unfinished do not.
    void ranksFrom999_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("main game")
            << 0 << QStringList{u"Vor"_s, u"Neunneun"_s, u"Tausend"_s, u"MitgliedFertig"_s};
        QTest::newRow("additional game")
            << 1 << QStringList{u"Vor"_s, u"Neunneun"_s, u"Tausend"_s, u"MitgliedFertig"_s};
        QTest::newRow("combined") << 2
                                  << QStringList{u"Vor"_s, u"Neunneun"_s, u"Tausend"_s,
                                                 u"MitgliedFertig"_s};
    }

    void ranksFrom999()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, names);
        ListFixture f;
        const QList<bool> all{true, false, true, false};
        f.listed(u"Vor"_s, f.katA, 998, 5, 5, all);
        f.listed(u"Neunneun"_s, f.katA, 999, 4, 4, all);
        f.listed(u"Offen"_s, f.katA, 999, 9, 9, {false, false, false, false});
        f.listed(u"Tausend"_s, f.katA, 1000, 3, 3, all);
        // Members' own entries are stored finished; their groups decide.
        for (const bool groupFinished : {true, false}) {
            const int g = f.t.addGroup(groupFinished ? u"G1"_s : u"G2"_s, f.katA);
            f.t.addEntry(f.event, g, 0, true, 0, groupFinished, groupFinished);
            const int m = f.t.addTeam(groupFinished ? u"MitgliedFertig"_s : u"MitgliedOffen"_s,
                                      u"Vorname"_s, f.katA);
            f.t.addEntry(f.event, m, 0, false, g, true, true);
            f.rankRow(m, f.katA, groupFinished ? 1001 : 999, 1, 1);
        }
        f.t.open(f.event);
        f.report().PrepareRankList(0, kind, false);
        QStringList got;
        for (const QString &full : f.column(u"CalcFullName"_s))
            got << full.section(u' ', 0, 0);
        QCOMPARE(got, names);
    }

    void rowFields()
    {
        ListFixture f;
        const int nr =
            f.listed(u"Muster"_s, f.katB, 2, 12.5, 61.25, {true, false, true, false}, 17);
        f.t.open(f.event);
        f.report().PrepareRankList(0, 0, false);
        const Report::ReportDocument &doc = f.report().document();
        QCOMPARE(doc.data.rows.size(), 1);
        QCOMPARE(doc.data.value(0, u"Rang"_s).toInt(), 2);
        QCOMPARE(doc.data.value(0, u"TeamNr"_s).toInt(), nr);
        QCOMPARE(doc.data.value(0, u"StartNr"_s).toInt(), 17);
        QCOMPARE(doc.data.value(0, u"CalcFullName"_s).toString(), u"Muster Vorname"_s);
        QCOMPARE(doc.data.value(0, u"CalcVerein"_s).toString(), u"HC Test"_s);
        QCOMPARE(doc.data.value(0, u"CalcHund"_s).toString(), u"Musters Hund"_s);
        QCOMPARE(doc.data.value(0, u"CalcRasse"_s).toString(), u"Mischling"_s);
        QCOMPARE(doc.data.value(0, u"CalcKategorie"_s).toString(), u"Junioren"_s);
        Render::ReportRenderer renderer(doc);
        const Report::Element *points = doc.element(u"Punkte"_s);
        const Report::Element *time = doc.element(u"Zeit"_s);
        QCOMPARE(renderer.elementText(*points, 0), u"12,50"_s);
        QCOMPARE(renderer.elementText(*time, 0), u"61,25"_s);
    }

    void marking()
    {
        ListFixture f;
        const QList<bool> all{true, false, true, false};
        const int a = f.listed(u"A"_s, f.katA, 1, 3, 3, all);
        const int b = f.listed(u"B"_s, f.katA, 2, 2, 2, all);
        const int other = f.listed(u"C"_s, f.katB, 1, 1, 1, all);
        const int g = f.t.addGroup(u"Gruppe"_s, f.katA);
        const int member = f.t.addTeam(u"Mitglied"_s, u"Mia"_s, f.katA);
        f.t.addEntry(f.event, g, 5, true, 0, true, true);
        f.t.addEntry(f.event, member, 0, false, g, true, true);
        f.rankRow(g, f.katA, 3, 1, 1);
        f.t.open(f.event);
        f.report().PrepareRankList(f.katA, 2, true);
        QCOMPARE(f.report().document().data.rows.size(), 3);
        f.report().MarkListedPrinted(false);
        QCOMPARE(f.report().currentRow(), 3);
        // One flag per mark, also after a combined list; the group's members stay unmarked.
        for (int nr : {a, b, g}) {
            QVERIFY(f.flag(nr, "RangBerechnet"));
            QVERIFY(!f.flag(nr, "ZusatzRangBerechnet"));
        }
        QVERIFY(!f.flag(other, "RangBerechnet"));
        QVERIFY(!f.flag(member, "RangBerechnet"));

        // From the current row on: at the end, nothing more is marked.
        f.report().MarkListedPrinted(true);
        QVERIFY(!f.flag(a, "ZusatzRangBerechnet"));
        f.report().MarkEntryPrinted(other, true);
        QVERIFY(f.flag(other, "ZusatzRangBerechnet"));
        QVERIFY(!f.flag(other, "RangBerechnet"));
        f.report().MarkEntryPrinted(4711, false); // no such entry
        QCOMPARE(f.t.count(u"SELECT count(*) FROM TeamsProAnlass WHERE TeamNr = 4711"_s), 0);
    }

    void emptyListStillRenders()
    {
        ListFixture f;
        f.t.open(f.event);
        f.report().PrepareRankList(0, 0, false);
        Render::ReportRenderer renderer(f.report().document());
        QCOMPARE(renderer.pageCount(), 1);
        QList<Report::BandKind> kinds;
        for (const auto &placed : renderer.bandsOnPage(0))
            kinds << renderer.document().bands.at(placed.band).kind;
        QCOMPARE(kinds,
                 (QList<Report::BandKind>{Report::BandKind::Title, Report::BandKind::PageFooter}));
    }

    // The layout of a long list; also written to the temporary directory for a look at it.
    void longListPages()
    {
        ListFixture f(u"Zeit/Punkte"_s);
        for (int i = 1; i <= 60; ++i)
            f.listed(u"Teilnehmer%1"_s.arg(i), i % 2 ? f.katA : f.katB, i, 100 - i, 30 + i * 0.5);
        f.t.open(f.event);
        f.report().PrepareRankList(0, 0, false);
        Render::ReportRenderer renderer(f.report().document());
        QCOMPARE(renderer.pageCount(), 2);
        int details = 0;
        for (int page = 0; page < renderer.pageCount(); ++page) {
            int titles = 0;
            int footers = 0;
            double bottom = 0;
            for (const auto &placed : renderer.bandsOnPage(page)) {
                const Report::Band &band = renderer.document().bands.at(placed.band);
                titles += band.kind == Report::BandKind::Title;
                footers += band.kind == Report::BandKind::PageFooter;
                if (band.kind == Report::BandKind::Detail) {
                    ++details;
                    bottom = qMax(bottom, placed.top + band.height);
                }
            }
            QCOMPARE(titles, page == 0 ? 1 : 0);
            QCOMPARE(footers, 1);
            QVERIFY(bottom <= 297.0 - 10.0 - 6.6 + 1e-9); // no row runs into the footer
        }
        QCOMPARE(details, 60);
        const QString pdf = QDir::temp().filePath(u"velunda-ranklist-60.pdf"_s);
        QFile::remove(pdf);
        // As the preview saves it.
        QCOMPARE(Render::ReportExport::exportDocument(renderer, pdf, Render::ExportFormat::Pdf),
                 QStringList{pdf});
        QVERIFY(QFile(pdf).size() > 1000);
    }
};

QTEST_MAIN(TestRankListReport)
#include "tst_ranklistreport.moc"
