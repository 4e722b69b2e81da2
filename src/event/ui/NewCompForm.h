#pragma once

#include "event/EventEditor.h"

#include <QDialog>

struct Forms;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The event dialog: creates a new event or changes the open one. The checks and the
// saving live in EventEditor; the dialog shows its controls and reads them back.
class TNewCompForm : public QDialog
{
    Q_OBJECT

public:
    TNewCompForm(Forms &forms, QWidget *parent);

    QChar dialogMode = QLatin1Char('N'); // 'N' create, 'E' edit

    int exec() override;
    // Fills the controls for dialogMode; exec() calls it, tests call it on a shown dialog.
    void FormShow();
    void SaveBtnClick();
    void CancelBtnClick();
    void Button1Click(); // "...": post maintenance, then the post list again

    EventInput input() const; // what the controls hold
    EventEditor &editor() { return m_editor; }

private:
    void LoadPostList(const QList<PostChoice> &posts);
    void UpdateSortEnabling();
    void UpdateOptionEnabling();
    static int checkedSort(const QButtonGroup *group);
    static void setSort(QButtonGroup *group, int code);

    Forms &m_forms;
    EventEditor m_editor;
    QLineEdit *m_name = nullptr;
    QComboBox *m_method = nullptr;
    QGroupBox *m_pointsSort = nullptr;
    QGroupBox *m_timeSort = nullptr;
    QButtonGroup *m_pointsButtons = nullptr;
    QButtonGroup *m_timeButtons = nullptr;
    QCheckBox *m_autoRank = nullptr;
    QLabel *m_teamsLabel = nullptr;
    QLineEdit *m_teams = nullptr;
    QCheckBox *m_addGame = nullptr;
    QLabel *m_addGameLabel = nullptr;
    QLineEdit *m_addGameName = nullptr;
    QCheckBox *m_clearStartNumbers = nullptr;
    QGroupBox *m_postGroup = nullptr;
    QListWidget *m_postList = nullptr;
};
