#include "db/DatabaseCopy.h"

#include "db/DbError.h"
#include "db/SqlDialect.h"
#include "db/Transaction.h"
#include "db/clsConnection.h"

#include <QDateTime>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <vector>

namespace tz {
namespace {

constexpr int kNameLength = 40;

struct Row {
    QStringList columns;
    QVariantList values;
    QVariant value(const QString& column) const { return values.value(columns.indexOf(column)); }
};

std::vector<Row> selectRows(clsConnection& connection, const QString& sql, const QVariant& key = QVariant())
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
    std::vector<Row> rows;
    while (query.next()) {
        Row row;
        const QSqlRecord record = query.record();
        for (int i = 0; i < record.count(); ++i) {
            row.columns << record.fieldName(i).toUpper();
            row.values << query.value(i);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

// Inserts row without its own key column; parentColumn (if any) takes
// parentKey. Returns the target's new key.
QVariant insertRow(clsConnection& target, const QString& table, const QString& keyColumn, Row row,
                   const QString& parentColumn = QString(), const QVariant& parentKey = QVariant())
{
    QStringList columns;
    QVariantList values;
    for (int i = 0; i < row.columns.size(); ++i) {
        if (row.columns[i] == keyColumn)
            continue;
        QVariant value = row.columns[i] == parentColumn ? parentKey : row.values[i];
        // Start times travel as the same local wall-clock text the record
        // classes write, so no session time zone can shift a test's start.
        if (value.typeId() == QMetaType::QDateTime && !value.isNull())
            value = value.toDateTime().toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        columns << row.columns[i];
        values << value;
    }
    QStringList marks;
    for (int i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    target.ensureConnected();
    QSqlQuery insert(target.ADOConnection());
    if (!insert.prepare(insertReturningKey(target.adaptSql(sql), keyColumn, target.backend())))
        throw DbError(insert.lastError());
    for (const QVariant& v : values)
        insert.addBindValue(v);
    if (!insert.exec())
        throw DbError(insert.lastError());
    QVariant key;
    if (target.backend() == Backend::Postgres) {
        if (insert.next())
            key = insert.value(0);
    } else {
        key = insert.lastInsertId();
    }
    if (!key.isValid())
        throw DbError(QStringLiteral("No new id for the copied %1 row").arg(table));
    return key;
}

QSet<QString> namesIn(clsConnection& connection, const QString& sql)
{
    QSet<QString> names;
    for (const Row& row : selectRows(connection, sql))
        names.insert(row.values.value(0).toString());
    return names;
}

// The name the copy is stored under: the same one, or the first free
// "NAME (n)" with NAME shortened so the whole still fits the column.
QString chooseName(const QString& name, QSet<QString>& taken, bool rename, const char* what)
{
    if (!taken.contains(name)) {
        taken.insert(name);
        return name;
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
            return candidate;
        }
    }
}

QString describe(const char* what, const QString& name, const QString& stored)
{
    QString line = QStringLiteral("%1 \"%2\"").arg(QLatin1String(what), name);
    if (stored != name)
        line += QStringLiteral(" -> \"%1\"").arg(stored);
    return line;
}

}  // namespace

CopyResult copyDatabase(clsConnection& source, clsConnection& target, bool renameClashes)
{
    CopyResult result;
    // Read the whole source first, so a refused name writes nothing at all.
    const auto sequences = selectRows(source, QStringLiteral("SELECT * FROM SEQUENCE_INFO ORDER BY SEQUENCE_ID"));
    const auto tests = selectRows(source, QStringLiteral("SELECT * FROM TEST_INFO ORDER BY TEST_ID"));

    inTransaction(target, [&] {
        QSet<QString> sequenceNames = namesIn(target, QStringLiteral("SELECT SEQUENCE_NAME FROM SEQUENCE_INFO"));
        QSet<QString> testNames = namesIn(target, QStringLiteral("SELECT TEST_NAME FROM TEST_INFO"));
        std::vector<QString> sequenceAs, testAs;
        for (const Row& s : sequences)
            sequenceAs.push_back(chooseName(s.value(QStringLiteral("SEQUENCE_NAME")).toString(), sequenceNames,
                                            renameClashes, "Sequence"));
        for (const Row& t : tests)
            testAs.push_back(chooseName(t.value(QStringLiteral("TEST_NAME")).toString(), testNames,
                                        renameClashes, "Test"));

        for (size_t i = 0; i < sequences.size(); ++i) {
            Row header = sequences[i];
            const QVariant oldId = header.value(QStringLiteral("SEQUENCE_ID"));
            header.values[header.columns.indexOf(QStringLiteral("SEQUENCE_NAME"))] = sequenceAs[i];
            const QVariant newId = insertRow(target, QStringLiteral("SEQUENCE_INFO"), QStringLiteral("SEQUENCE_ID"), header);
            for (const Row& step : selectRows(source, QStringLiteral("SELECT * FROM SEQUENCE_RAMP WHERE SEQUENCE_ID = ? ORDER BY RAMP_NO"), oldId))
                insertRow(target, QStringLiteral("SEQUENCE_RAMP"), QStringLiteral("SEQUENCE_RAMP_ID"), step,
                          QStringLiteral("SEQUENCE_ID"), newId);
            for (const Row& rate : selectRows(source, QStringLiteral("SELECT * FROM SEQUENCE_RAMP_DEFINE WHERE SEQUENCE_ID = ? ORDER BY RAMP_STEP_NO"), oldId))
                insertRow(target, QStringLiteral("SEQUENCE_RAMP_DEFINE"), QStringLiteral("SEQUENCE_DEF_ID"), rate,
                          QStringLiteral("SEQUENCE_ID"), newId);
            result.lines << describe("Sequence", sequences[i].value(QStringLiteral("SEQUENCE_NAME")).toString(), sequenceAs[i]);
            ++result.sequences;
        }
        for (size_t i = 0; i < tests.size(); ++i) {
            Row header = tests[i];
            const QVariant oldId = header.value(QStringLiteral("TEST_ID"));
            header.values[header.columns.indexOf(QStringLiteral("TEST_NAME"))] = testAs[i];
            const QVariant newId = insertRow(target, QStringLiteral("TEST_INFO"), QStringLiteral("TEST_ID"), header);
            for (const Row& additive : selectRows(source, QStringLiteral("SELECT * FROM TEST_ADDITIVE WHERE TEST_ID = ? ORDER BY TESTADD_ID"), oldId))
                insertRow(target, QStringLiteral("TEST_ADDITIVE"), QStringLiteral("TESTADD_ID"), additive,
                          QStringLiteral("TEST_ID"), newId);
            const auto points = selectRows(source, QStringLiteral("SELECT * FROM TEST_RESULT WHERE TEST_ID = ? ORDER BY TEST_RESULT_ID"), oldId);
            for (const Row& point : points)
                insertRow(target, QStringLiteral("TEST_RESULT"), QStringLiteral("TEST_RESULT_ID"), point,
                          QStringLiteral("TEST_ID"), newId);
            result.lines << describe("Test", tests[i].value(QStringLiteral("TEST_NAME")).toString(), testAs[i])
                                + QStringLiteral(" (%1 points)").arg(points.size());
            ++result.tests;
        }
    });
    return result;
}

}  // namespace tz
