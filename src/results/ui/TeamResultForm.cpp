#include "results/ui/TeamResultForm.h"

#include "app/Competition.h"
#include "app/Guard.h"
#include "app/ui/Forms.h"
#include "app/ui/HelpWindow.h"
#include "backup/ChangeHistory.h"
#include "backup/Safeguard.h"
#include "backup/ui/HistoryDialog.h"
#include "data/DataLibrary.h"
#include "data/Rows.h"
#include "results/ui/ResultCellDelegate.h"
#include "results/ui/ResultGrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int GroupBoxLeft = 8;
constexpr int GroupBoxTop = 8;
constexpr int GroupBoxWidth = 536;
constexpr int GroupBoxHeight = 392;
constexpr int GridLeft = 8;
constexpr int GridWidth = 518;
constexpr int GridBottom = 356;
constexpr int RowHeight = 18;
constexpr int MinTotalWidth = 45;

} // namespace

TTeamResultForm::TTeamResultForm(Forms &forms, QWidget *parent)
    : QDialog(parent), m_forms(forms),
      m_sheet(std::make_unique<ResultSheet>(forms.competition->data()))
{
    setObjectName(QStringLiteral("TeamResultForm"));
    setWindowTitle(QStringLiteral("Ergebnisse eingeben"));
    setFixedSize(GroupBoxLeft * 2 + GroupBoxWidth, 448);

    m_groupBox = new QGroupBox(this);
    m_groupBox->setObjectName(QStringLiteral("GroupBox1"));
    m_groupBox->setGeometry(GroupBoxLeft, GroupBoxTop, GroupBoxWidth, GroupBoxHeight);

    m_checkBox1 = new QCheckBox(m_groupBox);
    m_checkBox1->setObjectName(QStringLiteral("CheckBox1"));
    m_checkBox1->setGeometry(GridLeft, 20, GridWidth, 20);
    m_checkBox2 = new QCheckBox(m_groupBox);
    m_checkBox2->setObjectName(QStringLiteral("CheckBox2"));
    m_checkBox2->setGeometry(GridLeft, 41, GridWidth, 20);

    m_grid = new ResultGrid(m_groupBox);
    m_grid->setObjectName(QStringLiteral("StringGrid1"));
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setMinimumSectionSize(1);
    m_grid->verticalHeader()->setDefaultSectionSize(RowHeight);
    m_grid->horizontalHeader()->setMinimumSectionSize(1);
    m_grid->horizontalHeader()->setFixedHeight(RowHeight + 2);
    m_grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_grid->horizontalHeader()->setSectionsClickable(false);
    m_grid->horizontalHeader()->setHighlightSections(false);
    m_grid->horizontalHeader()->setStretchLastSection(false);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setCursorColumns([this](int column) { return m_sheet->takesCursor(column); });
    auto *delegate = new ResultCellDelegate(m_grid);
    m_grid->setItemDelegate(delegate);

    m_totalCaption = new QLabel(QStringLiteral("Total:"), m_groupBox);
    m_totalCaption->setObjectName(QStringLiteral("Label1"));
    static const char *const totalNames[4] = {"lblTotalPoints", "lblTotalTime", "lblTotalAddPoints",
                                              "lblTotalAddTime"};
    for (int i = 0; i < 4; ++i) {
        m_totalLabels[i] = new QLabel(QStringLiteral("0.00"), m_groupBox);
        m_totalLabels[i]->setObjectName(QLatin1String(totalNames[i]));
        m_totalLabels[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    // Why a cell is refused, said once where the eye is, without a message box that would
    // swallow the next keys typed.
    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("lblHinweis"));
    m_hint->setWordWrap(true);
    QPalette hintPalette = m_hint->palette();
    hintPalette.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x00));
    m_hint->setPalette(hintPalette);

    // Created first, so that Tab meets the buttons from left to right.
    m_historyButton = new QPushButton(QStringLiteral("&Verlauf ..."), this);
    m_historyButton->setObjectName(QStringLiteral("HistoryBtn"));
    m_historyButton->setAutoDefault(false);
    connect(m_historyButton, &QPushButton::clicked, this, &TTeamResultForm::HistoryBtnClick);
    m_saveButton = new QPushButton(QStringLiteral("&Speichern"), this);
    m_saveButton->setObjectName(QStringLiteral("SaveBtn"));
    m_saveButton->setDefault(true);
    m_saveButton->setAutoDefault(false);
    m_cancelButton = new QPushButton(QStringLiteral("Abbre&chen"), this);
    m_cancelButton->setObjectName(QStringLiteral("CancelBtn"));
    m_cancelButton->setAutoDefault(false);
    const int buttonTop = GroupBoxTop + GroupBoxHeight + 10;
    m_cancelButton->setGeometry(GroupBoxLeft + GroupBoxWidth - 85, buttonTop, 85, 27);
    m_saveButton->setGeometry(GroupBoxLeft + GroupBoxWidth - 85 - 8 - 85, buttonTop, 85, 27);
    m_historyButton->setGeometry(GroupBoxLeft, buttonTop, 85, 27);
    m_hint->setGeometry(GroupBoxLeft + 85 + 8, buttonTop - 4, GroupBoxWidth - 3 * 85 - 3 * 8, 35);

    connect(m_saveButton, &QPushButton::clicked, this, &TTeamResultForm::SaveBtnClick);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(delegate, &ResultCellDelegate::enterPressed, m_saveButton, &QPushButton::click);
    connect(delegate, &ResultCellDelegate::escapePressed, this, &QDialog::reject);
    connect(m_grid, &QTableWidget::cellChanged, this, &TTeamResultForm::onCellChanged);
    connect(m_grid, &QTableWidget::currentCellChanged, this,
            [this](int, int, int previousRow, int previousColumn) {
                if (m_filling)
                    return;
                StringGrid1Click();
                refuseIfNoNumber(previousRow, previousColumn);
            });
    HelpWindow::bindTopic(this, 1005);
}

