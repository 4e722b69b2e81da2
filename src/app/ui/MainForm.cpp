#include "app/ui/MainForm.h"

#include "app/Competition.h"
#include "app/ExternalChanges.h"
#include "app/Guard.h"
#include "app/ParticipantSearch.h"
#include "app/ui/AboutDialog.h"
#include "app/ui/ElidedLabel.h"
#include "app/ui/Forms.h"
#include "app/ui/GridRows.h"
#include "app/ui/GuiUserInterface.h"
#include "app/ui/HelpWindow.h"
#include "app/ui/ListKeys.h"
#include "app/ui/OpenCompForm.h"
#include "app/ui/ParticipantModel.h"
#include "app/ui/WindowPlacement.h"
#include "backup/Safeguard.h"
#include "data/DataLibrary.h"
#include "engine/ChangeLog.h"
#include "event/ui/DataForm.h"
#include "event/ui/NewCompForm.h"
#include "live/LiveServer.h"
#include "live/ui/LiveResultsDialog.h"
#include "participants/Entries.h"
#include "participants/ui/GroupForm.h"
#include "participants/ui/TeamForm.h"
#include "participants/ui/TeamOverviewForm.h"
#include "ranking/Ranking.h"
#include "reports/Scorecards.h"
#include "reports/StartListReport.h"
#include "results/FinishedStatus.h"
#include "results/ui/TeamResultForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPrintDialog>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

ParticipantGrid::ParticipantGrid(QWidget *parent) : QTableView(parent)
{ }

void ParticipantGrid::mousePressEvent(QMouseEvent *event)
{
    m_modifiers = event->modifiers();
    QTableView::mousePressEvent(event);
    m_modifiers = {};
}

void ParticipantGrid::mouseReleaseEvent(QMouseEvent *event)
{
    QTableView::mouseReleaseEvent(event);
    m_lastClickedRow = currentIndex().isValid() ? currentIndex().row() : -1;
    if ((event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
        == Qt::ShiftModifier)
        ExtendSelection();
}

void ParticipantGrid::keyPressEvent(QKeyEvent *event)
{
    // Shift+F10 opens the context menu as the menu key does; not every platform says so.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(), QCursor::pos());
        contextMenuEvent(&menu);
        return;
    }
    m_modifiers = event->modifiers();
    QTableView::keyPressEvent(event);
    m_modifiers = {};
}

void ParticipantGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (!(m_modifiers & Qt::ShiftModifier))
        m_anchorRow = current.isValid() ? current.row() : -1;
}

void ParticipantGrid::contextMenuEvent(QContextMenuEvent *event)
{
    // From the keyboard (the menu key, Shift+F10) the menu opens at the current row.
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard && currentIndex().isValid()) {
        scrollTo(currentIndex());
        at = viewport()->mapToGlobal(visualRect(currentIndex()).bottomLeft());
    }
    Q_EMIT contextMenuWanted(at);
}

