// Copying a bench's tests and sequences into another database: everything
// arrives under new ids with names kept, a name clash writes nothing unless
// renaming is asked for, and a copy back out again matches the original.
#include "TempDatabase.h"

#include "db/DatabaseCopy.h"
#include "db/DbError.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>



namespace {

// Every row of every table, parents named instead of numbered, ids left out,
// in a fixed order: two databases holding the same work dump equal.
QStringList dump(TempDatabase& db)
{
    const QStringList selects = {
        "SELECT SEQUENCE_NAME, TIME_BEFORE_READ, RAMP_SAMPLE_RATE, SAMPLE_POINTS_AVERAGE, SHUT_DOWN_ATIME,"
        " SHUT_DOWN_VISC, SAMPLE_INTERVAL FROM SEQUENCE_INFO ORDER BY 1",
        "SELECT s.SEQUENCE_NAME, r.RAMP_NO, r.RAMP_ELAPSE_TIME, r.RAMP_TEMP, r.RAMP_START_ERROR, r.SHEAR_RATE,"
        " r.RUN_RAMP FROM SEQUENCE_RAMP r JOIN SEQUENCE_INFO s ON s.SEQUENCE_ID = r.SEQUENCE_ID ORDER BY 1, 2",
        "SELECT s.SEQUENCE_NAME, d.RAMP_STEP_NO, d.RAMP_SHEAR_RATE FROM SEQUENCE_RAMP_DEFINE d"
        " JOIN SEQUENCE_INFO s ON s.SEQUENCE_ID = d.SEQUENCE_ID ORDER BY 1, 2",
        "SELECT TEST_NAME, FLUID_ID, TEST_TIME, RESEARCHER_NAME, ROTOR_NO, BOB_NO, BOB_RADIUS, BOB_EFF_LENGTH,"
        " PRETEST_PH, POSTTEST_PH, SAFETY FROM TEST_INFO ORDER BY 1",
        "SELECT t.TEST_NAME, a.ADDITIVE_NM, a.ADD_CONCEN, a.ADD_UNIT, a.ADD_LOTNO FROM TEST_ADDITIVE a"
        " JOIN TEST_INFO t ON t.TEST_ID = a.TEST_ID ORDER BY 1, 2",
        "SELECT t.TEST_NAME, p.RAMP_NO, p.RAMP_STEP_NO, p.RESULT_TIME, p.RESULT_SAMPLE_TEMP, p.RESULT_PRESS,"
        " p.RESULT_SHEAR_RATE, p.RESULT_SHEAR_STRESS, p.RESULT_TYPE_ID, p.RESULT_BATH_TEMP FROM TEST_RESULT p"
        " JOIN TEST_INFO t ON t.TEST_ID = p.TEST_ID ORDER BY 1, 4",
    };
    QStringList rows;
    for (const QString& select : selects) {
        QSqlQuery query(db.connection.ADOConnection());
        if (!query.exec(select))
            qFatal("dump failed: %s", qPrintable(query.lastError().text()));
        while (query.next()) {
            QStringList fields;
            for (int i = 0; i < query.record().count(); ++i)
                fields << query.value(i).toString();
            rows << fields.join('|');
        }
    }
    return rows;
}

// Two tests (one with two additives, both with points) and a two-step
// sequence with a shear ramp, ids deliberately not starting at 1 so a copy
// that kept the source's ids would be caught.
void fill(TempDatabase& db)
{
    db.sql("INSERT INTO SEQUENCE_INFO (SEQUENCE_ID, SEQUENCE_NAME, TIME_BEFORE_READ, RAMP_SAMPLE_RATE,"
           " SAMPLE_POINTS_AVERAGE, SHUT_DOWN_ATIME, SHUT_DOWN_VISC, SAMPLE_INTERVAL) VALUES (7, ?, 5, 2, 3, 0, 0, 10)",
           {"Borate 200F"});
    db.sql("INSERT INTO SEQUENCE_RAMP (SEQUENCE_ID, RAMP_NO, RAMP_ELAPSE_TIME, RAMP_TEMP, RAMP_START_ERROR,"
           " SHEAR_RATE, RUN_RAMP) VALUES (?, 1, 30, 93.3, 2, 100, 1), (?, 2, 120, 121.1, 2, 40, 0)", {7, 7});
    db.sql("INSERT INTO SEQUENCE_RAMP_DEFINE (SEQUENCE_ID, RAMP_STEP_NO, RAMP_SHEAR_RATE)"
           " VALUES (?, 1, 170), (?, 2, 85), (?, 3, 42.5)", {7, 7, 7});
    for (int id : {11, 12}) {
        db.sql("INSERT INTO TEST_INFO (TEST_ID, TEST_NAME, FLUID_ID, TEST_TIME, RESEARCHER_NAME, ROTOR_NO, BOB_NO,"
               " BOB_RADIUS, BOB_EFF_LENGTH, PRETEST_PH, POSTTEST_PH, SAFETY)"
               " VALUES (?, ?, 'XL-30', ?, 'R. Ortiz', 'R1', 'B5', 1.5987, 7.62, 9.5, 8.75, 'Vent before opening')",
               {id, QString("Well %1").arg(id), QString("2026-03-0%1 08:15:00").arg(id - 10)});
        db.sql("INSERT INTO TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP,"
               " RESULT_PRESS, RESULT_SHEAR_RATE, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP)"
               " VALUES (?, 1, 0, 0.5, 25.1, 400, 100, 12.25, 0, 30), (?, 1, 1, 1.0, 60.2, 401, 170, 20.5, 1, 65)",
               {id, id});
    }
    db.sql("INSERT INTO TEST_ADDITIVE (TEST_ID, ADDITIVE_NM, ADD_CONCEN, ADD_UNIT, ADD_LOTNO)"
           " VALUES (11, 'Guar', 30, 'ppt', 'L-1'), (11, 'Borate', 1.5, 'gpt', 'L-2')");
}

}  // namespace

