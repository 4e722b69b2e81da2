#include "app/DataLocation.h"
#include "cli/Cli.h"
#include "engine/DatabaseError.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QStringList>

#include <cstdio>
#include <memory>

namespace {

QList<Cli::Command> commands()
{
    return {Cli::initDbCommand(),     Cli::eventsCommand(), Cli::rankListCommand(),
            Cli::scorecardsCommand(), Cli::checkCommand(),  Cli::importTeamsCommand(),
            Cli::startListCommand(),  Cli::backupCommand(), Cli::backupsCommand(),
            Cli::restoreCommand(),    Cli::logCommand()};
}

QString overview()
{
    QString text = QStringLiteral(
        "Aufruf: velunda-cli BEFEHL [VERZEICHNIS] [ARGUMENTE]\n"
        "\n"
        "Arbeitet ohne Fenster auf der Velunda-Datenbank in VERZEICHNIS und verändert\n"
        "nur, was der Befehl verlangt.\n"
        "\n"
        "Befehle:\n");
    for (const Cli::Command &c : commands())
        text += QStringLiteral("  %1 %2\n").arg(c.name, -14).arg(c.summary);
    text += QStringLiteral("\nOhne VERZEICHNIS gilt die Standard-Datenbank von Velunda:\n  %1\n")
                .arg(QDir::toNativeSeparators(Cli::defaultDatabase()));
    text += QStringLiteral("\nvelunda-cli BEFEHL --help beschreibt einen Befehl.\n"
                           "Exit-Status: 0 erfolgreich, 1 fehlgeschlagen, 2 falscher Aufruf.\n");
    return text;
}

int run(QStringList args)
{
    if (args.isEmpty()) {
        Cli::err() << overview();
        return 2;
    }
    if (args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        Cli::out() << overview();
        return 0;
    }
    const QString name = args.takeFirst();
    for (const Cli::Command &command : commands()) {
        if (command.name != name)
            continue;
        if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
            Cli::out() << command.usage;
            return 0;
        }
        try {
            return command.run(args);
        } catch (const Cli::UsageError &e) {
            Cli::err() << "Fehler: " << e.message() << "\n\n" << command.usage;
            return 2;
        } catch (const Cli::Failure &e) {
            Cli::err() << "Fehler: " << e.message() << "\n";
            return 1;
        } catch (const DatabaseError &e) {
            Cli::err() << "Fehler: " << e.message() << "\n";
            return 1;
        }
    }
    Cli::err() << "Unbekannter Befehl: " << name << "\n\n" << overview();
    return 2;
}

// Fonts and page painting need a QGuiApplication; the other commands do without, so that they
// run where no platform plugin can start.
bool paints(int argc, char *argv[])
{
    if (argc < 2)
        return false;
    const QString name = QString::fromLocal8Bit(argv[1]);
    for (const Cli::Command &c : commands()) {
        if (c.name == name)
            return c.paints;
    }
    return false;
}

// Qt's own remarks (a missing runtime directory, font fallbacks) are English notes for
// developers; standard error is for the command's German messages. VELUNDA_CLI_DEBUG shows them.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg || type == QtCriticalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("VELUNDA_CLI_DEBUG"))
        qInstallMessageHandler(quietMessages);
    std::unique_ptr<QCoreApplication> app;
    if (paints(argc, argv)) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
        // A command-line tool shows no window; it must not need a display to paint pages.
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    DataLocation::setApplicationIdentity();
    const int status = run(QCoreApplication::arguments().mid(1));
    Cli::out().flush();
    Cli::err().flush();
    return status;
}
