#pragma once

#include <QString>

#include <memory>

class Competition;
class RankListReport;
struct RankListChoice;

// Rank list runs, the per-category counts of finished, unprinted participants with their
// proposals, and the reset of the printed marks, all on the open event.
class Ranking
{
public:
    explicit Ranking(Competition &competition);
    ~Ranking();

    // Errors of the engine reach the operator as a message.
    void RunRankList(bool print, bool additionalGame, bool groupList);

    void RefreshFinishedCounts(bool show);
    void RefreshAddGameFinishedCounts(bool show);
    // True when the operator accepted the proposal; that ends the counting pass that asked.
    // The rank list dialog then opens on the proposed category katNr.
    bool ProposeRankList(int count, const QString &katBez, bool additionalGame, int katNr = 0);

    void ResetItemClick();
    void ResetAddItemClick();

    // The rank list dialog's choice of category, sorted, "Alle (Gemischt)" selected.
    RankListChoice FillCategoryChoice();
    // The category behind the chosen item; 0 ("Alle (Gemischt)") when none is chosen.
    static int categoryNumber(const RankListChoice &choice);

    static QString allCategoriesText() { return QStringLiteral("Alle (Gemischt)"); }

    RankListReport &report() { return *m_report; }

private:
    // Throws the engine's errors to the caller.
    void runRankList(bool print, bool additionalGame, bool groupList, int proposedKatNr = 0);
    void refreshCounts(bool show, bool additionalGame);
    void resetPrinted(bool additionalGame);

    Competition &m_competition;
    std::unique_ptr<RankListReport> m_report;
};
