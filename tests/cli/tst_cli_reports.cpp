#include "ranking/Ranking.h"
#include "reportengine/render/ReportTableWriter.h"
#include "reports/StartListReport.h"
#include "support/CliProcess.h"
#include "support/ReportTestUtil.h"
#include "support/TestDatabase.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTest>

#include <algorithm>

namespace {

QByteArray withoutBom(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    return bytes;
}

// An event in automatic mode with the additional game "Ballspiel". Senioren: Anna and Ben
// finished, Dora finished but already on a printed list, Emil not finished. Junioren: Clara
// finished in both games, and the finished group Wirbelwinde of Fritz and Gina.
struct Fixture
{
    TestDatabase t;
    int senioren = 0, junioren = 0, event = 0, plainEvent = 0;
    int anna = 0, ben = 0, clara = 0, dora = 0, emil = 0, fritz = 0, gina = 0, group = 0;

    Fixture()
    {
        senioren = t.addCategory(QStringLiteral("Senioren"));
        junioren = t.addCategory(QStringLiteral("Junioren"));
        event = t.addEvent(QStringLiteral("Sommercup"), QStringLiteral("Punkte/Zeit"), 1, 2, true,
                           0, true, QStringLiteral("Ballspiel"));
        plainEvent = t.addEvent(QStringLiteral("Herbstlauf"));
        const int wald = t.addPost(QStringLiteral("Wald"));
        const int bach = t.addPost(QStringLiteral("Bach"));
        anna = t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), senioren, true);
        ben = t.addTeam(QStringLiteral("Keller"), QStringLiteral("Ben"), senioren);
        clara = t.addTeam(QStringLiteral("Roth"), QStringLiteral("Clara"), junioren, true);
        dora = t.addTeam(QStringLiteral("Frei"), QStringLiteral("Dora"), senioren);
        emil = t.addTeam(QStringLiteral("Graf"), QStringLiteral("Emil"), senioren);
        fritz = t.addTeam(QStringLiteral("Huber"), QStringLiteral("Fritz"), junioren);
        gina = t.addTeam(QStringLiteral("Iseli"), QStringLiteral("Gina"), junioren);
        group = t.addGroup(QStringLiteral("Wirbelwinde"), junioren);
        t.addMember(group, fritz);
        t.addMember(group, gina);
        t.addEntry(event, anna, 1, false, 0, true, true);
        t.addEntry(event, ben, 2, false, 0, true);
        t.addEntry(event, clara, 3, false, 0, true, true);
        t.addEntry(event, dora, 4, false, 0, true);
        t.addEntry(event, emil, 5);
        t.addEntry(event, group, 6, true, 0, true);
        t.addEntry(event, fritz, 0, false, group, true);
        t.addEntry(event, gina, 0, false, group, true);
        t.db().exec(QStringLiteral("UPDATE TeamsProAnlass SET RangBerechnet = 1 WHERE TeamNr = ")
                    + QString::number(dora));
        const QList<int> teams{anna, ben, clara, dora, emil, fritz, gina};
        for (int i = 0; i < teams.size(); ++i) {
            t.addResult(event, wald, teams.at(i), 12.5 - i, 30.25 + i, 4 + i, 10.5);
            t.addResult(event, bach, teams.at(i), 13 - i, 20, 2, 9);
        }
        // Left over from an earlier run in the program; it must survive the commands.
        t.db().exec(QStringLiteral("INSERT INTO Rang (TeamNr, Rang, KatNr) VALUES (99, 7, 1)"));
    }

    QString dir() const { return t.databaseDir(); }

    // The rows the program's preview shows after a run from the menu with this choice, in
    // the CSV the command writes.
    QByteArray previewCsv(int katNr, int kind, bool groupList, bool withPrinted = false)
    {
        t.open(event);
        t.ui.clear();
        t.ui.rankListChooser = [&](RankListChoice &choice) {
            choice.categoryIndex = int(choice.categoryNumbers.indexOf(katNr));
            choice.kind = kind;
            choice.withPrinted = withPrinted;
            return true;
        };
        t.ui.answers << false; // do not mark the list as printed
        t.competition->ranking().RunRankList(false, false, groupList);
        if (t.ui.previews.size() != 1)
            return {};
        rows = int(t.ui.previews.first().data.rows.size());
        return withoutBom(Render::ReportTableWriter(t.ui.previews.first()).csv());
    }
    int rows = 0;

    // Every table file's bytes.
    QHash<QString, QByteArray> files() const
    {
        QHash<QString, QByteArray> out;
        const QDir d(dir());
        for (const QString &name : d.entryList(QDir::Files)) {
            QFile f(d.filePath(name));
            if (f.open(QIODevice::ReadOnly))
                out.insert(name, QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1));
        }
        return out;
    }
};

} // namespace

