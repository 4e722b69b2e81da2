#pragma once

#include <QDialog>

struct Forms;

// The team overview: browse, find, edit, delete and enter teams and groups.
class TTeamOverviewForm : public QDialog
{
    Q_OBJECT

public:
    TTeamOverviewForm(Forms &forms, QWidget *parent);

    void MaintainTeamsItemClick();
    void InsertItemClick();
    void NewTeamItemClick();
    void NewStrNrBtnClick();

private:
    Forms &m_forms;
};