void ParticipantGrid::ExtendSelection()
{
    if (!model() || m_lastClickedRow < 0)
        return;
    const int anchor =
        m_anchorRow >= 0 && m_anchorRow < model()->rowCount() ? m_anchorRow : m_lastClickedRow;
    const int first = qMin(anchor, m_lastClickedRow);
    const int last = qMax(anchor, m_lastClickedRow);
    const QItemSelection range(model()->index(first, 0),
                               model()->index(last, model()->columnCount() - 1));
    selectionModel()->select(range,
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

TMainForm::TMainForm(Forms &forms) : m_forms(forms), m_competition(*forms.competition)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(Competition::applicationTitle());
    resize(1006, 719);

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(10, 0, 10, 10);
    createEventPanel();
    layout->addWidget(m_eventPanel);

    m_model = new ParticipantModel(m_competition, this);
    m_grid = new ParticipantGrid(central);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setShowGrid(true);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 4);
    m_grid->horizontalHeader()->setHighlightSections(false);
    m_grid->horizontalHeader()->setTextElideMode(Qt::ElideNone);
    // The grey separator is one character wide, narrower than a header allows by default.
    m_grid->horizontalHeader()->setMinimumSectionSize(charWidth() + 2);
    layout->addWidget(m_grid, 1);
    createFindBar(central);
    layout->addWidget(m_findBar);
    setCentralWidget(central);

    connect(m_grid, &QTableView::doubleClicked, this,
            [this] { run([this] { DBGrid1DblClick(); }); });
    connect(m_grid, &ParticipantGrid::contextMenuWanted, this, [this](const QPoint &globalPos) {
        PopupMenu1Popup();
        m_popup->popup(globalPos);
    });

    createMenus();
    createGridPopupMenu();
    bindListKeys(m_grid,
                 {[this] { action(QStringLiteral("InsertItem"))->trigger(); },
                  [this] { run([this] { RemoveItemClick(); }); },
                  [this] {
                      run([this] { DBGrid1DblClick(); });
                  }});

    // The first panel takes what the second leaves: 800 pixels at the default width, and
    // never a reason for the window to be wider than the screen.
    m_statusFirst = new QLabel(this);
    m_statusFirst->setObjectName(QStringLiteral("statusFirst"));
    m_statusFirst->setMinimumWidth(0);
    m_statusFirst->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar()->addWidget(m_statusFirst, 1);
    auto *help = new QLabel(QStringLiteral("Drücken Sie F1 für die Hilfe"), this);
    help->setObjectName(QStringLiteral("statusHelp"));
    // 150 pixels, or what the text needs in the screen's font.
    help->setMinimumWidth(qMax(150, help->sizeHint().width() + 4));
    statusBar()->addWidget(help);

    connect(&m_competition, &Competition::participantsAboutToChange, this, [this] {
        const ParticipantRow *current = currentParticipant();
        m_refreshTeamNr = current ? current->TeamNr : -1;
        m_refreshRow = currentRow();
        m_model->beginReload();
    });
    connect(&m_competition, &Competition::participantsChanged, this,
            &TMainForm::onParticipantsChanged);
    connect(&m_competition, &Competition::eventChanged, this, [this] {
        refreshEventPanel();
        ApplyAddGameLayout();
    });
    connect(&m_competition, &Competition::autoRankLayoutChanged, this,
            &TMainForm::ApplyAutoRankLayout);
    connect(&m_competition, &Competition::finishedCountsChanged, this, &TMainForm::refreshCounts);
    connect(&m_competition, &Competition::firstRowRequested, this, [this] { setCurrentRow(0); });
    connect(&m_competition, &Competition::statusMessage, m_statusFirst, &QLabel::setText);
    m_externalChanges = new ExternalChanges(
        m_competition.data().db(),
        [] {
            return !QApplication::activeModalWidget() && !QApplication::activePopupWidget()
                && QApplication::mouseButtons() == Qt::NoButton;
        },
        [this] { run([this] { showChangesFromElsewhere(); }); }, this);
    connect(&m_competition, &Competition::participantsChanged, m_externalChanges,
            &ExternalChanges::seen);

    placeOnScreen({width(), height()});
    ApplyAutoRankLayout(m_competition.autoRankLayout());
    ApplyAddGameLayout();
}

TMainForm::~TMainForm() = default;

void TMainForm::FormCreate()
{
    run([this] {
        m_competition.FormCreate();
        const WindowLayout layout = m_competition.RestoreWindowLayout({false, width(), height()});
        placeOnScreen({layout.width, layout.height});
        if (layout.maximized)
            setWindowState(windowState() | Qt::WindowMaximized);
        fitColumns();
    });
}

void TMainForm::placeOnScreen(const QSize &size)
{
    const QScreen *target = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!target) {
        resize(size);
        return;
    }
    // Before the window is first shown its frame is not known; the style's title bar and
    // border stand in for it.
    QMargins frame;
    if (isVisible()) {
        const QRect outer = frameGeometry();
        const QRect inner = geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    } else {
        const int border = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
        const int title = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
        frame = QMargins(border, title + border, border, border);
    }
    setGeometry(placeWindow(size, target->availableGeometry(), frame));
}

