#include "ranking/Ranking.h"

#include "app/Competition.h"
#include "app/Guard.h"
#include "app/UserInterface.h"
#include "backup/Safeguard.h"
#include "data/DataLibrary.h"
#include "engine/ChangeLog.h"
#include "engine/DatabaseError.h"
#include "engine/Statement.h"
#include "ranking/RankTable.h"
#include "reports/RankListReport.h"

#include <QCollator>

#include <algorithm>

namespace {

const QString ConfirmPrinted = QStringLiteral(
    "Wenn die Ranglist in Ordnung ist, dann klicken Sie auf [OK], um die Teams als gedruckt zu "
    "markieren.\nWenn Sie noch Korrekturen vornehmen wollen, dass klicken Sie auf [Abbrechen].");

const QString LoseOverview = QStringLiteral(
    "So werden Sie allerdings die Übersicht darüber verlieren, wer schon auf einer Rangliste "
    "ist und wer nicht.");

} // namespace

Ranking::Ranking(Competition &competition)
    : m_competition(competition), m_report(std::make_unique<RankListReport>(competition))
{ }

Ranking::~Ranking() = default;

RankListChoice Ranking::FillCategoryChoice()
{
    struct Item
    {
        QString text;
        int katNr;
    };
    QList<Item> items;
    for (const CategoryRow &c : m_competition.data().Categories())
        items.append({c.KatBez, c.KatNr});
    items.append({allCategoriesText(), 0});
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(items.begin(), items.end(), [&collator](const Item &a, const Item &b) {
        return collator.compare(a.text, b.text) < 0;
    });
    RankListChoice choice;
    for (const Item &item : items) {
        choice.categoryItems << item.text;
        choice.categoryNumbers << item.katNr;
    }
    choice.categoryIndex = int(choice.categoryItems.indexOf(allCategoriesText()));
    choice.kindEnabled = m_competition.hasAddGame();
    return choice;
}

int Ranking::categoryNumber(const RankListChoice &choice)
{
    if (choice.categoryIndex < 0 || choice.categoryIndex >= choice.categoryNumbers.size())
        return 0;
    return choice.categoryNumbers.at(choice.categoryIndex);
}

void Ranking::RunRankList(bool print, bool additionalGame, bool groupList)
{
    guarded(m_competition.ui(), [&] { runRankList(print, additionalGame, groupList); });
}

void Ranking::runRankList(bool print, bool additionalGame, bool groupList, int proposedKatNr)
{
    if (!m_competition.event())
        return;
    const EventRow event = *m_competition.event();
    UserInterface &ui = m_competition.ui();
    DataLibrary &data = m_competition.data();

    RankListChoice choice = FillCategoryChoice();
    choice.kind = additionalGame ? RankListReport::AddGame : RankListReport::Normal;
    if (proposedKatNr != 0 && choice.categoryNumbers.contains(proposedKatNr))
        choice.categoryIndex = int(choice.categoryNumbers.indexOf(proposedKatNr));
    if (!ui.chooseRankList(choice))
        return;
    BusyCursor busy(ui);
    const int katNr = categoryNumber(choice);
    const int kind = choice.kind;
    const bool withPrinted = choice.withPrinted;

    // The standings: every finished participant, numbered in the order of the whole field as
    // without automatic rank lists, whatever was printed before.
    EventRow ranked = event;
    if (withPrinted)
        ranked.AutoRangBerechnung = false;
    RankTable table(data, ranked);
    switch (kind) {
    case RankListReport::AddGame:
        table.FillAddGameRankTable(katNr);
        break;
    case RankListReport::Both:
        table.FillRankTable(katNr, false);
        table.MergeAddGameTotals(katNr);
        break;
    default:
        if (groupList)
            table.FillGroupRankTable(katNr, true);
        else
            table.FillRankTable(katNr, true);
        break;
    }
    m_report->PrepareRankList(katNr, kind, groupList, withPrinted);
    busy.restore();
    if (print)
        ui.printReport(m_report->document(), true);
    else
        ui.previewReport(m_report->document());

    // A list that shows the printed again marks nobody: it is not the next list of a batch.
    if (event.AutoRangBerechnung && !withPrinted && ui.askOkCancel(ConfirmPrinted)) {
        BusyCursor marking(ui);
        m_report->PrepareRankList(katNr, kind, groupList);
        // The flag is that of the list's game: an additional-game list marked as printed in
        // the main game would hide its participants from the main game's next list and show
        // them again on the next additional-game list. A combined list, which requires both,
        // follows the command.
        const bool markAddGame =
            kind == RankListReport::Both ? additionalGame : kind == RankListReport::AddGame;
        m_report->MarkListedPrinted(markAddGame);
        m_competition.RefreshParticipants();
    }
    RefreshFinishedCounts(event.AutoRangBerechnung);
    RefreshAddGameFinishedCounts(event.AutoRangBerechnung && event.Zusatzspiel);
}

