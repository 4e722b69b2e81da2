#pragma once

#include "data/Rows.h"
#include "reportengine/ReportDefinition.h"

#include <QList>

class Competition;
class DataLibrary;

// The scorecard of one participant (TRptScorecardForm): one row of empty boxes per active
// post, for the judges to write the results in by hand.
class ScorecardReport
{
public:
    explicit ScorecardReport(Competition &competition);

    // Fills the card for a team or a group, or blank for teamNr below 1. False when there is
    // no such team: a card must not show another participant's name.
    bool PrepareScorecard(int teamNr);
    void LayoutScorecardColumns(bool eventHasAddGame, bool playsAddGame);

    const Report::ReportDocument &document() const { return m_document; }

    // The posts of the course now run, in PostenNr order.
    static QList<PostRow> ActivePosts(DataLibrary &data);

private:
    Competition &m_competition;
    Report::ReportDocument m_document;
};
