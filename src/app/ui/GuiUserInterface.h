#pragma once

#include "app/UserInterface.h"

#include <QPointer>

class QWidget;
struct Forms;

// The user interface of the program: message boxes with German buttons, the hourglass,
// the rank list dialog and the report preview. It prints on the printer chosen in printer
// setup, which the forms hold.
class GuiUserInterface : public UserInterface
{
public:
    explicit GuiUserInterface(Forms &forms);
    ~GuiUserInterface() override;

    void setParentWidget(QWidget *parent) { m_parent = parent; }

    void information(const QString &text) override;
    bool askYesNo(const QString &text) override;
    bool askOkCancel(const QString &text) override;
    void showError(const QString &text) override;
    void setBusy(bool busy) override;
    bool chooseRankList(RankListChoice &choice) override;
    bool chooseItem(const QString &title, const QString &label, const QStringList &items,
                    int &index) override;
    void previewReport(const Report::ReportDocument &report) override;
    void printReport(const Report::ReportDocument &report, bool showProgress) override;
    bool printReports(const QString &title, int count, const ReportSource &report) override;

private:
    // A printer that prints into a file: the operator is told where to find it.
    void namePrintFile();

    Forms &m_forms;
    QPointer<QWidget> m_parent;
    int m_busy = 0;
};
