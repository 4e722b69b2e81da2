#include "support/TestDatabase.h"

#include "engine/Statement.h"

#include <QDir>
#include <QTest>

TestDatabase::TestDatabase()
{
    Database::setDurable(false);
    QDir(m_dir.path()).mkdir(QStringLiteral("Database"));
    Database::createTables(databaseDir());
    data.setDataDirectory(m_dir.path());
    data.OpenDatabase(databaseDir());
    if (!data.databaseOpen())
        qFatal("test database: %s", qPrintable(data.lastOpenError()));
    competition = std::make_unique<Competition>(data, ui);
    competition->databasePath = databaseDir();
}

QString TestDatabase::databaseDir() const
{
    return QDir(m_dir.path()).filePath(QStringLiteral("Database"));
}

int TestDatabase::addCategory(const QString &name)
{
    CategoryRow row{0, name};
    data.SaveCategory(row);
    return row.KatNr;
}

int TestDatabase::addPost(const QString &name, double factor, bool active)
{
    PostRow row{0, name, factor, active};
    data.SavePost(row);
    return row.PostenNr;
}

int TestDatabase::addEvent(const QString &name, const QString &method, int punkteSort, int zeitSort,
                           bool autoRank, int threshold, bool addGame, const QString &addGameName)
{
    EventRow row;
    row.AnlassBez = name;
    row.Rangberechnung = method;
    row.PunkteSort = punkteSort;
    row.ZeitSort = zeitSort;
    row.AutoRangBerechnung = autoRank;
    row.RangBerNachTeams = threshold;
    row.Zusatzspiel = addGame;
    row.ZusatzspielName = addGameName;
    data.SaveEvent(row);
    return row.AnlassNr;
}

int TestDatabase::addTeam(const QString &name, const QString &vorname, int katNr, bool addGame,
                          int startNr, const QString &hund)
{
    TeamRow row;
    row.Typ = 1;
    row.Name = name;
    row.Vorname = vorname;
    row.Hund = hund;
    row.Rasse = QStringLiteral("Mischling");
    row.Verein = QStringLiteral("HC Test");
    row.KatNr = katNr;
    row.Zusatzspiel = addGame;
    row.StartNr = startNr;
    data.SaveTeam(row);
    return row.TeamNr;
}

int TestDatabase::addGroup(const QString &name, int katNr, bool addGame, int startNr)
{
    TeamRow row;
    row.Typ = 2;
    row.Name = name;
    row.KatNr = katNr;
    row.Zusatzspiel = addGame;
    row.StartNr = startNr;
    data.SaveTeam(row);
    return row.TeamNr;
}

void TestDatabase::addMember(int groupNr, int teamNr)
{
    Statement s(db(),
                QStringLiteral("INSERT INTO TeamsProGruppe (GruppenNr, TeamNr) VALUES (:g, :t)"));
    s.bind("g", groupNr).bind("t", teamNr);
    s.exec();
}

void TestDatabase::addEntry(int anlassNr, int teamNr, int startNr, bool isGroup, int groupNr,
                            bool finished, bool addGameFinished)
{
    EntryRow row;
    row.AnlassNr = anlassNr;
    row.TeamNr = teamNr;
    row.StartNr = startNr;
    row.IsGroup = isGroup;
    row.GroupNr = groupNr;
    row.Abgeschlossen = finished;
    row.ZusatzAbgeschlossen = addGameFinished;
    data.SaveEntry(row);
}

void TestDatabase::addResult(int anlassNr, int postenNr, int teamNr, double punkte, double zeit,
                             double zPunkte, double zZeit)
{
    Statement s(db(),
                QStringLiteral("INSERT OR REPLACE INTO Parcours (AnlassNr, PostenNr, TeamNr, "
                               "Punkte, Zeit, ZusatzspielPunkte, ZusatzspielZeit) VALUES "
                               "(:a, :p, :t, :pu, :z, :zp, :zz)"));
    s.bind("a", anlassNr).bind("p", postenNr).bind("t", teamNr).bind("pu", punkte).bind("z", zeit);
    s.bind("zp", zPunkte).bind("zz", zZeit);
    s.exec();
}

qint64 TestDatabase::count(const QString &sql)
{
    Statement s(db(), sql);
    return s.next() ? s.integer(0) : 0;
}

void TestDatabase::open(int anlassNr)
{
    competition->OpenEvent(anlassNr);
}
