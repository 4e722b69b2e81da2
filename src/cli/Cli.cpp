#include "cli/Cli.h"

#include "engine/Database.h"

#include <QDir>
#include <QFileInfo>

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

void Arguments::expectPositional(const QStringList &names) const
{
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

void openDatabase(Database &db, const QString &directory)
{
    if (!QFileInfo(directory).isDir())
        throw Failure(QStringLiteral("Das Datenbankverzeichnis %1 gibt es nicht.")
                          .arg(QDir::toNativeSeparators(directory)));
    db.open(directory);
}

} // namespace Cli