void TMainForm::createEventPanel()
{
    m_eventPanel = new QGroupBox(QStringLiteral("Anlassangaben"));
    m_eventPanel->setObjectName(QStringLiteral("EventPanel"));
    m_eventPanel->setFixedHeight(136);
    auto *grid = new QGridLayout;
    const auto label = [this](const QString &text, const char *name) {
        auto *l = new QLabel(text, m_eventPanel);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    // Values the operator types may be long; they are cut with "…" rather than widen the
    // window beyond the screen.
    const auto elided = [this](const char *name) {
        auto *l = new ElidedLabel(m_eventPanel);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    m_nameValue = elided("lblName");
    QFont bold = m_nameValue->font();
    bold.setBold(true);
    m_nameValue->setFont(bold);
    m_methodValue = elided("lblRangberechnung");
    m_autoValue = label(QString(), "lblAutoRangBer");
    m_teamsLabel = label(QStringLiteral("...nach Anzahl Teams:"), "lblNachAnzahlTeamsCaption");
    m_teamsValue = label(QString(), "lblRangBerNachTeams");
    m_addGameValue = label(QString(), "lblZusatzspiel");
    m_addNameLabel = label(QStringLiteral("...Name:"), "lblZusatzspielNameCaption");
    m_addNameValue = elided("lblZusatzspielName");

    grid->addWidget(label(QStringLiteral("Name:"), "lblNameCaption"), 0, 0);
    grid->addWidget(m_nameValue, 0, 1, 1, 3);
    grid->addWidget(label(QStringLiteral("Rangberechnung:"), "lblRangberechnungCaption"), 1, 0);
    grid->addWidget(m_methodValue, 1, 1, 1, 3);
    auto *line = new QFrame(m_eventPanel);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    grid->addWidget(line, 2, 0, 1, 4);
    grid->addWidget(label(QStringLiteral("Ränge autom. berechnen:"), "lblAutoRangBerCaption"), 3,
                    0);
    grid->addWidget(m_autoValue, 3, 1);
    grid->addWidget(m_teamsLabel, 3, 2);
    grid->addWidget(m_teamsValue, 3, 3);
    grid->addWidget(label(QStringLiteral("Zusatzspiel:"), "lblZusatzspielCaption"), 4, 0);
    grid->addWidget(m_addGameValue, 4, 1);
    grid->addWidget(m_addNameLabel, 4, 2);
    grid->addWidget(m_addNameValue, 4, 3);
    grid->setColumnStretch(3, 1);

    const auto countList = [this](const char *name) {
        auto *list = new QListWidget(m_eventPanel);
        list->setObjectName(QLatin1String(name));
        list->setFixedSize(161, 61);
        list->setSelectionMode(QAbstractItemView::NoSelection);
        list->setFocusPolicy(Qt::NoFocus);
        QPalette p = list->palette();
        p.setColor(QPalette::Base, p.color(QPalette::Window));
        list->setPalette(p);
        return list;
    };
    m_lbxTeams = countList("lbxTeams");
    m_lbxTeamsAdd = countList("lbxTeamsAdd");
    m_countLabel = label(QStringLiteral("Anzahl fertige Teams:"), "lblAnzahlFertigeTeams");
    m_countAddLabel = label(QStringLiteral("Anzahl fertige Teams im Zusatzspiel:"),
                            "lblAnzahlFertigeTeamsZusatz");
    auto *counts = new QGridLayout;
    counts->addWidget(m_countLabel, 0, 0);
    counts->addWidget(m_lbxTeams, 1, 0, Qt::AlignTop);
    counts->addWidget(m_countAddLabel, 0, 1);
    counts->addWidget(m_lbxTeamsAdd, 1, 1, Qt::AlignTop);
    counts->setRowStretch(2, 1);

    auto *panel = new QHBoxLayout(m_eventPanel);
    panel->addLayout(grid, 1);
    panel->addLayout(counts);
}

QAction *TMainForm::addAction(QMenu *menu, const QString &caption, const char *objectName,
                              const std::function<void()> &handler)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(QLatin1String(objectName));
    connect(a, &QAction::triggered, this, [this, handler] { run(handler); });
    return a;
}

QAction *TMainForm::action(const QString &objectName) const
{
    return findChild<QAction *>(objectName);
}

void TMainForm::run(const std::function<void()> &handler)
{
    guarded(*m_forms.ui, handler);
}

void TMainForm::createMenus()
{
    Competition &c = m_competition;
    QMenu *event = menuBar()->addMenu(QStringLiteral("&Anlass"));
    event->setObjectName(QStringLiteral("AnlassMenu"));
    addAction(event, QStringLiteral("&Neuer Anlass"), "NewItem", [this] { CreateEvent(); });
    addAction(event, QStringLiteral("Anlass ö&ffnen"), "OpenItem", [this] { OpenItemClick(); });
    addAction(event, QStringLiteral("Anlass ände&rn"), "EditItem", [this] { EditItemClick(); });
    addAction(event, QStringLiteral("Anlass &löschen"), "DeleteItem",
              [this] { DeleteItemClick(); });
    event->addSeparator();
    addAction(event, QStringLiteral("Team in Anlass &einfügen"), "InsertItem",
              [this] { m_forms.TeamOverviewForm->InsertItemClick(); });
    addAction(event, QStringLiteral("Tea&m aus Anlass löschen"), "RemoveItem",
              [this] { RemoveItemClick(); });
    event->addSeparator();
    addAction(event, QStringLiteral("Neue Startnummern &vergeben"), "NeueStartnummernvergeben1",
              [this, &c] {
                  m_forms.TeamOverviewForm->NewStrNrBtnClick();
                  c.RefreshParticipants();
              });
    QAction *find = addAction(event, QStringLiteral("Teilnehmer &suchen ..."), "FindItem",
                              [this] { showFindBar(); });
    find->setShortcut(QKeySequence::Find);
    event->addSeparator();
    QAction *undo = addAction(event, QStringLiteral("Rück&gängig"), "UndoItem",
                              [&c] { c.safeguard().UndoItemClick(); });
    undo->setShortcut(QKeySequence::Undo);
    addAction(event, QStringLiteral("Sicherung wieder&herstellen ..."), "RestoreItem",
              [&c] { c.safeguard().RestoreItemClick(); });
    addAction(event, QStringLiteral("L&ive-Ergebnisse im Netzwerk ..."), "LiveItem", [this, &c] {
        LiveResultsDialog *live = LiveResultsDialog::showFor(this, c);
        // A post's save shows at once, not only at the next look.
        connect(&live->server(), &LiveServer::resultStored, this, &TMainForm::showPostSave,
                Qt::UniqueConnection);
    });
    event->addSeparator();
    addAction(event, QStringLiteral("Dr&ucker einrichten"), "Druckereinrichten1", [this] {
        QPrintDialog dialog(&m_forms.printer(), this);
        dialog.exec();
    });
    event->addSeparator();
    addAction(event, QStringLiteral("&Beenden"), "CloseItem", [this] { close(); });

    QMenu *master = menuBar()->addMenu(QStringLiteral("&Stammdaten"));
    master->setObjectName(QStringLiteral("StammdatenMenu"));
    QAction *newTeam =
        addAction(master, QStringLiteral("Neues &Team erstellen und in Anlass einfügen"),
                  "NewTeamItem", [this] { m_forms.TeamOverviewForm->NewTeamItemClick(); });
    newTeam->setShortcut(QKeySequence::New);
    addAction(master, QStringLiteral("Neue &Gruppe erstellen und in Anlass einfügen"),
              "NewGroupItem", [this] { m_forms.GroupForm->NewGroupItemClick(); });
    master->addSeparator();
    addAction(master, QStringLiteral("Teams &verwalten"), "MaintainTeamsItem",
              [this] { m_forms.TeamOverviewForm->MaintainTeamsItemClick(); });
    addAction(master, QStringLiteral("Gr&uppen verwalten"), "MaintainGroupsItem",
              [this] { m_forms.GroupForm->MaintainGroupsItemClick(); });
    addAction(master, QStringLiteral("&Posten verwalten"), "PostenItem",
              [this] { m_forms.DataForm->PostenItemClick(); });
    addAction(master, QStringLiteral("&Kategorien verwalten"), "KategorienItem",
              [this] { m_forms.DataForm->KategorienItemClick(); });
    master->addSeparator();
    addAction(master, QStringLiteral("Gedruckte Teams in Rangliste zu&rücksetzen"), "ResetItem",
              [&c] { c.ranking().ResetItemClick(); });
    addAction(master, QStringLiteral("Gedruckte Teams aus &Zusatzspiel in Rangliste zurücksetzen"),
              "ResetAddItem", [&c] { c.ranking().ResetAddItemClick(); });

    QMenu *print = menuBar()->addMenu(QStringLiteral("&Drucken"));
    print->setObjectName(QStringLiteral("DruckenMenu"));
    const auto current = [this] {
        const ParticipantRow *p = currentParticipant();
        return p ? p->TeamNr : -1;
    };
    QMenu *card = print->addMenu(QStringLiteral("&Bewertungsbogen für Team"));
    addAction(card, QStringLiteral("&Vorschau"), "PreviewScorecardItem", [&c, current] {
        if (current() >= 0)
            c.scorecards().OutputScorecards(false, current());
    });
    addAction(card, QStringLiteral("&Drucken"), "PrintScorecardItem", [&c, current] {
        if (current() >= 0)
            c.scorecards().OutputScorecards(true, current());
    });
    card->addSeparator();
    addAction(card, QStringLiteral("&Leeren Bogen drucken"), "PrintEmptyScorecardItem",
              [&c] { c.scorecards().OutputScorecards(true, 0); });
    addAction(card, QStringLiteral("&Bögen von allen Teams drucken"), "PrintAllScorecardsItem",
              [&c] { c.scorecards().PrintAllScorecardsItemClick(); });
    QMenu *postCard = print->addMenu(QStringLiteral("Bewertungsbogen für &Posten"));
    addAction(postCard, QStringLiteral("&Vorschau"), "PreviewPostScorecardItem",
              [&c] { c.scorecards().OutputPostScorecards(false, false); });
    addAction(postCard, QStringLiteral("&Drucken"), "PrintPostScorecardItem",
              [&c] { c.scorecards().OutputPostScorecards(true, false); });
    postCard->addSeparator();
    addAction(postCard, QStringLiteral("&Leeren Bogen drucken"), "PrintEmptyPostScorecardItem",
              [&c] { c.scorecards().OutputEmptyPostScorecard(); });
    addAction(postCard, QStringLiteral("&Bögen von allen Posten drucken"),
              "PrintAllPostScorecardsItem",
              [&c] { c.scorecards().OutputPostScorecards(true, true); });
    print->addSeparator();
    QMenu *single = print->addMenu(QStringLiteral("&Einzelrangliste"));
    addAction(single, QStringLiteral("&Vorschau"), "PreviewSingleRankListItem",
              [&c] { c.ranking().RunRankList(false, false, false); });
    addAction(single, QStringLiteral("&Drucken"), "PrintSingleRankListItem",
              [&c] { c.ranking().RunRankList(true, false, false); });
    QMenu *group = print->addMenu(QStringLiteral("&Gruppenrangliste"));
    addAction(group, QStringLiteral("&Vorschau"), "PreviewRankListItem",
              [&c] { c.ranking().RunRankList(false, false, true); });
    addAction(group, QStringLiteral("&Drucken"), "PrintRankListItem",
              [&c] { c.ranking().RunRankList(true, false, true); });
    print->addSeparator();
    QMenu *startList = print->addMenu(QStringLiteral("&Startliste"));
    addAction(startList, QStringLiteral("&Vorschau"), "PreviewStartListItem",
              [&c] { StartListReport(c).OutputStartList(false); });
    addAction(startList, QStringLiteral("&Drucken"), "PrintStartListItem",
              [&c] { StartListReport(c).OutputStartList(true); });

    QMenu *helpMenu = menuBar()->addMenu(QStringLiteral("&Hilfe"));
    helpMenu->setObjectName(QStringLiteral("HilfeMenu"));
    QAction *help = addAction(helpMenu, QStringLiteral("&Hilfe"), "HelpItem",
                              [this] { HelpWindow::showTopic(1000, this); });
    help->setShortcut(QKeySequence(Qt::Key_F1));
    help->setShortcutContext(Qt::WindowShortcut);
    addAction(helpMenu, QStringLiteral("&Info"), "AboutItem", [this] { m_forms.About->exec(); });

    for (QMenu *menu : {event, master, print, helpMenu})
        connect(menu, &QMenu::aboutToShow, this, [this] { run([this] { MenuItemClick(); }); });
    // After the reopen above: the undo item names the command it takes back and is offered
    // only while that is possible. Outside the menu Ctrl+Z stays live, so that it can say why
    // it refuses.
    connect(event, &QMenu::aboutToShow, this, [this, undo] {
        run([this, undo] {
            // The "r" belongs to "Anlass ände&rn".
            QString caption = m_competition.safeguard().undoCaption();
            undo->setText(caption.insert(caption.indexOf(QStringLiteral("gängig")), u'&'));
            undo->setEnabled(m_competition.safeguard().canUndo());
        });
    });
    connect(event, &QMenu::aboutToHide, this, [undo] { undo->setEnabled(true); });
}

void TMainForm::createGridPopupMenu()
{
    Competition &c = m_competition;
    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("PopupMenu1"));
    const auto teamNr = [this] {
        const ParticipantRow *p = currentParticipant();
        return p ? p->TeamNr : -1;
    };
    QMenu *card = m_popup->addMenu(QStringLiteral("&Bewertungsbogen"));
    card->menuAction()->setObjectName(QStringLiteral("Bewertungsbogen1"));
    addAction(card, QStringLiteral("&Vorschau"), "PopupPreviewScorecardItem", [&c, teamNr] {
        if (teamNr() >= 0)
            c.scorecards().OutputScorecards(false, teamNr());
    });
    addAction(card, QStringLiteral("&Drucken"), "PopupPrintScorecardItem", [&c, teamNr] {
        if (teamNr() >= 0)
            c.scorecards().OutputScorecards(true, teamNr());
    });
    m_popup->addSeparator();
    const auto finished = [&c, teamNr](bool addGame, bool value) {
        if (teamNr() < 0)
            return;
        if (addGame)
            c.finishedStatus().SetAddGameFinished(teamNr(), value, true);
        else
            c.finishedStatus().SetFinished(teamNr(), value, true);
    };
    addAction(m_popup, QStringLiteral("Team ist &fertig"), "TeamIsFinishedItem",
              [finished] { finished(false, true); });
    addAction(m_popup, QStringLiteral("Team ist &nicht fertig"), "TeamIsNotFinishedItem",
              [finished] { finished(false, false); });
    m_popupAddGame = m_popup->addMenu(QStringLiteral("&Zusatzspiel"));
    m_popupAddGame->menuAction()->setObjectName(QStringLiteral("AdditionalGameItem"));
    addAction(m_popupAddGame, QStringLiteral("Team ist &fertig"), "TeamIsFinishedAddItem",
              [finished] { finished(true, true); });
    addAction(m_popupAddGame, QStringLiteral("Team ist &nicht fertig"), "TeamIsNotFinishedAddItem",
              [finished] { finished(true, false); });
    m_popup->addSeparator();
    addAction(m_popup, QStringLiteral("Team &anzeigen"), "ShowTeamItem",
              [this] { ShowTeamItemClick(); });
}

