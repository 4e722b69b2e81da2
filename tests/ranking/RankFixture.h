#pragma once

#include "engine/DatabaseError.h"
#include "engine/Statement.h"
#include "ranking/RankTable.h"
#include "support/TestDatabase.h"

#include <QMap>
#include <QString>

// An event with two categories and one post; participants are written directly with one
// result row each, so that a test states its field in a few lines.
struct RankFixture
{
    struct RankRow
    {
        int Rang = 0;
        double Punkte = 0;
        double Zeit = 0;
        int KatNr = 0;
    };

    TestDatabase t;
    int katA = 0;
    int katB = 0;
    int post = 0;
    int event = 0;

    explicit RankFixture(const QString &method = QStringLiteral("Punkte/Zeit"), int punkteSort = 1,
                         int zeitSort = 2, bool autoRank = false, int threshold = 0,
                         bool addGame = false)
    {
        katA = t.addCategory(QStringLiteral("Senioren"));
        katB = t.addCategory(QStringLiteral("Junioren"));
        post = t.addPost(QStringLiteral("Posten 1"));
        event = t.addEvent(QStringLiteral("Herbstlauf"), method, punkteSort, zeitSort, autoRank,
                           threshold, addGame, QStringLiteral("Plauschrunde"));
    }

    // A team entered in the event with one result row.
    int team(const QString &name, int katNr, double punkte, double zeit, bool finished,
             double zPunkte = 0, double zZeit = 0, bool addFinished = false)
    {
        const int nr = t.addTeam(name, QStringLiteral("Vorname"), katNr);
        t.addEntry(event, nr, nr, false, 0, finished, addFinished);
        t.addResult(event, post, nr, punkte, zeit, zPunkte, zZeit);
        return nr;
    }

    int team(const char *name, int katNr, double punkte, double zeit, bool finished,
             double zPunkte = 0, double zZeit = 0, bool addFinished = false)
    {
        return team(QString::fromUtf8(name), katNr, punkte, zeit, finished, zPunkte, zZeit,
                    addFinished);
    }

    void setFlag(int teamNr, const char *column, bool value)
    {
        Statement s(t.db(),
                    QStringLiteral("UPDATE TeamsProAnlass SET %1 = :v WHERE AnlassNr = "
                                   ":a AND TeamNr = :t")
                        .arg(QLatin1String(column)));
        s.bind("v", value).bind("a", event).bind("t", teamNr);
        s.exec();
    }

    bool flag(int teamNr, const char *column)
    {
        return t.count(QStringLiteral("SELECT %1 FROM TeamsProAnlass WHERE AnlassNr = %2 AND "
                                      "TeamNr = %3")
                           .arg(QLatin1String(column))
                           .arg(event)
                           .arg(teamNr))
            != 0;
    }

    EventRow eventRow() { return *t.data.ReadEvent(event); }

    QMap<int, RankRow> rank()
    {
        QMap<int, RankRow> rows;
        Statement s(t.db(), QStringLiteral("SELECT TeamNr, Rang, Punkte, Zeit, KatNr FROM Rang"));
        while (s.next())
            rows.insert(int(s.integer(0)),
                        {int(s.integer(1)), s.real(2), s.real(3), int(s.integer(4))});
        return rows;
    }

    // The rank of each team, in the order given; -1 for a team without a row.
    QList<int> ranks(const QList<int> &teams)
    {
        const QMap<int, RankRow> rows = rank();
        QList<int> result;
        for (int nr : teams)
            result << (rows.contains(nr) ? rows.value(nr).Rang : -1);
        return result;
    }
};
