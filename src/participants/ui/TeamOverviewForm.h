#pragma once

#include "participants/TeamOverview.h"

#include <QDialog>
#include <QStringList>

#include <functional>

struct Forms;
class QAction;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;
class TeamOverviewModel;

// The team overview: browse, find, edit, delete and enter teams and groups. The lists and
// the commands on a row live in TeamOverview; the window shows them and forwards.
class TTeamOverviewForm : public QDialog
{
    Q_OBJECT

public:
    TTeamOverviewForm(Forms &forms, QWidget *parent);

    // Main menu commands.
    void MaintainTeamsItemClick();
    void InsertItemClick();
    void NewTeamItemClick();
    // The start-number commands; they also run while the window is hidden.
    void NewStrNrBtnClick();
    void ClearStrNrBtnClick();

    // The group dialog's member choice: teams only, several rows at once; the chosen
    // TeamNr values go into selectionList. True when the operator pressed "Übernehmen".
    bool SelectTeams(QStringList &selectionList);
    // The group dialog's "Bearbeiten" on a member: the team dialog for that team, as the
    // overview's own "Bearbeiten" opens it.
    void EditTeam(int teamNr);

    int exec() override;
    // The steps of exec() before the window appears; tests call it on a window only shown.
    void FormShow();

    // The window's commands, also run by tests.
    void NewTeamBtnClick();
    void EditTeamBtnClick();
    void DeleteBtnClick(); // "Team löschen", or "Übernehmen" in selection mode
    void DeleteTeam();
    void DBGrid1DblClick(); // also the Enter key
    void InsertWithStartNrClick();
    void InsertWithoutStartNrClick();
    void CollectSelection();
    void ImportItemClick();
    void SetEventListShown(bool eventList); // "Nur Teams des geöffneten Anlasses anzeigen"
    void SetKindFilter(int typ); // "Anzeigen": 0 "Alles", 1 "Teams", 2 "Gruppen"
    void PositionByName(const QString &text);

    TeamOverview &overview() { return m_overview; }
    QTableView *grid() const { return m_grid; }
    const OverviewRow *currentRow() const; // nullptr when the list is empty
    void setCurrentTeam(int teamNr); // the first row when it is not listed
    QList<int> selectedTeamNrs() const; // in selection order
    QAction *action(const QString &objectName) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createMenus();
    void reload(); // re-reads the list shown, staying on the current team
    void changeRows(const std::function<void()> &change);
    void showListState();
    void editTeam(int teamNr);
    // The two insert commands on the current row, with their message line.
    void insertCurrentRow(bool (TeamOverview::*insert)(const OverviewRow &));

    Forms &m_forms;
    TeamOverview m_overview;
    TeamOverviewModel *m_model = nullptr;
    QStringList *m_selectionList = nullptr; // while SelectTeams runs
    QLineEdit *m_nameBox = nullptr;
    QButtonGroup *m_kindButtons = nullptr;
    QCheckBox *m_eventList = nullptr;
    QCheckBox *m_printOnSave = nullptr;
    QTableView *m_grid = nullptr;
    QLabel *m_message = nullptr;
    QPushButton *m_deleteBtn = nullptr;
    QMenu *m_popup = nullptr;
};
