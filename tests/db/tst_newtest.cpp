// Storing a new test at the start of a run: the id is the one the insert
// created, the additives go in with it, and a failure leaves nothing behind.
#include "db/DbError.h"
#include "db/NewTest.h"
#include "db/TempDatabase.h"

#include <QTest>

using namespace tz;

class TestNewTest : public QObject {
    Q_OBJECT
private slots:
    void idIsTheInsertsOwn()
    {
        TempDatabase db;
        TestInformation info;
        info.testName = "Gel-1";
        info.bobNo = "B4";
        info.bobRadiusCm = 0.8622;
        info.bobEffLengthCm = 3.81;
        info.researcherName = "K. Ortiz";
        const int first = storeNewTest(db.connection, info, {});
        // A second test of the same name (the windows refuse it; a script may
        // not): it gets its own id, never the first one's.
        const int second = storeNewTest(db.connection, info, {});
        QVERIFY(first > 0);
        QVERIFY(second != first);
        QCOMPARE(db.sql("SELECT TEST_ID FROM TEST_INFO ORDER BY TEST_ID"), (QVariantList{first, second}));
        QCOMPARE(db.sql("SELECT BOB_NO || ' ' || BOB_RADIUS || ' ' || BOB_EFF_LENGTH || ' ' || RESEARCHER_NAME "
                        "FROM TEST_INFO WHERE TEST_ID = ?", {second}).value(0).toString(),
                 QStringLiteral("B4 0.8622 3.81 K. Ortiz"));
        QVERIFY(testNameTaken(db.connection, "Gel-1"));
        QVERIFY(!testNameTaken(db.connection, "gel-1"));
        QVERIFY(!testNameTaken(db.connection, "Gel-1 "));
    }

    void additives_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("stored");
        QTest::newRow("none") << QStringList{} << 0;
        QTest::newRow("stops at the first empty name") << QStringList{"KCl", "Guar", "", "Borate"} << 2;
        QStringList many;
        for (int i = 1; i <= 25; ++i)
            many << QStringLiteral("A%1").arg(i);
        QTest::newRow("at most twenty") << many << 20;
    }

    void additives()
    {
        QFETCH(QStringList, names);
        QFETCH(int, stored);
        TempDatabase db;
        QList<AdditiveEntry> list;
        for (const QString& n : names)
            list.append({n, 2.5, "gpt", "L-7"});
        TestInformation info;
        info.testName = "T";
        const int id = storeNewTest(db.connection, info, list);
        QCOMPARE(db.count("TEST_ADDITIVE", QStringLiteral("TEST_ID = %1 AND ADD_CONCEN = 2.5 AND ADD_UNIT = 'gpt' "
                                                          "AND ADD_LOTNO = 'L-7'").arg(id)),
                 stored);
        QCOMPARE(db.count("TEST_ADDITIVE"), stored);
    }

    void failureStoresNothing()
    {
        TempDatabase db;
        db.sql("DROP TABLE TEST_ADDITIVE");
        TestInformation info;
        info.testName = "T";
        QVERIFY_THROWS_EXCEPTION(DbError, storeNewTest(db.connection, info, {{"KCl", 2, "%", ""}}));
        QCOMPARE(db.count("TEST_INFO"), 0);
        QVERIFY(!db.connection.InTransaction());
    }
};

QTEST_GUILESS_MAIN(TestNewTest)
#include "tst_newtest.moc"
