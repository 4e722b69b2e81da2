#pragma once

#include <QDialog>

struct Forms;
struct RankListChoice;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;

// The rank list dialog "Rangliste erstellen": the category and the kind of list.
class TRankSelectForm : public QDialog
{
    Q_OBJECT

public:
    TRankSelectForm(Forms &forms, QWidget *parent);

    // Shows the dialog over the choice and writes the operator's choice back; false when
    // cancelled.
    bool choose(RankListChoice &choice);

    // Puts the choice into the controls without showing the dialog.
    void FormShow(const RankListChoice &choice);
    void FillCategoryChoice(const RankListChoice &choice);
    void OKBtnClick();
    // The controls' state as a choice over the items last filled in.
    void readChoice(RankListChoice &choice) const;

private:
    Forms &m_forms;
    QComboBox *m_category = nullptr;
    QGroupBox *m_kindBox = nullptr;
    QButtonGroup *m_kind = nullptr;
    QCheckBox *m_withPrinted = nullptr;
};
