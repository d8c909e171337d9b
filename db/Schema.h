#pragma once
// The tables and indexes of TZ360.db, created in a new (empty) database file.
#include <QSqlDatabase>
#include <QSqlError>
#include <QStringList>

namespace tz {

// The CREATE statements of the six tables and their indexes, each guarded by
// IF NOT EXISTS so that running them on a complete file changes nothing.
QStringList schemaStatements();

// Runs schemaStatements() in one transaction; returns the failing step's
// error, or an invalid QSqlError when all went well.
QSqlError createSchema(QSqlDatabase& db);

}  // namespace tz
