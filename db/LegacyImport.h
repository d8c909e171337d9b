#pragma once
// Bringing a lab's history over from the old workstation's Jet database:
// every sequence and test of the six tables, read through a
// LegacyTableSource, stored in this workstation's database under its own ids.
#include "db/DatabaseCopy.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class clsConnection;

namespace tz {

// One field of a legacy table's row: its text as stored, or NULL.
struct LegacyField {
    QString text;
    bool isNull = false;
};
using LegacyRecord = QList<LegacyField>;

// Where the legacy tables are read from. Failures throw tz::DbError with a
// text for the operator.
class LegacyTableSource {
public:
    virtual ~LegacyTableSource() = default;
    virtual QString description() const = 0;
    // The names of the user tables the file holds.
    virtual QStringList tables() = 0;
    // Streams one table: onRecord gets the column names first, then each row
    // in the file's order; nothing is kept once onRecord returns.
    virtual void readTable(const QString& table, const std::function<void(const LegacyRecord&)>& onRecord) = 0;
};

// Throws tz::DbError naming every one of the six tables source lacks.
void requireLegacyTables(LegacyTableSource& source);

// Copies everything in source into target in one transaction of the target,
// with copy-db's clash rules. A missing table or column, a malformed row or
// a value that does not fit is a tz::DbError naming it, with nothing written.
// Child rows whose parent is not in the file (a deleted sequence's steps)
// are skipped and counted in a line of their own.
CopyResult importLegacy(LegacyTableSource& source, clsConnection& target, bool renameClashes);

}  // namespace tz
