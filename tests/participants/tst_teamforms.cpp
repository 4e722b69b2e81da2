#include "app/ui/Forms.h"
#include "app/ui/HelpWindow.h"
#include "app/ui/MainForm.h"
#include "app/ui/ParticipantModel.h"
#include "participants/ui/TeamForm.h"
#include "participants/ui/TeamImportDialog.h"
#include "participants/ui/TeamOverviewForm.h"
#include "support/HerbstProgram.h"
#include "support/ModalDialogs.h"
#include "support/TestDatabase.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <functional>

namespace {

struct Program : HerbstProgram
{
    void fillTeam(const QString &name)
    {
        TTeamForm &f = teamForm();
        childOf<QLineEdit>(f, "Name")->setText(name);
        childOf<QLineEdit>(f, "Vorname")->setText(QStringLiteral("Vera"));
        childOf<QLineEdit>(f, "Hund")->setText(QStringLiteral("Bello"));
        childOf<QComboBox>(f, "Rasse")->setEditText(QStringLiteral("Pudel"));
        childOf<QComboBox>(f, "KatNr")->setCurrentIndex(0);
    }
};

int topIn(QWidget &form, QWidget *w)
{
    return w->mapTo(&form, QPoint(0, 0)).y();
}

} // namespace

class TestTeamForms : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void teamDialogLayoutFollowsTheKind_data()
    {
        QTest::addColumn<QChar>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("frameHeight");
        QTest::addColumn<int>("vereinTop");
        QTest::addColumn<int>("categoryTop");
        QTest::addColumn<int>("printTop");
        QTest::newRow("team") << QChar(QLatin1Char('T')) << QStringLiteral("Team")
                              << QStringLiteral("Angaben zum Team") << 296 << 211 << 105 << 180
                              << 245;
        QTest::newRow("group") << QChar(QLatin1Char('G')) << QStringLiteral("Gruppe")
                               << QStringLiteral("Angaben zur Gruppe") << 199 << 136 << 80 << 105
                               << 150;
    }

    void teamDialogLayoutFollowsTheKind()
    {
        QFETCH(QChar, kind);
        QFETCH(QString, caption);
        QFETCH(QString, frame);
        QFETCH(int, height);
        QFETCH(int, frameHeight);
        QFETCH(int, vereinTop);
        QFETCH(int, categoryTop);
        QFETCH(int, printTop);
        Program p;
        TTeamForm &f = p.teamForm();
        f.SetLayout(kind);
        f.show();
        QCOMPARE(f.windowTitle(), caption);
        QCOMPARE(f.height(), height);
        QCOMPARE(f.minimumSize(), f.maximumSize());
        auto *box = childOf<QGroupBox>(f, "GroupBox1");
        QCOMPARE(box->title(), frame);
        QCOMPARE(box->height(), frameHeight);
        QCOMPARE(topIn(f, childOf<QLabel>(f, "VereinLabel")), vereinTop);
        QCOMPARE(topIn(f, childOf<QComboBox>(f, "Verein")), vereinTop - 5);
        QCOMPARE(topIn(f, childOf<QPushButton>(f, "VereinBtn")), vereinTop - 5);
        QCOMPARE(topIn(f, childOf<QLabel>(f, "KategorieLabel")), categoryTop);
        QCOMPARE(topIn(f, childOf<QComboBox>(f, "KatNr")), categoryTop - 5);
        QCOMPARE(topIn(f, childOf<QPushButton>(f, "KategorieBtn")), categoryTop - 5);
        QCOMPARE(topIn(f, childOf<QCheckBox>(f, "PrintOnSave")), printTop);
        const bool team = kind == QLatin1Char('T');
        for (const char *name : {"Vorname", "Hund", "RasseBtn", "Zusatzspiel", "VornameLabel"})
            QCOMPARE(f.findChild<QWidget *>(QLatin1String(name))->isVisible(), team);
        QCOMPARE(childOf<QComboBox>(f, "Rasse")->isVisible(), team);
        for (const char *name : {"StartNr", "Name"})
            QVERIFY(childOf<QLineEdit>(f, name)->isVisible());
        // Every control fits into the window and, in its frame, above the frame's bottom.
        for (QWidget *w : f.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (w->isVisible())
                QVERIFY2(f.rect().contains(w->geometry()), qPrintable(w->objectName()));
        }
        QVERIFY(topIn(f, childOf<QPushButton>(f, "KategorieBtn")) + 22 <= box->geometry().bottom());
        f.hide();
    }

    void teamDialogLimitsWhatCanBeTyped()
    {
        Program p;
        TTeamForm &f = p.teamForm();
        const QList<std::pair<const char *, int>> lengths{
            {"StartNr", 10}, {"Name", 50}, {"Vorname", 25}, {"Hund", 25}};
        for (const auto &[name, length] : lengths)
            QCOMPARE(childOf<QLineEdit>(f, name)->maxLength(), length);
        for (const auto &[name, length] :
             QList<std::pair<const char *, int>>{{"Verein", 50}, {"Rasse", 35}}) {
            auto *box = childOf<QComboBox>(f, name);
            QVERIFY(box->isEditable());
            QCOMPARE(box->lineEdit()->maxLength(), length);
        }
        for (const char *name : {"VereinBtn", "RasseBtn"}) {
            auto *b = childOf<QPushButton>(f, name);
            QCOMPARE(b->text(), QStringLiteral("<"));
            QCOMPARE(b->toolTip(), QStringLiteral("Liste aktualisieren"));
        }
        // The pick list is read at creation and again on "<", with the hourglass.
        auto *clubs = childOf<QComboBox>(f, "Verein");
        QCOMPARE(clubs->findText(QStringLiteral("HC Test")) >= 0, true);
        p.t.db().exec(QStringLiteral("UPDATE Team SET Verein = 'KV Bern' WHERE Name = 'Aebi'"));
        QVERIFY(clubs->findText(QStringLiteral("KV Bern")) < 0);
        clubs->setEditText(QStringLiteral("angefangen"));
        childOf<QPushButton>(f, "VereinBtn")->click();
        QVERIFY(clubs->findText(QStringLiteral("KV Bern")) >= 0);
        QCOMPARE(clubs->currentText(), QStringLiteral("angefangen"));
        QCOMPARE(p.t.ui.maxBusyDepth, 1);
        QCOMPARE(p.t.ui.busyDepth, 0);
    }

    void newTeamFromTheMainMenuEntersOneAfterTheOther()
    {
        Program p;
        QStringList proposed;
        bool printEnabled = false;
        onNextModal([&](QWidget *modal) {
            QCOMPARE(modal, &p.teamForm());
            TTeamForm &f = p.teamForm();
            QCOMPARE(f.windowTitle(), QStringLiteral("Team"));
            printEnabled = childOf<QCheckBox>(f, "PrintOnSave")->isEnabled();
            // Incomplete input keeps the dialog open; the blank name now reads "0".
            childOf<QPushButton>(f, "SaveBtn")->click();
            QVERIFY(f.isVisible());
            QCOMPARE(childOf<QLineEdit>(f, "Name")->text(), QStringLiteral("0"));
            QCOMPARE(p.t.ui.texts(QStringLiteral("information")),
                     QStringList{QStringLiteral("Füllen Sie bitte alle Felder aus.")});
            childOf<QLineEdit>(f, "StartNr")->setText(QStringLiteral("3"));
            for (const char *name : {"Neu", "Noch"}) {
                proposed << childOf<QLineEdit>(f, "StartNr")->text();
                p.fillTeam(QLatin1String(name));
                childOf<QPushButton>(f, "SaveBtn")->click();
                QVERIFY(f.isVisible());
                QVERIFY(childOf<QLineEdit>(f, "Name")->text().isEmpty());
            }
            proposed << childOf<QLineEdit>(f, "StartNr")->text();
            f.close(); // the close box acts as "Schliessen"
        });
        p.main().action(QStringLiteral("NewTeamItem"))->trigger();
        QCOMPARE(proposed,
                 (QStringList{QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")}));
        QVERIFY(printEnabled);
        QVERIFY(!p.t.competition->EntryMode);
        QCOMPARE(p.main().participantModel()->rowCount(), 4);
        QCOMPARE(p.t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass e JOIN Team t ON "
                                          "t.TeamNr = e.TeamNr WHERE t.Name IN ('Neu', 'Noch') "
                                          "AND e.StartNr IN (3, 4)")),
                 qint64(2));
    }

    void showTeamEditsTheEntryOutsideEntryMode()
    {
        Program p;
        p.main().setCurrentRow(p.t.competition->participantIndex(p.brun));
        bool printEnabled = true;
        onNextModal([&](QWidget *) {
            TTeamForm &f = p.teamForm();
            auto *print = childOf<QCheckBox>(f, "PrintOnSave");
            printEnabled = print->isEnabled() || print->isChecked();
            QCOMPARE(childOf<QLineEdit>(f, "Name")->text(), QStringLiteral("Brun"));
            QCOMPARE(childOf<QComboBox>(f, "KatNr")->currentText(), QStringLiteral("Senioren"));
            childOf<QLineEdit>(f, "StartNr")->setText(QStringLiteral("9"));
            childOf<QPushButton>(f, "SaveBtn")->click();
        });
        p.main().ShowTeamItemClick();
        QVERIFY(!printEnabled);
        QCOMPARE(p.t.data.ReadEntry(p.event, p.brun)->StartNr, 9);
        // The grid was refreshed: Brun now comes after Aebi with its new number.
        const int row = p.t.competition->participantIndex(p.brun);
        QCOMPARE(p.t.competition->participants().at(row).StartNr, 9);

        // "Schliessen" saves nothing.
        onNextModal([&](QWidget *) {
            childOf<QLineEdit>(p.teamForm(), "Name")->setText(QStringLiteral("Anders"));
            childOf<QPushButton>(p.teamForm(), "CloseBtn")->click();
        });
        p.main().ShowTeamItemClick();
        QCOMPARE(p.t.data.ReadTeam(p.brun)->Name, QStringLiteral("Brun"));
    }

    void overviewShowingDependsOnTheMode_data()
    {
        QTest::addColumn<QChar>("mode");
        QTest::addColumn<bool>("entryMode");
        QTest::addColumn<QString>("deleteCaption");
        QTest::newRow("maintenance")
            << QChar(QLatin1Char('M')) << false << QStringLiteral("Team löschen");
        QTest::newRow("entry") << QChar(QLatin1Char('I')) << true << QStringLiteral("Team löschen");
        QTest::newRow("selection")
            << QChar(QLatin1Char('S')) << false << QStringLiteral("Übernehmen");
    }

    void overviewShowingDependsOnTheMode()
    {
        QFETCH(QChar, mode);
        QFETCH(bool, entryMode);
        QFETCH(QString, deleteCaption);
        Program p;
        TTeamOverviewForm &o = p.overview();
        QAbstractItemModelTester tester(o.grid()->model());
        p.t.competition->EntryMode = entryMode;
        p.t.db().exec(QStringLiteral("UPDATE Team SET RandomNum = 17"));
        auto *print = childOf<QCheckBox>(o, "PrintOnSave");
        print->setChecked(true);
        o.SetEventListShown(true);
        o.overview().mode = mode;
        o.FormShow();
        o.show();
        QCOMPARE(o.windowTitle(), QStringLiteral("Team-Übersicht"));
        QVERIFY(o.minimumSize() != o.maximumSize());
        QCOMPARE(print->isEnabled(), entryMode);
        QCOMPARE(print->isChecked(), entryMode);
        QCOMPARE(childOf<QPushButton>(o, "DeleteBtn")->text().remove(u'&'), deleteCaption);
        QCOMPARE(o.action(QStringLiteral("NewStrNrItem"))->isEnabled(), mode != QLatin1Char('S'));
        QCOMPARE(o.action(QStringLiteral("ClearStrNrItem"))->isEnabled(), mode != QLatin1Char('S'));
        QVERIFY(!childOf<QCheckBox>(o, "EventListBox")->isChecked());
        QCOMPARE(p.t.count(QStringLiteral("SELECT count(*) FROM Team WHERE RandomNum <> 0")),
                 qint64(0));
        QCOMPARE(o.grid()->model()->rowCount(), 4);
        QCOMPARE(o.grid()->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Name"));
        QCOMPARE(o.grid()->model()->index(0, 0).data().toString(), QStringLiteral("Aebi Alma"));
        QCOMPARE(o.grid()->model()->index(0, 6).data().toString(), QStringLiteral("Nein"));
        o.hide();
    }

    void overviewFindsAndFilters()
    {
        Program p;
        TTeamOverviewForm &o = p.overview();
        o.FormShow();
        auto *nameBox = childOf<QLineEdit>(o, "NameBox");
        QTest::keyClicks(nameBox, QStringLiteral("ca"));
        QCOMPARE(o.currentRow()->TeamNr, p.caduff);

        childOf<QRadioButton>(o, "KindTeams")->click();
        QCOMPARE(o.grid()->model()->rowCount(), 3);
        childOf<QCheckBox>(o, "EventListBox")->click();
        QVERIFY(!nameBox->isEnabled());
        QCOMPARE(o.grid()->model()->rowCount(), 2);
        QVERIFY(childOf<QRadioButton>(o, "KindAlles")->isChecked());
        childOf<QCheckBox>(o, "EventListBox")->click();
        QVERIFY(nameBox->isEnabled());
        QCOMPARE(o.grid()->model()->rowCount(), 3);
        QVERIFY(childOf<QRadioButton>(o, "KindTeams")->isChecked());
    }

    void overviewCommandsOnTheCurrentRow()
    {
        Program p;
        TTeamOverviewForm &o = p.overview();
        o.overview().mode = QLatin1Char('M');
        o.FormShow();
        // Delete key on a team in use: refused, naming the event.
        o.setCurrentTeam(p.aebi);
        p.t.ui.answers = {true};
        QTest::keyClick(o.grid(), Qt::Key_Delete);
        QCOMPARE(p.t.ui.texts(QStringLiteral("information")),
                 QStringList{QStringLiteral(
                     "Alma Aebi wird noch in [Herbst] verwendet und kann nicht gelöscht werden.")});

        // The popup's insert puts its report on the message line.
        o.setCurrentTeam(p.caduff);
        o.action(QStringLiteral("PopupInsertWithStartNrItem"))->trigger();
        QCOMPARE(childOf<QLabel>(o, "MessageLine")->text(),
                 QStringLiteral("Cla Caduff wurde mit Startnummer 3 in den Anlass eingefügt."));
        QCOMPARE(o.currentRow()->TeamNr, p.caduff);

        // Editing a group opens the team layout, with the entry mode off while it is open.
        p.t.competition->EntryMode = true;
        o.setCurrentTeam(p.group);
        QChar kind;
        bool entryModeInside = true;
        onNextModal([&](QWidget *) {
            kind = p.teamForm().kind();
            entryModeInside = p.t.competition->EntryMode;
        });
        QTest::keyClick(o.grid(), Qt::Key_Return);
        QCOMPARE(kind, QLatin1Char('T'));
        QVERIFY(!entryModeInside);
        QVERIFY(p.t.competition->EntryMode);
        p.t.competition->EntryMode = false;

        // Entry mode: Enter enters the row, after the question about the member entered on
        // its own, and says so on the message line; again, it says the group is in already.
        o.overview().mode = QLatin1Char('I');
        o.setCurrentTeam(p.group);
        p.t.ui.answers = {true};
        QTest::keyClick(o.grid(), Qt::Key_Return);
        QVERIFY(p.t.data.ReadEntry(p.event, p.group)->IsGroup);
        QCOMPARE(childOf<QLabel>(o, "MessageLine")->text(),
                 QStringLiteral("Die Gruppe Wirbel wurde in den Anlass eingefügt."));
        QTest::keyClick(o.grid(), Qt::Key_Return);
        QCOMPARE(childOf<QLabel>(o, "MessageLine")->text(),
                 QStringLiteral("Die Gruppe Wirbel ist bereits im Anlass eingetragen."));
        o.setCurrentTeam(p.caduff);
        QTest::keyClick(o.grid(), Qt::Key_Enter);
        QCOMPARE(childOf<QLabel>(o, "MessageLine")->text(),
                 QStringLiteral("Cla Caduff ist bereits im Anlass eingetragen."));
    }

    void selectTeamsReturnsTheChosenTeamsOnce()
    {
        Program p;
        TTeamOverviewForm &o = p.overview();
        o.overview().SetAllParticipantsFilter(2);
        QStringList selection{QString::number(p.brun)};
        int shownRows = 0;
        onNextModal([&](QWidget *) {
            QTableView *grid = o.grid();
            shownRows = grid->model()->rowCount();
            QCOMPARE(grid->selectionMode(), QAbstractItemView::ExtendedSelection);
            grid->selectionModel()->clearSelection();
            for (int teamNr : {p.brun, p.caduff}) {
                const QModelIndex index = grid->model()->index(o.overview().indexOf(teamNr), 0);
                grid->selectionModel()->select(
                    index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
            }
            childOf<QPushButton>(o, "DeleteBtn")->click();
        });
        QVERIFY(o.SelectTeams(selection));
        QCOMPARE(shownRows, 3); // teams only
        QStringList expected{QString::number(p.brun), QString::number(p.caduff)};
        expected.sort();
        QCOMPARE(selection, expected);
        QCOMPARE(o.overview().allParticipantsFilter(), 2);
        QCOMPARE(o.grid()->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(o.overview().mode, QLatin1Char('M'));

        onNextModal([&](QWidget *) { childOf<QPushButton>(o, "CloseBtn")->click(); });
        QVERIFY(!o.SelectTeams(selection));
    }

    void editTeamOpensTheTeamDialogForThatTeam()
    {
        Program p;
        int shown = 0;
        onNextModal([&](QWidget *) {
            shown = p.teamForm().TeamNr;
            QCOMPARE(childOf<QLineEdit>(p.teamForm(), "Name")->text(), QStringLiteral("Caduff"));
        });
        // Also when the list shown would not have it.
        p.overview().overview().SetAllParticipantsFilter(2);
        p.overview().EditTeam(p.caduff);
        QCOMPARE(shown, p.caduff);
    }

    void importEntryAddsTheFilesTeamsToTheList()
    {
        Program p;
        const QString path = p.t.programDir() + QStringLiteral("/anmeldungen.csv");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Name;Vorname;Verein;Hund;Rasse;Kategorie\n"
                   "Dietrich;Dora;;Dino;Dackel;Junioren\n");
        file.close();
        TTeamOverviewForm &o = p.overview();
        const auto listed = [&o] {
            QStringList names;
            for (const OverviewRow &row : o.overview().rows())
                names << row.Name;
            return names;
        };
        o.overview().Reload();
        QVERIFY(!listed().contains(QStringLiteral("Dietrich")));

        TeamImportDialog::setNextFileName(path);
        onNextModal([](QWidget *modal) { childOf<QPushButton>(*modal, "OKBtn")->click(); });
        o.action(QStringLiteral("ImportItem"))->trigger();
        QVERIFY(listed().contains(QStringLiteral("Dietrich")));
        QCOMPARE(p.t.count(QStringLiteral("SELECT count(*) FROM Team WHERE Name = 'Dietrich'")), 1);
    }

    void f1OpensTheWindowsHelpTopic()
    {
        Program p;
        HelpWindow::setHelpFolder(qEnvironmentVariable("VELUNDA_SOURCE_DIR")
                                  + QStringLiteral("/help"));
        const QList<std::pair<QWidget *, QString>> windows{
            {&p.teamForm(), QStringLiteral("1004.html")},
            {&p.overview(), QStringLiteral("1003.html")}};
        for (const auto &[window, page] : windows) {
            window->show();
            QTest::keyClick(window, Qt::Key_F1);
            QVERIFY(HelpWindow::current());
            auto *browser = HelpWindow::current()->findChild<QTextBrowser *>();
            QVERIFY(browser->source().toString().endsWith(page));
            window->hide();
        }
        HelpWindow::setHelpFolder(QString());
    }

    void renumberingFromTheMainMenuWithTheOverviewNeverShown()
    {
        Program p;
        p.t.addEntry(p.event, p.caduff, 0);
        p.t.ui.answers = {true};
        p.main().action(QStringLiteral("NeueStartnummernvergeben1"))->trigger();
        QCOMPARE(p.t.ui.texts(QStringLiteral("yesno")).size(), 1);
        QList<int> numbers;
        for (const ParticipantRow &row : p.t.competition->participants())
            numbers << row.StartNr;
        std::sort(numbers.begin(), numbers.end());
        QCOMPARE(numbers, (QList<int>{1, 2, 3}));
        QCOMPARE(p.t.count(QStringLiteral("SELECT count(*) FROM Team WHERE RandomNum <> 0")),
                 qint64(0));
        QVERIFY(!p.overview().isVisible());
    }
};

QTEST_MAIN(TestTeamForms)
#include "tst_teamforms.moc"
