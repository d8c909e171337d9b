// tz360-cli run end to end: the real program on the real serial code against
// tz360-sim on pseudo-terminals, both sped up. Checks the rows in TZ360.db,
// the refusals, and that a run killed at any moment keeps every point it had
// printed in a sound database file.
#include "tests/support/SimulatedUnitProcess.h"
#include "db/SequenceData.h"
#include "db/clsConnection.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace tz;

namespace {

constexpr const char* kScale = "50";

SequenceData makeSequence(const QString& name, QList<SequenceStep> steps, QList<double> ramp, int interval,
                          double every, double perPoint)
{
    SequenceData s;
    s.name = name;
    s.timeBeforeRead = 3;
    s.rampSampleRate = every;
    s.samplePointsAverage = perPoint;
    s.sampleInterval = interval;
    s.shutDownATime = 20;
    s.shutDownVisc = 0;
    for (int i = 0; i < steps.size(); ++i)
        steps[i].rampNo = i + 1;
    s.steps = steps;
    s.rampShearRates = ramp;
    return s;
}

SequenceStep makeStep(double minutes, double tempF, bool ramp)
{
    SequenceStep s;
    s.elapseTimeMin = minutes;
    s.tempF = tempF;
    s.startErrorF = 10;
    s.shearRate = 100;
    s.runRamp = ramp ? 1 : 0;
    return s;
}

// "ramp,step,type,time" of each printed point line.
QStringList pointKeys(const QString& stdoutText)
{
    QStringList keys;
    for (const QString& line : stdoutText.split('\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split('\t');
        if (f.size() >= 10 && !line.endsWith("\twaiting"))
            keys << f.mid(0, 4).join(',');
    }
    return keys;
}

}  // namespace

class TestCliRun : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QList<QProcess*> sims_;

    void startSim(int comm, const QStringList& extra)
    {
        QProcess* sim = tz::test::startSimulatedUnit(this, dir_.path(), comm, kScale, extra);
        QVERIFY(sim);
        sims_ << sim;
    }

    struct Result {
        int exitCode = -1;
        QString out, err;
    };

    QProcess* startCli(const QStringList& args)
    {
        auto* cli = new QProcess(this);
        cli->setWorkingDirectory(dir_.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TZ360_TIME_SCALE", kScale);
        cli->setProcessEnvironment(env);
        cli->start(qEnvironmentVariable("TZ360_CLI"), QStringList{"run"} + args);
        return cli;
    }

    Result runCli(const QStringList& args)
    {
        QProcess* cli = startCli(args);
        Result r;
        if (!cli->waitForFinished(60000))
            return r;
        r.exitCode = cli->exitStatus() == QProcess::NormalExit ? cli->exitCode() : -1;
        r.out = QString::fromLocal8Bit(cli->readAllStandardOutput());
        r.err = QString::fromLocal8Bit(cli->readAllStandardError());
        delete cli;
        return r;
    }

    // Rows of a test as "ramp,step,type,time", in the order written.
    QStringList rows(const QString& testName)
    {
        QStringList out;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
            db.setDatabaseName(dir_.filePath("TZ360.db"));
            if (db.open()) {
                QSqlQuery q(db);
                q.prepare("SELECT CAST(RAMP_NO AS INTEGER) || ',' || CAST(RAMP_STEP_NO AS INTEGER) || ',' || "
                          "CAST(RESULT_TYPE_ID AS INTEGER) || ',' || CAST(RESULT_TIME AS INTEGER) "
                          "FROM TEST_RESULT r JOIN TEST_INFO i ON i.TEST_ID = r.TEST_ID "
                          "WHERE i.TEST_NAME = ? ORDER BY TEST_RESULT_ID");
                q.addBindValue(testName);
                q.exec();
                while (q.next())
                    out << q.value(0).toString();
            }
        }
        QSqlDatabase::removeDatabase("check");
        return out;
    }

