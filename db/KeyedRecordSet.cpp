#include "db/KeyedRecordSet.h"

namespace tz {

KeyedRecordSet::KeyedRecordSet(const char* className, QStringList columns, Statements statements)
    : RecordSet(className, std::move(columns)), m_sql(statements)
{
}

const QSqlQuery& KeyedRecordSet::lastSelect() const
{
    static const QSqlQuery none;
    return m_select ? *m_select : none;
}

void KeyedRecordSet::connectAndSelect(clsConnection& connection, const QVariant& ownerKey)
{
    bindConnection(connection, [this] {
        m_select = prepare(m_sql.select);
        m_insert = prepareInsert(m_sql.insert);
        m_delete = prepare(m_sql.remove);
    });
    query(*m_select, m_sql.selectParams, {ownerKey});
}

void KeyedRecordSet::selectAndLoadFirst(const char* operation, const QVariant& ownerKey)
{
    requireConnection(operation);
    query(*m_select, m_sql.selectParams, {ownerKey});
    loadFirstOrDefaults();
}

void KeyedRecordSet::insertRow(const QVariantList& values)
{
    requireConnection("AddNew");
    executeInsert(*m_insert, m_sql.insertParams, values);
}

void KeyedRecordSet::deleteRows(const QVariant& ownerKey)
{
    requireConnection("Delete");
    execute(*m_delete, m_sql.removeParams, {ownerKey});
}

}  // namespace tz
