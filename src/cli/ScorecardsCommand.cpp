#include "app/Competition.h"
#include "cli/Cli.h"
#include "data/DataLibrary.h"
#include "reportengine/render/PageSequence.h"
#include "reportengine/render/ReportRenderer.h"
#include "reports/Scorecards.h"

#include <QDir>
#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>

namespace Cli {

namespace {

const QString AllCardsQuestion =
    QStringLiteral("Wollen Sie die Bewertungsbögen von allen Teams ausdrucken?");

QString cannotWrite(const QString &file, const QString &reason)
{
    const QString shown = QDir::toNativeSeparators(file);
    return reason.isEmpty()
        ? QStringLiteral("Die Datei „%1“ konnte nicht gespeichert werden.").arg(shown)
        : QStringLiteral("Die Datei „%1“ konnte nicht gespeichert werden: %2").arg(shown, reason);
}

} // namespace

Command scorecardsCommand()
{
    Command c;
    c.name = QStringLiteral("scorecards");
    c.summary = QStringLiteral("schreibt Bewertungsbögen als PDF");
    c.usage = QStringLiteral(
        "Aufruf: velunda-cli scorecards [VERZEICHNIS] --event N (--team T | --blank | --all)\n"
        "        -o DATEI.pdf\n"
        "\n"
        "Schreibt die Bewertungsbögen des Anlasses N, die das Programm drucken würde, als\n"
        "Seiten einer PDF-Datei:\n"
        "\n"
        "  --team T  den Bogen des gemeldeten Teams oder der Gruppe mit der Nummer T\n"
        "            (TeamNr), bei einer Gruppe danach je einen für ihre Mitglieder;\n"
        "  --blank   den leeren Bogen;\n"
        "  --all     je einen Bogen für alle Teams und Gruppen der Teilnehmerliste, in\n"
        "            der Reihenfolge der Startnummern (Mitglieder von Gruppen keinen).\n"
        "\n"
        "Die Datenbank bleibt unverändert.\n");
    c.paints = true;
    c.run = [](const QStringList &args) {
        Arguments a(args,
                    {QStringLiteral("--event"), QStringLiteral("--team"), QStringLiteral("-o")},
                    {QStringLiteral("--blank"), QStringLiteral("--all")});
        a.expectPositional({QStringLiteral("VERZEICHNIS")});
        if (!a.has(QStringLiteral("--event")))
            throw UsageError(QStringLiteral("Die Option --event fehlt."));
        const int anlassNr = a.integer(QStringLiteral("--event"));
        const int choices = int(a.has(QStringLiteral("--team")))
            + int(a.has(QStringLiteral("--blank"))) + int(a.has(QStringLiteral("--all")));
        if (choices != 1)
            throw UsageError(QStringLiteral("Geben Sie genau eine der Optionen --team, --blank "
                                            "und --all an."));
        const int teamNr =
            a.has(QStringLiteral("--team")) ? a.integer(QStringLiteral("--team")) : 0;
        if (a.has(QStringLiteral("--team")) && teamNr < 1)
            throw UsageError(QStringLiteral("Die Teamnummer muss grösser als 0 sein."));
        QString file = a.value(QStringLiteral("-o"));
        if (file.isEmpty())
            throw UsageError(QStringLiteral("Die Option -o DATEI.pdf fehlt."));
        const QString suffix = QFileInfo(file).suffix();
        if (suffix.isEmpty())
            file += QStringLiteral(".pdf");
        else if (suffix.compare(QLatin1String("pdf"), Qt::CaseInsensitive) != 0)
            throw UsageError(
                QStringLiteral("Bewertungsbögen werden nur als PDF geschrieben (-o DATEI.pdf)."));

        // The cards the program would send to the printer as one job become the pages of one
        // file, each card painted as soon as it is made, so that a large event needs the memory
        // of one card. The file is replaced only when it was written completely.
        QSaveFile target(file);
        if (!target.open(QIODevice::WriteOnly))
            throw Failure(cannotWrite(file, target.errorString()));
        int pages = 0;
        {
            QPdfWriter writer(&target);
            writer.setCreator(QStringLiteral("Velunda"));
            Render::PageSequence sequence(&writer);
            int cards = 0;
            {
                EventSession session(a.positional.first(), anlassNr);
                session.ui().batchPrinter = [&](const QString &title, int count,
                                                const UserInterface::ReportSource &report) {
                    writer.setTitle(title);
                    for (int i = 0; i < count; ++i) {
                        const Report::ReportDocument *card = report(i);
                        if (!card)
                            continue;
                        if (!sequence.add(Render::ReportRenderer(*card)))
                            throw Failure(cannotWrite(file, QString()));
                        ++cards;
                    }
                    return true;
                };
                Scorecards &scorecards = session.competition().scorecards();
                if (a.has(QStringLiteral("--team"))) {
                    if (!session.data().ReadTeam(teamNr))
                        throw Failure(QStringLiteral("Das Team %1 gibt es nicht.").arg(teamNr));
                    if (!session.data().ReadEntry(anlassNr, teamNr))
                        throw Failure(QStringLiteral("Das Team %1 ist im Anlass %2 nicht gemeldet.")
                                          .arg(teamNr)
                                          .arg(anlassNr));
                    scorecards.OutputScorecards(true, teamNr);
                } else if (a.has(QStringLiteral("--blank"))) {
                    scorecards.OutputScorecards(true, 0);
                } else {
                    session.ui().confirmations << AllCardsQuestion;
                    scorecards.PrintAllScorecardsItemClick();
                }
                session.throwReportedError();
            }
            if (cards == 0)
                throw Failure(QStringLiteral("Im Anlass %1 ist niemand gemeldet: es gibt keine "
                                             "Bewertungsbögen.")
                                  .arg(anlassNr));
            if (!sequence.finish())
                throw Failure(cannotWrite(file, QString()));
            pages = sequence.pageCount();
        }
        if (!target.commit())
            throw Failure(cannotWrite(file, target.errorString()));
        out() << "Bewertungsbögen geschrieben: " << QDir::toNativeSeparators(file) << " (" << pages
              << (pages == 1 ? " Seite" : " Seiten") << ")\n";
        return 0;
    };
    return c;
}

} // namespace Cli
