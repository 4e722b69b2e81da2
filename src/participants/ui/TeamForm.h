#pragma once

#include <QDialog>

struct Forms;

// The team dialog: creates and edits a team or a group.
class TTeamForm : public QDialog
{
    Q_OBJECT

public:
    TTeamForm(Forms &forms, QWidget *parent);

    void SetLayout(QChar kind); // 'T' team, 'G' group
    QChar mode = QLatin1Char('I'); // 'I' new, 'M' existing
    // The record to edit; after a save, the number of the record saved.
    int TeamNr = 0;

private:
    Forms &m_forms;
};
