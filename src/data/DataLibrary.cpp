#include "data/DataLibrary.h"

#include "engine/DatabaseError.h"
#include "engine/Statement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

EventRow eventFrom(const Statement &s)
{
    EventRow r;
    r.AnlassNr = int(s.integer("AnlassNr"));
    r.AnlassBez = s.text("AnlassBez");
    r.Rangberechnung = s.text("Rangberechnung");
    r.PunkteSort = int(s.integer("PunkteSort"));
    r.ZeitSort = int(s.integer("ZeitSort"));
    r.AutoRangBerechnung = s.boolean("AutoRangBerechnung");
    r.RangBerNachTeams = int(s.integer("RangBerNachTeams"));
    r.Zusatzspiel = s.boolean("Zusatzspiel");
    r.ZusatzspielName = s.text("ZusatzspielName");
    return r;
}

PostRow postFrom(const Statement &s)
{
    PostRow r;
    r.PostenNr = int(s.integer("PostenNr"));
    r.PostenBez = s.text("PostenBez");
    r.Faktor = s.real("Faktor");
    r.Aktiv = s.boolean("Aktiv");
    return r;
}

} // namespace

TeamRow teamFrom(const Statement &s)
{
    TeamRow r;
    r.TeamNr = int(s.integer("TeamNr"));
    r.Typ = int(s.integer("Typ"));
    r.StartNr = int(s.integer("StartNr"));
    r.Name = s.text("Name");
    r.Vorname = s.text("Vorname");
    r.Verein = s.text("Verein");
    r.Hund = s.text("Hund");
    r.Rasse = s.text("Rasse");
    r.KatNr = int(s.integer("KatNr"));
    r.Zusatzspiel = s.boolean("Zusatzspiel");
    r.RandomNum = int(s.integer("RandomNum"));
    return r;
}

EntryRow entryFrom(const Statement &s)
{
    EntryRow r;
    r.AnlassNr = int(s.integer("AnlassNr"));
    r.TeamNr = int(s.integer("TeamNr"));
    r.StartNr = int(s.integer("StartNr"));
    r.Abgeschlossen = s.boolean("Abgeschlossen");
    r.RangBerechnet = s.boolean("RangBerechnet");
    r.IsGroup = s.boolean("IsGroup");
    r.GroupNr = int(s.integer("GroupNr"));
    r.ZusatzAbgeschlossen = s.boolean("ZusatzAbgeschlossen");
    r.ZusatzRangBerechnet = s.boolean("ZusatzRangBerechnet");
    return r;
}

DataLibrary::DataLibrary()
    : m_dataDirectory(QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                   : QDir::currentPath())
{ }

QString DataLibrary::defaultDatabasePath() const
{
    return QDir(m_dataDirectory).filePath(QStringLiteral("Database"));
}

QString DataLibrary::unusableReason(const QString &path)
{
    if (path.isEmpty())
        return {};
    if (!QFileInfo(path).isDir())
        return QStringLiteral("das Verzeichnis gibt es nicht");
    if (!QFileInfo(QDir(path).filePath(QStringLiteral("Anlass.dat"))).isFile())
        return QStringLiteral("Anlass.dat fehlt");
    return {};
}

QString DataLibrary::ChooseDatabaseDirectory(const QString &path) const
{
    return path.isEmpty() || !unusableReason(path).isEmpty() ? defaultDatabasePath() : path;
}

void DataLibrary::OpenDatabase(const QString &path)
{
    m_db.close();
    m_databaseOpen = false;
    m_lastOpenError.clear();
    const QString directory = ChooseDatabaseDirectory(path);
    try {
        m_db.open(directory);
        m_databaseOpen = true;
    } catch (const DatabaseError &e) {
        m_lastOpenError = e.message();
    }
}

void DataLibrary::CloseDatabase()
{
    m_databaseOpen = false;
    m_db.close();
}

