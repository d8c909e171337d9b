#include "db/Schema.h"

#include <QSqlError>
#include <QSqlQuery>

namespace tz {

QStringList schemaStatements()
{
    // Keys are AUTOINCREMENT so that a deleted test's or sequence's id is never
    // handed out again: rows still carrying the old id can never be mistaken
    // for the new one's. TEST_TIME holds ISO-8601 local time as text.
    return {
        "CREATE TABLE IF NOT EXISTS TEST_INFO ("
        " TEST_ID INTEGER PRIMARY KEY AUTOINCREMENT,"
        " TEST_NAME VARCHAR(40),"
        " FLUID_ID VARCHAR(40),"
        " TEST_TIME TEXT,"
        " RESEARCHER_NAME VARCHAR(40),"
        " ROTOR_NO VARCHAR(40),"
        " BOB_NO VARCHAR(40),"
        " BOB_RADIUS REAL,"
        " BOB_EFF_LENGTH REAL,"
        " PRETEST_PH REAL,"
        " POSTTEST_PH REAL,"
        " SAFETY VARCHAR(1000))",
        "CREATE TABLE IF NOT EXISTS TEST_RESULT ("
        " TEST_RESULT_ID INTEGER PRIMARY KEY AUTOINCREMENT,"
        " TEST_ID INTEGER,"
        " RAMP_NO REAL,"
        " RAMP_STEP_NO REAL,"
        " RESULT_TIME REAL,"
        " RESULT_SAMPLE_TEMP REAL,"
        " RESULT_PRESS REAL,"
        " RESULT_SHEAR_RATE REAL,"
        " RESULT_SHEAR_STRESS REAL,"
        " RESULT_TYPE_ID REAL,"
        " RESULT_BATH_TEMP REAL)",
        "CREATE TABLE IF NOT EXISTS TEST_ADDITIVE ("
        " TESTADD_ID INTEGER PRIMARY KEY AUTOINCREMENT,"
        " TEST_ID INTEGER,"
        " ADDITIVE_NM VARCHAR(40),"
        " ADD_CONCEN REAL,"
        " ADD_UNIT VARCHAR(40),"
        " ADD_LOTNO VARCHAR(40))",
        "CREATE TABLE IF NOT EXISTS SEQUENCE_INFO ("
        " SEQUENCE_ID INTEGER PRIMARY KEY AUTOINCREMENT,"
        " SEQUENCE_NAME VARCHAR(40) UNIQUE,"
        " TIME_BEFORE_READ REAL,"
        " RAMP_SAMPLE_RATE REAL,"
        " SAMPLE_POINTS_AVERAGE REAL,"
        " SHUT_DOWN_ATIME REAL,"
        " SHUT_DOWN_VISC REAL,"
        " SAMPLE_INTERVAL INTEGER)",
        "CREATE TABLE IF NOT EXISTS SEQUENCE_RAMP ("
        " SEQUENCE_RAMP_ID INTEGER PRIMARY KEY AUTOINCREMENT,"
        " SEQUENCE_ID INTEGER,"
        " RAMP_NO REAL,"
        " RAMP_ELAPSE_TIME REAL,"
        " RAMP_TEMP REAL,"
        " RAMP_START_ERROR REAL,"
        " SHEAR_RATE REAL,"
        " RUN_RAMP REAL)",
        "CREATE TABLE IF NOT EXISTS SEQUENCE_RAMP_DEFINE ("
        " SEQUENCE_DEF_ID INTEGER PRIMARY KEY AUTOINCREMENT,"
        " SEQUENCE_ID INTEGER,"
        " RAMP_STEP_NO REAL,"
        " RAMP_SHEAR_RATE REAL)",
        "CREATE INDEX IF NOT EXISTS IX_TEST_INFO_NAME ON TEST_INFO (TEST_NAME)",
        "CREATE INDEX IF NOT EXISTS IX_TEST_INFO_TIME ON TEST_INFO (TEST_TIME)",
        "CREATE INDEX IF NOT EXISTS IX_TEST_RESULT_TEST ON TEST_RESULT (TEST_ID, RESULT_TIME)",
        "CREATE INDEX IF NOT EXISTS IX_TEST_ADDITIVE_TEST ON TEST_ADDITIVE (TEST_ID)",
        "CREATE INDEX IF NOT EXISTS IX_SEQUENCE_RAMP_SEQ ON SEQUENCE_RAMP (SEQUENCE_ID, RAMP_NO)",
        "CREATE INDEX IF NOT EXISTS IX_SEQUENCE_RAMP_DEFINE_SEQ"
        " ON SEQUENCE_RAMP_DEFINE (SEQUENCE_ID, RAMP_STEP_NO)",
    };
}

QSqlError createSchema(QSqlDatabase& db)
{
    if (!db.transaction())
        return db.lastError();
    QSqlQuery query(db);
    for (const QString& statement : schemaStatements()) {
        if (!query.exec(statement)) {
            const QSqlError failure = query.lastError();
            query.finish();
            db.rollback();
            return failure;
        }
    }
    query.finish();
    if (!db.commit()) {
        const QSqlError failure = db.lastError();
        db.rollback();
        return failure;
    }
    return {};
}

}  // namespace tz