TTeamResultForm::~TTeamResultForm() = default;

bool TTeamResultForm::execFor(const ParticipantRow &participant)
{
    bool loaded = false;
    guarded(*m_forms.ui, [&] {
        FormShow(participant);
        loaded = true;
    });
    return loaded && exec() == QDialog::Accepted;
}

bool TTeamResultForm::finished() const
{
    return m_checkBox1->isChecked();
}

bool TTeamResultForm::addGameFinished() const
{
    return m_checkBox2->isChecked();
}

void TTeamResultForm::FormShow(const ParticipantRow &participant)
{
    m_teamNr = participant.TeamNr;
    m_participantName = participant.CalcFullName.trimmed();
    m_sheet->Load(participant, m_forms.competition->hasAddGame());
    QString caption = m_sheet->groupBoxCaption();
    m_groupBox->setTitle(caption.replace(QLatin1Char('&'), QStringLiteral("&&")));
    m_checkBox1->setText(m_sheet->checkBox1Caption());
    m_checkBox2->setText(m_sheet->checkBox2Caption());
    BuildGrid();
    m_checkBox1->setChecked(m_sheet->initialFinished());
    m_checkBox2->setChecked(m_sheet->initialAddGameFinished());
    m_totals = {};
    m_hint->clear();
    StringGrid1Click();
    m_grid->setFocus();
    if (m_sheet->rowCount() > 0) {
        m_filling = true;
        m_grid->setCurrentCell(0, m_sheet->firstCursorColumn());
        m_filling = false;
        m_grid->openEditor();
    }
}

void TTeamResultForm::BuildGrid()
{
    const ResultSheet &sheet = *m_sheet;
    const ResultGridLayout layout = sheet.layout();
    m_filling = true;
    m_grid->clear();
    m_grid->setRowCount(0);
    m_grid->setColumnCount(sheet.columnCount());
    m_grid->setHorizontalHeaderLabels(sheet.headings());
    m_grid->setRowCount(sheet.rowCount());
    for (int row = 0; row < sheet.rowCount(); ++row) {
        for (int column = 0; column < sheet.columnCount(); ++column) {
            auto *item = new QTableWidgetItem(sheet.cell(row, column));
            item->setFlags(sheet.takesCursor(column)
                               ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                               : Qt::ItemIsEnabled);
            m_grid->setItem(row, column, item);
        }
    }
    for (int column = 0; column < sheet.columnCount(); ++column) {
        m_grid->setColumnHidden(column, !sheet.isColumnShown(column));
        if (column < layout.columnWidths.size())
            m_grid->setColumnWidth(column, layout.columnWidths.at(column));
    }
    m_grid->setGeometry(GridLeft, layout.gridTop, GridWidth, layout.gridHeight);
    const int totalsTop = layout.gridTop + layout.gridHeight + 6;
    m_totalCaption->move(layout.totalCaptionLeft, totalsTop);
    // Each total has the room up to the next one (the last up to the grid's edge), so that
    // "1041,50" shows whole; the totals stand where the layout places them.
    const QList<int> &lefts = layout.totalLabelLefts;
    for (int i = 0; i < lefts.size() && i < 4; ++i) {
        const int right = i + 1 < lefts.size() ? lefts.at(i + 1) - 2 : GridLeft + GridWidth;
        m_totalLabels[i]->setGeometry(lefts.at(i), totalsTop,
                                      qMax(MinTotalWidth, right - lefts.at(i)),
                                      m_totalCaption->sizeHint().height());
    }
    ShowAddGameControls(sheet.showsAddGame());
    m_filling = false;
}

