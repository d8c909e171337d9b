#include "db/TestResultColumns.h"

#include "db/DbError.h"
#include "db/clsConnection.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

#include <array>
#include <memory>

namespace tz {

namespace {

// Same rows and order as the record class's select, only the columns the
// analysis reads, in the order of the arrays.
constexpr const char* kSelectColumns =
    "SELECT RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, RESULT_PRESS, "
    "RESULT_SHEAR_RATE, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP "
    "FROM TEST_RESULT WHERE TEST_ID = ? ORDER BY RESULT_TIME";
constexpr const char* kSelectColumnsAfter =
    "SELECT RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, RESULT_PRESS, "
    "RESULT_SHEAR_RATE, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP "
    "FROM TEST_RESULT WHERE TEST_ID = ? AND RESULT_TIME > ? ORDER BY RESULT_TIME";
constexpr int kColumns = 9;

[[noreturn]] void fail(clsConnection& connection, QSqlQuery& query)
{
    const QSqlError error = query.lastError();
    query.finish();
    if (connection.noteFailure(error))
        throw DbError(QStringLiteral("The connection to the database server %1 was lost: %2")
                          .arg(connection.description(), error.text().simplified()));
    throw DbError(error);
}

double number(const QVariant& value)
{
    if (value.isNull()) return 0;
    // The usual case first: a REAL or INTEGER column value.
    switch (value.typeId()) {
    case QMetaType::Double: return value.toDouble();
    case QMetaType::LongLong: return static_cast<double>(value.toLongLong());
    case QMetaType::Int: return value.toInt();
    default: break;
    }
    bool ok = false;
    const double n = value.toDouble(&ok);
    if (!ok) throw DbError(QStringLiteral("Type mismatch"), 13);
    return n;
}

using Arrays = std::array<std::vector<double>*, kColumns>;

// A text (or blob) in a numeric column counts when it reads as a number,
// as the record classes take it.
double numberFromText(const char* text, int bytes)
{
    bool ok = false;
    const double n = QString::fromUtf8(text, bytes).toDouble(&ok);
    if (!ok) throw DbError(QStringLiteral("Type mismatch"), 13);
    return n;
}

// The embedded file: sqlite3 on the connection's own handle, each value
// taken as the double it is stored as, no variant per value.
bool readSqlite(clsConnection& connection, int testId, std::optional<double> after, const Arrays& arrays)
{
    const QVariant handle = connection.ADOConnection().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) return false;
    sqlite3* db = *static_cast<sqlite3* const*>(handle.data());
    if (!db) return false;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, after ? kSelectColumnsAfter : kSelectColumns, -1, &st, nullptr) != SQLITE_OK)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(db)), sqlite3_errcode(db));
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(st, &sqlite3_finalize);
    sqlite3_bind_int(st, 1, testId);
    if (after) sqlite3_bind_double(st, 2, *after);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        for (int i = 0; i < kColumns; ++i) {
            double v = 0;
            switch (sqlite3_column_type(st, i)) {
            case SQLITE_NULL: break;
            case SQLITE_INTEGER:
            case SQLITE_FLOAT: v = sqlite3_column_double(st, i); break;
            default:
                v = numberFromText(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                                   sqlite3_column_bytes(st, i));
            }
            arrays[i]->push_back(v);
        }
    }
    if (rc != SQLITE_DONE) throw DbError(QString::fromUtf8(sqlite3_errmsg(db)), sqlite3_errcode(db));
    return true;
}

}  // namespace

TestResultColumns readTestResultColumns(clsConnection& connection, int testId, std::optional<double> after)
{
    if (!connection.isOpen() && !connection.isLost())
        throw DbError(QStringLiteral("The database is not open."));
    connection.ensureConnected();
    TestResultColumns c;
    const Arrays arrays{&c.rampNo, &c.rampStepNo, &c.time, &c.sampleTemp, &c.press,
                        &c.shearRate, &c.shearStress, &c.typeId, &c.bathTemp};
    if (connection.backend() == Backend::Sqlite && readSqlite(connection, testId, after, arrays)) return c;

    // The server: through the driver, still by position into the arrays.
    QSqlQuery query(connection.ADOConnection());
    query.setForwardOnly(true);
    if (!query.prepare(connection.adaptSql(QString::fromLatin1(after ? kSelectColumnsAfter : kSelectColumns))))
        fail(connection, query);
    query.bindValue(0, testId);
    if (after) query.bindValue(1, *after);
    if (!query.exec()) fail(connection, query);

    // The driver knows the count only on some engines; -1 otherwise.
    if (const int rows = query.driver()->hasFeature(QSqlDriver::QuerySize) ? query.size() : -1; rows > 0)
        for (auto* a : arrays) a->reserve(static_cast<std::size_t>(rows));
    while (query.next())
        for (int i = 0; i < kColumns; ++i) arrays[i]->push_back(number(query.value(i)));
    if (query.lastError().isValid()) fail(connection, query);
    // Release the statement so it holds no read lock between queries.
    query.finish();
    return c;
}

}  // namespace tz