QString DataLibrary::YesNoText(bool b)
{
    return b ? QStringLiteral("Ja") : QStringLiteral("Nein");
}

QString DataLibrary::CalcFullName(const QString &name, const QString &vorname)
{
    return QString(name + QLatin1Char(' ') + vorname).left(75);
}

QString DataLibrary::CalcRangberechnung(const QString &method, int punkteSort, int zeitSort)
{
    const auto dir = [](int code, const char *down, const char *up) {
        return QString::fromUtf8(code == 1 ? down : up);
    };
    if (method == QLatin1String("Nach Punkten"))
        return method + dir(punkteSort, " (absteigend)", " (aufsteigend)");
    if (method == QLatin1String("Nach Zeit"))
        return method + dir(zeitSort, " (absteigend)", " (aufsteigend)");
    if (method == QLatin1String("Punkte/Zeit"))
        return method + dir(punkteSort, " (Punkte ab/", " (Punkte auf/")
            + dir(zeitSort, "Zeit ab)", "Zeit auf)");
    if (method == QLatin1String("Zeit/Punkte"))
        return method + dir(zeitSort, " (Zeit ab/", " (Zeit auf/")
            + dir(punkteSort, "Punkte ab)", "Punkte auf)");
    return method;
}

std::optional<EventRow> DataLibrary::ReadEvent(int anlassNr)
{
    Statement s(m_db, QStringLiteral("SELECT * FROM Anlass WHERE AnlassNr = :AnlassNr"));
    s.bind("AnlassNr", anlassNr);
    if (!s.next())
        return std::nullopt;
    return eventFrom(s);
}

QList<EventRow> DataLibrary::Events()
{
    Statement s(m_db, QStringLiteral("SELECT * FROM Anlass ORDER BY AnlassNr"));
    QList<EventRow> rows;
    while (s.next())
        rows << eventFrom(s);
    return rows;
}

int DataLibrary::LowestEventNr()
{
    Statement s(m_db, QStringLiteral("SELECT min(AnlassNr) FROM Anlass"));
    return s.next() ? int(s.integer(0)) : 0;
}

std::optional<TeamRow> DataLibrary::ReadTeam(int teamNr)
{
    Statement s(m_db, QStringLiteral("SELECT * FROM Team WHERE TeamNr = :TeamNr"));
    s.bind("TeamNr", teamNr);
    if (!s.next())
        return std::nullopt;
    return teamFrom(s);
}

std::optional<EntryRow> DataLibrary::ReadEntry(int anlassNr, int teamNr)
{
    Statement s(m_db,
                QStringLiteral("SELECT * FROM TeamsProAnlass WHERE AnlassNr = :AnlassNr "
                               "AND TeamNr = :TeamNr"));
    s.bind("AnlassNr", anlassNr).bind("TeamNr", teamNr);
    if (!s.next())
        return std::nullopt;
    return entryFrom(s);
}

QList<CategoryRow> DataLibrary::Categories()
{
    Statement s(m_db, QStringLiteral("SELECT KatNr, KatBez FROM Kategorie ORDER BY KatNr"));
    QList<CategoryRow> rows;
    while (s.next())
        rows << CategoryRow{int(s.integer(0)), s.text(1)};
    return rows;
}

QString DataLibrary::CategoryName(int katNr)
{
    Statement s(m_db, QStringLiteral("SELECT KatBez FROM Kategorie WHERE KatNr = :KatNr"));
    s.bind("KatNr", katNr);
    return s.next() ? s.text(0) : QString();
}

QList<PostRow> DataLibrary::Posts()
{
    Statement s(m_db, QStringLiteral("SELECT * FROM Posten ORDER BY PostenNr"));
    QList<PostRow> rows;
    while (s.next())
        rows << postFrom(s);
    return rows;
}

std::optional<PostRow> DataLibrary::ReadPost(int postenNr)
{
    Statement s(m_db, QStringLiteral("SELECT * FROM Posten WHERE PostenNr = :PostenNr"));
    s.bind("PostenNr", postenNr);
    if (!s.next())
        return std::nullopt;
    return postFrom(s);
}

