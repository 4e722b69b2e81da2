#include "app/Competition.h"
#include "cli/Cli.h"
#include "participants/StartNumbers.h"
#include "reports/StartListReport.h"

namespace Cli {

Command startListCommand()
{
    Command c;
    c.name = QStringLiteral("startlist");
    c.summary = QStringLiteral("schreibt die Startliste, auf Wunsch nach neuer Auslosung");
    c.usage = QStringLiteral(
        "Aufruf: velunda-cli startlist [VERZEICHNIS] --event N [--category K|all] [--draw]\n"
        "        [--format csv|pdf|xlsx|html|txt] [-o DATEI]\n"
        "\n"
        "Schreibt die Startliste des Anlasses N, wie sie das Programm unter „Drucken >\n"
        "Startliste“ zeigt: Startnummer, Name, Hund, Rasse, Verein und Kategorie, nach\n"
        "Startnummern, jede Gruppe gefolgt von ihren Mitgliedern (eingerückt). Ohne -o\n"
        "geht sie auf die Standardausgabe (nur csv, txt und html).\n"
        "\n"
        "  --category K  Nummer oder Name der Kategorie (Gross-/Kleinschreibung egal);\n"
        "                all (Vorgabe) ist „Alle (Gemischt)“.\n"
        "  --draw        vergibt zuerst neue Startnummern, genau wie „Neue Startnummern\n"
        "                vergeben“ im Programm, und SPEICHERT sie in der Datenbank. Ist\n"
        "                die Liste nicht zu schreiben, bleiben die alten Nummern.\n"
        "  --format      Vorgabe: nach der Endung von DATEI, sonst csv.\n"
        "\n"
        "Ohne --draw bleibt die Datenbank unverändert.\n");
    c.paints = true;
    c.run = [](const QStringList &args) {
        Arguments a(args,
                    {QStringLiteral("--event"), QStringLiteral("--category"),
                     QStringLiteral("--format"), QStringLiteral("-o")},
                    {QStringLiteral("--draw")});
        a.expectPositional({QStringLiteral("VERZEICHNIS")});
        if (!a.has(QStringLiteral("--event")))
            throw UsageError(QStringLiteral("Die Option --event fehlt."));
        const int anlassNr = a.integer(QStringLiteral("--event"));
        const Render::ExportFormat format = reportFormat(a);
        checkReportOutput(a, format);
        const QString file = a.value(QStringLiteral("-o"));
        const bool draw = a.has(QStringLiteral("--draw"));

        EventSession session(a.positional.first(), anlassNr,
                             draw ? QStringLiteral("Neue Startnummern") : QString());
        // Every refusal comes before the draw: a wrong call changes nothing.
        const int katNr = categoryNumber(
            session.data(), a.value(QStringLiteral("--category"), QStringLiteral("all")));
        if (draw) {
            session.competition().startNumbers().DrawStartNumbers();
        }
        StartListReport report(session.competition());
        report.PrepareStartList(katNr);
        writeReport(report.document(), file, format, QStringLiteral("Startliste geschrieben: "),
                    QStringLiteral(" Zeilen"));
        if (draw) {
            // Only a list that was written keeps its draw: the numbers and the list agree.
            session.keepChanges();
            (file.isEmpty() ? err() : out())
                << "Neue Startnummern vergeben und gespeichert (Anlass " << anlassNr << ").\n";
        }
        return 0;
    };
    return c;
}

} // namespace Cli
