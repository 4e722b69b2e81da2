#include "data/DataLibrary.h"
#include "engine/Database.h"
#include "engine/Statement.h"
#include "participants/Entries.h"
#include "results/FinishedStatus.h"
#include "support/CliProcess.h"
#include "support/FaultVfs.h"
#include "support/TestDatabase.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// Every file of the directory with the hash of its bytes.
QMap<QString, QByteArray> filesAndHashes(const QString &directory)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(directory).entryList(QDir::Files | QDir::Hidden)) {
        QFile f(QDir(directory).filePath(name));
        f.open(QIODevice::ReadOnly);
        files.insert(name, QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256));
    }
    return files;
}

} // namespace

class TestCliBackup : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> t;
    int m_event = 0;
    QList<int> m_teams;

    qint64 entries() { return t->count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass")); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(qEnvironmentVariable("VELUNDA_CLI")), "VELUNDA_CLI not set");
        FaultVfs::install();
    }

    void init()
    {
        t = std::make_unique<TestDatabase>();
        const int kat = t->addCategory(QStringLiteral("Senioren"));
        const int post = t->addPost(QStringLiteral("Slalom"));
        m_event = t->addEvent(QStringLiteral("Herbstlauf"));
        m_teams.clear();
        for (int i = 1; i <= 3; ++i) {
            m_teams << t->addTeam(QStringLiteral("T%1").arg(i), QStringLiteral("V"), kat);
            t->addEntry(m_event, m_teams.last(), i);
            t->addResult(m_event, post, m_teams.last(), i, i);
        }
        t->open(m_event);
    }

    void backupListAndRestore()
    {
        const CliRun backup = runCli({QStringLiteral("backup"), t->databaseDir()});
        QCOMPARE(backup.status, 0);
        QVERIFY2(backup.out.startsWith(QStringLiteral("Sicherung ")), qPrintable(backup.out));
        const QString name = backup.out.section(QLatin1Char(' '), 1, 1);
        QVERIFY(name.endsWith(QStringLiteral("_von_Hand")));

        t->db().exec(QStringLiteral("DELETE FROM TeamsProAnlass"));
        const CliRun restore = runCli({QStringLiteral("restore"), t->databaseDir(), name});
        QCOMPARE(restore.status, 0);
        QVERIFY2(restore.out.contains(QStringLiteral("wiederhergestellt; der vorherige Stand ist "
                                                     "als Sicherung ")),
                 qPrintable(restore.out));
        QCOMPARE(entries(), 3);

        const CliRun list = runCli({QStringLiteral("backups"), t->databaseDir()});
        QCOMPARE(list.status, 0);
        const QStringList lines = list.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        const QStringList newest = lines.first().split(QLatin1Char('\t'));
        QCOMPARE(newest.size(), 4);
        QCOMPARE(newest.at(3), QStringLiteral("Sicherung wiederherstellen"));
        QVERIFY(QDate::fromString(newest.at(1), QStringLiteral("dd.MM.yyyy")).isValid());
        QVERIFY(QTime::fromString(newest.at(2), QStringLiteral("HH:mm:ss")).isValid());
        QCOMPARE(lines.last().section(QLatin1Char('\t'), 0, 0), name);
        // The state before the restore is there to go back to.
        QVERIFY(runCli({QStringLiteral("restore"), t->databaseDir(), newest.first()}).status == 0);
        QCOMPARE(entries(), 0);

        const CliRun unknown =
            runCli({QStringLiteral("restore"), t->databaseDir(), QStringLiteral("gibt-es-nicht")});
        QCOMPARE(unknown.status, 1);
        QVERIFY(unknown.err.startsWith(QStringLiteral("Fehler: Eine Sicherung „gibt-es-nicht“")));
    }

    void logPrintsTheHistory()
    {
        t->competition->finishedStatus().SetFinished(m_teams.at(1), true, false);
        t->db().exec(QStringLiteral("UPDATE Parcours SET Zeit = 9"));
        const CliRun all = runCli({QStringLiteral("log"), t->databaseDir(),
                                   QStringLiteral("--event"), QString::number(m_event)});
        QCOMPARE(all.status, 0);
        const QStringList lines = all.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3 + 1 + 3); // the fixture's start numbers, the flag, three times
        QVERIFY2(lines.at(3).endsWith(QStringLiteral("\tHauptfenster\tT2 V\t\tFertig\tNein\tJa")),
                 qPrintable(lines.at(3)));
        const CliRun one = runCli({QStringLiteral("log"), t->databaseDir(),
                                   QStringLiteral("--event"), QString::number(m_event),
                                   QStringLiteral("--team"), QString::number(m_teams.at(0))});
        QCOMPARE(one.out.count(QLatin1Char('\n')), 2);
        QVERIFY(one.out.contains(QStringLiteral("\tT1 V\tSlalom\tZeit\t1,00\t9,00\n")));
        const CliRun none = runCli({QStringLiteral("log"), t->databaseDir(),
                                    QStringLiteral("--event"), QStringLiteral("99")});
        QCOMPARE(none.status, 1);
    }

    void importTeamsIntoAnEvent()
    {
        QFile csv(t->programDir() + QStringLiteral("/teams.csv"));
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write("Name;Vorname;Verein;Hund;Rasse;Kategorie\n"
                  "T1;V;;Rex;Mischling;Senioren\n"
                  "Neu;Nina;;Fido;Mops;Senioren\n");
        csv.close();
        const int other = t->addEvent(QStringLiteral("Winterlauf"));
        const CliRun wrong =
            runCli({QStringLiteral("import-teams"), t->databaseDir(), csv.fileName(),
                    QStringLiteral("--event"), QStringLiteral("99")});
        QCOMPARE(wrong.status, 1);
        QCOMPARE(wrong.err, QStringLiteral("Fehler: Den Anlass 99 gibt es nicht.\n"));
        QCOMPARE(t->count(QStringLiteral("SELECT count(*) FROM Team")), 3);

        const CliRun r = runCli({QStringLiteral("import-teams"), t->databaseDir(), csv.fileName(),
                                 QStringLiteral("--event"), QString::number(other)});
        QCOMPARE(r.status, 0);
        QVERIFY2(
            r.out.endsWith(
                QStringLiteral("1 Teams importiert, 1 übersprungen, 2 in Anlass %1 eingefügt.\n")
                    .arg(other)),
            qPrintable(r.out));
        QCOMPARE(t->count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass WHERE AnlassNr = %1")
                              .arg(other)),
                 2);
        QCOMPARE(
            t->count(
                QStringLiteral("SELECT count(*) FROM Parcours WHERE AnlassNr = %1").arg(other)),
            2);
    }

    // After a crash in the middle of a commit: check reads, explains and writes nothing, not
    // even the journals it finds; the program's next open completes or undoes the change.
    void checkAfterACrashWritesNothing()
    {
        t->data.CloseDatabase();
        const QString dir = t->databaseDir();
        const auto change = [&](const QString &directory, FaultVfs::Fault fault, int step) {
            DataLibrary data;
            data.OpenDatabase(directory);
            FaultVfs::arm(fault, step);
            data.db().exec(QStringLiteral("BEGIN; UPDATE Parcours SET Punkte = Punkte + 1; "
                                          "UPDATE TeamsProAnlass SET Abgeschlossen = 1; COMMIT"));
            FaultVfs::disarm();
        };
        QTemporaryDir counting;
        for (const QString &name : QDir(dir).entryList(QDir::Files)) {
            QFile from(QDir(dir).filePath(name));
            QFile to(counting.filePath(name));
            QVERIFY(from.open(QIODevice::ReadOnly) && to.open(QIODevice::WriteOnly));
            to.write(from.readAll());
        }
        change(counting.path(), FaultVfs::Fault::None, 0);
        const int steps = FaultVfs::steps();
        const pid_t child = fork();
        if (child == 0) {
            change(dir, FaultVfs::Fault::Kill, steps - 3); // the journals are written
            _exit(0);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QCOMPARE(WEXITSTATUS(status), FaultVfs::CrashExitStatus);
        const QMap<QString, QByteArray> before = filesAndHashes(dir);
        QVERIFY2(before.keys().join(QLatin1Char(' ')).contains(QStringLiteral("-journal")),
                 qPrintable(before.keys().join(QLatin1Char(' '))));

        const CliRun r = runCli({QStringLiteral("check"), dir});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.out.contains(QStringLiteral("Die Datenbank wurde nicht sauber geschlossen")),
                 qPrintable(r.out));
        QVERIFY(r.out.contains(QStringLiteral("Velunda vervollständigt die unterbrochene Änderung "
                                              "oder macht sie rückgängig")));
        QVERIFY(!r.out.contains(QStringLiteral("readonly")));
        QCOMPARE(filesAndHashes(dir), before);

        Database reopened;
        reopened.open(dir); // what the program does on its next start
        Statement s(reopened, QStringLiteral("SELECT sum(Punkte) FROM Parcours"));
        s.next();
        QVERIFY(s.integer(0) == 6 || s.integer(0) == 9); // all of the change or none
        reopened.close();
        const CliRun after = runCli({QStringLiteral("check"), dir});
        QCOMPARE(after.status, 0);
        QVERIFY(after.out.endsWith(QStringLiteral("Alles in Ordnung.\n")));
    }
};

QTEST_GUILESS_MAIN(TestCliBackup)
#include "tst_cli_backup.moc"
