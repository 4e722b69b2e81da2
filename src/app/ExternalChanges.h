#pragma once

#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>

class Database;

// Results stored beside the program, by the posts through the live server in this process or
// in velunda-cli serve, show in the participant grid: the data versions of the program's own
// connection are looked at twice a second (its own commits never change them), and after a
// change the grid is refreshed, but only while the operator is not in a dialog, so that
// nothing changes under an open question. Finished marks and rank-list proposals stay with
// the operator: nothing is recounted.
class ExternalChanges : public QObject
{
    Q_OBJECT

public:
    static constexpr int PollIntervalMs = 500;

    // isIdle: whether the operator can be shown a change now; refresh shows it.
    ExternalChanges(Database &db, std::function<bool()> isIdle, std::function<void()> refresh,
                    QObject *parent = nullptr);

    // Looks now, as after a save of the live server in this process.
    void check();
    // The grid has just been read: what it shows is the state of now.
    void seen();
    bool operatorIdle() const { return m_isIdle(); }

private:
    Database &m_db;
    std::function<bool()> m_isIdle;
    std::function<void()> m_refresh;
    QTimer m_timer;
    QString m_directory;
    QList<qint64> m_versions;
    bool m_pending = false;
};
