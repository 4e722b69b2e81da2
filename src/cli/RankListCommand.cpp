#include "app/Competition.h"
#include "cli/Cli.h"
#include "data/DataLibrary.h"
#include "ranking/Ranking.h"
#include "reports/RankListReport.h"

namespace Cli {

namespace {

using Render::ExportFormat;

struct KindOption
{
    const char *name;
    int kind; // the rank list dialog's choice
    bool groupList; // the group rank list's menu entry
};

const KindOption Kinds[] = {
    {"single", RankListReport::Normal, false},
    {"group", RankListReport::Normal, true},
    {"additional", RankListReport::AddGame, false},
    {"combined", RankListReport::Both, false},
};

KindOption kindOption(const QString &value)
{
    for (const KindOption &k : Kinds) {
        if (value == QLatin1String(k.name))
            return k;
    }
    throw UsageError(QStringLiteral("Unbekannte Art der Rangliste „%1“; möglich sind single, "
                                    "group, additional und combined.")
                         .arg(value));
}

// The document the program's preview shows after a rank list run from the menu with this
// choice. The run is the program's own; nothing is marked as printed.
Report::ReportDocument rankList(EventSession &session, const QString &category,
                                const KindOption &kind, bool withPrinted)
{
    const int katNr = categoryNumber(session.data(), category);
    if (kind.kind != RankListReport::Normal && !session.event().Zusatzspiel)
        throw Failure(
            QStringLiteral("Der Anlass „%1“ hat kein Zusatzspiel.").arg(session.event().AnlassBez));
    session.ui().rankListChooser = [&](RankListChoice &choice) {
        choice.categoryIndex = int(choice.categoryNumbers.indexOf(katNr));
        choice.kind = kind.kind;
        choice.withPrinted = withPrinted;
        return choice.categoryIndex >= 0;
    };
    session.competition().ranking().RunRankList(false, false, kind.groupList);
    session.throwReportedError();
    if (session.ui().previews.size() != 1)
        throw Failure(QStringLiteral("Die Rangliste konnte nicht erstellt werden."));
    return session.ui().previews.first();
}

} // namespace

Command rankListCommand()
{
    Command c;
    c.name = QStringLiteral("ranklist");
    c.summary = QStringLiteral("schreibt eine Rangliste als CSV, PDF, Excel, HTML oder Text");
    c.usage = QStringLiteral(
        "Aufruf: velunda-cli ranklist [VERZEICHNIS] --event N [--category K|all]\n"
        "        [--kind single|group|additional|combined] [--format csv|pdf|xlsx|html|txt]\n"
        "        [--with-printed] [-o DATEI]\n"
        "\n"
        "Erstellt die Rangliste des Anlasses N genau so, wie sie das Programm nach\n"
        "„Rangliste erstellen“ in der Vorschau zeigt, und schreibt sie in DATEI oder, ohne\n"
        "-o, auf die Standardausgabe (nur csv, txt und html).\n"
        "\n"
        "  --category K  Nummer oder Name der Kategorie (Gross-/Kleinschreibung egal);\n"
        "                all (Vorgabe) ist „Alle (Gemischt)“.\n"
        "  --kind        single (Vorgabe): Einzelrangliste, Normaler Anlass;\n"
        "                group: Gruppenrangliste; additional: Zusatzspiel;\n"
        "                combined: Beides (Haupt- und Zusatzspiel).\n"
        "  --format      Vorgabe: nach der Endung von DATEI, sonst csv. CSV: durch\n"
        "                Semikolon getrennt, UTF-8, zuerst Titel und Untertitel, dann die\n"
        "                Kopfzeile mit den Spalten des Berichts; Zahlen mit zwei\n"
        "                Dezimalstellen im Zahlenformat der Sprache (LANG).\n"
        "\n"
        "  --with-printed  der Zwischenstand, wie mit „Auch bereits gedruckte Teams“:\n"
        "                alle fertigen Teilnehmer der Wahl, ob schon auf einer gedruckten\n"
        "                Liste oder nicht, nach den Regeln der Rangberechnung neu\n"
        "                durchnummeriert, als gäbe es keine automatischen Ranglisten.\n"
        "\n"
        "Ohne --with-printed stehen bei automatischen Ranglisten wie im Programm nur\n"
        "Teilnehmer auf der Liste, die noch auf keiner gedruckten Liste stehen. Der\n"
        "Befehl markiert niemanden als gedruckt. Die Datenbank bleibt unverändert: auch\n"
        "die Rangtabelle, die jede Rangliste füllt, ist danach wieder, wie sie war.\n");
    c.paints = true;
    c.run = [](const QStringList &args) {
        Arguments a(args,
                    {QStringLiteral("--event"), QStringLiteral("--category"),
                     QStringLiteral("--kind"), QStringLiteral("--format"), QStringLiteral("-o")},
                    {QStringLiteral("--with-printed")});
        a.expectPositional({QStringLiteral("VERZEICHNIS")});
        if (!a.has(QStringLiteral("--event")))
            throw UsageError(QStringLiteral("Die Option --event fehlt."));
        const int anlassNr = a.integer(QStringLiteral("--event"));
        const KindOption kind =
            kindOption(a.value(QStringLiteral("--kind"), QStringLiteral("single")));
        const ExportFormat format = reportFormat(a);
        checkReportOutput(a, format);
        const QString file = a.value(QStringLiteral("-o"));

        Report::ReportDocument document;
        {
            EventSession session(a.positional.first(), anlassNr);
            document =
                rankList(session, a.value(QStringLiteral("--category"), QStringLiteral("all")),
                         kind, a.has(QStringLiteral("--with-printed")));
        }

        writeReport(document, file, format, QStringLiteral("Rangliste geschrieben: "),
                    QStringLiteral(" Teilnehmer"));
        return 0;
    };
    return c;
}

} // namespace Cli
