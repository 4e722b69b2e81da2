#include "cli/Cli.h"
#include "data/DataLibrary.h"
#include "engine/Database.h"
#include "engine/Statement.h"

namespace Cli {

Command eventsCommand()
{
    Command c;
    c.name = QStringLiteral("events");
    c.summary = QStringLiteral("listet die Anlässe mit Rangberechnung und Zahl der Meldungen");
    c.usage = QStringLiteral(
        "Aufruf: velunda-cli events [VERZEICHNIS]\n"
        "\n"
        "Gibt für jeden Anlass der Datenbank eine Zeile aus, die Felder durch Tabulatoren\n"
        "getrennt: Nummer, Name, Rangberechnung (wie das Programm sie anzeigt) und Zahl\n"
        "der Meldungen (Teams, Gruppen und Mitglieder von Gruppen).\n");
    c.run = [](const QStringList &args) {
        Arguments a(args, {});
        a.expectPositional({QStringLiteral("VERZEICHNIS")});
        Database db;
        openDatabase(db, a.positional.first());
        Statement s(
            db,
            QStringLiteral("SELECT a.AnlassNr, a.AnlassBez, a.Rangberechnung, a.PunkteSort, "
                           "a.ZeitSort, count(e.TeamNr) FROM Anlass a "
                           "LEFT JOIN TeamsProAnlass e ON e.AnlassNr = a.AnlassNr "
                           "GROUP BY a.AnlassNr ORDER BY a.AnlassNr"));
        while (s.next()) {
            out() << s.integer(0) << '\t' << s.text(1) << '\t'
                  << DataLibrary::CalcRangberechnung(s.text(2), int(s.integer(3)),
                                                     int(s.integer(4)))
                  << '\t' << s.integer(5) << '\n';
        }
        return 0;
    };
    return c;
}

} // namespace Cli
