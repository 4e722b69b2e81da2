#include "cli/Cli.h"
#include "engine/Database.h"
#include "engine/DatabaseError.h"
#include "engine/Schema.h"
#include "engine/Statement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

namespace Cli {

namespace {

// SQLite's own check of one table file, on a connection of its own and read-only, so that a
// damaged file is named even when the database as a whole cannot be opened.
QStringList integrityProblems(const QString &file)
{
    const QString uri =
        QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()).toString(QUrl::FullyEncoded)
        + QStringLiteral("?mode=ro");
    sqlite3 *handle = nullptr;
    QStringList problems;
    int rc = sqlite3_open_v2(uri.toUtf8().constData(), &handle,
                             SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    sqlite3_stmt *stmt = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3_prepare_v2(handle, "PRAGMA integrity_check", -1, &stmt, nullptr);
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
        rc = sqlite3_step(stmt);
        if (rc != SQLITE_ROW)
            break;
        const QString line =
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
        if (line != QLatin1String("ok"))
            problems << line;
    }
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        problems << QString::fromUtf8(handle ? sqlite3_errmsg(handle) : sqlite3_errstr(rc));
    sqlite3_finalize(stmt);
    sqlite3_close(handle);
    return problems;
}

struct Dangling
{
    const char *what;
    const char *from; // FROM ... WHERE ... of the rows that point at nothing
    const char *label; // SQL text naming one row
};

const Dangling DanglingKinds[] = {
    {"Meldungen ohne Anlass",
     "TeamsProAnlass x WHERE NOT EXISTS (SELECT 1 FROM Anlass a WHERE a.AnlassNr = x.AnlassNr)",
     "'Anlass ' || x.AnlassNr || ', Team ' || x.TeamNr"},
    {"Meldungen ohne Team",
     "TeamsProAnlass x WHERE NOT EXISTS (SELECT 1 FROM Team t WHERE t.TeamNr = x.TeamNr)",
     "'Anlass ' || x.AnlassNr || ', Team ' || x.TeamNr"},
    {"Meldungen von Gruppenmitgliedern ohne Gruppe",
     "TeamsProAnlass x WHERE x.GroupNr <> 0 AND NOT EXISTS (SELECT 1 FROM Team t WHERE t.TeamNr "
     "= "
     "x.GroupNr AND t.Typ = 2)",
     "'Anlass ' || x.AnlassNr || ', Team ' || x.TeamNr || ', Gruppe ' || x.GroupNr"},
    {"Resultate ohne Meldung",
     "Parcours x WHERE NOT EXISTS (SELECT 1 FROM TeamsProAnlass e WHERE e.AnlassNr = x.AnlassNr "
     "AND "
     "e.TeamNr = x.TeamNr)",
     "'Anlass ' || x.AnlassNr || ', Posten ' || x.PostenNr || ', Team ' || x.TeamNr"},
    {"Resultate ohne Posten",
     "Parcours x WHERE NOT EXISTS (SELECT 1 FROM Posten p WHERE p.PostenNr = x.PostenNr)",
     "'Anlass ' || x.AnlassNr || ', Posten ' || x.PostenNr || ', Team ' || x.TeamNr"},
    {"Gruppenmitgliedschaften ohne Gruppe",
     "TeamsProGruppe x WHERE NOT EXISTS (SELECT 1 FROM Team t WHERE t.TeamNr = x.GruppenNr AND "
     "t.Typ = 2)",
     "'Gruppe ' || x.GruppenNr || ', Team ' || x.TeamNr"},
    {"Gruppenmitgliedschaften ohne Team",
     "TeamsProGruppe x WHERE NOT EXISTS (SELECT 1 FROM Team t WHERE t.TeamNr = x.TeamNr AND "
     "t.Typ = 1)",
     "'Gruppe ' || x.GruppenNr || ', Team ' || x.TeamNr"},
    {"Teams ohne Kategorie",
     "Team x WHERE NOT EXISTS (SELECT 1 FROM Kategorie k WHERE k.KatNr = x.KatNr)",
     "'Team ' || x.TeamNr || ' ' || x.Name || ' (Kategorie ' || x.KatNr || ')'"},
};

constexpr int ShownExamples = 5;

// A rollback journal that SQLite would play back on the next open: left by a change that a
// crash, a power cut or a kill interrupted. One whose header was cleared is a finished one.
bool isHotJournal(const QString &journal)
{
    QFile file(journal);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(1);
    return !head.isEmpty() && head.at(0) != '\0';
}

QStringList superJournals(const QString &directory)
{
    return QDir(directory).entryList({QStringLiteral("*-mj*")}, QDir::Files | QDir::Hidden);
}

} // namespace

