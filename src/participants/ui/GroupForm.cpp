#include "participants/ui/GroupForm.h"

#include "app/Competition.h"
#include "app/Guard.h"
#include "app/ui/Forms.h"
#include "app/ui/HelpWindow.h"
#include "app/ui/ListKeys.h"
#include "data/DataLibrary.h"
#include "participants/Groups.h"
#include "participants/ui/TeamForm.h"
#include "participants/ui/TeamOverviewForm.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringList>
#include <QTableWidget>

namespace {

constexpr int Margin = 8;
constexpr int FrameHeight = 226;
constexpr int GroupFrameWidth = 320;
constexpr int TeamFrameWidth = 320;
constexpr int Inner = 12; // left margin inside a frame
constexpr int ListTop = 22;
constexpr int ListHeight = 156; // maintenance mode
constexpr int EntryListHeight = 136; // entry mode, with the print-on-save box below
constexpr int ButtonTop = 190;
constexpr int ButtonHeight = 27;
constexpr int RowHeight = 18;
constexpr int DialogWidth = Margin + GroupFrameWidth + Margin + TeamFrameWidth + Margin;
constexpr int CloseTop = Margin + FrameHeight + 8;
constexpr int DialogHeight = CloseTop + ButtonHeight + Margin;

constexpr int TextColumn = 0;
constexpr int TeamNrColumn = 1;

} // namespace

TGroupForm::TGroupForm(Forms &forms, QWidget *parent)
    : QDialog(parent), m_forms(forms), m_groups(std::make_unique<Groups>(*forms.competition))
{
    setObjectName(QStringLiteral("GroupForm"));
    setWindowTitle(QStringLiteral("Gruppen verwalten"));
    setModal(true);
    setFixedSize(DialogWidth, DialogHeight);

    const auto button = [](const QString &text, const char *name, QWidget *parent) {
        auto *b = new QPushButton(text, parent);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };

    m_groupFrame = new QGroupBox(QStringLiteral("&Gruppenname"), this);
    m_groupFrame->setObjectName(QStringLiteral("GroupFrame"));
    m_groupFrame->setGeometry(Margin, Margin, GroupFrameWidth, FrameHeight);
    const int groupInnerWidth = GroupFrameWidth - 2 * Inner;
    m_groupList = new QListWidget(m_groupFrame);
    m_groupList->setObjectName(QStringLiteral("GroupList"));
    m_groupList->setGeometry(Inner, ListTop, groupInnerWidth, ListHeight);
    m_printOnSave =
        new QCheckBox(QStringLiteral("Bewertungsbogen beim &Speichern drucken"), m_groupFrame);
    m_printOnSave->setObjectName(QStringLiteral("PrintOnSave"));
    m_printOnSave->setGeometry(Inner, ListTop + EntryListHeight + 6, groupInnerWidth, RowHeight);
    m_printOnSave->hide();
    const int groupButtonWidth = (groupInnerWidth - Inner) / 2;
    m_newGroupBtn = button(QStringLiteral("&Neue Gruppe"), "NewGroupBtn", m_groupFrame);
    m_newGroupBtn->setGeometry(Inner, ButtonTop, groupButtonWidth, ButtonHeight);
    m_deleteBtn = button(QStringLiteral("&Löschen"), "DeleteGroupBtn", m_groupFrame);
    m_deleteBtn->setGeometry(GroupFrameWidth - Inner - groupButtonWidth, ButtonTop,
                             groupButtonWidth, ButtonHeight);

    m_teamFrame = new QGroupBox(QStringLiteral("&Teams"), this);
    m_teamFrame->setObjectName(QStringLiteral("TeamFrame"));
    m_teamFrame->setGeometry(Margin + GroupFrameWidth + Margin, Margin, TeamFrameWidth,
                             FrameHeight);
    const int teamInnerWidth = TeamFrameWidth - 2 * Inner;
    m_memberGrid = new QTableWidget(0, 2, m_teamFrame);
    m_memberGrid->setObjectName(QStringLiteral("MemberGrid"));
    m_memberGrid->setGeometry(Inner, ListTop, teamInnerWidth, ListHeight);
    m_memberGrid->horizontalHeader()->hide();
    m_memberGrid->verticalHeader()->hide();
    m_memberGrid->verticalHeader()->setMinimumSectionSize(1);
    m_memberGrid->verticalHeader()->setDefaultSectionSize(RowHeight);
    m_memberGrid->horizontalHeader()->setStretchLastSection(true);
    m_memberGrid->setColumnHidden(TeamNrColumn, true);
    m_memberGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_memberGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_memberGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_memberGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_memberGrid->setShowGrid(false);
    const int teamButtonWidth = (teamInnerWidth - 2 * 9) / 3;
    m_addBtn = button(QStringLiteral("&Hinzufügen"), "AddMemberBtn", m_teamFrame);
    m_addBtn->setGeometry(Inner, ButtonTop, teamButtonWidth, ButtonHeight);
    m_editBtn = button(QStringLiteral("&Bearbeiten"), "EditMemberBtn", m_teamFrame);
    m_editBtn->setGeometry(Inner + teamButtonWidth + 9, ButtonTop, teamButtonWidth, ButtonHeight);
    m_removeBtn = button(QStringLiteral("Ent&fernen"), "RemoveMemberBtn", m_teamFrame);
    m_removeBtn->setGeometry(TeamFrameWidth - Inner - teamButtonWidth, ButtonTop, teamButtonWidth,
                             ButtonHeight);

    m_closeBtn = button(QStringLiteral("S&chliessen"), "CloseBtn", this);
    m_closeBtn->setGeometry(DialogWidth - Margin - 100, CloseTop, 100, ButtonHeight);
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("MessageLine"));
    m_message->setGeometry(Margin, CloseTop, DialogWidth - 3 * Margin - 100, ButtonHeight);

    connect(m_groupList, &QListWidget::currentRowChanged, this, [this] { GroupListClick(); });
    connect(m_newGroupBtn, &QPushButton::clicked, this, [this] { NewGroupBtnClick(); });
    connect(m_deleteBtn, &QPushButton::clicked, this, [this] { DeleteOrInsertBtnClick(); });
    connect(m_addBtn, &QPushButton::clicked, this, [this] { AddMembersBtnClick(); });
    connect(m_editBtn, &QPushButton::clicked, this, [this] { EditMemberBtnClick(); });
    connect(m_removeBtn, &QPushButton::clicked, this, [this] { RemoveMemberBtnClick(); });
    connect(m_memberGrid, &QTableWidget::cellDoubleClicked, this, [this] { EditMemberBtnClick(); });
    connect(m_closeBtn, &QPushButton::clicked, this, &QDialog::reject);
    HelpWindow::bindTopic(this, 1033);
    // Enter on a group enters it (entry mode) or opens its record; on a member, edits it.
    bindListKeys(m_groupList,
                 {clickOf(m_newGroupBtn),
                  [this] {
                      if (mode != QLatin1Char('G'))
                          clickOf(m_deleteBtn)();
                  },
                  [this] {
                      if (mode == QLatin1Char('G'))
                          clickOf(m_deleteBtn)();
                      else
                          EditGroupClick();
                  }});
    bindListKeys(m_memberGrid, {clickOf(m_addBtn), clickOf(m_removeBtn), clickOf(m_editBtn)});

    // Without a database there is nothing to list yet; the commands that open the dialog
    // list the groups again anyway.
    if (forms.competition->data().databaseOpen())
        LoadGroups();
    else
        LoadMembers(0);
}

