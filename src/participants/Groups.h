#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class Competition;

// One line of the group list; the number, not the name, says which group it is.
struct GroupItem
{
    int TeamNr = 0;
    QString Name;
};

// One line of a group's member list: "Name Vorname mit Hund".
struct MemberItem
{
    int TeamNr = 0;
    QString text;
};

// The group dialog without its widgets: groups, their members, and entering a group
// with its members into the open event.
class Groups
{
public:
    explicit Groups(Competition &competition);

    // Every group by name, or only group groupNr when it is not 0.
    QList<GroupItem> LoadGroups(int groupNr = 0);
    // Where the list's selection goes after it was reloaded: to group groupNr while it is
    // listed (a group just created, or the one the operator was working on), else to the
    // same position, else to the first group; -1 for an empty list.
    static int SelectedIndex(const QList<GroupItem> &groups, int groupNr, int oldIndex);
    // In membership order, which is the order "Einfügen" enters them in.
    QList<MemberItem> LoadMembers(int groupNr);
    QList<int> MemberNrs(int groupNr);

    // The team numbers of a selection (decimal texts), each added once, as one change. When
    // the group is entered in the open event and askFirst is set, the operator is asked
    // first, since the new members will share its start number and results; false when
    // the answer was No.
    bool AddMemberships(int groupNr, const QStringList &selectionList, bool askFirst = true);
    // After the operator's Yes; entries and results in events stay.
    bool RemoveMember(int groupNr, int teamNr);
    // After the operator's Yes, unless the group is entered in an event: its memberships
    // and its row.
    bool DeleteGroup(int groupNr);

    // A group just created goes into the open event at once, still without members.
    void EnterNewGroup(int groupNr);
    // "Einfügen": the group and each member not entered yet, then its scorecards; nothing
    // at all without an open event. A group about to be entered with a member that is
    // entered on its own asks first, since the two will share start number and results.
    // Returns the line for the status: what was entered, or that the group is entered
    // already; empty when nothing happened.
    QString EnterGroup(int groupNr, bool printOnSave);

private:
    Competition &m_competition;
};
