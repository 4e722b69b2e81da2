#include "results/FinishedStatus.h"

#include "app/Competition.h"
#include "data/DataLibrary.h"
#include "engine/ChangeLog.h"
#include "engine/Statement.h"
#include "ranking/Ranking.h"

FinishedStatus::FinishedStatus(Competition &competition) : m_competition(competition)
{ }

void FinishedStatus::writeFlag(const char *column, int teamNr, bool value)
{
    // Only the entry itself: a group's members keep the flags they were entered with.
    ChangeSource source(m_competition.data().db(), ChangeLog::MainWindow);
    Statement s(m_competition.data().db(),
                QStringLiteral("UPDATE TeamsProAnlass SET %1 = :Value "
                               "WHERE AnlassNr = :AnlassNr AND TeamNr = :TeamNr")
                    .arg(QLatin1String(column)));
    s.bind("Value", value).bind("AnlassNr", m_competition.CurrentAnlassNr()).bind("TeamNr", teamNr);
    s.exec();
}

void FinishedStatus::SetFinished(int teamNr, bool finished, bool refreshGrid)
{
    writeFlag("Abgeschlossen", teamNr, finished);
    if (m_competition.hasAutoRank())
        m_competition.ranking().RefreshFinishedCounts(true);
    if (refreshGrid)
        m_competition.RefreshParticipants();
}

void FinishedStatus::SetAddGameFinished(int teamNr, bool finished, bool refreshGrid)
{
    writeFlag("ZusatzAbgeschlossen", teamNr, finished);
    m_competition.ranking().RefreshAddGameFinishedCounts(m_competition.hasAutoRank()
                                                         && m_competition.hasAddGame());
    if (refreshGrid)
        m_competition.RefreshParticipants();
}
