#pragma once

#include <QDialog>

struct Forms;

// The open dialog: picks one of the existing events.
class TOpenCompForm : public QDialog
{
    Q_OBJECT

public:
    TOpenCompForm(Forms &forms, QWidget *parent);


private:
    Forms &m_forms;
};