void DataLibrary::SaveEvent(EventRow &row)
{
    const QString fields = QStringLiteral(
        "AnlassBez = :AnlassBez, Rangberechnung = :Rangberechnung, PunkteSort = :PunkteSort, "
        "ZeitSort = :ZeitSort, AutoRangBerechnung = :AutoRangBerechnung, "
        "RangBerNachTeams = :RangBerNachTeams, Zusatzspiel = :Zusatzspiel, "
        "ZusatzspielName = :ZusatzspielName");
    const bool inserting = row.AnlassNr == 0;
    Statement s(m_db,
                inserting
                    ? QStringLiteral("INSERT INTO Anlass (AnlassBez, Rangberechnung, PunkteSort, "
                                     "ZeitSort, AutoRangBerechnung, RangBerNachTeams, Zusatzspiel, "
                                     "ZusatzspielName) VALUES (:AnlassBez, :Rangberechnung, "
                                     ":PunkteSort, :ZeitSort, :AutoRangBerechnung, "
                                     ":RangBerNachTeams, :Zusatzspiel, :ZusatzspielName)")
                    : QStringLiteral("UPDATE Anlass SET ") + fields
                        + QStringLiteral(" WHERE AnlassNr = :AnlassNr"));
    s.bind("AnlassBez", row.AnlassBez)
        .bind("Rangberechnung", row.Rangberechnung)
        .bind("PunkteSort", row.PunkteSort)
        .bind("ZeitSort", row.ZeitSort)
        .bind("AutoRangBerechnung", row.AutoRangBerechnung)
        .bind("RangBerNachTeams", row.RangBerNachTeams)
        .bind("Zusatzspiel", row.Zusatzspiel)
        .bind("ZusatzspielName", row.ZusatzspielName);
    if (!inserting)
        s.bind("AnlassNr", row.AnlassNr);
    s.exec();
    if (inserting)
        row.AnlassNr = int(m_db.lastInsertId());
}

void DataLibrary::SaveTeam(TeamRow &row)
{
    const bool inserting = row.TeamNr == 0;
    Statement s(
        m_db,
        inserting ? QStringLiteral("INSERT INTO Team (Typ, StartNr, Name, Vorname, Verein, Hund, "
                                   "Rasse, KatNr, Zusatzspiel, RandomNum) VALUES (:Typ, "
                                   ":StartNr, :Name, :Vorname, :Verein, :Hund, :Rasse, :KatNr, "
                                   ":Zusatzspiel, :RandomNum)")
                  : QStringLiteral("UPDATE Team SET Typ = :Typ, StartNr = :StartNr, Name = :Name, "
                                   "Vorname = :Vorname, Verein = :Verein, Hund = :Hund, Rasse = "
                                   ":Rasse, KatNr = :KatNr, Zusatzspiel = :Zusatzspiel, "
                                   "RandomNum = :RandomNum WHERE TeamNr = :TeamNr"));
    s.bind("Typ", row.Typ)
        .bind("StartNr", row.StartNr)
        .bind("Name", row.Name)
        .bind("Vorname", row.Vorname)
        .bind("Verein", row.Verein)
        .bind("Hund", row.Hund)
        .bind("Rasse", row.Rasse)
        .bind("KatNr", row.KatNr)
        .bind("Zusatzspiel", row.Zusatzspiel)
        .bind("RandomNum", row.RandomNum);
    if (!inserting)
        s.bind("TeamNr", row.TeamNr);
    s.exec();
    if (inserting)
        row.TeamNr = int(m_db.lastInsertId());
}