class TestDbCopy : public QObject {
    Q_OBJECT
private slots:
    void initTestCase_data() { tz::test::addBackendRows(); }
    void init() { TZ360_USE_BACKEND_ROW(); }

    void copiesThereAndBackUnchanged()
    {
        TempDatabase a, b, c;
        fill(a);
        b.sql("INSERT INTO TEST_INFO (TEST_NAME) VALUES ('Already here')");
        const tz::CopyResult there = tz::copyDatabase(a.connection, b.connection, false);
        QCOMPARE(there.sequences, 1);
        QCOMPARE(there.tests, 2);
        QCOMPARE(there.lines, QStringList({"Sequence \"Borate 200F\"", "Test \"Well 11\" (2 points)",
                                           "Test \"Well 12\" (2 points)"}));
        // The existing test kept; the copies got the target's own new ids.
        QCOMPARE(b.sql("SELECT COUNT(*) FROM TEST_INFO").value(0).toInt(), 3);
        QCOMPARE(b.sql("SELECT COUNT(*) FROM TEST_INFO WHERE TEST_ID IN (11, 12)").value(0).toInt(), 0);
        b.sql("DELETE FROM TEST_INFO WHERE TEST_NAME = 'Already here'");
        QCOMPARE(dump(b), dump(a));

        tz::copyDatabase(b.connection, c.connection, false);
        const QStringList original = dump(a);
        QCOMPARE(original.size(), 1 + 2 + 3 + 2 + 2 + 4);
        QCOMPARE(dump(c), original);
    }

    void clashWritesNothing()
    {
        TempDatabase a, b;
        fill(a);
        b.sql("INSERT INTO SEQUENCE_INFO (SEQUENCE_NAME) VALUES ('Borate 200F')");
        const QStringList before = dump(b);
        try {
            tz::copyDatabase(a.connection, b.connection, false);
            QFAIL("a clashing sequence name was accepted");
        } catch (const tz::DbError& e) {
            QVERIFY2(e.text().contains("\"Borate 200F\""), qPrintable(e.text()));
        }
        QCOMPARE(dump(b), before);
        QCOMPARE(b.sql("SELECT COUNT(*) FROM TEST_INFO").value(0).toInt(), 0);
        QVERIFY(!b.connection.InTransaction());
    }

