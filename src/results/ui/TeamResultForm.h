#pragma once

#include "results/ResultSheet.h"

#include <QDialog>
#include <QPoint>

#include <memory>
#include <optional>

struct Forms;
struct ParticipantRow;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class ResultGrid;

// "Ergebnisse eingeben": points and times per post for one participant of the open event,
// with the running totals and the two check boxes that the caller applies after OK.
class TTeamResultForm : public QDialog
{
    Q_OBJECT

public:
    TTeamResultForm(Forms &forms, QWidget *parent);
    ~TTeamResultForm() override;

    // Shows the dialog for a participant of the open event; true after a successful save.
    bool execFor(const ParticipantRow &participant);
    bool finished() const;
    bool addGameFinished() const;

    // The steps of execFor, also run by tests on a dialog that is only shown.
    void FormShow(const ParticipantRow &participant);
    void StringGrid1Click();
    void SaveBtnClick();
    // "Verlauf": what was changed for this participant in the open event, and by whom.
    void HistoryBtnClick();

    ResultGrid *grid() const { return m_grid; }
    const ResultSheet &sheet() const { return *m_sheet; }

private:
    void BuildGrid();
    void ShowAddGameControls(bool show);
    void onCellChanged(int row, int column);
    bool isNumberCell(int row, int column) const;
    void refuseIfNoNumber(int row, int column);
    void clearHint();
    std::optional<QPoint> firstRefusedCell() const; // a number cell whose text is no number
    void goToRefusedCell(QPoint cell);

    Forms &m_forms;
    std::unique_ptr<ResultSheet> m_sheet;
    QGroupBox *m_groupBox = nullptr;
    QCheckBox *m_checkBox1 = nullptr;
    QCheckBox *m_checkBox2 = nullptr;
    ResultGrid *m_grid = nullptr;
    QLabel *m_totalCaption = nullptr;
    QLabel *m_totalLabels[4] = {};
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QLabel *m_hint = nullptr;
    QPoint m_hintCell{-1, -1}; // column, row of the cell the hint speaks of
    QPushButton *m_historyButton = nullptr;
    int m_teamNr = 0;
    QString m_participantName;
    ResultTotals m_totals;
    bool m_filling = false;
};