TGroupForm::~TGroupForm() = default;

void TGroupForm::NewGroupItemClick()
{
    mode = QLatin1Char('G');
    LoadGroups();
    FormShow();
    exec();
}

void TGroupForm::MaintainGroupsItemClick()
{
    mode = QLatin1Char(' ');
    LoadGroups();
    FormShow();
    exec();
}

void TGroupForm::ShowTeamItemClick(int groupNr)
{
    mode = QLatin1Char(' ');
    // By number: a group whose name is "All", or shared with another group, is still
    // shown alone.
    LoadGroups(groupNr > 0 ? groupNr : -1);
    FormShow();
    exec();
}

void TGroupForm::FormShow()
{
    const bool entry = mode == QLatin1Char('G');
    m_deleteBtn->setText(entry ? QStringLiteral("&Einfügen") : QStringLiteral("&Löschen"));
    m_message->clear();
    m_addBtn->show();
    m_removeBtn->show();
    m_printOnSave->setVisible(entry);
    m_groupList->resize(m_groupList->width(), entry ? EntryListHeight : ListHeight);
    m_groupList->setFocus();
}

void TGroupForm::LoadGroups(int groupNr)
{
    const int oldIndex = m_groupList->currentRow();
    QList<GroupItem> groups;
    guarded(*m_forms.ui, [&] { groups = m_groups->LoadGroups(groupNr); });
    {
        const QSignalBlocker blocker(m_groupList);
        m_groupList->clear();
        for (const GroupItem &g : groups) {
            auto *item = new QListWidgetItem(g.Name, m_groupList);
            item->setData(Qt::UserRole, g.TeamNr);
        }
        m_groupList->setCurrentRow(Groups::SelectedIndex(groups, m_groupNr, oldIndex));
    }
    EnableGroupCommands(groupNr == 0);
    GroupListClick();
}

