#pragma once
// The tables and indexes of TZ360.db, created in a new (empty) database file.
#include <QSqlDatabase>
#include <QStringList>

namespace tz {

// The CREATE statements of the six tables and their indexes, each guarded by
// IF NOT EXISTS so that running them on a complete file changes nothing.
QStringList schemaStatements();

// Runs schemaStatements() in one transaction; false with the failing
// statement's error in *error.
bool createSchema(QSqlDatabase& db, QString* error);

}  // namespace tz
