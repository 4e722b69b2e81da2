#pragma once

#include "data/Rows.h"

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class Database;

// One data line of an import file and what becomes of it.
struct TeamImportLine
{
    enum class Status { New, Duplicate, Error };

    int lineNumber = 0; // in the file, the header being line 1 when it is the first
    Status status = Status::New;
    QStringList reasons; // why the line is in error, or which team it repeats
    // The values read; Typ 1, KatNr 0 while the category is unknown. TeamNr: the team the
    // line stands for once written, or the existing team it repeats.
    TeamRow team;
    int repeatsLine = 0; // the earlier line of the file that names the same team
    QString category; // as written in the file

    QString statusText() const; // "neu", "übersprungen", "Fehler"
    QString reasonText() const { return reasons.join(QStringLiteral("; ")); }
};

// Teams from a spreadsheet: a CSV file whose header row names its columns, read in either
// of the encodings spreadsheets write and checked line by line against the database before
// anything is stored. Either every new team is written, in one transaction, or none.
class TeamImport
{
public:
    explicit TeamImport(Database &db);

    // Reads and checks; nothing is written. A problem of the whole file (unreadable, empty,
    // no usable header, not a plain file, too large) leaves no lines and is given by
    // fileError().
    void load(const QString &path);
    static constexpr qint64 MaxFileSize = 50 * 1024 * 1024;
    void loadData(const QByteArray &data);

    QString fileError() const { return m_fileError; }
    QStringList notes() const { return m_notes; } // columns that are not used, and the like
    const QList<TeamImportLine> &lines() const { return m_lines; }
    QString encodingName() const { return m_encoding; }
    QChar separator() const { return m_separator; }
    QString separatorName() const;

    int count(TeamImportLine::Status status) const;
    bool hasErrors() const;
    // "Zeile N: reason" for every line in error, or the file's own error.
    QStringList errorMessages() const;

    // Writes the new teams in one transaction and returns how many. The database is checked
    // again first; when anything is in error, nothing is written and DatabaseError is thrown.
    // With enter, every team of the file, new or existing, is then passed to it in the order
    // of the file, inside the same transaction (entering them into an event).
    int write(const std::function<void(int teamNr)> &enter = {});

    // Text of a file in UTF-8 (with or without byte order mark) or, when it is not valid
    // UTF-8, Windows-1252; UTF-16 with byte order mark is read as well.
    static QString decode(const QByteArray &data, QString *encodingName = nullptr);

    struct Record
    {
        int lineNumber = 0;
        QStringList fields;
        bool unterminatedQuote = false;
    };
    // Fields separated by separator; a field in double quotes may hold separators, line
    // breaks and doubled quotes.
    static QList<Record> parseRecords(const QString &text, QChar separator);

private:
    void validate();

    Database &m_db;
    QString m_fileError;
    QStringList m_notes;
    QString m_encoding;
    QChar m_separator;
    QList<int> m_columnOf; // per known column, the field index in a record, -1 when absent
    int m_headerFields = 0;
    QList<Record> m_records;
    QList<TeamImportLine> m_lines;
};
