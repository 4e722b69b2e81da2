#include "app/Competition.h"
#include "app/DataLocation.h"
#include "app/IniFile.h"
#include "app/ui/AboutDialog.h"
#include "app/ui/Forms.h"
#include "app/ui/MainForm.h"
#include "app/ui/VelundaApplication.h"
#include "data/DataLibrary.h"
#include "engine/Database.h"
#include "engine/DatabaseError.h"
#include "engine/Statement.h"
#include "participants/ui/TeamForm.h"
#include "support/ScriptedUserInterface.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

namespace {

// A program directory with its own "Database", started and closed the way main() does it.
class Program
{
public:
    Program()
    {
        Database::setDurable(false);
        QDir(dir.path()).mkdir(QStringLiteral("Database"));
        Database::createTables(databaseDir());
        data.setDataDirectory(dir.path());
    }
    ~Program() { forms.destroy(); }

    QString databaseDir() const { return QDir(dir.path()).filePath(QStringLiteral("Database")); }
    QString iniPath() const { return QDir(dir.path()).filePath(QStringLiteral("Velunda.ini")); }

    void writeIni(const QByteArray &text) const
    {
        QFile file(iniPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QByteArray ini() const
    {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // An event written straight into the database before start-up.
    int addEvent(const QString &dbDir, const QString &name)
    {
        DataLibrary other;
        other.setDataDirectory(dir.path());
        other.OpenDatabase(dbDir);
        EventRow row;
        row.AnlassBez = name;
        row.Rangberechnung = QStringLiteral("Nach Punkten");
        other.SaveEvent(row);
        other.CloseDatabase();
        return row.AnlassNr;
    }

    void start(const std::optional<DataLocation> &location = {})
    {
        competition = std::make_unique<Competition>(data, ui);
        if (location)
            competition->setDataLocation(*location);
        forms.create(*competition, ui);
        forms.MainForm->show();
        QCoreApplication::processEvents();
    }
    TMainForm *window() const { return forms.MainForm; }
    QString statusText() const
    {
        return window()->findChild<QLabel *>(QStringLiteral("statusFirst"))->text();
    }

    // Closes the main window with the operator's answer to the exit question.
    bool close(bool yes)
    {
        ui.answers = {yes};
        return window()->close();
    }

    QTemporaryDir dir;
    DataLibrary data;
    ScriptedUserInterface ui;
    std::unique_ptr<Competition> competition;
    Forms forms;
};

QString section(const QByteArray &ini, const QString &key)
{
    for (const QString &line : QString::fromUtf8(ini).split(u'\n')) {
        if (line.startsWith(key + u'='))
            return line.mid(key.size() + 1).trimmed();
    }
    return QStringLiteral("<missing>");
}

class Thrower : public QObject
{
protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw DatabaseError(QStringLiteral("database is locked"));
        return QObject::event(e);
    }
};

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstRunCreatesFileAndWritesFiveKeysOnYes();
    void noToExitQuestionLeavesFileUntouched();
    void configuredPathIsKeptWhenFallingBack();
    void configuredPath_data();
    void configuredPath();
    void userDataFolderIsMadeOnFirstStartAndNamed();
    void windowLayoutFromSettings_data();
    void windowLayoutFromSettings();
    void maximisedWindowWritesMaximisedState();
    void previousEvent_data();
    void previousEvent();
    void unopenableDatabaseIsReportedOnce();
    void escapedEngineErrorIsShownAndProgramGoesOn();
    void standardButtonsAreGerman();
    void everyWindowShowsTheProgramIcon();
};

void TestStartup::firstRunCreatesFileAndWritesFiveKeysOnYes()
{
    Program p;
    QVERIFY(!QFile::exists(p.iniPath()));
    p.start();
    QVERIFY(QFile::exists(p.iniPath()));
    QCOMPARE(p.ini(), QByteArray());
    QVERIFY(!p.window()->isMaximized());
    QCOMPARE(p.window()->size(), QSize(1006, 719));
    QVERIFY(p.data.databaseOpen());
    QCOMPARE(p.competition->CurrentAnlassNr(), 0);

    QVERIFY(p.close(true));
    const QByteArray ini = p.ini();
    QVERIFY(ini.startsWith("[Default]"));
    QCOMPARE(section(ini, QStringLiteral("PreviousComp")), QStringLiteral("0"));
    QCOMPARE(section(ini, QStringLiteral("DBPath")), p.databaseDir());
    QCOMPARE(section(ini, QStringLiteral("WindowState")), QStringLiteral("wsNormal"));
    QCOMPARE(section(ini, QStringLiteral("FormWidth")), QStringLiteral("1006"));
    QCOMPARE(section(ini, QStringLiteral("FormHeight")), QStringLiteral("719"));
    // Written in the order of the exit sequence.
    QVERIFY(ini.indexOf("PreviousComp") < ini.indexOf("DBPath"));
    QVERIFY(ini.indexOf("WindowState") < ini.indexOf("FormWidth"));
    QVERIFY(!p.data.databaseOpen());
}

void TestStartup::noToExitQuestionLeavesFileUntouched()
{
    Program p;
    const QByteArray before = "; kept\n[Default]\nFormWidth=900\nFormHeight=600\n[Other]\nx=1\n";
    p.writeIni(before);
    p.start();
    QCOMPARE(p.window()->size(), QSize(900, 600));
    QVERIFY(!p.close(false));
    QCOMPARE(p.ui.texts(QStringLiteral("yesno")),
             QStringList{QStringLiteral("Wollen Sie das Programm wirklich beenden?")});
    QVERIFY(p.window()->isVisible());
    QCOMPARE(p.ini(), before);
    QVERIFY(p.data.databaseOpen());

    // A later Yes changes only the keys of the program.
    QVERIFY(p.close(true));
    const QByteArray after = p.ini();
    QVERIFY(after.startsWith("; kept\n[Default]\n"));
    QVERIFY(after.contains("[Other]\nx=1"));
}

void TestStartup::configuredPathIsKeptWhenFallingBack()
{
    Program p;
    const QString elsewhere = QDir(p.dir.path()).filePath(QStringLiteral("nowhere"));
    p.writeIni("[Default]\nDBPath=" + elsewhere.toUtf8() + "\n");
    const int event = p.addEvent(p.databaseDir(), QStringLiteral("Plauschturnier"));
    p.start();
    QVERIFY(p.data.databaseOpen());
    QCOMPARE(p.competition->CurrentAnlassNr(), event);
    QVERIFY(p.ui.messages.isEmpty());
    QVERIFY(p.close(true));
    QCOMPARE(section(p.ini(), QStringLiteral("DBPath")), elsewhere);
}

void TestStartup::configuredPath_data()
{
    QTest::addColumn<QByteArray>("value"); // %1 stands for a folder with a database
    QTest::addColumn<QString>("note"); // in the status bar; empty when the folder is used
    QTest::newRow("quoted, with a blank") << QByteArray("\"%1\"") << QString();
    QTest::newRow("in single quotes") << QByteArray("'%1'") << QString();
    QTest::newRow("folder that is not there")
        << QByteArray("%1/fehlt") << QStringLiteral("(das Verzeichnis gibt es nicht)");
    QTest::newRow("folder without the event table")
        << QByteArray("%1/leer") << QStringLiteral("(Anlass.dat fehlt)");
}

void TestStartup::configuredPath()
{
    QFETCH(QByteArray, value);
    QFETCH(QString, note);
    Program p;
    const QString club = QDir(p.dir.path()).filePath(QStringLiteral("Club Daten"));
    QDir().mkpath(club + QStringLiteral("/leer"));
    Database::createTables(club);
    const int clubEvent = p.addEvent(club, QStringLiteral("Clubmeisterschaft"));
    const int ownEvent = p.addEvent(p.databaseDir(), QStringLiteral("Eigener"));
    const QByteArray configured = value.replace("%1", club.toUtf8());
    p.writeIni("[Default]\nDBPath=" + configured + "\n");
    p.start();
    QVERIFY(p.ui.messages.isEmpty());
    if (note.isEmpty()) {
        QCOMPARE(p.data.openedDirectory(), club);
        QCOMPARE(p.competition->CurrentAnlassNr(), clubEvent);
        QCOMPARE(p.statusText(), QString());
    } else {
        QCOMPARE(p.data.openedDirectory(), p.databaseDir());
        QCOMPARE(p.competition->CurrentAnlassNr(), ownEvent);
        QCOMPARE(p.statusText(),
                 QStringLiteral("Der Datenbankpfad (DBPath) \"%1\" ist nicht verwendbar %2; "
                                "geöffnet ist \"%3\".")
                     .arg(QString::fromUtf8(configured), note, p.databaseDir()));
    }
}

void TestStartup::userDataFolderIsMadeOnFirstStartAndNamed()
{
    Program p;
    const QString program = QDir(p.dir.path()).filePath(QStringLiteral("bin"));
    const QString user = QDir(p.dir.path()).filePath(QStringLiteral("home/Velunda"));
    QDir().mkpath(program);
    const auto notHere = [](const QString &) {
        return false;
    };
    const DataLocation location = DataLocation::choose(program, user, notHere);

    p.start(location);
    QVERIFY(p.ui.messages.isEmpty());
    QCOMPARE(p.data.openedDirectory(), user + QStringLiteral("/Database"));
    QCOMPARE(p.statusText(),
             QStringLiteral("Neue, leere Datenbank angelegt in ") + user
                 + QStringLiteral("/Database"));
    QCOMPARE(p.competition->CurrentAnlassNr(), 0);
    QVERIFY(p.close(true));
    QCOMPARE(section(p.ini(), QStringLiteral("DBPath")), QStringLiteral("<missing>"));
    IniFile written(location.settingsPath());
    QCOMPARE(written.readString(QStringLiteral("Default"), QStringLiteral("DBPath"), {}),
             user + QStringLiteral("/Database"));
    QCOMPARE(QDir(program).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());

    // The next start finds what the first one made and says where it is.
    p.addEvent(location.defaultDatabasePath(), QStringLiteral("Frühlingsplausch"));
    p.forms.destroy();
    p.start(location);
    QCOMPARE(p.statusText(), QStringLiteral("Einstellungen und Datenbank in ") + user);
    QVERIFY(p.competition->CurrentAnlassNr() != 0);
    QVERIFY(p.close(true));
}

void TestStartup::windowLayoutFromSettings_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<QSize>("size");
    QTest::newRow("normal") << QByteArray("WindowState=wsNormal\nFormWidth=800\nFormHeight=500")
                            << false << QSize(800, 500);
    QTest::newRow("minimised starts maximised")
        << QByteArray("WindowState=wsMinimized") << true << QSize();
    QTest::newRow("unknown text starts maximised")
        << QByteArray("WindowState=gross") << true << QSize();
    QTest::newRow("not numbers") << QByteArray("FormWidth=breit\nFormHeight=12abc") << false
                                 << QSize(1006, 719);
    QTest::newRow("absurd sizes") << QByteArray("FormWidth=-5\nFormHeight=99999999999") << false
                                  << QSize(1006, 719);
}

void TestStartup::windowLayoutFromSettings()
{
    QFETCH(QByteArray, ini);
    QFETCH(bool, maximized);
    QFETCH(QSize, size);
    Program p;
    p.writeIni("[Default]\n" + ini + "\n");
    p.start();
    QCOMPARE(p.window()->isMaximized(), maximized);
    if (size.isValid())
        QCOMPARE(p.window()->size(), size);
    QVERIFY(p.ui.messages.isEmpty());
}

void TestStartup::maximisedWindowWritesMaximisedState()
{
    Program p;
    p.writeIni("[Default]\nWindowState=wsMaximized\n");
    p.start();
    QVERIFY(p.window()->isMaximized());
    const QSize size = p.window()->size();
    QVERIFY(p.close(true));
    QCOMPARE(section(p.ini(), QStringLiteral("WindowState")), QStringLiteral("wsMaximized"));
    QCOMPARE(section(p.ini(), QStringLiteral("FormWidth")), QString::number(size.width()));
    QCOMPARE(section(p.ini(), QStringLiteral("FormHeight")), QString::number(size.height()));
}

void TestStartup::previousEvent_data()
{
    QTest::addColumn<QByteArray>("previous");
    QTest::addColumn<int>("opened"); // index of the event expected open, -1 for none
    QTest::newRow("existing") << QByteArray("second") << 1;
    QTest::newRow("zero") << QByteArray("0") << 0;
    QTest::newRow("deleted") << QByteArray("999") << 0;
    QTest::newRow("not a number") << QByteArray("zwei") << 0;
}

void TestStartup::previousEvent()
{
    QFETCH(QByteArray, previous);
    QFETCH(int, opened);
    Program p;
    const QList<int> events{p.addEvent(p.databaseDir(), QStringLiteral("Erster")),
                            p.addEvent(p.databaseDir(), QStringLiteral("Zweiter"))};
    if (previous == "second")
        previous = QByteArray::number(events.at(1));
    p.writeIni("[Default]\nPreviousComp=" + previous + "\n");
    p.start();
    QCOMPARE(p.competition->CurrentAnlassNr(), events.at(opened));
    QVERIFY(p.competition->event().has_value());
    QVERIFY(p.competition->mainWindowShown);
    QVERIFY(p.ui.messages.isEmpty());
}

void TestStartup::unopenableDatabaseIsReportedOnce()
{
    Program p;
    QFile::remove(QDir(p.databaseDir()).filePath(QStringLiteral("Team.dat")));
    QFile foreign(QDir(p.databaseDir()).filePath(QStringLiteral("Team.dat")));
    QVERIFY(foreign.open(QIODevice::WriteOnly));
    foreign.write("not a table");
    foreign.close();
    p.start();
    QVERIFY(!p.data.databaseOpen());
    QCOMPARE(p.ui.texts(QStringLiteral("error")).size(), 1);
    QVERIFY(p.ui.texts(QStringLiteral("error")).constFirst().contains(p.databaseDir()));
    // The retry on a menu click stays, but the same failure is not shown again.
    p.competition->MenuItemClick();
    QCOMPARE(p.ui.texts(QStringLiteral("error")).size(), 1);
    QVERIFY(p.close(true));
}

void TestStartup::escapedEngineErrorIsShownAndProgramGoesOn()
{
    auto *app = qobject_cast<VelundaApplication *>(QCoreApplication::instance());
    QVERIFY(app);
    ScriptedUserInterface ui;
    app->setUserInterface(&ui);
    Thrower thrower;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&thrower, &event);
    QCOMPARE(ui.texts(QStringLiteral("error")), QStringList{QStringLiteral("database is locked")});

    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    QCOMPARE(ui.texts(QStringLiteral("error")).size(), 2);
    app->setUserInterface(nullptr);
}

void TestStartup::standardButtonsAreGerman()
{
    QMessageBox box(QMessageBox::Question, QString(), QString(),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    const auto text = [&](QMessageBox::StandardButton b) {
        return box.button(b)->text().remove(u'&');
    };
    QCOMPARE(text(QMessageBox::Yes), QStringLiteral("Ja"));
    QCOMPARE(text(QMessageBox::No), QStringLiteral("Nein"));
    QCOMPARE(text(QMessageBox::Cancel), QStringLiteral("Abbrechen"));
}

void TestStartup::everyWindowShowsTheProgramIcon()
{
    Program p;
    p.start();
    const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
    for (const int size : {16, 32, 48, 256})
        QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
    const qint64 icon = QApplication::windowIcon().cacheKey();
    QCOMPARE(p.window()->windowIcon().cacheKey(), icon);
    QCOMPARE(p.forms.About->windowIcon().cacheKey(), icon);
    QCOMPARE(p.forms.TeamForm->windowIcon().cacheKey(), icon);
    QVERIFY(p.close(true));
}

int main(int argc, char *argv[])
{
    VelundaApplication app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"
