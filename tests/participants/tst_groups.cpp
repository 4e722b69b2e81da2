#include "engine/Statement.h"
#include "participants/Entries.h"
#include "participants/Groups.h"
#include "support/TestDatabase.h"

#include <QTest>

namespace {

QList<int> numbers(const QList<GroupItem> &groups)
{
    QList<int> result;
    for (const GroupItem &g : groups)
        result << g.TeamNr;
    return result;
}

// A category, two active posts, an open event and three teams.
struct Fixture
{
    TestDatabase t;
    Groups groups{*t.competition};
    int kat = 0;
    int event = 0;
    int posts[2] = {};
    int teams[3] = {};

    Fixture()
    {
        kat = t.addCategory(QStringLiteral("Senioren"));
        posts[0] = t.addPost(QStringLiteral("Slalom"));
        posts[1] = t.addPost(QStringLiteral("Tunnel"));
        event = t.addEvent(QStringLiteral("Herbst"));
        teams[0] = t.addTeam(QStringLiteral("Arnold"), QStringLiteral("Anna"), kat, false, 0,
                             QStringLiteral("Asta"));
        teams[1] = t.addTeam(QStringLiteral("Berger"), QStringLiteral("Ben"), kat);
        teams[2] = t.addTeam(QStringLiteral("Cramer"), QStringLiteral("Cleo"), kat);
        t.open(event);
    }

    qint64 memberships(int groupNr)
    {
        return t.count(QStringLiteral("SELECT count(*) FROM TeamsProGruppe WHERE GruppenNr = %1")
                           .arg(groupNr));
    }
    qint64 entries(const QString &where = QStringLiteral("1"))
    {
        return t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass WHERE ") + where);
    }
    qint64 results(const QString &where = QStringLiteral("1"))
    {
        return t.count(QStringLiteral("SELECT count(*) FROM Parcours WHERE ") + where);
    }
};

} // namespace

