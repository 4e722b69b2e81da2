#include "engine/Schema.h"

#include <QRegularExpression>

namespace Schema {

namespace {

Column autoInc(const char *name)
{
    return {QLatin1String(name), ColumnType::AutoIncrement};
}
Column integer(const char *name)
{
    return {QLatin1String(name), ColumnType::Integer};
}
Column smallint(const char *name)
{
    return {QLatin1String(name), ColumnType::SmallInt};
}
Column real(const char *name)
{
    return {QLatin1String(name), ColumnType::Float};
}
Column boolean(const char *name)
{
    return {QLatin1String(name), ColumnType::Boolean};
}
Column string(const char *name, int length)
{
    return {QLatin1String(name), ColumnType::String, length};
}

QStringList names(std::initializer_list<const char *> list)
{
    QStringList result;
    for (const char *n : list)
        result << QLatin1String(n);
    return result;
}

QList<Table> buildTables()
{
    QList<Table> t;
    t.append({QStringLiteral("Team"),
              {autoInc("TeamNr"), smallint("Typ"), integer("StartNr"), string("Name", 50),
               string("Vorname", 25), string("Verein", 50), string("Hund", 25), string("Rasse", 35),
               integer("KatNr"), boolean("Zusatzspiel"), integer("RandomNum")},
              {},
              {{QStringLiteral("Team01"), names({"Name", "Vorname", "TeamNr"})},
               {QStringLiteral("Team02"), names({"KatNr", "Name"})}}});
    t.append({QStringLiteral("Kategorie"), {autoInc("KatNr"), string("KatBez", 20)}, {}, {}});
    t.append({QStringLiteral("Posten"),
              {autoInc("PostenNr"), string("PostenBez", 50), real("Faktor"), boolean("Aktiv")},
              {},
              {}});
    t.append({QStringLiteral("Anlass"),
              {autoInc("AnlassNr"), string("AnlassBez", 50), string("Rangberechnung", 15),
               smallint("PunkteSort"), smallint("ZeitSort"), boolean("AutoRangBerechnung"),
               smallint("RangBerNachTeams"), boolean("Zusatzspiel"), string("ZusatzspielName", 50)},
              {},
              {}});
    t.append({QStringLiteral("TeamsProAnlass"),
              {integer("AnlassNr"), integer("TeamNr"), integer("StartNr"), boolean("Abgeschlossen"),
               boolean("RangBerechnet"), boolean("IsGroup"), integer("GroupNr"),
               boolean("ZusatzAbgeschlossen"), boolean("ZusatzRangBerechnet")},
              names({"AnlassNr", "TeamNr"}),
              {{QStringLiteral("GroupTeam"), names({"AnlassNr", "GroupNr", "TeamNr"})},
               {QStringLiteral("TeamsProAnlassTeam"), names({"TeamNr"})},
               // Serves the next free start number without reading the event's entries.
               {QStringLiteral("AnlassStartNr"), names({"AnlassNr", "StartNr"})}}});
    t.append({QStringLiteral("TeamsProGruppe"),
              {integer("GruppenNr"), integer("TeamNr")},
              names({"GruppenNr", "TeamNr"}),
              {{QStringLiteral("TeamsProGruppeTeam"), names({"TeamNr"})}}});
    t.append({QStringLiteral("Parcours"),
              {integer("AnlassNr"), integer("PostenNr"), integer("TeamNr"), real("Punkte"),
               real("Zeit"), real("ZusatzspielPunkte"), real("ZusatzspielZeit"),
               boolean("SatzVerarbeitet"), boolean("ZusatzspielVerarbeitet")},
              names({"AnlassNr", "PostenNr", "TeamNr"}),
              // Results are read per participant and event far more often than per post.
              {{QStringLiteral("ParcoursTeam"), names({"TeamNr", "AnlassNr"})}}});
    t.append({QStringLiteral("Rang"),
              {smallint("Rang"), integer("TeamNr"), real("Zeit"), real("Punkte"), integer("KatNr")},
              {},
              {{QStringLiteral("Team"), names({"TeamNr"})},
               {QStringLiteral("RangKat"), names({"KatNr", "Rang"})}}});
    return t;
}

Table buildChangeLog()
{
    return {QStringLiteral("Protokoll"),
            {autoInc("Nr"), string("Zeitpunkt", 23), string("Quelle", 50), integer("AnlassNr"),
             integer("TeamNr"), integer("PostenNr"), string("Feld", 30), real("Alt"), real("Neu")},
            {},
            {{QStringLiteral("ProtokollTeam"), names({"AnlassNr", "TeamNr"})}}};
}

QString quoted(const QString &identifier)
{
    QString s = identifier;
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString columnDefinition(const Table &table, const Column &c)
{
    const QString name = quoted(c.name);
    const QString where = table.name + QLatin1Char('.') + c.name;
    switch (c.type) {
    case ColumnType::AutoIncrement:
        return name + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");
    case ColumnType::Integer:
        return name + QStringLiteral(" INTEGER NOT NULL DEFAULT 0 CONSTRAINT ")
            + quoted(QStringLiteral("range:") + where + QStringLiteral(":integer"))
            + QStringLiteral(" CHECK (") + name
            + QStringLiteral(" BETWEEN -2147483648 AND 2147483647)");
    case ColumnType::SmallInt:
        return name + QStringLiteral(" INTEGER NOT NULL DEFAULT 0 CONSTRAINT ")
            + quoted(QStringLiteral("range:") + where + QStringLiteral(":smallint"))
            + QStringLiteral(" CHECK (") + name + QStringLiteral(" BETWEEN -32768 AND 32767)");
    case ColumnType::Float:
        return name + QStringLiteral(" REAL NOT NULL DEFAULT 0");
    case ColumnType::Boolean:
        return name + QStringLiteral(" INTEGER NOT NULL DEFAULT 0 CONSTRAINT ")
            + quoted(QStringLiteral("bool:") + where) + QStringLiteral(" CHECK (") + name
            + QStringLiteral(" IN (0, 1))");
    case ColumnType::String:
        return name + QStringLiteral(" TEXT NOT NULL DEFAULT '' CONSTRAINT ")
            + quoted(QStringLiteral("length:") + where + QLatin1Char(':')
                     + QString::number(c.length))
            + QStringLiteral(" CHECK (length(") + name + QStringLiteral(") <= ")
            + QString::number(c.length) + QLatin1Char(')');
    }
    return {};
}

} // namespace

const Column *Table::column(const QString &columnName) const
{
    for (const Column &c : columns) {
        if (c.name.compare(columnName, Qt::CaseInsensitive) == 0)
            return &c;
    }
    return nullptr;
}

QString Table::schemaName() const
{
    return name == mainTableName() ? QStringLiteral("main") : QStringLiteral("db_") + name;
}

QStringList Table::createStatements() const
{
    const QString schema = quoted(schemaName());
    QStringList parts;
    for (const Column &c : columns)
        parts << columnDefinition(*this, c);
    if (!primaryKey.isEmpty()) {
        QStringList keys;
        for (const QString &k : primaryKey)
            keys << quoted(k);
        parts << QStringLiteral("PRIMARY KEY (") + keys.join(QStringLiteral(", "))
                + QLatin1Char(')');
    }
    QStringList statements;
    statements << QStringLiteral("CREATE TABLE ") + schema + QLatin1Char('.') + quoted(name)
            + QStringLiteral(" (\n  ") + parts.join(QStringLiteral(",\n  "))
            + QStringLiteral("\n) STRICT");
    for (const Index &index : indexes) {
        QStringList cols;
        for (const QString &c : index.columns)
            cols << quoted(c);
        statements << QStringLiteral("CREATE INDEX ") + schema + QLatin1Char('.')
                + quoted(index.name) + QStringLiteral(" ON ") + quoted(name) + QStringLiteral(" (")
                + cols.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    statements << QStringLiteral("PRAGMA ") + schema + QStringLiteral(".application_id = ")
            + QString::number(applicationId);
    statements << QStringLiteral("PRAGMA ") + schema + QStringLiteral(".user_version = ")
            + QString::number(schemaVersion);
    return statements;
}

const QList<Table> &tables()
{
    static const QList<Table> all = buildTables();
    return all;
}

const Table &changeLog()
{
    static const Table log = buildChangeLog();
    return log;
}

const Table *table(const QString &name)
{
    for (const Table &t : tables()) {
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

QString explainConstraint(const QString &sqliteMessage)
{
    static const QRegularExpression pattern(
        QStringLiteral("CHECK constraint failed: (length|range|bool):([A-Za-z]+)\\.([A-Za-z]+)"
                       "(?::([A-Za-z0-9]+))?"));
    const QRegularExpressionMatch m = pattern.match(sqliteMessage);
    if (!m.hasMatch())
        return {};
    const QString kind = m.captured(1);
    const QString column = m.captured(3);
    const QString where = QStringLiteral("„") + column + QStringLiteral("“ (Tabelle ")
        + m.captured(2) + QLatin1Char(')');
    if (kind == QLatin1String("length"))
        return QStringLiteral("Der Text für ") + where
            + QStringLiteral(" ist zu lang: erlaubt sind höchstens ") + m.captured(4)
            + QStringLiteral(" Zeichen.");
    if (kind == QLatin1String("range")) {
        const bool small = m.captured(4) == QLatin1String("smallint");
        return QStringLiteral("Die Zahl für ") + where
            + QStringLiteral(" liegt ausserhalb des erlaubten Bereichs (")
            + (small ? QStringLiteral("-32768 bis 32767")
                     : QStringLiteral("-2147483648 bis 2147483647"))
            + QStringLiteral(").");
    }
    return QStringLiteral("Der Wert für ") + where + QStringLiteral(" muss Ja oder Nein sein.");
}

} // namespace Schema
