#include "db/DatabaseCopy.h"

#include "db/DbError.h"
#include "db/SqlDialect.h"
#include "db/Transaction.h"
#include "db/clsConnection.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <vector>

namespace tz {
namespace {

constexpr int kNameLength = 40;
// Points travel in multi-row inserts: a round trip to the lab server per
// point would make a week-long test's copy take minutes. 50 rows of a
// TEST_RESULT row's columns stay well inside the embedded engine's limit of
// 999 bound values per statement.
constexpr int kRowsPerInsert = 50;

using Row = CopyRow;

QSqlQuery runSelect(clsConnection& connection, const QString& sql, const QVariant& key = QVariant())
{
    connection.ensureConnected();
    QSqlQuery query(connection.ADOConnection());
    query.setForwardOnly(true);
    if (!query.prepare(connection.adaptSql(sql)))
        throw DbError(query.lastError());
    if (key.isValid())
        query.addBindValue(key);
    if (!query.exec())
        throw DbError(query.lastError());
    return query;
}

Row currentRow(const QSqlQuery& query)
{
    Row row;
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i) {
        row.columns << record.fieldName(i).toUpper();
        row.values << query.value(i);
    }
    return row;
}

std::vector<Row> selectRows(clsConnection& connection, const QString& sql)
{
    QSqlQuery query = runSelect(connection, sql);
    std::vector<Row> rows;
    while (query.next())
        rows.push_back(currentRow(query));
    return rows;
}

QSet<QString> namesIn(clsConnection& connection, const QString& sql)
{
    QSet<QString> names;
    for (const Row& row : selectRows(connection, sql))
        names.insert(row.values.value(0).toString());
    return names;
}

QStringList namesOf(const std::vector<Row>& rows, const QString& column)
{
    QStringList names;
    for (const Row& row : rows)
        names << row.value(column).toString();
    return names;
}

void setName(Row& row, const QString& column, const QString& name)
{
    row.values[row.columns.indexOf(column)] = name;
}

// Every child row of one parent, read and written in the source's order.
int copyChildren(clsConnection& source, const QString& select, const QVariant& oldId, CopyTableWriter& writer,
                 const QVariant& newId)
{
    QSqlQuery rows = runSelect(source, select, oldId);
    int count = 0;
    while (rows.next()) {
        writer.add(currentRow(rows), newId);
        ++count;
    }
    writer.flush();
    return count;
}

// A header table with the tables that hang off it by its key.
struct Family {
    struct Child {
        const char* table;
        const char* key;
        const char* order;
    };
    const char* what;        // "Sequence", "Test": for messages and the copy's lines
    const char* table;
    const char* key;
    const char* nameColumn;
    std::vector<Child> children;
    const char* countedAs;   // the last child's rows counted in each line ("points"), or nullptr
};

const Family kSequences{"Sequence", "SEQUENCE_INFO", "SEQUENCE_ID", "SEQUENCE_NAME",
                        {{"SEQUENCE_RAMP", "SEQUENCE_RAMP_ID", "RAMP_NO"},
                         {"SEQUENCE_RAMP_DEFINE", "SEQUENCE_DEF_ID", "RAMP_STEP_NO"}},
                        nullptr};
// Points keep their order: they are read and inserted by their source key,
// and the target hands out rising keys.
const Family kTests{"Test", "TEST_INFO", "TEST_ID", "TEST_NAME",
                    {{"TEST_ADDITIVE", "TESTADD_ID", "TESTADD_ID"}, {"TEST_RESULT", "TEST_RESULT_ID", "TEST_RESULT_ID"}},
                    "points"};

// The headers of one family in the source and the names their copies take.
struct Plan {
    const Family& family;
    std::vector<Row> headers;
    QStringList storeAs;
};

Plan plan(const Family& family, clsConnection& source, clsConnection& target, bool renameClashes)
{
    Plan p{family, selectRows(source, QStringLiteral("SELECT * FROM %1 ORDER BY %2")
                                          .arg(QLatin1String(family.table), QLatin1String(family.key))),
           {}};
    const QString nameColumn = QLatin1String(family.nameColumn);
    p.storeAs = chooseCopyNames(namesOf(p.headers, nameColumn),
                            namesIn(target, QStringLiteral("SELECT %1 FROM %2")
                                                .arg(nameColumn, QLatin1String(family.table))),
                            renameClashes, family.what);
    return p;
}

// Every header of the plan with its children, under the planned names;
// one line per header into lines.
void copyFamily(const Plan& p, clsConnection& source, clsConnection& target, QStringList& lines)
{
    const Family& f = p.family;
    const QString key = QLatin1String(f.key);
    CopyTableWriter headerWriter(target, QLatin1String(f.table), key);
    std::vector<CopyTableWriter> childWriters;
    QStringList childSelects;
    for (const Family::Child& child : f.children) {
        childWriters.emplace_back(target, QLatin1String(child.table), QLatin1String(child.key), key);
        childSelects << QStringLiteral("SELECT * FROM %1 WHERE %2 = ? ORDER BY %3")
                            .arg(QLatin1String(child.table), key, QLatin1String(child.order));
    }
    for (size_t i = 0; i < p.headers.size(); ++i) {
        Row header = p.headers[i];
        const QString storeAs = p.storeAs[static_cast<qsizetype>(i)];
        const QVariant oldId = header.value(key);
        setName(header, QLatin1String(f.nameColumn), storeAs);
        const QVariant newId = headerWriter.insertForKey(header);
        int lastCount = 0;
        for (size_t c = 0; c < childWriters.size(); ++c)
            lastCount = copyChildren(source, childSelects[static_cast<qsizetype>(c)], oldId, childWriters[c], newId);
        QString line = describeCopy(f.what, p.headers[i].value(QLatin1String(f.nameColumn)).toString(), storeAs);
        if (f.countedAs)
            line += QStringLiteral(" (%1 %2)").arg(lastCount).arg(QLatin1String(f.countedAs));
        lines << line;
    }
}

}  // namespace


