#include "event/ui/DataDetailForm.h"

#include "app/ui/Forms.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TDataDetailForm::TDataDetailForm(Forms &forms, QWidget *parent) : QDialog(parent), m_forms(forms)
{
    setObjectName(QStringLiteral("DataDetailForm"));
    setWindowTitle(QStringLiteral("Stammdaten-Detail"));

    m_group = new QGroupBox(this);
    m_group->setObjectName(QStringLiteral("GroupBox1"));
    m_name = new QLineEdit(m_group);
    m_name->setObjectName(QStringLiteral("Bezeichnung"));
    m_factorLabel = new QLabel(QStringLiteral("&Leistungsfaktor:"), m_group);
    m_factorLabel->setObjectName(QStringLiteral("LeistungsfaktorLabel"));
    m_factor = new QLineEdit(m_group);
    m_factor->setObjectName(QStringLiteral("Leistungsfaktor"));
    m_factor->setMaximumWidth(80);
    m_factor->setAlignment(Qt::AlignRight);
    m_active = new QCheckBox(QStringLiteral("&Aktiv"), m_group);
    m_active->setObjectName(QStringLiteral("Aktiv"));
    auto *fields = new QGridLayout(m_group);
    auto *nameLabel = new QLabel(QStringLiteral("&Bezeichnung:"), m_group);
    nameLabel->setBuddy(m_name);
    m_factorLabel->setBuddy(m_factor);
    fields->addWidget(nameLabel, 0, 0);
    fields->addWidget(m_name, 0, 1, 1, 2);
    fields->addWidget(m_factorLabel, 1, 0);
    fields->addWidget(m_factor, 1, 1);
    fields->addWidget(m_active, 1, 2);
    fields->setColumnStretch(2, 1);

    auto *ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("OkBtn"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Abbre&chen"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setAutoDefault(false);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch(1);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_group, 1);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    connect(ok, &QPushButton::clicked, this, [this] { OkBtnClick(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int TDataDetailForm::exec()
{
    FormShow();
    return QDialog::exec();
}

void TDataDetailForm::FormShow()
{
    if (!m_list)
        return;
    // Every showing sets all fields from the list it serves, so nothing of an earlier
    // showing in the other mode stays behind.
    if (m_list->posts())
        SetupPostFields();
    else
        SetupCategoryFields();
    const MasterInput in = m_list->pendingInput();
    m_name->setMaxLength(m_list->nameLength());
    m_name->setText(in.name);
    m_factor->setText(m_list->posts() ? in.Faktor : QString());
    m_active->setChecked(m_list->posts() && in.Aktiv);
    m_name->setFocus();
}

void TDataDetailForm::SetupCategoryFields()
{
    m_group->setTitle(QStringLiteral("Kategorien"));
    m_factorLabel->hide();
    m_factor->hide();
    m_active->hide();
    m_group->setFixedHeight(86);
    setFixedHeight(123);
}

void TDataDetailForm::SetupPostFields()
{
    m_group->setTitle(QStringLiteral("Posten"));
    m_factorLabel->show();
    m_factor->show();
    m_active->show();
    m_group->setFixedHeight(106);
    setFixedHeight(143);
}

MasterInput TDataDetailForm::input() const
{
    return {m_name->text(), m_factor->text(), m_active->isChecked()};
}

void TDataDetailForm::OkBtnClick()
{
    if (m_list && !m_list->CheckInput(input())) {
        m_factor->setFocus();
        return;
    }
    accept();
}
