#include "app/ui/Forms.h"
#include "app/ui/MainForm.h"
#include "engine/Statement.h"
#include "participants/ui/GroupForm.h"
#include "participants/ui/TeamForm.h"
#include "participants/ui/TeamOverviewForm.h"
#include "support/ModalDialogs.h"
#include "support/TestDatabase.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace {

// Plays the operator through windows that open one inside the other. Each step waits until
// its window is the active modal one and then acts on it; the next step is armed as a step
// begins, so that a step may open the window the next one works in. Once a check has failed
// or time has run out, every modal window still open is closed, so that a test never hangs.
class Operator
{
public:
    using Step = std::pair<QWidget *, std::function<void()>>;

    explicit Operator(QList<Step> steps) : m_steps(std::move(steps))
    {
        m_clock.start();
        m_watchdog.setInterval(20);
        QObject::connect(&m_watchdog, &QTimer::timeout, [this] {
            if (!QTest::currentTestFailed() && m_clock.elapsed() < 10000)
                return;
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                qWarning() << "left open:" << dialog->objectName() << dialog->windowTitle();
                dialog->reject();
            }
        });
        m_watchdog.start();
        arm();
    }
    ~Operator() { qDeleteAll(m_timers); }

    int done = 0; // steps run so far

private:
    void arm()
    {
        if (m_steps.isEmpty())
            return;
        auto *timer = new QTimer;
        m_timers << timer;
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [this, timer] {
            QWidget *window = m_steps.first().first;
            if (QTest::currentTestFailed() || QApplication::activeModalWidget() != window
                || !window->isVisible())
                return;
            timer->stop();
            const std::function<void()> action = m_steps.takeFirst().second;
            ++done;
            arm();
            action();
        });
        timer->start();
    }

    QList<Step> m_steps;
    QList<QTimer *> m_timers;
    QTimer m_watchdog;
    QElapsedTimer m_clock;
};

// The whole program on a test database: the event "Herbst" with two posts and Dietrich
// entered under number 5, Arnold entered elsewhere under 40; Berger has the standing
// number 12, Arnold and Cramer none; the group "Wirbelwinde" has Berger as its member.
struct Program
{
    TestDatabase t;
    Forms forms;
    int senioren = 0, junioren = 0, event = 0;
    int arnold = 0, berger = 0, cramer = 0, dietrich = 0, wirbel = 0;

    // Without events the program has no event open, as after the last one was deleted.
    explicit Program(bool withEvents = true)
    {
        senioren = t.addCategory(QStringLiteral("Senioren"));
        junioren = t.addCategory(QStringLiteral("Junioren"));
        t.addPost(QStringLiteral("Slalom"));
        t.addPost(QStringLiteral("Tunnel"));
        arnold = t.addTeam(QStringLiteral("Arnold"), QStringLiteral("Anna"), senioren, false, 0,
                           QStringLiteral("Asta"));
        berger = t.addTeam(QStringLiteral("Berger"), QStringLiteral("Ben"), senioren, false, 12,
                           QStringLiteral("Bello"));
        cramer = t.addTeam(QStringLiteral("Cramer"), QStringLiteral("Cleo"), senioren, false, 0,
                           QStringLiteral("Cora"));
        dietrich = t.addTeam(QStringLiteral("Dietrich"), QStringLiteral("Dora"), senioren, false, 5,
                             QStringLiteral("Dino"));
        wirbel = t.addGroup(QStringLiteral("Wirbelwinde"), senioren);
        t.addMember(wirbel, berger);
        if (withEvents) {
            event = t.addEvent(QStringLiteral("Herbst"));
            t.addEntry(event, dietrich, 5);
            t.addEntry(t.addEvent(QStringLiteral("Anderswo")), arnold, 40);
        }
        forms.create(*t.competition, t.ui);
        t.open(event);
    }
    ~Program() { forms.destroy(); }

    TMainForm &main() { return *forms.MainForm; }
    TGroupForm &groups() { return *forms.GroupForm; }
    TTeamForm &teamForm() { return *forms.TeamForm; }
    TTeamOverviewForm &overview() { return *forms.TeamOverviewForm; }

