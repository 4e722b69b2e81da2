#pragma once

#include <QString>

#include <functional>

// Where "Velunda.ini" and the default "Database" live. The program and the companion tool ask
// this one rule: beside the program when its folder can hold them (the build folder, a
// portable copy on a USB stick), otherwise in the user's own data folder (an installed
// program, whose folder belongs to the system).
class DataLocation
{
public:
    // The application name the user's data folder is named after: ~/.local/share/Velunda,
    // %APPDATA%\Velunda. Both programs set it, and no organisation, through
    // setApplicationIdentity().
    static constexpr auto ApplicationName = "Velunda";
    static void setApplicationIdentity();

    // Whether the data may live in the program's folder; tests put in their own.
    using FolderCheck = std::function<bool(const QString &programDirectory)>;

    static DataLocation choose(const QString &programDirectory, const QString &userDirectory,
                               const FolderCheck &keepsData);
    // The rule for the running program.
    static DataLocation forThisProgram();

    // The default check: a writable folder that is not part of an installed layout (where the
    // help pages lie in ../share/velunda: root can write to /usr/bin, but data has no place
    // there).
    static bool keepsDataBesideProgram(const QString &programDirectory);
    // Whether a file can be made in directory: the only test that holds on every platform
    // (access rights on Windows, read-only mounts, a full disk).
    static bool isWritableDirectory(const QString &directory);
    static QString userDataDirectory();
    // The help pages: beside the program (build folder, Windows), or where the installed
    // layout keeps them.
    static QString helpDirectory(const QString &programDirectory);

    QString directory() const { return m_directory; }
    bool isPerUser() const { return m_perUser; }
    QString settingsPath() const;
    QString defaultDatabasePath() const;

    // The user's folder and its empty database on first use, made by the same code as
    // "velunda-cli init-db". True when the database was made now. Beside the program nothing
    // is made: a missing database there is reported when it is opened, as ever. Throws
    // DatabaseError when the folder or the tables cannot be made.
    bool prepare() const;

private:
    DataLocation(const QString &directory, bool perUser);

    QString m_directory;
    bool m_perUser = false;
};
