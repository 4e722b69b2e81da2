#include "reports/PostScorecardReport.h"

#include "app/Competition.h"
#include "reports/ScorecardLayout.h"

namespace {

const QString BlankPost = QString(30, u'_');

// "12  Hans Muster mit Rex": the judge finds the participant by the start number it wears.
QString participantText(const ParticipantRow &p)
{
    const QString name = p.CalcTyp == 1
        ? QString(p.Vorname + QStringLiteral(" ") + p.Name + QStringLiteral(" mit ") + p.Hund)
        : QString(QStringLiteral("Gruppe ") + p.Name);
    return p.StartNr > 0 ? QString(QString::number(p.StartNr) + QStringLiteral("  ") + name) : name;
}

} // namespace

PostScorecardReport::PostScorecardReport(Competition &competition)
    : m_competition(competition),
      m_document(ScorecardLayout::create(QStringLiteral("Team"), QStringLiteral("Team")))
{
    // One sheet serves many participants: no category and no single start number.
    for (const char *name : {"CategoryLine", "StartNrLabel", "StartNrBox", "StartNr"})
        m_document.element(QLatin1String(name))->visible = false;
}

void PostScorecardReport::PreparePostScorecard(const PostRow *post)
{
    const std::optional<EventRow> &event = m_competition.event();
    m_document.title = event ? event->AnlassBez : QString();
    m_document.element(QStringLiteral("HeadingLine"))->text =
        QStringLiteral("Bewertungsbogen für Posten: ") + (post ? post->PostenBez : BlankPost);

    // Rows differ in whether they play the additional game; the sheet has the columns
    // whenever the event has it, as the blank scorecard does.
    ScorecardLayout::arrangeColumns(m_document, m_competition.hasAddGame(),
                                    event ? event->ZusatzspielName : QString());

    Report::Dataset rows;
    rows.columns =
        QStringList{QStringLiteral("TeamNr"), QStringLiteral("StartNr"), QStringLiteral("Team")};
    for (const ParticipantRow &p : m_competition.participants())
        rows.rows.append(QVariantList{p.TeamNr, p.StartNr, participantText(p)});
    m_document.data = rows;
    ScorecardLayout::updateTitleLines(m_document);
}