void TMainForm::PopupMenu1Popup()
{
    const ParticipantRow *p = currentParticipant();
    const bool group = p && p->IsGroup;
    const QString who = group ? QStringLiteral("Gruppe") : QStringLiteral("Team");
    for (const char *name : {"TeamIsFinishedItem", "TeamIsFinishedAddItem"})
        action(QLatin1String(name))->setText(who + QStringLiteral(" ist &fertig"));
    for (const char *name : {"TeamIsNotFinishedItem", "TeamIsNotFinishedAddItem"})
        action(QLatin1String(name))->setText(who + QStringLiteral(" ist &nicht fertig"));
    action(QStringLiteral("ShowTeamItem"))->setText(who + QStringLiteral(" &anzeigen"));
}

void TMainForm::refreshEventPanel()
{
    const std::optional<EventRow> &e = m_competition.event();
    m_nameValue->setFullText(e ? e->AnlassBez : QString());
    m_methodValue->setFullText(e ? e->CalcRangberechnung() : QString());
    m_autoValue->setText(e ? e->CalcAutoRangBer() : QString());
    m_teamsValue->setText(e ? QString::number(e->RangBerNachTeams) : QString());
    m_addGameValue->setText(e ? e->CalcZusatzspiel() : QString());
    m_addNameValue->setFullText(e ? e->ZusatzspielName : QString());
    const bool autoRank = m_competition.hasAutoRank();
    m_teamsLabel->setVisible(autoRank);
    m_teamsValue->setVisible(autoRank);
    const bool addGame = m_competition.hasAddGame();
    m_addNameLabel->setVisible(addGame);
    m_addNameValue->setVisible(addGame);
}

