#pragma once

#include "app/UserInterface.h"
#include "data/Rows.h"
#include "engine/Transaction.h"
#include "reportengine/ReportDefinition.h"
#include "reportengine/render/ReportExport.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

class Competition;
class Database;
class DataLibrary;

// The companion tool's subcommands. Each lives in a file of its own and is listed once in
// main.cpp; everything a subcommand prints for people is German, errors go to standard error.
namespace Cli {

QTextStream &out();
QTextStream &err();

// The name of a command's database directory in its usage and in errors.
inline const QString DatabaseArgument = QStringLiteral("VERZEICHNIS");
// The database a command works on when its directory is left out: the default database of
// the program's data location.
QString defaultDatabase();

// Wrong use of the tool: the message and the command's usage are shown, exit status 2.
class UsageError : public std::runtime_error
{
public:
    explicit UsageError(const QString &message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

// A command that could not do what was asked: the message is shown, exit status 1.
class Failure : public std::runtime_error
{
public:
    explicit Failure(const QString &message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The arguments after the command's name: positional values, options with a value
// ("--event 3", "--event=3", "-o FILE") and flags ("--dry-run"). Anything else is a UsageError.
class Arguments
{
public:
    Arguments(const QStringList &args, const QStringList &valueOptions,
              const QStringList &flags = {});

    QStringList positional;
    bool has(const QString &option) const { return m_values.contains(option); }
    QString value(const QString &option, const QString &fallback = {}) const
    {
        return m_values.value(option, fallback);
    }
    // The positional values must be exactly these; names them in the error otherwise. A
    // leading DatabaseArgument left out is the database where the program keeps it.
    void expectPositional(const QStringList &names, bool databaseMayBeLeftOut = true);
    int integer(const QString &option) const; // a whole number, or a UsageError

private:
    QHash<QString, QString> m_values;
};

// A Failure naming the directory when there is none.
void requireDirectory(const QString &directory);
// Opens the database in directory, exactly that one: no fallback as the program has it.
void openDatabase(Database &db, const QString &directory);

// Writes bytes to standard output as they are, after what out() holds.
void writeOut(const QByteArray &bytes);

// The operator's side of the program's own operations when a command runs them: every choice
// was made on the command line beforehand, so nothing is asked. Questions other than the
// confirmations the command lists are answered No; reports are kept instead of shown.
class HeadlessUserInterface : public UserInterface
{
public:
    QStringList confirmations; // answered Yes / OK
    std::function<bool(RankListChoice &)> rankListChooser; // none: the dialog is cancelled
    QList<Report::ReportDocument> previews;
    QList<Report::ReportDocument> printed;
    QStringList errors;

    void information(const QString &) override { }
    bool askYesNo(const QString &text) override { return confirmations.contains(text); }
    bool askOkCancel(const QString &text) override { return confirmations.contains(text); }
    void showError(const QString &text) override { errors << text; }
    void setBusy(bool) override { }
    bool chooseRankList(RankListChoice &choice) override;
    bool chooseItem(const QString &, const QString &, const QStringList &, int &) override
    {
        return false;
    }
    void previewReport(const Report::ReportDocument &report) override { previews << report; }
    void printReport(const Report::ReportDocument &report, bool) override { printed << report; }

    // Batches are kept in printed like single reports, unless a command that writes them as
    // they come sets this.
    std::function<bool(const QString &title, int count, const ReportSource &report)> batchPrinter;
    bool printReports(const QString &title, int count, const ReportSource &report) override;
};

// The database in directory with event anlassNr open, as the main window holds it. The
// program's operations run on it unchanged; whatever they write (opening an event copies start
// numbers, a rank list run fills the rank table) is undone when the session ends, so that a
// command reads what the program would show and leaves the files as they were.
class EventSession
{
public:
    // A command that is to keep what it writes names the cause of the snapshot that is taken
    // before the session's transaction begins: none can be taken inside it.
    EventSession(const QString &directory, int anlassNr, const QString &snapshotCause = {});
    ~EventSession();
    EventSession(const EventSession &) = delete;
    EventSession &operator=(const EventSession &) = delete;

    DataLibrary &data() { return *m_data; }
    Competition &competition() { return *m_competition; }
    HeadlessUserInterface &ui() { return m_ui; }
    const EventRow &event() const { return m_event; }

    // An operation that reports its errors to the operator ended with one: a Failure.
    void throwReportedError() const;
    // Keeps what the session wrote, for a command that is asked to change the database.
    void keepChanges();

private:
    std::unique_ptr<DataLibrary> m_data;
    HeadlessUserInterface m_ui;
    std::unique_ptr<Competition> m_competition;
    EventRow m_event;
    // Never committed: ending the session, or a failure while it is made, undoes it. Declared
    // last, so that it ends while the connection still stands.
    std::optional<Transaction> m_undo;
};

// Output of a report, shared by the commands that write one: the format from --format, else
// from the suffix of -o FILE, else CSV; refused combinations are UsageErrors.
Render::ExportFormat reportFormat(const Arguments &a);
void checkReportOutput(const Arguments &a, Render::ExportFormat format);
// Writes the document to file, or to standard output when file is empty (csv, txt, html);
// a file is announced as done + its name + " (" + the row count + rowsText + ")".
void writeReport(const Report::ReportDocument &document, const QString &file,
                 Render::ExportFormat format, const QString &done, const QString &rowsText);
// The category as the rank list dialog would have it chosen: "all" is "Alle (Gemischt)" (0), a
// number names a category by its KatNr, anything else by its name, ignoring case.
int categoryNumber(DataLibrary &data, const QString &value);
// A snapshot before a command that rewrites many rows. One that fails is a warning on
// standard error ending in goesOn; the command goes on without it.
void takeSnapshotOrWarn(Database &db, const QString &cause, const QString &goesOn);

struct Command
{
    QString name;
    QString summary; // one line in the overview of velunda-cli --help
    QString usage; // velunda-cli NAME --help
    std::function<int(const QStringList &args)> run; // without --help; returns the exit status
    bool paints = false; // renders pages and needs fonts: runs in a QGuiApplication
};

Command initDbCommand();
Command eventsCommand();
Command rankListCommand();
Command scorecardsCommand();
Command checkCommand();
Command importTeamsCommand();
Command backupCommand();
Command backupsCommand();
Command restoreCommand();
Command logCommand();
Command startListCommand();
Command serveCommand();

} // namespace Cli
