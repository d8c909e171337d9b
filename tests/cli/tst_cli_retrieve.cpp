// tz360-cli retrieve end to end: the real program on the real serial code
// against tz360-sim on pseudo-terminals. The stored run arrives paced as the
// line carries it; every record must land in TZ360.db exactly as sent.
#include "tests/support/SimulatedUnitProcess.h"
#include "instrument/CommPorts.h"
#include "sim/SimulatedUnit.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

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
        QTest::newRow("blank name") << QStringList{"--comm", "1", "--test", "  "} << 1
                                    << "--test: a test name of blanks only is not allowed";
        QTest::newRow("name of 41") << QStringList{"--comm", "1", "--test", QString(41, 'r')} << 1
                                    << "--test: at most 40 characters are allowed (41 given)";
        QTest::newRow("researcher with a line break")
            << QStringList{"--comm", "1", "--test", "r1", "--researcher", "L.\nOrtiz"} << 1
            << "--researcher: line breaks and other control characters are not allowed";
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

    // The name is free when the command starts; while the unit sends its
    // run, another bench stores a test of that name. The unit is played by
    // the test on a bare pseudo-terminal, so the other test is stored exactly
    // between the request and the reply.
    void nameTakenDuringTheDownload()
    {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0);
        QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
        termios raw{};
        QVERIFY(tcgetattr(master, &raw) == 0);
        cfmakeraw(&raw);
        QVERIFY(tcsetattr(master, TCSANOW, &raw) == 0);
        QVERIFY(setCommDevice(5, QString::fromLocal8Bit(ptsname(master)), dir_.path()));

        QProcess cli;
        cli.setWorkingDirectory(dir_.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TZ360_TIME_SCALE", "10");
        cli.setProcessEnvironment(env);
        cli.start(qEnvironmentVariable("TZ360_CLI"), {"retrieve", "--comm", "5", "--test", "raced"});
        QByteArray request;
        for (int w = 0; w < 1000 && !request.contains("\x01\x1a"); ++w) {
            QTest::qWait(10);
            pollfd p{master, POLLIN, 0};
            char buf[64];
            while (poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
                const ssize_t n = ::read(master, buf, sizeof buf);
                if (n <= 0) break;
                request.append(buf, n);
            }
        }
        QVERIFY2(request.contains("\x01\x1a"), request.toHex(' ').constData());
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other bench");
            db.setDatabaseName(dir_.filePath("TZ360.db"));
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec("INSERT INTO TEST_INFO (TEST_NAME, FLUID_ID) VALUES ('raced', 'other bench')"));
        }
        QSqlDatabase::removeDatabase("other bench");
        const QByteArray reply = "1,0,30,80,79,500,100,50,0\x03\x02";
        QCOMPARE(::write(master, reply.constData(), reply.size()), ssize_t(reply.size()));
        QVERIFY(cli.waitForFinished(30000));
        ::close(master);
        const QString err = QString::fromLocal8Bit(cli.readAllStandardError());
        QCOMPARE(cli.exitCode(), 2);
        QVERIFY2(err.contains("a test named \"raced\" is already stored"), qPrintable(err));
        QCOMPARE(column("SELECT FLUID_ID FROM TEST_INFO WHERE TEST_NAME = 'raced'"), QStringList{"other bench"});
        QCOMPARE(column("SELECT count(*) FROM TEST_RESULT r JOIN TEST_INFO i ON i.TEST_ID = r.TEST_ID "
                        "WHERE i.TEST_NAME = 'raced'"),
                 QStringList{"0"});
    }
};

QTEST_GUILESS_MAIN(TestCliRetrieve)
#include "tst_cli_retrieve.moc"
