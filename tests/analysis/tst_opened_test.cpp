// Loading a stored test, deleting one in a single transaction, and
// tz360-cli analyze, over a real database file and on the lab server.
#include "analysis/OpenedTest.h"
#include "db/DbError.h"
#include "db/TempDatabase.h"
#include "StoredTests.h"
#include "testinfo/TestDeletion.h"

#include <QProcess>
#include <QTest>

using namespace tz;

class TestOpenedTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase_data() { tz::test::addBackendRows(); }
    void init() { TZ360_USE_BACKEND_ROW(); }

    void loadsInformationAdditivesAndPoints() {
        TempDatabase db;
        fixture::storeTest(db.connection, "Other", fixture::powerLawPoints(1, 1, 1));
        const auto points = fixture::powerLawPoints(2, 0.5, 10);
        const int id = fixture::storeTest(db.connection, "Gel 250F", points,
                                          {{"Guar", 40, "lb/Mgal", "L-17"}, {"Borate", 1.5, "gal/Mgal", "B-2"}},
                                          1.7245);
        for (const auto& loaded : {loadTestByName(db.connection, "Gel 250F"), loadTest(db.connection, id)}) {
            QVERIFY(loaded);
            QCOMPARE(loaded->info.testId, id);
            QCOMPARE(loaded->info.name, QString("Gel 250F"));
            QCOMPARE(loaded->info.fluidId, QString("WF130 gel"));
            QCOMPARE(loaded->info.researcher, QString("J. Ortiz"));
            QCOMPARE(loaded->info.bobRadius, 1.7245);
            QCOMPARE(loaded->info.description, QString("borate crosslinked"));
            QCOMPARE(loaded->additives.size(), 2);
            QCOMPARE(loaded->additives[1].name, QString("Borate"));
            QCOMPARE(loaded->additives[1].concentration, 1.5);
            QCOMPARE(loaded->additives[1].unit, QString("gal/Mgal"));
            QCOMPARE(loaded->additives[1].lotNo, QString("B-2"));
            QCOMPARE(loaded->points.size(), points.size());
            const ResultPoint& p = loaded->points[8];  // ramp 2, step 2
            QCOMPARE(p.rampNo, 2);
            QCOMPARE(p.rampStepNo, 2);
            QCOMPARE(p.time, 1220.0);
            QCOMPARE(p.shearRate, 50.0);
            QCOMPARE(p.typeId, 1);
            QCOMPARE(p.bathTemp, 210.0);
            // 1.8415 / 1.7245
            QVERIFY(std::fabs(loaded->radiusRatio() - 1.067845752) < 1e-8);
        }
        QVERIFY(!loadTestByName(db.connection, "gel 250F"));
        QVERIFY(!loadTest(db.connection, id + 100));
    }

    // Two tests share a name: one delete removes both rows and the points
    // and additives of each; the other test keeps everything.
    void deleteRemovesEveryRowOfTheName() {
        TempDatabase db;
        const int a = fixture::storeTest(db.connection, "Dup", fixture::powerLawPoints(1, 1, 1), {{"Guar", 40, "lb/Mgal", "1"}});
        const int keep = fixture::storeTest(db.connection, "Keep", fixture::powerLawPoints(1, 1, 1), {{"Guar", 20, "lb/Mgal", "1"}});
        const int b = fixture::storeTest(db.connection, "Dup", fixture::powerLawPoints(2, 1, 1), {{"Borate", 1, "gal/Mgal", "2"}});
        QCOMPARE(deleteTestByName(db.connection, "Dup"), 2);
        const QString gone = QString("TEST_ID IN (%1, %2)").arg(a).arg(b);
        QCOMPARE(db.count("TEST_INFO", gone), 0);
        QCOMPARE(db.count("TEST_RESULT", gone), 0);
        QCOMPARE(db.count("TEST_ADDITIVE", gone), 0);
        QCOMPARE(db.count("TEST_INFO"), 1);
        QCOMPARE(db.count("TEST_RESULT", QString("TEST_ID = %1").arg(keep)), 6);
        QCOMPARE(db.count("TEST_ADDITIVE", QString("TEST_ID = %1").arg(keep)), 1);
        QCOMPARE(deleteTestByName(db.connection, "Dup"), 0);
        QVERIFY(!db.connection.InTransaction());
    }

    // The last statement fails: the points and additives deleted before it
    // come back.
    void failedDeleteLeavesTheTestWhole() {
        TempDatabase db;
        fixture::storeTest(db.connection, "Gel", fixture::powerLawPoints(2, 1, 1), {{"Guar", 40, "lb/Mgal", "1"}});
        db.refuse("DELETE", "TEST_INFO", "1 = 1", "locked");
        QVERIFY_THROWS_EXCEPTION(DbError, deleteTestByName(db.connection, "Gel"));
        QVERIFY(!db.connection.InTransaction());
        QCOMPARE(db.count("TEST_INFO"), 1);
        QCOMPARE(db.count("TEST_RESULT"), 12);
        QCOMPARE(db.count("TEST_ADDITIVE"), 1);
    }

    void cliAnalyzePrintsTheGridAsCsv_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("kHeading");
        QTest::addColumn<QString>("ramp1");
        QTest::newRow("CGS dyn") << QStringList{"--unit-system", "1", "--k-unit", "1"} << "dyn-s^n/cm2"
                                 << "1,20.,212,500,0.5000,10.000000,1.0000,9.363990,10.812604,171,108,83";
        QTest::newRow("CGS lbf/100ft2") << QStringList{"--unit-system", "1", "--k-unit", "0"} << "lb-f s/100 ft2"
                                        << "1,20.,212,500,0.5000,2.088555,1.0000,1.955721,2.258272,171,108,83";
        QTest::newRow("SI rates") << QStringList{"--unit-system", "3", "--rates", "10,511,1000"} << "dyn-s^n/cm2"
                                  << "1,20.,100,3447,0.5000,10.000000,1.0000,9.363990,10.812604,342,48,34";
    }
    void cliAnalyzePrintsTheGridAsCsv() {
        QFETCH(QStringList, options);
        QFETCH(QString, kHeading);
        QFETCH(QString, ramp1);
        TempDatabase db;
        fixture::storeTest(db.connection, "Gel 250F", fixture::powerLawPoints(2, 0.5, 10));
        QProcess cli;
        cli.setWorkingDirectory(db.dir.path());
        cli.start(qEnvironmentVariable("TZ360_CLI"), QStringList{"analyze", "Gel 250F"} + options);
        QVERIFY(cli.waitForFinished(20000));
        QCOMPARE(cli.exitCode(), 0);
        const QStringList lines = QString::fromUtf8(cli.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0].section(',', 5, 5), "Kv  " + kHeading);
        QCOMPARE(lines[1], ramp1);
        // The last ramp shows the last point's time: 1250 s.
        QVERIFY2(lines[2].startsWith("2,21.,"), qPrintable(lines[2]));
    }

    // A run that ended in a hold step: the grid has an empty row for ramp 3,
    // the CSV one line per ramp with a result and nothing after them.
    void cliAnalyzeLeavesOutRampsWithoutResults() {
        TempDatabase db;
        std::vector<ResultPoint> points = fixture::powerLawPoints(2, 0.5, 10);
        points.push_back({3, 0, 1900, 212, 500, 100, 200, 0, 210});
        fixture::storeTest(db.connection, "Ended in a hold", points);
        QProcess cli;
        cli.setWorkingDirectory(db.dir.path());
        cli.start(qEnvironmentVariable("TZ360_CLI"), QStringList{"analyze", "Ended in a hold", "--unit-system", "1"});
        QVERIFY(cli.waitForFinished(20000));
        QCOMPARE(cli.exitCode(), 0);
        const QStringList lines = QString::fromUtf8(cli.readAllStandardOutput()).split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY2(lines[1].startsWith("1,20.,"), qPrintable(lines[1]));
        // Ramp 2 shows the hold point that follows it: 1900 s = 31.7 min.
        QVERIFY2(lines[2].startsWith("2,32.,"), qPrintable(lines[2]));
        QCOMPARE(lines[3], QString());
    }

    void cliAnalyzeRefuses_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("unknown test") << QStringList{"analyze", "Nope"} << 3;
        QTest::newRow("no name") << QStringList{"analyze"} << 1;
        QTest::newRow("bad unit system") << QStringList{"analyze", "Gel", "--unit-system", "4"} << 1;
        QTest::newRow("bad k unit") << QStringList{"analyze", "Gel", "--k-unit", "2"} << 1;
        QTest::newRow("falling rates") << QStringList{"analyze", "Gel", "--rates", "170,100,40"} << 1;
        QTest::newRow("missing value") << QStringList{"analyze", "Gel", "--rates"} << 1;
    }
    void cliAnalyzeRefuses() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        TempDatabase db;
        fixture::storeTest(db.connection, "Gel", fixture::powerLawPoints(1, 0.5, 10));
        QProcess cli;
        cli.setWorkingDirectory(db.dir.path());
        cli.start(qEnvironmentVariable("TZ360_CLI"), args);
        QVERIFY(cli.waitForFinished(20000));
        QCOMPARE(cli.exitCode(), exitCode);
        QVERIFY(cli.readAllStandardOutput().isEmpty());
        QVERIFY(!cli.readAllStandardError().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestOpenedTest)
#include "tst_opened_test.moc"
