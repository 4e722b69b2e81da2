#include "app/DataLocation.h"
#include "data/DataLibrary.h"
#include "engine/Database.h"
#include "engine/DatabaseError.h"
#include "support/CliProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

bool never(const QString &)
{
    return false;
}

bool always(const QString &)
{
    return true;
}

QString mkpath(const QTemporaryDir &root, const QString &relative)
{
    const QString path = QDir(root.path()).filePath(relative);
    QDir().mkpath(path);
    return path;
}

// The companion tool copied to directory, the way an installation or a portable copy holds it.
QString copyCli(const QString &directory)
{
    const QString target = QDir(directory).filePath(u"velunda-cli"_s);
    if (!QFile::copy(qEnvironmentVariable("VELUNDA_CLI"), target))
        qFatal("cannot copy velunda-cli to %s", qPrintable(directory));
    return target;
}

void addEvent(const QString &databaseDir, const QString &name)
{
    DataLibrary data;
    data.OpenDatabase(databaseDir);
    QVERIFY2(data.databaseOpen(), qPrintable(data.lastOpenError()));
    EventRow row;
    row.AnlassBez = name;
    row.Rangberechnung = u"Nach Punkten"_s;
    data.SaveEvent(row);
    data.CloseDatabase();
}

} // namespace

class TestDataLocation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void ruleFollowsTheProgramFolder();
    void installedLayoutKeepsDataOutOfTheProgramFolder();
    void helpPagesAreFoundInBothLayouts();
    void userFolderIsPreparedOnceAndNeverOverwritten();
    void bothProgramsAgree_data();
    void bothProgramsAgree();

private:
    std::unique_ptr<QTemporaryDir> m_root;
    QByteArray m_savedXdg;
};

void TestDataLocation::init()
{
    Database::setDurable(false);
    m_root = std::make_unique<QTemporaryDir>();
    // The user's data folder of these tests, for this process and the tools it starts.
    m_savedXdg = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QDir(m_root->path()).filePath(u"home/.local/share"_s).toUtf8());
}

