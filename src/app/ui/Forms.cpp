#include "app/ui/Forms.h"

#include "app/ui/AboutDialog.h"
#include "app/ui/GuiUserInterface.h"
#include "app/ui/MainForm.h"
#include "app/ui/OpenCompForm.h"
#include "event/ui/DataDetailForm.h"
#include "event/ui/DataForm.h"
#include "event/ui/NewCompForm.h"
#include "participants/ui/GroupForm.h"
#include "participants/ui/TeamForm.h"
#include "participants/ui/TeamOverviewForm.h"
#include "ranking/ui/RankSelectForm.h"
#include "results/ui/TeamResultForm.h"

#include <QPrinter>

void Forms::create(Competition &c, UserInterface &gui)
{
    competition = &c;
    ui = &gui;
    MainForm = new TMainForm(*this);
    if (auto *g = dynamic_cast<GuiUserInterface *>(&gui))
        g->setParentWidget(MainForm);
    MainForm->FormCreate();
    OpenCompForm = new TOpenCompForm(*this, MainForm);
    TeamForm = new TTeamForm(*this, MainForm);
    GroupForm = new TGroupForm(*this, MainForm);
    TeamOverviewForm = new TTeamOverviewForm(*this, MainForm);
    TeamResultForm = new TTeamResultForm(*this, MainForm);
    NewCompForm = new TNewCompForm(*this, MainForm);
    DataForm = new TDataForm(*this, MainForm);
    DataDetailForm = new TDataDetailForm(*this, MainForm);
    RankSelectForm = new TRankSelectForm(*this, MainForm);
    About = new AboutDialog(MainForm);
}

void Forms::destroy()
{
    // The dialogs are children of the main window.
    delete MainForm;
    delete m_printer;
    *this = Forms();
}

Forms::~Forms()
{
    delete m_printer;
}

QPrinter &Forms::printer()
{
    if (!m_printer) {
        m_printer = new QPrinter(QPrinter::HighResolution);
        m_printer->setPageSize(QPageSize(QPageSize::A4));
    }
    return *m_printer;
}