void TTeamResultForm::ShowAddGameControls(bool show)
{
    m_totalLabels[2]->setVisible(show);
    m_totalLabels[3]->setVisible(show);
    m_checkBox2->setVisible(show);
}

void TTeamResultForm::onCellChanged(int row, int column)
{
    if (m_filling)
        return;
    QTableWidgetItem *item = m_grid->item(row, column);
    if (!item)
        return;
    // Every key typed reaches the totals at once, so that a question on saving shows what
    // will be stored. Text that is no number stays in the grid for correction; the sheet
    // keeps the cell's last number meanwhile, and saving is refused until it is mended.
    const std::optional<ResultSheet::Field> field = m_sheet->fieldAt(column);
    const std::optional<double> number = ResultSheet::parseNumber(item->text());
    if (field && number)
        m_sheet->setValue(row, *field, *number);
    StringGrid1Click();
    if (isNumberCell(row, column)) {
        item->setData(Qt::BackgroundRole, QVariant());
        if (m_hintCell == QPoint(column, row))
            clearHint();
    }
}

bool TTeamResultForm::isNumberCell(int row, int column) const
{
    const QTableWidgetItem *item = m_grid->item(row, column);
    if (!item || !m_sheet->fieldAt(column))
        return true;
    return ResultSheet::parseNumber(item->text()).has_value();
}

void TTeamResultForm::refuseIfNoNumber(int row, int column)
{
    if (row < 0 || isNumberCell(row, column) || !m_sheet->isColumnShown(column))
        return;
    // The cell keeps what was typed, for correction; the next keys go on to the next cell.
    if (QTableWidgetItem *item = m_grid->item(row, column))
        item->setData(Qt::BackgroundRole, QColor(0xFF, 0xD8, 0xD8));
    m_hint->setText(ResultSheet::notANumberError(m_grid->item(row, column)->text()));
    m_hintCell = QPoint(column, row);
}

void TTeamResultForm::clearHint()
{
    m_hint->clear();
    m_hintCell = QPoint(-1, -1);
}

void TTeamResultForm::StringGrid1Click()
{
    m_totals = m_sheet->totals();
    m_totalLabels[0]->setText(ResultSheet::formatTotal(m_totals.points));
    m_totalLabels[1]->setText(ResultSheet::formatTotal(m_totals.time));
    if (m_sheet->showsAddGame()) {
        m_totalLabels[2]->setText(ResultSheet::formatTotal(m_totals.addPoints));
        m_totalLabels[3]->setText(ResultSheet::formatTotal(m_totals.addTime));
    }
}

void TTeamResultForm::SaveBtnClick()
{
    UserInterface &ui = *m_forms.ui;
    if (const std::optional<QPoint> refused = firstRefusedCell()) {
        ui.information(ResultSheet::NumberMessage);
        goToRefusedCell(*refused);
        return;
    }
    bool finished = m_checkBox1->isChecked();
    const bool saved = guarded(ui, [&] {
        m_forms.competition->safeguard().ResultsEntered();
        m_sheet->SaveResults(ui, finished);
    });
    m_checkBox1->setChecked(finished);
    if (saved)
        accept();
}

std::optional<QPoint> TTeamResultForm::firstRefusedCell() const
{
    for (int row = 0; row < m_sheet->rowCount(); ++row) {
        for (int column = 0; column < m_sheet->columnCount(); ++column) {
            if (m_sheet->takesCursor(column) && !isNumberCell(row, column))
                return QPoint(column, row);
        }
    }
    return std::nullopt;
}

void TTeamResultForm::goToRefusedCell(QPoint cell)
{
    m_grid->setCurrentCell(cell.y(), cell.x());
    refuseIfNoNumber(cell.y(), cell.x());
    m_grid->setFocus();
    m_grid->openEditor();
    // The text stays for correction: the caret goes behind it instead of marking it for
    // replacement.
    if (auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget()))
        editor->end(false);
}

void TTeamResultForm::HistoryBtnClick()
{
    Competition &competition = *m_forms.competition;
    QList<HistoryLine> lines;
    if (!guarded(*m_forms.ui, [&] {
            lines = ChangeHistory::read(competition.data().db(), competition.CurrentAnlassNr(),
                                        m_teamNr);
        }))
        return;
    HistoryDialog dialog(m_participantName, lines, this);
    dialog.exec();
}
