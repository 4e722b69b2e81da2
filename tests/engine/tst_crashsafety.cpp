#include "app/Competition.h"
#include "data/DataLibrary.h"
#include "engine/Database.h"
#include "engine/DatabaseError.h"
#include "engine/Schema.h"
#include "engine/Statement.h"
#include "participants/Entries.h"
#include "results/ResultSheet.h"
#include "support/FaultVfs.h"
#include "support/TestDatabase.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

using FaultVfs::Fault;

namespace {

enum Scenario { DeleteEvent, EnterTeam, SaveResults };

constexpr int EventNr = 1;

#ifdef VELUNDA_FAULT_STRIDE
constexpr int FaultStride = VELUNDA_FAULT_STRIDE;
#else
constexpr int FaultStride = 1;
#endif

// The three kinds of change of an evening that write several files in one transaction.
void perform(Scenario scenario, const QString &directory, int newTeamNr, Fault fault, int step)
{
    DataLibrary data;
    ScriptedUserInterface ui;
    ui.defaultAnswer = true;
    Competition competition(data, ui);
    competition.databasePath = directory;
    competition.OpenEvent(EventNr);
    FaultVfs::arm(fault, step);
    try {
        switch (scenario) {
        case DeleteEvent:
            // The snapshot before it has a test of its own; here it fails at once (a file
            // stands where its folder would go), so that every step counted is the change's.
            QFile(QDir(directory).filePath(QStringLiteral("Sicherungen")))
                .open(QIODevice::WriteOnly);
            ui.answers = {true};
            competition.DeleteEvent();
            break;
        case EnterTeam:
            competition.entries().EnterParticipant(EventNr, newTeamNr, false, 0);
            break;
        case SaveResults: {
            ResultSheet sheet(data);
            sheet.Load(competition.participants().first(), false);
            for (int row = 0; row < sheet.rowCount(); ++row)
                sheet.setValue(row, ResultSheet::Points, 9);
            bool finished = true;
            sheet.SaveResults(ui, finished);
            break;
        }
        }
    } catch (...) {
        FaultVfs::disarm();
        throw;
    }
    FaultVfs::disarm();
}

QString uri(const QString &file)
{
    return QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded) + QStringLiteral("?mode=ro");
}

QStringList databaseFiles(const QString &directory)
{
    QStringList files;
    for (const Schema::Table &t : Schema::tables())
        files << QDir(directory).filePath(t.fileName());
    files << QDir(directory).filePath(Schema::changeLog().fileName());
    return files;
}

bool integrityOk(const QString &file)
{
    sqlite3 *handle = nullptr;
    bool ok = sqlite3_open_v2(uri(file).toUtf8().constData(), &handle,
                              SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr)
        == SQLITE_OK;
    sqlite3_stmt *stmt = nullptr;
    ok =
        ok && sqlite3_prepare_v2(handle, "PRAGMA integrity_check", -1, &stmt, nullptr) == SQLITE_OK;
    ok = ok && sqlite3_step(stmt) == SQLITE_ROW
        && qstrcmp(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)), "ok") == 0;
    sqlite3_finalize(stmt);
    sqlite3_close(handle);
    return ok;
}

// Every row of every table and of the change log (without the moment of each line), opened
// with the program's own code, which completes or undoes an interrupted commit.
QByteArray fingerprint(const QString &directory)
{
    Database db;
    db.open(directory);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QList<Schema::Table> tables = Schema::tables();
    tables << Schema::changeLog();
    for (const Schema::Table &t : tables) {
        QStringList columns;
        for (const Schema::Column &c : t.columns) {
            if (c.name != QLatin1String("Zeitpunkt"))
                columns << c.name;
        }
        Statement s(db,
                    QStringLiteral("SELECT %1 FROM %2 ORDER BY %1")
                        .arg(columns.join(QStringLiteral(", ")), t.name));
        hash.addData(t.name.toUtf8());
        while (s.next()) {
            for (int i = 0; i < s.columnCount(); ++i)
                hash.addData(QByteArray(s.value(i).toString().toUtf8() + '|'));
        }
    }
    return hash.result();
}

void copyDirectory(const QString &from, const QString &to)
{
    QDir(to).removeRecursively();
    QDir().mkpath(to);
    // Plain reads and writes: QFile::copy waits for the disk, hundreds of times here.
    for (const QString &f : QDir(from).entryList(QDir::Files)) {
        QFile source(QDir(from).filePath(f));
        QFile target(QDir(to).filePath(f));
        if (source.open(QIODevice::ReadOnly) && target.open(QIODevice::WriteOnly))
            target.write(source.readAll());
    }
}

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_work;
    QString m_fixture;
    int m_newTeamNr = 0;

    QString workDir() const { return m_work.filePath(QStringLiteral("run")); }