class TestGroups : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listIsSortedAndHoldsGroupsOnly()
    {
        Fixture f;
        const int wirbel = f.t.addGroup(QStringLiteral("Wirbelwinde"), f.kat);
        const int adler = f.t.addGroup(QStringLiteral("Adler"), f.kat);
        const int all = f.t.addGroup(QStringLiteral("All"), f.kat);
        const int moewen = f.t.addGroup(QStringLiteral("Möwen"), f.kat);
        const int adler2 = f.t.addGroup(QStringLiteral("Adler"), f.kat);
        // A team whose surname is a group's name is no group.
        f.t.addTeam(QStringLiteral("Adler"), QString(), f.kat);

        QCOMPARE(numbers(f.groups.LoadGroups()), (QList<int>{adler, adler2, all, moewen, wirbel}));
        // One group by its number, whatever its name.
        QCOMPARE(numbers(f.groups.LoadGroups(all)), QList<int>{all});
        QCOMPARE(numbers(f.groups.LoadGroups(adler2)), QList<int>{adler2});
        QVERIFY(f.groups.LoadGroups(f.teams[0]).isEmpty());
    }

    void selectionAfterReload_data()
    {
        QTest::addColumn<QList<int>>("listed");
        QTest::addColumn<int>("groupNr");
        QTest::addColumn<int>("oldIndex");
        QTest::addColumn<int>("expected");
        const QList<int> three{10, 20, 30};
        QTest::newRow("group still listed, moved") << three << 30 << 0 << 2;
        QTest::newRow("new group selected") << three << 20 << 2 << 1;
        QTest::newRow("deleted, same position") << three << 40 << 1 << 1;
        QTest::newRow("deleted last, first") << three << 40 << 3 << 0;
        QTest::newRow("nothing selected before") << three << 0 << -1 << 0;
        QTest::newRow("empty list") << QList<int>{} << 10 << 0 << -1;
    }
    void selectionAfterReload()
    {
        QFETCH(QList<int>, listed);
        QFETCH(int, groupNr);
        QFETCH(int, oldIndex);
        QFETCH(int, expected);
        QList<GroupItem> groups;
        for (int nr : listed)
            groups.append({nr, QStringLiteral("G")});
        QCOMPARE(Groups::SelectedIndex(groups, groupNr, oldIndex), expected);
    }

    void membersAreAddedOnceAndOnlyTeams()
    {
        Fixture f;
        const int group = f.t.addGroup(QStringLiteral("Wirbelwinde"), f.kat);
        const int other = f.t.addGroup(QStringLiteral("Wirbelwinde"), f.kat);
        f.groups.EnterNewGroup(group);
        f.groups.AddMemberships(group, {QString::number(f.teams[0])}, false);
        // Again, with two more at once, a duplicate, a group, a number that does not exist
        // and a text that is none.
        f.groups.AddMemberships(group,
                                {QString::number(f.teams[0]), QString::number(f.teams[2]),
                                 QString::number(f.teams[1]), QString::number(f.teams[2]),
                                 QString::number(other), QStringLiteral("9999"),
                                 QStringLiteral("x")},
                                false);
        QCOMPARE(f.groups.MemberNrs(group), (QList<int>{f.teams[0], f.teams[1], f.teams[2]}));
        QCOMPARE(f.memberships(other), 0);
        // A team is no group to add members to.
        f.groups.AddMemberships(f.teams[0], {QString::number(f.teams[1])});
        QCOMPARE(f.memberships(f.teams[0]), 0);

        const QList<MemberItem> members = f.groups.LoadMembers(group);
        QCOMPARE(members.first().text, QStringLiteral("Arnold Anna mit Asta"));
        QCOMPARE(members.first().TeamNr, f.teams[0]);
        // Joining a group that is entered already enters nobody.
        QCOMPARE(f.entries(), 1);
        QCOMPARE(f.results(), 0);
    }

    void newGroupIsEnteredWithoutMembersAndInsertAddsThemLater()
    {
        Fixture f;
        const int group = f.t.addGroup(QStringLiteral("Wirbelwinde"), f.kat, false, 5);
        f.groups.EnterNewGroup(group);
        QCOMPARE(f.entries(), 1);
        const EntryRow groupEntry = *f.t.data.ReadEntry(f.event, group);
        QVERIFY(groupEntry.IsGroup);
        QCOMPARE(groupEntry.GroupNr, 0);
        QCOMPARE(f.results(), 0);

        f.groups.AddMemberships(group, {QString::number(f.teams[0]), QString::number(f.teams[1])},
                                false);
        QCOMPARE(f.groups.EnterGroup(group, false),
                 QStringLiteral("Die Gruppe Wirbelwinde wurde in den Anlass eingefügt."));
        QCOMPARE(f.entries(QStringLiteral("GroupNr = %1").arg(group)), 2);
        for (int i : {0, 1}) {
            const EntryRow e = *f.t.data.ReadEntry(f.event, f.teams[i]);
            QVERIFY(e.Abgeschlossen);
            QCOMPARE(e.StartNr, 5); // the group's number, as the member has none
        }
        QCOMPARE(f.results(), 4);
        QVERIFY(f.t.ui.printed.isEmpty());

        // A member added later comes in with the next "Einfügen"; the ones entered stay as
        // they are.
        Statement touch(f.t.db(),
                        QStringLiteral("UPDATE TeamsProAnlass SET Abgeschlossen = 0, StartNr = 77 "
                                       "WHERE TeamNr = :t"));
        touch.bind("t", f.teams[0]);
        touch.exec();
        f.t.addResult(f.event, f.posts[0], f.teams[0], 9, 30);
        f.t.ui.answers = {true};
        f.groups.AddMemberships(group, {QString::number(f.teams[2])});
        f.groups.EnterGroup(group, true);
        QCOMPARE(f.entries(QStringLiteral("GroupNr = %1").arg(group)), 3);
        const EntryRow kept = *f.t.data.ReadEntry(f.event, f.teams[0]);
        QCOMPARE(kept.StartNr, 77);
        QVERIFY(!kept.Abgeschlossen);
        QCOMPARE(f.results(), 6);
        QCOMPARE(f.results(QStringLiteral("Punkte = 9")), 1);
        // Print-on-save: the group's card and one per member.
        QCOMPARE(f.t.ui.printed.size(), 4);
    }

    void addingToAnEnteredGroupAsksFirst()
    {
        Fixture f;
        const int group = f.t.addGroup(QStringLiteral("Wirbelwinde"), f.kat);
        const QStringList anna{QString::number(f.teams[0])};
        // Not entered in the open event: nothing to share, nobody asked.
        QVERIFY(f.groups.AddMemberships(group, anna));
        QVERIFY(f.t.ui.messages.isEmpty());

        f.groups.EnterGroup(group, false);
        f.t.ui.answers = {false};
        QVERIFY(!f.groups.AddMemberships(group, {QString::number(f.teams[1])}));
        QCOMPARE(f.t.ui.texts(QStringLiteral("yesno")),
                 QStringList{QStringLiteral(
                     "Die Gruppe Wirbelwinde ist im geöffneten Anlass eingetragen. Die neuen "
                     "Mitglieder teilen sich mit ihr Startnummer und Ergebnisse.\nWollen Sie "
                     "sie trotzdem hinzufügen?")});
        QCOMPARE(f.groups.MemberNrs(group), QList<int>{f.teams[0]});
        // A team that is a member already joins nobody: no question.
        QVERIFY(f.groups.AddMemberships(group, anna));
        QCOMPARE(f.t.ui.texts(QStringLiteral("yesno")).size(), 1);
        f.t.ui.answers = {true};
        QVERIFY(f.groups.AddMemberships(group, {QString::number(f.teams[1])}));
        QCOMPARE(f.groups.MemberNrs(group), (QList<int>{f.teams[0], f.teams[1]}));
    }

    void enteringAGroupWithAMemberEnteredAloneAsksFirst()
    {
        Fixture f;
        const int group = f.t.addGroup(QStringLiteral("Wirbelwinde"), f.kat);
        f.groups.AddMemberships(group, {QString::number(f.teams[0]), QString::number(f.teams[1])});
        f.t.competition->entries().EnterParticipant(f.event, f.teams[0], false, 0);

        f.t.ui.answers = {false};
        QCOMPARE(f.groups.EnterGroup(group, true), QString());
        QCOMPARE(f.t.ui.texts(QStringLiteral("yesno")),
                 QStringList{QStringLiteral(
                     "Arnold Anna ist bereits allein im Anlass eingetragen. Die Gruppe "
                     "Wirbelwinde und dieses Team teilen sich dann Startnummer und "
                     "Ergebnisse.\nWollen Sie die Gruppe trotzdem einfügen?")});
        QCOMPARE(f.entries(), 1);
        QVERIFY(f.t.ui.printed.isEmpty());

        f.t.ui.answers = {true};
        QCOMPARE(f.groups.EnterGroup(group, false),
                 QStringLiteral("Die Gruppe Wirbelwinde wurde in den Anlass eingefügt."));
        // Anna keeps her own entry; Ben comes in as a member.
        QCOMPARE(f.t.data.ReadEntry(f.event, f.teams[0])->GroupNr, 0);
        QCOMPARE(f.t.data.ReadEntry(f.event, f.teams[1])->GroupNr, group);
        // Once entered, the group is not asked about again, and says so.
        QCOMPARE(f.groups.EnterGroup(group, false),
                 QStringLiteral("Die Gruppe Wirbelwinde ist bereits im Anlass eingetragen."));
        QCOMPARE(f.t.ui.texts(QStringLiteral("yesno")).size(), 2);
    }

    void removingAMemberLeavesItsEntryAndResults()
    {
        Fixture f;
        const int group = f.t.addGroup(QStringLiteral("Wirbelwinde"), f.kat);
        f.groups.AddMemberships(group, {QString::number(f.teams[0]), QString::number(f.teams[1])});
        f.groups.EnterGroup(group, false);
        f.t.addResult(f.event, f.posts[0], f.teams[0], 8, 20);

        f.t.ui.answers = {false};
        QVERIFY(!f.groups.RemoveMember(group, f.teams[0]));
        QCOMPARE(f.memberships(group), 2);
        f.t.ui.answers = {true};
        QVERIFY(f.groups.RemoveMember(group, f.teams[0]));
        QCOMPARE(f.t.ui.texts(QStringLiteral("yesno")).last(),
                 QStringLiteral("Wollen Sie dieses Team wirklich aus der Gruppe entfernen?"));
        QCOMPARE(f.groups.MemberNrs(group), QList<int>{f.teams[1]});
        QVERIFY(f.t.data.ReadEntry(f.event, f.teams[0]));
        QCOMPARE(f.results(QStringLiteral("TeamNr = %1").arg(f.teams[0])), 2);
        QCOMPARE(f.results(QStringLiteral("Punkte = 8")), 1);
        // An empty row holds no member: no question.
        QVERIFY(!f.groups.RemoveMember(group, 0));
        QCOMPARE(f.t.ui.texts(QStringLiteral("yesno")).size(), 2);
    }

    void deletingRemovesMembershipsAndRowOnly()
    {
        Fixture f;
        const int group = f.t.addGroup(QStringLiteral("Wirbelwinde"), f.kat);
        const int twin = f.t.addGroup(QStringLiteral("Wirbelwinde"), f.kat);
        const int namesake = f.t.addTeam(QStringLiteral("Wirbelwinde"), QString(), f.kat);
        f.groups.AddMemberships(group, {QString::number(f.teams[0]), QString::number(f.teams[1])});
        f.groups.AddMemberships(twin, {QString::number(f.teams[0])});

        f.t.ui.answers = {false};
        QVERIFY(!f.groups.DeleteGroup(twin));
        QCOMPARE(f.memberships(twin), 1);

        f.t.ui.answers = {true};
        QVERIFY(f.groups.DeleteGroup(twin));
        QCOMPARE(f.t.ui.texts(QStringLiteral("yesno")).last(),
                 QStringLiteral("Wollen Sie die Gruppe Wirbelwinde wirklich löschen?"));
        // The twin of the same name went, not the first group of that name nor the team.
        QVERIFY(!f.t.data.ReadTeam(twin));
        QCOMPARE(f.memberships(twin), 0);
        QVERIFY(f.t.data.ReadTeam(group));
        QCOMPARE(f.memberships(group), 2);
        QVERIFY(f.t.data.ReadTeam(namesake));
        for (int team : f.teams)
            QVERIFY(f.t.data.ReadTeam(team));
        // A team is not deleted as a group, and nobody is asked.
        QVERIFY(!f.groups.DeleteGroup(namesake));
        QCOMPARE(f.t.ui.texts(QStringLiteral("yesno")).size(), 2);
    }

    void deletingAnEnteredGroupIsRefused()
    {
        Fixture f;
        const int other = f.t.addEvent(QStringLiteral("Winter"));
        const int group = f.t.addGroup(QStringLiteral("Wirbelwinde"), f.kat);
        f.groups.AddMemberships(group, {QString::number(f.teams[0])});
        // Entered in an event that is not the open one; its members have result rows there.
        f.t.competition->entries().EnterGroup(other, group, f.groups.MemberNrs(group));
        QCOMPARE(f.entries(), 2);

        f.t.ui.answers = {true};
        QVERIFY(!f.groups.DeleteGroup(group));
        QCOMPARE(
            f.t.ui.texts(QStringLiteral("information")),
            QStringList{QStringLiteral(
                "Wirbelwinde wird noch in [Winter] verwendet und kann nicht gelöscht werden.")});
        QVERIFY(f.t.data.ReadTeam(group));
        QCOMPARE(f.memberships(group), 1);
        QCOMPARE(f.entries(), 2);
        QCOMPARE(f.results(), 2);
    }
};

QTEST_GUILESS_MAIN(TestGroups)
#include "tst_groups.moc"
