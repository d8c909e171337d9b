#include "instrument/TestResultRows.h"

#include "db/DbError.h"
#include "db/clsConnection.h"
#include "db/clsTEST_RESULT.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace tz {

namespace {

// One query with its values; its rows are read by the caller.
QSqlQuery ask(clsConnection& connection, const char* sql, const QVariantList& values)
{
    connection.ensureConnected();
    QSqlQuery query(connection.ADOConnection());
    if (!query.prepare(connection.adaptSql(QString::fromLatin1(sql)))) {
        connection.noteFailure(query.lastError());
        throw DbError(query.lastError());
    }
    for (const QVariant& v : values)
        query.addBindValue(v);
    if (!query.exec()) {
        connection.noteFailure(query.lastError());
        throw DbError(query.lastError());
    }
    return query;
}

}  // namespace

bool pointStored(clsConnection& connection, const RecordedPoint& p)
{
    QSqlQuery q = ask(connection,
                      "SELECT COUNT(*) FROM TEST_RESULT WHERE TEST_ID = ? AND RAMP_NO = ? AND RAMP_STEP_NO = ?"
                      " AND RESULT_TIME = ? AND RESULT_TYPE_ID = ?",
                      {p.testId, double(p.rampNo), double(p.rampStepNo), p.resultTime, double(p.resultType)});
    const bool stored = q.next() && q.value(0).toLongLong() > 0;
    q.finish();
    return stored;
}

void insertResultRow(clsConnection& connection, clsTEST_RESULT& record, const RecordedPoint& p)
{
    if (!record.isConnected()) {
        // ConnectX also reads the points of Test_Id 0 (there are none):
        // binding is all that is wanted here.
        record.setTest_Id(0);
        record.ConnectX(connection);
    }
    record.setTest_Id(p.testId);
    record.setRAMP_NO(p.rampNo);
    record.setRAMP_STEP_NO(p.rampStepNo);
    record.setRESULT_TIME(p.resultTime);
    record.setRESULT_SAMPLE_TEMP(p.sampleTempF);
    record.setRESULT_PRESS(p.pressurePsi);
    record.setRESULT_SHEAR_RATE(p.shearRate);
    record.setRESULT_SHEAR_STRESS(p.shearStress);
    record.setRESULT_TYPE_ID(p.resultType);
    record.setRESULT_BATH_TEMP(p.bathTempF);
    record.AddNew();
}

bool testStored(clsConnection& connection, int testId)
{
    QSqlQuery q = ask(connection, "SELECT COUNT(*) FROM TEST_INFO WHERE TEST_ID = ?", {testId});
    const bool stored = q.next() && q.value(0).toLongLong() > 0;
    q.finish();
    return stored;
}

QString storedTestName(clsConnection& connection, int testId)
{
    QSqlQuery q = ask(connection, "SELECT TEST_NAME FROM TEST_INFO WHERE TEST_ID = ?", {testId});
    const QString name = q.next() ? q.value(0).toString() : QString();
    q.finish();
    return name;
}

}  // namespace tz