    QVariant scalar(const QString& sql)
    {
        QVariant v;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
            db.setDatabaseName(dir_.filePath("TZ360.db"));
            if (db.open()) {
                QSqlQuery q(db);
                if (q.exec(sql) && q.next())
                    v = q.value(0);
            }
        }
        QSqlDatabase::removeDatabase("check");
        return v;
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariable("TZ360_SIM").isEmpty() || qEnvironmentVariable("TZ360_CLI").isEmpty())
            QSKIP("TZ360_SIM / TZ360_CLI are not set (run through ctest)");
        QVERIFY(dir_.isValid());
        {
            clsConnection connection;
            connection.OpenDB("", "", "", "", dir_.path());
            QVERIFY(connection.isOpen());
            saveSequence(connection, makeSequence("short", {makeStep(0.5, 75, true)}, {100, 200, 300}, 10, 1, 2));
            saveSequence(connection, makeSequence("long", {makeStep(60, 75, false)}, {}, 2, 1, 1));
            saveSequence(connection, makeSequence("hot", {makeStep(1, 150, false), makeStep(1, 211, false)}, {}, 10, 1, 2));
            // A sampling period of 0: no tick of a step can decide on a sample.
            saveSequence(connection, makeSequence("unsampled", {makeStep(1, 75, false)}, {}, 10, 0, 2));
        }
        startSim(1, {});
        startSim(2, {"--pressure", "95"});
        startSim(3, {"--silent"});
        startSim(5, {"--over-temperature"});
    }

    void cleanupTestCase()
    {
        for (QProcess* sim : sims_) {
            sim->terminate();
            sim->waitForFinished(5000);
        }
    }

    // The short sequence to its end: one 30 s step and a three-row ramp.
    void runsToItsEnd()
    {
        const Result r = runCli({"--comm", "1", "--sequence", "short", "--test", "gel A", "--bob", "b4",
                                 "--fluid", "HPG 40", "--researcher", "R. Diaz", "--unit", "2"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const QStringList expected{"1,0,0,12", "1,0,0,22", "1,1,1,36", "1,2,1,41", "1,3,1,46"};
        QCOMPARE(pointKeys(r.out), expected);
        QCOMPARE(rows("gel A"), expected);
        QCOMPARE(scalar("SELECT BOB_NO || ' ' || BOB_RADIUS || ' ' || BOB_EFF_LENGTH || ' ' || FLUID_ID || ' ' || "
                        "RESEARCHER_NAME FROM TEST_INFO WHERE TEST_NAME = 'gel A'").toString(),
                 QStringLiteral("B4 0.8622 3.81 HPG 40 R. Diaz"));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unknown sequence") << QStringList{"--comm", "1", "--sequence", "nope", "--test", "x1"} << 2
                                          << "no sequence named \"nope\"";
        QTest::newRow("test name taken") << QStringList{"--comm", "1", "--sequence", "short", "--test", "taken"} << 2
                                         << "a test named \"taken\" is already stored";
        QTest::newRow("port cannot be opened") << QStringList{"--comm", "9", "--sequence", "short", "--test", "x2"}
                                               << 3 << "Comm 9";
        QTest::newRow("unit refuses the download")
            << QStringList{"--comm", "3", "--sequence", "short", "--test", "x3"} << 3 << "refused the sequence";
        QTest::newRow("pressure too low for 211 F")
            << QStringList{"--comm", "2", "--sequence", "hot", "--test", "x4"} << 4 << "pressure too low: step 2";
        QTest::newRow("unit already above 451 F")
            << QStringList{"--comm", "5", "--sequence", "short", "--test", "x7"} << 5 << "above 451 F";
        QTest::newRow("unknown bob") << QStringList{"--comm", "1", "--sequence", "short", "--test", "x5", "--bob", "B6"}
                                     << 1 << "unknown bob";
        QTest::newRow("no comm") << QStringList{"--sequence", "short", "--test", "x6"} << 1 << "--comm";
        // Refused before the port is opened (there is no Comm 9): nothing is
        // sent to a unit for a test that could not be stored.
        QTest::newRow("name of 41")
            << QStringList{"--comm", "9", "--sequence", "short", "--test", QString(41, 'x')} << 1
            << "--test: at most 40 characters are allowed (41 given)";
        QTest::newRow("name with a line break")
            << QStringList{"--comm", "9", "--sequence", "short", "--test", "gel\nB"} << 1
            << "--test: line breaks and other control characters are not allowed";
        QTest::newRow("blank name") << QStringList{"--comm", "9", "--sequence", "short", "--test", "   "} << 1
                                    << "--test: a test name of blanks only is not allowed";
        QTest::newRow("fluid of 41")
            << QStringList{"--comm", "9", "--sequence", "short", "--test", "x7", "--fluid", QString(41, 'f')} << 1
            << "--fluid: at most 40 characters are allowed (41 given)";
    }

    // Refused runs say why in one line and leave no test behind.
    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, reason);
        if (scalar("SELECT count(*) FROM TEST_INFO WHERE TEST_NAME = 'taken'").toInt() == 0)
            QCOMPARE(runCli({"--comm", "1", "--sequence", "short", "--test", "taken"}).exitCode, 0);
        const int testsBefore = scalar("SELECT count(*) FROM TEST_INFO").toInt();
        const Result r = runCli(args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(reason), qPrintable(r.err));
        // One line of reason; what the unit reported on the way may precede it.
        QStringList reasons = r.err.trimmed().split('\n');
        reasons.removeIf([](const QString& l) { return l.startsWith(QStringLiteral("tz360-cli run: unit on Comm")); });
        QCOMPARE(reasons.size(), 1);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(scalar("SELECT count(*) FROM TEST_INFO").toInt(), testsBefore);
    }

    // A unit that stops answering mid-run: the points before the silence are
    // stored, none is made up from its last frame, and after 60 s without a
    // frame the run ends with status 3 and says why.
    void unitFallsSilentMidRun()
    {
        // Unit time runs ahead of test time (download, first reading), so
        // every point from a real frame is taken before 40 s of test time.
        startSim(4, {"--silent-after", "40"});
        const Result r = runCli({"--comm", "4", "--sequence", "long", "--test", "went silent"});
        QCOMPARE(r.exitCode, 3);
        QVERIFY2(r.err.contains("no status frame from the unit for 60 s"), qPrintable(r.err));
        QVERIFY2(r.err.contains("unit on Comm 4: No Response"), qPrintable(r.err));
        const QStringList printed = pointKeys(r.out);
        QVERIFY(printed.size() >= 5);
        QCOMPARE(rows("went silent"), printed);
        for (const QString& key : printed)
            QVERIFY2(key.section(',', 3).toInt() <= 40, qPrintable(key));
        QVERIFY(!r.out.contains("waiting"));
    }

    // Ticks that cannot follow the sequence are reported once, and after ten
    // in a row the unit is stopped and the run fails.
    void failingTicksEndTheRun()
    {
        const Result r = runCli({"--comm", "1", "--sequence", "unsampled", "--test", "unsampled"});
        QCOMPARE(r.exitCode, 7);
        QCOMPARE(r.err.count("tick failed: "), 1);
        QVERIFY2(r.err.contains("sampling period"), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }

    // SIGTERM (and Ctrl-C alike) stops the unit and keeps every point.
    void terminateKeepsPoints()
    {
        QProcess* cli = startCli({"--comm", "1", "--sequence", "long", "--test", "stopped"});
        QString out;
        while (pointKeys(out).size() < 5 && cli->waitForReadyRead(10000))
            out += QString::fromLocal8Bit(cli->readAllStandardOutput());
        cli->terminate();
        QVERIFY(cli->waitForFinished(10000));
        out += QString::fromLocal8Bit(cli->readAllStandardOutput());
        QCOMPARE(cli->exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli->exitCode(), 128 + SIGTERM);
        QVERIFY(pointKeys(out).size() >= 5);
        QCOMPARE(rows("stopped"), pointKeys(out));
        delete cli;
    }

    // Killed without warning at different moments: every point printed is
    // in the file, and the file is sound.
    void killedMidRunLosesNothingPrinted()
    {
        const int waitForLines[] = {0, 1, 4, 9, 14};
        for (int round = 0; round < 5; ++round) {
            const QString name = QStringLiteral("killed %1").arg(round);
            QProcess* cli = startCli({"--comm", "1", "--sequence", "long", "--test", name});
            QVERIFY(cli->waitForStarted());
            QString out;
            while (pointKeys(out).size() < waitForLines[round] && cli->waitForReadyRead(10000))
                out += QString::fromLocal8Bit(cli->readAllStandardOutput());
            QTest::qWait(7 * round);  // a different spot inside the tick each time
            cli->kill();
            QVERIFY(cli->waitForFinished(10000));
            out += QString::fromLocal8Bit(cli->readAllStandardOutput());
            const QStringList printed = pointKeys(out);
            QVERIFY(printed.size() >= waitForLines[round]);
            const QStringList stored = rows(name);
            for (const QString& key : printed)
                QVERIFY2(stored.contains(key), qPrintable(name + ": " + key));
            QCOMPARE(scalar("PRAGMA integrity_check").toString(), QStringLiteral("ok"));
            delete cli;
        }
    }
};

QTEST_GUILESS_MAIN(TestCliRun)
#include "tst_cli_run.moc"