void TGroupForm::EnableGroupCommands(bool allGroups)
{
    m_newGroupBtn->setEnabled(allGroups);
    m_deleteBtn->setEnabled(allGroups);
    m_addBtn->setEnabled(allGroups);
    m_removeBtn->setEnabled(allGroups);
    m_editBtn->setEnabled(true);
}

void TGroupForm::GroupListClick()
{
    const QListWidgetItem *item = m_groupList->currentItem();
    m_groupNr = item ? item->data(Qt::UserRole).toInt() : 0;
    LoadMembers(m_groupNr);
}

void TGroupForm::LoadMembers(int groupNr)
{
    QList<MemberItem> members;
    if (groupNr > 0)
        guarded(*m_forms.ui, [&] { members = m_groups->LoadMembers(groupNr); });
    m_memberGrid->clearContents();
    m_memberGrid->setRowCount(std::max<qsizetype>(members.size(), 1));
    for (int row = 0; row < members.size(); ++row) {
        m_memberGrid->setItem(row, TextColumn, new QTableWidgetItem(members.at(row).text));
        m_memberGrid->setItem(row, TeamNrColumn,
                              new QTableWidgetItem(QString::number(members.at(row).TeamNr)));
    }
    if (members.isEmpty()) {
        m_memberGrid->setItem(0, TextColumn, new QTableWidgetItem);
        m_memberGrid->setItem(0, TeamNrColumn, new QTableWidgetItem);
    }
    m_memberGrid->setCurrentCell(0, TextColumn);
}

int TGroupForm::currentMember() const
{
    const int row = m_memberGrid->currentRow();
    const QTableWidgetItem *item = row >= 0 ? m_memberGrid->item(row, TeamNrColumn) : nullptr;
    return item ? item->text().toInt() : 0;
}

void TGroupForm::NewGroupBtnClick()
{
    TTeamForm *teamForm = m_forms.TeamForm;
    teamForm->SetLayout(QLatin1Char('G'));
    teamForm->mode = QLatin1Char('I');
    teamForm->TeamNr = 0;
    if (teamForm->exec() != QDialog::Accepted || teamForm->TeamNr <= 0)
        return;
    // From here on the new group is the one the list shows and the commands act on.
    m_groupNr = teamForm->TeamNr;
    if (!guarded(*m_forms.ui, [&] { m_groups->EnterNewGroup(m_groupNr); })) {
        LoadGroups();
        return;
    }
    // The group was made for these members: no question whether they may share its number.
    addMembers(false);
}

void TGroupForm::EditGroupClick()
{
    if (m_groupNr <= 0)
        return;
    TTeamForm *teamForm = m_forms.TeamForm;
    teamForm->SetLayout(QLatin1Char('G'));
    teamForm->mode = QLatin1Char('M');
    teamForm->TeamNr = m_groupNr;
    if (teamForm->exec() == QDialog::Accepted)
        LoadGroups(m_groupList->count() == 1 && !m_newGroupBtn->isEnabled() ? m_groupNr : 0);
}

void TGroupForm::DeleteOrInsertBtnClick()
{
    if (m_groupNr <= 0)
        return;
    UserInterface &ui = *m_forms.ui;
    if (mode == QLatin1Char('G')) {
        QString message;
        guarded(ui, [&] { message = m_groups->EnterGroup(m_groupNr, m_printOnSave->isChecked()); });
        m_message->setText(message);
        return;
    }
    bool deleted = false;
    guarded(ui, [&] { deleted = m_groups->DeleteGroup(m_groupNr); });
    if (deleted)
        LoadGroups();
}

void TGroupForm::AddMembersBtnClick()
{
    addMembers(true);
}

void TGroupForm::addMembers(bool askFirst)
{
    if (m_groupNr <= 0)
        return;
    QStringList selectionList;
    if (m_forms.TeamOverviewForm->SelectTeams(selectionList))
        guarded(*m_forms.ui, [&] { m_groups->AddMemberships(m_groupNr, selectionList, askFirst); });
    LoadGroups();
}

void TGroupForm::EditMemberBtnClick()
{
    const int teamNr = currentMember();
    if (teamNr <= 0)
        return;
    const int row = m_memberGrid->currentRow();
    m_forms.TeamOverviewForm->EditTeam(teamNr);
    // The member's name or dog may have changed.
    LoadMembers(m_groupNr);
    m_memberGrid->setCurrentCell(std::min(row, m_memberGrid->rowCount() - 1), TextColumn);
}

void TGroupForm::RemoveMemberBtnClick()
{
    const int teamNr = currentMember();
    if (teamNr <= 0)
        return;
    bool removed = false;
    guarded(*m_forms.ui, [&] { removed = m_groups->RemoveMember(m_groupNr, teamNr); });
    if (removed)
        LoadMembers(m_groupNr);
}