void DataLibrary::SaveCategory(CategoryRow &row)
{
    const bool inserting = row.KatNr == 0;
    Statement s(m_db,
                inserting ? QStringLiteral("INSERT INTO Kategorie (KatBez) VALUES (:KatBez)")
                          : QStringLiteral("UPDATE Kategorie SET KatBez = :KatBez WHERE "
                                           "KatNr = :KatNr"));
    s.bind("KatBez", row.KatBez);
    if (!inserting)
        s.bind("KatNr", row.KatNr);
    s.exec();
    if (inserting)
        row.KatNr = int(m_db.lastInsertId());
}

void DataLibrary::SavePost(PostRow &row)
{
    const bool inserting = row.PostenNr == 0;
    Statement s(m_db,
                inserting
                    ? QStringLiteral("INSERT INTO Posten (PostenBez, Faktor, Aktiv) VALUES "
                                     "(:PostenBez, :Faktor, :Aktiv)")
                    : QStringLiteral("UPDATE Posten SET PostenBez = :PostenBez, Faktor = :Faktor, "
                                     "Aktiv = :Aktiv WHERE PostenNr = :PostenNr"));
    s.bind("PostenBez", row.PostenBez).bind("Faktor", row.Faktor).bind("Aktiv", row.Aktiv);
    if (!inserting)
        s.bind("PostenNr", row.PostenNr);
    s.exec();
    if (inserting)
        row.PostenNr = int(m_db.lastInsertId());
}

void DataLibrary::SaveEntry(const EntryRow &row)
{
    Statement s(
        m_db,
        QStringLiteral("INSERT OR REPLACE INTO TeamsProAnlass (AnlassNr, TeamNr, StartNr, "
                       "Abgeschlossen, RangBerechnet, IsGroup, GroupNr, ZusatzAbgeschlossen, "
                       "ZusatzRangBerechnet) VALUES (:AnlassNr, :TeamNr, :StartNr, "
                       ":Abgeschlossen, :RangBerechnet, :IsGroup, :GroupNr, "
                       ":ZusatzAbgeschlossen, :ZusatzRangBerechnet)"));
    s.bind("AnlassNr", row.AnlassNr)
        .bind("TeamNr", row.TeamNr)
        .bind("StartNr", row.StartNr)
        .bind("Abgeschlossen", row.Abgeschlossen)
        .bind("RangBerechnet", row.RangBerechnet)
        .bind("IsGroup", row.IsGroup)
        .bind("GroupNr", row.GroupNr)
        .bind("ZusatzAbgeschlossen", row.ZusatzAbgeschlossen)
        .bind("ZusatzRangBerechnet", row.ZusatzRangBerechnet);
    s.exec();
}

