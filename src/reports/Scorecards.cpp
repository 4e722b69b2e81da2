#include "reports/Scorecards.h"

#include "app/Competition.h"
#include "app/UserInterface.h"
#include "data/DataLibrary.h"
#include "engine/Statement.h"
#include "reports/PostScorecardReport.h"
#include "reports/ScorecardReport.h"

#include <QList>

namespace {

// Runs its function when the scope is left, also by an exception.
template<typename F>
class OnExit
{
public:
    explicit OnExit(F f) : m_f(std::move(f)) { }
    ~OnExit() { m_f(); }
    OnExit(const OnExit &) = delete;
    OnExit &operator=(const OnExit &) = delete;

private:
    F m_f;
};

} // namespace

Scorecards::Scorecards(Competition &competition)
    : m_competition(competition), m_report(std::make_unique<ScorecardReport>(competition)),
      m_postReport(std::make_unique<PostScorecardReport>(competition))
{ }

Scorecards::~Scorecards() = default;

void Scorecards::OutputScorecards(bool toPrinter, int teamNr)
{
    DataLibrary &data = m_competition.data();
    QList<int> cards{teamNr};
    if (teamNr >= 1) {
        const std::optional<TeamRow> team = data.ReadTeam(teamNr);
        if (team && team->Typ == 2) {
            // Read before the first card: a preview runs an event loop while the statement
            // would still be open.
            Statement s(data.db(),
                        QStringLiteral("SELECT TeamNr FROM TeamsProGruppe WHERE "
                                       "GruppenNr = :GruppenNr ORDER BY GruppenNr, TeamNr"));
            s.bind("GruppenNr", teamNr);
            while (s.next())
                cards << int(s.integer(0));
        }
    }
    if (!toPrinter) {
        for (int card : cards)
            OutputScorecard(false, card);
        return;
    }
    // A group's card and its members' cards are one job, so that they come out together.
    printCards(cards);
}

void Scorecards::OutputScorecard(bool toPrinter, int teamNr)
{
    // A participant that is gone gets no card rather than one with the last card's name.
    if (m_report->PrepareScorecard(teamNr))
        output(toPrinter, true);
}

void Scorecards::output(bool toPrinter, bool showProgress)
{
    if (toPrinter)
        m_competition.ui().printReport(m_report->document(), showProgress);
    else
        m_competition.ui().previewReport(m_report->document());
}

bool Scorecards::printCards(const QList<int> &teamNrs)
{
    const std::optional<EventRow> &event = m_competition.event();
    return m_competition.ui().printReports(
        event ? event->AnlassBez : QString(), int(teamNrs.size()),
        [this, &teamNrs](int i) -> const Report::ReportDocument * {
            // A participant that is gone gets no card rather than one with another's name.
            return m_report->PrepareScorecard(teamNrs.at(i)) ? &m_report->document() : nullptr;
        });
}

void Scorecards::PrintAllScorecardsItemClick()
{
    UserInterface &ui = m_competition.ui();
    if (!ui.askOkCancel(
            QStringLiteral("Wollen Sie die Bewertungsbögen von allen Teams ausdrucken?")))
        return;
    // Declared first so that it runs last: the grid goes back to its first row after the
    // hourglass is gone, whether the batch ended or failed.
    OnExit backToFirstRow([this] { m_competition.goToFirstRow(); });
    BusyCursor busy(ui);
    // One job of many pages: on a printer that writes files, one card per job would leave
    // only the last. A group gets its own card only; its members are not in the list.
    QList<int> teamNrs;
    teamNrs.reserve(m_competition.participants().size());
    for (const ParticipantRow &p : m_competition.participants())
        teamNrs << p.TeamNr;
    printCards(teamNrs);
}

void Scorecards::outputPost(bool toPrinter, bool showProgress)
{
    if (toPrinter)
        m_competition.ui().printReport(m_postReport->document(), showProgress);
    else
        m_competition.ui().previewReport(m_postReport->document());
}

void Scorecards::OutputPostScorecards(bool toPrinter, bool allPosts)
{
    UserInterface &ui = m_competition.ui();
    const QList<PostRow> posts = ScorecardReport::ActivePosts(m_competition.data());
    if (posts.isEmpty()) {
        ui.information(QStringLiteral("Es ist kein Posten aktiv."));
        return;
    }
    if (!allPosts) {
        QStringList names;
        for (const PostRow &post : posts)
            names << post.PostenBez;
        int index = 0;
        if (!ui.chooseItem(QStringLiteral("Bewertungsbogen für Posten"), QStringLiteral("&Posten:"),
                           names, index)
            || index < 0 || index >= posts.size())
            return;
        m_postReport->PreparePostScorecard(&posts.at(index));
        outputPost(toPrinter, true);
        return;
    }
    if (!toPrinter) {
        // Each preview is closed before the next card is prepared.
        for (const PostRow &post : posts) {
            m_postReport->PreparePostScorecard(&post);
            outputPost(false, false);
        }
        return;
    }
    if (!ui.askOkCancel(
            QStringLiteral("Wollen Sie die Bewertungsbögen von allen Posten ausdrucken?")))
        return;
    BusyCursor busy(ui);
    const std::optional<EventRow> &event = m_competition.event();
    ui.printReports(event ? event->AnlassBez : QString(), int(posts.size()),
                    [this, &posts](int i) -> const Report::ReportDocument * {
                        m_postReport->PreparePostScorecard(&posts.at(i));
                        return &m_postReport->document();
                    });
}

void Scorecards::OutputEmptyPostScorecard()
{
    m_postReport->PreparePostScorecard(nullptr);
    outputPost(true, true);
}
