#include "results/ui/TeamResultForm.h"

#include "app/ui/Forms.h"

TTeamResultForm::TTeamResultForm(Forms &forms, QWidget *parent)
    : QDialog(parent)
    , m_forms(forms)
{
}

bool TTeamResultForm::execFor(const ParticipantRow &)
{
    return false;
}

bool TTeamResultForm::finished() const
{
    return false;
}

bool TTeamResultForm::addGameFinished() const
{
    return false;
}
