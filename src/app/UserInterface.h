#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace Report {
struct ReportDocument;
}

// What the rank list dialog ("Rangliste erstellen") shows and what the operator chose.
struct RankListChoice
{
    QStringList categoryItems; // as the drop-down lists them, sorted
    QList<int> categoryNumbers; // the KatNr behind each item, 0 for "Alle (Gemischt)"
    int categoryIndex = -1; // selected item, -1 for none
    int kind = 0; // 0 "Normaler Anlass", 1 "Zusatzspiel", 2 "Beides"
    bool kindEnabled =
        false; // the radio group is enabled only for an event with an additional game
    // "Auch bereits gedruckte Teams": every finished participant, numbered afresh, nobody
    // marked as printed.
    bool withPrinted = false;

    QString categoryText() const
    {
        return categoryIndex >= 0 && categoryIndex < categoryItems.size()
            ? categoryItems.at(categoryIndex)
            : QString();
    }
};

// Everything the domain code needs from the person at the screen. The program implements it
// with real dialogs; tests implement it with scripted answers. Nothing else asks the user.
class UserInterface
{
public:
    virtual ~UserInterface();

    virtual void information(const QString &text) = 0; // button OK
    virtual bool askYesNo(const QString &text) = 0;
    virtual bool askOkCancel(const QString &text) = 0;
    virtual void showError(const QString &text) = 0; // an engine error that ended an action

    // The hourglass; calls nest, see BusyCursor.
    virtual void setBusy(bool busy) = 0;

    // The rank list dialog, shown modally; false when it was cancelled.
    virtual bool chooseRankList(RankListChoice &choice) = 0;

    // A modal list to pick one of items from, captioned title and labelled label; index holds
    // the preselected item on entry and the chosen one on return. False when it was cancelled.
    virtual bool chooseItem(const QString &title, const QString &label, const QStringList &items,
                            int &index) = 0;

    // Returns when the preview window has been closed.
    virtual void previewReport(const Report::ReportDocument &report) = 0;
    // Prints to the printer chosen in printer setup, without a print dialog.
    virtual void printReport(const Report::ReportDocument &report, bool showProgress) = 0;

    // Makes the index-th report of a batch when the job reaches it; nullptr skips it. The
    // report stays valid until the next call.
    using ReportSource = std::function<const Report::ReportDocument *(int index)>;
    // Prints count reports as one job of many pages named title, making each only when its
    // turn comes, with a progress display that lets the operator cancel. False when cancelled.
    virtual bool printReports(const QString &title, int count, const ReportSource &report) = 0;
};

// Shows the hourglass for its lifetime, also when the scope is left by an exception.
class BusyCursor
{
public:
    explicit BusyCursor(UserInterface &ui);
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

    void restore(); // ends the hourglass early

private:
    UserInterface &m_ui;
    bool m_active = true;
};
