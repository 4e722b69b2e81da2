#pragma once

#include "engine/Statement.h"
#include "engine/Transaction.h"
#include "support/TestDatabase.h"

#include <QRandomGenerator>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int PostCount = 10;

// An event of n participants over ten posts, on a durable database as the program runs it:
// three categories, one in ten participants in a group of three, nine in ten finished.
std::unique_ptr<TestDatabase> buildEvent(int n, bool durable = true)
{
    auto t = std::make_unique<TestDatabase>();
    Database::setDurable(durable);
    t->data.CloseDatabase();
    t->data.OpenDatabase(t->databaseDir());
    QList<int> categories;
    for (const QString &name : {u"Senioren"_s, u"Junioren"_s, u"Veteranen"_s})
        categories << t->addCategory(name);
    QList<int> posts;
    for (int p = 1; p <= PostCount; ++p)
        posts << t->addPost(u"Posten %1"_s.arg(p), 1.0 + (p % 3) * 0.5);
    const int event =
        t->addEvent(u"Grossanlass"_s, u"Punkte/Zeit"_s, 1, 2, false, 0, true, u"Plausch"_s);

    QRandomGenerator random(4711);
    Transaction transaction(t->db());
    Statement team(t->db(),
                   u"INSERT INTO Team (Typ, Name, Vorname, Verein, Hund, Rasse, KatNr, "
                   "StartNr) VALUES (:Typ, :Name, 'Vorname', 'HC Test', 'Rex', "
                   "'Mischling', :KatNr, :StartNr)"_s);
    Statement entry(t->db(),
                    u"INSERT INTO TeamsProAnlass (AnlassNr, TeamNr, StartNr, "
                    "Abgeschlossen, IsGroup, GroupNr, ZusatzAbgeschlossen) VALUES "
                    "(:AnlassNr, :TeamNr, :StartNr, :Fertig, :IsGroup, :GroupNr, "
                    ":Fertig)"_s);
    Statement member(t->db(), u"INSERT INTO TeamsProGruppe (GruppenNr, TeamNr) VALUES (:G, :T)"_s);
    Statement result(t->db(),
                     u"INSERT INTO Parcours (AnlassNr, PostenNr, TeamNr, Punkte, Zeit, "
                     "ZusatzspielPunkte, ZusatzspielZeit) VALUES (:A, :P, :T, :Pu, :Z, "
                     ":Pu, :Z)"_s);
    const auto insertTeam = [&](int typ, const QString &name, int katNr, int startNr) {
        team.reset();
        team.bind("Typ", typ).bind("Name", name).bind("KatNr", katNr).bind("StartNr", startNr);
        team.exec();
        return int(t->db().lastInsertId());
    };
    const auto insertEntry = [&](int teamNr, int startNr, bool finished, bool isGroup,
                                 int groupNr) {
        entry.reset();
        entry.bind("AnlassNr", event).bind("TeamNr", teamNr).bind("StartNr", startNr);
        entry.bind("Fertig", finished).bind("IsGroup", isGroup).bind("GroupNr", groupNr);
        entry.exec();
    };
    const auto insertResults = [&](int teamNr) {
        for (int p : posts) {
            result.reset();
            result.bind("A", event).bind("P", p).bind("T", teamNr);
            result.bind("Pu", double(random.bounded(0, 21)));
            result.bind("Z", double(random.bounded(100, 6000)) / 100.0);
            result.exec();
        }
    };
    int startNr = 0;
    int participants = 0;
    while (participants < n) {
        const int katNr = categories.at(random.bounded(int(categories.size())));
        const bool finished = random.bounded(10) != 0;
        ++startNr;
        if (random.bounded(10) == 0 && n - participants >= 3) {
            const int group = insertTeam(2, u"Gruppe %1"_s.arg(startNr), katNr, startNr);
            insertEntry(group, startNr, finished, true, 0);
            for (int m = 0; m < 3; ++m) {
                const int nr =
                    insertTeam(1, u"Mitglied %1-%2"_s.arg(startNr).arg(m), katNr, startNr);
                member.reset();
                member.bind("G", group).bind("T", nr);
                member.exec();
                insertEntry(nr, startNr, true, false, group);
                insertResults(nr);
            }
            participants += 3;
        } else {
            const int nr = insertTeam(1, u"Team %1"_s.arg(startNr), katNr, startNr);
            insertEntry(nr, startNr, finished, false, 0);
            insertResults(nr);
            ++participants;
        }
    }
    transaction.commit();
    t->open(event);
    return t;
}

} // namespace