void TMainForm::ApplyAutoRankLayout(bool on)
{
    m_countLabel->setVisible(on);
    m_lbxTeams->setVisible(on);
    action(QStringLiteral("ResetItem"))->setEnabled(on);
}

int TMainForm::charWidth() const
{
    return m_grid->fontMetrics().averageCharWidth();
}

void TMainForm::ApplyAddGameLayout()
{
    const bool z = m_competition.hasAddGame();
    const bool a = m_competition.hasAutoRank();
    m_countAddLabel->setVisible(z && a);
    m_lbxTeamsAdd->setVisible(z && a);
    for (int column :
         {ParticipantModel::Dummy, ParticipantModel::CalcZusatz,
          ParticipantModel::CalcSumOfPointsAdd, ParticipantModel::CalcSumOfTimeAdd,
          ParticipantModel::CalcZusatzAbgeschlossen, ParticipantModel::CalcZusatzGedruckt})
        m_grid->setColumnHidden(column, !z);
    m_grid->setColumnHidden(ParticipantModel::Verein, z);
    action(QStringLiteral("ResetAddItem"))->setVisible(z);
    m_popupAddGame->menuAction()->setVisible(z);
    fitColumns();
}

int TMainForm::gridRoom() const
{
    // Room for the columns without a horizontal scroll bar, leaving space for the vertical
    // one that a long list brings.
    const int scrollBar = m_grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_grid);
    if (m_grid->isVisible()) {
        return m_grid->viewport()->width()
            - (m_grid->verticalScrollBar()->isVisible() ? 0 : scrollBar);
    }
    const QMargins margins = centralWidget()->layout()->contentsMargins();
    return width() - margins.left() - margins.right() - 2 * m_grid->frameWidth()
        - m_grid->verticalHeader()->sizeHint().width() - scrollBar;
}

