#include "reports/ScorecardReport.h"

#include "app/Competition.h"
#include "data/DataLibrary.h"
#include "engine/Statement.h"
#include "reports/ScorecardLayout.h"

namespace {

const QString BlankName = QString(46, u'_');
const QString BlankCategory = QString(15, u'_');

} // namespace

ScorecardReport::ScorecardReport(Competition &competition)
    : m_competition(competition),
      m_document(ScorecardLayout::create(QStringLiteral("Postenname"), QStringLiteral("PostenBez")))
{ }

QList<PostRow> ScorecardReport::ActivePosts(DataLibrary &data)
{
    Statement s(data.db(),
                QStringLiteral("SELECT PostenNr, PostenBez, Faktor, Aktiv FROM Posten "
                               "WHERE Aktiv = True ORDER BY PostenNr"));
    QList<PostRow> posts;
    while (s.next()) {
        posts << PostRow{int(s.integer("PostenNr")), s.text("PostenBez"), s.real("Faktor"),
                         s.boolean("Aktiv")};
    }
    return posts;
}

bool ScorecardReport::PrepareScorecard(int teamNr)
{
    DataLibrary &data = m_competition.data();
    const std::optional<EventRow> &event = m_competition.event();
    const bool eventHasAddGame = event && event->Zusatzspiel;

    QString heading = QStringLiteral("Bewertungsbogen für: ");
    QString category = QStringLiteral("Kategorie: ");
    QString startNr;
    if (teamNr < 1) {
        heading += BlankName;
        category += BlankCategory;
        LayoutScorecardColumns(eventHasAddGame, true);
    } else {
        const std::optional<TeamRow> team = data.ReadTeam(teamNr);
        if (!team)
            return false;
        if (team->Typ == 1)
            heading += team->Vorname + QStringLiteral(" ") + team->Name + QStringLiteral(" mit ")
                + team->Hund;
        else
            heading += QStringLiteral("Gruppe ") + team->Name;
        // 0 is "no number yet": the judges write it in rather than cross out a printed 0.
        if (team->StartNr != 0)
            startNr = QString::number(team->StartNr);
        category += data.CategoryName(team->KatNr);
        LayoutScorecardColumns(eventHasAddGame, team->Zusatzspiel);
    }

    m_document.title = event ? event->AnlassBez : QString();
    m_document.element(QStringLiteral("HeadingLine"))->text = heading;
    m_document.element(QStringLiteral("CategoryLine"))->text = category;
    m_document.element(QStringLiteral("StartNr"))->text = startNr;

    Report::Dataset rows;
    rows.columns = QStringList{QStringLiteral("PostenNr"), QStringLiteral("PostenBez")};
    for (const PostRow &post : ActivePosts(data))
        rows.rows.append(QVariantList{post.PostenNr, post.PostenBez});
    m_document.data = rows;
    ScorecardLayout::updateTitleLines(m_document);
    return true;
}

void ScorecardReport::LayoutScorecardColumns(bool eventHasAddGame, bool playsAddGame)
{
    const std::optional<EventRow> &event = m_competition.event();
    ScorecardLayout::arrangeColumns(m_document, eventHasAddGame && playsAddGame,
                                    event ? event->ZusatzspielName : QString());
}
