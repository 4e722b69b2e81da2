#pragma once

#include "data/Rows.h"
#include "reportengine/ReportDefinition.h"

class Competition;

// The per-post card (TRptScorecard2Form): the bands of the scorecard, but one row per
// participant of the open event for a single post, so that the judge at the post fills in
// the whole field on one sheet.
class PostScorecardReport
{
public:
    explicit PostScorecardReport(Competition &competition);

    // Fills the card for a post, or blank (post name to be written in) without one. The rows
    // are the participants as the main grid lists them, in start-number order.
    void PreparePostScorecard(const PostRow *post);

    const Report::ReportDocument &document() const { return m_document; }

private:
    Competition &m_competition;
    Report::ReportDocument m_document;
};
