#include "cli/Cli.h"

#include "app/Competition.h"
#include "app/DataLocation.h"
#include "backup/Snapshots.h"
#include "data/DataLibrary.h"
#include "engine/Database.h"
#include "engine/DatabaseError.h"
#include "engine/Transaction.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace Cli {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

UsageError::UsageError(const QString &message)
    : std::runtime_error(message.toStdString()), m_message(message)
{ }

Failure::Failure(const QString &message)
    : std::runtime_error(message.toStdString()), m_message(message)
{ }

Arguments::Arguments(const QStringList &args, const QStringList &valueOptions,
                     const QStringList &flags)
{
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            positional << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        QString name = arg;
        QString value;
        bool inlineValue = false;
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        if (arg.startsWith(QLatin1String("--")) && eq > 0) {
            name = arg.left(eq);
            value = arg.mid(eq + 1);
            inlineValue = true;
        }
        if (flags.contains(name)) {
            if (inlineValue)
                throw UsageError(QStringLiteral("Die Option %1 nimmt keinen Wert.").arg(name));
            m_values.insert(name, QString());
        } else if (valueOptions.contains(name)) {
            if (!inlineValue) {
                if (i + 1 >= args.size())
                    throw UsageError(QStringLiteral("Zur Option %1 fehlt der Wert.").arg(name));
                value = args.at(++i);
            }
            if (m_values.contains(name))
                throw UsageError(QStringLiteral("Die Option %1 ist mehrfach angegeben.").arg(name));
            m_values.insert(name, value);
        } else {
            throw UsageError(QStringLiteral("Unbekannte Option: %1").arg(name));
        }
    }
}

void Arguments::expectPositional(const QStringList &names, bool databaseMayBeLeftOut)
{
    if (databaseMayBeLeftOut && !names.isEmpty() && names.first() == DatabaseArgument
        && positional.size() < names.size())
        positional.prepend(defaultDatabase());
    if (positional.size() < names.size())
        throw UsageError(QStringLiteral("Es fehlt: %1.")
                             .arg(names.mid(positional.size()).join(QStringLiteral(", "))));
    if (positional.size() > names.size())
        throw UsageError(QStringLiteral("Zu viele Argumente: %1")
                             .arg(positional.mid(names.size()).join(QLatin1Char(' '))));
}

int Arguments::integer(const QString &option) const
{
    bool ok = false;
    const int n = value(option).trimmed().toInt(&ok);
    if (!ok)
        throw UsageError(QStringLiteral("Die Option %1 verlangt eine ganze Zahl, nicht „%2“.")
                             .arg(option, value(option)));
    return n;
}

QString defaultDatabase()
{
    return DataLocation::forThisProgram().defaultDatabasePath();
}

void requireDirectory(const QString &directory)
{
    if (!QFileInfo(directory).isDir())
        throw Failure(QStringLiteral("Das Datenbankverzeichnis %1 gibt es nicht.")
                          .arg(QDir::toNativeSeparators(directory)));
}

void openDatabase(Database &db, const QString &directory)
{
    requireDirectory(directory);
    db.open(directory);
}

void writeOut(const QByteArray &bytes)
{
    out().flush();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

bool HeadlessUserInterface::chooseRankList(RankListChoice &choice)
{
    return rankListChooser && rankListChooser(choice);
}

bool HeadlessUserInterface::printReports(const QString &title, int count,
                                         const ReportSource &report)
{
    if (batchPrinter)
        return batchPrinter(title, count, report);
    for (int i = 0; i < count; ++i) {
        if (const Report::ReportDocument *document = report(i))
            printed << *document;
    }
    return true;
}

EventSession::EventSession(const QString &directory, int anlassNr, const QString &snapshotCause)
    : m_data(std::make_unique<DataLibrary>())
{
    requireDirectory(directory);
    // The data module would fall back to the program's own database; a command must not.
    if (!QFileInfo(QDir(directory).filePath(QStringLiteral("Anlass.dat"))).isFile())
        throw Failure(QStringLiteral("Im Verzeichnis %1 liegt keine Velunda-Datenbank "
                                     "(Anlass.dat fehlt).")
                          .arg(QDir::toNativeSeparators(directory)));
    m_data->OpenDatabase(directory);
    if (!m_data->databaseOpen())
        throw Failure(m_data->lastOpenError());
    const std::optional<EventRow> event = m_data->ReadEvent(anlassNr);
    if (!event)
        throw Failure(QStringLiteral("Den Anlass %1 gibt es nicht.").arg(anlassNr));
    m_event = *event;
    m_competition = std::make_unique<Competition>(*m_data, m_ui);
    m_competition->databasePath = directory;
    if (!snapshotCause.isEmpty()) {
        takeSnapshotOrWarn(m_data->db(), snapshotCause,
                           QStringLiteral("Es geht ohne Sicherung weiter."));
    }
    m_undo.emplace(m_data->db());
    m_competition->OpenEvent(anlassNr);
}

EventSession::~EventSession() = default;

void takeSnapshotOrWarn(Database &db, const QString &cause, const QString &goesOn)
{
    try {
        Snapshots::take(db, cause);
    } catch (const DatabaseError &e) {
        err() << "Warnung: " << e.message() << "\n" << goesOn << "\n";
    }
}

void EventSession::throwReportedError() const
{
    if (!m_ui.errors.isEmpty())
        throw Failure(m_ui.errors.first());
}

} // namespace Cli

namespace Cli {

void EventSession::keepChanges()
{
    if (m_undo)
        m_undo->commit();
}

} // namespace Cli
