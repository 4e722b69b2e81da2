#pragma once

#include "app/DataLocation.h"
#include "data/Rows.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class DataLibrary;
class UserInterface;
class IniFile;
class Entries;
class StartNumbers;
class FinishedStatus;
class Ranking;
class Scorecards;
class Safeguard;

// The size and state of the main window as the settings file keeps them.
struct WindowLayout
{
    bool maximized = false;
    int width = 1006;
    int height = 719;
};

// The domain side of the main window: the open event and the state every window reads
// (CurrentAnlassNr lives in the data module, so that its queries see it), the settings,
// the event lifecycle, and the per-subsystem operations, reachable from here. The widgets
// only show what this object holds and forward the operator's commands to it.
class Competition : public QObject
{
    Q_OBJECT

public:
    static constexpr auto ApplicationTitle = "Velunda 3.00";
    static QString applicationTitle() { return QString::fromLatin1(ApplicationTitle); }

    Competition(DataLibrary &data, UserInterface &ui, QObject *parent = nullptr);
    ~Competition() override;

    DataLibrary &data() { return m_data; }
    UserInterface &ui() { return m_ui; }
    Entries &entries() { return *m_entries; }
    StartNumbers &startNumbers() { return *m_startNumbers; }
    FinishedStatus &finishedStatus() { return *m_finishedStatus; }
    Ranking &ranking() { return *m_ranking; }
    Scorecards &scorecards() { return *m_scorecards; }
    Safeguard &safeguard() { return *m_safeguard; }

    int CurrentAnlassNr() const;
    bool mainWindowShown = false;
    QString databasePath;
    bool EntryMode = false;

    // Start-up: settings file, database, previous event. The window applies the layout.
    // Without a location the settings and the default database are in the data module's
    // data directory, as tests set it.
    void setDataLocation(const DataLocation &location);
    void OpenSettings(const QString &iniPath);
    IniFile *settingsFile() const { return m_settings.get(); }
    void FormCreate();
    WindowLayout RestoreWindowLayout(const WindowLayout &current) const;
    void SaveSettings(const WindowLayout &layout);
    void FormShow() { mainWindowShown = true; }
    void FormClose(const WindowLayout &layout); // SaveSettings, then CloseDatabase

    // The event cursor: the open event, or nothing (none opened yet, or deleted).
    const std::optional<EventRow> &event() const { return m_event; }
    bool hasAddGame() const { return m_event && m_event->Zusatzspiel; }
    bool hasAutoRank() const { return m_event && m_event->AutoRangBerechnung; }

    void OpenEvent(int anlassNr);
    void CopyStartNumbersToTeams();
    void RefreshParticipants();
    // After a change to one participant (entered, results saved): rereads its row alone and
    // puts it where a full refresh would, or takes it out when it is no longer listed.
    void RefreshParticipant(int teamNr);
    void MenuItemClick();
    void DeleteEvent();
    // After the files were replaced under the connection (a restore): opens the database
    // anew and the open event again, or the lowest-numbered one when it is gone.
    void ReopenDatabase();

    // The finished-team counter and its reset menu item follow the open event's automatic
    // rank lists; the main window shows what this holds.
    void ApplyAutoRankLayout(bool on);
    bool autoRankLayout() const { return m_autoRankLayout; }

    // The participant list of the open event, as the grid shows it.
    const QList<ParticipantRow> &participants() const { return m_participants; }
    int participantIndex(int teamNr) const; // -1 when not listed

    // Lines of the two count lists ("count : KatBez").
    QStringList finishedCounts() const { return m_finishedCounts; }
    QStringList addGameFinishedCounts() const { return m_addGameFinishedCounts; }
    void setFinishedCounts(const QStringList &lines);
    void setAddGameFinishedCounts(const QStringList &lines);

    // Puts the participant grid back on its first row.
    void goToFirstRow() { Q_EMIT firstRowRequested(); }

    // The one report of a database that could not be opened, instead of an empty window.
    void reportOpenFailure();

private:
    bool PrepareDataLocation(); // true when it made the default database now
    QString dataLocationNote(bool created) const;

Q_SIGNALS:
    // Before the participant list is replaced: the last moment its old rows can be read.
    void participantsAboutToChange();
    void participantsChanged();
    // One row of the list, for views that follow it row by row.
    void participantAboutToBeInserted(int row);
    void participantInserted(int row);
    void participantAboutToBeRemoved(int row);
    void participantRemoved(int row);
    void participantChanged(int row);
    void eventChanged(); // open event, its settings or the layout that follows them
    void finishedCountsChanged();
    void firstRowRequested();
    void autoRankLayoutChanged(bool on);
    // A one-line note for the status bar, such as where the data lives.
    void statusMessage(const QString &text);

private:
    DataLibrary &m_data;
    UserInterface &m_ui;
    std::optional<DataLocation> m_location;
    std::unique_ptr<IniFile> m_settings;
    std::optional<EventRow> m_event;
    QList<ParticipantRow> m_participants;
    QStringList m_finishedCounts;
    QStringList m_addGameFinishedCounts;
    QString m_reportedOpenError;
    bool m_autoRankLayout = false;
    std::unique_ptr<Entries> m_entries;
    std::unique_ptr<StartNumbers> m_startNumbers;
    std::unique_ptr<FinishedStatus> m_finishedStatus;
    std::unique_ptr<Ranking> m_ranking;
    std::unique_ptr<Scorecards> m_scorecards;
    std::unique_ptr<Safeguard> m_safeguard;

    void forgetEvent();
};
