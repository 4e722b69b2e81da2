#pragma once

#include <QDialog>

struct Forms;

struct RankListChoice;
// The rank list dialog "Rangliste erstellen".
class TRankSelectForm : public QDialog
{
    Q_OBJECT

public:
    TRankSelectForm(Forms &forms, QWidget *parent);

    // Shows the dialog over the choice; false when cancelled.
    bool choose(RankListChoice &choice);

private:
    Forms &m_forms;
};
