// Storing a new test at the start of a run: the id is the one the insert
// created, the additives go in with it, and a failure leaves nothing behind.
#include "db/DbError.h"
#include "db/NewTest.h"
#include "db/TempDatabase.h"

#include <QElapsedTimer>
#include <QSemaphore>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QThread>

#include <thread>

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
        // A second test of the same name is refused where it is stored, so a
        // name always means one test.
        QVERIFY_THROWS_EXCEPTION(TestNameTakenError, storeNewTest(db.connection, info, {}));
        info.testName = "Gel-2";
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

    // Checked when the name was typed, taken by another bench before the
    // test is stored: refused at the store, and the other test kept.
    void nameTakenBetweenCheckAndStore_data() { tz::test::addBackendRows(); }
    void nameTakenBetweenCheckAndStore()
    {
        QFETCH(QString, backend);
        TZ360_USE_BACKEND(backend);
        TempDatabase db;
        TestInformation info;
        info.testName = "Frac-7";
        QVERIFY(!testNameTaken(db.connection, info.testName));
        int otherId = 0;
        {
            clsConnection otherBench;
            otherBench.OpenDB("", "", "", "", db.dir.path());
            QVERIFY(otherBench.isOpen());
            otherId = storeNewTest(otherBench, info, {});
        }
        QVERIFY_THROWS_EXCEPTION(TestNameTakenError, storeNewTest(db.connection, info, {{"KCl", 2, "%", ""}}));
        QCOMPARE(db.sql("SELECT TEST_ID FROM TEST_INFO"), (QVariantList{otherId}));
        QCOMPARE(db.count("TEST_ADDITIVE"), 0);
        QVERIFY(!db.connection.InTransaction());
    }

    // Two benches storing the same name at the same moment: the other bench
    // has inserted its test and not committed yet when this one stores. This
    // one waits for it and is refused; a check made before the insert (or
    // outside its transaction) would have let both in.
    void simultaneousStoresTakeTurns_data() { tz::test::addBackendRows(); }
    void simultaneousStoresTakeTurns()
    {
        QFETCH(QString, backend);
        TZ360_USE_BACKEND(backend);
        TempDatabase db;
        TestInformation info;
        info.testName = "Frac-8";
        QSemaphore inserted, done;
        QString otherError;
        std::thread otherBench([&] {
            try {
                clsConnection connection;
                connection.OpenDB("", "", "", "", db.dir.path());
                const int owner = connection.BeginTrans();
                QSqlQuery insert(connection.ADOConnection());
                if (!insert.exec("INSERT INTO TEST_INFO (TEST_NAME) VALUES ('Frac-8')"))
                    otherError = insert.lastError().text();
                inserted.release();
                // Long enough for this bench to be waiting on the lock.
                QThread::msleep(700);
                connection.CommitTrans(owner);
            } catch (const DbError& e) {
                otherError = e.text();
                if (inserted.available() == 0)
                    inserted.release();
            }
            done.release();
        });
        inserted.acquire();
        QElapsedTimer waited;
        waited.start();
        bool refused = false;
        try {
            storeNewTest(db.connection, info, {});
        } catch (const TestNameTakenError&) {
            refused = true;
        } catch (const DbError& e) {
            qWarning("%s", qPrintable(e.text()));
        }
        done.acquire();
        otherBench.join();
        QVERIFY2(otherError.isEmpty(), qPrintable(otherError));
        QVERIFY(refused);
        QVERIFY(waited.elapsed() >= 500);
        QCOMPARE(db.count("TEST_INFO", "TEST_NAME = 'Frac-8'"), 1);
        QVERIFY(!db.connection.InTransaction());
    }

    // Texts that do not fit are refused before anything is written, naming
    // the field; the full check is tested on its own (tst_test_field_limits).
    void unfitTextsStoreNothing_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("reason");
        QTest::newRow("name of 41") << "name" << "Test Name: at most 40 characters are allowed (41 given)";
        QTest::newRow("blank name") << "blank" << "Test Name: a test name of blanks only is not allowed";
        QTest::newRow("fluid with a line break") << "fluid" << "Fluid ID: line breaks";
        QTest::newRow("lot number of 41") << "lot" << "Additive 2, Lot Number: at most 40";
    }
    void unfitTextsStoreNothing()
    {
        QFETCH(QString, field);
        QFETCH(QString, reason);
        TempDatabase db;
        TestInformation info;
        info.testName = "Frac-9";
        QList<AdditiveEntry> additives{{"KCl", 2, "%", "L1"}, {"Guar", 40, "ppt", "L2"}};
        if (field == "name")
            info.testName = QString(41, 'N');
        else if (field == "blank")
            info.testName = "   ";
        else if (field == "fluid")
            info.fluidId = "HPG\n40";
        else
            additives[1].lotNo = QString(41, 'L');
        QString error;
        try {
            storeNewTest(db.connection, info, additives);
        } catch (const DbError& e) {
            error = e.text();
        }
        QVERIFY2(error.startsWith(reason), qPrintable(error));
        QCOMPARE(db.count("TEST_INFO"), 0);
        QCOMPARE(db.count("TEST_ADDITIVE"), 0);
        QVERIFY(!db.connection.InTransaction());
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
