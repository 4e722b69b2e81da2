#pragma once

#include "reportengine/ReportDefinition.h"

#include <QString>

// The bands of a scorecard, shared by the participant's card (rows are posts) and the
// per-post card (rows are participants). The card was drawn in screen units of 1/96 inch;
// every measure is kept in those units and converted, so that the boxes meet exactly.
//
// Elements tests and callers address by name:
//   page header: "Title", "StartNrLabel", "StartNrBox", "StartNr", "HeadingLine",
//     "CategoryLine", "FirstHeading", "PunkteHeading", "ZeitHeading", "VisumHeading",
//     "AddGameNameHeading", "AddPunkteHeading", "AddZeitHeading"
//   detail: "NameBox", "RowText", "PunkteBox", "ZeitBox", "VisumBox", "AddPunkteBox",
//     "AddZeitBox"
//   summary: "TotalLabel", "TotalPunkteBox", "TotalZeitBox", "TotalVisumBox",
//     "TotalAddPunkteBox", "TotalAddZeitBox"
//   page footer: "FooterLine", "FooterText"
class ScorecardLayout
{
public:
    static double mm(double screenUnits) { return screenUnits * 25.4 / 96.0; }

    static constexpr double HeaderHeight = 140;
    static constexpr double DetailHeight = 51;
    static constexpr double SummaryHeight = 61;
    static constexpr double FooterHeight = 24;
    static constexpr double NameBoxLeft = 15;

    // A4 portrait, margins of 10 mm, the four bands; the detail band shows the dataset
    // column rowField in the name box, headed by firstHeading.
    static Report::ReportDocument create(const QString &firstHeading, const QString &rowField);

    // Widths and positions of the value columns; the additional game's columns are shown only
    // with withAddGame, headed by its name. Also sets the columns of the data exports.
    static void arrangeColumns(Report::ReportDocument &document, bool withAddGame,
                               const QString &addGameName);

    // The title lines of the data exports, from what the page header shows.
    static void updateTitleLines(Report::ReportDocument &document);
};
