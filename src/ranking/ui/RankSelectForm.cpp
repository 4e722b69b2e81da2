#include "ranking/ui/RankSelectForm.h"

#include "app/UserInterface.h"
#include "app/ui/Forms.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TRankSelectForm::TRankSelectForm(Forms &forms, QWidget *parent) : QDialog(parent), m_forms(forms)
{
    setObjectName(QStringLiteral("RankSelectForm"));
    setWindowTitle(QStringLiteral("Rangliste erstellen"));

    auto *categoryBox =
        new QGroupBox(QStringLiteral("Wählen Sie die Kategorie für die Rangberechnung aus"), this);
    auto *categoryLayout = new QHBoxLayout(categoryBox);
    auto *label = new QLabel(QStringLiteral("&Kategorie:"), categoryBox);
    m_category = new QComboBox(categoryBox);
    m_category->setObjectName(QStringLiteral("ComboBox1"));
    m_category->setEditable(false);
    m_category->setMinimumWidth(200);
    label->setBuddy(m_category);
    categoryLayout->addWidget(label);
    categoryLayout->addWidget(m_category, 1);

    m_kindBox = new QGroupBox(QStringLiteral("Welche Rangliste soll erstellt werden"), this);
    m_kindBox->setObjectName(QStringLiteral("RadioGroup1"));
    auto *kindLayout = new QVBoxLayout(m_kindBox);
    m_kind = new QButtonGroup(this);
    const QStringList kinds{QStringLiteral("&Normaler Anlass"), QStringLiteral("&Zusatzspiel"),
                            QStringLiteral("&Beides")};
    for (int i = 0; i < kinds.size(); ++i) {
        auto *button = new QRadioButton(kinds.at(i), m_kindBox);
        button->setObjectName(QStringLiteral("RadioKind%1").arg(i));
        m_kind->addButton(button, i);
        kindLayout->addWidget(button);
    }

    // Off by default: in automatic mode a list shows only those not yet on a printed one.
    m_withPrinted = new QCheckBox(QStringLiteral("Auch bereits &gedruckte Teams"), this);
    m_withPrinted->setObjectName(QStringLiteral("WithPrintedCheck"));

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    QPushButton *cancel =
        buttons->addButton(QStringLiteral("Abbre&chen"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    connect(ok, &QPushButton::clicked, this, &TRankSelectForm::OKBtnClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(categoryBox);
    layout->addWidget(m_kindBox);
    layout->addWidget(m_withPrinted);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TRankSelectForm::FillCategoryChoice(const RankListChoice &choice)
{
    m_category->clear();
    for (int i = 0; i < choice.categoryItems.size(); ++i)
        m_category->addItem(choice.categoryItems.at(i), choice.categoryNumbers.value(i));
    m_category->setCurrentIndex(choice.categoryIndex);
}

void TRankSelectForm::FormShow(const RankListChoice &choice)
{
    FillCategoryChoice(choice);
    if (QAbstractButton *button = m_kind->button(choice.kind))
        button->setChecked(true);
    m_kindBox->setEnabled(choice.kindEnabled);
    m_withPrinted->setChecked(choice.withPrinted);
}

void TRankSelectForm::OKBtnClick()
{
    if (m_category->currentText().isEmpty()) {
        m_forms.ui->information(
            QStringLiteral("Wählen Sie bitt eine Kategorie aus der Liste aus."));
        return;
    }
    accept();
}

void TRankSelectForm::readChoice(RankListChoice &choice) const
{
    choice.categoryIndex = m_category->currentIndex();
    choice.kind = m_kind->checkedId() < 0 ? 0 : m_kind->checkedId();
    choice.withPrinted = m_withPrinted->isChecked();
}

bool TRankSelectForm::choose(RankListChoice &choice)
{
    FormShow(choice);
    if (exec() != QDialog::Accepted)
        return false;
    readChoice(choice);
    return true;
}
