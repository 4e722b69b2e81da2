#include "support/GeneratedEvent.h"

#include "engine/Statement.h"
#include "engine/Transaction.h"

#include <QRandomGenerator>

GeneratedEvent::GeneratedEvent(const Options &o)
{
    QRandomGenerator random(o.seed);
    const auto chance = [&random](int percent) {
        return int(random.bounded(100)) < percent;
    };
    const auto pick = [&random](std::initializer_list<double> values) {
        return *(values.begin() + random.bounded(int(values.size())));
    };

    Transaction transaction(t.db());
    categories << t.addCategory(QStringLiteral("Senioren"))
               << t.addCategory(QStringLiteral("Junioren"))
               << t.addCategory(QStringLiteral("Plausch & <Spass>"));
    posts << t.addPost(QStringLiteral("Slalom"), 2.0) << t.addPost(QStringLiteral("Tunnel"), 1.0);
    t.addPost(QStringLiteral("Alt"), 3.0, false);
    event = t.addEvent(QStringLiteral("Herbstlauf"), o.method, o.punkteSort, o.zeitSort, o.autoRank,
                       5, true, QStringLiteral("Plauschrunde"));

    int startNr = 0;
    const auto results = [&](int teamNr) {
        for (int post : posts) {
            t.addResult(event, post, teamNr, pick({0, 5, 10}) * (post == posts.first() ? 2 : 1),
                        pick({10, 20, 30}), pick({0, 3, 6}), pick({5, 10}));
        }
    };
    const auto printed = [&](int teamNr) {
        if (!o.printedMarks)
            return;
        Statement s(t.db(),
                    QStringLiteral("UPDATE TeamsProAnlass SET RangBerechnet = :r, "
                                   "ZusatzRangBerechnet = :z WHERE AnlassNr = :a AND "
                                   "TeamNr = :t"));
        s.bind("r", chance(30)).bind("z", chance(30)).bind("a", event).bind("t", teamNr);
        s.exec();
    };

    for (int i = 0; i < o.teams; ++i) {
        const QString name =
            i == 7 ? markupName() : QStringLiteral("Team%1").arg(i, 3, 10, QLatin1Char('0'));
        const int katNr = categories.at(int(random.bounded(int(categories.size()))));
        const int nr = t.addTeam(name, QStringLiteral("Vorname"), katNr, chance(70), 0,
                                 QStringLiteral("Hund%1").arg(i));
        t.addEntry(event, nr, ++startNr, false, 0, chance(75), chance(60));
        // A finished team without results gets no place on the single list.
        if (i != 3)
            results(nr);
        printed(nr);
        teams << nr;
    }
    for (int g = 0; g < 4; ++g) {
        const int katNr = categories.at(g % categories.size());
        const int group = t.addGroup(QStringLiteral("Gruppe %1").arg(g), katNr, true);
        t.addEntry(event, group, ++startNr, true, 0, chance(70), chance(60));
        printed(group);
        groups << group;
        const int size = 2 + int(random.bounded(2));
        for (int m = 0; m < size; ++m) {
            const int member =
                t.addTeam(QStringLiteral("Mitglied%1%2").arg(g).arg(m), QStringLiteral("Vorname"),
                          categories.at(int(random.bounded(int(categories.size())))), true);
            t.addMember(group, member);
            // Members are entered finished in both games; their group decides.
            t.addEntry(event, member, startNr, false, group, true, true);
            // One member joined after the group was entered and has no result rows.
            if (!(g == 1 && m == 0))
                results(member);
            printed(member);
            members << member;
        }
    }
    transaction.commit();
}
