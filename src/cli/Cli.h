#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <stdexcept>

class Database;

// The companion tool's subcommands. Each lives in a file of its own and is listed once in
// main.cpp; everything a subcommand prints for people is German, errors go to standard error.
namespace Cli {

QTextStream &out();
QTextStream &err();

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
    // The positional values must be exactly these; names them in the error otherwise.
    void expectPositional(const QStringList &names) const;
    int integer(const QString &option) const; // a whole number, or a UsageError

private:
    QHash<QString, QString> m_values;
};

// Opens the database in directory, exactly that one: no fallback as the program has it.
void openDatabase(Database &db, const QString &directory);

struct Command
{
    QString name;
    QString summary; // one line in the overview of velunda-cli --help
    QString usage; // velunda-cli NAME --help
    std::function<int(const QStringList &args)> run; // without --help; returns the exit status
};

Command initDbCommand();
Command eventsCommand();
Command rankListCommand();
Command scorecardsCommand();
Command checkCommand();
Command importTeamsCommand();

} // namespace Cli
