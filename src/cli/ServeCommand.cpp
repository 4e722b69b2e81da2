#include "cli/Cli.h"
#include "data/DataLibrary.h"
#include "engine/Database.h"
#include "engine/DatabaseError.h"
#include "live/LiveServer.h"
#include "live/PostAccess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace Cli {

namespace {

#ifdef Q_OS_UNIX
int signalPipe[2] = {-1, -1};

// Only what is safe in a signal handler: one byte into a pipe that the event loop watches.
extern "C" void onStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM end the event loop, so that the server closes its connections and the
// database as on any other way out.
void quitOnSignals(QObject *context)
{
    if (::pipe(signalPipe) != 0)
        return;
    ::fcntl(signalPipe[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(signalPipe[1], F_SETFD, FD_CLOEXEC);
    ::fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [notifier] {
        char byte;
        [[maybe_unused]] const auto read = ::read(signalPipe[0], &byte, 1);
        notifier->setEnabled(false);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}
#else
void quitOnSignals(QObject *)
{
    // Elsewhere Ctrl+C ends the process as it is; the server keeps nothing to be saved.
}
#endif

quint16 portOption(const Arguments &a)
{
    if (!a.has(QStringLiteral("--port")))
        return LiveServer::DefaultPort;
    const int port = a.integer(QStringLiteral("--port"));
    if (port < 0 || port > 65535)
        throw UsageError(
            QStringLiteral("Der Port ist eine Zahl von 1 bis 65535, nicht %1.").arg(port));
    return quint16(port);
}

QHostAddress bindOption(const Arguments &a)
{
    if (!a.has(QStringLiteral("--bind")))
        return QHostAddress::Any;
    const QString text = a.value(QStringLiteral("--bind")).trimmed();
    if (text == QLatin1String("localhost"))
        return QHostAddress::LocalHost;
    const QHostAddress address(text);
    if (address.isNull())
        throw UsageError(QStringLiteral("„%1“ ist keine IP-Adresse.").arg(text));
    return address;
}

} // namespace

Command serveCommand()
{
    Command c;
    c.name = QStringLiteral("serve");
    c.summary = QStringLiteral(
        "zeigt die Ranglisten live im Netzwerk und nimmt die Ergebnisse der Posten an");
    c.usage = QStringLiteral(
        "Aufruf: velunda-cli serve [VERZEICHNIS] --event N [--port P] [--bind ADRESSE]\n"
        "\n"
        "Zeigt die Ranglisten des Anlasses N im lokalen Netzwerk: jedes Telefon und der\n"
        "Beamer öffnen eine der ausgegebenen Adressen (Zeilen „Live: …“) im Browser und\n"
        "sehen den aktuellen Stand, ohne neu zu laden. Das Programm und andere Befehle\n"
        "arbeiten daneben weiter, und ihre Änderungen erscheinen innert zwei Sekunden.\n"
        "Strg+C (oder SIGTERM) beendet ihn.\n"
        "\n"
        "Für jeden aktiven Posten gibt er eine Zeile „Posten N Name: Adresse Code C“ aus:\n"
        "Mit dem Code meldet sich der Richter des Postens auf der Seite an und gibt die\n"
        "Punkte und Zeiten seines Postens selbst ein. Die Codes gelten nur, bis der\n"
        "Server beendet wird; jeder Start zieht neue.\n"
        "\n"
        "  --port P      Vorgabe 8080; 0 wählt einen freien Port.\n"
        "  --bind ADRESSE  nur auf dieser Adresse erreichbar (z. B. 127.0.0.1);\n"
        "                Vorgabe: alle Adressen dieses Computers.\n");
    c.run = [](const QStringList &args) {
        Arguments a(
            args, {QStringLiteral("--event"), QStringLiteral("--port"), QStringLiteral("--bind")});
        a.expectPositional({DatabaseArgument});
        if (!a.has(QStringLiteral("--event")))
            throw UsageError(QStringLiteral("Die Option --event fehlt."));
        const int anlassNr = a.integer(QStringLiteral("--event"));
        const quint16 port = portOption(a);
        const QHostAddress address = bindOption(a);
        const QString directory = a.positional.first();
        if (!QFileInfo(QDir(directory).filePath(QStringLiteral("Anlass.dat"))).isFile())
            throw Failure(QStringLiteral("Im Verzeichnis %1 liegt keine Velunda-Datenbank "
                                         "(Anlass.dat fehlt).")
                              .arg(QDir::toNativeSeparators(directory)));

        LiveServer server;
        server.setSource(directory, anlassNr);
        {
            // Checked once at the start; later the board says so itself.
            DataLibrary data;
            data.db().openReadOnly(directory);
            if (!data.ReadEvent(anlassNr))
                throw Failure(QStringLiteral("Den Anlass %1 gibt es nicht.").arg(anlassNr));
        }
        try {
            server.start(port, address);
        } catch (const LiveError &e) {
            throw Failure(e.message());
        }
        quitOnSignals(&server);
        for (const QUrl &url : server.urls())
            out() << "Live: " << url.toString() << "\n";
        for (const PostCode &post : server.postCodes())
            out() << "Posten " << post.postenNr << " " << post.postenBez << ": "
                  << server.postUrl(post.postenNr).toString() << " Code " << post.code << "\n";
        out().flush();
        QCoreApplication::exec();
        server.stop();
        out() << "Live-Server beendet.\n";
        return 0;
    };
    return c;
}

} // namespace Cli
