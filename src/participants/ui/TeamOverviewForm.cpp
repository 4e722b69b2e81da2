#include "participants/ui/TeamOverviewForm.h"

#include "app/Competition.h"
#include "app/Guard.h"
#include "app/ui/Forms.h"
#include "app/ui/GridRows.h"
#include "app/ui/HelpWindow.h"
#include "app/ui/ListKeys.h"
#include "data/DataLibrary.h"
#include "participants/StartNumbers.h"
#include "participants/ui/TeamForm.h"
#include "participants/ui/TeamImportDialog.h"
#include "participants/ui/TeamOverviewModel.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// Switches the main window's entry mode for a scope, back to what it was also when the
// scope is left by an error.
class EntryModeScope
{
public:
    EntryModeScope(Competition &competition, bool on)
        : m_competition(competition), m_saved(competition.EntryMode)
    {
        competition.EntryMode = on;
    }
    ~EntryModeScope() { m_competition.EntryMode = m_saved; }
    EntryModeScope(const EntryModeScope &) = delete;
    EntryModeScope &operator=(const EntryModeScope &) = delete;

private:
    Competition &m_competition;
    bool m_saved;
};

} // namespace

TTeamOverviewForm::TTeamOverviewForm(Forms &forms, QWidget *parent)
    : QDialog(parent), m_forms(forms), m_overview(*forms.competition)
{
    setObjectName(QStringLiteral("TeamOverviewForm"));
    setWindowTitle(QStringLiteral("Team-Übersicht"));
    setSizeGripEnabled(true);

    auto *nameLabel = new QLabel(QStringLiteral("Positionieren bei &Name:"), this);
    nameLabel->setObjectName(QStringLiteral("NameLabel"));
    m_nameBox = new QLineEdit(this);
    m_nameBox->setObjectName(QStringLiteral("NameBox"));
    m_nameBox->setMaxLength(50);
    nameLabel->setBuddy(m_nameBox);
    auto *nameColumn = new QVBoxLayout;
    nameColumn->addWidget(nameLabel);
    nameColumn->addWidget(m_nameBox);
    nameColumn->addStretch(1);

    auto *kindBox = new QGroupBox(QStringLiteral("Anzeigen"), this);
    kindBox->setObjectName(QStringLiteral("KindGroup"));
    m_kindButtons = new QButtonGroup(kindBox);
    auto *kindLayout = new QHBoxLayout(kindBox);
    int id = 0;
    for (const char *caption : {"&Alles", "&Teams", "&Gruppen"}) {
        auto *radio = new QRadioButton(QString::fromUtf8(caption), kindBox);
        radio->setObjectName(QStringLiteral("Kind") + QString::fromUtf8(caption).remove(u'&'));
        m_kindButtons->addButton(radio, id++);
        kindLayout->addWidget(radio);
    }
    m_kindButtons->button(0)->setChecked(true);

    m_eventList =
        new QCheckBox(QStringLiteral("N&ur Teams des geöffneten Anlasses anzeigen"), this);
    m_eventList->setObjectName(QStringLiteral("EventListBox"));
    m_printOnSave = new QCheckBox(QStringLiteral("Bewertungsbogen beim &Speichern drucken"), this);
    m_printOnSave->setObjectName(QStringLiteral("PrintOnSave"));
    auto *checks = new QVBoxLayout;
    checks->addWidget(m_eventList);
    checks->addWidget(m_printOnSave);
    checks->addStretch(1);

    auto *top = new QHBoxLayout;
    top->addLayout(nameColumn);
    top->addWidget(kindBox);
    top->addLayout(checks, 1);

    m_model = new TeamOverviewModel(m_overview, this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 4);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setHighlightSections(false);
    int gridWidth = 0;
    for (int column = 0; column < TeamOverviewModel::ColumnCount; ++column) {
        const int w = columnWidth(m_grid, column, TeamOverviewModel::widthInCharacters(column));
        m_grid->setColumnWidth(column, w);
        gridWidth += w;
    }

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("MessageLine"));
    m_message->setMinimumHeight(m_message->fontMetrics().height() + 4);

    const auto button = [this](const QString &text, const char *name) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton *newBtn = button(QStringLiteral("&Hinzufügen"), "NewTeamBtn");
    QPushButton *editBtn = button(QStringLiteral("&Bearbeiten"), "EditTeamBtn");
    m_deleteBtn = button(QStringLiteral("Team &löschen"), "DeleteBtn");
    QPushButton *closeBtn = button(QStringLiteral("S&chliessen"), "CloseBtn");
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(newBtn);
    buttons->addWidget(editBtn);
    buttons->addWidget(m_deleteBtn);
    buttons->addStretch(1);
    buttons->addWidget(closeBtn);

    auto *listColumn = new QVBoxLayout;
    listColumn->addLayout(top);
    listColumn->addWidget(m_grid, 1);
    listColumn->addWidget(m_message);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(listColumn, 1);
    layout->addLayout(buttons);

    createMenus();
    HelpWindow::bindTopic(this, 1003);
    resize(gridWidth + 150, 480);

    connect(m_nameBox, &QLineEdit::textChanged, this,
            [this](const QString &text) { PositionByName(text); });
    connect(m_kindButtons, &QButtonGroup::idClicked, this, [this](int typ) { SetKindFilter(typ); });
    connect(m_eventList, &QCheckBox::clicked, this,
            [this](bool checked) { SetEventListShown(checked); });
    connect(newBtn, &QPushButton::clicked, this, [this] { NewTeamBtnClick(); });
    connect(editBtn, &QPushButton::clicked, this, [this] { EditTeamBtnClick(); });
    connect(m_deleteBtn, &QPushButton::clicked, this, [this] { DeleteBtnClick(); });
    connect(closeBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_grid, &QTableView::doubleClicked, this, [this] { DBGrid1DblClick(); });
    connect(m_grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { m_popup->popup(m_grid->viewport()->mapToGlobal(pos)); });
    bindListKeys(m_grid,
                 {[this] {
                      if (m_overview.mode != QLatin1Char('S'))
                          NewTeamBtnClick();
                  },
                  [this] {
                      if (m_overview.mode == QLatin1Char('S'))
                          CollectSelection();
                      else
                          DeleteTeam();
                  },
                  [this] {
                      DBGrid1DblClick();
                  }});
    // Choosing members by keyboard: the arrows move without changing the choice, Space
    // takes a team or gives it back.
    m_grid->installEventFilter(this);

    guarded(*forms.ui, [this] { reload(); });
}