void Ranking::RefreshFinishedCounts(bool show)
{
    refreshCounts(show, false);
}

void Ranking::RefreshAddGameFinishedCounts(bool show)
{
    refreshCounts(show, true);
}

void Ranking::refreshCounts(bool show, bool additionalGame)
{
    const auto publish = [&](const QStringList &lines) {
        if (additionalGame)
            m_competition.setAddGameFinishedCounts(lines);
        else
            m_competition.setFinishedCounts(lines);
    };
    QStringList lines;
    publish(lines);
    if (!show)
        return;
    try {
        DataLibrary &data = m_competition.data();
        const QHash<int, int> counts =
            data.NumberOfTeamsPerCategory(m_competition.CurrentAnlassNr(), additionalGame);
        for (const CategoryRow &category : data.Categories()) {
            const int count = counts.value(category.KatNr);
            lines << QString::number(count) + QStringLiteral(" : ") + category.KatBez;
            publish(lines);
            // A run that went through has rebuilt both lists itself.
            if (ProposeRankList(count, category.KatBez, additionalGame, category.KatNr))
                return;
        }
    } catch (const DatabaseError &) {
        // Counting is a side show of the action that changed the flags: an error here ends
        // the pass quietly with the lines found so far.
    }
}

bool Ranking::ProposeRankList(int count, const QString &katBez, bool additionalGame, int katNr)
{
    if (!m_competition.mainWindowShown || !m_competition.event())
        return false;
    if (m_competition.event()->RangBerNachTeams > count)
        return false;
    const QString question = QStringLiteral("Es ist Zeit für die ") + katBez
        + (additionalGame
               ? QStringLiteral(" - Rangliste vom Zusatzspiel. Wollen Sie sie ausdrucken?")
               : QStringLiteral(" - Rangliste. Wollen Sie sie ausdrucken?"));
    if (!m_competition.ui().askYesNo(question))
        return false;
    runRankList(false, additionalGame, false, katNr);
    return true;
}

void Ranking::ResetItemClick()
{
    guarded(m_competition.ui(), [&] { resetPrinted(false); });
}

void Ranking::ResetAddItemClick()
{
    guarded(m_competition.ui(), [&] { resetPrinted(true); });
}

void Ranking::resetPrinted(bool additionalGame)
{
    const QString question = additionalGame
        ? QStringLiteral("Wollen Sie wirklich alle Teams des Zusatzanlasses, die auf einer "
                         "Rangliste gedruckt wurden, als ungedruckt markieren?")
        : QStringLiteral("Wollen Sie wirklich alle Teams dieses Anlasses, die auf einer "
                         "Rangliste gedruckt wurden, als ungedruckt markieren?");
    if (!m_competition.ui().askYesNo(question + QLatin1Char('\n') + LoseOverview))
        return;
    BusyCursor busy(m_competition.ui());
    Safeguard::Command command(m_competition.safeguard(),
                               additionalGame
                                   ? QStringLiteral("Gedruckte im Zusatzspiel zurücksetzen")
                                   : QStringLiteral("Gedruckte zurücksetzen"));
    ChangeSource source(m_competition.data().db(), ChangeLog::MainWindow);
    Statement s(m_competition.data().db(),
                additionalGame ? QStringLiteral("UPDATE TeamsProAnlass SET ZusatzRangBerechnet = 0 "
                                                "WHERE AnlassNr = :AnlassNr")
                               : QStringLiteral("UPDATE TeamsProAnlass SET RangBerechnet = 0 "
                                                "WHERE AnlassNr = :AnlassNr"));
    s.bind("AnlassNr", m_competition.CurrentAnlassNr());
    s.exec();
    command.done();
    m_competition.RefreshParticipants();
    const bool autoRank = m_competition.hasAutoRank();
    if (additionalGame)
        RefreshAddGameFinishedCounts(autoRank && m_competition.hasAddGame());
    else
        RefreshFinishedCounts(autoRank);
}
