#include "event/ui/NewCompForm.h"

#include "app/ui/Forms.h"

TNewCompForm::TNewCompForm(Forms &forms, QWidget *parent)
    : QDialog(parent)
    , m_forms(forms)
{
}