void TTeamOverviewForm::createMenus()
{
    auto *bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MenuBar"));
    layout()->setMenuBar(bar);
    QMenu *menu = bar->addMenu(QStringLiteral("&Funktionen"));
    menu->setObjectName(QStringLiteral("FunktionenMenu"));
    const auto add = [this](QMenu *m, const QString &caption, const char *name,
                            const std::function<void()> &handler) {
        QAction *a = m->addAction(caption);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    add(menu, QStringLiteral("Team in den Anlass einfügen &mit einer Startnummer"),
        "InsertWithStartNrItem", [this] { InsertWithStartNrClick(); });
    add(menu, QStringLiteral("Team in den Anlass einfügen &ohne Startnummer"),
        "InsertWithoutStartNrItem", [this] { InsertWithoutStartNrClick(); });
    menu->addSeparator();
    add(menu, QStringLiteral("Team &hinzufügen"), "NewTeamItem", [this] { NewTeamBtnClick(); });
    add(menu, QStringLiteral("Team &bearbeiten"), "EditTeamItem", [this] { EditTeamBtnClick(); });
    add(menu, QStringLiteral("Team &löschen"), "DeleteTeamItem", [this] { DeleteTeam(); });
    menu->addSeparator();
    add(menu, QStringLiteral("Startnummern auf &Null setzen"), "ClearStrNrItem",
        [this] { ClearStrNrBtnClick(); });
    add(menu, QStringLiteral("Neue &Startnummern vergeben"), "NewStrNrItem",
        [this] { NewStrNrBtnClick(); });
    menu->addSeparator();
    add(menu, QStringLiteral("Teams aus &Datei importieren"), "ImportItem",
        [this] { ImportItemClick(); });

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("PopupMenu1"));
    add(m_popup, QStringLiteral("In den Anlass einfügen &mit einer Startnummer"),
        "PopupInsertWithStartNrItem", [this] { InsertWithStartNrClick(); });
    add(m_popup, QStringLiteral("In den Anlass einfügen &ohne Startnummer"),
        "PopupInsertWithoutStartNrItem", [this] { InsertWithoutStartNrClick(); });
}

QAction *TTeamOverviewForm::action(const QString &objectName) const
{
    return findChild<QAction *>(objectName);
}

void TTeamOverviewForm::changeRows(const std::function<void()> &change)
{
    // The view must not read the rows while they are replaced.
    const int teamNr = currentRow() ? currentRow()->TeamNr : 0;
    m_model->beginReload();
    try {
        change();
    } catch (...) {
        m_model->endReload();
        throw;
    }
    m_model->endReload();
    setCurrentTeam(teamNr);
}

void TTeamOverviewForm::reload()
{
    changeRows([this] { m_overview.Reload(); });
}

const OverviewRow *TTeamOverviewForm::currentRow() const
{
    const QList<OverviewRow> &rows = m_overview.rows();
    const QModelIndex index = m_grid->currentIndex();
    if (index.isValid() && index.row() < rows.size())
        return &rows.at(index.row());
    return rows.isEmpty() ? nullptr : &rows.first();
}