Command checkCommand()
{
    Command c;
    c.name = QStringLiteral("check");
    c.summary = QStringLiteral("prüft die Tabellendateien und sucht Zeilen, die ins Leere zeigen");
    c.usage = QStringLiteral(
        "Aufruf: velunda-cli check [VERZEICHNIS]\n"
        "\n"
        "Lässt SQLite jede der acht Tabellendateien prüfen (integrity_check), öffnet die\n"
        "Datenbank und sucht Zeilen, die auf nichts zeigen: Meldungen ohne Anlass, Team\n"
        "oder Gruppe, Resultate ohne Meldung oder Posten, Gruppenmitgliedschaften ohne\n"
        "Gruppe oder Team, Teams ohne Kategorie. Verändert nichts, auch nach einem Absturz\n"
        "nicht: liegen noch Journaldateien einer unterbrochenen Änderung, sagt sie es und\n"
        "prüft die betroffenen Dateien erst, wenn Velunda die Datenbank wieder geöffnet hat.\n"
        "\n"
        "Exit-Status 0, wenn alles in Ordnung ist, sonst 1.\n");
    c.run = [](const QStringList &args) {
        Arguments a(args, {});
        a.expectPositional({QStringLiteral("VERZEICHNIS")});
        const QString directory = a.positional.first();
        requireDirectory(directory);
        int problems = 0;
        bool filesPresent = true;
        QStringList journals;
        QList<Schema::Table> files = Schema::tables();
        if (QFileInfo::exists(QDir(directory).filePath(Schema::changeLog().fileName())))
            files << Schema::changeLog();
        for (const Schema::Table &table : std::as_const(files)) {
            const QString journal = table.fileName() + QStringLiteral("-journal");
            if (isHotJournal(QDir(directory).filePath(journal)))
                journals << journal;
        }
        if (!journals.isEmpty()) {
            ++problems;
            out() << "Die Datenbank wurde nicht sauber geschlossen: eine Änderung wurde "
                     "mittendrin unterbrochen (Absturz, Stromausfall oder ein beendetes "
                     "Programm). Es liegen noch Journaldateien: "
                  << (journals + superJournals(directory)).join(QStringLiteral(", ")) << ".\n"
                  << "Velunda vervollständigt die unterbrochene Änderung oder macht sie "
                     "rückgängig, sobald es die Datenbank das nächste Mal öffnet; was vorher "
                     "gespeichert war, bleibt erhalten. Die Prüfung verändert nichts und prüft "
                     "die betroffenen Dateien deshalb erst danach: Öffnen Sie die Datenbank mit "
                     "Velunda und prüfen Sie noch einmal.\n";
        }
        for (const Schema::Table &table : std::as_const(files)) {
            const QString file = QDir(directory).filePath(table.fileName());
            if (!QFileInfo(file).isFile()) {
                out() << table.fileName() << ": fehlt\n";
                ++problems;
                filesPresent = false;
                continue;
            }
            if (journals.contains(table.fileName() + QStringLiteral("-journal"))) {
                out() << table.fileName() << ": noch nicht geprüft (unterbrochene Änderung)\n";
                continue;
            }
            const QStringList found = integrityProblems(file);
            if (found.isEmpty()) {
                out() << table.fileName() << ": in Ordnung\n";
                continue;
            }
            problems += int(found.size());
            for (const QString &p : found)
                out() << table.fileName() << ": " << p << "\n";
        }

        if (filesPresent && journals.isEmpty()) {
            Database db;
            try {
                db.openReadOnly(directory);
                for (const Dangling &kind : DanglingKinds) {
                    const QString from = QString::fromLatin1(kind.from);
                    Statement count(db, QStringLiteral("SELECT count(*) FROM ") + from);
                    count.next();
                    const qint64 n = count.integer(0);
                    if (n == 0)
                        continue;
                    problems += int(n);
                    Statement examples(
                        db,
                        QStringLiteral("SELECT ") + QString::fromLatin1(kind.label)
                            + QStringLiteral(" FROM ") + from
                            + QStringLiteral(" ORDER BY 1 LIMIT %1").arg(ShownExamples));
                    QStringList shown;
                    while (examples.next())
                        shown << examples.text(0);
                    if (n > ShownExamples)
                        shown << QStringLiteral("…");
                    out() << QString::fromUtf8(kind.what) << ": " << n << " ("
                          << shown.join(QStringLiteral("; ")) << ")\n";
                }
            } catch (const DatabaseError &e) {
                out() << "Die Datenbank lässt sich nicht öffnen: " << e.message() << "\n";
                ++problems;
            }
        }

        if (problems == 0) {
            out() << "Alles in Ordnung.\n";
            return 0;
        }
        err() << "Die Prüfung hat " << problems << (problems == 1 ? " Problem" : " Probleme")
              << " gefunden.\n";
        return 1;
    };
    return c;
}

} // namespace Cli
