#include "backup/Safeguard.h"

#include "app/Competition.h"
#include "app/UserInterface.h"
#include "data/DataLibrary.h"
#include "engine/DatabaseError.h"
#include "engine/Schema.h"
#include "engine/Statement.h"

#include <QCryptographicHash>

Safeguard::Safeguard(Competition &competition) : m_competition(competition)
{ }

Safeguard::Command::Command(Safeguard &safeguard, const QString &caption)
    : m_safeguard(safeguard), m_caption(caption),
      m_eventNr(safeguard.m_competition.CurrentAnlassNr()),
      m_snapshot(safeguard.takeSnapshot(caption))
{ }

void Safeguard::Command::done()
{
    // Without a snapshot there is nothing to go back to, and the one before no longer fits.
    if (m_snapshot)
        m_safeguard.m_undo =
            UndoPoint{*m_snapshot, m_caption, m_safeguard.fingerprint(), m_eventNr};
    else
        m_safeguard.m_undo.reset();
}

bool Safeguard::ensureOpen()
{
    // As a menu does after an event was deleted: the database, and an event in it.
    if (!m_competition.data().databaseOpen())
        m_competition.MenuItemClick();
    return m_competition.data().databaseOpen();
}

std::optional<Snapshot> Safeguard::takeSnapshot(const QString &cause)
{
    const QDateTime now = clock();
    m_lastSnapshot = now;
    try {
        if (!ensureOpen())
            throw DatabaseError(m_competition.data().lastOpenError());
        const Snapshot snapshot = Snapshots::take(m_competition.data().db(), cause, now);
        m_failureReported = false;
        return snapshot;
    } catch (const DatabaseError &e) {
        if (!m_failureReported)
            m_competition.ui().showError(
                QStringLiteral("Die automatische Sicherung ist fehlgeschlagen; Velunda arbeitet "
                               "ohne sie weiter und meldet erst wieder, wenn eine Sicherung "
                               "gelungen ist.\n")
                + e.message());
        m_failureReported = true;
        return std::nullopt;
    }
}

void Safeguard::ResultsEntered()
{
    if (!m_lastSnapshot.isValid() || m_lastSnapshot.secsTo(clock()) >= ResultEntryInterval)
        takeSnapshot(QStringLiteral("Ergebniseingabe"));
}

// What the operator's data are now, without what the program rewrites by itself: the rank
// table of the last list, the standing start numbers that opening an event copies, and the
// random draw.
QByteArray Safeguard::fingerprint()
{
    Database &db = m_competition.data().db();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const Schema::Table &table : Schema::tables()) {
        if (table.name == QLatin1String("Rang"))
            continue;
        QStringList columns;
        for (const Schema::Column &c : table.columns) {
            const bool copied = table.name == QLatin1String("Team")
                && (c.name == QLatin1String("StartNr") || c.name == QLatin1String("RandomNum"));
            if (!copied)
                columns << QLatin1Char('"') + c.name + QLatin1Char('"');
        }
        Statement s(db,
                    QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY rowid")
                        .arg(columns.join(QStringLiteral(", ")), table.name));
        hash.addData(table.name.toUtf8());
        while (s.next()) {
            for (int i = 0; i < s.columnCount(); ++i) {
                hash.addData(s.value(i).toString().toUtf8());
                hash.addData(QByteArrayView("\x1f"));
            }
        }
    }
    return hash.result();
}

QString Safeguard::undoCaption() const
{
    return m_undo ? QStringLiteral("Rückgängig: ") + m_undo->caption : QStringLiteral("Rückgängig");
}

bool Safeguard::canUndo()
{
    if (!m_undo)
        return false;
    if (!m_competition.data().databaseOpen())
        return true; // the command itself looks once it has opened the database
    try {
        return fingerprint() == m_undo->fingerprint;
    } catch (const DatabaseError &) {
        return false; // the command itself then says why
    }
}

void Safeguard::UndoItemClick()
{
    if (!m_undo)
        return;
    if (!ensureOpen())
        return;
    UserInterface &ui = m_competition.ui();
    const UndoPoint undo = *m_undo;
    if (fingerprint() != undo.fingerprint) {
        ui.information(
            QStringLiteral("„%1“ kann nicht mehr rückgängig gemacht werden: Seither wurden Daten "
                           "geändert, die dabei verloren gingen.\nEinen früheren Stand holen Sie "
                           "mit „Anlass > Sicherung wiederherstellen ...“ zurück.")
                .arg(undo.caption));
        return;
    }
    if (!ui.askYesNo(QStringLiteral("Wollen Sie „%1“ rückgängig machen?\nDer Stand vom %2 wird "
                                    "wiederhergestellt; der jetzige wird vorher gesichert.")
                         .arg(undo.caption, undo.snapshot.timeText())))
        return;
    restore(undo.snapshot, QStringLiteral("Rückgängig"), undo.eventNr);
    m_undo.reset();
}

void Safeguard::RestoreItemClick()
{
    const int eventNr = m_competition.CurrentAnlassNr();
    if (!ensureOpen())
        return;
    UserInterface &ui = m_competition.ui();
    const QList<Snapshot> snapshots = Snapshots::list(m_competition.data().openedDirectory());
    if (snapshots.isEmpty()) {
        ui.information(QStringLiteral("Für diese Datenbank gibt es noch keine Sicherung."));
        return;
    }
    QStringList items;
    for (const Snapshot &s : snapshots)
        items << s.timeText() + QStringLiteral("   ") + s.cause;
    int index = 0;
    if (!ui.chooseItem(QStringLiteral("Sicherung wiederherstellen"),
                       QStringLiteral("Vorhandene Sicherungen, die neueste zuoberst:"), items,
                       index)
        || index < 0 || index >= snapshots.size())
        return;
    const Snapshot &chosen = snapshots.at(index);
    if (!ui.askYesNo(QStringLiteral("Wollen Sie wirklich den Stand vom %1 („%2“) "
                                    "wiederherstellen?\nDer jetzige Stand wird vorher gesichert; "
                                    "auch dies lässt sich rückgängig machen.")
                         .arg(chosen.timeText(), chosen.cause)))
        return;
    restore(chosen, QStringLiteral("Sicherung wiederherstellen"), eventNr);
}

void Safeguard::restore(const Snapshot &snapshot, const QString &caption, int eventNr)
{
    UserInterface &ui = m_competition.ui();
    Database &db = m_competition.data().db();
    // Without a copy of the present a restore could lose it for good: then nothing is done.
    std::optional<Snapshot> before;
    try {
        before = Snapshots::take(db, caption, clock());
    } catch (const DatabaseError &e) {
        ui.showError(QStringLiteral("Der jetzige Stand lässt sich nicht sichern; die Sicherung "
                                    "vom %1 wird deshalb nicht wiederhergestellt.\n")
                         .arg(snapshot.timeText())
                     + e.message());
        return;
    }
    m_lastSnapshot = clock();
    {
        BusyCursor busy(ui);
        Snapshots::restore(db, snapshot);
    }
    m_undo = UndoPoint{*before, caption, fingerprint(), eventNr};
    // The event that was open when the command was given, if the restored data hold it.
    m_competition.data().CurrentAnlassNr = eventNr;
    m_competition.ReopenDatabase();
}
