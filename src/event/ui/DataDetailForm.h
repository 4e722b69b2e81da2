#pragma once

#include <QDialog>

struct Forms;

// Master data: the detail dialog of one category or post.
class TDataDetailForm : public QDialog
{
    Q_OBJECT

public:
    TDataDetailForm(Forms &forms, QWidget *parent);


private:
    Forms &m_forms;
};
