#include "web/LabReader.h"

#include "db/DbError.h"
#include "db/clsConnection.h"

#include <QScopeGuard>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>
#include <array>
#include <cmath>

#include <sqlite3.h>

namespace tz::web {

namespace {

// A LIKE pattern that finds text anywhere, its wildcards taken literally.
QString containsPattern(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size() + 2);
    for (const QChar c : text) {
        if (c == u'!' || c == u'%' || c == u'_')
            escaped += u'!';
        escaped += c;
    }
    return u'%' + escaped + u'%';
}

QDateTime dateOrInvalid(const QVariant& value)
{
    if (value.isNull())
        return {};
    // Read as the record classes read TEST_TIME: a date-time from the server,
    // ISO text from the file; a time the workstation could not have written
    // shows as none.
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

}  // namespace

bool isRunning(const QDateTime& testTime, std::optional<double> lastPointTime, const QDateTime& now)
{
    if (!testTime.isValid() || !lastPointTime || !std::isfinite(*lastPointTime))
        return false;
    const QDateTime last = testTime.addMSecs(static_cast<qint64>(std::llround(*lastPointTime * 1000.0)));
    return last.secsTo(now) <= kRunningWindowSeconds;
}

// Runs one statement with its bound values; throws DbError on failure, after
// telling the connection, so that a lab server that went away is reopened on
// the next request.
class Statement {
public:
    Statement(clsConnection& connection, const QString& sql) : m_connection(connection)
    {
        connection.ensureConnected();
        m_query = QSqlQuery(connection.ADOConnection());
        m_query.setForwardOnly(true);
        if (!m_query.prepare(connection.adaptSql(sql)))
            fail();
    }
    Statement& bind(const QVariant& value)
    {
        m_query.addBindValue(value);
        return *this;
    }
    QSqlQuery& run()
    {
        if (!m_query.exec())
            fail();
        return m_query;
    }

private:
    [[noreturn]] void fail()
    {
        const QSqlError error = m_query.lastError();
        m_connection.noteFailure(error);
        throw DbError(error);
    }
    clsConnection& m_connection;
    QSqlQuery m_query;
};

TestListPage LabReader::listTests(const QString& filter, int offset, int limit, const QDateTime& now)
{
    TestListPage page;
    page.offset = offset;
    page.limit = limit;
    const QString where = filter.isEmpty() ? QString()
                                           : QStringLiteral(" WHERE TEST_NAME LIKE ? ESCAPE '!'");
    {
        Statement count(m_connection, QStringLiteral("SELECT COUNT(*) FROM TEST_INFO") + where);
        if (!filter.isEmpty())
            count.bind(containsPattern(filter));
        QSqlQuery& q = count.run();
        page.total = q.next() ? q.value(0).toInt() : 0;
    }
    Statement rows(m_connection,
                   QStringLiteral("SELECT TEST_ID, TEST_NAME, TEST_TIME, RESEARCHER_NAME, FLUID_ID FROM TEST_INFO")
                       + where + QStringLiteral(" ORDER BY TEST_TIME DESC, TEST_ID DESC LIMIT ? OFFSET ?"));
    if (!filter.isEmpty())
        rows.bind(containsPattern(filter));
    rows.bind(limit).bind(offset);
    QSqlQuery& q = rows.run();
    while (q.next()) {
        ListedTest t;
        t.testId = q.value(0).toInt();
        t.name = q.value(1).toString();
        t.time = dateOrInvalid(q.value(2));
        t.researcher = q.value(3).toString();
        t.fluidId = q.value(4).toString();
        page.tests << t;
    }
    if (page.tests.isEmpty())
        return page;

    // The newest point of each listed test, through the (TEST_ID, RESULT_TIME) index.
    QString marks;
    for (qsizetype i = 0; i < page.tests.size(); ++i)
        marks += i == 0 ? QStringLiteral("?") : QStringLiteral(",?");
    Statement last(m_connection, QStringLiteral("SELECT TEST_ID, MAX(RESULT_TIME) FROM TEST_RESULT WHERE TEST_ID IN (")
                                     + marks + QStringLiteral(") GROUP BY TEST_ID"));
    for (const ListedTest& t : page.tests)
        last.bind(t.testId);
    QSqlQuery& lq = last.run();
    while (lq.next()) {
        const int id = lq.value(0).toInt();
        if (lq.value(1).isNull())
            continue;
        for (ListedTest& t : page.tests) {
            if (t.testId == id) {
                t.lastPointTime = lq.value(1).toDouble();
                t.running = isRunning(t.time, t.lastPointTime, now);
            }
        }
    }
    return page;
}

std::optional<OpenedTest> LabReader::test(int testId)
{
    return loadTest(m_connection, testId);
}

std::optional<ListedTest> LabReader::testHeader(int testId, const QDateTime& now)
{
    ListedTest t;
    {
        Statement info(m_connection, QStringLiteral("SELECT TEST_ID, TEST_NAME, TEST_TIME, RESEARCHER_NAME, "
                                                    "FLUID_ID FROM TEST_INFO WHERE TEST_ID = ?"));
        info.bind(testId);
        QSqlQuery& q = info.run();
        if (!q.next())
            return std::nullopt;
        t.testId = q.value(0).toInt();
        t.name = q.value(1).toString();
        t.time = dateOrInvalid(q.value(2));
        t.researcher = q.value(3).toString();
        t.fluidId = q.value(4).toString();
    }
    Statement last(m_connection, QStringLiteral("SELECT MAX(RESULT_TIME) FROM TEST_RESULT WHERE TEST_ID = ?"));
    last.bind(testId);
    QSqlQuery& q = last.run();
    if (q.next() && !q.value(0).isNull()) {
        t.lastPointTime = q.value(0).toDouble();
        t.running = isRunning(t.time, t.lastPointTime, now);
    }
    return t;
}

namespace {

const char* const kPointsAfterSql =
    "SELECT RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, RESULT_PRESS, "
    "RESULT_SHEAR_RATE, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP "
    "FROM TEST_RESULT WHERE TEST_ID = ? AND RESULT_TIME > ? ORDER BY RESULT_TIME, TEST_RESULT_ID";

ResultPoint pointFromColumns(const std::array<double, 9>& v)
{
    ResultPoint p;
    p.rampNo = static_cast<int>(std::lround(v[0]));
    p.rampStepNo = static_cast<int>(std::lround(v[1]));
    p.time = v[2];
    p.sampleTemp = v[3];
    p.press = v[4];
    p.shearRate = v[5];
    p.shearStress = v[6];
    p.typeId = static_cast<int>(std::lround(v[7]));
    p.bathTemp = v[8];
    return p;
}

// The embedded file read through SQLite's own interface: a test of 300,000
// points is read in half the time it takes through a QVariant per value.
// Empty (nullopt) when the connection's handle is not SQLite's.
std::optional<std::vector<ResultPoint>> sqlitePointsAfter(clsConnection& connection, int testId, double after)
{
    const QVariant handle = connection.ADOConnection().driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return std::nullopt;
    sqlite3* db = *static_cast<sqlite3* const*>(handle.data());
    if (!db)
        return std::nullopt;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, kPointsAfterSql, -1, &statement, nullptr) != SQLITE_OK)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(db)), sqlite3_errcode(db));
    const auto finalize = qScopeGuard([statement] { sqlite3_finalize(statement); });
    sqlite3_bind_int(statement, 1, testId);
    sqlite3_bind_double(statement, 2, after);
    std::vector<ResultPoint> out;
    std::array<double, 9> v{};
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        for (int i = 0; i < 9; ++i)
            v[static_cast<size_t>(i)] = sqlite3_column_double(statement, i);
        out.push_back(pointFromColumns(v));
    }
    if (rc != SQLITE_DONE)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(db)), sqlite3_errcode(db));
    return out;
}

}  // namespace

std::vector<ResultPoint> LabReader::pointsAfter(int testId, double after)
{
    if (m_connection.backend() == Backend::Sqlite) {
        if (std::optional<std::vector<ResultPoint>> points = sqlitePointsAfter(m_connection, testId, after))
            return std::move(*points);
    }
    Statement points(m_connection, QString::fromLatin1(kPointsAfterSql));
    points.bind(testId).bind(after);
    QSqlQuery& q = points.run();
    std::vector<ResultPoint> out;
    std::array<double, 9> v{};
    while (q.next()) {
        for (int i = 0; i < 9; ++i)
            v[static_cast<size_t>(i)] = q.value(i).toDouble();
        out.push_back(pointFromColumns(v));
    }
    return out;
}

}  // namespace tz::web
