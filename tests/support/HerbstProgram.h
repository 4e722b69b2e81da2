#pragma once

#include "app/ui/Forms.h"
#include "support/TestDatabase.h"

class TGroupForm;
class TMainForm;
class TTeamForm;
class TTeamOverviewForm;

// The whole program over a small database: an event "Herbst" with Aebi (1) and Brun (2)
// entered, Caduff entered nowhere, and a group "Wirbel" of Brun, not entered; two
// categories, one post. The windows are created, none shown.
struct HerbstProgram
{
    TestDatabase t;
    Forms forms;
    int kat = 0, event = 0;
    int aebi = 0, brun = 0, caduff = 0, group = 0;

    HerbstProgram();
    ~HerbstProgram();

    // Shows the main window and makes it the active one, for tests driven by keys.
    void showMain();

    TMainForm &main() { return *forms.MainForm; }
    TTeamForm &teamForm() { return *forms.TeamForm; }
    TTeamOverviewForm &overview() { return *forms.TeamOverviewForm; }
    TGroupForm &groups() { return *forms.GroupForm; }
};
