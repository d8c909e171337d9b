#pragma once
// The tables and indexes of the workstation's database, created on first use
// in a new file or an empty server database.
#include "db/SqlDialect.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QStringList>

namespace tz {

// The CREATE statements of the six tables and their indexes for that engine,
// each guarded by IF NOT EXISTS so that running them on a complete database
// changes nothing. Same tables, columns, keys and indexes on both.
QStringList schemaStatements(Backend backend);

// The names of the six tables and six indexes, upper case.
QStringList schemaObjectNames();

// The names (upper case) of the tables and indexes present in the database.
QSqlError presentSchemaObjects(QSqlDatabase& db, Backend backend, QStringList& present);

// Runs schemaStatements() in one transaction; returns the failing step's
// error, or an invalid QSqlError when all went well.
QSqlError createSchema(QSqlDatabase& db, Backend backend);

}  // namespace tz
