#pragma once

#include "data/Rows.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class DataLibrary;
class EventEntries;
class Statement;

// A row of the ordered view of Rang, with the printed and finished flags of the
// participant's own entry in the open event (false when it has none).
struct RankOrderRow
{
    int Rang = 0;
    int TeamNr = 0;
    double Zeit = 0;
    double Punkte = 0;
    int KatNr = 0;
    bool CalcAbgeschlossen = false;
    bool CalcRangBerechnet = false;
    bool CalcZusatzAbgeschlossen = false;
    bool CalcZusatzRangBerechnet = false;
};

// Orders the rank table by the open event's rank method and writes the rank numbers:
// competition ranking (1, 1, 3), 999 for participants that have not finished, and nothing
// for rows that automatic mode passes over because they are printed already. A rank of 0
// in Rang is the empty rank: the column cannot hold NULL.
class RankNumbering
{
public:
    static constexpr int NotFinished = 999;

    // entries: the event's entries as a filling has just read them, to be used instead of
    // reading them again; nullptr reads them for each pass.
    RankNumbering(DataLibrary &data, const EventRow &event, const EventEntries *entries = nullptr);
    ~RankNumbering();

    // The statement of the ordered view.
    static QStringList RankOrderLines(int katNr, const QString &method, int punkteSort,
                                      int zeitSort);
    // Reads the ordered view into orderedRows() and puts the walk on its first row.
    void OpenRankOrder(int katNr, const QString &method);
    const QList<RankOrderRow> &orderedRows() const { return m_rows; }

    // One numbering pass over the rows of katNr (all rows for 0).
    void NumberRanks(int katNr, bool additionalGame);

    // Steps of the pass, on the walk that OpenRankOrder started: the rows that follow and
    // equal (p, z) under the rank method get start, whatever their state.
    void ShareRankWithTies(int start, double p, double z);
    void SetRank(int teamNr, int rank);
    int RankCounter() const { return m_rankCounter; }

private:
    bool atEnd() const { return m_pos >= m_rows.size(); }
    bool ties(const RankOrderRow &row, double p, double z) const;
    const EventEntries &entries();

    DataLibrary &m_data;
    EventRow m_event;
    QString m_method;
    QList<RankOrderRow> m_rows;
    QHash<int, qsizetype> m_rowOf; // TeamNr -> index in m_rows
    qsizetype m_pos = 0;
    int m_rankCounter = 1;
    std::unique_ptr<EventEntries> m_entries;
    const EventEntries *m_sharedEntries = nullptr;
    std::unique_ptr<Statement> m_setRank;
};
