#include "participants/ui/TeamForm.h"

#include "app/Competition.h"
#include "app/Guard.h"
#include "app/UserInterface.h"
#include "app/ui/Forms.h"
#include "app/ui/HelpWindow.h"
#include "data/DataLibrary.h"
#include "event/ui/DataForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int FrameLeft = 8;
constexpr int FrameTop = 8;
constexpr int FrameWidth = 330;
constexpr int LabelLeft = 16;
constexpr int LabelWidth = 90;
constexpr int FieldLeft = 110;
constexpr int FieldWidth = 212;
constexpr int ComboWidth = 185;
constexpr int SmallButtonWidth = 24;
constexpr int FieldHeight = 22;
constexpr int ButtonLeft = FrameLeft + FrameWidth + 10;
constexpr int ButtonWidth = 85;
constexpr int FormWidth = ButtonLeft + ButtonWidth + 8;

// Rows of the team layout, as tops of their labels; a control sits a little above its label
// so that the texts line up.
constexpr int StartNrTop = 30;
constexpr int NameTop = 55;
constexpr int VornameTop = 80;
constexpr int HundTop = 130;
constexpr int RasseTop = 155;
constexpr int AddGameTop = 198;

struct KindLayout
{
    const char *caption;
    const char *frameCaption;
    int height;
    int frameHeight;
    int vereinTop;
    int categoryTop;
    int printTop;
};

constexpr KindLayout TeamLayout{"Team", "Angaben zum Team", 296, 211, 105, 180, 245};
constexpr KindLayout GroupLayout{"Gruppe", "Angaben zur Gruppe", 199, 136, 80, 105, 150};

// A drop-down and its button sit 5 above the top of their label.
void placeWithButton(QWidget *box, QWidget *button, int labelTop)
{
    box->setGeometry(FieldLeft, labelTop - 5, ComboWidth, FieldHeight);
    button->setGeometry(FieldLeft + ComboWidth + 3, labelTop - 5, SmallButtonWidth, FieldHeight);
}

} // namespace

