#pragma once

#include <QDialog>
#include <QStringList>

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
    void ClearStrNrBtnClick();

    // The group dialog's member choice: teams only, several rows at once; the chosen
    // TeamNr values go into selectionList. True when the operator pressed "Übernehmen".
    bool SelectTeams(QStringList &selectionList);
    // The group dialog's "Bearbeiten" on a member: the team dialog for that team, as the
    // overview's own "Bearbeiten" opens it.
    void EditTeam(int teamNr);

private:
    Forms &m_forms;
};
