#include "support/CliProcess.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

QString writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(qEnvironmentVariable("VELUNDA_CLI")), "VELUNDA_CLI not set");
    }

    void helpDescribesEveryCommand()
    {
        const CliRun overview = runCli({QStringLiteral("--help")});
        QCOMPARE(overview.status, 0);
        const QStringList names = {QStringLiteral("init-db"),  QStringLiteral("events"),
                                   QStringLiteral("ranklist"), QStringLiteral("scorecards"),
                                   QStringLiteral("check"),    QStringLiteral("import-teams"),
                                   QStringLiteral("backup"),   QStringLiteral("backups"),
                                   QStringLiteral("restore"),  QStringLiteral("log")};
        for (const QString &name : names) {
            QVERIFY2(overview.out.contains(QStringLiteral("  ") + name + QLatin1Char(' ')),
                     qPrintable(name));
            const CliRun help = runCli({name, QStringLiteral("--help")});
            QCOMPARE(help.status, 0);
            QVERIFY2(help.out.startsWith(QStringLiteral("Aufruf: velunda-cli ") + name
                                         + QLatin1Char(' ')),
                     qPrintable(help.out));
        }
        const CliRun bare = runCli({});
        QCOMPARE(bare.status, 2);
        QVERIFY(bare.err.startsWith(QStringLiteral("Aufruf:")));
    }

    void errorsGoToStandardError_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QString nowhere = QStringLiteral("/nicht/vorhanden");
        QTest::newRow("unknown command")
            << QStringList{QStringLiteral("rangliste")} << 2 << "Unbekannter Befehl: rangliste";
        QTest::newRow("events: missing directory")
            << QStringList{QStringLiteral("events"), nowhere} << 1
            << "Das Datenbankverzeichnis /nicht/vorhanden gibt es nicht.";
        QTest::newRow("check: missing directory")
            << QStringList{QStringLiteral("check"), nowhere} << 1
            << "Das Datenbankverzeichnis /nicht/vorhanden gibt es nicht.";
        QTest::newRow("import: missing directory")
            << QStringList{QStringLiteral("import-teams"), nowhere, QStringLiteral("a.csv")} << 1
            << "Das Datenbankverzeichnis /nicht/vorhanden gibt es nicht.";
        QTest::newRow("init-db: no directory")
            << QStringList{QStringLiteral("init-db")} << 2 << "Es fehlt: VERZEICHNIS.";
        QTest::newRow("import: no file")
            << QStringList{QStringLiteral("import-teams")} << 2 << "Es fehlt: DATEI.";
        QTest::newRow("too many") << QStringList{QStringLiteral("check"), QStringLiteral("a"),
                                                 QStringLiteral("b")}
                                  << 2 << "Zu viele Argumente: b";
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("import-teams"), QStringLiteral("x"), QStringLiteral("y"),
                           QStringLiteral("--dryrun")}
            << 2 << "Unbekannte Option: --dryrun";
        QTest::newRow("flag with value")
            << QStringList{QStringLiteral("import-teams"), QStringLiteral("x"), QStringLiteral("y"),
                           QStringLiteral("--dry-run=1")}
            << 2 << "Die Option --dry-run nimmt keinen Wert.";
    }

    void errorsGoToStandardError()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, message);
        const CliRun r = runCli(args);
        QCOMPARE(r.status, status);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(r.out, QString());
    }

    void eventsListsEveryEvent()
    {
        TestDatabase t;
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        const int sommer =
            t.addEvent(QStringLiteral("Sommercup"), QStringLiteral("Punkte/Zeit"), 1, 2);
        const int herbst =
            t.addEvent(QStringLiteral("Herbstlauf"), QStringLiteral("Nach Zeit"), 0, 0);
        const int a = t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat);
        const int b = t.addTeam(QStringLiteral("Keller"), QStringLiteral("Ben"), kat);
        const int g = t.addGroup(QStringLiteral("Wirbelwinde"), kat);
        t.addEntry(sommer, a, 1);
        t.addEntry(sommer, g, 2, true);
        t.addEntry(sommer, b, 0, false, g, true);

        const CliRun r = runCli({QStringLiteral("events"), t.databaseDir()});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.out,
                 QStringLiteral("%1\tSommercup\tPunkte/Zeit (Punkte ab/Zeit auf)\t3\n"
                                "%2\tHerbstlauf\tNach Zeit (aufsteigend)\t0\n")
                     .arg(sommer)
                     .arg(herbst));
    }

    void checkFindsEachKindOfDanglingRow_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("report");
        QTest::newRow("clean") << ""
                               << "";
        QTest::newRow("entry without event")
            << "INSERT INTO TeamsProAnlass (AnlassNr, TeamNr) VALUES (99, 1)"
            << "Meldungen ohne Anlass: 1 (Anlass 99, Team 1)";
        QTest::newRow("entry without team")
            << "INSERT INTO TeamsProAnlass (AnlassNr, TeamNr) VALUES (1, 77)"
            << "Meldungen ohne Team: 1 (Anlass 1, Team 77)";
        QTest::newRow("member entry without group")
            << "INSERT INTO TeamsProAnlass (AnlassNr, TeamNr, GroupNr) VALUES (1, 2, 1)"
            << "Meldungen von Gruppenmitgliedern ohne Gruppe: 1 (Anlass 1, Team 2, Gruppe 1)";
        QTest::newRow("result without entry")
            << "INSERT INTO Parcours (AnlassNr, PostenNr, TeamNr) VALUES (1, 1, 2)"
            << "Resultate ohne Meldung: 1 (Anlass 1, Posten 1, Team 2)";
        QTest::newRow("result without post")
            << "INSERT INTO Parcours (AnlassNr, PostenNr, TeamNr) VALUES (1, 8, 1)"
            << "Resultate ohne Posten: 1 (Anlass 1, Posten 8, Team 1)";
        QTest::newRow("membership without group")
            << "INSERT INTO TeamsProGruppe (GruppenNr, TeamNr) VALUES (2, 1)"
            << "Gruppenmitgliedschaften ohne Gruppe: 1 (Gruppe 2, Team 1)";
        QTest::newRow("membership without team")
            << "INSERT INTO TeamsProGruppe (GruppenNr, TeamNr) VALUES (3, 55)"
            << "Gruppenmitgliedschaften ohne Team: 1 (Gruppe 3, Team 55)";
        QTest::newRow("team without category")
            << "INSERT INTO Team (TeamNr, Typ, Name, KatNr) VALUES (40, 1, 'Los', 9)"
            << "Teams ohne Kategorie: 1 (Team 40 Los (Kategorie 9))";
    }

    void checkFindsEachKindOfDanglingRow()
    {
        QFETCH(QString, sql);
        QFETCH(QString, report);
        TestDatabase t;
        // Everything here is sound: team 1 and 2 entered in event 1 with a result, team 2 a
        // member of group 3.
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        const int event = t.addEvent(QStringLiteral("Cup"));
        const int post = t.addPost(QStringLiteral("Slalom"));
        const int a = t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat);
        const int b = t.addTeam(QStringLiteral("Keller"), QStringLiteral("Ben"), kat);
        const int g = t.addGroup(QStringLiteral("Wirbelwinde"), kat);
        QCOMPARE(QList<int>({event, post, a, b, g}), QList<int>({1, 1, 1, 2, 3}));
        t.addEntry(event, a);
        t.addMember(g, b);
        t.addResult(event, post, a, 5, 10);
        if (!sql.isEmpty())
            t.db().exec(sql);

        const CliRun r = runCli({QStringLiteral("check"), t.databaseDir()});
        QVERIFY2(r.out.contains(QStringLiteral("Anlass.dat: in Ordnung\n")), qPrintable(r.out));
        if (report.isEmpty()) {
            QCOMPARE(r.status, 0);
            QVERIFY(r.out.endsWith(QStringLiteral("Alles in Ordnung.\n")));
        } else {
            QCOMPARE(r.status, 1);
            QVERIFY2(r.out.contains(report + QLatin1Char('\n')), qPrintable(r.out));
            QCOMPARE(r.err, QStringLiteral("Die Prüfung hat 1 Problem gefunden.\n"));
        }
    }

    void checkNamesDamagedAndMissingFiles()
    {
        TestDatabase t;
        t.data.CloseDatabase();
        const QDir dir(t.databaseDir());
        QVERIFY(QFile::remove(dir.filePath(QStringLiteral("Rang.dat"))));
        QFile team(dir.filePath(QStringLiteral("Team.dat")));
        QVERIFY(team.open(QIODevice::ReadWrite));
        team.seek(0);
        team.write(QByteArray(100, 'x')); // the file header is gone
        team.close();

        const CliRun r = runCli({QStringLiteral("check"), t.databaseDir()});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.out.contains(QStringLiteral("Rang.dat: fehlt\n")), qPrintable(r.out));
        QVERIFY2(r.out.contains(QStringLiteral("Team.dat: file is not a database")),
                 qPrintable(r.out));
        QVERIFY(r.out.contains(QStringLiteral("Parcours.dat: in Ordnung\n")));
    }

    void importTeams()
    {
        TestDatabase t;
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat);
        const QString file =
            writeFile(t.programDir() + QStringLiteral("/teams.csv"),
                      "Name;Vorname;Verein;Hund;Rasse;Kategorie\n"
                      "Muster;Anna;;Rex;Pudel;Senioren\n"
                      "M\xfcller;J\xfcrg;;Bl\xe4ss;Appenzeller;senioren\n"); // Windows-1252
        const QString teams = QStringLiteral("SELECT count(*) FROM Team");

        const CliRun dry = runCli(
            {QStringLiteral("import-teams"), t.databaseDir(), file, QStringLiteral("--dry-run")});
        QCOMPARE(dry.status, 0);
        QCOMPARE(dry.err, QString());
        QCOMPARE(
            dry.out,
            QStringLiteral(
                "Datei %1 (Windows-1252, Semikolon)\n"
                "Zeile 2: übersprungen: Muster Anna, Rex (Senioren) – gibt es schon (Team Nr. 1)\n"
                "Zeile 3: neu: Müller Jürg, Bläss (senioren)\n"
                "Probelauf: 1 Teams würden importiert, 1 übersprungen; es wurde nichts "
                "gespeichert.\n")
                .arg(file));
        QCOMPARE(t.count(teams), 1);

        const CliRun real = runCli({QStringLiteral("import-teams"), t.databaseDir(), file});
        QCOMPARE(real.status, 0);
        QVERIFY2(real.out.endsWith(QStringLiteral("1 Teams importiert, 1 übersprungen.\n")),
                 qPrintable(real.out));
        QCOMPARE(t.count(QStringLiteral(
                     "SELECT count(*) FROM Team WHERE Name = 'Müller' AND Hund = 'Bläss'")),
                 1);

        // CliRun again: everything is there already.
        const CliRun again = runCli({QStringLiteral("import-teams"), t.databaseDir(), file});
        QCOMPARE(again.status, 0);
        QVERIFY(again.out.endsWith(QStringLiteral("0 Teams importiert, 2 übersprungen.\n")));
        QCOMPARE(t.count(teams), 2);
    }

    void importTeamsRefusesBadFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QString>("outEnd");
        QTest::newRow("bad lines") << QByteArray("Name,Vorname,Verein,Hund,Rasse,Kategorie\n"
                                                 "Gut,Anna,,Rex,Pudel,Senioren\n"
                                                 "Fremd,Ben,,Rex,Pudel,Welpen\n"
                                                 ",Eva,,Rex,,Senioren\n")
                                   << 1
                                   << "Zeile 3: Fehler: die Kategorie „Welpen“ gibt es nicht\n"
                                      "Zeile 4: Fehler: „Name“ fehlt; „Rasse“ fehlt\n"
                                      "Fehler: 2 fehlerhafte Zeilen; es wurde nichts importiert.\n"
                                   << "Zeile 2: neu: Gut Anna, Rex (Senioren)\n";
        QTest::newRow("empty")
            << QByteArray() << 1
            << "Fehler: Die Datei ist leer: sie hat nicht einmal eine Kopfzeile.\n"
            << "";
        QTest::newRow("only a header")
            << QByteArray("Name\tVorname\tVerein\tHund\tRasse\tKategorie\n") << 0 << ""
            << "Die Datei enthält keine Teams.\n";
    }

    void importTeamsRefusesBadFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, status);
        QFETCH(QString, err);
        QFETCH(QString, outEnd);
        TestDatabase t;
        t.addCategory(QStringLiteral("Senioren"));
        const QString file = writeFile(t.programDir() + QStringLiteral("/teams.csv"), content);
        const CliRun r = runCli({QStringLiteral("import-teams"), t.databaseDir(), file});
        QCOMPARE(r.status, status);
        QCOMPARE(r.err, err);
        QVERIFY2(outEnd.isEmpty() ? r.out.isEmpty() : r.out.endsWith(outEnd), qPrintable(r.out));
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Team")), 0);

        const CliRun missing = runCli(
            {QStringLiteral("import-teams"), t.databaseDir(), file + QStringLiteral(".fehlt")});
        QCOMPARE(missing.status, 1);
        QVERIFY(missing.err.startsWith(QStringLiteral("Fehler: Die Datei ")));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