CopyTableWriter::CopyTableWriter(clsConnection& target, QString table, QString keyColumn, QString parentColumn)
    : m_target(target), m_table(std::move(table)), m_key(std::move(keyColumn)), m_parent(std::move(parentColumn))
{
}
// One row whose new key the caller needs (a sequence or a test header).
QVariant CopyTableWriter::insertForKey(const Row& row, const QVariant& parentKey)
{
    QSqlQuery& insert = statement(row, 1, true);
    bindRow(insert, row, parentKey);
    exec(insert);
    QVariant key;
    if (m_target.backend() == Backend::Postgres) {
        if (insert.next())
            key = insert.value(0);
        insert.finish();
    } else {
        key = insert.lastInsertId();
    }
    if (!key.isValid())
        throw DbError(QStringLiteral("No new id for the copied %1 row").arg(m_table));
    return key;
}

// A row nobody refers to (a point, an additive, a ramp row): kept until
// a whole multi-row insert is ready. flush() writes the rest.
void CopyTableWriter::add(const Row& row, const QVariant& parentKey)
{
    m_pending.push_back(row);
    m_pendingParents << parentKey;
    if (m_pending.size() == kRowsPerInsert)
        flush();
}

void CopyTableWriter::flush()
{
    if (m_pending.empty())
        return;
    QSqlQuery& insert = statement(m_pending.front(), static_cast<int>(m_pending.size()), false);
    for (size_t i = 0; i < m_pending.size(); ++i)
        bindRow(insert, m_pending[i], m_pendingParents[static_cast<qsizetype>(i)]);
    exec(insert);
    m_pending.clear();
    m_pendingParents.clear();
}

