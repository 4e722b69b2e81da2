#pragma once

#include <QDialog>

struct Forms;

// Master data: one list dialog for categories and posts.
class TDataForm : public QDialog
{
    Q_OBJECT

public:
    TDataForm(Forms &forms, QWidget *parent);

    QChar ListMode = QLatin1Char('K'); // 'K' categories, 'P' posts

    // The list dialog for categories or posts, also from the team and event dialogs.
    void KategorienItemClick();
    void PostenItemClick();

private:
    Forms &m_forms;
};
