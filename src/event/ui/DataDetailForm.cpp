#include "event/ui/DataDetailForm.h"

#include "app/ui/Forms.h"

TDataDetailForm::TDataDetailForm(Forms &forms, QWidget *parent)
    : QDialog(parent)
    , m_forms(forms)
{
}

