// tz360-cli retrieve end to end: the real program on the real serial code
// against tz360-sim on pseudo-terminals. The stored run arrives paced as the
// line carries it; every record must land in TZ360.db exactly as sent.
#include "tests/support/SimulatedUnitProcess.h"
#include "sim/SimulatedUnit.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace tz;

class TestCliRetrieve : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QList<QProcess*> sims_;

    void startSim(int comm, const QStringList& extra)
    {
        QProcess* sim = tz::test::startSimulatedUnit(this, dir_.path(), comm, "20", extra);
        QVERIFY(sim);
        sims_ << sim;
    }

    struct Result {
        int exitCode = -1;
        QString out, err;
    };

    Result retrieve(const QStringList& args)
    {
        QProcess cli;
        cli.setWorkingDirectory(dir_.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // The workstation's waits run at half the unit's pace, so a busy
        // machine stalling the sim a moment cannot end the download early.
        env.insert("TZ360_TIME_SCALE", "10");
        cli.setProcessEnvironment(env);
        cli.start(qEnvironmentVariable("TZ360_CLI"), QStringList{"retrieve"} + args);
        Result r;
        if (!cli.waitForFinished(60000))
            return r;
        r.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
        r.out = QString::fromLocal8Bit(cli.readAllStandardOutput());
        r.err = QString::fromLocal8Bit(cli.readAllStandardError());
        return r;
    }

    QStringList column(const QString& sql)
    {
        QStringList out;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
            db.setDatabaseName(dir_.filePath("TZ360.db"));
            if (db.open()) {
                QSqlQuery q(db);
                if (q.exec(sql))
                    while (q.next())
                        out << q.value(0).toString();
            }
        }
        QSqlDatabase::removeDatabase("check");
        return out;
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariable("TZ360_SIM").isEmpty() || qEnvironmentVariable("TZ360_CLI").isEmpty())
            QSKIP("TZ360_SIM / TZ360_CLI are not set (run through ctest)");
        QVERIFY(dir_.isValid());
        startSim(1, {});
        startSim(2, {"--silent"});
    }

    void cleanupTestCase()
    {
        for (QProcess* sim : sims_) {
            sim->terminate();
            sim->waitForFinished(5000);
        }
    }

    // The sim powers up holding a finished stand-alone run; the same unit
    // in-process says what it holds. Bob B1 would change every stress by a
    // factor of about 3.4 if one were applied.
    void storesTheStandAloneRunAsSent()
    {
        sim::Options quiet;
        quiet.noise = false;
        const QList<StoredRecord> held = sim::SimulatedUnit(quiet).storedRecords();
        QVERIFY(held.size() >= 5);

        const Result r = retrieve({"--comm", "1", "--test", "stand-alone 1", "--bob", "B1", "--fluid", "HPG",
                                   "--researcher", "L. Ortiz"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY2(r.out.startsWith(QStringLiteral("%1 points stored in test \"stand-alone 1\"").arg(held.size())),
                 qPrintable(r.out));

        QStringList expected;
        for (const StoredRecord& s : held)
            expected << QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9")
                            .arg(s.rampNo)
                            .arg(s.rampStepNo)
                            .arg(s.elapsedS)
                            .arg(s.sampleTempF, 0, 'f', 1)
                            .arg(s.bathTempF, 0, 'f', 1)
                            .arg(s.pressurePsi, 0, 'f', 0)
                            .arg(s.shearRate, 0, 'f', 2)
                            .arg(s.shearStress, 0, 'f', 2)
                            .arg(s.resultType);
        QStringList stored;
        for (const QString& row :
             column("SELECT printf('%d,%d,%d,%.1f,%.1f,%.0f,%.2f,%.2f,%d', RAMP_NO, RAMP_STEP_NO, RESULT_TIME, "
                    "RESULT_SAMPLE_TEMP, RESULT_BATH_TEMP, RESULT_PRESS, RESULT_SHEAR_RATE, RESULT_SHEAR_STRESS, "
                    "RESULT_TYPE_ID) FROM TEST_RESULT r JOIN TEST_INFO i ON i.TEST_ID = r.TEST_ID "
                    "WHERE i.TEST_NAME = 'stand-alone 1' ORDER BY TEST_RESULT_ID"))
            stored << row;
        QCOMPARE(stored, expected);
        QCOMPARE(column("SELECT BOB_NO || ' ' || FLUID_ID || ' ' || RESEARCHER_NAME FROM TEST_INFO "
                        "WHERE TEST_NAME = 'stand-alone 1'"),
                 QStringList{"B1 HPG L. Ortiz"});
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("reason");
        QTest::newRow("silent unit") << QStringList{"--comm", "2", "--test", "nothing"} << 3
                                     << "No response from TZ360, please check connection.";
        QTest::newRow("name taken") << QStringList{"--comm", "1", "--test", "stand-alone 1"} << 2
                                    << "a test named \"stand-alone 1\" is already stored";
        QTest::newRow("no name") << QStringList{"--comm", "1"} << 1 << "--test NAME is required";
        QTest::newRow("bad bob") << QStringList{"--comm", "1", "--test", "x", "--bob", "B9"} << 1 << "unknown bob";
    }

    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, reason);
        const Result r = retrieve(args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(reason), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        // A failed download stores nothing, so the name stays free.
        QCOMPARE(column("SELECT count(*) FROM TEST_INFO WHERE TEST_NAME <> 'stand-alone 1'"), QStringList{"0"});
    }
};

QTEST_GUILESS_MAIN(TestCliRetrieve)
#include "tst_cli_retrieve.moc"
