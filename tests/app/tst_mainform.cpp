#include "app/Competition.h"
#include "app/ui/Forms.h"
#include "app/ui/MainForm.h"
#include "app/ui/OpenCompForm.h"
#include "app/ui/ParticipantModel.h"
#include "data/DataLibrary.h"
#include "event/ui/NewCompForm.h"
#include "support/ModalDialogs.h"
#include "support/TestDatabase.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>

namespace {

// The main window with all dialogs over a test database, as the program creates them.
struct Window
{
    TestDatabase t;
    Forms forms;
    Window() = default;
    void create() { forms.create(*t.competition, t.ui); }
    ~Window() { forms.destroy(); }
    TMainForm *main() const { return forms.MainForm; }
    ParticipantGrid *grid() const { return forms.MainForm->grid(); }
};

QList<int> selectedRows(QTableView *grid)
{
    QList<int> rows;
    for (const QModelIndex &index : grid->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void click(QTableView *grid, int row, Qt::KeyboardModifiers modifiers = {})
{
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, cell.center());
}

} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layoutFollowsTheEventsOptions()
    {
        Window w;
        const int plain =
            w.t.addEvent(QStringLiteral("Ohne"), QStringLiteral("Nach Punkten"), 1, 1);
        const int full = w.t.addEvent(QStringLiteral("Mit"), QStringLiteral("Nach Zeit"), 1, 2,
                                      true, 4, true, QStringLiteral("Plausch"));
        w.create();
        TMainForm *m = w.main();
        ParticipantGrid *g = w.grid();
        const auto label = [m](const char *name) {
            return m->findChild<QLabel *>(QLatin1String(name));
        };
        const QList<int> addGameColumns{ParticipantModel::Dummy,
                                        ParticipantModel::CalcZusatz,
                                        ParticipantModel::CalcSumOfPointsAdd,
                                        ParticipantModel::CalcSumOfTimeAdd,
                                        ParticipantModel::CalcZusatzAbgeschlossen,
                                        ParticipantModel::CalcZusatzGedruckt};

        QCOMPARE(w.t.competition->CurrentAnlassNr(), plain);
        QCOMPARE(label("lblName")->text(), QStringLiteral("Ohne"));
        QCOMPARE(label("lblRangberechnung")->text(), QStringLiteral("Nach Punkten (absteigend)"));
        QCOMPARE(label("lblAutoRangBer")->text(), QStringLiteral("Nein"));
        for (int column : addGameColumns)
            QVERIFY(g->isColumnHidden(column));
        QVERIFY(!g->isColumnHidden(ParticipantModel::Verein));
        const int nameWithout = g->columnWidth(ParticipantModel::CalcFullName);
        QVERIFY(nameWithout > g->columnWidth(ParticipantModel::Hund));
        QVERIFY(label("lblNachAnzahlTeamsCaption")->isHidden());
        QVERIFY(label("lblZusatzspielNameCaption")->isHidden());
        QVERIFY(m->lbxTeams()->isHidden());
        QVERIFY(m->lbxTeamsAdd()->isHidden());
        QVERIFY(!m->action(QStringLiteral("ResetItem"))->isEnabled());
        QVERIFY(!m->action(QStringLiteral("ResetAddItem"))->isVisible());
        QVERIFY(!m->action(QStringLiteral("AdditionalGameItem"))->isVisible());

        w.t.competition->OpenEvent(full);
        QCOMPARE(label("lblZusatzspiel")->text(), QStringLiteral("Ja"));
        QCOMPARE(label("lblZusatzspielName")->text(), QStringLiteral("Plausch"));
        QCOMPARE(label("lblRangBerNachTeams")->text(), QStringLiteral("4"));
        QVERIFY(!label("lblNachAnzahlTeamsCaption")->isHidden());
        QVERIFY(!label("lblZusatzspielNameCaption")->isHidden());
        for (int column : addGameColumns)
            QVERIFY(!g->isColumnHidden(column));
        QVERIFY(g->isColumnHidden(ParticipantModel::Verein));
        // Name and dog share less room with the additional game's columns.
        QVERIFY(g->columnWidth(ParticipantModel::CalcFullName) < nameWithout);
        QVERIFY(g->columnWidth(ParticipantModel::CalcFullName)
                > g->columnWidth(ParticipantModel::Hund));
        QVERIFY(!m->lbxTeams()->isHidden());
        QVERIFY(!m->lbxTeamsAdd()->isHidden());
        QVERIFY(m->action(QStringLiteral("ResetItem"))->isEnabled());
        QVERIFY(m->action(QStringLiteral("ResetAddItem"))->isVisible());
        QVERIFY(m->action(QStringLiteral("AdditionalGameItem"))->isVisible());

        QStringList titles;
        for (int c = 0; c < ParticipantModel::ColumnCount; ++c) {
            if (!g->isColumnHidden(c))
                titles << g->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        }
        QCOMPARE(
            titles.join(QLatin1Char('|')),
            QStringLiteral("StartNr|Name|Hund|Rasse|Kategorie|Punkte|Zeit|Fertig|Gedruckt| |Zusatz|"
                           "Z-Punkte|Z-Zeit|Z-Fertig|Z-Gedruckt"));
    }

