#include "cli/Cli.h"

namespace Cli {

Command scorecardsCommand()
{
    Command c;
    c.name = QStringLiteral("scorecards");
    c.summary = QStringLiteral("schreibt Bewertungsbogen als PDF (noch nicht verfügbar)");
    c.usage = QStringLiteral(
        "Aufruf: velunda-cli scorecards VERZEICHNIS --event N (--team T | --blank | --all)\n"
        "        -o DATEI.pdf\n"
        "\n"
        "Noch nicht verfügbar.\n");
    c.run = [](const QStringList &) {
        err() << "Der Befehl scorecards ist noch nicht verfügbar.\n";
        return 2;
    };
    return c;
}

} // namespace Cli
