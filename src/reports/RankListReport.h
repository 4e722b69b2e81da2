#pragma once

#include "reportengine/ReportDefinition.h"

class Competition;

// The rank list (TRptRankListForm): the numbered, finished and not yet printed participants
// of the rank table in rank order, one line each, under the event's name and the kind of list.
class RankListReport
{
public:
    // Kinds of list, as the rank list dialog offers them.
    enum Kind { Normal = 0, AddGame = 1, Both = 2 };

    explicit RankListReport(Competition &competition);

    // Titles, value columns and rows for a list of katNr (0: all categories); the rows are
    // read from their first. withPrinted lists also the participants already marked printed.
    void PrepareRankList(int katNr, int kind, bool groupList, bool withPrinted = false);
    // The leading quantity of the rank method stands first.
    void ArrangeValueColumns();
    // Marks the listed participants from the current row to the end as printed, all or none.
    void MarkListedPrinted(bool additionalGame);
    void MarkEntryPrinted(int teamNr, bool additionalGame);

    const Report::ReportDocument &document() const { return m_document; }
    int currentRow() const { return m_currentRow; }

    // The report's layout, before any list has been prepared.
    static Report::ReportDocument layout();

private:
    Competition &m_competition;
    Report::ReportDocument m_document;
    int m_currentRow = 0;
};
