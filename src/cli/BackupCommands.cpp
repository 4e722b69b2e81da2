#include "backup/Snapshots.h"
#include "cli/Cli.h"
#include "engine/Database.h"

#include <QDir>
#include <QFileInfo>

namespace Cli {

namespace {

QString line(const Snapshot &s)
{
    return s.name + QLatin1Char('\t') + s.time.toString(QStringLiteral("dd.MM.yyyy"))
        + QLatin1Char('\t') + s.time.toString(QStringLiteral("HH:mm:ss")) + QLatin1Char('\t')
        + s.cause;
}

} // namespace

Command backupCommand()
{
    Command c;
    c.name = QStringLiteral("backup");
    c.summary = QStringLiteral("legt jetzt eine Sicherung der Datenbank an");
    c.usage = QStringLiteral(
        "Aufruf: velunda-cli backup [VERZEICHNIS]\n"
        "\n"
        "Legt im Ordner \"Sicherungen\" der Datenbank eine Sicherung aller Tabellen und des\n"
        "Protokolls an, alle vom selben Augenblick, und gibt ihren Namen aus. Velunda legt\n"
        "selbst eine an vor jedem Befehl, der viele Zeilen löscht oder ändert, und alle\n"
        "zehn Minuten, während Ergebnisse eingegeben werden. Behalten werden die letzten\n"
        "30 und von jedem Tag die letzte.\n");
    c.run = [](const QStringList &args) {
        Arguments a(args, {});
        a.expectPositional({QStringLiteral("VERZEICHNIS")});
        Database db;
        openDatabase(db, a.positional.first());
        const Snapshot s = Snapshots::take(db, QStringLiteral("von Hand"));
        out() << "Sicherung " << s.name << " angelegt in " << QDir::toNativeSeparators(s.path)
              << "\n";
        return 0;
    };
    return c;
}

Command backupsCommand()
{
    Command c;
    c.name = QStringLiteral("backups");
    c.summary = QStringLiteral("listet die Sicherungen, die neueste zuerst");
    c.usage = QStringLiteral(
        "Aufruf: velunda-cli backups [VERZEICHNIS]\n"
        "\n"
        "Gibt für jede Sicherung der Datenbank eine Zeile aus, die neueste zuerst, die\n"
        "Felder durch Tabulatoren getrennt: der Name (den restore nimmt), Datum, Uhrzeit\n"
        "und der Befehl, vor dem sie entstand. Verändert nichts.\n");
    c.run = [](const QStringList &args) {
        Arguments a(args, {});
        a.expectPositional({QStringLiteral("VERZEICHNIS")});
        const QString directory = a.positional.first();
        requireDirectory(directory);
        const QList<Snapshot> all = Snapshots::list(directory);
        if (all.isEmpty())
            err() << "Keine Sicherungen in "
                  << QDir::toNativeSeparators(Snapshots::folder(directory)) << "\n";
        for (const Snapshot &s : all)
            out() << line(s) << "\n";
        return 0;
    };
    return c;
}

Command restoreCommand()
{
    Command c;
    c.name = QStringLiteral("restore");
    c.summary = QStringLiteral("stellt eine Sicherung wieder her");
    c.usage = QStringLiteral(
        "Aufruf: velunda-cli restore [VERZEICHNIS] NAME\n"
        "\n"
        "Sichert zuerst den jetzigen Stand und setzt dann alle Tabellen auf den Stand der\n"
        "Sicherung NAME (wie velunda-cli backups sie nennt; der Anfang des Namens genügt,\n"
        "wenn er eindeutig ist). Das geschieht in einem Zug: ein Absturz mittendrin lässt\n"
        "die Datenbank, wie sie war. Das Protokoll bleibt und verzeichnet jede Änderung\n"
        "von Ergebnissen, Fertig- und Gedruckt-Marken und Startnummern als\n"
        "\"Wiederherstellung\".\n");
    c.run = [](const QStringList &args) {
        Arguments a(args, {});
        a.expectPositional({QStringLiteral("VERZEICHNIS"), QStringLiteral("NAME")});
        const QString directory = a.positional.at(0);
        Database db;
        openDatabase(db, directory);
        const std::optional<Snapshot> chosen = Snapshots::find(directory, a.positional.at(1));
        if (!chosen)
            throw Failure(QStringLiteral("Eine Sicherung „%1“ gibt es nicht (oder der Name passt "
                                         "auf mehrere); velunda-cli backups %2 listet sie.")
                              .arg(a.positional.at(1), directory));
        const Snapshot before = Snapshots::take(db, QStringLiteral("Sicherung wiederherstellen"));
        Snapshots::restore(db, *chosen);
        out() << "Stand vom " << chosen->timeText() << " (" << chosen->cause
              << ") wiederhergestellt; der vorherige Stand ist als Sicherung " << before.name
              << " erhalten.\n";
        return 0;
    };
    return c;
}

} // namespace Cli
