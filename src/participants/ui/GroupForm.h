#pragma once

#include <QDialog>

#include <memory>

struct Forms;
class Groups;
class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

// "Gruppen verwalten": the groups with their members; in entry mode it also enters the
// selected group with its members into the open event.
class TGroupForm : public QDialog
{
    Q_OBJECT

public:
    TGroupForm(Forms &forms, QWidget *parent);
    ~TGroupForm() override;

    // The three ways in: entry mode, maintenance, and maintenance of the one group of a
    // participant-list row.
    void NewGroupItemClick();
    void MaintainGroupsItemClick();
    void ShowTeamItemClick(int groupNr);

    // 'G' entry, ' ' maintenance; FormShow arranges the controls for it.
    QChar mode = QLatin1Char(' ');
    void FormShow();

    // Every group (0) or only group groupNr, keeping the selection where it can.
    void LoadGroups(int groupNr = 0);
    void LoadMembers(int groupNr);
    int currentGroup() const { return m_groupNr; }

    void GroupListClick();
    void NewGroupBtnClick();
    void DeleteOrInsertBtnClick(); // "Löschen" in maintenance, "Einfügen" in entry mode
    void AddMembersBtnClick();
    void EditMemberBtnClick();
    void RemoveMemberBtnClick();
    // Enter on a group in maintenance: its own record in the team dialog.
    void EditGroupClick();

private:
    void addMembers(bool askFirst);
    void EnableGroupCommands(bool allGroups);
    int currentMember() const; // 0 when the current row holds none

    Forms &m_forms;
    std::unique_ptr<Groups> m_groups;
    int m_groupNr = 0;
    QGroupBox *m_groupFrame = nullptr;
    QListWidget *m_groupList = nullptr;
    QPushButton *m_newGroupBtn = nullptr;
    QPushButton *m_deleteBtn = nullptr;
    QCheckBox *m_printOnSave = nullptr;
    QGroupBox *m_teamFrame = nullptr;
    QTableWidget *m_memberGrid = nullptr;
    QPushButton *m_addBtn = nullptr;
    QPushButton *m_editBtn = nullptr;
    QPushButton *m_removeBtn = nullptr;
    QPushButton *m_closeBtn = nullptr;
    QLabel *m_message = nullptr; // what "Einfügen" did
};
