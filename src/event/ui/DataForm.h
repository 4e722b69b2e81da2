#pragma once

#include "event/MasterDataList.h"

#include <QDialog>

struct Forms;
class MasterDataModel;
class QGroupBox;
class QTableView;

// Master data: one list dialog for categories and posts. The rows and commands live in
// MasterDataList; a confirmed detail dialog stores its row at once.
class TDataForm : public QDialog
{
    Q_OBJECT

public:
    TDataForm(Forms &forms, QWidget *parent);

    QChar ListMode = QLatin1Char('K'); // 'K' categories, 'P' posts

    // The list dialog for categories or posts, also from the team and event dialogs.
    void KategorienItemClick();
    void PostenItemClick();

    int exec() override;
    void FormShow(); // exec() calls it; tests call it on a shown dialog
    void NewBtnClick();
    void EditBtnClick();
    void DeleteBtnClick();

    MasterDataList &list() { return m_list; }
    QTableView *grid() const { return m_grid; }

private:
    void DisplayDataDetailForm();
    void showRows();

    Forms &m_forms;
    MasterDataList m_list;
    MasterDataModel *m_model = nullptr;
    QGroupBox *m_group = nullptr;
    QTableView *m_grid = nullptr;
};
