#include "cli/Cli.h"
#include "data/DataLibrary.h"
#include "engine/Database.h"
#include "participants/Entries.h"
#include "participants/TeamImport.h"

namespace Cli {

namespace {

QString describe(const TeamImportLine &line)
{
    return line.team.Name + QLatin1Char(' ') + line.team.Vorname + QStringLiteral(", ")
        + line.team.Hund + QStringLiteral(" (") + line.category + QLatin1Char(')');
}

} // namespace

Command importTeamsCommand()
{
    Command c;
    c.name = QStringLiteral("import-teams");
    c.summary = QStringLiteral("importiert Teams aus einer CSV-Datei");
    c.usage = QStringLiteral(
        "Aufruf: velunda-cli import-teams [VERZEICHNIS] DATEI [--event N] [--dry-run]\n"
        "\n"
        "Liest Teams aus DATEI, einer CSV-Datei mit Kopfzeile. Die Spalten, in beliebiger\n"
        "Reihenfolge: Name, Vorname, Verein, Hund, Rasse, Kategorie, dazu wahlweise\n"
        "Zusatzspiel (Ja/Nein, 1/0 oder x) und StartNr (0 bis 999). Trennzeichen Semikolon,\n"
        "Komma oder Tabulator, Zeichensatz UTF-8 oder Windows-1252: beides wird erkannt.\n"
        "Die Kategorie wird über ihren Namen gefunden, Gross-/Kleinschreibung zählt nicht.\n"
        "\n"
        "Ein Team, das es schon gibt (gleicher Name, Vorname und Hund), wird übersprungen.\n"
        "Enthält auch nur eine Zeile einen Fehler, wird nichts importiert und jede\n"
        "fehlerhafte Zeile mit ihrer Nummer genannt; sonst werden alle neuen Teams in\n"
        "einem Zug gespeichert. Vorher entsteht eine Sicherung der Datenbank.\n"
        "Eine Datei mit Steuerzeichen (etwa NUL) in einem Feld, eine über 50 MB oder\n"
        "etwas anderes als eine gewöhnliche Datei wird abgewiesen.\n"
        "\n"
        "  --event N   fügt jedes Team der Datei, neu oder schon vorhanden, in Anlass N\n"
        "              ein, wie \"Team in Anlass einfügen\" es tut (Startnummer und ein\n"
        "              leeres Ergebnis je aktivem Posten), im selben Zug wie der Import\n"
        "  --dry-run   zeigt nur, was geschähe, und speichert nichts\n");
    c.run = [](const QStringList &args) {
        Arguments a(args, {QStringLiteral("--event")}, {QStringLiteral("--dry-run")});
        a.expectPositional({QStringLiteral("VERZEICHNIS"), QStringLiteral("DATEI")});
        const bool dryRun = a.has(QStringLiteral("--dry-run"));
        const bool entering = a.has(QStringLiteral("--event"));
        const int anlassNr = entering ? a.integer(QStringLiteral("--event")) : 0;
        DataLibrary data;
        Database &db = data.db();
        openDatabase(db, a.positional.at(0));
        if (entering && !data.ReadEvent(anlassNr))
            throw Failure(QStringLiteral("Den Anlass %1 gibt es nicht.").arg(anlassNr));
        TeamImport import(db);
        import.load(a.positional.at(1));
        if (!import.fileError().isEmpty())
            throw Failure(import.fileError());
        out() << "Datei " << a.positional.at(1) << " (" << import.encodingName() << ", "
              << import.separatorName() << ")\n";
        for (const QString &note : import.notes())
            out() << "Hinweis: " << note << "\n";
        for (const TeamImportLine &line : import.lines()) {
            if (line.status == TeamImportLine::Status::Error)
                err() << "Zeile " << line.lineNumber << ": Fehler: " << line.reasonText() << "\n";
            else if (line.status == TeamImportLine::Status::Duplicate)
                out() << "Zeile " << line.lineNumber << ": übersprungen: " << describe(line)
                      << " – " << line.reasonText() << "\n";
            else
                out() << "Zeile " << line.lineNumber << ": neu: " << describe(line) << "\n";
        }
        const int errors = import.count(TeamImportLine::Status::Error);
        if (errors > 0)
            throw Failure(
                QStringLiteral("%1 fehlerhafte %2; es wurde nichts importiert.")
                    .arg(errors)
                    .arg(errors == 1 ? QStringLiteral("Zeile") : QStringLiteral("Zeilen")));
        const int skipped = import.count(TeamImportLine::Status::Duplicate);
        if (import.lines().isEmpty()) {
            out() << "Die Datei enthält keine Teams.\n";
            return 0;
        }
        if (dryRun) {
            out() << "Probelauf: " << import.count(TeamImportLine::Status::New)
                  << " Teams würden importiert, " << skipped << " übersprungen"
                  << (entering ? QStringLiteral(", alle in Anlass %1 eingefügt").arg(anlassNr)
                               : QString())
                  << "; es wurde nichts gespeichert.\n";
            return 0;
        }
        takeSnapshotOrWarn(db, QStringLiteral("Teams importieren"),
                           QStringLiteral("Der Import geht ohne Sicherung weiter."));
        int entered = 0;
        const auto enter = [&](int teamNr) {
            entered += Entries::EnterInto(data, anlassNr, teamNr, false, 0) ? 1 : 0;
        };
        const int written = entering ? import.write(enter) : import.write();
        out() << written << " Teams importiert, " << import.count(TeamImportLine::Status::Duplicate)
              << " übersprungen";
        if (entering)
            out() << ", " << entered << " in Anlass " << anlassNr << " eingefügt";
        out() << ".\n";
        return 0;
    };
    return c;
}

} // namespace Cli