void TTeamOverviewForm::setCurrentTeam(int teamNr)
{
    selectGridRow(m_grid, qMax(0, m_overview.indexOf(teamNr)));
}

QList<int> TTeamOverviewForm::selectedTeamNrs() const
{
    return ::selectedTeamNrs(m_grid, m_overview.rows());
}

void TTeamOverviewForm::showListState()
{
    const bool eventList = m_overview.eventListShown();
    m_eventList->setChecked(eventList);
    m_nameBox->setEnabled(!eventList);
    // The radio group tells which filter the list on screen has.
    if (QAbstractButton *b = m_kindButtons->button(m_overview.kindFilter()))
        b->setChecked(true);
}

int TTeamOverviewForm::exec()
{
    FormShow();
    return QDialog::exec();
}

void TTeamOverviewForm::FormShow()
{
    Competition &c = *m_forms.competition;
    const bool selecting = m_overview.mode == QLatin1Char('S');
    if (!c.EntryMode)
        m_printOnSave->setChecked(false);
    m_printOnSave->setEnabled(c.EntryMode);
    m_deleteBtn->setText(QStringLiteral("Team &löschen"));
    action(QStringLiteral("ClearStrNrItem"))->setEnabled(!selecting);
    action(QStringLiteral("NewStrNrItem"))->setEnabled(!selecting);
    m_grid->setSelectionMode(selecting ? QAbstractItemView::ExtendedSelection
                                       : QAbstractItemView::SingleSelection);
    m_nameBox->setFocus();
    if (selecting) {
        // The list takes the focus: arrows and Space choose, Enter takes the choice, as
        // "Übernehmen" does.
        m_deleteBtn->setText(QStringLiteral("&Übernehmen"));
        m_grid->setFocus();
    }
    m_message->clear();
    guarded(*m_forms.ui, [this] { changeRows([this] { m_overview.FormShow(); }); });
    // Only the teams the operator takes count; the row the list starts on is not one yet.
    if (selecting)
        m_grid->selectionModel()->clearSelection();
    showListState();
}

void TTeamOverviewForm::MaintainTeamsItemClick()
{
    m_overview.mode = QLatin1Char('M');
    exec();
    m_forms.competition->RefreshParticipants();
}

void TTeamOverviewForm::InsertItemClick()
{
    EntryModeScope entryMode(*m_forms.competition, true);
    m_overview.mode = QLatin1Char('I');
    exec();
}

void TTeamOverviewForm::NewTeamItemClick()
{
    EntryModeScope entryMode(*m_forms.competition, true);
    NewTeamBtnClick();
}

bool TTeamOverviewForm::SelectTeams(QStringList &selectionList)
{
    const QChar mode = m_overview.mode;
    const int filter = m_overview.allParticipantsFilter();
    m_selectionList = &selectionList;
    m_overview.mode = QLatin1Char('S');
    // Members are teams: the list offers nothing else while they are chosen.
    guarded(*m_forms.ui,
            [this] { changeRows([this] { m_overview.SetAllParticipantsFilter(1); }); });
    const bool ok = exec() == QDialog::Accepted;
    m_selectionList = nullptr;
    m_overview.mode = mode;
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    guarded(*m_forms.ui, [this, filter] {
        changeRows([this, filter] { m_overview.SetAllParticipantsFilter(filter); });
    });
    showListState();
    return ok;
}

void TTeamOverviewForm::EditTeam(int teamNr)
{
    guarded(*m_forms.ui, [this, teamNr] {
        reload();
        setCurrentTeam(teamNr);
        editTeam(teamNr);
    });
}

void TTeamOverviewForm::NewTeamBtnClick()
{
    TTeamForm *form = m_forms.TeamForm;
    form->SetLayout(QLatin1Char('T'));
    form->mode = QLatin1Char('I');
    form->TeamNr = 0;
    const bool saved = form->exec() == QDialog::Accepted;
    // In entry mode the dialog saves any number of teams and still returns Cancel; the list
    // is re-read either way so that it shows them.
    guarded(*m_forms.ui, [this, saved, form] {
        reload();
        if (saved)
            setCurrentTeam(form->TeamNr);
    });
}

void TTeamOverviewForm::EditTeamBtnClick()
{
    if (const OverviewRow *row = currentRow())
        guarded(*m_forms.ui, [this, teamNr = row->TeamNr] { editTeam(teamNr); });
}

void TTeamOverviewForm::editTeam(int teamNr)
{
    EntryModeScope entryMode(*m_forms.competition, false);
    TTeamForm *form = m_forms.TeamForm;
    // A group row is edited in the team layout as well.
    form->SetLayout(QLatin1Char('T'));
    form->mode = QLatin1Char('M');
    form->TeamNr = teamNr;
    if (form->exec() == QDialog::Accepted) {
        reload();
        setCurrentTeam(teamNr);
    }
}

