#pragma once

class Competition;
class UserInterface;
class QPrinter;
class QWidget;
class TMainForm;
class TOpenCompForm;
class TTeamForm;
class TGroupForm;
class TTeamOverviewForm;
class TTeamResultForm;
class TNewCompForm;
class TDataForm;
class TDataDetailForm;
class TRankSelectForm;
class AboutDialog;

// Every window of the program, created once at start-up in this order and reused; the
// dialogs reach each other through it.
struct Forms
{
    ~Forms();
    Competition *competition = nullptr;
    UserInterface *ui = nullptr;
    TMainForm *MainForm = nullptr;
    TOpenCompForm *OpenCompForm = nullptr;
    TTeamForm *TeamForm = nullptr;
    TGroupForm *GroupForm = nullptr;
    TTeamOverviewForm *TeamOverviewForm = nullptr;
    TTeamResultForm *TeamResultForm = nullptr;
    TNewCompForm *NewCompForm = nullptr;
    TDataForm *DataForm = nullptr;
    TDataDetailForm *DataDetailForm = nullptr;
    TRankSelectForm *RankSelectForm = nullptr;
    AboutDialog *About = nullptr;

    // Creates the windows; the main window's creation opens the database and an event.
    // ui is the program's GuiUserInterface, or a scripted one in tests.
    void create(Competition &competition, UserInterface &ui);
    void destroy();

    // The printer chosen in printer setup, used by all printing.
    QPrinter &printer();

private:
    QPrinter *m_printer = nullptr;
};
