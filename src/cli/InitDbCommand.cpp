#include "cli/Cli.h"
#include "engine/Database.h"

namespace Cli {

Command initDbCommand()
{
    Command c;
    c.name = QStringLiteral("init-db");
    c.summary = QStringLiteral("legt die acht leeren Tabellen einer neuen Datenbank an");
    c.usage = QStringLiteral(
        "Aufruf: velunda-cli init-db VERZEICHNIS\n"
        "\n"
        "Legt in VERZEICHNIS die acht leeren Tabellen einer neuen Velunda-Datenbank an\n"
        "(Anlass.dat, Team.dat, ...). Ein Verzeichnis, das schon eine davon enthält,\n"
        "wird nicht verändert.\n");
    c.run = [](const QStringList &args) {
        Arguments a(args, {});
        a.expectPositional({QStringLiteral("VERZEICHNIS")}, false);
        Database::createTables(a.positional.first());
        out() << "Leere Datenbank angelegt in " << a.positional.first() << "\n";
        return 0;
    };
    return c;
}

} // namespace Cli