void TMainForm::fitColumns()
{
    // Numbers, flags and the start number get what their heading or widest value needs;
    // the text columns share the rest by the weights of their widths in characters, and
    // show at least their heading. The operator may still resize every column.
    const bool z = m_competition.hasAddGame();
    const QFontMetrics cell = m_grid->fontMetrics();
    QHeaderView *header = m_grid->horizontalHeader();
    const auto headingWidth = [header](int column) {
        return header->sectionSizeHint(column);
    };
    const auto fixed = [&](int column, const QString &widest) {
        return qMax(headingWidth(column), cell.horizontalAdvance(widest) + 8);
    };
    const QString number = QLocale().toString(9999.99, 'f', 2);
    QList<int> texts{ParticipantModel::CalcFullName, ParticipantModel::Hund,
                     ParticipantModel::Rasse, ParticipantModel::CalcKategorie};
    if (!z)
        texts.insert(2, ParticipantModel::Verein);
    int used = 0;
    for (int column = 0; column < ParticipantModel::ColumnCount; ++column) {
        if (m_grid->isColumnHidden(column) || texts.contains(column))
            continue;
        int w = 0;
        switch (ParticipantModel::Column(column)) {
        case ParticipantModel::Dummy:
            w = charWidth() + 2;
            break;
        case ParticipantModel::StartNr:
            w = fixed(column, QStringLiteral("9999"));
            break;
        case ParticipantModel::CalcSumOfPoints:
        case ParticipantModel::CalcSumOfTime:
        case ParticipantModel::CalcSumOfPointsAdd:
        case ParticipantModel::CalcSumOfTimeAdd:
            w = fixed(column, number);
            break;
        default:
            w = fixed(column, DataLibrary::YesNoText(false));
            break;
        }
        m_grid->setColumnWidth(column, w);
        used += w;
    }
    const auto weight = [z](int column) {
        switch (column) {
        case ParticipantModel::CalcFullName:
            return z ? 27 : 36;
        case ParticipantModel::Hund:
            return z ? 15 : 26;
        default:
            return ParticipantModel::defaultWidth(ParticipantModel::Column(column));
        }
    };
    // A column whose share is narrower than its heading gets the heading's width; the
    // others share what is left.
    int room = qMax(0, gridRoom() - used);
    QList<int> sharing = texts;
    for (bool settled = false; !settled && !sharing.isEmpty();) {
        int weights = 0;
        for (int column : std::as_const(sharing))
            weights += weight(column);
        const auto narrow = std::find_if(sharing.cbegin(), sharing.cend(), [&](int column) {
            return room * weight(column) / weights < headingWidth(column);
        });
        settled = narrow == sharing.cend();
        if (!settled) {
            const int column = *narrow;
            m_grid->setColumnWidth(column, headingWidth(column));
            room = qMax(0, room - headingWidth(column));
            sharing.removeOne(column);
            continue;
        }
        for (int column : std::as_const(sharing))
            m_grid->setColumnWidth(column, room * weight(column) / weights);
    }
}