private Q_SLOTS:
    void initTestCase()
    {
        FaultVfs::install();
        // Forty teams with results at five posts in the event, one team not yet entered.
        TestDatabase t;
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        QList<int> posts;
        for (int p = 1; p <= 5; ++p)
            posts << t.addPost(QStringLiteral("Posten %1").arg(p), 1.5);
        const int event = t.addEvent(QStringLiteral("Frühlingsprüfung"));
        QCOMPARE(event, EventNr);
        for (int i = 1; i <= 40; ++i) {
            const int team = t.addTeam(QStringLiteral("Team%1").arg(i), QStringLiteral("Vorname"),
                                       kat, false, i);
            t.addEntry(event, team, i);
            for (int post : posts)
                t.addResult(event, post, team, i * 1.5, i * 2.0);
        }
        m_newTeamNr = t.addTeam(QStringLiteral("Neu"), QStringLiteral("Nora"), kat);
        t.data.CloseDatabase();
        m_fixture = m_work.filePath(QStringLiteral("fixture"));
        copyDirectory(t.databaseDir(), m_fixture);
        // The evening's settings: every commit waits for the disk.
        Database::setDurable(true);
        // The change log exists from the first open for writing on.
        Database db;
        db.open(m_fixture);
    }

    void multiFileChangesAreAllOrNothing_data()
    {
        QTest::addColumn<int>("scenario");
        QTest::addColumn<int>("fault");
        const struct
        {
            const char *name;
            Scenario scenario;
        } scenarios[] = {{"delete event", DeleteEvent},
                         {"enter team", EnterTeam},
                         {"save results", SaveResults}};
        const struct
        {
            const char *name;
            Fault fault;
        } faults[] = {{"kill", Fault::Kill},
                      {"power cut", Fault::PowerCut},
                      {"I/O error", Fault::IoError},
                      {"disk full", Fault::DiskFull}};
        for (const auto &s : scenarios) {
            for (const auto &f : faults)
                QTest::addRow("%s, %s", s.name, f.name) << int(s.scenario) << int(f.fault);
        }
    }

    // The change is cut off at every write, sync, truncation and deletion of its commit in
    // turn; reopened, the database shows all of it or none, and every file is sound.
    void multiFileChangesAreAllOrNothing()
    {
        QFETCH(int, scenario);
        QFETCH(int, fault);
        const auto s = Scenario(scenario);
        const auto f = Fault(fault);
        const QByteArray before = fingerprint(m_fixture);

        copyDirectory(m_fixture, workDir());
        perform(s, workDir(), m_newTeamNr, Fault::None, 0);
        const int steps = FaultVfs::steps();
        const QByteArray after = fingerprint(workDir());
        QVERIFY(before != after);
        QVERIFY2(steps > 10, qPrintable(QString::number(steps)));

        int tried = 0;
        int halfApplied = 0;
        int damaged = 0;
        int applied = 0;
        int errorsReported = 0;
        QString message;
        // The last step is always among those tried: it is the one that completes the commit.
        for (int k = 1; k <= steps;
             k = (k < steps && k + FaultStride > steps) ? steps : k + FaultStride) {
            ++tried;
            copyDirectory(m_fixture, workDir());
            bool reported = false;
            if (f == Fault::Kill || f == Fault::PowerCut) {
                const pid_t child = fork();
                QVERIFY(child >= 0);
                if (child == 0) {
                    try {
                        perform(s, workDir(), m_newTeamNr, f, k);
                    } catch (...) { }
                    _exit(0);
                }
                int status = 0;
                QCOMPARE(waitpid(child, &status, 0), child);
                QVERIFY(WIFEXITED(status));
                QCOMPARE(WEXITSTATUS(status), FaultVfs::CrashExitStatus);
            } else {
                try {
                    perform(s, workDir(), m_newTeamNr, f, k);
                } catch (const DatabaseError &e) {
                    reported = true;
                    message = e.message();
                }
                QVERIFY(FaultVfs::struck());
            }
            const QByteArray now = fingerprint(workDir());
            for (const QString &file : databaseFiles(workDir()))
                damaged += integrityOk(file) ? 0 : 1;
            if (now == after)
                ++applied;
            else if (now != before)
                ++halfApplied;
            // An error must never hide a change that went through, nor a success one that did not.
            if (reported) {
                ++errorsReported;
                QVERIFY2(now == before, qPrintable(QStringLiteral("step %1").arg(k)));
            } else if (f == Fault::IoError || f == Fault::DiskFull) {
                QVERIFY2(now == after, qPrintable(QStringLiteral("step %1").arg(k)));
            }
        }
        qInfo("%s: %d fault points tried, %d applied in full, %d left out in full, "
              "%d half-applied, %d damaged files, %d errors reported",
              QTest::currentDataTag(), tried, applied, tried - applied - halfApplied, halfApplied,
              damaged, errorsReported);
        if (!message.isEmpty())
            qInfo("message shown: %s", qPrintable(message));
        QCOMPARE(halfApplied, 0);
        QCOMPARE(damaged, 0);
        if (f == Fault::IoError || f == Fault::DiskFull) {
            QVERIFY(errorsReported > 0);
            QVERIFY2(message.contains(QStringLiteral("Datenträger")), qPrintable(message));
        }
    }
};

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
