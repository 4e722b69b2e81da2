#pragma once

#include "event/MasterDataList.h"

#include <QDialog>

struct Forms;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;

// Master data: the detail dialog of one category or post. It shows the pending row of the
// list it is given and offers only the fields of that list's mode.
class TDataDetailForm : public QDialog
{
    Q_OBJECT

public:
    TDataDetailForm(Forms &forms, QWidget *parent);

    void setList(MasterDataList *list) { m_list = list; }
    int exec() override;
    void FormShow(); // exec() calls it; tests call it on a shown dialog
    void OkBtnClick(); // closes with OK unless the input is refused

    MasterInput input() const;

private:
    void SetupCategoryFields();
    void SetupPostFields();

    Forms &m_forms;
    MasterDataList *m_list = nullptr;
    QGroupBox *m_group = nullptr;
    QLineEdit *m_name = nullptr;
    QLabel *m_factorLabel = nullptr;
    QLineEdit *m_factor = nullptr;
    QCheckBox *m_active = nullptr;
};
