#pragma once

#include "data/Rows.h"
#include "engine/Database.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

// The data module: the program's one database connection, the open event's number that
// every query about "this event" uses, the calculated fields, and the small queries that
// several windows share. It exists from start-up to the end of the program.
class Statement;

// A row of its table from a statement that selects all of the table's columns by name.
TeamRow teamFrom(const Statement &s);
EntryRow entryFrom(const Statement &s);

class DataLibrary
{
public:
    DataLibrary();

    // Chooses the directory (path when it holds "Anlass.dat", else the default "Database" in
    // the data directory) and opens every table. Never throws: on failure databaseOpen()
    // stays false and lastOpenError() says why.
    void OpenDatabase(const QString &path);
    void CloseDatabase();
    bool databaseOpen() const { return m_databaseOpen; }
    QString lastOpenError() const { return m_lastOpenError; }
    QString openedDirectory() const { return m_db.directory(); }
    QString ChooseDatabaseDirectory(const QString &path) const;

    // Why path would not be used: empty when it holds a database (or is empty itself, the
    // default), otherwise a German reason for the status bar.
    static QString unusableReason(const QString &path);

    // Where "Velunda.ini" and the default "Database" live (DataLocation); the program's own
    // directory until start-up says otherwise, and tests point it elsewhere.
    QString dataDirectory() const { return m_dataDirectory; }
    void setDataDirectory(const QString &directory) { m_dataDirectory = directory; }
    QString defaultDatabasePath() const;

    Database &db() { return m_db; }

    // The open event; 0 until one has been opened.
    int CurrentAnlassNr = 0;

    static QString YesNoText(bool b);
    static QString CalcFullName(const QString &name, const QString &vorname);
    static QString CalcRangberechnung(const QString &method, int punkteSort, int zeitSort);

    // Row readers; std::nullopt when there is no such row.
    std::optional<EventRow> ReadEvent(int anlassNr);
    QList<EventRow> Events(); // in key order
    int LowestEventNr(); // 0 when there is none
    std::optional<TeamRow> ReadTeam(int teamNr);
    std::optional<EntryRow> ReadEntry(int anlassNr, int teamNr);
    QList<CategoryRow> Categories(); // in key order
    QString CategoryName(int katNr);
    QList<PostRow> Posts(); // in key order
    std::optional<PostRow> ReadPost(int postenNr);

    // Writers: a row with key 0 is inserted and gets its key from the engine.
    void SaveEvent(EventRow &row);
    void SaveTeam(TeamRow &row);
    void SaveCategory(CategoryRow &row);
    void SavePost(PostRow &row);
    void SaveEntry(const EntryRow &row); // insert or replace by (AnlassNr, TeamNr)

    // The participant list of an event: its teams and groups entered in their own right,
    // by start number, with the totals of the stored results. With a teamNr, only that
    // participant's row (none when it is not listed), read without touching the others.
    QList<ParticipantRow> ParticipantList(int anlassNr, int teamNr = 0);

    // Finished, not yet printed entries of a category (main game or additional game).
    int NumberOfTeams(int anlassNr, int katNr, bool additionalGame);
    // The same for every category at once, by KatNr; a category without any is missing.
    QHash<int, int> NumberOfTeamsPerCategory(int anlassNr, bool additionalGame);

    // Totals and reference queries, all on CurrentAnlassNr.
    double TotalPoints(int teamNr, bool isGroup, bool additionalGame);
    double TotalTime(int teamNr, bool isGroup, bool additionalGame);
    bool AnyMemberPlaysAddGame(int groupNr);
    bool IsTeamInUse(int teamNr, QString &description);
    QString EventNameOf(int anlassNr);
    QString TeamNameOf(int teamNr);
    int NextStartNr();

private:
    double Total(const char *column, int teamNr, bool isGroup);

    Database m_db;
    bool m_databaseOpen = false;
    QString m_lastOpenError;
    QString m_dataDirectory;
};
