// The points of a test read column by column for opening it: the same rows,
// order and values as the record class gives, on both engines.
#include "TempDatabase.h"

#include "db/DbError.h"
#include "db/TestResultColumns.h"
#include "db/clsTEST_RESULT.h"

#include <QTest>

using tz::DbError;
using tz::readTestResultColumns;
using tz::TestResultColumns;

class TestResultColumnsTest : public QObject {
    Q_OBJECT

    static int addTest(TempDatabase& db, const QString& name)
    {
        db.sql("INSERT INTO TEST_INFO (TEST_NAME, BOB_RADIUS) VALUES (?, 1.5987)", {name});
        return db.sql("SELECT TEST_ID FROM TEST_INFO WHERE TEST_NAME = ?", {name}).value(0).toInt();
    }

    static void addPoint(TempDatabase& db, int testId, const QVariantList& tail)
    {
        // RAMP_NO, RAMP_STEP_NO, RESULT_TIME, SAMPLE_TEMP, PRESS, RATE, STRESS, TYPE_ID, BATH_TEMP
        QVariantList values{testId};
        values << tail;
        db.sql("INSERT INTO TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, "
               "RESULT_PRESS, RESULT_SHEAR_RATE, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP) "
               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
               values);
    }

private slots:
    void initTestCase_data() { tz::test::addBackendRows(); }
    void init() { TZ360_USE_BACKEND_ROW(); }

    // Recorded out of time order, beside another test's points, with a NULL
    // that must read as the record class reads it (0).
    void sameRowsAndValuesAsTheRecordClass()
    {
        TempDatabase db;
        const int id = addTest(db, "Borate 30");
        const int other = addTest(db, "Other");
        addPoint(db, id, {1, 2, 120.0, 150.5, 400.0, 170.0, 55.25, 1, 152.0});
        addPoint(db, other, {9, 9, 60.0, 1, 1, 1, 1, 0, 1});
        addPoint(db, id, {0, 0, 0.0, 75.0, 300.0, 100.0, 20.0, 0, 76.0});
        addPoint(db, id, {1, 1, 60.0, QVariant(), 350.0, 40.0, 12.5, 1, 110.0});

        const TestResultColumns c = readTestResultColumns(db.connection, id);
        QCOMPARE(c.size(), std::size_t(3));
        QCOMPARE(c.time, (std::vector<double>{0, 60, 120}));
        QCOMPARE(c.rampNo, (std::vector<double>{0, 1, 1}));
        QCOMPARE(c.rampStepNo, (std::vector<double>{0, 1, 2}));
        QCOMPARE(c.sampleTemp, (std::vector<double>{75, 0, 150.5}));
        QCOMPARE(c.press, (std::vector<double>{300, 350, 400}));
        QCOMPARE(c.shearRate, (std::vector<double>{100, 40, 170}));
        QCOMPARE(c.shearStress, (std::vector<double>{20, 12.5, 55.25}));
        QCOMPARE(c.typeId, (std::vector<double>{0, 1, 1}));
        QCOMPARE(c.bathTemp, (std::vector<double>{76, 110, 152}));

        // The record class walks the same rows in the same order.
        clsTEST_RESULT rows;
        rows.setTest_Id(id);
        rows.ConnectX(db.connection);
        QCOMPARE(rows.TotalPoints(), 3);
        for (int i = 0; i < 3; ++i) {
            i == 0 ? rows.MoveFirst() : rows.MoveNext();
            QCOMPARE(rows.RESULT_TIME(), c.time[i]);
            QCOMPARE(rows.RESULT_SAMPLE_TEMP(), c.sampleTemp[i]);
            QCOMPARE(rows.RESULT_SHEAR_STRESS(), c.shearStress[i]);
        }

        QCOMPARE(readTestResultColumns(db.connection, id + other + 100).size(), std::size_t(0));
    }

    // A hand-edited file may hold text in a numeric column: a number in text
    // reads as that number, anything else is the record class's type
    // mismatch, never a silent 0. (The server's REAL columns refuse text.)
    void textInANumericColumn()
    {
        TempDatabase db;
        if (db.onServer()) QSKIP("the server's numeric columns hold no text");
        const int id = addTest(db, "Hand edited");
        addPoint(db, id, {0, 0, 0.0, 75.0, QString(" 612.5 "), 100.0, 20.0, 0, 76.0});
        QCOMPARE(readTestResultColumns(db.connection, id).press, (std::vector<double>{612.5}));

        addPoint(db, id, {0, 0, 1.0, 75.0, QString("n/a"), 100.0, 20.0, 0, 76.0});
        try {
            readTestResultColumns(db.connection, id);
            QFAIL("text that is no number was read");
        } catch (const DbError& e) {
            QCOMPARE(e.number(), 13);
            QCOMPARE(e.text(), QString("Type mismatch"));
        }
    }

    void closedConnectionIsRefused()
    {
        clsConnection closed;
        QVERIFY_THROWS_EXCEPTION(DbError, readTestResultColumns(closed, 1));
    }
};

QTEST_GUILESS_MAIN(TestResultColumnsTest)
#include "tst_result_columns.moc"
