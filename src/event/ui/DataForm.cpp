#include "event/ui/DataForm.h"

#include "app/ui/Forms.h"

TDataForm::TDataForm(Forms &forms, QWidget *parent)
    : QDialog(parent)
    , m_forms(forms)
{
}

void TDataForm::KategorienItemClick()
{
    ListMode = QLatin1Char('K');
    exec();
}

void TDataForm::PostenItemClick()
{
    ListMode = QLatin1Char('P');
    exec();
}
