#include "app/Competition.h"

#include "app/IniFile.h"
#include "app/UserInterface.h"
#include "backup/Safeguard.h"
#include "data/DataLibrary.h"
#include "engine/DatabaseError.h"
#include "engine/Statement.h"
#include "engine/Transaction.h"
#include "participants/Entries.h"
#include "participants/StartNumbers.h"
#include "ranking/Ranking.h"
#include "reports/Scorecards.h"
#include "results/FinishedStatus.h"

#include <QDir>

#include <algorithm>
#include <utility>

namespace {

const QString Section = QStringLiteral("Default");

int readInt(const QString &text, int fallback)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : fallback;
}

} // namespace

Competition::Competition(DataLibrary &data, UserInterface &ui, QObject *parent)
    : QObject(parent), m_data(data), m_ui(ui), m_entries(std::make_unique<Entries>(*this)),
      m_startNumbers(std::make_unique<StartNumbers>(*this)),
      m_finishedStatus(std::make_unique<FinishedStatus>(*this)),
      m_ranking(std::make_unique<Ranking>(*this)),
      m_scorecards(std::make_unique<Scorecards>(*this)),
      m_safeguard(std::make_unique<Safeguard>(*this))
{ }

Competition::~Competition() = default;

int Competition::CurrentAnlassNr() const
{
    return m_data.CurrentAnlassNr;
}

void Competition::OpenSettings(const QString &iniPath)
{
    m_settings = std::make_unique<IniFile>(iniPath);
    try {
        m_settings->createIfMissing();
    } catch (const IniFileError &e) {
        // Without a settings file the program still runs on the defaults.
        m_ui.showError(e.message());
    }
}

void Competition::setDataLocation(const DataLocation &location)
{
    m_location = location;
    m_data.setDataDirectory(location.directory());
}

bool Competition::PrepareDataLocation()
{
    if (!m_location)
        return false;
    try {
        return m_location->prepare();
    } catch (const DatabaseError &e) {
        // Opening the database reports the consequence; this says why.
        m_ui.showError(e.message());
        return false;
    }
}

QString Competition::dataLocationNote(bool created) const
{
    const QString chosen = m_data.ChooseDatabaseDirectory(databasePath);
    const QString unusable = DataLibrary::unusableReason(databasePath);
    if (!unusable.isEmpty()) {
        return QStringLiteral("Der Datenbankpfad (DBPath) \"%1\" ist nicht verwendbar (%2); "
                              "geöffnet ist \"%3\".")
            .arg(QDir::toNativeSeparators(databasePath), unusable,
                 QDir::toNativeSeparators(chosen));
    }
    if (!m_location || !m_location->isPerUser())
        return {};
    if (created)
        return QStringLiteral("Neue, leere Datenbank angelegt in ")
            + QDir::toNativeSeparators(chosen);
    if (chosen == m_location->defaultDatabasePath())
        return QStringLiteral("Einstellungen und Datenbank in ")
            + QDir::toNativeSeparators(m_location->directory());
    return QStringLiteral("Einstellungen in ") + QDir::toNativeSeparators(m_location->directory());
}

void Competition::FormCreate()
{
    mainWindowShown = false;
    const bool created = PrepareDataLocation();
    if (!m_settings)
        OpenSettings(QDir(m_data.dataDirectory()).filePath(QStringLiteral("Velunda.ini")));
    databasePath =
        m_settings->readString(Section, QStringLiteral("DBPath"), m_data.defaultDatabasePath());
    m_data.OpenDatabase(databasePath);
    // The fallback to the default database stays, but no longer in silence.
    if (const QString note = dataLocationNote(created); !note.isEmpty())
        Q_EMIT statusMessage(note);
    if (!m_data.databaseOpen()) {
        reportOpenFailure();
        Q_EMIT eventChanged();
        return;
    }
    const int previous = readInt(
        m_settings->readString(Section, QStringLiteral("PreviousComp"), QStringLiteral("0")), 0);
    OpenEvent(m_data.ReadEvent(previous) ? previous : m_data.LowestEventNr());
}

WindowLayout Competition::RestoreWindowLayout(const WindowLayout &current) const
{
    WindowLayout layout = current;
    if (!m_settings)
        return layout;
    const QString state =
        m_settings->readString(Section, QStringLiteral("WindowState"), QStringLiteral("wsNormal"));
    layout.maximized = state != QLatin1String("wsNormal");
    const auto size = [&](const char *key, int fallback) {
        const int value =
            readInt(m_settings->readString(Section, QLatin1String(key), QString::number(fallback)),
                    fallback);
        // A size no screen has is a damaged file, not a wish.
        return value >= 100 && value <= 32767 ? value : fallback;
    };
    layout.width = size("FormWidth", current.width);
    layout.height = size("FormHeight", current.height);
    return layout;
}

