#pragma once

#include <QList>

class Database;

// The data version of every file of the connection, whatever the engine attaches: it changes
// when another connection, in this process or another, commits a change to that file, and
// never for the connection's own commits. Reading it takes no write lock.
QList<qint64> dataVersions(Database &db);
