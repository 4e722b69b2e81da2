#include "app/ui/OpenCompForm.h"

#include "app/ui/Forms.h"

TOpenCompForm::TOpenCompForm(Forms &forms, QWidget *parent)
    : QDialog(parent)
    , m_forms(forms)
{
}