    QPushButton *button(QWidget &w, const char *name) { return childOf<QPushButton>(w, name); }
    void menu(const char *name) { main().action(QLatin1String(name))->trigger(); }

    QListWidget *groupList() { return childOf<QListWidget>(groups(), "GroupList"); }
    QTableWidget *memberGrid() { return childOf<QTableWidget>(groups(), "MemberGrid"); }
    QStringList groupNames()
    {
        QStringList names;
        for (int i = 0; i < groupList()->count(); ++i)
            names << groupList()->item(i)->text();
        return names;
    }
    void selectGroup(int groupNr)
    {
        for (int i = 0; i < groupList()->count(); ++i) {
            if (groupList()->item(i)->data(Qt::UserRole).toInt() == groupNr)
                QTest::mouseClick(groupList()->viewport(), Qt::LeftButton, {},
                                  groupList()->visualItemRect(groupList()->item(i)).center());
        }
        QCOMPARE(groups().currentGroup(), groupNr);
    }
    QStringList members()
    {
        QStringList texts;
        for (int row = 0; row < memberGrid()->rowCount(); ++row)
            texts << (memberGrid()->item(row, 0) ? memberGrid()->item(row, 0)->text() : QString());
        return texts;
    }
    QList<int> memberships(int groupNr)
    {
        QList<int> teams;
        Statement s(t.db(),
                    QStringLiteral("SELECT TeamNr FROM TeamsProGruppe WHERE GruppenNr = "
                                   ":GruppenNr ORDER BY TeamNr"));
        s.bind("GruppenNr", groupNr);
        while (s.next())
            teams << int(s.integer(0));
        return teams;
    }

    // A click on the overview's row of teamNr, as the operator makes it.
    void clickRow(int teamNr, Qt::KeyboardModifiers modifiers = {})
    {
        QTableView *grid = overview().grid();
        const int row = overview().overview().indexOf(teamNr);
        QVERIFY2(row >= 0, "team not listed");
        const QModelIndex index = grid->model()->index(row, 0);
        grid->scrollTo(index);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers,
                          grid->visualRect(index).center());
    }
    QList<int> listedTypes()
    {
        QList<int> types;
        for (const OverviewRow &row : overview().overview().rows()) {
            if (!types.contains(row.Typ))
                types << row.Typ;
        }
        std::sort(types.begin(), types.end());
        return types;
    }
};

} // namespace

