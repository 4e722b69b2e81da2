#include "results/PostResults.h"

#include "data/DataLibrary.h"
#include "engine/ChangeLog.h"
#include "engine/Database.h"
#include "engine/Statement.h"
#include "engine/Transaction.h"
#include "results/Weighting.h"

#include <QSet>

#include <cmath>

namespace {

// Whether a team's lines have the additional game's cells, as the result dialog decides: the
// event has the game and the team plays it, or, for a member of a group entered in the event,
// any member of that group plays it. :AnlassNr and the team's number in t.TeamNr.
const QString PlaysAddGame = QStringLiteral(
    "(SELECT a.Zusatzspiel FROM Anlass a WHERE a.AnlassNr = :AnlassNr) <> 0"
    " AND (t.Zusatzspiel <> 0 OR EXISTS ("
    "   SELECT 1 FROM TeamsProGruppe g"
    "   JOIN TeamsProAnlass ge ON ge.AnlassNr = :AnlassNr AND ge.TeamNr = g.GruppenNr"
    "        AND ge.IsGroup <> 0"
    "   JOIN TeamsProAnlass m ON m.AnlassNr = :AnlassNr AND m.GroupNr = g.GruppenNr"
    "   JOIN Team mt ON mt.TeamNr = m.TeamNr AND mt.Zusatzspiel <> 0"
    "   WHERE g.TeamNr = t.TeamNr))");

PostValues shownValues(const PostValues &stored, double faktor)
{
    return {Weighting::shown(stored.punkte, faktor), stored.zeit,
            Weighting::shown(stored.zusatzPunkte, faktor), stored.zusatzZeit};
}

// The values to store for what was sent, the stored ones where a field is not given.
PostValues storedFor(const PostInput &input, const PostValues &before, double faktor)
{
    PostValues v = before;
    v.punkte = Weighting::stored(input.punkte, before.punkte, faktor);
    v.zeit = Weighting::stored(input.zeit, before.zeit, 1);
    if (input.zusatzPunkte)
        v.zusatzPunkte = Weighting::stored(*input.zusatzPunkte, before.zusatzPunkte, faktor);
    if (input.zusatzZeit)
        v.zusatzZeit = Weighting::stored(*input.zusatzZeit, before.zusatzZeit, 1);
    return v;
}

} // namespace

QList<PostEntry> PostResults::participants(Database &db, int anlassNr, int postenNr,
                                           std::optional<int> startNr)
{
    // Every entry that carries results by its own number, and every group's members by the
    // group's number; a member entered with its group's number is found once, as a member.
    Statement s(
        db,
        QStringList{
            QStringLiteral("SELECT x.StartNr, x.TeamNr, x.Gruppe, t.Name, t.Vorname, t.Hund,"),
            QStringLiteral("       k.KatBez, p.Punkte, p.Zeit, p.ZusatzspielPunkte,"),
            QStringLiteral("       p.ZusatzspielZeit, po.Faktor, ") + PlaysAddGame
                + QStringLiteral(" AS Plays"),
            QStringLiteral("FROM ("),
            QStringLiteral("  SELECT e.StartNr, e.TeamNr, '' AS Gruppe, 0 AS Member"),
            QStringLiteral(
                "  FROM TeamsProAnlass e WHERE e.AnlassNr = :AnlassNr AND e.IsGroup = 0"),
            QStringLiteral("  UNION ALL"),
            QStringLiteral("  SELECT e.StartNr, g.TeamNr, grp.Name, 1"),
            QStringLiteral("  FROM TeamsProAnlass e"),
            QStringLiteral("  JOIN TeamsProGruppe g ON g.GruppenNr = e.TeamNr"),
            QStringLiteral("  JOIN Team grp ON grp.TeamNr = e.TeamNr"),
            QStringLiteral("  WHERE e.AnlassNr = :AnlassNr AND e.IsGroup <> 0) x"),
            QStringLiteral("JOIN Parcours p ON p.AnlassNr = :AnlassNr AND p.PostenNr = :PostenNr"),
            QStringLiteral("     AND p.TeamNr = x.TeamNr"),
            QStringLiteral("JOIN Team t ON t.TeamNr = x.TeamNr"),
            QStringLiteral("LEFT JOIN Kategorie k ON k.KatNr = t.KatNr"),
            QStringLiteral("LEFT JOIN Posten po ON po.PostenNr = p.PostenNr"),
            QStringLiteral("WHERE :StartNr < 0 OR x.StartNr = :StartNr"),
            QStringLiteral("ORDER BY x.StartNr, x.Member DESC, x.TeamNr")});
    s.bind("AnlassNr", anlassNr).bind("PostenNr", postenNr).bind("StartNr", startNr.value_or(-1));
    QList<PostEntry> entries;
    QSet<QPair<int, int>> seen;
    while (s.next()) {
        PostEntry e;
        e.startNr = int(s.integer("StartNr"));
        e.teamNr = int(s.integer("TeamNr"));
        if (seen.contains({e.startNr, e.teamNr}))
            continue;
        seen.insert({e.startNr, e.teamNr});
        e.name = DataLibrary::CalcFullName(s.text("Name"), s.text("Vorname"));
        e.hund = s.text("Hund");
        e.kategorie = s.text("KatBez");
        e.gruppe = s.text("Gruppe");
        e.zusatzspiel = s.boolean("Plays");
        e.values = shownValues({s.real("Punkte"), s.real("Zeit"), s.real("ZusatzspielPunkte"),
                                s.real("ZusatzspielZeit")},
                               s.real("Faktor"));
        entries.append(e);
    }
    return entries;
}

