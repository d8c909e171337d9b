#include "db/RecordSet.h"

#include "db/clsConnection.h"
#include "db/SqlDialect.h"

#include <QSqlError>
#include <QSqlRecord>

#include <cmath>
#include <limits>

namespace tz {

namespace {

DbError typeMismatch() { return DbError(QStringLiteral("Type mismatch"), 13); }

}  // namespace

RecordSet::RecordSet(const char* className, QStringList columns)
    : m_className(className), m_columns(std::move(columns))
{
}

RecordSet::~RecordSet() = default;

void RecordSet::bindConnection(clsConnection& connection, const std::function<void()>& prepareStatements)
{
    if (!connection.isOpen() && !connection.isLost())
        throw DbError(QStringLiteral("%1.ConnectX: the database is not open.").arg(QLatin1String(m_className)));
    if (m_connection != &connection) {
        m_connection = &connection;
        m_prepareStatements = prepareStatements;
        m_preparedGeneration = 0;
        try {
            m_connection->ensureConnected();
            prepareIfNeeded();
        } catch (...) {
            m_connection = nullptr;
            throw;
        }
        return;
    }
    m_connection->ensureConnected();
    prepareIfNeeded();
}

void RecordSet::prepareIfNeeded()
{
    if (m_preparedGeneration == m_connection->generation())
        return;
    m_prepareStatements();
    m_preparedGeneration = m_connection->generation();
}

void RecordSet::requireConnection(const char* operation)
{
    if (!m_connection)
        throw DbError(QStringLiteral("%1.%2: not connected to the database (ConnectX first).")
                          .arg(QLatin1String(m_className), QLatin1String(operation)));
    m_connection->ensureConnected();
    prepareIfNeeded();
}

QSqlQuery RecordSet::prepare(const char* sql) const
{
    QSqlQuery query(m_connection->ADOConnection());
    query.setForwardOnly(true);
    if (!query.prepare(m_connection->adaptSql(QString::fromLatin1(sql)))) {
        m_connection->noteFailure(query.lastError());
        throw DbError(query.lastError());
    }
    return query;
}

QSqlQuery RecordSet::prepareInsert(const char* sql) const
{
    const QString text = insertReturningKey(m_connection->adaptSql(QString::fromLatin1(sql)),
                                            m_columns.value(0), m_connection->backend());
    QSqlQuery query(m_connection->ADOConnection());
    query.setForwardOnly(true);
    if (!query.prepare(text)) {
        m_connection->noteFailure(query.lastError());
        throw DbError(query.lastError());
    }
    return query;
}

void RecordSet::fail(QSqlQuery& query)
{
    const QSqlError error = query.lastError();
    query.finish();
    if (m_connection->noteFailure(error))
        throw DbError(QStringLiteral("The connection to the database server %1 was lost: %2")
                          .arg(m_connection->description(), error.text().simplified()));
    throw DbError(error);
}

int RecordSet::execute(QSqlQuery& query, ParamNames names, const QVariantList& values)
{
    // Every "?" mark gets exactly one value, in the order of its names.
    if (static_cast<qsizetype>(names.size()) != values.size())
        throw DbError(QStringLiteral("%1 parameters for %2 values: %3")
                          .arg(names.size()).arg(values.size()).arg(query.lastQuery()));
    const bool server = m_connection->backend() == Backend::Postgres;
    for (qsizetype i = 0; i < values.size(); ++i) {
        QVariant value = values[i];
        // The server's TIMESTAMP column holds the workstation's local
        // wall-clock time, as the embedded file's text does: send that text,
        // so that no time-zone conversion of the session can shift it.
        if (server && value.typeId() == QMetaType::QDateTime && !value.isNull())
            value = value.toDateTime().toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        query.bindValue(static_cast<int>(i), value);
    }
    if (!query.exec())
        fail(query);
    return query.numRowsAffected();
}

void RecordSet::executeInsert(QSqlQuery& insert, ParamNames names, const QVariantList& values)
{
    execute(insert, names, values);
    QVariant key;
    if (m_connection->backend() == Backend::Postgres) {
        if (insert.next())
            key = insert.value(0);
        if (insert.lastError().isValid())
            fail(insert);
    } else {
        key = insert.lastInsertId();
    }
    insert.finish();
    m_lastInsertId = key.toDouble();
}

void RecordSet::query(QSqlQuery& select, ParamNames names, const QVariantList& values)
{
    execute(select, names, values);
    const QSqlRecord record = select.record();
    QStringList fields;
    // Upper case: the server reports the names of unquoted columns in lower case.
    for (int f = 0; f < record.count(); ++f)
        fields << record.fieldName(f).toUpper();
    QList<QVariantList> rows;
    while (select.next()) {
        QVariantList row;
        row.reserve(fields.size());
        for (int f = 0; f < fields.size(); ++f)
            row << select.value(f);
        rows << std::move(row);
    }
    // Release the statement so it holds no read lock between queries.
    if (select.lastError().isValid())
        fail(select);
    select.finish();
    m_snapshotFields = std::move(fields);
    m_rows = std::move(rows);
    m_recordsetRows = m_rows.size();
    m_row = 0;
    m_eof = m_rows.isEmpty();
}

void RecordSet::requery(QSqlQuery& select, ParamNames names, const QVariantList& values)
{
    execute(select, names, values);
    qsizetype rows = 0;
    while (select.next())
        ++rows;
    if (select.lastError().isValid())
        fail(select);
    select.finish();
    m_recordsetRows = rows;
}

void RecordSet::loadFirstOrDefaults()
{
    if (m_rows.isEmpty())
        SetDefaults();
    else
        loadRow(0);
}

QList<QVariantList> RecordSet::snapshotByColumn() const
{
    QList<QVariantList> columns(m_snapshotFields.size());
    for (qsizetype c = 0; c < columns.size(); ++c) {
        columns[c].reserve(m_rows.size());
        for (const QVariantList& row : m_rows)
            columns[c] << row[c];
    }
    return columns;
}

void RecordSet::loadRow(int index)
{
    SetDefaults();
    const QVariantList& row = m_rows[index];
    // By field name, so that a row of a list query (names, times) lands in
    // its own columns and the rest stay at their defaults.
    for (qsizetype f = 0; f < m_snapshotFields.size(); ++f) {
        const int column = static_cast<int>(m_columns.indexOf(m_snapshotFields[f]));
        if (column < 0)
            continue;
        if (row[f].isNull())
            assignNull(column);
        else
            assign(column, row[f]);
    }
}

void RecordSet::MoveFirst()
{
    // Every class clears EOF here, so that a second reading loop over the
    // same rows (MoveFirst, then MoveNext until Eof) sees them all again.
    if (m_rows.isEmpty()) {
        m_eof = true;
        return;
    }
    m_row = 0;
    loadRow(m_row);
    m_eof = false;
}

void RecordSet::MoveLast()
{
    if (m_rows.isEmpty())
        return;
    m_row = rowCount() - 1;
    loadRow(m_row);
}

void RecordSet::MoveNext()
{
    if (m_row + 1 >= rowCount()) {
        m_eof = true;
        return;
    }
    ++m_row;
    loadRow(m_row);
    m_eof = false;
}

void RecordSet::MovePrevious()
{
    if (m_rows.isEmpty())
        return;
    m_row = std::max(0, m_row - 1);
    loadRow(m_row);
}

void RecordSet::MoveRel(int offset)
{
    if (offset == 0 || m_rows.isEmpty())
        return;
    const qint64 target = static_cast<qint64>(m_row) + offset;
    m_row = static_cast<int>(std::clamp<qint64>(target, 0, rowCount() - 1));
    loadRow(m_row);
}

void RecordSet::setAll(const QVariantList& values)
{
    if (values.size() < m_columns.size())
        throw DbError(QStringLiteral("Subscript out of range"), 9);
    for (qsizetype c = 0; c < m_columns.size(); ++c) {
        if (values[c].isNull())
            throw DbError(QStringLiteral("Invalid use of Null"), 94);
        assign(static_cast<int>(c), values[c]);
    }
}

double RecordSet::toNumber(const QVariant& value)
{
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        throw typeMismatch();
    return number;
}

QString RecordSet::toText(const QVariant& value)
{
    if (!value.canConvert<QString>())
        throw typeMismatch();
    return value.toString();
}

QDateTime RecordSet::storedDate(const QVariant& value)
{
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().startOfDay();
    const QString text = value.toString();
    QDateTime date = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!date.isValid())
        date = QDateTime::fromString(text, Qt::ISODate);
    return date;
}

QDateTime RecordSet::toDate(const QVariant& value)
{
    const QDateTime date = storedDate(value);
    if (!date.isValid())
        throw typeMismatch();
    return date;
}

int RecordSet::roundToInt(double value)
{
    const double rounded = std::nearbyint(value);  // default mode: halves to even
    if (!(rounded >= std::numeric_limits<qint32>::min() && rounded <= std::numeric_limits<qint32>::max()))
        throw DbError(QStringLiteral("Overflow"), 6);
    return static_cast<int>(rounded);
}

QVariant RecordSet::dateParam(const QDateTime& value)
{
    return value.isValid() ? QVariant(value) : QVariant(QMetaType(QMetaType::QDateTime));
}

}  // namespace tz
