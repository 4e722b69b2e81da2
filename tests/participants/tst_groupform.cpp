#include "app/ui/Forms.h"
#include "app/ui/HelpWindow.h"
#include "participants/ui/GroupForm.h"
#include "participants/ui/TeamForm.h"
#include "support/TestDatabase.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <functional>

namespace {

// The whole program on a test database: an open event with two posts, three teams, and the
// groups "Wirbelwinde" (all three teams), "All" (one) and "Adler" (none).
struct Program
{
    TestDatabase t;
    Forms forms;
    int kat = 0;
    int event = 0;
    int teams[3] = {};
    int wirbel = 0;
    int all = 0;
    int adler = 0;

    Program()
    {
        kat = t.addCategory(QStringLiteral("Senioren"));
        t.addPost(QStringLiteral("Slalom"));
        t.addPost(QStringLiteral("Tunnel"));
        event = t.addEvent(QStringLiteral("Herbst"));
        teams[0] = t.addTeam(QStringLiteral("Arnold"), QStringLiteral("Anna"), kat, false, 0,
                             QStringLiteral("Asta"));
        teams[1] = t.addTeam(QStringLiteral("Berger"), QStringLiteral("Ben"), kat, false, 0,
                             QStringLiteral("Bello"));
        teams[2] = t.addTeam(QStringLiteral("Cramer"), QStringLiteral("Cleo"), kat, false, 0,
                             QStringLiteral("Cora"));
        wirbel = t.addGroup(QStringLiteral("Wirbelwinde"), kat);
        all = t.addGroup(QStringLiteral("All"), kat);
        adler = t.addGroup(QStringLiteral("Adler"), kat);
        for (int team : teams)
            t.addMember(wirbel, team);
        t.addMember(all, teams[1]);
        forms.create(*t.competition, t.ui);
        t.open(event);
    }
    ~Program() { forms.destroy(); }

    TGroupForm &form() { return *forms.GroupForm; }
    QListWidget *list() { return form().findChild<QListWidget *>(QStringLiteral("GroupList")); }
    QTableWidget *grid() { return form().findChild<QTableWidget *>(QStringLiteral("MemberGrid")); }
    QPushButton *button(const char *name)
    {
        return form().findChild<QPushButton *>(QLatin1String(name));
    }

    // The dialog as its menu command prepares it, shown without a modal loop of its own.
    void show(QChar mode)
    {
        form().mode = mode;
        form().LoadGroups();
        form().FormShow();
        form().show();
    }

    QStringList groupNames()
    {
        QStringList names;
        for (int i = 0; i < list()->count(); ++i)
            names << list()->item(i)->text();
        return names;
    }
    void selectGroup(int groupNr)
    {
        for (int i = 0; i < list()->count(); ++i) {
            if (list()->item(i)->data(Qt::UserRole).toInt() == groupNr)
                list()->setCurrentRow(i);
        }
        QCOMPARE(form().currentGroup(), groupNr);
    }
    QStringList column(int c)
    {
        QStringList texts;
        for (int row = 0; row < grid()->rowCount(); ++row)
            texts << (grid()->item(row, c) ? grid()->item(row, c)->text() : QString());
        return texts;
    }

    // Runs action; every modal dialog it opens besides the group dialog is handed to the
    // next handler of the script, and cancelled when the script has none left (or the
    // handler left it open).
    void withDialogs(QList<std::function<void(QDialog &)>> script,
                     const std::function<void()> &action)
    {
        QTimer timer;
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog || dialog == forms.GroupForm)
                return;
            if (!script.isEmpty())
                script.takeFirst()(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        timer.start();
        action();
    }
};

} // namespace

class TestGroupForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bothModesArrangeTheirControls_data()
    {
        QTest::addColumn<QChar>("mode");
        QTest::addColumn<QString>("firstButton");
        QTest::addColumn<bool>("printBox");
        QTest::addColumn<int>("listHeight");
        QTest::newRow("maintenance")
            << QChar(QLatin1Char(' ')) << QStringLiteral("Löschen") << false << 156;
        QTest::newRow("entry") << QChar(QLatin1Char('G')) << QStringLiteral("Einfügen") << true
                               << 136;
    }
    void bothModesArrangeTheirControls()
    {
        QFETCH(QChar, mode);
        QFETCH(QString, firstButton);
        QFETCH(bool, printBox);
        QFETCH(int, listHeight);
        Program p;
        // Entry mode first, so that maintenance shows it puts everything back.
        p.show(QLatin1Char('G'));
        p.show(mode);
        TGroupForm &form = p.form();
        QCOMPARE(form.windowTitle(), QStringLiteral("Gruppen verwalten"));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(form.isModal());
        QCOMPARE(form.findChild<QGroupBox *>(QStringLiteral("GroupFrame"))->title(),
                 QStringLiteral("&Gruppenname"));
        QCOMPARE(form.findChild<QGroupBox *>(QStringLiteral("TeamFrame"))->title(),
                 QStringLiteral("&Teams"));
        QCOMPARE(p.button("DeleteGroupBtn")->text().remove(u'&'), firstButton);
        auto *print = form.findChild<QCheckBox *>(QStringLiteral("PrintOnSave"));
        QCOMPARE(print->text(), QStringLiteral("Bewertungsbogen beim &Speichern drucken"));
        QCOMPARE(print->isVisible(), printBox);
        QCOMPARE(p.list()->height(), listHeight);
        if (printBox) {
            QVERIFY(print->width() >= print->sizeHint().width());
            QVERIFY(print->geometry().top() >= p.list()->geometry().bottom());
            QVERIFY(print->geometry().bottom() < p.button("NewGroupBtn")->geometry().top());
        }
        for (const char *name : {"NewGroupBtn", "DeleteGroupBtn", "AddMemberBtn", "EditMemberBtn",
                                 "RemoveMemberBtn"}) {
            QPushButton *b = p.button(name);
            QVERIFY2(b->isVisible() && b->isEnabled(), name);
            QVERIFY2(b->parentWidget()->rect().contains(b->geometry()), name);
            QVERIFY2(b->width() >= b->sizeHint().width(), name);
        }
        QCOMPARE(p.button("CloseBtn")->text(), QStringLiteral("S&chliessen"));

        QCOMPARE(p.groupNames(),
                 (QStringList{QStringLiteral("Adler"), QStringLiteral("All"),
                              QStringLiteral("Wirbelwinde")}));
        p.selectGroup(p.wirbel);
        QCOMPARE(p.column(0),
                 (QStringList{QStringLiteral("Arnold Anna mit Asta"),
                              QStringLiteral("Berger Ben mit Bello"),
                              QStringLiteral("Cramer Cleo mit Cora")}));
        QCOMPARE(p.column(1),
                 (QStringList{QString::number(p.teams[0]), QString::number(p.teams[1]),
                              QString::number(p.teams[2])}));
        QVERIFY(p.grid()->isColumnHidden(1));
        // A group without members: one empty row, on which the member commands do nothing.
        p.selectGroup(p.adler);
        QCOMPARE(p.column(0), QStringList{QString()});
        p.button("RemoveMemberBtn")->click();
        p.button("EditMemberBtn")->click();
        QVERIFY(p.t.ui.messages.isEmpty());
    }

    void f1OpensItsHelpPage()
    {
        Program p;
        HelpWindow::setHelpFolder(qEnvironmentVariable("VELUNDA_SOURCE_DIR")
                                  + QStringLiteral("/help"));
        p.show(QLatin1Char(' '));
        p.form().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p.form()));
        QTest::keyClick(p.list(), Qt::Key_F1);
        HelpWindow *help = HelpWindow::current();
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->findChild<QTextBrowser *>(QStringLiteral("helpBrowser"))->source(),
                 help->topicUrl(1033));
        help->close();
        HelpWindow::setHelpFolder(QString());
    }

    void oneGroupViewDisablesTheChangingCommands()
    {
        Program p;
        QStringList names;
        QStringList members;
        QList<bool> enabled;
        // Opened from the participant list on the group called "All".
        QTimer::singleShot(0, &p.form(), [&] {
            names = p.groupNames();
            members = p.column(0);
            for (const char *name : {"NewGroupBtn", "DeleteGroupBtn", "AddMemberBtn",
                                     "RemoveMemberBtn", "EditMemberBtn", "CloseBtn"})
                enabled << p.button(name)->isEnabled();
            p.form().reject();
        });
        p.form().ShowTeamItemClick(p.all);
        QCOMPARE(names, QStringList{QStringLiteral("All")});
        QCOMPARE(members, QStringList{QStringLiteral("Berger Ben mit Bello")});
        QCOMPARE(enabled, (QList<bool>{false, false, false, false, true, true}));

        // The menu command lists every group again, with its commands.
        QTimer::singleShot(0, &p.form(), [&] {
            names = p.groupNames();
            enabled = {p.button("NewGroupBtn")->isEnabled(), p.button("AddMemberBtn")->isEnabled()};
            p.form().reject();
        });
        p.form().MaintainGroupsItemClick();
        QCOMPARE(names.size(), 3);
        QCOMPARE(enabled, (QList<bool>{true, true}));
    }

    void selectionKeepsItsPlace()
    {
        Program p;
        p.show(QLatin1Char(' '));
        p.selectGroup(p.wirbel);
        p.grid()->setCurrentCell(1, 0);
        p.t.ui.answers = {false};
        p.button("RemoveMemberBtn")->click();
        QCOMPARE(p.column(1).size(), 3);
        p.t.ui.answers = {true};
        p.button("RemoveMemberBtn")->click();
        QCOMPARE(p.column(1),
                 (QStringList{QString::number(p.teams[0]), QString::number(p.teams[2])}));
        QCOMPARE(p.form().currentGroup(), p.wirbel);

        // The deleted group's place goes to the next one, and its members are shown.
        p.selectGroup(p.all);
        p.t.ui.answers = {true};
        p.button("DeleteGroupBtn")->click();
        QCOMPARE(p.t.ui.texts(QStringLiteral("yesno")).last(),
                 QStringLiteral("Wollen Sie die Gruppe All wirklich löschen?"));
        QCOMPARE(p.groupNames(),
                 (QStringList{QStringLiteral("Adler"), QStringLiteral("Wirbelwinde")}));
        QCOMPARE(p.list()->currentRow(), 1);
        QCOMPARE(p.form().currentGroup(), p.wirbel);
        QCOMPARE(p.column(1).size(), 2);
        // Deleting the last group of the list selects the first.
        p.t.ui.answers = {true};
        p.button("DeleteGroupBtn")->click();
        QCOMPARE(p.groupNames(), QStringList{QStringLiteral("Adler")});
        QCOMPARE(p.form().currentGroup(), p.adler);
        QCOMPARE(p.column(0), QStringList{QString()});
    }

    // A membership can outlive its team only through outside changes to the files; it is
    // listed so that it can be removed, but there is nothing to edit.
    void memberWhoseTeamHasGoneIsOnlyRemoved()
    {
        Program p;
        p.t.db().exec(QStringLiteral("DELETE FROM Team WHERE TeamNr = ")
                      + QString::number(p.teams[2]));
        p.show(QLatin1Char(' '));
        p.selectGroup(p.wirbel);
        QCOMPARE(p.column(1).last(), QString::number(p.teams[2]));
        p.grid()->setCurrentCell(2, 0);
        int dialogs = 0;
        p.withDialogs({[&](QDialog &) {
                          ++dialogs;
                      }},
                      [&] { p.button("EditMemberBtn")->click(); });
        QCOMPARE(dialogs, 0);
        p.t.ui.answers = {true};
        p.button("RemoveMemberBtn")->click();
        QCOMPARE(p.column(1),
                 (QStringList{QString::number(p.teams[0]), QString::number(p.teams[1])}));
    }

    void twoGroupsOfOneNameAreTold()
    {
        Program p;
        const int twin = p.t.addGroup(QStringLiteral("Adler"), p.kat);
        p.t.addMember(twin, p.teams[2]);
        p.t.addTeam(QStringLiteral("Adler"), QString(), p.kat);
        p.show(QLatin1Char(' '));
        QCOMPARE(p.groupNames().count(QStringLiteral("Adler")), 2);
        p.selectGroup(twin);
        QCOMPARE(p.column(1), QStringList{QString::number(p.teams[2])});
        p.selectGroup(p.adler);
        QCOMPARE(p.column(0), QStringList{QString()});

        p.selectGroup(twin);
        p.t.ui.answers = {true};
        p.button("DeleteGroupBtn")->click();
        QVERIFY(!p.t.data.ReadTeam(twin));
        QVERIFY(p.t.data.ReadTeam(p.adler));
        QCOMPARE(p.groupNames().count(QStringLiteral("Adler")), 1);
    }

    void insertEntersTheSelectedGroupAndPrints()
    {
        Program p;
        p.show(QLatin1Char('G'));
        p.selectGroup(p.wirbel);
        p.form().findChild<QCheckBox *>(QStringLiteral("PrintOnSave"))->setChecked(true);
        p.button("DeleteGroupBtn")->click();
        QVERIFY(p.t.data.ReadEntry(p.event, p.wirbel)->IsGroup);
        for (int team : p.teams)
            QCOMPARE(p.t.data.ReadEntry(p.event, team)->GroupNr, p.wirbel);
        QCOMPARE(p.t.ui.printed.size(), 4);
        QVERIFY(!p.t.data.ReadEntry(p.event, p.all));
        QVERIFY(p.form().isVisible());
        QVERIFY(p.t.ui.messages.isEmpty());
    }

    // The team dialog is scripted from outside: the group it would save is written here and
    // its number handed back the way the dialog reports a save.
    void newGroupIsEnteredAndSelected()
    {
        Program p;
        p.show(QLatin1Char(' '));
        p.selectGroup(p.adler);
        int created = 0;
        const auto saveGroup = [&](QDialog &dialog) {
            QCOMPARE(&dialog, static_cast<QDialog *>(p.forms.TeamForm));
            created = p.t.addGroup(QStringLiteral("Neu"), p.kat);
            p.forms.TeamForm->TeamNr = created;
            dialog.accept();
        };
        // Cancelled: nothing.
        p.withDialogs({}, [&] { p.button("NewGroupBtn")->click(); });
        QCOMPARE(p.groupNames().size(), 3);
        QCOMPARE(p.t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass")), 0);

        // The member choice that follows is cancelled.
        p.withDialogs({saveGroup}, [&] { p.button("NewGroupBtn")->click(); });
        QVERIFY(created > 0);
        QCOMPARE(p.groupNames(),
                 (QStringList{QStringLiteral("Adler"), QStringLiteral("All"), QStringLiteral("Neu"),
                              QStringLiteral("Wirbelwinde")}));
        QCOMPARE(p.form().currentGroup(), created);
        QCOMPARE(p.list()->currentItem()->text(), QStringLiteral("Neu"));
        QCOMPARE(p.column(0), QStringList{QString()});
        // Entered at once, in maintenance mode too, as a group without members.
        QVERIFY(p.t.data.ReadEntry(p.event, created)->IsGroup);
        QCOMPARE(p.t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass")), 1);
        QCOMPARE(p.t.count(QStringLiteral("SELECT count(*) FROM Parcours")), 0);
    }
};

QTEST_MAIN(TestGroupForm)
#include "tst_groupform.moc"
