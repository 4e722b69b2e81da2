#pragma once

#include "backup/Snapshots.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

class Competition;

// The program's safety net over the open database: a snapshot before every command that
// deletes or rewrites many rows and now and then while results are entered, the undo of the
// last such command, and the restore of any snapshot. A snapshot that fails is reported once
// and never stops the evening.
class Safeguard
{
public:
    explicit Safeguard(Competition &competition);

    static constexpr int ResultEntryInterval = 10 * 60; // seconds

    // A command of that kind, from the operator's Yes on: the snapshot is taken when it is
    // made; done() after its change has been stored makes it the one that undo takes back.
    class Command
    {
    public:
        Command(Safeguard &safeguard, const QString &caption);
        void done();

    private:
        Safeguard &m_safeguard;
        QString m_caption;
        int m_eventNr; // open when the command was given
        std::optional<Snapshot> m_snapshot;
    };

    // Before results are stored: a snapshot when the last one is ten minutes old or more.
    void ResultsEntered();

    // "Rückgängig: <command>", or "Rückgängig" when there is nothing to undo.
    QString undoCaption() const;
    bool hasUndo() const { return m_undo.has_value(); }
    // Undo is offered only while nothing has changed since the command, so that undoing it
    // never takes back a later result.
    bool canUndo();
    void UndoItemClick();

    // "Sicherung wiederherstellen ...": the list of snapshots, a Yes/No question, the restore.
    void RestoreItemClick();

    // Tests set the clock.
    std::function<QDateTime()> clock = [] {
        return QDateTime::currentDateTime();
    };

private:
    std::optional<Snapshot> takeSnapshot(const QString &cause);
    void restore(const Snapshot &snapshot, const QString &caption, int eventNr);
    bool ensureOpen();
    QByteArray fingerprint();

    struct UndoPoint
    {
        Snapshot snapshot;
        QString caption;
        QByteArray fingerprint;
        int eventNr;
    };

    Competition &m_competition;
    std::optional<UndoPoint> m_undo;
    QDateTime m_lastSnapshot;
    bool m_failureReported = false;
};