void Competition::SaveSettings(const WindowLayout &layout)
{
    if (!m_settings)
        return;
    m_settings->writeString(Section, QStringLiteral("PreviousComp"),
                            QString::number(CurrentAnlassNr()));
    m_settings->writeString(Section, QStringLiteral("DBPath"), databasePath);
    m_settings->writeString(Section, QStringLiteral("WindowState"),
                            layout.maximized ? QStringLiteral("wsMaximized")
                                             : QStringLiteral("wsNormal"));
    m_settings->writeString(Section, QStringLiteral("FormWidth"), QString::number(layout.width));
    m_settings->writeString(Section, QStringLiteral("FormHeight"), QString::number(layout.height));
}

void Competition::FormClose(const WindowLayout &layout)
{
    try {
        SaveSettings(layout);
    } catch (const IniFileError &e) {
        m_ui.showError(e.message());
    }
    m_data.CloseDatabase();
    m_settings.reset();
}

void Competition::reportOpenFailure()
{
    const QString error = m_data.lastOpenError();
    if (error.isEmpty() || error == m_reportedOpenError)
        return;
    m_reportedOpenError = error;
    m_ui.showError(
        QStringLiteral("Die Datenbank im Verzeichnis %1 kann nicht geöffnet werden.\n%2")
            .arg(QDir::toNativeSeparators(m_data.ChooseDatabaseDirectory(databasePath)), error));
}

void Competition::OpenEvent(int anlassNr)
{
    // One eventChanged per call, also when a step fails, so that the window shows whatever
    // the steps changed. On success it comes before the counters: a question they propose
    // shows the event just opened.
    bool announced = false;
    const auto announce = [&] {
        announced = true;
        Q_EMIT eventChanged();
    };
    try {
        BusyCursor busy(m_ui);
        if (!m_data.databaseOpen()) {
            m_data.OpenDatabase(databasePath);
            if (!m_data.databaseOpen()) {
                busy.restore();
                reportOpenFailure();
                announce();
                return;
            }
            m_reportedOpenError.clear();
        }
        if (std::optional<EventRow> row = m_data.ReadEvent(anlassNr)) {
            m_data.CurrentAnlassNr = anlassNr;
            m_event = row;
            RefreshParticipants();
            CopyStartNumbersToTeams();
            announce();
            ApplyAutoRankLayout(m_event->AutoRangBerechnung);
            m_ranking->RefreshFinishedCounts(m_event->AutoRangBerechnung);
            // A rank list run proposed just now may have left the event.
            if (m_event)
                m_ranking->RefreshAddGameFinishedCounts(m_event->AutoRangBerechnung
                                                        && m_event->Zusatzspiel);
        }
    } catch (...) {
        if (!announced)
            Q_EMIT eventChanged();
        throw;
    }
    if (!announced)
        Q_EMIT eventChanged();
}

void Competition::ApplyAutoRankLayout(bool on)
{
    m_autoRankLayout = on;
    Q_EMIT autoRankLayoutChanged(on);
}

void Competition::CopyStartNumbersToTeams()
{
    Statement s(
        m_data.db(),
        QStringList{
            QStringLiteral("UPDATE Team SET StartNr = (SELECT e.StartNr FROM TeamsProAnlass e"),
            QStringLiteral("    WHERE e.AnlassNr = :AnlassNr AND e.TeamNr = Team.TeamNr)"),
            QStringLiteral("WHERE TeamNr IN (SELECT TeamNr FROM TeamsProAnlass"),
            QStringLiteral("    WHERE AnlassNr = :AnlassNr AND GroupNr = 0)"),
            // Opening an event writes nothing when the numbers agree already.
            QStringLiteral("AND StartNr IS NOT (SELECT e.StartNr FROM TeamsProAnlass e"),
            QStringLiteral("    WHERE e.AnlassNr = :AnlassNr AND e.TeamNr = Team.TeamNr)")});
    s.bind("AnlassNr", CurrentAnlassNr());
    s.exec();
    goToFirstRow();
}

