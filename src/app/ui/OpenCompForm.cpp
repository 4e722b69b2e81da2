#include "app/ui/OpenCompForm.h"

#include "app/Competition.h"
#include "app/Guard.h"
#include "app/ui/Forms.h"
#include "data/DataLibrary.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TOpenCompForm::TOpenCompForm(Forms &forms, QWidget *parent) : QDialog(parent), m_forms(forms)
{
    setObjectName(QStringLiteral("OpenCompForm"));
    setWindowTitle(QStringLiteral("Anlass öffnen "));

    auto *group = new QGroupBox(QStringLiteral("&Vorhandene Anlässe"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    m_list = new QTreeWidget(group);
    m_list->setObjectName(QStringLiteral("DBGrid1"));
    m_list->setColumnCount(1);
    m_list->setHeaderLabels({QStringLiteral("Bezeichnung")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_list);

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
    layout->addWidget(group, 1);
    layout->addLayout(buttons);
    resize(440, 300);

    connect(ok, &QPushButton::clicked, this, [this] { OkBtnClick(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { OkBtnClick(); });
}

int TOpenCompForm::exec()
{
    FormShow();
    return QDialog::exec();
}

void TOpenCompForm::FormShow()
{
    m_list->clear();
    Competition &c = *m_forms.competition;
    guarded(*m_forms.ui, [this, &c] {
        if (!c.data().databaseOpen())
            return;
        const int open = c.event() ? c.event()->AnlassNr : 0;
        for (const EventRow &event : c.data().Events()) {
            auto *item = new QTreeWidgetItem(m_list, {event.AnlassBez});
            item->setData(0, Qt::UserRole, event.AnlassNr);
            if (event.AnlassNr == open || !m_list->currentItem())
                m_list->setCurrentItem(item);
        }
    });
    m_list->setFocus();
}

void TOpenCompForm::OkBtnClick()
{
    const QTreeWidgetItem *item = m_list->currentItem();
    if (!item) {
        accept();
        return;
    }
    const int anlassNr = item->data(0, Qt::UserRole).toInt();
    guarded(*m_forms.ui, [this, anlassNr] { m_forms.competition->OpenEvent(anlassNr); });
    accept();
}
