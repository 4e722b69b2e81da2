#include "engine/DataVersions.h"

#include "engine/Database.h"
#include "engine/Statement.h"

#include <QStringList>

QList<qint64> dataVersions(Database &db)
{
    QStringList schemas;
    {
        Statement list(db, QStringLiteral("PRAGMA database_list"));
        while (list.next()) {
            if (!list.text("file").isEmpty())
                schemas << list.text("name");
        }
    }
    QList<qint64> versions;
    for (QString schema : schemas) {
        schema.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        Statement s(db, QStringLiteral("PRAGMA \"%1\".data_version").arg(schema));
        versions << (s.next() ? s.integer(0) : 0);
    }
    return versions;
}
