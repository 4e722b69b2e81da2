#pragma once

#include "participants/TeamEditor.h"

#include <QDialog>

struct Forms;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The team dialog: creates and edits a team or a group. The pending record, its checks and
// the saving live in TeamEditor; the dialog arranges its controls for the kind and reads
// them back.
class TTeamForm : public QDialog
{
    Q_OBJECT

public:
    TTeamForm(Forms &forms, QWidget *parent);

    void SetLayout(QChar kind); // 'T' team, 'G' group
    QChar kind() const { return m_editor.kind; }
    QChar mode = QLatin1Char('I'); // 'I' new, 'M' existing
    // The record to edit; after a save, the number of the record saved.
    int TeamNr = 0;

    // OK after a save outside entry mode; Cancel on "Schliessen" (always in entry mode).
    int exec() override;
    // The steps of exec() before the dialog appears; tests call it on a dialog only shown.
    bool FormShow();
    void SaveBtnClick();
    void CategoryBtnClick(); // "...": the category maintenance, then the categories again
    void LoadClubList();
    void LoadBreedList();

    TeamInput input() const; // what the controls hold
    TeamEditor &editor() { return m_editor; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool PrepareRecord(); // false when the record to edit has gone
    void showPrepared();
    void showRecord();
    void LoadCategories(int katNr);
    void loadPickList(QComboBox *box, QStringList (TeamEditor::*read)());

    Forms &m_forms;
    TeamEditor m_editor;
    QGroupBox *m_frame = nullptr;
    QLineEdit *m_startNr = nullptr;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_vorname = nullptr;
    QComboBox *m_verein = nullptr;
    QPushButton *m_vereinBtn = nullptr;
    QLineEdit *m_hund = nullptr;
    QComboBox *m_rasse = nullptr;
    QPushButton *m_rasseBtn = nullptr;
    QComboBox *m_category = nullptr;
    QPushButton *m_categoryBtn = nullptr;
    QCheckBox *m_addGame = nullptr;
    QCheckBox *m_printOnSave = nullptr;
    QLabel *m_vereinLabel = nullptr;
    QLabel *m_categoryLabel = nullptr;
    QList<QWidget *> m_teamOnly; // the rows a group does not have
};