void TestDataLocation::cleanup()
{
    if (m_savedXdg.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", m_savedXdg);
}

void TestDataLocation::ruleFollowsTheProgramFolder()
{
    const QString program = mkpath(*m_root, u"bin"_s);
    const QString user = mkpath(*m_root, u"user"_s);

    const DataLocation beside = DataLocation::choose(program, user, always);
    QVERIFY(!beside.isPerUser());
    QCOMPARE(beside.settingsPath(), program + u"/Velunda.ini"_s);
    QCOMPARE(beside.defaultDatabasePath(), program + u"/Database"_s);

    const DataLocation perUser = DataLocation::choose(program, user, never);
    QVERIFY(perUser.isPerUser());
    QCOMPARE(perUser.settingsPath(), user + u"/Velunda.ini"_s);
    QCOMPARE(perUser.defaultDatabasePath(), user + u"/Database"_s);

    // The platform's folder is named after the program alone, with no organisation.
    QCOMPARE(DataLocation::userDataDirectory(), m_root->path() + u"/home/.local/share/Velunda"_s);
}

void TestDataLocation::installedLayoutKeepsDataOutOfTheProgramFolder()
{
    const QString portable = mkpath(*m_root, u"stick/Velunda"_s);
    QVERIFY(DataLocation::keepsDataBesideProgram(portable));
    // No probe file is left behind.
    QCOMPARE(QDir(portable).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());

    // /usr/bin of an installed package: writable for root, but never the place for data.
    const QString installed = mkpath(*m_root, u"usr/bin"_s);
    mkpath(*m_root, u"usr/share/velunda/help"_s);
    QVERIFY(DataLocation::isWritableDirectory(installed));
    QVERIFY(!DataLocation::keepsDataBesideProgram(installed));

    QVERIFY(!DataLocation::keepsDataBesideProgram(m_root->path() + u"/missing"_s));
}

void TestDataLocation::helpPagesAreFoundInBothLayouts()
{
    const QString build = mkpath(*m_root, u"build/bin"_s);
    mkpath(*m_root, u"build/bin/help"_s);
    QCOMPARE(DataLocation::helpDirectory(build), build + u"/help"_s);

    const QString installed = mkpath(*m_root, u"usr/bin"_s);
    mkpath(*m_root, u"usr/share/velunda/help"_s);
    QCOMPARE(DataLocation::helpDirectory(installed), m_root->path() + u"/usr/share/velunda/help"_s);
}

void TestDataLocation::userFolderIsPreparedOnceAndNeverOverwritten()
{
    const QString program = mkpath(*m_root, u"bin"_s);
    const QString user = QDir(m_root->path()).filePath(u"home/.local/share/Velunda"_s);

    // Beside the program nothing is made: a missing database there is reported on opening.
    QVERIFY(!DataLocation::choose(program, user, always).prepare());
    QVERIFY(!QFile::exists(program + u"/Database"_s));

    const DataLocation location = DataLocation::choose(program, user, never);
    QVERIFY(location.prepare());
    QCOMPARE(Database::existingTableFiles(location.defaultDatabasePath()).size(), 8);
    addEvent(location.defaultDatabasePath(), u"Sommerplausch"_s);
    QVERIFY(!location.prepare());
    DataLibrary data;
    data.OpenDatabase(location.defaultDatabasePath());
    QCOMPARE(data.Events().size(), 1);
    data.CloseDatabase();

    // A damaged database is somebody's data: it is left for the open to report.
    const QString damaged = mkpath(*m_root, u"other"_s);
    mkpath(*m_root, u"other/Database"_s);
    QFile team(damaged + u"/Database/Team.dat"_s);
    QVERIFY(team.open(QIODevice::WriteOnly));
    team.write("kept");
    team.close();
    QVERIFY(!DataLocation::choose(program, damaged, never).prepare());
    QCOMPARE(Database::existingTableFiles(damaged + u"/Database"_s), QStringList{u"Team.dat"_s});

    // A folder that cannot be made is an error that names it.
    QFile blocker(m_root->path() + u"/blocked"_s);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY_THROWS_EXCEPTION(DatabaseError,
                             DataLocation::choose(program, blocker.fileName(), never).prepare());
}

void TestDataLocation::bothProgramsAgree_data()
{
    QTest::addColumn<bool>("installed");
    QTest::newRow("portable copy") << false;
    QTest::newRow("installed") << true;
}

void TestDataLocation::bothProgramsAgree()
{
    QFETCH(bool, installed);
    const QString program = mkpath(*m_root, installed ? u"usr/bin"_s : u"stick/Velunda"_s);
    if (installed)
        mkpath(*m_root, u"usr/share/velunda/help"_s);
    const QString cli = copyCli(program);

    // The program's side of the rule, as main() applies it for a program in that folder.
    const DataLocation location = DataLocation::choose(program, DataLocation::userDataDirectory(),
                                                       DataLocation::keepsDataBesideProgram);
    QCOMPARE(location.isPerUser(), installed);
    if (installed) {
        QVERIFY(location.prepare());
    } else {
        QVERIFY(QDir().mkpath(location.defaultDatabasePath()));
        Database::createTables(location.defaultDatabasePath());
    }
    addEvent(location.defaultDatabasePath(), u"Herbstlauf"_s);

    // The companion, without a directory, works on the same database.
    const CliRun run = runCli({u"events"_s}, cli);
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.contains(u"Herbstlauf"_s), qPrintable(run.out + run.err));
    const CliRun help = runCli({u"--help"_s}, cli);
    QVERIFY2(help.out.contains(QDir::toNativeSeparators(location.defaultDatabasePath())),
             qPrintable(help.out));
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    DataLocation::setApplicationIdentity();
    TestDataLocation test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_datalocation.moc"