void TMainForm::refreshCounts()
{
    // A long category name is cut by the narrow list; its line's tooltip holds all of it.
    const auto fill = [](QListWidget *list, const QStringList &lines) {
        list->clear();
        for (const QString &line : lines)
            (new QListWidgetItem(line, list))->setToolTip(line);
    };
    fill(m_lbxTeams, m_competition.finishedCounts());
    fill(m_lbxTeamsAdd, m_competition.addGameFinishedCounts());
}

void TMainForm::onParticipantsChanged()
{
    // The current participant stays current, wherever the new list puts it.
    m_model->endReload();
    int row = m_competition.participantIndex(m_refreshTeamNr);
    if (row < 0)
        row = qMin(m_refreshRow, m_model->rowCount() - 1);
    setCurrentRow(qMax(row, 0));
}

void TMainForm::showPostSave(int anlassNr, int teamNr)
{
    // Judges may enter the whole evening: their saves keep the regular snapshots going too.
    run([this] { m_competition.safeguard().ResultsEntered(); });
    // A team's own row is read again alone. A group member's results show in its group's
    // row, and a dialog may be open: then the whole list follows with the next look.
    if (anlassNr != m_competition.CurrentAnlassNr() || !m_externalChanges->operatorIdle()
        || m_competition.participantIndex(teamNr) < 0) {
        m_externalChanges->check();
        return;
    }
    run([&] { m_competition.RefreshParticipant(teamNr); });
    // What another process changed in the same moment shows with its next change.
    m_externalChanges->seen();
}

