#include "event/ui/NewCompForm.h"

#include "app/Competition.h"
#include "app/Guard.h"
#include "app/ui/Forms.h"
#include "app/ui/HelpWindow.h"
#include "app/ui/ListKeys.h"
#include "event/ui/DataForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QGroupBox *sortGroup(const QString &title, const char *name, QButtonGroup *&buttons,
                     QWidget *parent)
{
    auto *box = new QGroupBox(title, parent);
    box->setObjectName(QLatin1String(name));
    buttons = new QButtonGroup(box);
    auto *layout = new QVBoxLayout(box);
    auto *down = new QRadioButton(QStringLiteral("Absteigend"), box);
    auto *up = new QRadioButton(QStringLiteral("Aufsteigend"), box);
    down->setObjectName(QLatin1String(name) + QStringLiteral("Down"));
    up->setObjectName(QLatin1String(name) + QStringLiteral("Up"));
    buttons->addButton(down, 1);
    buttons->addButton(up, 2);
    layout->addWidget(down);
    layout->addWidget(up);
    return box;
}

} // namespace

TNewCompForm::TNewCompForm(Forms &forms, QWidget *parent)
    : QDialog(parent), m_forms(forms), m_editor(*forms.competition)
{
    setObjectName(QStringLiteral("NewCompForm"));
    setWindowTitle(QStringLiteral("Neuen Anlass erstellen"));

    auto *details = new QGroupBox(QStringLiteral("Angaben zum Anlass"), this);
    details->setObjectName(QStringLiteral("DetailsGroup"));
    m_name = new QLineEdit(details);
    m_name->setObjectName(QStringLiteral("AnlassBez"));
    m_name->setMaxLength(50);
    m_method = new QComboBox(details);
    m_method->setObjectName(QStringLiteral("Rangberechnung"));
    m_method->addItems(EventEditor::rankMethods());
    m_method->setEditable(false);
    m_pointsSort =
        sortGroup(QStringLiteral("&Punktesortierung"), "PunkteSort", m_pointsButtons, details);
    m_timeSort = sortGroup(QStringLiteral("&Zeitsortierung"), "ZeitSort", m_timeButtons, details);

    auto *options = new QGroupBox(QStringLiteral("Optionen"), details);
    options->setObjectName(QStringLiteral("OptionsGroup"));
    m_autoRank = new QCheckBox(QStringLiteral("Ranglisten &automatisch erstellen"), options);
    m_autoRank->setObjectName(QStringLiteral("AutoRangBerechnung"));
    m_teamsLabel = new QLabel(QStringLiteral("Nach Anzahl abgeschlossenen &Teams:"), options);
    m_teamsLabel->setObjectName(QStringLiteral("RangBerNachTeamsLabel"));
    m_teams = new QLineEdit(options);
    m_teams->setObjectName(QStringLiteral("RangBerNachTeams"));
    m_teams->setMaxLength(6);
    m_teams->setMaximumWidth(60);
    m_addGame = new QCheckBox(QStringLiteral("Der Anlass hat ein Zusatzsp&iel"), options);
    m_addGame->setObjectName(QStringLiteral("Zusatzspiel"));
    m_addGameLabel = new QLabel(QStringLiteral("Zusatzspielna&me:"), options);
    m_addGameLabel->setObjectName(QStringLiteral("ZusatzspielNameLabel"));
    m_addGameName = new QLineEdit(options);
    m_addGameName->setObjectName(QStringLiteral("ZusatzspielName"));
    m_addGameName->setMaxLength(50);
    auto *optionsLayout = new QGridLayout(options);
    optionsLayout->addWidget(m_autoRank, 0, 0, 1, 2);
    optionsLayout->addWidget(m_teamsLabel, 1, 0);
    optionsLayout->addWidget(m_teams, 1, 1, Qt::AlignLeft);
    optionsLayout->addWidget(m_addGame, 2, 0, 1, 2);
    optionsLayout->addWidget(m_addGameLabel, 3, 0);
    optionsLayout->addWidget(m_addGameName, 3, 1);
    optionsLayout->setColumnStretch(1, 1);

    m_clearStartNumbers =
        new QCheckBox(QStringLiteral("Startnummern im Teamstamm auf N&ull setzen"), details);
    m_clearStartNumbers->setObjectName(QStringLiteral("ClearStartNumbers"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Name:"), m_name);
    form->addRow(QStringLiteral("&Rangberechnung:"), m_method);
    m_teamsLabel->setBuddy(m_teams);
    m_addGameLabel->setBuddy(m_addGameName);
    auto *sorts = new QHBoxLayout;
    sorts->addWidget(m_pointsSort);
    sorts->addWidget(m_timeSort);
    auto *detailsLayout = new QVBoxLayout(details);
    detailsLayout->addLayout(form);
    detailsLayout->addLayout(sorts);
    detailsLayout->addWidget(options);
    detailsLayout->addWidget(m_clearStartNumbers);

    m_postGroup = new QGroupBox(QStringLiteral("&Verwendete Posten"), this);
    m_postGroup->setObjectName(QStringLiteral("PostGroup"));
    m_postList = new QListWidget(m_postGroup);
    m_postList->setObjectName(QStringLiteral("PostList"));
    m_postList->setMinimumHeight(110);
    m_postList->setToolTip(QStringLiteral("Leertaste: Posten an- oder abwählen; "
                                          "Einfg: Posten verwalten"));
    auto *more = new QPushButton(QStringLiteral("..."), m_postGroup);
    more->setObjectName(QStringLiteral("Button1"));
    more->setFixedWidth(28);
    more->setAutoDefault(false);
    // A helper beside the list, reached by Insert in the list; Tab goes past it.
    more->setFocusPolicy(Qt::NoFocus);
    more->setToolTip(QStringLiteral("Posten verwalten (Einfg)"));
    auto *postLayout = new QHBoxLayout(m_postGroup);
    postLayout->addWidget(m_postList, 1);
    postLayout->addWidget(more, 0, Qt::AlignTop);

    auto *save = new QPushButton(QStringLiteral("&Speichern"), this);
    save->setObjectName(QStringLiteral("SaveBtn"));
    save->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Abbre&chen"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setAutoDefault(false);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    buttons->addStretch(1);

    auto *left = new QVBoxLayout;
    left->addWidget(details);
    left->addWidget(m_postGroup, 1);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    details->setMinimumWidth(400);

    connect(m_method, &QComboBox::currentIndexChanged, this, [this] { UpdateSortEnabling(); });
    connect(m_autoRank, &QCheckBox::toggled, this, [this] { UpdateOptionEnabling(); });
    connect(m_addGame, &QCheckBox::toggled, this, [this] { UpdateOptionEnabling(); });
    connect(save, &QPushButton::clicked, this, [this] { SaveBtnClick(); });
    connect(cancel, &QPushButton::clicked, this, [this] { CancelBtnClick(); });
    HelpWindow::bindTopic(this, 1006);
    connect(more, &QPushButton::clicked, this, [this] { Button1Click(); });
    bindListKeys(m_postList, {clickOf(more), {}, {}});

    // The counter of the main window follows the event open at start-up.
    m_forms.competition->ApplyAutoRankLayout(m_forms.competition->hasAutoRank());
}

int TNewCompForm::exec()
{
    FormShow();
    return QDialog::exec();
}

void TNewCompForm::FormShow()
{
    m_editor.dialogMode = dialogMode;
    const EventInput in = m_editor.FormShow();
    const bool creating = m_editor.creating();
    setWindowTitle(creating ? QStringLiteral("Neuen Anlass erstellen")
                            : QStringLiteral("Anlass ändern"));
    m_name->setText(in.AnlassBez);
    m_method->setCurrentIndex(int(EventEditor::rankMethods().indexOf(in.Rangberechnung)));
    setSort(m_pointsButtons, in.PunkteSort);
    setSort(m_timeButtons, in.ZeitSort);
    m_autoRank->setChecked(in.AutoRangBerechnung);
    m_teams->setText(in.RangBerNachTeams);
    m_addGame->setChecked(in.Zusatzspiel);
    m_addGameName->setText(in.ZusatzspielName);
    m_clearStartNumbers->setChecked(in.clearStartNumbers);
    m_clearStartNumbers->setVisible(creating);
    m_postGroup->setVisible(creating);
    LoadPostList(in.posts);
    UpdateSortEnabling();
    UpdateOptionEnabling();
    m_name->setFocus();
    adjustSize();
}

void TNewCompForm::LoadPostList(const QList<PostChoice> &posts)
{
    m_postList->clear();
    for (const PostChoice &post : posts) {
        auto *item = new QListWidgetItem(post.PostenBez, m_postList);
        item->setData(Qt::UserRole, post.PostenNr);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(post.checked ? Qt::Checked : Qt::Unchecked);
    }
}

void TNewCompForm::UpdateSortEnabling()
{
    const QString method = m_method->currentText();
    m_pointsSort->setEnabled(EventEditor::pointsSortEnabled(method));
    m_timeSort->setEnabled(EventEditor::timeSortEnabled(method));
}

void TNewCompForm::UpdateOptionEnabling()
{
    m_teamsLabel->setEnabled(m_autoRank->isChecked());
    m_teams->setEnabled(m_autoRank->isChecked());
    m_addGameLabel->setEnabled(m_addGame->isChecked());
    m_addGameName->setEnabled(m_addGame->isChecked());
}

int TNewCompForm::checkedSort(const QButtonGroup *group)
{
    return qMax(group->checkedId(), 0);
}

void TNewCompForm::setSort(QButtonGroup *group, int code)
{
    // Clearing a radio group needs it to be non-exclusive for a moment.
    group->setExclusive(false);
    for (QAbstractButton *button : group->buttons())
        button->setChecked(group->id(button) == code);
    group->setExclusive(true);
}

EventInput TNewCompForm::input() const
{
    EventInput in;
    in.AnlassBez = m_name->text();
    in.Rangberechnung = m_method->currentIndex() >= 0 ? m_method->currentText() : QString();
    in.PunkteSort = checkedSort(m_pointsButtons);
    in.ZeitSort = checkedSort(m_timeButtons);
    in.AutoRangBerechnung = m_autoRank->isChecked();
    in.RangBerNachTeams = m_teams->text();
    in.Zusatzspiel = m_addGame->isChecked();
    in.ZusatzspielName = m_addGameName->text();
    in.clearStartNumbers = m_editor.creating() && m_clearStartNumbers->isChecked();
    for (int i = 0; i < m_postList->count(); ++i) {
        const QListWidgetItem *item = m_postList->item(i);
        in.posts << PostChoice{item->data(Qt::UserRole).toInt(), item->text(),
                               item->checkState() == Qt::Checked};
    }
    return in;
}

void TNewCompForm::SaveBtnClick()
{
    bool saved = false;
    // An engine error keeps the dialog open with the input, so that nothing typed is lost.
    guarded(*m_forms.ui, [this, &saved] { saved = m_editor.SaveBtnClick(input()); });
    if (saved)
        accept();
}

void TNewCompForm::CancelBtnClick()
{
    reject();
}

void TNewCompForm::Button1Click()
{
    m_forms.DataForm->PostenItemClick();
    guarded(*m_forms.ui, [this] { LoadPostList(m_editor.LoadPostList()); });
}