void TTeamOverviewForm::DeleteBtnClick()
{
    if (m_overview.mode != QLatin1Char('S')) {
        DeleteTeam();
        return;
    }
    CollectSelection();
    accept();
}

void TTeamOverviewForm::DeleteTeam()
{
    const OverviewRow *current = currentRow();
    if (!current)
        return;
    const OverviewRow row = *current;
    const int index = m_grid->currentIndex().isValid() ? m_grid->currentIndex().row() : 0;
    guarded(*m_forms.ui, [this, &row, index] {
        bool deleted = false;
        changeRows([this, &row, &deleted] { deleted = m_overview.DeleteTeam(row); });
        // The row after the deleted one takes its place.
        if (deleted && !m_overview.rows().isEmpty())
            setCurrentTeam(
                m_overview.rows().at(qMin(index, int(m_overview.rows().size()) - 1)).TeamNr);
    });
}

void TTeamOverviewForm::DBGrid1DblClick()
{
    const OverviewRow *current = currentRow();
    if (!current)
        return;
    if (m_overview.mode == QLatin1Char('M')) {
        EditTeamBtnClick();
    } else if (m_overview.mode == QLatin1Char('I')) {
        const OverviewRow row = *current;
        const bool print = m_printOnSave->isEnabled() && m_printOnSave->isChecked();
        guarded(*m_forms.ui, [this, &row, print] {
            changeRows([this, &row, print] { m_overview.EnterRow(row, print); });
        });
        m_message->setText(m_overview.message);
    } else if (m_overview.mode == QLatin1Char('S')) {
        DeleteBtnClick(); // "Übernehmen"
    }
}

void TTeamOverviewForm::InsertWithStartNrClick()
{
    insertCurrentRow(&TeamOverview::InsertWithStartNr);
}

void TTeamOverviewForm::InsertWithoutStartNrClick()
{
    insertCurrentRow(&TeamOverview::InsertWithoutStartNr);
}

void TTeamOverviewForm::insertCurrentRow(bool (TeamOverview::*insert)(const OverviewRow &))
{
    const OverviewRow *current = currentRow();
    if (!current)
        return;
    const OverviewRow row = *current;
    guarded(*m_forms.ui, [this, &row, insert] {
        changeRows([this, &row, insert] { (m_overview.*insert)(row); });
    });
    m_message->setText(m_overview.message);
}

void TTeamOverviewForm::CollectSelection()
{
    if (!m_selectionList)
        return;
    m_grid->setUpdatesEnabled(false);
    TeamOverview::CollectSelection(selectedTeamNrs(), *m_selectionList);
    m_grid->setUpdatesEnabled(true);
}

void TTeamOverviewForm::ImportItemClick()
{
    if (TeamImportDialog(*m_forms.competition, this).execute())
        guarded(*m_forms.ui, [this] { reload(); });
}

void TTeamOverviewForm::ClearStrNrBtnClick()
{
    guarded(*m_forms.ui, [this] {
        if (m_forms.competition->startNumbers().ClearStrNrBtnClick())
            reload();
    });
}

void TTeamOverviewForm::NewStrNrBtnClick()
{
    guarded(*m_forms.ui, [this] {
        if (m_forms.competition->startNumbers().NewStrNrBtnClick())
            reload();
    });
}

void TTeamOverviewForm::SetEventListShown(bool eventList)
{
    guarded(*m_forms.ui, [this, eventList] {
        changeRows([this, eventList] { m_overview.SetEventListShown(eventList); });
    });
    showListState();
}

void TTeamOverviewForm::SetKindFilter(int typ)
{
    guarded(*m_forms.ui,
            [this, typ] { changeRows([this, typ] { m_overview.SetKindFilter(typ); }); });
    showListState();
}

void TTeamOverviewForm::PositionByName(const QString &text)
{
    const int row = m_overview.PositionByName(text);
    if (row >= 0)
        selectGridRow(m_grid, row);
}

bool TTeamOverviewForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_grid || event->type() != QEvent::KeyPress
        || m_overview.mode != QLatin1Char('S'))
        return QDialog::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() & ~Qt::KeypadModifier)
        return false;
    switch (key->key()) {
    case Qt::Key_Space:
        if (m_grid->currentIndex().isValid())
            m_grid->selectionModel()->select(
                m_grid->currentIndex(), QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End: {
        // With Ctrl the grid moves its cursor and leaves the selection alone.
        QKeyEvent moved(QEvent::KeyPress, key->key(), key->modifiers() | Qt::ControlModifier);
        QCoreApplication::sendEvent(m_grid, &moved);
        return true;
    }
    default:
        return false;
    }
}
