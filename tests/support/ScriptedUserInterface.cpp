#include "support/ScriptedUserInterface.h"

#include <QTest>

QStringList ScriptedUserInterface::texts(const QString &kind) const
{
    QStringList result;
    for (const Message &m : messages) {
        if (kind.isEmpty() || m.kind == kind)
            result << m.text;
    }
    return result;
}

void ScriptedUserInterface::clear()
{
    answers.clear();
    messages.clear();
    previews.clear();
    printed.clear();
    printedWithProgress.clear();
    printJobs.clear();
    rankListChoices.clear();
    itemAnswers.clear();
    itemChoices.clear();
}

void ScriptedUserInterface::information(const QString &text)
{
    messages.append({QStringLiteral("information"), text});
}

bool ScriptedUserInterface::nextAnswer(const QString &kind, const QString &text)
{
    messages.append({kind, text});
    if (onQuestion)
        onQuestion(text);
    if (answers.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unscripted question: ") + text), __FILE__,
                     __LINE__);
        return defaultAnswer;
    }
    return answers.takeFirst();
}

bool ScriptedUserInterface::askYesNo(const QString &text)
{
    return nextAnswer(QStringLiteral("yesno"), text);
}

bool ScriptedUserInterface::askOkCancel(const QString &text)
{
    return nextAnswer(QStringLiteral("okcancel"), text);
}

void ScriptedUserInterface::showError(const QString &text)
{
    messages.append({QStringLiteral("error"), text});
    busyDepth = 0;
}

void ScriptedUserInterface::setBusy(bool busy)
{
    busyDepth += busy ? 1 : -1;
    maxBusyDepth = qMax(maxBusyDepth, busyDepth);
}

bool ScriptedUserInterface::chooseRankList(RankListChoice &choice)
{
    rankListChoices.append(choice);
    return rankListChooser ? rankListChooser(choice) : false;
}

bool ScriptedUserInterface::chooseItem(const QString &, const QString &, const QStringList &items,
                                       int &index)
{
    itemChoices.append(items);
    if (itemAnswers.isEmpty())
        return false;
    const int answer = itemAnswers.takeFirst();
    if (answer < 0 || answer >= items.size())
        return false;
    index = answer;
    return true;
}

void ScriptedUserInterface::previewReport(const Report::ReportDocument &report)
{
    previews.append(report);
    if (onPreview)
        onPreview(report);
}

void ScriptedUserInterface::printReport(const Report::ReportDocument &report, bool showProgress)
{
    printed.append(report);
    printedWithProgress.append(showProgress);
    if (onPrint)
        onPrint(report);
}

bool ScriptedUserInterface::printReports(const QString &title, int count,
                                         const ReportSource &report)
{
    printJobs.append({title, {}});
    for (int i = 0; i < count; ++i) {
        if (i == cancelPrintBefore)
            return false;
        if (const Report::ReportDocument *document = report(i)) {
            printJobs.last().reports.append(*document);
            // Also among everything printed, as a job that shows its progress.
            printed.append(*document);
            printedWithProgress.append(true);
            if (onPrint)
                onPrint(*document);
        }
    }
    return true;
}
