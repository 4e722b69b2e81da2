#include "backup/Snapshots.h"
#include "engine/DatabaseError.h"
#include "engine/Statement.h"
#include "participants/Entries.h"
#include "participants/TeamImport.h"
#include "participants/ui/TeamImportDialog.h"
#include "support/TestDatabase.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <sys/stat.h>

namespace {

QByteArray cp1252(const QString &text)
{
    // Only Latin-1 characters are used in the fixtures, where both encodings agree.
    return text.toLatin1();
}

struct StoredTeam
{
    int Typ;
    int StartNr;
    QString Vorname, Verein, Hund, Rasse;
    int KatNr;
    bool Zusatzspiel;
};

StoredTeam stored(TestDatabase &t, const QString &name)
{
    Statement s(t.db(),
                QStringLiteral("SELECT Typ, StartNr, Vorname, Verein, Hund, Rasse, KatNr, "
                               "Zusatzspiel FROM Team WHERE Name = :Name"));
    s.bind("Name", name);
    if (!s.next())
        return {};
    return {int(s.integer(0)), int(s.integer(1)), s.text(2),         s.text(3),
            s.text(4),         s.text(5),         int(s.integer(6)), s.boolean(7)};
}

} // namespace

class TestTeamImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QString>("separator");
        const QString rows =
            QStringLiteral("Name;Vorname;Verein;Hund;Rasse;Kategorie;Zusatzspiel;StartNr\n"
                           "Müller;Jürg;HS Bärn;Bläss;Appenzeller; senioren ;x;7\n"
                           "Keller;Anna;;Rex;Pudel;Junioren;;\n");
        QString comma = rows;
        comma.replace(QLatin1Char(';'), QLatin1Char(','));
        QString tab = rows;
        tab.replace(QLatin1Char(';'), QLatin1Char('\t'));
        tab.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        QTest::newRow("utf-8, semicolon") << rows.toUtf8() << "UTF-8"
                                          << "Semikolon";
        QTest::newRow("utf-8 with bom, comma")
            << QByteArray("\xEF\xBB\xBF") + comma.toUtf8() << "UTF-8"
            << "Komma";
        QTest::newRow("windows-1252, tab, crlf") << cp1252(tab) << "Windows-1252"
                                                 << "Tabulator";
        // Other order, optional columns left out, a quoted club holding the separator.
        QTest::newRow("columns reordered")
            << QStringLiteral("Kategorie;Hund;Name;Rasse;Verein;Vorname;StartNr;Zusatzspiel\n"
                              "SENIOREN;Bläss;Müller;Appenzeller;\"HS Bärn\";Jürg;7;Ja\n"
                              "Junioren;Rex;Keller;Pudel;\"\";Anna;0;Nein\n")
                   .toUtf8()
            << "UTF-8"
            << "Semikolon";
    }

    void cleanFile()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, encoding);
        QFETCH(QString, separator);
        TestDatabase t;
        const int senioren = t.addCategory(QStringLiteral("Senioren"));
        const int junioren = t.addCategory(QStringLiteral("Junioren"));

        TeamImport import(t.db());
        import.loadData(file);
        QCOMPARE(import.fileError(), QString());
        QCOMPARE(import.encodingName(), encoding);
        QCOMPARE(import.separatorName(), separator);
        QCOMPARE(import.errorMessages(), QStringList());
        QCOMPARE(import.lines().size(), 2);
        QCOMPARE(import.lines().at(0).lineNumber, 2);
        QCOMPARE(import.count(TeamImportLine::Status::New), 2);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Team")), 0); // loading writes nothing

        QCOMPARE(import.write(), 2);
        const StoredTeam m = stored(t, QStringLiteral("Müller"));
        QCOMPARE(m.Typ, 1);
        QCOMPARE(m.StartNr, 7);
        QCOMPARE(m.Vorname, QStringLiteral("Jürg"));
        QCOMPARE(m.Verein, QStringLiteral("HS Bärn"));
        QCOMPARE(m.Hund, QStringLiteral("Bläss"));
        QCOMPARE(m.KatNr, senioren);
        QVERIFY(m.Zusatzspiel);
        const StoredTeam k = stored(t, QStringLiteral("Keller"));
        QCOMPARE(k.Typ, 1);
        QCOMPARE(k.StartNr, 0);
        QCOMPARE(k.Verein, QString());
        QCOMPARE(k.KatNr, junioren);
        QVERIFY(!k.Zusatzspiel);
        QVERIFY(import.lines().at(0).team.TeamNr > 0);
    }

    void quotedFieldsAndLineNumbers()
    {
        const QList<TeamImport::Record> records = TeamImport::parseRecords(
            QStringLiteral("a;\"b;c\";\"say \"\"hi\"\"\"\n\"two\nlines\";x\r\n\r\nlast;\"open"),
            QLatin1Char(';'));
        QCOMPARE(records.size(), 4);
        QCOMPARE(records.at(0).fields,
                 QStringList(
                     {QStringLiteral("a"), QStringLiteral("b;c"), QStringLiteral("say \"hi\"")}));
        QCOMPARE(records.at(1).fields,
                 QStringList({QStringLiteral("two\nlines"), QStringLiteral("x")}));
        QCOMPARE(records.at(1).lineNumber, 2);
        QCOMPARE(records.at(2).lineNumber, 4); // the blank line, after a record of two lines
        QCOMPARE(records.at(3).lineNumber, 5);
        QVERIFY(records.at(3).unterminatedQuote);
        QVERIFY(!records.at(0).unterminatedQuote);
    }

    void badLinesStopTheWholeImport()
    {
        TestDatabase t;
        t.addCategory(QStringLiteral("Senioren"));
        const QString longDog(26, QLatin1Char('h'));
        const QByteArray file =
            QStringLiteral("Name;Vorname;Verein;Hund;Rasse;Kategorie;Zusatzspiel;StartNr\n"
                           "Gut;Anna;\"Club\nmit Umbruch\";Rex;Pudel;Senioren;;\n" // lines 2-3
                           "Fremd;Beat;;Fido;Mops;Welpen;;\n" // 4
                           "Ohne;;;Fido;Mops;Senioren;;\n" // 5
                           "Lang;Eva;;%1;Mops;Senioren;;\n" // 6
                           "\n"
                           "Zahl;Urs;;Bello;Mops;Senioren;;12a\n" // 8
                           "Zusatz;Ida;;Bello;Mops;Senioren;vielleicht;\n" // 9
                           "Mehr;Max;;Bello;Mops;Senioren;;;überzählig\n") // 10
                .arg(longDog)
                .toUtf8();
        TeamImport import(t.db());
        import.loadData(file);
        QVERIFY(import.hasErrors());
        QCOMPARE(import.count(TeamImportLine::Status::New), 1);
        const QStringList messages = import.errorMessages();
        const QStringList expected = {
            QStringLiteral("Zeile 4: die Kategorie „Welpen“ gibt es nicht"),
            QStringLiteral("Zeile 5: „Vorname“ fehlt"),
            QStringLiteral("Zeile 6: „Hund“ ist zu lang (26 Zeichen, erlaubt sind 25)"),
            QStringLiteral(
                "Zeile 8: „StartNr“ muss eine ganze Zahl von 0 bis 999 sein, nicht „12a“"),
            QStringLiteral(
                "Zeile 9: „Zusatzspiel“ muss Ja, Nein, 1, 0, x oder leer sein, nicht „vielleicht“"),
            QStringLiteral("Zeile 10: mehr Felder (9) als Spalten in der Kopfzeile (8)"),
        };
        QCOMPARE(messages, expected);

        QVERIFY_THROWS_EXCEPTION(DatabaseError, import.write());
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Team")), 0);
    }

    void duplicatesAreSkipped()
    {
        TestDatabase t;
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        const int existing = t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat);
        // A group of the same name is no team to collide with.
        t.addGroup(QStringLiteral("Neu"), kat);
        const QByteArray file = "Name;Vorname;Verein;Hund;Rasse;Kategorie\n"
                                " MUSTER ;anna;;REX;Pudel;Senioren\n"
                                "Neu;Ben;;Rex;Pudel;Senioren\n"
                                "neu;BEN;;rex;Mops;Senioren\n"
                                "Später;Lea;;Rex;Pudel;Senioren\n";
        TeamImport import(t.db());
        import.loadData(file);
        QVERIFY(!import.hasErrors());
        QCOMPARE(import.count(TeamImportLine::Status::Duplicate), 2);
        QCOMPARE(import.lines().at(0).status, TeamImportLine::Status::Duplicate);
        QCOMPARE(import.lines().at(0).reasonText(),
                 QStringLiteral("gibt es schon (Team Nr. %1)").arg(existing));
        QCOMPARE(import.lines().at(2).reasonText(), QStringLiteral("wiederholt Zeile 3"));

        // Entered by hand while the preview was open: checked again when writing.
        t.addTeam(QStringLiteral("Später"), QStringLiteral("Lea"), kat);
        QCOMPARE(import.write(), 1);
        QCOMPARE(import.count(TeamImportLine::Status::Duplicate), 3);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Team WHERE Typ = 1")), 3);
    }

    void filesWithoutTeams_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("fileError");
        QTest::newRow("empty") << QByteArray()
                               << "Die Datei ist leer: sie hat nicht einmal eine Kopfzeile.";
        QTest::newRow("only blanks and bom")
            << QByteArray("\xEF\xBB\xBF \r\n\n")
            << "Die Datei ist leer: sie hat nicht einmal eine Kopfzeile.";
        QTest::newRow("only a header")
            << QByteArray("Name;Vorname;Verein;Hund;Rasse;Kategorie\r\n") << "";
        QTest::newRow("header lacks columns")
            << QByteArray("Name,Vorname,Hund,Kategorie\nA,B,C,D\n")
            << "In der Kopfzeile fehlen die Spalten: Verein, Rasse.";
        QTest::newRow("no header")
            << QByteArray("Muster;Anna;;Rex;Pudel;Senioren\n")
            << "Die erste Zeile ist keine Kopfzeile: sie nennt keine der Spalten "
               "Name, Vorname, Verein, Hund, Rasse, Kategorie, Zusatzspiel, StartNr.";
        QTest::newRow("column twice")
            << QByteArray("Name;Vorname;Verein;Hund;Rasse;Kategorie;name\n")
            << "Die Spalte „Name“ steht zweimal in der Kopfzeile.";
    }

    void filesWithoutTeams()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, fileError);
        TestDatabase t;
        TeamImport import(t.db());
        import.loadData(file);
        QCOMPARE(import.fileError(), fileError);
        QCOMPARE(import.lines().size(), 0);
        if (fileError.isEmpty())
            QCOMPARE(import.write(), 0);
        else
            QVERIFY_THROWS_EXCEPTION(DatabaseError, import.write());
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Team")), 0);
    }

    void unusedColumnsAreNamed()
    {
        TestDatabase t;
        t.addCategory(QStringLiteral("Senioren"));
        TeamImport import(t.db());
        import.loadData("Zeitstempel;Name;Vorname;Verein;Hund;Rasse;Kategorie;;\n"
                        "1.5.;Muster;Anna;;Rex;Pudel;Senioren;;\n");
        QCOMPARE(import.notes(),
                 QStringList({QStringLiteral("Die Spalte „Zeitstempel“ wird nicht verwendet.")}));
        QCOMPARE(import.count(TeamImportLine::Status::New), 1);
    }

    void readsFilesFromDisk()
    {
        TestDatabase t;
        TeamImport import(t.db());
        import.load(t.programDir() + QStringLiteral("/fehlt.csv"));
        QVERIFY(import.fileError().startsWith(QStringLiteral("Die Datei ")));
        QVERIFY(import.hasErrors());
    }

    // Bytes no name holds come from a damaged or binary file: the line is named, nothing is
    // imported.
    void controlCharactersAreRefusedNamingTheLine()
    {
        TestDatabase t;
        t.addCategory(QStringLiteral("Senioren"));
        TeamImport import(t.db());
        QByteArray file = "Name;Vorname;Verein;Hund;Rasse;Kategorie\n"
                          "Gut;Anna;;Rex;Pudel;Senioren\n"
                          "Nu#ll;Ben;;Rex;Pudel;Senioren\n"
                          "Glocke;Eva;;Re\ax;Pudel;Senioren\n";
        file.replace('#', QByteArray(1, '\0'));
        import.loadData(file);
        QCOMPARE(
            import.errorMessages(),
            QStringList({QStringLiteral("Zeile 3: „Name“ enthält ein Steuerzeichen (U+0000)"),
                         QStringLiteral("Zeile 4: „Hund“ enthält ein Steuerzeichen (U+0007)")}));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, import.write());
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Team")), 0);
    }

    // Refused before anything is read: a pipe would make the import wait for ever.
    void onlyPlainFilesOfAtMostFiftyMegabytes_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("error");
        QTest::newRow("folder") << "folder"
                                << "keine gewöhnliche Datei";
        QTest::newRow("pipe") << "pipe"
                              << "keine gewöhnliche Datei";
        QTest::newRow("too large") << "large"
                                   << "ist zu gross: erlaubt sind höchstens 50 MB";
    }

    void onlyPlainFilesOfAtMostFiftyMegabytes()
    {
        QFETCH(QString, kind);
        QFETCH(QString, error);
        TestDatabase t;
        const QString path = t.programDir() + QStringLiteral("/anmeldungen.csv");
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(path));
        } else if (kind == QLatin1String("pipe")) {
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(TeamImport::MaxFileSize + 1)); // sparse: costs no disk
        }
        TeamImport import(t.db());
        import.load(path);
        QVERIFY2(import.fileError().contains(error), qPrintable(import.fileError()));
        QVERIFY(import.lines().isEmpty());
    }

    // Straight into an event: every team of the file, new or existing, is entered as the
    // team overview enters one, in the same transaction as the import.
    void importIntoAnEvent()
    {
        TestDatabase t;
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        t.addPost(QStringLiteral("Slalom"));
        t.addPost(QStringLiteral("Tunnel"));
        t.addPost(QStringLiteral("Alt"), 1.0, false);
        const int event = t.addEvent(QStringLiteral("Herbstlauf"));
        const int existing =
            t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat, false, 12);
        t.open(event);
        const QByteArray file = "Name;Vorname;Verein;Hund;Rasse;Kategorie\n"
                                "Muster;Anna;;Rex;Pudel;Senioren\n"
                                "Neu;Ben;;Fido;Mops;Senioren\n"
                                "neu;ben;;fido;Mops;Senioren\n"
                                "Lea;Lou;;Bello;Mops;Senioren\n";
        const auto importInto = [&](const QByteArray &content) {
            TeamImport import(t.db());
            import.loadData(content);
            return import.write(
                [&](int teamNr) { Entries::EnterInto(t.data, event, teamNr, false, 0); });
        };
        // A bad line: nothing imported, nothing entered.
        QVERIFY_THROWS_EXCEPTION(DatabaseError, importInto(file + "Fremd;Udo;;Rex;Mops;Welpen\n"));
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Team")), 1);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass")), 0);

        QCOMPARE(importInto(file), 2);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Team")), 3);
        Statement s(t.db(),
                    QStringLiteral("SELECT e.StartNr, t.Name FROM TeamsProAnlass e JOIN "
                                   "Team t ON t.TeamNr = e.TeamNr ORDER BY e.StartNr"));
        QStringList entered;
        while (s.next())
            entered << QString::number(s.integer(0)) + QLatin1Char(' ') + s.text(1);
        // The existing team keeps its standing number, the new ones follow in file order.
        QCOMPARE(entered,
                 QStringList({QStringLiteral("12 Muster"), QStringLiteral("13 Neu"),
                              QStringLiteral("14 Lea")}));
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Parcours")), 6);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Protokoll WHERE Quelle = 'Import' "
                                        "AND Feld = 'StartNr'")),
                 3);
        QCOMPARE(t.count(QStringLiteral("SELECT TeamNr FROM TeamsProAnlass WHERE StartNr = 12")),
                 existing);
    }

    void dialogPreviewsAndImports()
    {
        TestDatabase t;
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat);
        const QString path = t.programDir() + QStringLiteral("/anmeldungen.csv");
        const auto writeFile = [&](const QByteArray &content) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(content);
        };
        writeFile("Name;Vorname;Verein;Hund;Rasse;Kategorie\n"
                  "Muster;Anna;;Rex;Pudel;Senioren\n"
                  "Neu;Ben;;Fido;Mops;Welpen\n");

        TeamImportDialog dialog(*t.competition, nullptr);
        TeamImportDialog::setNextFileName(QString()); // the file dialog cancelled
        QVERIFY(!dialog.execute());
        dialog.loadFile(path);
        auto *table = dialog.findChild<QTableWidget *>(QStringLiteral("PreviewTable"));
        auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("OKBtn"));
        QVERIFY(table && ok);
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(0, 1)->text(), QStringLiteral("übersprungen"));
        QCOMPARE(table->item(1, 0)->text(), QStringLiteral("3"));
        QCOMPARE(table->item(1, 1)->text(), QStringLiteral("Fehler"));
        QCOMPARE(table->item(1, 10)->text(),
                 QStringLiteral("die Kategorie „Welpen“ gibt es nicht"));
        QVERIFY(!ok->isEnabled());
        if (qEnvironmentVariableIsSet("VELUNDA_SCREENSHOT")) {
            dialog.show();
            dialog.grab().save(qEnvironmentVariable("VELUNDA_SCREENSHOT"));
        }
        dialog.accept(); // refused while a line is in error
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Team")), 1);

        // Mended in the spreadsheet and read again.
        writeFile("Name;Vorname;Verein;Hund;Rasse;Kategorie\n"
                  "Muster;Anna;;Rex;Pudel;Senioren\n"
                  "Neu;Ben;;Fido;Mops;Senioren\n");
        dialog.findChild<QPushButton *>(QStringLiteral("ReloadBtn"))->click();
        QVERIFY(ok->isEnabled());
        ok->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.writtenCount(), 1);
        QCOMPARE(t.ui.texts(),
                 QStringList({QStringLiteral("1 Teams importiert, 1 übersprungen.")}));
        QCOMPARE(
            t.count(QStringLiteral("SELECT count(*) FROM Team WHERE Name = 'Neu' AND KatNr = %1")
                        .arg(kat)),
            1);
        QCOMPARE(Snapshots::list(t.databaseDir()).first().cause,
                 QStringLiteral("Teams importieren"));
    }

    void dialogEntersIntoTheOpenEvent()
    {
        TestDatabase t;
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        t.addPost(QStringLiteral("Slalom"));
        const int event = t.addEvent(QStringLiteral("Herbst & Wald"));
        t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat);
        const QString path = t.programDir() + QStringLiteral("/anmeldungen.csv");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Name;Vorname;Verein;Hund;Rasse;Kategorie\nMuster;Anna;;Rex;Pudel;Senioren\n");
        f.close();

        TeamImportDialog closed(*t.competition, nullptr);
        closed.loadFile(path);
        auto *check = closed.findChild<QCheckBox *>(QStringLiteral("EnterIntoEventCheck"));
        QVERIFY(check && !check->isEnabled()); // no event open

        t.open(event);
        TeamImportDialog dialog(*t.competition, nullptr);
        dialog.loadFile(path);
        check = dialog.findChild<QCheckBox *>(QStringLiteral("EnterIntoEventCheck"));
        auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("OKBtn"));
        QCOMPARE(check->text(),
                 QStringLiteral("Alle Teams der Datei in den geöffneten Anlass „Herbst && Wald“ "
                                "&einfügen"));
        QVERIFY(!ok->isEnabled()); // nothing new to import
        check->setChecked(true);
        QVERIFY(ok->isEnabled()); // but an existing team to enter
        ok->click();
        QCOMPARE(t.ui.texts().last(),
                 QStringLiteral("0 Teams importiert, 1 übersprungen, 1 in den Anlass eingefügt."));
        QCOMPARE(t.competition->participants().size(), 1);
    }
};

QTEST_MAIN(TestTeamImport)
#include "tst_teamimport.moc"
