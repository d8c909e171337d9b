#pragma once
// The child tables (points, additives, steps, ramp rows) share one shape: a
// select of every row of an owner key, an insert of one row, and a delete of
// every row of the owner key. This holds those three prepared statements.
#include "db/RecordSet.h"

#include <optional>

namespace tz {

class KeyedRecordSet : public RecordSet {
public:
    struct Statements {
        const char* select;
        ParamNames selectParams;
        const char* insert;
        ParamNames insertParams;
        const char* remove;
        ParamNames removeParams;
    };

    // The last select, already read to its end (an inactive query before ConnectX).
    const QSqlQuery& lastSelect() const;

protected:
    KeyedRecordSet(const char* className, QStringList columns, Statements statements);

    // ConnectX: binds, prepares the three statements, selects the owner's rows.
    void connectAndSelect(clsConnection& connection, const QVariant& ownerKey);
    // GetTestDetail/GetSeqDetail: selects again and loads row 0 (or defaults).
    void selectAndLoadFirst(const char* operation, const QVariant& ownerKey);
    void insertRow(const QVariantList& values);
    void deleteRows(const QVariant& ownerKey);

private:
    Statements m_sql;
    std::optional<QSqlQuery> m_select, m_insert, m_delete;
};

}  // namespace tz