    void renamesClashesToFreeNames()
    {
        TempDatabase a, b;
        fill(a);
        const QString longName = QString(40, 'L');
        a.sql("INSERT INTO TEST_INFO (TEST_NAME) VALUES (?)", {longName});
        tz::copyDatabase(a.connection, b.connection, false);
        b.sql("INSERT INTO TEST_INFO (TEST_NAME) VALUES ('Well 11 (2)')");   // taken: the next is (3)
        const tz::CopyResult again = tz::copyDatabase(a.connection, b.connection, true);
        QVERIFY(again.lines.contains("Sequence \"Borate 200F\" -> \"Borate 200F (2)\""));
        QVERIFY(again.lines.contains("Test \"Well 11\" -> \"Well 11 (3)\" (2 points)"));
        const QString shortened = QString(36, 'L') + " (2)";
        QCOMPARE(shortened.size(), 40);
        QVERIFY(again.lines.contains(QString("Test \"%1\" -> \"%2\" (0 points)").arg(longName, shortened)));
        // The renamed copy carries its own steps and points.
        QCOMPARE(b.sql("SELECT COUNT(*) FROM SEQUENCE_RAMP r JOIN SEQUENCE_INFO s ON s.SEQUENCE_ID = r.SEQUENCE_ID"
                       " WHERE s.SEQUENCE_NAME = 'Borate 200F (2)'").value(0).toInt(), 2);
        QCOMPARE(b.sql("SELECT COUNT(*) FROM TEST_ADDITIVE a JOIN TEST_INFO t ON t.TEST_ID = a.TEST_ID"
                       " WHERE t.TEST_NAME = 'Well 11 (3)'").value(0).toInt(), 2);
        QCOMPARE(b.sql("SELECT COUNT(*) FROM TEST_RESULT").value(0).toInt(), 8);
    }

    // Tests may share a name: two of them in the source are no clash with
    // each other, only with the target. A long test's points cross several
    // multi-row inserts and keep their order.
    void sameNamedTestsAndALongTest()
    {
        TempDatabase a, b;
        a.sql("INSERT INTO TEST_INFO (TEST_ID, TEST_NAME) VALUES (3, 'Repeat'), (4, 'Repeat')");
        for (int i = 0; i < 123; ++i)  // two full inserts of 50 and one of 23
            a.sql("INSERT INTO TEST_RESULT (TEST_ID, RAMP_NO, RESULT_TIME) VALUES (4, 1, ?)", {123 - i});
        const tz::CopyResult first = tz::copyDatabase(a.connection, b.connection, false);
        QCOMPARE(first.lines, QStringList({"Test \"Repeat\" (0 points)", "Test \"Repeat\" (123 points)"}));
        QVariantList expected;
        for (int i = 0; i < 123; ++i)
            expected << 123 - i;
        QCOMPARE(b.sql("SELECT CAST(RESULT_TIME AS INTEGER) FROM TEST_RESULT ORDER BY TEST_RESULT_ID"), expected);

        // Now the name is in the target: refused, or renamed apart.
        QVERIFY_THROWS_EXCEPTION(tz::DbError, tz::copyDatabase(a.connection, b.connection, false));
        const tz::CopyResult renamed = tz::copyDatabase(a.connection, b.connection, true);
        QCOMPARE(renamed.lines, QStringList({"Test \"Repeat\" -> \"Repeat (2)\" (0 points)",
                                             "Test \"Repeat\" -> \"Repeat (3)\" (123 points)"}));
        QCOMPARE(b.count("TEST_RESULT"), 246);
    }
};

QTEST_GUILESS_MAIN(TestDbCopy)
#include "tst_db_copy.moc"