QList<ParticipantRow> DataLibrary::ParticipantList(int anlassNr, int teamNr)
{
    // One participant's row comes from the same statement with every part restricted to it,
    // so that updating that row shows exactly what a full refresh would.
    const auto only = [teamNr](const char *column) {
        return teamNr > 0
            ? QStringLiteral(" AND ") + QLatin1String(column) + QStringLiteral(" = :TeamNr")
            : QString();
    };
    // One statement for the whole list: per-row total queries cost a full scan each on a
    // large event. A group's totals are those of its members' rows in this event.
    Statement s(
        m_db,
        QStringList{
            QStringLiteral("SELECT e.AnlassNr, e.TeamNr, t.TeamNr AS TeamNr_1, t.Typ, e.StartNr,"),
            QStringLiteral("       t.Name, t.Vorname, t.Hund, t.Verein, t.Rasse, e.RangBerechnet,"),
            QStringLiteral("       t.KatNr, k.KatBez, t.Zusatzspiel, e.Abgeschlossen,"),
            QStringLiteral(
                "       e.ZusatzAbgeschlossen, e.ZusatzRangBerechnet, e.GroupNr, e.IsGroup,"),
            QStringLiteral(
                "       coalesce(own.P, grp.P, 0) AS P, coalesce(own.Z, grp.Z, 0) AS Z,"),
            QStringLiteral(
                "       coalesce(own.ZP, grp.ZP, 0) AS ZP, coalesce(own.ZZ, grp.ZZ, 0) AS ZZ,"),
            QStringLiteral("       coalesce(mem.AnyAdd, 0) AS AnyAdd"),
            QStringLiteral("FROM TeamsProAnlass e"),
            QStringLiteral("JOIN Team t ON t.TeamNr = e.TeamNr"),
            QStringLiteral("LEFT JOIN Kategorie k ON k.KatNr = t.KatNr"),
            QStringLiteral("LEFT JOIN (SELECT TeamNr, sum(Punkte) AS P, sum(Zeit) AS Z,"),
            QStringLiteral(
                "                  sum(ZusatzspielPunkte) AS ZP, sum(ZusatzspielZeit) AS ZZ"),
            QStringLiteral("           FROM Parcours WHERE AnlassNr = :AnlassNr") + only("TeamNr")
                + QStringLiteral(" GROUP BY TeamNr) own"),
            QStringLiteral("       ON own.TeamNr = e.TeamNr AND e.IsGroup = 0"),
            QStringLiteral("LEFT JOIN (SELECT g.GruppenNr, sum(p.Punkte) AS P, sum(p.Zeit) AS Z,"),
            QStringLiteral(
                "                  sum(p.ZusatzspielPunkte) AS ZP, sum(p.ZusatzspielZeit) AS ZZ"),
            QStringLiteral("           FROM TeamsProGruppe g"),
            // For one group its members come first: the event's results are many more.
            (teamNr > 0 ? QStringLiteral("           CROSS JOIN")
                        : QStringLiteral("           JOIN"))
                + QStringLiteral(" Parcours p ON p.TeamNr = g.TeamNr AND p.AnlassNr = :AnlassNr")
                + only("g.GruppenNr"),
            QStringLiteral("           GROUP BY g.GruppenNr) grp"),
            QStringLiteral("       ON grp.GruppenNr = e.TeamNr AND e.IsGroup <> 0"),
            QStringLiteral("LEFT JOIN (SELECT m.GroupNr, max(mt.Zusatzspiel) AS AnyAdd"),
            QStringLiteral("           FROM TeamsProAnlass m JOIN Team mt ON mt.TeamNr = m.TeamNr"),
            QStringLiteral("           WHERE m.AnlassNr = :AnlassNr AND m.GroupNr <> 0")
                + only("m.GroupNr"),
            QStringLiteral("           GROUP BY m.GroupNr) mem ON mem.GroupNr = e.TeamNr"),
            QStringLiteral("WHERE e.AnlassNr = :AnlassNr AND e.GroupNr = 0") + only("e.TeamNr"),
            QStringLiteral("ORDER BY e.StartNr, e.TeamNr")});
    if (teamNr > 0)
        s.bind("TeamNr", teamNr);
    s.bind("AnlassNr", anlassNr);
    QList<ParticipantRow> rows;
    while (s.next()) {
        ParticipantRow r;
        r.AnlassNr = int(s.integer("AnlassNr"));
        r.TeamNr = int(s.integer("TeamNr"));
        r.TeamNr_1 = int(s.integer("TeamNr_1"));
        r.CalcTyp = int(s.integer("Typ"));
        r.StartNr = int(s.integer("StartNr"));
        r.Name = s.text("Name");
        r.Vorname = s.text("Vorname");
        r.CalcFullName = CalcFullName(r.Name, r.Vorname).left(60);
        r.Hund = s.text("Hund");
        r.Verein = s.text("Verein");
        r.Rasse = s.text("Rasse");
        r.RangBerechnet = s.boolean("RangBerechnet");
        r.KatNr = int(s.integer("KatNr"));
        r.CalcKategorie = s.text("KatBez");
        r.Zusatzspiel = s.boolean("Zusatzspiel");
        r.Abgeschlossen = s.boolean("Abgeschlossen");
        r.ZusatzAbgeschlossen = s.boolean("ZusatzAbgeschlossen");
        r.ZusatzRangBerechnet = s.boolean("ZusatzRangBerechnet");
        r.GroupNr = int(s.integer("GroupNr"));
        r.IsGroup = s.boolean("IsGroup");
        r.CalcAbgeschlossen = YesNoText(r.Abgeschlossen);
        r.CalcGedruckt = YesNoText(r.RangBerechnet);
        r.CalcZusatz = YesNoText(r.Zusatzspiel || s.boolean("AnyAdd"));
        r.CalcZusatzAbgeschlossen = YesNoText(r.ZusatzAbgeschlossen);
        r.CalcZusatzGedruckt = YesNoText(r.ZusatzRangBerechnet);
        r.CalcSumOfPoints = s.real("P");
        r.CalcSumOfTime = s.real("Z");
        r.CalcSumOfPointsAdd = s.real("ZP");
        r.CalcSumOfTimeAdd = s.real("ZZ");
        rows << r;
    }
    return rows;
}

