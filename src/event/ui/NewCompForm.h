#pragma once

#include <QDialog>

struct Forms;

// The event dialog: creates a new event or changes the open one.
class TNewCompForm : public QDialog
{
    Q_OBJECT

public:
    TNewCompForm(Forms &forms, QWidget *parent);

    QChar dialogMode = QLatin1Char('N'); // 'N' create, 'E' edit

private:
    Forms &m_forms;
};
