#include "cli/Cli.h"

namespace Cli {

Command rankListCommand()
{
    Command c;
    c.name = QStringLiteral("ranklist");
    c.summary = QStringLiteral("schreibt eine Rangliste (noch nicht verfügbar)");
    c.usage = QStringLiteral(
        "Aufruf: velunda-cli ranklist VERZEICHNIS --event N [--category K|all]\n"
        "        [--kind single|group|additional|combined] [--format csv|pdf|xlsx|html|txt]\n"
        "        [-o DATEI]\n"
        "\n"
        "Noch nicht verfügbar.\n");
    c.run = [](const QStringList &) {
        err() << "Der Befehl ranklist ist noch nicht verfügbar.\n";
        return 2;
    };
    return c;
}

} // namespace Cli