class TestCliReports : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(qEnvironmentVariable("VELUNDA_CLI")), "VELUNDA_CLI not set");
    }

    void ranklistWritesThePreviewsRows_data()
    {
        QTest::addColumn<QString>("kindOption");
        QTest::addColumn<QString>("category"); // "S", "J": the category's number
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("groupList");
        QTest::addColumn<bool>("withPrinted");
        QTest::newRow("single, all") << "single"
                                     << "all" << 0 << false << false;
        QTest::newRow("single, by name") << "single"
                                         << "senioren" << 0 << false << false;
        QTest::newRow("group, all") << "group"
                                    << "ALL" << 0 << true << false;
        QTest::newRow("additional, by number") << "additional"
                                               << "J" << 1 << false << false;
        QTest::newRow("combined, all") << "combined"
                                       << "all" << 2 << false << false;
        QTest::newRow("standings: with printed") << "single"
                                                 << "senioren" << 0 << false << true;
    }

    void ranklistWritesThePreviewsRows()
    {
        QFETCH(QString, kindOption);
        QFETCH(QString, category);
        QFETCH(int, kind);
        QFETCH(bool, groupList);
        QFETCH(bool, withPrinted);
        Fixture f;
        int katNr = 0;
        if (category == QLatin1String("J"))
            category = QString::number(katNr = f.junioren);
        else if (category == QLatin1String("senioren"))
            katNr = f.senioren;

        const auto before = f.files();
        QStringList args{QStringLiteral("ranklist"),   f.dir(),
                         QStringLiteral("--event"),    QString::number(f.event),
                         QStringLiteral("--category"), category,
                         QStringLiteral("--kind"),     kindOption};
        if (withPrinted)
            args << QStringLiteral("--with-printed");
        const CliRun r = runCli(args);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.status, 0);
        QCOMPARE(f.files(), before);

        const QByteArray expected = f.previewCsv(katNr, kind, groupList, withPrinted);
        // Dora is on a printed list: only the standings show her.
        QCOMPARE(expected.contains("Frei Dora"), withPrinted);
        QVERIFY(f.rows > 0);
        QCOMPARE(QString::fromUtf8(r.bytes), QString::fromUtf8(expected));
    }

    void ranklistCsvAsPublished()
    {
        Fixture f;
        const CliRun r = runCli({QStringLiteral("ranklist"), f.dir(), QStringLiteral("--event"),
                                 QString::number(f.event), QStringLiteral("--category"),
                                 QString::number(f.senioren)});
        QCOMPARE(r.status, 0);
        const QStringList lines = QString::fromUtf8(r.bytes).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.mid(0, 3),
                 QStringList({QStringLiteral("Sommercup"),
                              QStringLiteral("\"Einzel-Rangliste sortiert \"\"Punkte/Zeit (Punkte "
                                             "ab/Zeit auf)\"\"\""),
                              QString()}));
        QCOMPARE(lines.at(3),
                 QStringLiteral("Rang;StrNr.;Name;Verein;Hund;Rasse;Kategorie;Punkte;Zeit"));
        // Dora is on a printed list already, Emil has not finished.
        QCOMPARE(lines.mid(4),
                 QStringList({QStringLiteral("1;1;Muster Anna;HC Test;Rex;Mischling;Senioren;"
                                             "25,50;50,25"),
                              QStringLiteral("2;2;Keller Ben;HC Test;Rex;Mischling;Senioren;"
                                             "23,50;51,25"),
                              QString()}));
    }

    void ranklistWritesEveryFormat_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("pdf by suffix") << QStringList() << "liste.pdf" << QByteArray("%PDF");
        QTest::newRow("xlsx") << QStringList{QStringLiteral("--format"), QStringLiteral("xlsx")}
                              << "liste.dat.x" << QByteArray("PK");
        QTest::newRow("html") << QStringList() << "liste.html" << QByteArray("<!DOCTYPE html>");
        QTest::newRow("txt") << QStringList() << "liste.txt" << QByteArray("Sommercup\n");
        QTest::newRow("csv without suffix")
            << QStringList() << "liste" << QByteArray("\xEF\xBB\xBFSommercup\r\n");
    }

    void ranklistWritesEveryFormat()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, file);
        QFETCH(QByteArray, start);
        Fixture f;
        QString path = f.t.programDir() + QLatin1Char('/') + file;
        const CliRun r =
            runCli(QStringList{QStringLiteral("ranklist"), f.dir(), QStringLiteral("--event"),
                               QString::number(f.event), QStringLiteral("-o"), path}
                   + options);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.status, 0);
        if (file == QLatin1String("liste"))
            path += QStringLiteral(".csv");
        QVERIFY2(
            QString::fromUtf8(r.bytes).startsWith(QStringLiteral("Rangliste geschrieben: ") + path),
            r.bytes.constData());
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY2(written.readAll().startsWith(start), qPrintable(path));
        if (start == "%PDF")
            QCOMPARE(ReportTestUtil::pdfPageCount(path), 1);
    }

    void scorecardsPrintTheProgramsCards_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("text");
        QTest::newRow("team") << "--team=anna" << 1 << "Bewertungsbogen für: Anna Muster mit Rex";
        QTest::newRow("group and its members") << "--team=group" << 3 << "Gina Iseli mit Rex";
        QTest::newRow("blank") << "--blank" << 1 << "Kategorie: _______________";
        // The grid's rows: five teams and the group, not its members.
        QTest::newRow("all") << "--all" << 6 << "Gruppe Wirbelwinde";
    }

    void scorecardsPrintTheProgramsCards()
    {
        QFETCH(QString, choice);
        QFETCH(int, pages);
        QFETCH(QString, text);
        Fixture f;
        choice.replace(QStringLiteral("anna"), QString::number(f.anna));
        choice.replace(QStringLiteral("group"), QString::number(f.group));
        const QString pdf = f.t.programDir() + QStringLiteral("/karten.pdf");
        const auto before = f.files();
        const CliRun r = runCli({QStringLiteral("scorecards"), f.dir(), QStringLiteral("--event"),
                                 QString::number(f.event), choice, QStringLiteral("-o"), pdf});
        QCOMPARE(r.err, QString());
        QCOMPARE(r.status, 0);
        QCOMPARE(f.files(), before);
        QCOMPARE(ReportTestUtil::pdfPageCount(pdf), pages);
        if (ReportTestUtil::hasTool(QStringLiteral("pdftotext"))) {
            const QString shown =
                ReportTestUtil::runTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
            QVERIFY2(shown.contains(text), qPrintable(shown));
        }
    }

    void startlistWritesTheProgramsList()
    {
        Fixture f;
        const auto before = f.files();
        const CliRun r = runCli({QStringLiteral("startlist"), f.dir(), QStringLiteral("--event"),
                                 QString::number(f.event), QStringLiteral("--category"),
                                 QStringLiteral("junioren")});
        QCOMPARE(r.err, QString());
        QCOMPARE(r.status, 0);
        QCOMPARE(f.files(), before);
        f.t.open(f.event);
        StartListReport report(*f.t.competition);
        report.PrepareStartList(f.junioren);
        QCOMPARE(QString::fromUtf8(r.bytes),
                 QString::fromUtf8(withoutBom(Render::ReportTableWriter(report.document()).csv())));
        QVERIFY(r.out.contains(QStringLiteral("  Huber Fritz")));
    }

    void startlistDrawsAndKeepsOnlyWhenAsked()
    {
        Fixture f;
        const auto before = f.files();
        const QString file = f.t.programDir() + QStringLiteral("/start.csv");
        const CliRun r = runCli({QStringLiteral("startlist"), f.dir(), QStringLiteral("--event"),
                                 QString::number(f.event), QStringLiteral("--draw"),
                                 QStringLiteral("-o"), file});
        QCOMPARE(r.err, QString());
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains(QStringLiteral("Neue Startnummern vergeben und gespeichert")),
                 qPrintable(r.out));
        QVERIFY(f.files() != before);
        // Five teams 1..5 in a drawn order (the group's members among them), the group 8 after
        // all seven teams, its members sharing that number; the list shows the numbers kept.
        f.t.data.OpenDatabase(f.dir());
        f.t.open(f.event);
        QSet<int> teams;
        for (int team : {f.anna, f.ben, f.clara, f.dora, f.emil})
            teams << f.t.data.ReadEntry(f.event, team)->StartNr;
        QCOMPARE(teams.size(), 5);
        QVERIFY(*std::max_element(teams.cbegin(), teams.cend()) <= 7);
        QCOMPARE(f.t.data.ReadEntry(f.event, f.group)->StartNr, 8);
        QCOMPARE(f.t.data.ReadEntry(f.event, f.gina)->StartNr, 8);
        StartListReport report(*f.t.competition);
        report.PrepareStartList(0);
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), Render::ReportTableWriter(report.document()).csv());
    }

    void errors_data()
    {
        QTest::addColumn<QStringList>("args"); // DB, EV, PLAIN, OUT are filled in
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const auto args = [](const char *text) {
            return QString::fromUtf8(text).split(QLatin1Char(' '));
        };
        QTest::newRow("ranklist: missing directory")
            << args("ranklist /nicht/da --event 1") << 1
            << "Das Datenbankverzeichnis /nicht/da gibt es nicht.";
        QTest::newRow("ranklist: no database in directory")
            << args("ranklist OUT --event 1") << 1 << "(Anlass.dat fehlt)";
        QTest::newRow("ranklist: no event") << args("ranklist DB") << 2 << "--event fehlt";
        QTest::newRow("ranklist: event not a number")
            << args("ranklist DB --event eins") << 2 << "verlangt eine ganze Zahl";
        QTest::newRow("ranklist: unknown event")
            << args("ranklist DB --event 42") << 1 << "Den Anlass 42 gibt es nicht.";
        QTest::newRow("ranklist: unknown category")
            << args("ranklist DB --event EV --category Welpen") << 1
            << "Die Kategorie „Welpen“ gibt es nicht.";
        QTest::newRow("ranklist: unknown category number")
            << args("ranklist DB --event EV --category 77") << 1 << "Die Kategorie „77“";
        QTest::newRow("ranklist: bad kind") << args("ranklist DB --event EV --kind einzel") << 2
                                            << "Unbekannte Art der Rangliste „einzel“";
        QTest::newRow("ranklist: bad format")
            << args("ranklist DB --event EV --format doc") << 2 << "Unbekanntes Format „doc“";
        QTest::newRow("ranklist: unknown suffix")
            << args("ranklist DB --event EV -o OUT/liste.doc") << 2 << "geben Sie --format an";
        QTest::newRow("ranklist: pdf to standard output")
            << args("ranklist DB --event EV --format pdf") << 2 << "nur in eine Datei";
        QTest::newRow("ranklist: no additional game")
            << args("ranklist DB --event PLAIN --kind combined") << 1
            << "Der Anlass „Herbstlauf“ hat kein Zusatzspiel.";
        QTest::newRow("ranklist: unwritable output")
            << args("ranklist DB --event EV -o OUT/fehlt/liste.csv") << 1
            << "konnte nicht gespeichert werden";
        QTest::newRow("startlist: no event") << args("startlist DB --draw") << 2 << "--event fehlt";
        QTest::newRow("startlist: unknown category, nothing drawn")
            << args("startlist DB --event EV --draw --category Welpen") << 1
            << "Die Kategorie „Welpen“ gibt es nicht.";
        QTest::newRow("startlist: bad format, nothing drawn")
            << args("startlist DB --event EV --draw --format doc") << 2
            << "Unbekanntes Format „doc“";
        QTest::newRow("startlist: pdf to standard output")
            << args("startlist DB --event EV --format pdf") << 2 << "nur in eine Datei";
        QTest::newRow("startlist: unwritable output keeps the numbers")
            << args("startlist DB --event EV --draw -o OUT/fehlt/start.csv") << 1
            << "konnte nicht gespeichert werden";
        QTest::newRow("scorecards: missing directory")
            << args("scorecards /nicht/da --event 1 --blank -o OUT/b.pdf") << 1
            << "Das Datenbankverzeichnis /nicht/da gibt es nicht.";
        QTest::newRow("scorecards: unknown event")
            << args("scorecards DB --event 42 --blank -o OUT/b.pdf") << 1
            << "Den Anlass 42 gibt es nicht.";
        QTest::newRow("scorecards: no choice")
            << args("scorecards DB --event EV -o OUT/b.pdf") << 2 << "genau eine der Optionen";
        QTest::newRow("scorecards: two choices")
            << args("scorecards DB --event EV --all --blank -o OUT/b.pdf") << 2
            << "genau eine der Optionen";
        QTest::newRow("scorecards: no output")
            << args("scorecards DB --event EV --blank") << 2 << "-o DATEI.pdf fehlt";
        QTest::newRow("scorecards: not a pdf")
            << args("scorecards DB --event EV --blank -o OUT/b.png") << 2 << "nur als PDF";
        QTest::newRow("scorecards: bad team")
            << args("scorecards DB --event EV --team x -o OUT/b.pdf") << 2
            << "verlangt eine ganze Zahl";
        QTest::newRow("scorecards: unknown team")
            << args("scorecards DB --event EV --team 500 -o OUT/b.pdf") << 1
            << "Das Team 500 gibt es nicht.";
        QTest::newRow("scorecards: team not entered")
            << args("scorecards DB --event PLAIN --team 1 -o OUT/b.pdf") << 1
            << "Das Team 1 ist im Anlass 2 nicht gemeldet.";
        QTest::newRow("scorecards: nobody entered")
            << args("scorecards DB --event PLAIN --all -o OUT/b.pdf") << 1 << "niemand gemeldet";
        QTest::newRow("scorecards: unwritable output")
            << args("scorecards DB --event EV --blank -o OUT/fehlt/b.pdf") << 1
            << "konnte nicht gespeichert werden";
    }

    void errors()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, message);
        Fixture f;
        for (QString &arg : args) {
            if (arg == QLatin1String("DB"))
                arg = f.dir();
            else if (arg == QLatin1String("EV"))
                arg = QString::number(f.event);
            else if (arg == QLatin1String("PLAIN"))
                arg = QString::number(f.plainEvent);
            else if (arg.startsWith(QLatin1String("OUT")))
                arg.replace(0, 3, f.t.programDir());
        }
        const auto before = f.files();
        const CliRun r = runCli(args);
        QCOMPARE(r.status, status);
        QVERIFY2(r.err.startsWith(QStringLiteral("Fehler: ")), qPrintable(r.err));
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(r.bytes, QByteArray());
        QCOMPARE(f.files(), before);
        QCOMPARE(QDir(f.t.programDir()).entryList(QDir::Files), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCliReports)
#include "tst_cli_reports.moc"