    void silverRows_data()
    {
        QTest::addColumn<bool>("autoRank");
        QTest::addColumn<bool>("addGame");
        QTest::addColumn<bool>("printed");
        QTest::addColumn<bool>("addPrinted");
        QTest::addColumn<bool>("silver");
        QTest::newRow("auto, printed") << true << false << true << false << true;
        QTest::newRow("auto, not printed") << true << false << false << true << false;
        QTest::newRow("auto+game, both printed") << true << true << true << true << true;
        QTest::newRow("auto+game, main list only") << true << true << true << false << false;
        QTest::newRow("auto+game, game list only") << true << true << false << true << false;
        QTest::newRow("no auto, printed") << false << false << true << true << false;
        QTest::newRow("no auto+game, printed") << false << true << true << true << false;
    }

    void silverRows()
    {
        QFETCH(bool, autoRank);
        QFETCH(bool, addGame);
        QFETCH(bool, printed);
        QFETCH(bool, addPrinted);
        QFETCH(bool, silver);
        Window w;
        const int kat = w.t.addCategory(QStringLiteral("Senioren"));
        const int n = w.t.addEvent(QStringLiteral("Anlass"), QStringLiteral("Nach Punkten"), 1, 1,
                                   autoRank, 3, addGame);
        const int team = w.t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat);
        w.t.addEntry(n, team, 1);
        w.t.addEntry(n, w.t.addTeam(QStringLiteral("Zweit"), QStringLiteral("Zora"), kat), 2);
        w.t.db().exec(
            QStringLiteral("UPDATE TeamsProAnlass SET RangBerechnet = %1, ZusatzRangBerechnet = %2 "
                           "WHERE TeamNr = %3")
                .arg(int(printed))
                .arg(int(addPrinted))
                .arg(team));
        w.create();
        const QAbstractItemModel *model = w.grid()->model();
        const QVariant silverColour = QColor(192, 192, 192);
        for (int column : {int(ParticipantModel::StartNr), int(ParticipantModel::CalcSumOfPoints),
                           int(ParticipantModel::CalcZusatzGedruckt)}) {
            QCOMPARE(model->data(model->index(0, column), Qt::BackgroundRole).isValid(), silver);
            QVERIFY(!model->data(model->index(1, column), Qt::BackgroundRole).isValid());
        }
        // The separator is grey in every row; it is only shown with an additional game.
        QCOMPARE(model->data(model->index(1, ParticipantModel::Dummy), Qt::BackgroundRole),
                 silverColour);
        QCOMPARE(w.grid()->isColumnHidden(ParticipantModel::Dummy), !addGame);
    }

    void rowSelection()
    {
        Window w;
        const int kat = w.t.addCategory(QStringLiteral("Senioren"));
        const int n = w.t.addEvent(QStringLiteral("Anlass"));
        for (int i = 1; i <= 6; ++i)
            w.t.addEntry(n, w.t.addTeam(QStringLiteral("Team%1").arg(i), QStringLiteral("V"), kat),
                         i);
        w.create();
        w.main()->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.main()));
        ParticipantGrid *g = w.grid();

        click(g, 1);
        QCOMPARE(selectedRows(g), (QList<int>{1}));
        click(g, 3, Qt::ShiftModifier);
        QCOMPARE(selectedRows(g), (QList<int>{1, 2, 3}));
        QCOMPARE(g->lastClickedRow(), 3);
        QCOMPARE(g->selectionAnchor(), 1);
        // Upward from the same anchor; the earlier range is replaced.
        click(g, 0, Qt::ShiftModifier);
        QCOMPARE(selectedRows(g), (QList<int>{0, 1}));
        click(g, 5, Qt::ControlModifier);
        QCOMPARE(selectedRows(g), (QList<int>{0, 1, 5}));
        click(g, 5, Qt::ControlModifier);
        QCOMPARE(selectedRows(g), (QList<int>{0, 1}));
        // A move by keyboard without Shift sets the anchor as well.
        click(g, 4);
        QTest::keyClick(g, Qt::Key_Up);
        QCOMPARE(g->selectionAnchor(), 3);
        click(g, 5, Qt::ShiftModifier);
        QCOMPARE(selectedRows(g), (QList<int>{3, 4, 5}));
        QCOMPARE(w.main()->selectedTeamNrs().size(), 3);

        // A refresh keeps the current participant.
        click(g, 2);
        w.t.competition->RefreshParticipants();
        QCOMPARE(w.main()->currentRow(), 2);
        // ... also when the new list puts it elsewhere (a new start number).
        const int teamNr = w.main()->currentParticipant()->TeamNr;
        w.t.db().exec(
            QStringLiteral("UPDATE TeamsProAnlass SET StartNr = 99 WHERE TeamNr = %1").arg(teamNr));
        w.t.competition->RefreshParticipants();
        QCOMPARE(w.main()->currentParticipant()->TeamNr, teamNr);
        QCOMPARE(w.main()->currentRow(), 5);
    }

    void createCancelAndEditThroughTheDialog()
    {
        Window w;
        const int post = w.t.addPost(QStringLiteral("Slalom"), 1, true);
        const int first = w.t.addEvent(QStringLiteral("Erster"));
        w.create();

        onNextModal([](QWidget *dialog) {
            dialog->findChild<QLineEdit *>(QStringLiteral("AnlassBez"))
                ->setText(QStringLiteral("Verworfen"));
            dialog->findChild<QListWidget *>(QStringLiteral("PostList"))
                ->item(0)
                ->setCheckState(Qt::Unchecked);
            dialog->findChild<QPushButton *>(QStringLiteral("CancelBtn"))->click();
        });
        w.main()->CreateEvent();
        QCOMPARE(w.t.count(QStringLiteral("SELECT count(*) FROM Anlass")), 1);
        QVERIFY(w.t.data.ReadPost(post)->Aktiv);
        QCOMPARE(w.t.competition->CurrentAnlassNr(), first);

        onNextModal([](QWidget *dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Neuen Anlass erstellen"));
            dialog->findChild<QLineEdit *>(QStringLiteral("AnlassBez"))
                ->setText(QStringLiteral("Neu"));
            dialog->findChild<QComboBox *>(QStringLiteral("Rangberechnung"))->setCurrentIndex(1);
            dialog->findChild<QRadioButton *>(QStringLiteral("ZeitSortUp"))->setChecked(true);
            dialog->findChild<QCheckBox *>(QStringLiteral("Zusatzspiel"))->setChecked(true);
            dialog->findChild<QCheckBox *>(QStringLiteral("ClearStartNumbers"))->setChecked(false);
            dialog->findChild<QPushButton *>(QStringLiteral("SaveBtn"))->click();
        });
        w.main()->CreateEvent();
        const int created = w.t.competition->CurrentAnlassNr();
        QVERIFY(created != first);
        QCOMPARE(w.t.competition->event()->AnlassBez, QStringLiteral("Neu"));
        QVERIFY(!w.grid()->isColumnHidden(ParticipantModel::Dummy));

        onNextModal([](QWidget *dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Anlass ändern"));
            QVERIFY(dialog->findChild<QWidget *>(QStringLiteral("PostGroup"))->isHidden());
            QVERIFY(dialog->findChild<QWidget *>(QStringLiteral("ClearStartNumbers"))->isHidden());
            QCOMPARE(dialog->findChild<QLineEdit *>(QStringLiteral("AnlassBez"))->text(),
                     QStringLiteral("Neu"));
            dialog->findChild<QCheckBox *>(QStringLiteral("Zusatzspiel"))->setChecked(false);
            dialog->findChild<QPushButton *>(QStringLiteral("SaveBtn"))->click();
        });
        w.main()->EditItemClick();
        QCOMPARE(w.t.competition->CurrentAnlassNr(), created);
        QVERIFY(!w.t.competition->hasAddGame());
        QVERIFY(w.grid()->isColumnHidden(ParticipantModel::Dummy));
        QVERIFY(w.t.ui.texts().isEmpty());
    }

    void eventDialogEnablingAndRefusal()
    {
        Window w;
        const int n = w.t.addEvent(QStringLiteral("Erster"), QStringLiteral("Nach Zeit"), 2, 1);
        w.create();
        TNewCompForm *form = w.forms.NewCompForm;
        form->dialogMode = QLatin1Char('E');
        form->FormShow();
        form->show();
        const auto widget = [form](const char *name) {
            return form->findChild<QWidget *>(QLatin1String(name));
        };
        QVERIFY(!widget("PunkteSort")->isEnabled());
        QVERIFY(widget("ZeitSort")->isEnabled());
        QVERIFY(!widget("RangBerNachTeams")->isEnabled());
        QVERIFY(!widget("ZusatzspielNameLabel")->isEnabled());
        form->findChild<QComboBox *>(QStringLiteral("Rangberechnung"))
            ->setCurrentText(QStringLiteral("Punkte/Zeit"));
        QVERIFY(widget("PunkteSort")->isEnabled());
        form->findChild<QCheckBox *>(QStringLiteral("AutoRangBerechnung"))->setChecked(true);
        QVERIFY(widget("RangBerNachTeams")->isEnabled());
        QVERIFY(widget("RangBerNachTeamsLabel")->isEnabled());

        // A refused number keeps the dialog open with what was typed.
        auto *teams = form->findChild<QLineEdit *>(QStringLiteral("RangBerNachTeams"));
        teams->setText(QStringLiteral("70000"));
        form->SaveBtnClick();
        QVERIFY(form->isVisible());
        QCOMPARE(teams->text(), QStringLiteral("70000"));
        QCOMPARE(w.t.ui.texts(QStringLiteral("information")).size(), 1);
        QCOMPARE(w.t.data.ReadEvent(n)->AutoRangBerechnung, false);
        form->CancelBtnClick();
        QCOMPARE(w.t.data.ReadEvent(n)->Rangberechnung, QStringLiteral("Nach Zeit"));
    }

    void openDialogOpensOrLeavesTheEvent()
    {
        Window w;
        const int first = w.t.addEvent(QStringLiteral("Erster"));
        const int second = w.t.addEvent(QStringLiteral("Zweiter"), QStringLiteral("Nach Zeit"), 1,
                                        1, false, 0, true);
        w.create();

        onNextModal([](QWidget *dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Anlass öffnen "));
            auto *list = dialog->findChild<QTreeWidget *>();
            QCOMPARE(list->topLevelItemCount(), 2);
            QCOMPARE(list->currentItem()->text(0), QStringLiteral("Erster"));
            list->setCurrentItem(list->topLevelItem(1));
            dialog->findChild<QPushButton *>(QStringLiteral("CancelBtn"))->click();
        });
        w.main()->OpenItemClick();
        QCOMPARE(w.t.competition->CurrentAnlassNr(), first);
        QCOMPARE(w.t.competition->event()->AnlassNr, first);

        onNextModal([](QWidget *dialog) {
            auto *list = dialog->findChild<QTreeWidget *>();
            list->setCurrentItem(list->topLevelItem(1));
            dialog->findChild<QPushButton *>(QStringLiteral("OkBtn"))->click();
        });
        w.main()->OpenItemClick();
        QCOMPARE(w.t.competition->CurrentAnlassNr(), second);
        QVERIFY(!w.grid()->isColumnHidden(ParticipantModel::CalcZusatz));
    }

    void withoutAnyEventEditAndDeleteDoNothing()
    {
        Window w;
        w.create();
        bool dialogShown = false;
        onNextModal([&dialogShown](QWidget *dialog) {
            dialogShown = true;
            QMetaObject::invokeMethod(dialog, "reject");
        });
        w.main()->EditItemClick();
        w.main()->DeleteItemClick();
        QTest::qWait(50);
        QVERIFY(!dialogShown);
        QVERIFY(w.t.ui.texts().isEmpty());
        QCOMPARE(w.t.count(QStringLiteral("SELECT count(*) FROM Anlass")), 0);
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
