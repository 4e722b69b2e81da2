#include "participants/ui/TeamOverviewForm.h"

#include "app/ui/Forms.h"

TTeamOverviewForm::TTeamOverviewForm(Forms &forms, QWidget *parent)
    : QDialog(parent), m_forms(forms)
{ }

void TTeamOverviewForm::MaintainTeamsItemClick()
{ }

void TTeamOverviewForm::InsertItemClick()
{ }

void TTeamOverviewForm::NewTeamItemClick()
{ }

void TTeamOverviewForm::NewStrNrBtnClick()
{ }

void TTeamOverviewForm::ClearStrNrBtnClick()
{ }

bool TTeamOverviewForm::SelectTeams(QStringList &)
{
    return false;
}

void TTeamOverviewForm::EditTeam(int)
{ }
