#include "app/ui/Forms.h"
#include "app/ui/MainForm.h"
#include "engine/Statement.h"
#include "results/ui/ResultGrid.h"
#include "results/ui/TeamResultForm.h"
#include "support/KeyboardChecks.h"
#include "support/TestDatabase.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// The whole program on a test database: two posts (factors 2 and 1), a team that plays the
// additional game with results, and a group of two members, in one event.
struct Program
{
    TestDatabase t;
    Forms forms;
    int event = 0;
    int slalom = 0;
    int tunnel = 0;
    int team = 0;
    int group = 0;
    int member1 = 0;
    int member2 = 0;

    explicit Program(bool eventAddGame)
    {
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        slalom = t.addPost(QStringLiteral("Slalom"), 2);
        tunnel = t.addPost(QStringLiteral("Tunnel"), 1);
        event = t.addEvent(QStringLiteral("Herbst"), QStringLiteral("Punkte/Zeit"), 1, 2, false, 0,
                           eventAddGame, QStringLiteral("Suchspiel"));
        team = t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat, true, 1);
        member1 = t.addTeam(QStringLiteral("Beispiel"), QStringLiteral("Ben"), kat, false);
        member2 = t.addTeam(QStringLiteral("Cramer"), QStringLiteral("Cleo"), kat, false);
        group = t.addGroup(QStringLiteral("Wirbelwinde"), kat, false, 2);
        t.addEntry(event, team, 1);
        t.addEntry(event, group, 2, true);
        for (int m : {member1, member2}) {
            t.addMember(group, m);
            t.addEntry(event, m, 0, false, group, true, true);
        }
        for (int p : {slalom, tunnel}) {
            t.addResult(event, p, team, 6, 30, 4, 12);
            t.addResult(event, p, member1, 2, 10);
            t.addResult(event, p, member2, 2, 10);
        }
        forms.create(*t.competition, t.ui);
        t.open(event);
    }
    ~Program() { forms.destroy(); }

    TMainForm &main() { return *forms.MainForm; }
    TTeamResultForm &dialog() { return *forms.TeamResultForm; }

    void selectRowOf(int teamNr) { main().setCurrentRow(t.competition->participantIndex(teamNr)); }

    EntryRow entry(int teamNr) { return *t.data.ReadEntry(event, teamNr); }

    double stored(const char *column, int postenNr, int teamNr)
    {
        Statement s(t.db(),
                    QStringLiteral("SELECT %1 FROM Parcours WHERE AnlassNr = :a AND "
                                   "PostenNr = :p AND TeamNr = :t")
                        .arg(QLatin1String(column)));
        s.bind("a", event).bind("p", postenNr).bind("t", teamNr);
        return s.next() ? s.real(0) : -1;
    }

    // Runs the action once the modal dialog is up; a dialog the action left open (a failed
    // check returns early) is cancelled, so that the test goes on.
    void whenShown(std::function<void(TTeamResultForm &)> action)
    {
        QTimer::singleShot(0, &dialog(), [this, action] {
            if (dialog().isVisible())
                action(dialog());
            if (dialog().isVisible())
                dialog().reject();
        });
    }
};

// The open editor; closed ones linger until they are deleted later.
QLineEdit *cellEditor(TTeamResultForm &dialog)
{
    for (QLineEdit *e : dialog.grid()->findChildren<QLineEdit *>(QStringLiteral("CellEditor"))) {
        if (e->isVisible())
            return e;
    }
    return nullptr;
}

QLabel *label(TTeamResultForm &dialog, const char *name)
{
    return dialog.findChild<QLabel *>(QLatin1String(name));
}

} // namespace

class TestTeamResultForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void okWritesFlagsCancelWritesNothing_data()
    {
        QTest::addColumn<bool>("eventAddGame");
        QTest::addColumn<bool>("ok");
        QTest::newRow("add game, ok") << true << true;
        QTest::newRow("add game, cancel") << true << false;
        QTest::newRow("no add game, ok") << false << true;
    }

    void okWritesFlagsCancelWritesNothing()
    {
        QFETCH(bool, eventAddGame);
        QFETCH(bool, ok);
        Program p(eventAddGame);
        p.selectRowOf(p.group); // the second row: the grid must come back to it
        // Only the participant's row is updated; the list is not reread.
        QSignalSpy refreshes(p.t.competition.get(), &Competition::participantChanged);
        QSignalSpy fullRefreshes(p.t.competition.get(), &Competition::participantsChanged);

        p.whenShown([&](TTeamResultForm &d) {
            d.findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->setChecked(true);
            d.findChild<QCheckBox *>(QStringLiteral("CheckBox2"))->setChecked(true);
            d.grid()->item(1, 3)->setText(QStringLiteral("7")); // member 1, tunnel
            d.findChild<QPushButton *>(ok ? QStringLiteral("SaveBtn") : QStringLiteral("CancelBtn"))
                ->click();
        });
        p.main().DBGrid1DblClick();

        const EntryRow g = p.entry(p.group);
        QCOMPARE(g.Abgeschlossen, ok);
        QCOMPARE(g.ZusatzAbgeschlossen, ok && eventAddGame);
        QCOMPARE(p.stored("Punkte", p.tunnel, p.member1), ok ? 7.0 : 2.0);
        QCOMPARE(refreshes.count(), ok ? 1 : 0);
        QCOMPARE(fullRefreshes.count(), 0);
        QCOMPARE(p.main().currentParticipant()->TeamNr, p.group);
        QCOMPARE(p.main().currentParticipant()->Abgeschlossen, ok);
        QVERIFY(p.t.ui.texts(QStringLiteral("yesno")).isEmpty());
        // the members keep the flags they were entered with, the team is untouched
        QVERIFY(p.entry(p.member1).Abgeschlossen && p.entry(p.member1).ZusatzAbgeschlossen);
        QVERIFY(!p.entry(p.team).Abgeschlossen);
    }

    void dialogLayoutFollowsParticipant_data()
    {
        QTest::addColumn<bool>("group");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("cursorColumn");
        QTest::addColumn<bool>("addGameShown");
        QTest::addColumn<int>("gridTop");
        QTest::newRow("team with add game")
            << false << "Ergebnisse von Muster Anna und Rex" << 2 << true << 65;
        QTest::newRow("group without")
            << true << "Ergebnisse der Gruppe Wirbelwinde " << 3 << false << 45;
    }

    void dialogLayoutFollowsParticipant()
    {
        QFETCH(bool, group);
        QFETCH(QString, title);
        QFETCH(int, cursorColumn);
        QFETCH(bool, addGameShown);
        QFETCH(int, gridTop);
        Program p(true);
        p.selectRowOf(group ? p.group : p.team);
        TTeamResultForm &d = p.dialog();
        d.FormShow(*p.main().currentParticipant());
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));

        QCOMPARE(d.windowTitle(), QStringLiteral("Ergebnisse eingeben"));
        QCOMPARE(d.findChild<QGroupBox *>(QStringLiteral("GroupBox1"))->title(), title);
        QCOMPARE(d.findChild<QCheckBox *>(QStringLiteral("CheckBox2"))->isVisible(), addGameShown);
        QCOMPARE(label(d, "lblTotalAddPoints")->isVisible(), addGameShown);
        // A four-digit total shows whole (it was cut to ".041,50").
        for (const char *name : {"lblTotalPoints", "lblTotalTime"}) {
            QLabel *total = label(d, name);
            QVERIFY2(total->fontMetrics().horizontalAdvance(QStringLiteral("9999,99"))
                         <= total->contentsRect().width(),
                     name);
        }
        QCOMPARE(d.grid()->geometry().top(), gridTop);
        QCOMPARE(d.grid()->isColumnHidden(d.sheet().keyColumn()), true);

        // The cursor starts in the first points cell with its editor open.
        QCOMPARE(d.grid()->currentRow(), 0);
        QCOMPARE(d.grid()->currentColumn(), cursorColumn);
        QVERIFY(cellEditor(d) && cellEditor(d)->isVisible());

        // A click on the factor cell leaves the cursor where it is.
        const QRect factorCell = d.grid()->visualItemRect(d.grid()->item(1, cursorColumn - 1));
        QTest::mouseClick(d.grid()->viewport(), Qt::LeftButton, {}, factorCell.center());
        QCOMPARE(d.grid()->currentColumn(), cursorColumn);
        QCOMPARE(d.grid()->currentRow(), 0);
        d.reject();
    }

    void typingSavesThroughEditorAndTotalsFollowEveryKey()
    {
        Program p(true);
        p.selectRowOf(p.team);
        TTeamResultForm &d = p.dialog();
        QLabel *points = label(d, "lblTotalPoints");
        bool saved = false;
        p.t.ui.answers = {false};
        p.whenShown([&](TTeamResultForm &dlg) {
            QCOMPARE(points->text(), QStringLiteral("12,00"));
            QLineEdit *editor = cellEditor(dlg);
            QVERIFY(editor);
            editor->selectAll();
            QTest::keyClicks(editor, QStringLiteral("5"));
            QCOMPARE(points->text(), QStringLiteral("16,00")); // 5 * 2 + 6, at once
            QTest::keyClick(editor, Qt::Key_Down);
            QCOMPARE(dlg.grid()->currentRow(), 1);
            QCOMPARE(points->text(), QStringLiteral("16,00"));
            QVERIFY(cellEditor(dlg));
            QTest::keyClick(cellEditor(dlg), Qt::Key_Return); // Enter in the grid saves
        });
        saved = d.execFor(*p.main().currentParticipant());
        QVERIFY(saved);
        QCOMPARE(p.stored("Punkte", p.slalom, p.team), 10.0);
        QCOMPARE(p.stored("Punkte", p.tunnel, p.team), 6.0);
        QCOMPARE(p.stored("ZusatzspielPunkte", p.slalom, p.team), 4.0);
        // every points cell holds points and the box was not checked
        QCOMPARE(p.t.ui.texts(QStringLiteral("yesno")).size(), 1);
    }

    void totalFollowsEveryKeyWithCommaOrPoint_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("totals"); // the points total after each key
        QTest::addColumn<double>("stored"); // Punkte at the slalom (factor 2)
        // The other post holds 6: the total is 2 × typed + 6.
        QTest::newRow("comma") << QStringLiteral("7,5")
                               << QStringList{QStringLiteral("20,00"), QStringLiteral("20,00"),
                                              QStringLiteral("21,00")}
                               << 15.0;
        QTest::newRow("point") << QStringLiteral("7.5")
                               << QStringList{QStringLiteral("20,00"), QStringLiteral("20,00"),
                                              QStringLiteral("21,00")}
                               << 15.0;
        QTest::newRow("two digits")
            << QStringLiteral("12") << QStringList{QStringLiteral("8,00"), QStringLiteral("30,00")}
            << 24.0;
    }

    void totalFollowsEveryKeyWithCommaOrPoint()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, totals);
        QFETCH(double, stored);
        Program p(false);
        p.main().show();
        QVERIFY(activate(&p.main()));
        p.selectRowOf(p.team);
        QLabel *points = label(p.dialog(), "lblTotalPoints");
        QStringList seen;
        QString atQuestion;
        p.t.ui.onQuestion = [&](const QString &) {
            atQuestion = points->text();
        };
        p.t.ui.answers = {true};
        p.whenShown([&](TTeamResultForm &dlg) {
            QVERIFY(activate(&dlg));
            // The editor of the first points cell is open with its text marked: typing
            // replaces it.
            for (QChar key : typed) {
                QTest::keyClicks(QApplication::focusWidget(), QString(key));
                seen << points->text();
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        QTest::keyClick(p.main().grid(), Qt::Key_Return);
        QCOMPARE(seen, totals);
        // The question on saving shows the total that is stored.
        QCOMPARE(atQuestion, totals.last());
        QCOMPARE(p.stored("Punkte", p.slalom, p.team), stored);
        QVERIFY(p.entry(p.team).Abgeschlossen);
    }

    void refusedCellKeepsItsTextAndLosesNoKey()
    {
        Program p(false);
        p.main().show();
        QVERIFY(activate(&p.main()));
        p.selectRowOf(p.team);
        QLabel *hint = label(p.dialog(), "lblHinweis");
        QStringList hints;
        p.t.ui.answers = {false};
        p.whenShown([&](TTeamResultForm &dlg) {
            QVERIFY(activate(&dlg));
            // Typed in Tab rhythm without looking: the slip does not stop the next keys.
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("7x5"));
            QVERIFY(hint->text().isEmpty()); // not while typing
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("41"));
            hints << hint->text();
            // The slip stays in the grid and never reaches the sheet, which keeps the last
            // number typed there ("7" at factor 2); the next cell's number does reach it.
            const int points = dlg.sheet().columnOf(ResultSheet::Points);
            QCOMPARE(dlg.grid()->item(0, points)->text(), QStringLiteral("7x5"));
            QCOMPARE(dlg.sheet().value(0, ResultSheet::Points), 14.0);
            QCOMPARE(dlg.sheet().value(0, ResultSheet::Time), 41.0);
            QCOMPARE(label(dlg, "lblTotalTime")->text(), QStringLiteral("71,00"));

            // Enter refuses once, puts the cursor on the cell with its text kept for
            // correction.
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QVERIFY(dlg.isVisible());
            QCOMPARE(dlg.grid()->currentRow(), 0);
            QCOMPARE(dlg.grid()->currentColumn(), dlg.sheet().columnOf(ResultSheet::Points));
            auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
            QVERIFY(editor);
            QCOMPARE(editor->text(), QStringLiteral("7x5"));
            QTest::keyClick(editor, Qt::Key_Left);
            QTest::keyClick(editor, Qt::Key_Backspace);
            QTest::keyClicks(editor, QStringLiteral(","));
            QVERIFY(hint->text().isEmpty());
            QTest::keyClick(editor, Qt::Key_Return);
        });
        QTest::keyClick(p.main().grid(), Qt::Key_Return);
        QCOMPARE(hints,
                 QStringList{QStringLiteral(
                     "„7x5“ ist keine Zahl. Schreiben Sie zum Beispiel 7,5 oder 7.5.")});
        QCOMPARE(p.t.ui.texts(QStringLiteral("information")),
                 QStringList{QStringLiteral("Geben Sie bitte in alle Felder eine Zahl ein.")});
        QCOMPARE(p.stored("Punkte", p.slalom, p.team), 15.0);
        QCOMPARE(p.stored("Zeit", p.slalom, p.team), 41.0);
    }

    void escapeCancelsAndBadInputKeepsDialogOpen()
    {
        Program p(false);
        p.selectRowOf(p.team);
        TTeamResultForm &d = p.dialog();
        p.whenShown([&](TTeamResultForm &dlg) {
            QLineEdit *editor = cellEditor(dlg);
            editor->selectAll();
            QTest::keyClicks(editor, QStringLiteral("acht"));
            QTest::keyClick(editor, Qt::Key_Return);
            QVERIFY(dlg.isVisible());
            QCOMPARE(p.t.ui.texts(QStringLiteral("information")),
                     QStringList{QStringLiteral("Geben Sie bitte in alle Felder eine Zahl ein.")});
            QVERIFY(cellEditor(dlg));
            QTest::keyClick(cellEditor(dlg), Qt::Key_Escape);
        });
        QVERIFY(!d.execFor(*p.main().currentParticipant()));
        QCOMPARE(p.stored("Punkte", p.slalom, p.team), 6.0);
        // reopening rebuilds from the database: the typed text is gone
        d.FormShow(*p.main().currentParticipant());
        QCOMPARE(d.sheet().cell(0, 2), QStringLiteral("3,00"));
    }

    void popupCaptionsAndCurrentRowOnly()
    {
        Program p(true);
        const auto captions = [&p] {
            QStringList c;
            for (const char *name :
                 {"TeamIsFinishedItem", "TeamIsNotFinishedItem", "TeamIsFinishedAddItem",
                  "TeamIsNotFinishedAddItem", "ShowTeamItem"})
                c << p.main().action(QLatin1String(name))->text().remove(u'&');
            return c;
        };
        p.selectRowOf(p.group);
        p.main().PopupMenu1Popup();
        QCOMPARE(captions(),
                 (QStringList{
                     QStringLiteral("Gruppe ist fertig"), QStringLiteral("Gruppe ist nicht fertig"),
                     QStringLiteral("Gruppe ist fertig"), QStringLiteral("Gruppe ist nicht fertig"),
                     QStringLiteral("Gruppe anzeigen")}));
        p.selectRowOf(p.team);
        p.main().PopupMenu1Popup();
        QCOMPARE(captions().first(), QStringLiteral("Team ist fertig"));
        QCOMPARE(captions().last(), QStringLiteral("Team anzeigen"));

        // Both rows selected, the group current: only the group is marked.
        QItemSelectionModel *selection = p.main().grid()->selectionModel();
        const QModelIndex groupIndex =
            p.main().grid()->model()->index(p.t.competition->participantIndex(p.group), 0);
        selection->setCurrentIndex(groupIndex,
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(p.main().selectedTeamNrs().size(), 2);
        p.main().action(QStringLiteral("TeamIsFinishedAddItem"))->trigger();
        QVERIFY(p.entry(p.group).ZusatzAbgeschlossen);
        QVERIFY(!p.entry(p.team).ZusatzAbgeschlossen);
        QVERIFY(!p.entry(p.group).Abgeschlossen);
        QVERIFY(p.t.competition->participants()
                    .at(p.t.competition->participantIndex(p.group))
                    .ZusatzAbgeschlossen);
    }
};

QTEST_MAIN(TestTeamResultForm)
#include "tst_teamresultform.moc"
