#include "web/LabReader.h"

#include "analysis/OpenedTest.h"
#include "db/DbError.h"
#include "db/RecordSet.h"
#include "db/TestResultColumns.h"
#include "db/clsConnection.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>
#include <array>
#include <cmath>


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

// Read as the record classes read TEST_TIME; a time the workstation could
// not have written shows as none.
QDateTime dateOrInvalid(const QVariant& value)
{
    return value.isNull() ? QDateTime() : RecordSet::storedDate(value);
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

// The points a following view has not seen yet, read by column like an
// opened test (SQLite's own interface on the file).
std::vector<ResultPoint> LabReader::pointsAfter(int testId, double after)
{
    return resultPoints(readTestResultColumns(m_connection, testId, after));
}

}  // namespace tz::web
