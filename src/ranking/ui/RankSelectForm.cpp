#include "ranking/ui/RankSelectForm.h"

#include "app/ui/Forms.h"

TRankSelectForm::TRankSelectForm(Forms &forms, QWidget *parent)
    : QDialog(parent)
    , m_forms(forms)
{
}

bool TRankSelectForm::choose(RankListChoice &)
{
    return false;
}
