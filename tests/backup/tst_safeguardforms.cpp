#include "app/ui/Forms.h"
#include "app/ui/MainForm.h"
#include "backup/Safeguard.h"
#include "participants/Entries.h"
#include "results/ui/ResultGrid.h"
#include "results/ui/TeamResultForm.h"
#include "support/ModalDialogs.h"
#include "support/TestDatabase.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {

struct Window
{
    TestDatabase t;
    Forms forms;
    int event = 0;
    QList<int> teams;

    Window()
    {
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        const int post = t.addPost(QStringLiteral("Slalom"), 2);
        event = t.addEvent(QStringLiteral("Herbstlauf"));
        for (int i = 1; i <= 3; ++i) {
            teams << t.addTeam(QStringLiteral("Team%1").arg(i), QStringLiteral("V"), kat);
            t.addEntry(event, teams.last(), i);
            t.addResult(event, post, teams.last(), 4, 10);
        }
        forms.create(*t.competition, t.ui);
        t.open(event);
        main()->show();
    }
    ~Window() { forms.destroy(); }
    TMainForm *main() const { return forms.MainForm; }
    QAction *undo() const { return main()->action(QStringLiteral("UndoItem")); }
    qint64 entries() { return t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass")); }

    // The "Anlass" menu opening and closing again.
    QMenu *eventMenu() const
    {
        return main()->menuBar()->findChild<QMenu *>(QStringLiteral("AnlassMenu"));
    }
    void openEventMenu() { Q_EMIT eventMenu()->aboutToShow(); }
    void closeEventMenu() { Q_EMIT eventMenu()->aboutToHide(); }
};

} // namespace

class TestSafeguardForms : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    // Delete, then Ctrl+Z: the menu names the command, the entry is back.
    void ctrlZUndoesTheLastDestructiveCommand()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(w.main()));
        w.main()->setCurrentRow(0);
        w.t.ui.answers = {true};
        QTest::keyClick(w.main()->grid(), Qt::Key_Delete);
        QCOMPARE(w.entries(), 2);
        w.openEventMenu();
        QCOMPARE(w.undo()->text(), QStringLiteral("Rück&gängig: Team aus Anlass löschen"));
        QVERIFY(w.undo()->isEnabled());
        QCOMPARE(w.undo()->shortcut(), QKeySequence(QKeySequence::Undo));
        w.closeEventMenu();
        w.t.ui.answers = {true};
        QTest::keyClick(w.main(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.entries(), 3);
        QCOMPARE(w.t.competition->participants().size(), 3);
        QVERIFY(w.t.ui.texts(QStringLiteral("yesno"))
                    .last()
                    .startsWith(QStringLiteral("Wollen Sie „Team aus Anlass löschen“ rückgängig "
                                               "machen?")));
        w.openEventMenu();
        QCOMPARE(w.undo()->text(), QStringLiteral("Rück&gängig"));
        QVERIFY(!w.undo()->isEnabled());
        w.closeEventMenu();
    }

    // A result entered after the command: the menu offers nothing, Ctrl+Z says why.
    void undoIsRefusedAfterALaterResult()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(w.main()));
        w.t.ui.answers = {true};
        w.t.competition->entries().RemoveEntry(w.teams.first());
        w.t.db().exec(
            QStringLiteral("UPDATE Parcours SET Punkte = 8 WHERE TeamNr = %1").arg(w.teams.last()));
        w.openEventMenu();
        QCOMPARE(w.undo()->text(), QStringLiteral("Rück&gängig: Team aus Anlass löschen"));
        QVERIFY(!w.undo()->isEnabled());
        w.closeEventMenu();
        QTest::keyClick(w.main(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.entries(), 2);
        QVERIFY(w.t.ui.texts(QStringLiteral("information"))
                    .last()
                    .contains(QStringLiteral("kann nicht mehr rückgängig gemacht werden")));
    }

    // "Verlauf ..." in the result dialog lists what was saved for the participant.
    void resultDialogShowsTheHistory()
    {
        Window w;
        w.main()->setCurrentRow(0);
        TTeamResultForm &dialog = *w.forms.TeamResultForm;
        w.t.ui.answers = {false};
        QTimer::singleShot(0, &dialog, [&dialog] {
            dialog.grid()->item(0, 2)->setText(QStringLiteral("5"));
            dialog.SaveBtnClick();
        });
        QVERIFY(dialog.execFor(*w.main()->currentParticipant()));
        QStringList shown;
        QTimer::singleShot(0, &dialog, [&dialog, &shown] {
            onNextModal([&shown, &dialog](QWidget *history) {
                QTimer::singleShot(0, &dialog, &QDialog::reject);
                QCOMPARE(history->windowTitle(), QStringLiteral("Verlauf von Team1 V"));
                auto *table = childOf<QTableWidget>(*history, "HistoryTable");
                for (int column = 1; column < table->columnCount(); ++column)
                    shown << table->item(table->rowCount() - 1, column)->text();
                QTest::keyClick(history, Qt::Key_Escape);
            });
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            // An access key clicks its button a moment later, as a mouse click would look.
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::AltModifier);
        });
        dialog.execFor(*w.main()->currentParticipant());
        QCOMPARE(shown,
                 QStringList({QStringLiteral("Ergebniseingabe"), QStringLiteral("Team1 V"),
                              QStringLiteral("Slalom"), QStringLiteral("Punkte"),
                              QStringLiteral("4,00"), QStringLiteral("10,00")}));
    }
};

QTEST_MAIN(TestSafeguardForms)
#include "tst_safeguardforms.moc"