void TMainForm::showChangesFromElsewhere()
{
    // The operator's view stays as it was: the selected rows and the scroll position.
    const QList<int> selected = selectedTeamNrs();
    const int scrolled = m_grid->verticalScrollBar()->value();
    m_competition.RefreshParticipants();
    for (const int teamNr : selected) {
        const int row = m_competition.participantIndex(teamNr);
        if (row >= 0)
            m_grid->selectionModel()->select(
                m_model->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    m_grid->verticalScrollBar()->setValue(scrolled);
}

const ParticipantRow *TMainForm::currentParticipant() const
{
    const int row = currentRow();
    if (row < 0 || row >= m_competition.participants().size())
        return nullptr;
    return &m_competition.participants().at(row);
}

int TMainForm::currentRow() const
{
    const QModelIndex index = m_grid->currentIndex();
    return index.isValid() ? index.row() : (m_model->rowCount() > 0 ? 0 : -1);
}

void TMainForm::setCurrentRow(int row)
{
    selectGridRow(m_grid, row);
}

QList<int> TMainForm::selectedTeamNrs() const
{
    return ::selectedTeamNrs(m_grid, m_competition.participants());
}

void TMainForm::showStatus(const QString &text)
{
    m_statusFirst->setText(text);
}

void TMainForm::MenuItemClick()
{
    m_statusFirst->clear();
    m_competition.MenuItemClick();
}

void TMainForm::CreateEvent()
{
    m_forms.NewCompForm->dialogMode = QLatin1Char('N');
    if (m_forms.NewCompForm->exec() == QDialog::Accepted)
        m_competition.OpenEvent(m_competition.CurrentAnlassNr());
}

void TMainForm::EditItemClick()
{
    // With no event there is nothing to edit; the item stays enabled.
    if (m_competition.event()) {
        m_forms.NewCompForm->dialogMode = QLatin1Char('E');
        if (m_forms.NewCompForm->exec() == QDialog::Accepted)
            m_competition.OpenEvent(m_competition.CurrentAnlassNr());
    }
    ApplyAddGameLayout();
}

void TMainForm::OpenItemClick()
{
    m_forms.OpenCompForm->exec();
    ApplyAddGameLayout();
}

void TMainForm::DeleteItemClick()
{
    m_competition.DeleteEvent();
}

void TMainForm::RemoveItemClick()
{
    const QList<int> selected = selectedTeamNrs();
    if (selected.size() > 1) {
        m_competition.entries().RemoveSelectedEntries(selected);
    } else if (const ParticipantRow *p = currentParticipant()) {
        m_competition.entries().RemoveEntry(p->TeamNr);
    }
}

void TMainForm::DBGrid1DblClick()
{
    const ParticipantRow *p = currentParticipant();
    if (!p)
        return;
    const ParticipantRow participant = *p;
    if (!m_forms.TeamResultForm->execFor(participant))
        return;
    ChangeSource source(m_competition.data().db(), ChangeLog::ResultEntry);
    FinishedStatus &status = m_competition.finishedStatus();
    status.SetFinished(participant.TeamNr, m_forms.TeamResultForm->finished(), false);
    if (m_competition.hasAddGame())
        status.SetAddGameFinished(participant.TeamNr, m_forms.TeamResultForm->addGameFinished(),
                                  false);
    // Only this participant changed: its row is updated, not the whole list reread.
    m_competition.RefreshParticipant(participant.TeamNr);
    setCurrentRow(m_competition.participantIndex(participant.TeamNr));
}

void TMainForm::ShowTeamItemClick()
{
    const ParticipantRow *p = currentParticipant();
    if (!p)
        return;
    if (p->IsGroup) {
        m_forms.GroupForm->ShowTeamItemClick(p->TeamNr);
        return;
    }
    TTeamForm *form = m_forms.TeamForm;
    form->SetLayout(QLatin1Char('T'));
    form->mode = QLatin1Char('M');
    form->TeamNr = p->TeamNr;
    if (form->exec() == QDialog::Accepted)
        m_competition.RefreshParticipants();
}

void TMainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        // Now the frame is known, to centre the window by, and the grid has its real width.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
                    placeOnScreen(size());
                fitColumns();
            },
            Qt::QueuedConnection);
        m_competition.FormShow();
    }
}

void TMainForm::createFindBar(QWidget *parent)
{
    m_findBar = new QWidget(parent);
    m_findBar->setObjectName(QStringLiteral("FindBar"));
    auto *label = new QLabel(QStringLiteral("Suchen (Startnummer oder Name):"), m_findBar);
    m_findBox = new QLineEdit(m_findBar);
    m_findBox->setObjectName(QStringLiteral("FindBox"));
    m_findBox->setMaxLength(50);
    m_findBox->setToolTip(QStringLiteral("Eingabetaste: zum Teilnehmer; F3: nächster Treffer; "
                                         "Esc: Suche schliessen"));
    m_findStatus = new QLabel(m_findBar);
    m_findStatus->setObjectName(QStringLiteral("FindStatus"));
    auto *layout = new QHBoxLayout(m_findBar);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->addWidget(label);
    layout->addWidget(m_findBox);
    layout->addWidget(m_findStatus, 1);
    m_findBar->hide();
    connect(m_findBox, &QLineEdit::textEdited, this, [this] { findNext(false); });
    m_findBox->installEventFilter(this);
}

void TMainForm::showFindBar()
{
    m_findBar->show();
    m_findBox->selectAll();
    m_findBox->setFocus(Qt::ShortcutFocusReason);
}

void TMainForm::findNext(bool onward)
{
    const int from = currentRow() + (onward ? 1 : 0);
    const int row = findParticipant(m_competition.participants(), m_findBox->text(), from);
    if (row >= 0)
        setCurrentRow(row);
    m_findStatus->setText(row >= 0 || m_findBox->text().trimmed().isEmpty()
                              ? QString()
                              : QStringLiteral("Kein Teilnehmer gefunden."));
}

void TMainForm::closeFindBar()
{
    m_findBar->hide();
    m_grid->setFocus(Qt::ShortcutFocusReason);
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_findBox && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            closeFindBar();
            return true;
        case Qt::Key_F3:
        case Qt::Key_Down:
            findNext(true);
            return true;
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (!m_forms.ui->askYesNo(QStringLiteral("Wollen Sie das Programm wirklich beenden?"))) {
        event->ignore();
        return;
    }
    const bool normal =
        !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    run([this, normal] { m_competition.FormClose({!normal, width(), height()}); });
    event->accept();
}
