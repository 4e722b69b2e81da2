#include "engine/Database.h"
#include "engine/DatabaseError.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

namespace {

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

const char *const Usage = "Aufruf: velunda-cli BEFEHL [ARGUMENTE]\n"
                          "\n"
                          "Befehle:\n"
                          "  init-db VERZEICHNIS   legt die acht leeren Tabellen einer neuen\n"
                          "                        Datenbank im Verzeichnis an\n"
                          "\n"
                          "velunda-cli BEFEHL --help beschreibt einen Befehl.\n";

const char *const InitDbUsage
    = "Aufruf: velunda-cli init-db VERZEICHNIS\n"
      "\n"
      "Legt in VERZEICHNIS die acht leeren Tabellen einer neuen Velunda-Datenbank an\n"
      "(Anlass.dat, Team.dat, ...). Ein Verzeichnis, das schon eine davon enthält,\n"
      "wird nicht verändert.\n";

int initDb(const QStringList &args)
{
    if (args.contains(QStringLiteral("--help"))) {
        out() << InitDbUsage;
        return 0;
    }
    if (args.size() != 1) {
        err() << InitDbUsage;
        return 2;
    }
    Database::createTables(args.first());
    out() << "Leere Datenbank angelegt in " << args.first() << "\n";
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("--help")
        || args.first() == QLatin1String("-h")) {
        (args.isEmpty() ? err() : out()) << Usage;
        return args.isEmpty() ? 2 : 0;
    }
    const QString command = args.takeFirst();
    try {
        if (command == QLatin1String("init-db"))
            return initDb(args);
        err() << "Unbekannter Befehl: " << command << "\n\n" << Usage;
        return 2;
    } catch (const DatabaseError &e) {
        err() << "Fehler: " << e.message() << "\n";
        return 1;
    }
}
