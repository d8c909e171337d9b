#pragma once
// The two database engines the workstation runs on, and the few places where
// one SQL text does not mean the same on both. Every statement of the record
// classes (and any other statement a caller sends through the connection)
// passes through adaptSql, so that it behaves on the lab server exactly as it
// does on the embedded file.
#include <QString>

namespace tz {

enum class Backend { Sqlite, Postgres };

// On PostgreSQL:
// - LIKE compares without regard to letter case (ILIKE), as it does on the
//   embedded file and as the test search has always matched;
// - a descending order puts empty (NULL) values last, as the embedded file
//   does, so a test without a start time does not head the newest-first list.
// Text inside quotes is never changed. On SQLite the text is returned as is.
QString adaptSql(const QString& sql, Backend backend);

// The insert with the clause that returns the new key on PostgreSQL; on
// SQLite the insert itself reports it.
QString insertReturningKey(const QString& insertSql, const QString& keyColumn, Backend backend);

}  // namespace tz
