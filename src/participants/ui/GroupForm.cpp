#include "participants/ui/GroupForm.h"

#include "app/ui/Forms.h"

TGroupForm::TGroupForm(Forms &forms, QWidget *parent) : QDialog(parent), m_forms(forms)
{ }

void TGroupForm::NewGroupItemClick()
{ }

void TGroupForm::MaintainGroupsItemClick()
{ }

void TGroupForm::ShowTeamItemClick(int)
{ }
