#pragma once

#include <QDialog>

struct Forms;

// The group dialog.
class TGroupForm : public QDialog
{
    Q_OBJECT

public:
    TGroupForm(Forms &forms, QWidget *parent);

    void NewGroupItemClick();
    void MaintainGroupsItemClick();
    void ShowTeamItemClick(int groupNr);

private:
    Forms &m_forms;
};