PostSaveOutcome PostResults::save(Database &db, int anlassNr, int postenNr, const PostSave &save)
{
    Transaction transaction(db, Transaction::Lock::Immediate);
    ChangeSource source(db, changeSource(postenNr));
    PostSaveOutcome outcome;
    PostValues before;
    double faktor = 0;
    {
        Statement read(
            db,
            QStringList{
                QStringLiteral("SELECT p.Punkte, p.Zeit, p.ZusatzspielPunkte, p.ZusatzspielZeit,"),
                QStringLiteral("       po.Faktor, ") + PlaysAddGame + QStringLiteral(" AS Plays"),
                QStringLiteral("FROM Parcours p JOIN Team t ON t.TeamNr = p.TeamNr"),
                QStringLiteral("LEFT JOIN Posten po ON po.PostenNr = p.PostenNr"),
                QStringLiteral("WHERE p.AnlassNr = :AnlassNr AND p.PostenNr = :PostenNr"),
                QStringLiteral("  AND p.TeamNr = :TeamNr")});
        read.bind("AnlassNr", anlassNr).bind("PostenNr", postenNr).bind("TeamNr", save.teamNr);
        if (!read.next()) {
            outcome.status = PostSaveOutcome::Status::NoResultRow;
            return outcome;
        }
        faktor = read.real("Faktor");
        before = {read.real("Punkte"), read.real("Zeit"), read.real("ZusatzspielPunkte"),
                  read.real("ZusatzspielZeit")};
        outcome.zusatzspiel = read.boolean("Plays");
    }
    outcome.stored = shownValues(before, faktor);
    const auto refuse = [&outcome](PostSaveOutcome::Status status) {
        outcome.status = status;
        return outcome;
    };

    const bool sendsAddGame = save.values.zusatzPunkte || save.values.zusatzZeit;
    if (sendsAddGame && !outcome.zusatzspiel)
        return refuse(PostSaveOutcome::Status::NoAddGame);
    const PostValues after = storedFor(save.values, before, faktor);
    // A finite number times a large factor can overflow; nothing infinite is ever stored.
    if (!std::isfinite(after.punkte) || !std::isfinite(after.zusatzPunkte))
        return refuse(PostSaveOutcome::Status::OutOfRange);
    // A save that is there already (sent again after its answer was lost) succeeds whatever
    // the judge saw before it.
    if (after == before)
        return refuse(PostSaveOutcome::Status::Unchanged);
    if (save.vorher && storedFor(*save.vorher, before, faktor) != before)
        return refuse(PostSaveOutcome::Status::Conflict);

    Statement update(
        db,
        QStringList{
            QStringLiteral("UPDATE Parcours SET Punkte = :Punkte, Zeit = :Zeit,"),
            QStringLiteral(
                "    ZusatzspielPunkte = :ZusatzspielPunkte, ZusatzspielZeit = :ZusatzspielZeit"),
            QStringLiteral(
                "WHERE AnlassNr = :AnlassNr AND PostenNr = :PostenNr AND TeamNr = :TeamNr")});
    update.bind("Punkte", after.punkte).bind("Zeit", after.zeit);
    update.bind("ZusatzspielPunkte", after.zusatzPunkte).bind("ZusatzspielZeit", after.zusatzZeit);
    update.bind("AnlassNr", anlassNr).bind("PostenNr", postenNr).bind("TeamNr", save.teamNr);
    update.exec();
    transaction.commit();
    outcome.status = PostSaveOutcome::Status::Saved;
    outcome.stored = shownValues(after, faktor);
    return outcome;
}

QString PostResults::changeSource(int postenNr)
{
    return QStringLiteral("Posten %1").arg(postenNr);
}
