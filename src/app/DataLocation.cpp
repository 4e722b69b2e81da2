#include "app/DataLocation.h"

#include "engine/Database.h"
#include "engine/DatabaseError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

const QString InstalledHelp = QStringLiteral("../share/velunda/help");

} // namespace

DataLocation::DataLocation(const QString &directory, bool perUser)
    : m_directory(directory), m_perUser(perUser)
{ }

void DataLocation::setApplicationIdentity()
{
    QCoreApplication::setOrganizationName(QString());
    QCoreApplication::setApplicationName(QLatin1String(ApplicationName));
}

DataLocation DataLocation::choose(const QString &programDirectory, const QString &userDirectory,
                                  const FolderCheck &keepsData)
{
    if (keepsData(programDirectory))
        return DataLocation(programDirectory, false);
    return DataLocation(userDirectory, true);
}

DataLocation DataLocation::forThisProgram()
{
    return choose(QCoreApplication::applicationDirPath(), userDataDirectory(),
                  keepsDataBesideProgram);
}

bool DataLocation::keepsDataBesideProgram(const QString &programDirectory)
{
    if (QFileInfo(QDir(programDirectory).filePath(InstalledHelp)).isDir())
        return false;
    return isWritableDirectory(programDirectory);
}

bool DataLocation::isWritableDirectory(const QString &directory)
{
    if (!QFileInfo(directory).isDir())
        return false;
    QTemporaryFile probe(QDir(directory).filePath(QStringLiteral(".velunda-XXXXXX")));
    return probe.open();
}

QString DataLocation::userDataDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString DataLocation::helpDirectory(const QString &programDirectory)
{
    const QDir dir(programDirectory);
    const QString installed = QDir::cleanPath(dir.filePath(InstalledHelp));
    if (!QFileInfo(dir.filePath(QStringLiteral("help"))).isDir() && QFileInfo(installed).isDir())
        return installed;
    return dir.filePath(QStringLiteral("help"));
}

QString DataLocation::settingsPath() const
{
    return QDir(m_directory).filePath(QStringLiteral("Velunda.ini"));
}

QString DataLocation::defaultDatabasePath() const
{
    return QDir(m_directory).filePath(QStringLiteral("Database"));
}

bool DataLocation::prepare() const
{
    if (!m_perUser)
        return false;
    const QString database = defaultDatabasePath();
    // A folder with some of the tables is somebody's data, however damaged: opening it reports
    // what is wrong, and nothing here may overwrite it.
    if (!Database::existingTableFiles(database).isEmpty())
        return false;
    if (!QDir().mkpath(database))
        throw DatabaseError(QStringLiteral("Das Verzeichnis %1 kann nicht angelegt werden.")
                                .arg(QDir::toNativeSeparators(database)));
    Database::createTables(database);
    return true;
}
