#pragma once

#include "app/Competition.h"
#include "data/DataLibrary.h"
#include "support/ScriptedUserInterface.h"

#include <QHash>
#include <QTemporaryDir>

#include <memory>

// A fresh, empty database in a temporary program directory ("<tmp>/Database"), with the
// data module, a scripted user interface and the main window's domain object on top. The
// helpers write rows directly, so that a test states its fixture in a few lines.
class TestDatabase
{
public:
    TestDatabase();

    QString programDir() const { return m_dir.path(); }
    QString databaseDir() const;

    DataLibrary data;
    ScriptedUserInterface ui;
    std::unique_ptr<Competition> competition;

    Database &db() { return data.db(); }

    int addCategory(const QString &name);
    int addPost(const QString &name, double factor = 1.0, bool active = true);
    int addEvent(const QString &name, const QString &method = QStringLiteral("Punkte/Zeit"),
                 int punkteSort = 1, int zeitSort = 2, bool autoRank = false, int threshold = 0,
                 bool addGame = false, const QString &addGameName = {});
    int addTeam(const QString &name, const QString &vorname, int katNr, bool addGame = false,
                int startNr = 0, const QString &hund = QStringLiteral("Rex"));
    int addGroup(const QString &name, int katNr, bool addGame = false, int startNr = 0);
    void addMember(int groupNr, int teamNr);
    // An entry written directly, without result rows.
    void addEntry(int anlassNr, int teamNr, int startNr = 0, bool isGroup = false, int groupNr = 0,
                  bool finished = false, bool addGameFinished = false);
    void addResult(int anlassNr, int postenNr, int teamNr, double punkte, double zeit,
                   double zPunkte = 0, double zZeit = 0);

    qint64 count(const QString &sql); // first column of the first row
    // Opens the data module on the database and the event n as the program would.
    void open(int anlassNr = 0);

private:
    QTemporaryDir m_dir;
};

// A hash of every file of a directory by name: equal before and after means nothing was
// written, not even a journal left behind.
QHash<QString, QByteArray> fileHashes(const QString &directory);