void Competition::RefreshParticipants()
{
    QList<ParticipantRow> rows;
    if (m_data.databaseOpen())
        rows = m_data.ParticipantList(CurrentAnlassNr());
    Q_EMIT participantsAboutToChange();
    m_participants = std::move(rows);
    Q_EMIT participantsChanged();
}

void Competition::RefreshParticipant(int teamNr)
{
    if (!m_data.databaseOpen())
        return;
    const QList<ParticipantRow> rows = m_data.ParticipantList(CurrentAnlassNr(), teamNr);
    const auto before = [](const ParticipantRow &a, const ParticipantRow &b) {
        return std::pair(a.StartNr, a.TeamNr) < std::pair(b.StartNr, b.TeamNr);
    };
    int row = participantIndex(teamNr);
    if (row >= 0 && !rows.isEmpty()) {
        const ParticipantRow &fresh = rows.first();
        const bool inPlace = (row == 0 || before(m_participants.at(row - 1), fresh))
            && (row + 1 == m_participants.size() || before(fresh, m_participants.at(row + 1)));
        if (inPlace) {
            m_participants[row] = fresh;
            Q_EMIT participantChanged(row);
            return;
        }
    }
    if (row >= 0) {
        Q_EMIT participantAboutToBeRemoved(row);
        m_participants.removeAt(row);
        Q_EMIT participantRemoved(row);
    }
    if (rows.isEmpty())
        return;
    row = int(std::lower_bound(m_participants.cbegin(), m_participants.cend(), rows.first(), before)
              - m_participants.cbegin());
    Q_EMIT participantAboutToBeInserted(row);
    m_participants.insert(row, rows.first());
    Q_EMIT participantInserted(row);
}

int Competition::participantIndex(int teamNr) const
{
    for (int i = 0; i < m_participants.size(); ++i) {
        if (m_participants.at(i).TeamNr == teamNr)
            return i;
    }
    return -1;
}

void Competition::MenuItemClick()
{
    if (m_data.databaseOpen())
        return;
    m_data.OpenDatabase(databasePath);
    if (!m_data.databaseOpen()) {
        reportOpenFailure();
        return;
    }
    m_reportedOpenError.clear();
    OpenEvent(m_data.LowestEventNr());
}

void Competition::DeleteEvent()
{
    if (!m_event || !m_data.databaseOpen())
        return;
    const int n = m_event->AnlassNr;
    if (!m_ui.askYesNo(QStringLiteral("Wollen Sie den Anlass [") + m_event->AnlassBez
                       + QStringLiteral("] wirklich löschen?")))
        return;
    Safeguard::Command command(*m_safeguard, QStringLiteral("Anlass löschen"));
    {
        Transaction transaction(m_data.db());
        m_data.db().exec(QStringLiteral("delete from TeamsProAnlass where AnlassNr = ")
                         + QString::number(n));
        m_data.db().exec(QStringLiteral("delete from Parcours where AnlassNr = ")
                         + QString::number(n));
        m_data.db().exec(QStringLiteral("delete from Anlass where AnlassNr = ")
                         + QString::number(n));
        transaction.commit();
    }
    command.done();
    m_data.CloseDatabase();
    forgetEvent();
}

void Competition::ReopenDatabase()
{
    BusyCursor busy(m_ui);
    m_data.CloseDatabase();
    m_data.OpenDatabase(databasePath);
    if (!m_data.databaseOpen()) {
        busy.restore();
        forgetEvent();
        reportOpenFailure();
        return;
    }
    m_reportedOpenError.clear();
    const int n = m_data.ReadEvent(CurrentAnlassNr()) ? CurrentAnlassNr() : m_data.LowestEventNr();
    if (n == 0)
        forgetEvent();
    else
        OpenEvent(n);
}

void Competition::forgetEvent()
{
    m_event.reset();
    Q_EMIT participantsAboutToChange();
    m_participants.clear();
    m_finishedCounts.clear();
    m_addGameFinishedCounts.clear();
    // Nothing is open now, so there are no counts and nothing printed to reset.
    ApplyAutoRankLayout(false);
    Q_EMIT participantsChanged();
    Q_EMIT finishedCountsChanged();
    Q_EMIT eventChanged();
}

void Competition::setFinishedCounts(const QStringList &lines)
{
    m_finishedCounts = lines;
    Q_EMIT finishedCountsChanged();
}

void Competition::setAddGameFinishedCounts(const QStringList &lines)
{
    m_addGameFinishedCounts = lines;
    Q_EMIT finishedCountsChanged();
}
