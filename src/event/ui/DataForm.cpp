#include "event/ui/DataForm.h"

#include "app/Competition.h"
#include "app/Guard.h"
#include "app/ui/Forms.h"
#include "app/ui/ListKeys.h"
#include "event/ui/DataDetailForm.h"
#include "event/ui/MasterDataModel.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

TDataForm::TDataForm(Forms &forms, QWidget *parent)
    : QDialog(parent), m_forms(forms), m_list(forms.competition->data(), *forms.ui)
{
    setObjectName(QStringLiteral("DataForm"));
    setWindowTitle(QStringLiteral("Stammdaten"));

    m_group = new QGroupBox(this);
    m_group->setObjectName(QStringLiteral("GroupBox1"));
    m_model = new MasterDataModel(m_list, this);
    m_grid = new QTableView(m_group);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 4);
    auto *groupLayout = new QVBoxLayout(m_group);
    groupLayout->addWidget(m_grid);

    const auto button = [this](const QString &text, const char *name) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton *newBtn = button(QStringLiteral("&Neu"), "NewBtn");
    QPushButton *editBtn = button(QStringLiteral("&Bearbeiten"), "EditBtn");
    QPushButton *deleteBtn = button(QStringLiteral("&Löschen"), "DeleteBtn");
    QPushButton *closeBtn = button(QStringLiteral("S&chliessen"), "CloseBtn");
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(newBtn);
    buttons->addWidget(editBtn);
    buttons->addWidget(deleteBtn);
    buttons->addStretch(1);
    buttons->addWidget(closeBtn);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_group, 1);
    layout->addLayout(buttons);
    resize(560, 360);

    connect(newBtn, &QPushButton::clicked, this, [this] { NewBtnClick(); });
    connect(editBtn, &QPushButton::clicked, this, [this] { EditBtnClick(); });
    connect(deleteBtn, &QPushButton::clicked, this, [this] { DeleteBtnClick(); });
    connect(closeBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_grid, &QTableView::doubleClicked, this, [this] { EditBtnClick(); });
    bindListKeys(m_grid, {clickOf(newBtn), clickOf(deleteBtn), clickOf(editBtn)});
}

void TDataForm::KategorienItemClick()
{
    ListMode = QLatin1Char('K');
    exec();
}

void TDataForm::PostenItemClick()
{
    ListMode = QLatin1Char('P');
    exec();
}

int TDataForm::exec()
{
    FormShow();
    return QDialog::exec();
}

void TDataForm::FormShow()
{
    m_list.ListMode = ListMode;
    m_group->setTitle(m_list.groupCaption());
    m_list.setCurrentRow(0);
    guarded(*m_forms.ui, [this] { m_list.SetupList(); });
    showRows();
    const int cw = m_grid->fontMetrics().averageCharWidth();
    for (int column = 0; column < m_model->columnCount(); ++column)
        m_grid->setColumnWidth(column, m_model->widthInCharacters(column) * cw + 8);
}

void TDataForm::showRows()
{
    m_model->reload();
    const int row = m_list.currentRow();
    if (row >= 0) {
        const QModelIndex index = m_model->index(row, 0);
        m_grid->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_grid->scrollTo(index);
    }
}

void TDataForm::NewBtnClick()
{
    m_list.NewBtnClick();
    DisplayDataDetailForm();
}

void TDataForm::EditBtnClick()
{
    if (m_grid->currentIndex().isValid())
        m_list.setCurrentRow(m_grid->currentIndex().row());
    m_list.EditBtnClick();
    DisplayDataDetailForm();
}

void TDataForm::DeleteBtnClick()
{
    if (m_grid->currentIndex().isValid())
        m_list.setCurrentRow(m_grid->currentIndex().row());
    guarded(*m_forms.ui, [this] { m_list.DeleteBtnClick(); });
    showRows();
}

void TDataForm::DisplayDataDetailForm()
{
    TDataDetailForm *detail = m_forms.DataDetailForm;
    detail->setList(&m_list);
    if (detail->exec() == QDialog::Accepted)
        guarded(*m_forms.ui, [this, detail] { m_list.Post(detail->input()); });
    m_list.Cancel();
    detail->setList(nullptr);
    showRows();
}
