#include "app/Competition.h"
#include "cli/Cli.h"
#include "data/DataLibrary.h"
#include "ranking/Ranking.h"
#include "reportengine/render/ExportError.h"
#include "reportengine/render/ReportExport.h"
#include "reportengine/render/ReportTableWriter.h"
#include "reports/RankListReport.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

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

const QList<QPair<QString, ExportFormat>> &formats()
{
    static const QList<QPair<QString, ExportFormat>> list{
        {QStringLiteral("csv"), ExportFormat::Csv},
        {QStringLiteral("pdf"), ExportFormat::Pdf},
        {QStringLiteral("xlsx"), ExportFormat::Xlsx},
        {QStringLiteral("html"), ExportFormat::Html},
        {QStringLiteral("txt"), ExportFormat::Text}};
    return list;
}

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

ExportFormat outputFormat(const Arguments &a)
{
    if (a.has(QStringLiteral("--format"))) {
        const QString value = a.value(QStringLiteral("--format"));
        for (const auto &[name, format] : formats()) {
            if (value == name)
                return format;
        }
        throw UsageError(QStringLiteral("Unbekanntes Format „%1“; möglich sind csv, pdf, xlsx, "
                                        "html und txt.")
                             .arg(value));
    }
    if (!a.has(QStringLiteral("-o")))
        return ExportFormat::Csv;
    const QString file = a.value(QStringLiteral("-o"));
    if (QFileInfo(file).suffix().isEmpty())
        return ExportFormat::Csv; // and the export gives the file its suffix
    const std::optional<ExportFormat> byName = Render::ReportExport::formatForFileName(file);
    for (const auto &[name, format] : formats()) {
        if (byName == format)
            return format;
    }
    throw UsageError(QStringLiteral("Das Format der Datei %1 ist nicht zu erkennen; geben Sie "
                                    "--format an.")
                         .arg(QDir::toNativeSeparators(file)));
}

// The category as the rank list dialog would have it chosen: "all" is "Alle (Gemischt)", a
// number names a category by its KatNr, anything else by its name, ignoring case.
int categoryNumber(DataLibrary &data, const QString &value)
{
    const QString wanted = value.trimmed();
    if (wanted.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0
        || wanted.compare(Ranking::allCategoriesText(), Qt::CaseInsensitive) == 0)
        return 0;
    const QList<CategoryRow> categories = data.Categories();
    bool isNumber = false;
    const int number = wanted.toInt(&isNumber);
    if (isNumber) {
        for (const CategoryRow &c : categories) {
            if (c.KatNr == number)
                return c.KatNr;
        }
    }
    QList<int> matches;
    for (const CategoryRow &c : categories) {
        if (c.KatBez.trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
            matches << c.KatNr;
    }
    if (matches.size() == 1)
        return matches.first();
    if (matches.isEmpty())
        throw Failure(QStringLiteral("Die Kategorie „%1“ gibt es nicht.").arg(value));
    QStringList numbers;
    for (int n : matches)
        numbers << QString::number(n);
    throw Failure(QStringLiteral("Den Namen „%1“ tragen mehrere Kategorien (Nummern %2); geben "
                                 "Sie die Nummer an.")
                      .arg(value, numbers.join(QStringLiteral(", "))));
}

// The document the program's preview shows after a rank list run from the menu with this
// choice. The run is the program's own; nothing is marked as printed.
Report::ReportDocument rankList(EventSession &session, const QString &category,
                                const KindOption &kind)
{
    const int katNr = categoryNumber(session.data(), category);
    if (kind.kind != RankListReport::Normal && !session.event().Zusatzspiel)
        throw Failure(
            QStringLiteral("Der Anlass „%1“ hat kein Zusatzspiel.").arg(session.event().AnlassBez));
    session.ui().rankListChooser = [&](RankListChoice &choice) {
        choice.categoryIndex = int(choice.categoryNumbers.indexOf(katNr));
        choice.kind = kind.kind;
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
        "        [-o DATEI]\n"
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
        "Bei automatischen Ranglisten stehen wie im Programm nur Teilnehmer auf der\n"
        "Liste, die noch auf keiner gedruckten Liste stehen; der Befehl markiert aber\n"
        "niemanden als gedruckt. Die Datenbank bleibt unverändert: auch die Rangtabelle,\n"
        "die jede Rangliste füllt, ist danach wieder, wie sie war.\n");
    c.paints = true;
    c.run = [](const QStringList &args) {
        Arguments a(args,
                    {QStringLiteral("--event"), QStringLiteral("--category"),
                     QStringLiteral("--kind"), QStringLiteral("--format"), QStringLiteral("-o")});
        a.expectPositional({QStringLiteral("VERZEICHNIS")});
        if (!a.has(QStringLiteral("--event")))
            throw UsageError(QStringLiteral("Die Option --event fehlt."));
        const int anlassNr = a.integer(QStringLiteral("--event"));
        const KindOption kind =
            kindOption(a.value(QStringLiteral("--kind"), QStringLiteral("single")));
        const ExportFormat format = outputFormat(a);
        const QString file = a.value(QStringLiteral("-o"));
        if (a.has(QStringLiteral("-o")) && file.isEmpty())
            throw UsageError(QStringLiteral("Zur Option -o fehlt der Dateiname."));
        if (file.isEmpty() && (format == ExportFormat::Pdf || format == ExportFormat::Xlsx))
            throw UsageError(
                QStringLiteral("PDF und Excel werden nur in eine Datei geschrieben (-o DATEI)."));

        Report::ReportDocument document;
        {
            EventSession session(a.positional.first(), anlassNr);
            document = rankList(session,
                                a.value(QStringLiteral("--category"), QStringLiteral("all")), kind);
        }

        if (file.isEmpty()) {
            const Render::ReportTableWriter writer(document);
            QByteArray bytes = format == ExportFormat::Text ? writer.text()
                : format == ExportFormat::Html              ? writer.html(false)
                                                            : writer.csv();
            // The byte order mark is for spreadsheets opening a file, not for a pipe.
            if (bytes.startsWith("\xEF\xBB\xBF"))
                bytes.remove(0, 3);
            writeOut(bytes);
            return 0;
        }
        try {
            const QStringList written =
                Render::ReportExport::exportDocument(document, file, format);
            out() << "Rangliste geschrieben: "
                  << QDir::toNativeSeparators(written.join(QStringLiteral(", "))) << " ("
                  << document.data.rows.size() << " Teilnehmer)\n";
        } catch (const Render::ExportError &e) {
            throw Failure(e.message());
        }
        return 0;
    };
    return c;
}

} // namespace Cli