int DataLibrary::NumberOfTeams(int anlassNr, int katNr, bool additionalGame)
{
    Statement s(
        m_db,
        QStringList{QStringLiteral("SELECT ( count( TeamsProAnlass.AnlassNr ) )  as NumberOfTeams"),
                    QStringLiteral("FROM TeamsProAnlass, Team"),
                    QStringLiteral("WHERE TeamsProAnlass.TeamNr = Team.TeamNr "),
                    QStringLiteral("and TeamsProAnlass.AnlassNr = :AnlassNr "),
                    QStringLiteral("and Team.KatNr = :KatNr"),
                    additionalGame ? QStringLiteral("and ZusatzAbgeschlossen = True")
                                   : QStringLiteral("and Abgeschlossen = True"),
                    additionalGame ? QStringLiteral("and ZusatzRangBerechnet = False")
                                   : QStringLiteral("and RangBerechnet = False")});
    s.bind("AnlassNr", anlassNr).bind("KatNr", katNr);
    return s.next() ? int(s.integer("NumberOfTeams")) : 0;
}

QHash<int, int> DataLibrary::NumberOfTeamsPerCategory(int anlassNr, bool additionalGame)
{
    // One pass over the event's entries: a count per category would read them all each time.
    Statement s(m_db,
                QStringList{QStringLiteral("SELECT Team.KatNr, count(*) FROM TeamsProAnlass, Team"),
                            QStringLiteral("WHERE TeamsProAnlass.TeamNr = Team.TeamNr"),
                            QStringLiteral("and TeamsProAnlass.AnlassNr = :AnlassNr"),
                            additionalGame ? QStringLiteral("and ZusatzAbgeschlossen = True")
                                           : QStringLiteral("and Abgeschlossen = True"),
                            additionalGame ? QStringLiteral("and ZusatzRangBerechnet = False")
                                           : QStringLiteral("and RangBerechnet = False"),
                            QStringLiteral("GROUP BY Team.KatNr")});
    s.bind("AnlassNr", anlassNr);
    QHash<int, int> counts;
    while (s.next())
        counts.insert(int(s.integer(0)), int(s.integer(1)));
    return counts;
}

double DataLibrary::Total(const char *column, int teamNr, bool isGroup)
{
    const QString sum = QStringLiteral("sum(p.") + QLatin1String(column) + QLatin1Char(')');
    if (!isGroup) {
        Statement s(m_db,
                    QStringLiteral("SELECT ") + sum
                        + QStringLiteral(" AS Summe FROM Parcours p WHERE p.AnlassNr = "
                                         ":AnlassNr AND p.TeamNr = :TeamNr"));
        s.bind("AnlassNr", CurrentAnlassNr).bind("TeamNr", teamNr);
        return s.next() ? s.real("Summe") : 0.0;
    }
    Statement s(m_db,
                QStringLiteral("SELECT ") + sum
                    + QStringLiteral(" AS Summe FROM TeamsProGruppe g JOIN Parcours p ON "
                                     "p.TeamNr = g.TeamNr AND p.AnlassNr = :AnlassNr "
                                     "WHERE g.GruppenNr = :TeamNr"));
    s.bind("AnlassNr", CurrentAnlassNr).bind("TeamNr", teamNr);
    return s.next() ? s.real("Summe") : 0.0;
}

