#include "participants/ui/TeamForm.h"

#include "app/ui/Forms.h"

TTeamForm::TTeamForm(Forms &forms, QWidget *parent) : QDialog(parent), m_forms(forms)
{ }

void TTeamForm::SetLayout(QChar)
{ }
