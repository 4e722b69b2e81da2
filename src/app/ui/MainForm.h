#pragma once

#include <QList>
#include <QMainWindow>
#include <QTableView>

#include <functional>

class Competition;
class ParticipantModel;
class ElidedLabel;
class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class ExternalChanges;
struct Forms;
struct ParticipantRow;

// The participant grid: plain click, Ctrl-click and Shift-click ranges. A Shift-click
// selects from the anchor, the row last made current without Shift (by mouse, keyboard or
// a refresh), to the clicked row. Successive Shift-clicks all start at that anchor.
class ParticipantGrid : public QTableView
{
    Q_OBJECT

public:
    explicit ParticipantGrid(QWidget *parent = nullptr);

    int selectionAnchor() const { return m_anchorRow; }
    int lastClickedRow() const { return m_lastClickedRow; }

Q_SIGNALS:
    void contextMenuWanted(const QPoint &globalPos);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void ExtendSelection();

    Qt::KeyboardModifiers m_modifiers; // of the input being handled, none otherwise
    int m_anchorRow = -1;
    int m_lastClickedRow = -1;
};

// The main window: the event panel, the participant grid, the menus and the status bar.
// It shows what the Competition holds and forwards every command to the core or to the
// dialog that serves it.
class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TMainForm(Forms &forms);
    ~TMainForm() override;

    void FormCreate();

    ParticipantGrid *grid() const { return m_grid; }
    ParticipantModel *participantModel() const { return m_model; }
    QListWidget *lbxTeams() const { return m_lbxTeams; }
    QListWidget *lbxTeamsAdd() const { return m_lbxTeamsAdd; }
    QAction *action(const QString &objectName) const;

    // The participant at the grid's current row; nullptr when the grid is empty.
    const ParticipantRow *currentParticipant() const;
    int currentRow() const;
    void setCurrentRow(int row);
    QList<int> selectedTeamNrs() const; // in selection order

    // A note in the first panel of the status bar, until the next top-level menu opens.
    void showStatus(const QString &text);

    void ApplyAddGameLayout();
    void ApplyAutoRankLayout(bool on);

    // Commands, also run by tests.
    void CreateEvent();
    void EditItemClick();
    void OpenItemClick();
    void DeleteItemClick();
    void RemoveItemClick();
    void DBGrid1DblClick();
    void ShowTeamItemClick();
    void PopupMenu1Popup();
    void MenuItemClick();
    // Results stored elsewhere (by a post): the grid shows them, keeping the operator's view.
    void showChangesFromElsewhere();
    // A save of the live server in this program.
    void showPostSave(int anlassNr, int teamNr);
    // Ctrl+F: a line under the grid that moves to the participant typed, by start number
    // or name.
    void showFindBar();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createMenus();
    void createGridPopupMenu();
    void createEventPanel();
    void refreshEventPanel();
    void refreshCounts();
    void onParticipantsChanged();
    QAction *addAction(QMenu *menu, const QString &caption, const char *objectName,
                       const std::function<void()> &handler);
    void run(const std::function<void()> &handler);
    int charWidth() const;
    void placeOnScreen(const QSize &size);
    // Column widths that fit the grid at its current width (see the implementation).
    void fitColumns();
    int gridRoom() const;
    void createFindBar(QWidget *parent);
    void findNext(bool onward);
    void closeFindBar();

    Forms &m_forms;
    Competition &m_competition;
    ParticipantModel *m_model = nullptr;
    ExternalChanges *m_externalChanges = nullptr;
    int m_refreshTeamNr = -1; // the current participant while the list is replaced
    int m_refreshRow = -1;
    ParticipantGrid *m_grid = nullptr;
    QGroupBox *m_eventPanel = nullptr;
    ElidedLabel *m_nameValue = nullptr;
    ElidedLabel *m_methodValue = nullptr;
    QLabel *m_autoValue = nullptr;
    QLabel *m_teamsLabel = nullptr;
    QLabel *m_teamsValue = nullptr;
    QLabel *m_addGameValue = nullptr;
    QLabel *m_addNameLabel = nullptr;
    ElidedLabel *m_addNameValue = nullptr;
    QLabel *m_countLabel = nullptr;
    QLabel *m_countAddLabel = nullptr;
    QListWidget *m_lbxTeams = nullptr;
    QListWidget *m_lbxTeamsAdd = nullptr;
    QLabel *m_statusFirst = nullptr;
    QMenu *m_popup = nullptr;
    QMenu *m_popupAddGame = nullptr;
    QWidget *m_findBar = nullptr;
    QLineEdit *m_findBox = nullptr;
    QLabel *m_findStatus = nullptr;
    bool m_shownOnce = false;
};
