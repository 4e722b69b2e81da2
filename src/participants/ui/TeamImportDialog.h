#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class Competition;
class TeamImport;
class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

// "Teams aus Datei importieren": a file dialog, then a preview of every line of the file
// with what becomes of it; OK writes the new teams and, when asked, enters every team of the
// file into the open event in the same transaction. Reading and checking are TeamImport's.
class TeamImportDialog : public QDialog
{
    Q_OBJECT

public:
    TeamImportDialog(Competition &competition, QWidget *parent);
    ~TeamImportDialog() override;

    // Asks for the file, shows the preview and imports on OK. True when the import went
    // through, so that the caller refreshes its list.
    bool execute();

    // Reads a file into the preview, without the file dialog.
    void loadFile(const QString &path);
    int writtenCount() const { return m_written; }

    // Tests answer the file dialog with this name instead of showing it; empty: cancelled.
    static void setNextFileName(const QString &fileName);

    void accept() override;

private:
    void reload();
    void fillTable();

    Competition &m_competition;
    std::unique_ptr<TeamImport> m_import;
    QString m_path;
    int m_written = 0;
    QLabel *m_summary = nullptr;
    QCheckBox *m_enterIntoEvent = nullptr;
    QTableWidget *m_table = nullptr;
    QPushButton *m_okButton = nullptr;
};