TTeamForm::TTeamForm(Forms &forms, QWidget *parent)
    : QDialog(parent), m_forms(forms), m_editor(*forms.competition)
{
    setObjectName(QStringLiteral("TeamForm"));

    m_frame = new QGroupBox(this);
    m_frame->setObjectName(QStringLiteral("GroupBox1"));

    const auto label = [this](const QString &text, const char *name, int top) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(LabelLeft, top, LabelWidth, 17);
        return l;
    };
    const auto edit = [this](const char *name, int maxLength, int top, int width) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        e->setMaxLength(maxLength);
        e->setGeometry(FieldLeft, top - 3, width, FieldHeight);
        return e;
    };
    const auto pickList = [this](const char *name, int maxLength) {
        auto *c = new QComboBox(this);
        c->setObjectName(QLatin1String(name));
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->lineEdit()->setMaxLength(maxLength);
        return c;
    };
    // The helpers beside the fields are not in the Tab order: typing a team in Tab rhythm
    // must go from field to field. Their keys are F5 in the pick list (reload) and Insert
    // in the category box (maintain categories).
    const auto smallButton = [this](const QString &text, const char *name) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };

    QLabel *startNrLabel = label(QStringLiteral("S&tartnummer:"), "StartNrLabel", StartNrTop);
    // As many digits as the largest start number an event holds: a proposed 1000 is shown
    // whole, never cut to 100.
    m_startNr =
        edit("StartNr", int(QString::number(TeamEditor::MaxStartNr).size()), StartNrTop, 80);
    QLabel *nameLabel = label(QStringLiteral("&Name:"), "NameLabel", NameTop);
    m_name = edit("Name", 50, NameTop, FieldWidth);
    QLabel *vornameLabel = label(QStringLiteral("&Vorname:"), "VornameLabel", VornameTop);
    m_vorname = edit("Vorname", 25, VornameTop, FieldWidth);
    m_vereinLabel = label(QStringLiteral("V&erein:"), "VereinLabel", TeamLayout.vereinTop);
    m_verein = pickList("Verein", 50);
    m_vereinBtn = smallButton(QStringLiteral("<"), "VereinBtn");
    QLabel *hundLabel = label(QStringLiteral("&Hund:"), "HundLabel", HundTop);
    m_hund = edit("Hund", 25, HundTop, FieldWidth);
    QLabel *rasseLabel = label(QStringLiteral("&Rasse:"), "RasseLabel", RasseTop);
    m_rasse = pickList("Rasse", 35);
    m_rasseBtn = smallButton(QStringLiteral("<"), "RasseBtn");
    placeWithButton(m_rasse, m_rasseBtn, RasseTop);
    m_categoryLabel =
        label(QStringLiteral("&Kategorie:"), "KategorieLabel", TeamLayout.categoryTop);
    m_category = new QComboBox(this);
    m_category->setObjectName(QStringLiteral("KatNr"));
    m_category->setEditable(false);
    m_categoryBtn = smallButton(QStringLiteral("..."), "KategorieBtn");
    startNrLabel->setBuddy(m_startNr);
    nameLabel->setBuddy(m_name);
    vornameLabel->setBuddy(m_vorname);
    m_vereinLabel->setBuddy(m_verein);
    hundLabel->setBuddy(m_hund);
    rasseLabel->setBuddy(m_rasse);
    m_categoryLabel->setBuddy(m_category);
    m_addGame = new QCheckBox(QStringLiteral("Nimmt am &Zusatzwettbewerb teil"), this);
    m_addGame->setObjectName(QStringLiteral("Zusatzspiel"));
    m_addGame->setGeometry(LabelLeft, AddGameTop, FieldLeft + FieldWidth - LabelLeft, 18);
    m_printOnSave = new QCheckBox(QStringLiteral("&Bewertungsbogen beim Speichern drucken"), this);
    m_printOnSave->setObjectName(QStringLiteral("PrintOnSave"));
    for (QPushButton *b : {m_vereinBtn, m_rasseBtn})
        b->setToolTip(QStringLiteral("Liste aktualisieren"));
    m_categoryBtn->setToolTip(QStringLiteral("Kategorien verwalten (Einfg)"));
    for (QWidget *w : {static_cast<QWidget *>(m_verein), static_cast<QWidget *>(m_rasse),
                       static_cast<QWidget *>(m_category)})
        w->installEventFilter(this);
    m_teamOnly = {vornameLabel, m_vorname, hundLabel,  m_hund,
                  rasseLabel,   m_rasse,   m_rasseBtn, m_addGame};

    auto *save = new QPushButton(QStringLiteral("&Speichern"), this);
    save->setObjectName(QStringLiteral("SaveBtn"));
    save->setDefault(true);
    save->setGeometry(ButtonLeft, FrameTop + 6, ButtonWidth, 25);
    auto *close = new QPushButton(QStringLiteral("S&chliessen"), this);
    close->setObjectName(QStringLiteral("CloseBtn"));
    close->setAutoDefault(false);
    close->setGeometry(ButtonLeft, FrameTop + 37, ButtonWidth, 25);

    // The frame is drawn behind the controls, which are placed in window coordinates.
    m_frame->lower();
    const QList<QWidget *> tabOrder{m_startNr,  m_name,    m_vorname,     m_verein, m_hund, m_rasse,
                                    m_category, m_addGame, m_printOnSave, save,     close};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder.at(i - 1), tabOrder.at(i));

    connect(save, &QPushButton::clicked, this, [this] { SaveBtnClick(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    HelpWindow::bindTopic(this, 1004);
    connect(m_vereinBtn, &QPushButton::clicked, this, [this] { LoadClubList(); });
    connect(m_rasseBtn, &QPushButton::clicked, this, [this] { LoadBreedList(); });
    connect(m_categoryBtn, &QPushButton::clicked, this, [this] { CategoryBtnClick(); });

    SetLayout(QLatin1Char('T'));
    if (forms.competition->data().databaseOpen()) {
        LoadClubList();
        LoadBreedList();
    }
}

void TTeamForm::SetLayout(QChar kind)
{
    m_editor.kind = kind == QLatin1Char('G') ? QLatin1Char('G') : QLatin1Char('T');
    const bool team = m_editor.kind == QLatin1Char('T');
    const KindLayout &l = team ? TeamLayout : GroupLayout;
    setWindowTitle(QLatin1String(l.caption));
    m_frame->setTitle(QLatin1String(l.frameCaption));
    m_frame->setGeometry(FrameLeft, FrameTop, FrameWidth, l.frameHeight);
    setFixedSize(FormWidth, l.height);
    for (QWidget *w : std::as_const(m_teamOnly))
        w->setVisible(team);
    m_vereinLabel->move(LabelLeft, l.vereinTop);
    placeWithButton(m_verein, m_vereinBtn, l.vereinTop);
    m_categoryLabel->move(LabelLeft, l.categoryTop);
    placeWithButton(m_category, m_categoryBtn, l.categoryTop);
    m_printOnSave->setGeometry(FrameLeft + 8, l.printTop, FrameWidth, 18);
}

int TTeamForm::exec()
{
    if (!FormShow())
        return QDialog::Rejected;
    return QDialog::exec();
}

bool TTeamForm::FormShow()
{
    bool prepared = false;
    guarded(*m_forms.ui, [this, &prepared] {
        LoadCategories(0);
        prepared = PrepareRecord();
    });
    return prepared;
}

bool TTeamForm::PrepareRecord()
{
    m_editor.mode = mode;
    m_editor.TeamNr = TeamNr;
    if (!m_editor.PrepareRecord())
        return false;
    showPrepared();
    return true;
}

void TTeamForm::showPrepared()
{
    if (!m_editor.printOnSaveEnabled())
        m_printOnSave->setChecked(false);
    m_printOnSave->setEnabled(m_editor.printOnSaveEnabled());
    m_addGame->setEnabled(m_editor.addGameEnabled());
    showRecord();
    m_name->setFocus();
}

void TTeamForm::showRecord()
{
    const TeamRow &r = m_editor.record();
    m_startNr->setText(QString::number(r.StartNr));
    m_name->setText(r.Name);
    m_vorname->setText(r.Vorname);
    m_verein->setEditText(r.Verein);
    m_hund->setText(r.Hund);
    m_rasse->setEditText(r.Rasse);
    m_category->setCurrentIndex(m_category->findData(r.KatNr));
    m_addGame->setChecked(r.Zusatzspiel);
}

void TTeamForm::LoadCategories(int katNr)
{
    m_category->clear();
    for (const CategoryRow &c : m_forms.competition->data().Categories())
        m_category->addItem(c.KatBez, c.KatNr);
    m_category->setCurrentIndex(m_category->findData(katNr));
}

TeamInput TTeamForm::input() const
{
    TeamInput in;
    in.StartNr = m_startNr->text();
    in.Name = m_name->text();
    in.Vorname = m_vorname->text();
    in.Verein = m_verein->currentText();
    in.Hund = m_hund->text();
    in.Rasse = m_rasse->currentText();
    in.KatNr = m_category->currentData().toInt();
    in.Zusatzspiel = m_addGame->isChecked();
    in.printOnSave = m_printOnSave->isEnabled() && m_printOnSave->isChecked();
    return in;
}

void TTeamForm::SaveBtnClick()
{
    TeamInput in = input();
    TeamEditor::SaveResult result = TeamEditor::SaveResult::Refused;
    // An engine error keeps the record pending with everything typed.
    guarded(*m_forms.ui, [this, &in, &result] { result = m_editor.Save(in); });
    m_name->setText(in.Name);
    switch (result) {
    case TeamEditor::SaveResult::Refused:
        break;
    case TeamEditor::SaveResult::Entered:
        // The editor has begun the next record already.
        TeamNr = m_editor.TeamNr;
        showPrepared();
        break;
    case TeamEditor::SaveResult::Saved:
        TeamNr = m_editor.TeamNr;
        accept();
        break;
    }
}

void TTeamForm::CategoryBtnClick()
{
    const int katNr = m_category->currentData().toInt();
    m_forms.DataForm->KategorienItemClick();
    guarded(*m_forms.ui, [this, katNr] { LoadCategories(katNr); });
}

void TTeamForm::loadPickList(QComboBox *box, QStringList (TeamEditor::*read)())
{
    // The text being typed stays; only the offered values change.
    const QString text = box->currentText();
    guarded(*m_forms.ui, [this, box, read] {
        BusyCursor busy(*m_forms.ui);
        const QStringList values = (m_editor.*read)();
        box->clear();
        box->addItems(values);
    });
    box->setEditText(text);
}

void TTeamForm::LoadClubList()
{
    loadPickList(m_verein, &TeamEditor::ClubList);
}

void TTeamForm::LoadBreedList()
{
    loadPickList(m_rasse, &TeamEditor::BreedList);
}

bool TTeamForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() == Qt::NoModifier) {
            if (key->key() == Qt::Key_F5 && (watched == m_verein || watched == m_rasse)) {
                (watched == m_verein ? m_vereinBtn : m_rasseBtn)->click();
                return true;
            }
            if (key->key() == Qt::Key_Insert && watched == m_category) {
                m_categoryBtn->click();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