class TestGroupFlow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newGroupIsEnteredAndGetsItsChosenMembers()
    {
        Program p;
        int group = 0;
        Operator op({
            {&p.groups(),
             [&] {
                 p.button(p.groups(), "NewGroupBtn")->click();
             }},
            {&p.teamForm(),
             [&] {
                 TTeamForm &f = p.teamForm();
                 QCOMPARE(f.windowTitle(), QStringLiteral("Gruppe"));
                 QVERIFY(!childOf<QLineEdit>(f, "Vorname")->isVisible());
                 QVERIFY(!childOf<QLineEdit>(f, "Hund")->isVisible());
                 QCOMPARE(childOf<QLineEdit>(f, "StartNr")->text(), QStringLiteral("6"));
                 QTest::keyClicks(childOf<QLineEdit>(f, "Name"), QStringLiteral("Zwerge"));
                 auto *category = childOf<QComboBox>(f, "KatNr");
                 category->setCurrentIndex(category->findData(p.junioren));
                 p.button(f, "SaveBtn")->click();
             }},
            {&p.overview(),
             [&] {
                 // The group is in the event already, without members and result rows.
                 group = p.groups().currentGroup();
                 QVERIFY(group > 0);
                 QVERIFY(p.t.data.ReadEntry(p.event, group)->IsGroup);
                 QCOMPARE(p.t.count(QStringLiteral("SELECT count(*) FROM Parcours")), 0);

                 TTeamOverviewForm &o = p.overview();
                 QCOMPARE(p.listedTypes(), QList<int>{1});
                 QCOMPARE(o.grid()->selectionMode(), QAbstractItemView::ExtendedSelection);
                 QCOMPARE(p.button(o, "DeleteBtn")->text(), QStringLiteral("&Übernehmen"));
                 // Arnold is taken once with the Delete key and then again with the others.
                 p.clickRow(p.arnold);
                 QTest::keyClick(o.grid(), Qt::Key_Delete);
                 QVERIFY(o.isVisible());
                 p.clickRow(p.arnold);
                 p.clickRow(p.berger, Qt::ControlModifier);
                 p.clickRow(p.cramer, Qt::ControlModifier);
                 QCOMPARE(o.selectedTeamNrs().size(), 3);
                 p.button(o, "DeleteBtn")->click();
             }},
            {&p.groups(),
             [&] {
                 QCOMPARE(p.groups().currentGroup(), group);
                 QCOMPARE(p.groupList()->currentItem()->text(), QStringLiteral("Zwerge"));
                 QCOMPARE(p.groupNames(),
                          (QStringList{QStringLiteral("Wirbelwinde"), QStringLiteral("Zwerge")}));
                 QCOMPARE(p.members(),
                          (QStringList{QStringLiteral("Arnold Anna mit Asta"),
                                       QStringLiteral("Berger Ben mit Bello"),
                                       QStringLiteral("Cramer Cleo mit Cora")}));
                 // Choosing members enters none of them.
                 QCOMPARE(p.t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass "
                                                   "WHERE AnlassNr = ")
                                    + QString::number(p.event)),
                          2);
                 QCOMPARE(p.button(p.groups(), "DeleteGroupBtn")->text(),
                          QStringLiteral("&Einfügen"));
                 p.button(p.groups(), "DeleteGroupBtn")->click();
                 QVERIFY(p.groups().isVisible());
                 p.button(p.groups(), "CloseBtn")->click();
             }},
        });
        p.menu("NewGroupItem");
        QCOMPARE(op.done, 4);
        QVERIFY(!QApplication::activeModalWidget());

        const std::optional<TeamRow> row = p.t.data.ReadTeam(group);
        QCOMPARE(row->Typ, 2);
        QCOMPARE(row->KatNr, p.junioren);
        QCOMPARE(p.memberships(group), (QList<int>{p.arnold, p.berger, p.cramer}));
        const std::optional<EntryRow> entry = p.t.data.ReadEntry(p.event, group);
        QVERIFY(entry->IsGroup);
        QCOMPARE(entry->StartNr, 6);
        // A member without a standing number takes the group's and keeps it; Berger keeps 12.
        const QList<std::pair<int, int>> numbers{{p.arnold, 6}, {p.berger, 12}, {p.cramer, 6}};
        for (const auto &[team, startNr] : numbers) {
            const std::optional<EntryRow> member = p.t.data.ReadEntry(p.event, team);
            QVERIFY(member);
            QCOMPARE(member->GroupNr, group);
            QVERIFY(!member->IsGroup);
            QCOMPARE(member->StartNr, startNr);
            QVERIFY(member->Abgeschlossen && member->ZusatzAbgeschlossen);
            QVERIFY(!member->RangBerechnet && !member->ZusatzRangBerechnet);
            QCOMPARE(p.t.data.ReadTeam(team)->StartNr, startNr);
            QCOMPARE(p.t.count(QStringLiteral("SELECT count(*) FROM Parcours WHERE AnlassNr = %1 "
                                              "AND TeamNr = %2")
                                   .arg(p.event)
                                   .arg(team)),
                     2);
        }
        QCOMPARE(p.t.count(QStringLiteral("SELECT count(*) FROM Parcours WHERE TeamNr = ")
                           + QString::number(group)),
                 0);
        // The participant list shows the group, not its members.
        QCOMPARE(p.t.competition->participants().size(), 2);
        QVERIFY(p.t.competition->participantIndex(group) >= 0);
        QCOMPARE(p.t.competition->participantIndex(p.arnold), -1);
        QVERIFY(p.t.ui.messages.isEmpty());
    }

    void memberChoiceClosedOrTakenAndTheOverviewAfterwards()
    {
        Program p;
        const qint64 entries = p.t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass"));
        const auto choose = [&](QList<int> teams, const char *buttonName) {
            return Operator::Step{&p.overview(), [&p, teams, buttonName] {
                                      QCOMPARE(p.listedTypes(), QList<int>{1});
                                      p.clickRow(teams.first());
                                      for (int team : teams.mid(1))
                                          p.clickRow(team, Qt::ControlModifier);
                                      p.button(p.overview(), buttonName)->click();
                                  }};
        };
        const auto add = [&] {
            return Operator::Step{&p.groups(), [&p] {
                                      p.selectGroup(p.wirbel);
                                      p.button(p.groups(), "AddMemberBtn")->click();
                                  }};
        };
        Operator op({
            add(),
            choose({p.arnold, p.cramer}, "CloseBtn"),
            {&p.groups(),
             [&] {
                 QCOMPARE(p.members(), QStringList{QStringLiteral("Berger Ben mit Bello")});
                 QCOMPARE(p.memberships(p.wirbel), QList<int>{p.berger});
                 p.selectGroup(p.wirbel);
                 p.button(p.groups(), "AddMemberBtn")->click();
             }},
            // Berger is a member already.
            choose({p.berger, p.arnold}, "DeleteBtn"),
            {&p.groups(),
             [&] {
                 QCOMPARE(p.groups().currentGroup(), p.wirbel);
                 QCOMPARE(p.members(),
                          (QStringList{QStringLiteral("Arnold Anna mit Asta"),
                                       QStringLiteral("Berger Ben mit Bello")}));
                 p.button(p.groups(), "CloseBtn")->click();
             }},
            // The overview opened from the main menu is itself again: all rows, one at a time.
            {&p.overview(),
             [&] {
                 TTeamOverviewForm &o = p.overview();
                 QCOMPARE(p.listedTypes(), (QList<int>{1, 2}));
                 QVERIFY(childOf<QRadioButton>(o, "KindAlles")->isChecked());
                 QCOMPARE(o.grid()->selectionMode(), QAbstractItemView::SingleSelection);
                 QCOMPARE(p.button(o, "DeleteBtn")->text(), QStringLiteral("Team &löschen"));
                 p.clickRow(p.arnold);
                 p.clickRow(p.cramer, Qt::ControlModifier);
                 QCOMPARE(o.selectedTeamNrs(), QList<int>{p.cramer});
                 p.button(o, "CloseBtn")->click();
             }},
        });
        p.menu("MaintainGroupsItem");
        p.menu("MaintainTeamsItem");
        QCOMPARE(op.done, 6);
        QCOMPARE(p.memberships(p.wirbel), (QList<int>{p.arnold, p.berger}));
        // Members are chosen, not entered.
        QCOMPARE(p.t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass")), entries);
        QVERIFY(p.t.ui.messages.isEmpty());
    }

    void editMemberOpensTheTeamDialogOnIt()
    {
        Program p;
        p.t.addMember(p.wirbel, p.arnold);
        Operator op({
            {&p.groups(),
             [&] {
                 p.selectGroup(p.wirbel);
                 p.memberGrid()->setCurrentCell(1, 0);
                 p.button(p.groups(), "EditMemberBtn")->click();
             }},
            {&p.teamForm(),
             [&] {
                 TTeamForm &f = p.teamForm();
                 QCOMPARE(f.windowTitle(), QStringLiteral("Team"));
                 QVERIFY(childOf<QLineEdit>(f, "Vorname")->isVisible());
                 QCOMPARE(childOf<QLineEdit>(f, "Name")->text(), QStringLiteral("Berger"));
                 QLineEdit *dog = childOf<QLineEdit>(f, "Hund");
                 dog->clear();
                 QTest::keyClicks(dog, QStringLiteral("Bruno"));
                 p.button(f, "SaveBtn")->click();
             }},
            {&p.groups(),
             [&] {
                 QCOMPARE(p.members(),
                          (QStringList{QStringLiteral("Arnold Anna mit Asta"),
                                       QStringLiteral("Berger Ben mit Bruno")}));
                 QCOMPARE(p.memberGrid()->currentRow(), 1);
                 // A double-click edits as well; "Schliessen" there keeps everything.
                 QTableWidget *grid = p.memberGrid();
                 const QPoint cell = grid->visualItemRect(grid->item(0, 0)).center();
                 QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
                 QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
             }},
            {&p.teamForm(),
             [&] {
                 TTeamForm &f = p.teamForm();
                 QCOMPARE(childOf<QLineEdit>(f, "Name")->text(), QStringLiteral("Arnold"));
                 childOf<QLineEdit>(f, "Hund")->setText(QStringLiteral("Wolf"));
                 p.button(f, "CloseBtn")->click();
             }},
            {&p.groups(),
             [&] {
                 QCOMPARE(p.members().first(), QStringLiteral("Arnold Anna mit Asta"));
                 p.button(p.groups(), "CloseBtn")->click();
             }},
        });
        p.menu("MaintainGroupsItem");
        QCOMPARE(op.done, 5);
        QCOMPARE(p.t.data.ReadTeam(p.berger)->Hund, QStringLiteral("Bruno"));
        QCOMPARE(p.t.data.ReadTeam(p.arnold)->Hund, QStringLiteral("Asta"));
    }

    // The popup entry of a group row in the participant list shows that group alone, even
    // when another group has the same name.
    void showGroupFromTheParticipantList()
    {
        Program p;
        const int twin = p.t.addGroup(QStringLiteral("Wirbelwinde"), p.senioren);
        p.t.addMember(twin, p.cramer);
        p.t.addEntry(p.event, p.wirbel, 7, true);
        p.t.competition->RefreshParticipants();
        p.main().setCurrentRow(p.t.competition->participantIndex(p.wirbel));
        p.main().PopupMenu1Popup();
        QCOMPARE(p.main().action(QStringLiteral("ShowTeamItem"))->text(),
                 QStringLiteral("Gruppe &anzeigen"));
        Operator op({
            {&p.groups(),
             [&] {
                 QCOMPARE(p.groupNames(), QStringList{QStringLiteral("Wirbelwinde")});
                 QCOMPARE(p.groups().currentGroup(), p.wirbel);
                 QCOMPARE(p.members(), QStringList{QStringLiteral("Berger Ben mit Bello")});
                 QList<bool> enabled;
                 for (const char *name : {"NewGroupBtn", "DeleteGroupBtn", "AddMemberBtn",
                                          "RemoveMemberBtn", "EditMemberBtn"})
                     enabled << p.button(p.groups(), name)->isEnabled();
                 QCOMPARE(enabled, (QList<bool>{false, false, false, false, true}));
                 QCOMPARE(p.button(p.groups(), "DeleteGroupBtn")->text(),
                          QStringLiteral("&Löschen"));
                 p.button(p.groups(), "CloseBtn")->click();
             }},
        });
        p.main().action(QStringLiteral("ShowTeamItem"))->trigger();
        QCOMPARE(op.done, 1);
    }

    // Without an open event there is nothing to enter into, and no scorecard to print.
    void insertWithoutAnOpenEventDoesNothing()
    {
        Program p(false);
        QCOMPARE(p.t.competition->CurrentAnlassNr(), 0);
        const qint64 entries = p.t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass"));
        Operator op({
            {&p.groups(),
             [&] {
                 p.selectGroup(p.wirbel);
                 childOf<QCheckBox>(p.groups(), "PrintOnSave")->setChecked(true);
                 p.button(p.groups(), "DeleteGroupBtn")->click();
                 p.button(p.groups(), "CloseBtn")->click();
             }},
        });
        p.menu("NewGroupItem");
        QCOMPARE(op.done, 1);
        QCOMPARE(p.t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass")), entries);
        QCOMPARE(p.t.count(QStringLiteral("SELECT count(*) FROM Parcours")), 0);
        QVERIFY(p.t.ui.printed.isEmpty());
        QVERIFY(p.t.ui.messages.isEmpty());
    }
};

QTEST_MAIN(TestGroupFlow)
#include "tst_groupflow.moc"