// The prepared insert of rowCount rows shaped like row.
QSqlQuery& CopyTableWriter::statement(const Row& row, int rowCount, bool returningKey)
{
    if (m_columns.isEmpty()) {
        for (const QString& column : row.columns)
            if (column != m_key)
                m_columns << column;
    }
    const int slot = returningKey ? 0 : rowCount;
    auto found = m_prepared.find(slot);
    if (found != m_prepared.end())
        return found.value();
    QStringList marks;
    for (int i = 0; i < m_columns.size(); ++i)
        marks << QStringLiteral("?");
    const QString oneRow = QStringLiteral("(%1)").arg(marks.join(QStringLiteral(", ")));
    QStringList rows;
    for (int i = 0; i < rowCount; ++i)
        rows << oneRow;
    QString sql = m_target.adaptSql(QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                                        .arg(m_table, m_columns.join(QStringLiteral(", ")),
                                             rows.join(QStringLiteral(", "))));
    if (returningKey)
        sql = insertReturningKey(sql, m_key, m_target.backend());
    m_target.ensureConnected();
    QSqlQuery query(m_target.ADOConnection());
    if (!query.prepare(sql))
        throw DbError(query.lastError());
    return m_prepared.insert(slot, query).value();
}

void CopyTableWriter::bindRow(QSqlQuery& insert, const Row& row, const QVariant& parentKey)
{
    for (const QString& column : m_columns) {
        QVariant value = column == m_parent ? parentKey : row.value(column);
        // Start times travel as the same local wall-clock text the
        // record classes write, so no session time zone can shift a
        // test's start.
        if (value.typeId() == QMetaType::QDateTime && !value.isNull())
            value = value.toDateTime().toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        insert.addBindValue(value);
    }
}

void CopyTableWriter::exec(QSqlQuery& insert)
{
    if (!insert.exec())
        throw DbError(insert.lastError());
}


// The names the copies are stored under, in source order. Only a name the
// target already holds is a clash (tests may share a name, so two source
// tests called alike are copied alike): it is refused, or renamed to the
// first "NAME (n)", NAME shortened so the whole fits the column, that neither
// database uses.
QStringList chooseCopyNames(const QStringList& sourceNames, const QSet<QString>& inTarget, bool rename, const char* what)
{
    QSet<QString> taken = inTarget;
    for (const QString& name : sourceNames)
        taken.insert(name);
    QStringList chosen;
    for (const QString& name : sourceNames) {
        if (!inTarget.contains(name)) {
            chosen << name;
            continue;
        }
        if (!rename)
            throw DbError(QStringLiteral("%1 \"%2\" already exists in the target; nothing copied "
                                         "(--rename-clashes stores it under a free name)")
                              .arg(QLatin1String(what), name));
        for (int n = 2;; ++n) {
            const QString suffix = QStringLiteral(" (%1)").arg(n);
            const QString candidate = name.left(kNameLength - suffix.size()) + suffix;
            if (!taken.contains(candidate)) {
                taken.insert(candidate);
                chosen << candidate;
                break;
            }
        }
    }
    return chosen;
}

QString describeCopy(const char* what, const QString& name, const QString& stored)
{
    QString line = QStringLiteral("%1 \"%2\"").arg(QLatin1String(what), name);
    if (stored != name)
        line += QStringLiteral(" -> \"%1\"").arg(stored);
    return line;
}

CopyResult copyDatabase(clsConnection& source, clsConnection& target, bool renameClashes)
{
    CopyResult result;
    inTransaction(target, [&] {
        // Every name is settled before the first row is written, so a
        // refused name leaves the target as it was.
        const Plan sequences = plan(kSequences, source, target, renameClashes);
        const Plan tests = plan(kTests, source, target, renameClashes);
        copyFamily(sequences, source, target, result.lines);
        copyFamily(tests, source, target, result.lines);
        result.sequences = static_cast<int>(sequences.headers.size());
        result.tests = static_cast<int>(tests.headers.size());
    });
    return result;
}

}  // namespace tz
