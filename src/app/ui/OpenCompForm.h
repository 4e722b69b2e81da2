#pragma once

#include <QDialog>

struct Forms;
class QTreeWidget;

// The open dialog: picks one of the existing events. Cancelling opens nothing and leaves
// the open event where it is.
class TOpenCompForm : public QDialog
{
    Q_OBJECT

public:
    TOpenCompForm(Forms &forms, QWidget *parent);

    int exec() override;
    void FormShow(); // exec() calls it; tests call it on a shown dialog
    void OkBtnClick();

    QTreeWidget *list() const { return m_list; }

private:
    Forms &m_forms;
    QTreeWidget *m_list = nullptr;
};
