#include "backup/ChangeHistory.h"

#include "data/DataLibrary.h"
#include "engine/ChangeLog.h"
#include "engine/Database.h"
#include "engine/Statement.h"
#include "results/ResultSheet.h"

#include <QDateTime>

namespace ChangeHistory {

namespace {

QString valueText(const QString &column, double value)
{
    if (column == QLatin1String("StartNr"))
        return QString::number(qint64(value));
    for (const ChangeLog::Field &f : ChangeLog::fields()) {
        if (f.column == column && !f.perPost)
            return DataLibrary::YesNoText(value != 0);
    }
    return ResultSheet::formatNumber(value);
}

} // namespace

QList<HistoryLine> read(Database &db, int anlassNr, int teamNr)
{
    QList<HistoryLine> lines;
    if (!db.hasChangeLog())
        return lines;
    Statement s(
        db,
        QStringList{QStringLiteral("SELECT p.Zeitpunkt, p.Quelle, p.TeamNr, t.Name, t.Vorname,"),
                    QStringLiteral("       po.PostenBez, p.PostenNr, p.Feld, p.Alt, p.Neu"),
                    QStringLiteral("FROM Protokoll p"),
                    QStringLiteral("LEFT JOIN Team t ON t.TeamNr = p.TeamNr"),
                    QStringLiteral("LEFT JOIN Posten po ON po.PostenNr = p.PostenNr"),
                    QStringLiteral("WHERE p.AnlassNr = :AnlassNr AND (:TeamNr = 0 OR p.TeamNr = "
                                   ":TeamNr"),
                    QStringLiteral("    OR p.TeamNr IN (SELECT TeamNr FROM TeamsProGruppe WHERE "
                                   "GruppenNr = :TeamNr))"),
                    QStringLiteral("ORDER BY p.Nr")});
    s.bind("AnlassNr", anlassNr).bind("TeamNr", teamNr);
    while (s.next()) {
        HistoryLine line;
        const QDateTime time =
            QDateTime::fromString(s.text(0).left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        line.time =
            time.isValid() ? time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) : s.text(0);
        line.source = s.text(1);
        line.teamNr = int(s.integer(2));
        line.participant = s.value(3).isNull()
            ? QStringLiteral("Team %1").arg(line.teamNr)
            : DataLibrary::CalcFullName(s.text(3), s.text(4)).trimmed();
        if (s.integer(6) != 0)
            line.post =
                s.value(5).isNull() ? QStringLiteral("Posten %1").arg(s.integer(6)) : s.text(5);
        const QString column = s.text(7);
        line.field = ChangeLog::caption(column);
        line.oldValue = valueText(column, s.real(8));
        line.newValue = valueText(column, s.real(9));
        lines << line;
    }
    return lines;
}

} // namespace ChangeHistory
