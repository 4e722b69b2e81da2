#pragma once

#include "data/Rows.h"

#include <QHash>
#include <QSet>

#include <memory>

class DataLibrary;
class EventEntries;
class Statement;

// Fills the working table Rang for one rank list run of the open event: one row per
// participant with its totals. Every category is filled; the numbering at the end restricts
// the ranks to the chosen one (KatNr 0: all).
class RankTable
{
public:
    RankTable(DataLibrary &data, const EventRow &event);
    ~RankTable();

    void ClearRankTable();
    // The single list of the main game: every finished team with result rows; a finished
    // group puts each of its members in, with the member's own totals.
    void FillRankTable(int katNr, bool numberNow);
    // The group list: every entry of the participant list, a group with its members' sums.
    void FillGroupRankTable(int katNr, bool numberNow);
    // Every team whose own entry is finished in the additional game, with those totals.
    void FillAddGameRankTable(int katNr);
    // After FillRankTable without numbering: adds the additional-game totals.
    void MergeAddGameTotals(int katNr);

    // Appends a participant with its main-game totals; the first addition of a TeamNr wins.
    void AddRankEntry(int teamNr, int katNr);

    bool IsParticipantFinished(int teamNr, bool additionalGame);
    int GroupNrOf(int teamNr);
    bool IsGroupEntry(int teamNr);

private:
    struct Totals
    {
        double punkte = 0;
        double zeit = 0;
    };
    struct AddGameTotals
    {
        int teamNr = 0;
        int katNr = 0;
        Totals totals;
    };

    struct ResultTeam
    {
        int teamNr = 0;
        int katNr = 0;
    };

    const EventEntries &entries();
    // Main-game totals of the event's result rows per team, and the teams in TeamNr order.
    void loadTotals();
    // The same per group, over its members' rows.
    const QHash<int, Totals> &groupTotals();
    QList<AddGameTotals> addGameTotals();
    void appendRow(int teamNr, int katNr, const Totals &totals);
    void numberRanks(int katNr, bool additionalGame);
    void beginFilling(bool clear);
    bool isListed(int teamNr);

    DataLibrary &m_data;
    EventRow m_event;
    std::unique_ptr<EventEntries> m_entries;
    bool m_totalsLoaded = false;
    QHash<int, Totals> m_teamTotals;
    QList<ResultTeam> m_resultTeams;
    bool m_groupTotalsLoaded = false;
    QHash<int, Totals> m_groupTotals;
    QSet<int> m_listed; // TeamNr of the rows in Rang
    bool m_listedLoaded = false;
    std::unique_ptr<Statement> m_insert;
};
