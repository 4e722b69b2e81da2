#pragma once

#include <QList>
#include <QString>

#include <optional>

class Database;

// Points and times at one post as the judge counts them: points unweighted, times as they are.
struct PostValues
{
    double punkte = 0;
    double zeit = 0;
    double zusatzPunkte = 0;
    double zusatzZeit = 0;

    bool operator==(const PostValues &) const = default;
};

// One line of a post's list: a team, or a member of a group, with its result at the post.
struct PostEntry
{
    int teamNr = 0;
    int startNr = 0; // the number it is found by: a group's members carry the group's
    QString name;
    QString hund;
    QString kategorie;
    QString gruppe; // the group's name for a member found by the group's number
    bool zusatzspiel = false; // the line has the additional game's cells
    PostValues values;
};

// What a post sends for one team. The additional game's values are left as stored when they
// are not given.
struct PostInput
{
    double punkte = 0;
    double zeit = 0;
    std::optional<double> zusatzPunkte;
    std::optional<double> zusatzZeit;
};

struct PostSave
{
    int teamNr = 0;
    PostInput values;
    // The values the judge saw before typing; when the stored ones differ, someone else
    // changed them meanwhile and the save is refused. Only the fields given are compared.
    std::optional<PostInput> vorher;
};

struct PostSaveOutcome
{
    enum class Status {
        Saved,
        Unchanged, // the values were stored already: nothing written
        NoResultRow, // the team has no result row at this post in the event
        NoAddGame, // additional-game values for a line without the additional game
        Conflict, // vorher differs from what is stored
        OutOfRange, // weighted by the factor, the points are too large for a number
    };
    Status status = Status::Saved;
    bool zusatzspiel = false;
    PostValues stored; // as typed: after the save, or as they are when refused
};

// The results of one post as its judge enters them, on a connection of the caller's. The same
// rules as the result dialog: points weighted by the post's factor, a value sent back as it
// was shown keeps the stored one, only existing result rows are written.
namespace PostResults {

// The lines of the event at the post: every team and group member with a result row there,
// found by its own start number and the members also by their group's. With a start number,
// only its lines. Ordered by start number, a group's members in membership order.
QList<PostEntry> participants(Database &db, int anlassNr, int postenNr,
                              std::optional<int> startNr = std::nullopt);

// Stores one team's result at the post in one transaction, taking the write lock first.
PostSaveOutcome save(Database &db, int anlassNr, int postenNr, const PostSave &save);

// The change log's name for what a post stored.
QString changeSource(int postenNr);

} // namespace PostResults
