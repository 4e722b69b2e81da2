#include "engine/ChangeLog.h"

#include "engine/Database.h"
#include "engine/Schema.h"

#include <QDateTime>

#include <cstdio>
#include <sqlite3.h>
#include <utility>

namespace ChangeLog {

namespace {

void sourceFunction(sqlite3_context *context, int, sqlite3_value **)
{
    const auto *db = static_cast<const Database *>(sqlite3_user_data(context));
    const QByteArray &source = db->changeSourceUtf8();
    sqlite3_result_text(context, source.constData(), int(source.size()), SQLITE_TRANSIENT);
}

// The local time to the millisecond. The engine's own 'localtime' converts for every row,
// which makes a statement over thousands of rows several times slower; the date and time
// of the current second are converted once.
void momentFunction(sqlite3_context *context, int, sqlite3_value **)
{
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    static qint64 second = -1;
    static QByteArray prefix;
    if (ms / 1000 != second) {
        second = ms / 1000;
        prefix = QDateTime::fromSecsSinceEpoch(second)
                     .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                     .toLatin1();
    }
    char moment[32];
    const int n =
        std::snprintf(moment, sizeof moment, "%s.%03d", prefix.constData(), int(ms % 1000));
    sqlite3_result_text(context, moment, n, SQLITE_TRANSIENT);
}

QString insertLine(const Field &f, const QString &oldValue)
{
    return QStringLiteral("INSERT INTO Protokoll (Zeitpunkt, Quelle, AnlassNr, TeamNr, PostenNr, "
                          "Feld, Alt, Neu) VALUES (velunda_moment(), velunda_source(), "
                          "NEW.AnlassNr, NEW.TeamNr, ")
        + (f.perPost ? QStringLiteral("NEW.PostenNr") : QStringLiteral("0")) + QStringLiteral(", '")
        + f.column + QStringLiteral("', ") + oldValue + QStringLiteral(", NEW.\"") + f.column
        + QStringLiteral("\");");
}

} // namespace

const QList<Field> &fields()
{
    static const QList<Field> all = {
        {QStringLiteral("Parcours"), QStringLiteral("Punkte"), QStringLiteral("Punkte"), true},
        {QStringLiteral("Parcours"), QStringLiteral("Zeit"), QStringLiteral("Zeit"), true},
        {QStringLiteral("Parcours"), QStringLiteral("ZusatzspielPunkte"),
         QStringLiteral("Z-Punkte"), true},
        {QStringLiteral("Parcours"), QStringLiteral("ZusatzspielZeit"), QStringLiteral("Z-Zeit"),
         true},
        {QStringLiteral("TeamsProAnlass"), QStringLiteral("StartNr"), QStringLiteral("Startnummer"),
         false},
        {QStringLiteral("TeamsProAnlass"), QStringLiteral("Abgeschlossen"),
         QStringLiteral("Fertig"), false},
        {QStringLiteral("TeamsProAnlass"), QStringLiteral("ZusatzAbgeschlossen"),
         QStringLiteral("Z-Fertig"), false},
        {QStringLiteral("TeamsProAnlass"), QStringLiteral("RangBerechnet"),
         QStringLiteral("Gedruckt"), false},
        {QStringLiteral("TeamsProAnlass"), QStringLiteral("ZusatzRangBerechnet"),
         QStringLiteral("Z-Gedruckt"), false},
    };
    return all;
}

QString caption(const QString &column)
{
    for (const Field &f : fields()) {
        if (f.column == column)
            return f.caption;
    }
    return column;
}

void install(Database &db)
{
    using Function = void (*)(sqlite3_context *, int, sqlite3_value **);
    const std::pair<const char *, Function> functions[] = {{"velunda_source", sourceFunction},
                                                           {"velunda_moment", momentFunction}};
    for (const auto &[name, function] : functions) {
        const int rc = sqlite3_create_function_v2(db.handle(), name, 0, SQLITE_UTF8, &db, function,
                                                  nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            db.raise(rc);
    }
    QString sql;
    for (const Field &f : fields()) {
        const QString schema = Schema::table(f.table)->schemaName();
        sql += QStringLiteral("CREATE TEMP TRIGGER \"velunda_log_%1\" AFTER UPDATE OF \"%1\" ON "
                              "\"%2\".\"%3\" WHEN OLD.\"%1\" IS NOT NEW.\"%1\" BEGIN ")
                   .arg(f.column, schema, f.table)
            + insertLine(f, QStringLiteral("OLD.\"") + f.column + QLatin1Char('"'))
            + QStringLiteral(" END;\n");
    }
    // A new entry's start number is the first in its history.
    const Field &startNr = fields().at(4);
    sql += QStringLiteral("CREATE TEMP TRIGGER \"velunda_log_new_StartNr\" AFTER INSERT ON "
                          "\"%1\".\"TeamsProAnlass\" WHEN NEW.StartNr <> 0 BEGIN ")
               .arg(Schema::table(startNr.table)->schemaName())
        + insertLine(startNr, QStringLiteral("0")) + QStringLiteral(" END;\n");
    db.exec(sql);
}

} // namespace ChangeLog

ChangeSource::ChangeSource(Database &db, const QString &source)
    : m_db(db), m_previous(db.changeSource())
{
    if (m_previous == ChangeLog::Unnamed)
        m_db.setChangeSource(source);
}

ChangeSource::~ChangeSource()
{
    m_db.setChangeSource(m_previous);
}
