#pragma once

#include "reportengine/ReportDefinition.h"

class Competition;

// The start list ("Startliste"): the participants of the open event in start-number order,
// each group followed by its members, indented. Clubs print it first, and hand it out.
class StartListReport
{
public:
    explicit StartListReport(Competition &competition);

    // The list of katNr (0: every category, "Alle (Gemischt)"); a group is listed by its own
    // category, its members under it whatever theirs.
    void PrepareStartList(int katNr);
    // "Drucken > Startliste": the operator chooses the category, then the list is previewed or
    // printed. Nothing happens without an open event or when the choice is cancelled.
    void OutputStartList(bool toPrinter);

    const Report::ReportDocument &document() const { return m_document; }

    static Report::ReportDocument layout();

private:
    Competition &m_competition;
    Report::ReportDocument m_document;
};