double DataLibrary::TotalPoints(int teamNr, bool isGroup, bool additionalGame)
{
    return Total(additionalGame ? "ZusatzspielPunkte" : "Punkte", teamNr, isGroup);
}

double DataLibrary::TotalTime(int teamNr, bool isGroup, bool additionalGame)
{
    return Total(additionalGame ? "ZusatzspielZeit" : "Zeit", teamNr, isGroup);
}

bool DataLibrary::AnyMemberPlaysAddGame(int groupNr)
{
    Statement s(
        m_db,
        QStringList{
            QStringLiteral("SELECT 1 FROM TeamsProAnlass e JOIN Team t ON t.TeamNr = e.TeamNr"),
            QStringLiteral("WHERE e.AnlassNr = :AnlassNr and e.GroupNr = :xGroupNr"),
            QStringLiteral("  and t.Zusatzspiel <> 0 LIMIT 1")});
    s.bind("AnlassNr", CurrentAnlassNr).bind("xGroupNr", groupNr);
    return s.next();
}

bool DataLibrary::IsTeamInUse(int teamNr, QString &description)
{
    description.clear();
    // An entry counts like result rows: deleting an entered team would leave entries and
    // results behind that point at nothing.
    Statement events(
        m_db,
        QStringList{QStringLiteral("SELECT min(AnlassNr) AS AnlassNr FROM ("),
                    QStringLiteral("  SELECT AnlassNr FROM Parcours WHERE TeamNr = :xTeamNr"),
                    QStringLiteral(
                        "  UNION SELECT AnlassNr FROM TeamsProAnlass WHERE TeamNr = :xTeamNr)")});
    events.bind("xTeamNr", teamNr);
    bool inUse = false;
    if (events.next() && !events.value("AnlassNr").isNull()) {
        inUse = true;
        description = EventNameOf(int(events.integer("AnlassNr")));
    }
    Statement groups(m_db,
                     QStringLiteral("SELECT min(GruppenNr) AS GruppenNr FROM TeamsProGruppe "
                                    "WHERE TeamNr = :xTeamNr"));
    groups.bind("xTeamNr", teamNr);
    if (groups.next() && !groups.value("GruppenNr").isNull()) {
        inUse = true;
        if (!description.isEmpty())
            description += QStringLiteral(", ");
        description += TeamNameOf(int(groups.integer("GruppenNr")));
    }
    if (!description.isEmpty())
        description = QLatin1Char('[') + description + QLatin1Char(']');
    return inUse;
}

QString DataLibrary::EventNameOf(int anlassNr)
{
    Statement s(m_db,
                QStringLiteral("SELECT AnlassNr, AnlassBez FROM Anlass WHERE AnlassNr = "
                               ":xAnlassNr ORDER BY AnlassNr"));
    s.bind("xAnlassNr", anlassNr);
    return s.next() ? s.text("AnlassBez") : QString();
}

QString DataLibrary::TeamNameOf(int teamNr)
{
    Statement s(m_db,
                QStringLiteral("SELECT TeamNr, Name FROM Team WHERE TeamNr = :xTeamNr ORDER "
                               "BY TeamNr"));
    s.bind("xTeamNr", teamNr);
    return s.next() ? s.text("Name") : QString();
}

int DataLibrary::NextStartNr()
{
    Statement s(m_db,
                QStringLiteral("SELECT max(StartNr) AS StartNr FROM TeamsProAnlass WHERE "
                               "AnlassNr = :AnlassNr"));
    s.bind("AnlassNr", CurrentAnlassNr);
    return (s.next() ? int(s.integer("StartNr")) : 0) + 1;
}
