#pragma once

#include "app/UserInterface.h"
#include "reportengine/ReportDefinition.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// A user interface that answers from a script and records what was asked, so that tests
// drive the domain code without any window.
class ScriptedUserInterface : public UserInterface
{
public:
    struct Message
    {
        QString kind; // "information", "yesno", "okcancel", "error"
        QString text;
    };

    // Answers for the next questions (yes/no and OK/Cancel alike), in order. A question
    // without a scripted answer fails the test and is answered with defaultAnswer.
    QList<bool> answers;
    bool defaultAnswer = false;
    QList<Message> messages;
    // Runs when a question is asked, before it is answered: what the screen shows then.
    std::function<void(const QString &)> onQuestion;

    // The rank list dialog: returns false (cancel) unless set.
    std::function<bool(RankListChoice &)> rankListChooser;
    QList<RankListChoice> rankListChoices; // what the dialog was shown

    // chooseItem: the answers in order, an index into the items or -1 for cancel; without a
    // scripted answer the choice is cancelled. What was offered is recorded.
    QList<int> itemAnswers;
    QList<QStringList> itemChoices;

    QList<Report::ReportDocument> previews;
    QList<Report::ReportDocument> printed;
    QList<bool> printedWithProgress; // showProgress of each print, in order
    std::function<void(const Report::ReportDocument &)> onPreview;
    std::function<void(const Report::ReportDocument &)> onPrint;
    // Batches printed as one job each: its title and the reports in order (which are also
    // appended to printed, with progress shown). The operator
    // cancels a batch before its report of this index, never when it is negative.
    struct PrintJob
    {
        QString title;
        QList<Report::ReportDocument> reports;
    };
    QList<PrintJob> printJobs;
    int cancelPrintBefore = -1;

    int busyDepth = 0;
    int maxBusyDepth = 0;

    QStringList texts(const QString &kind = {}) const;
    void clear();

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
    bool nextAnswer(const QString &kind, const QString &text);
};
