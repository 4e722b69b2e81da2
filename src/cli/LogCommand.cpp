#include "backup/ChangeHistory.h"
#include "cli/Cli.h"
#include "engine/Database.h"
#include "engine/Statement.h"

#include <QDir>
#include <QFileInfo>

namespace Cli {

Command logCommand()
{
    Command c;
    c.name = QStringLiteral("log");
    c.summary = QStringLiteral("zeigt das Protokoll der Änderungen eines Anlasses");
    c.usage = QStringLiteral(
        "Aufruf: velunda-cli log [VERZEICHNIS] --event N [--team T]\n"
        "\n"
        "Gibt die protokollierten Änderungen im Anlass N aus, die älteste zuerst, eine je\n"
        "Zeile, die Felder durch Tabulatoren getrennt: Zeitpunkt, Quelle, Teilnehmer,\n"
        "Posten, Feld, alter und neuer Wert. Protokolliert werden Punkte, Zeiten,\n"
        "Fertig- und Gedruckt-Marken und Startnummern. Punkte stehen, wie sie\n"
        "gespeichert sind: mit dem Faktor des Postens multipliziert.\n"
        "\n"
        "  --team T   nur Teilnehmer T (Nummer); bei einer Gruppe auch ihre Mitglieder\n"
        "\n"
        "Verändert nichts.\n");
    c.run = [](const QStringList &args) {
        Arguments a(args, {QStringLiteral("--event"), QStringLiteral("--team")});
        a.expectPositional({QStringLiteral("VERZEICHNIS")});
        if (!a.has(QStringLiteral("--event")))
            throw UsageError(QStringLiteral("Die Option --event fehlt."));
        const int anlassNr = a.integer(QStringLiteral("--event"));
        const int teamNr =
            a.has(QStringLiteral("--team")) ? a.integer(QStringLiteral("--team")) : 0;
        const QString directory = a.positional.first();
        requireDirectory(directory);
        Database db;
        db.openReadOnly(directory);
        Statement event(db, QStringLiteral("SELECT count(*) FROM Anlass WHERE AnlassNr = :n"));
        event.bind("n", anlassNr);
        if (!event.next() || event.integer(0) == 0)
            throw Failure(QStringLiteral("Den Anlass %1 gibt es nicht.").arg(anlassNr));
        const QList<HistoryLine> lines = ChangeHistory::read(db, anlassNr, teamNr);
        if (lines.isEmpty())
            err() << "Keine protokollierten Änderungen.\n";
        for (const HistoryLine &l : lines)
            out() << l.time << '\t' << l.source << '\t' << l.participant << '\t' << l.post << '\t'
                  << l.field << '\t' << l.oldValue << '\t' << l.newValue << '\n';
        return 0;
    };
    return c;
}

} // namespace Cli
