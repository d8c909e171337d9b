// The run of a real-time test on virtual time against the simulated unit: the
// TEST_RESULT rows a sequence produces (step, ramp row, type, time), the
// pressure check, self-zero, the shut-downs and Refresh. Expected rows are
// worked out by hand from the sampling rule in the comments of each case.
#include "db/NewTest.h"
#include "db/SequenceData.h"
#include "db/TempDatabase.h"
#include "instrument/DatabasePointWriter.h"
#include "instrument/RunController.h"
#include "sim/SimulatedPort.h"
#include "sim/SimulatedUnit.h"
#include "tests/support/DatabaseOutage.h"

#include <QFile>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>

using namespace tz;
using Reason = RunController::StopReason;
Q_DECLARE_METATYPE(tz::RunController::StopReason)

namespace {

SequenceStep step(double minutes, double tempF, double toleranceF, bool ramp, double rate = 100)
{
    SequenceStep s;
    s.elapseTimeMin = minutes;
    s.tempF = tempF;
    s.startErrorF = toleranceF;
    s.shearRate = rate;
    s.runRamp = ramp ? 1 : 0;
    return s;
}

SequenceData sequence(QList<SequenceStep> steps, QList<double> ramp, int interval, double every,
                      double perPoint, double settle = 3)
{
    SequenceData s;
    s.name = QStringLiteral("seq");
    s.timeBeforeRead = settle;
    s.rampSampleRate = every;
    s.samplePointsAverage = perPoint;
    s.sampleInterval = interval;
    s.shutDownATime = 20;
    s.shutDownVisc = 0;
    s.steps = steps;
    s.rampShearRates = ramp;
    for (int i = 0; i < s.steps.size(); ++i)
        s.steps[i].rampNo = i + 1;
    return s;
}

// A unit on the bench with its database, run on virtual time.
struct Rig {
    TempDatabase db;
    sim::SimulatedUnit unit;
    sim::SimulatedPort port{unit};
    DatabasePointWriter writer{db.connection};
    RunController run{port, writer};
    QString logPath = db.dir.filePath(QStringLiteral("OstraErr.log"));

    explicit Rig(double pressurePsi = 500) : unit(options(pressurePsi))
    {
        run.setErrorLogPath(logPath);
        run.setUnitNumber(3);
        run.setBob(1.5987, 7.62);
        // Two idle ticks: the first polls, the second reads the answer.
        tick();
        tick();
    }

    static sim::Options options(double pressurePsi)
    {
        sim::Options o;
        o.noise = false;
        o.pressurePsi = pressurePsi;
        return o;
    }

    int tick()
    {
        const int ms = run.tick();
        port.advance(ms / 1000.0);
        return ms;
    }

    RunController::StartResult start(const SequenceData& s, const QString& name = QStringLiteral("T1"))
    {
        run.setSequence(s);
        return run.start([&]() -> std::optional<int> {
            TestInformation info;
            info.testName = name;
            return storeNewTest(db.connection, info, {});
        });
    }

    // Ticks until the run ends (or maxTicks); the number of running ticks.
    int runToEnd(int maxTicks = 100000)
    {
        int n = 0;
        while (run.running() && n < maxTicks) {
            tick();
            ++n;
        }
        return n;
    }

    // "RAMP_NO,RAMP_STEP_NO,RESULT_TYPE_ID,RESULT_TIME" in the order written.
    QStringList rows(int testId = -1)
    {
        QSqlQuery q(db.connection.ADOConnection());
        q.prepare(QStringLiteral("SELECT RAMP_NO, RAMP_STEP_NO, RESULT_TYPE_ID, RESULT_TIME FROM TEST_RESULT "
                                 "WHERE TEST_ID = ? ORDER BY TEST_RESULT_ID"));
        q.addBindValue(testId < 0 ? run.testId() : testId);
        if (!q.exec())
            qFatal("rows: %s", qPrintable(q.lastError().text()));
        QStringList out;
        while (q.next())
            out << QStringLiteral("%1,%2,%3,%4")
                       .arg(q.value(0).toDouble())
                       .arg(q.value(1).toDouble())
                       .arg(q.value(2).toDouble())
                       .arg(q.value(3).toDouble());
        return out;
    }

    QStringList logLines()
    {
        QFile f(logPath);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLocal8Bit(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

    // Commands the unit received (without their SUB) that start with lead.
    QList<double> commandTimes(char lead)
    {
        QList<double> times;
        for (const sim::ReceivedCommand& c : unit.commands())
            if (!c.bytes.isEmpty() && c.bytes.front() == lead)
                times << c.timeS;
        return times;
    }
};

using Outage = tz::test::DatabaseOutage;

}  // namespace

class TestRunController : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<tz::RunController::StopReason>(); }
    // Every run is recorded into the embedded file and into the lab server.
    void initTestCase_data() { tz::test::addBackendRows(); }
    void init() { TZ360_USE_BACKEND_ROW(); }

    // The points a sequence produces, row by row.
    void recordedRows_data()
    {
        QTest::addColumn<SequenceData>("seq");
        QTest::addColumn<QStringList>("expected");

        // Two 30 s steps at 75 F (the sample is there), each followed by a
        // three-row ramp. R = 10, I = 1, P = 2: step samples at c mod 10 in
        // {1, 2} once past 10 s, so points at 12 and 22; the step ends at 31
        // (31 > 30). Ramp rows: set point on the row's first tick, settle 3,
        // samples on its 4th and 5th tick: points at 36, 41, 46. Step 2 counts
        // its ticks from 47 (c = e - 46: point at 58) but its duration from
        // the start of the ramp (31), so it ends at 62; its ramp rows give 67,
        // 72, 77 and the sequence ends after the last ramp row's point.
        QTest::newRow("two steps, each with a three-row ramp")
            << sequence({step(0.5, 75, 10, true), step(0.5, 75, 10, true)}, {100, 200, 300}, 10, 1, 2)
            << QStringList{"1,0,0,12", "1,0,0,22", "1,1,1,36", "1,2,1,41", "1,3,1,46",
                           "2,0,0,58", "2,1,1,67", "2,2,1,72", "2,3,1,77"};

        // R = 1: a sample every tick from the first tick after the set-point
        // tick (the 10 s rule does not apply), a point per sample (P = 1);
        // the 6 s step ends at 7.
        QTest::newRow("recording period 1 s")
            << sequence({step(0.1, 75, 10, false)}, {}, 1, 1, 1)
            << QStringList{"1,0,0,3", "1,0,0,4", "1,0,0,5", "1,0,0,6", "1,0,0,7"};

        // SAMPLE_INTERVAL 4 with I = 2, P = 5 runs with R = 10: samples at
        // c mod 10 in {2, 4, 6, 8}, five per point: 12 14 16 18 22 -> 22,
        // then 34, 46, 58; the 60 s step ends at 61. (With R = 4 the points
        // would fall at 30 and 50.)
        QTest::newRow("recording period raised to sampling period x samples")
            << sequence({step(1, 75, 10, false)}, {}, 4, 2, 5)
            << QStringList{"1,0,0,22", "1,0,0,34", "1,0,0,46", "1,0,0,58"};

        // R = 5, I = 1, P = 2: samples at c mod 5 in {1, 2}; 6 and 7 fall in
        // the first 10 s and are not taken, so the first point is at 12. The
        // sample at 16 is dropped by the step end at 16.
        QTest::newRow("no sample in the first 10 s")
            << sequence({step(0.25, 75, 10, false)}, {}, 5, 1, 2)
            << QStringList{"1,0,0,12"};

        // A ramp flag on a sequence without ramp rows: the step just ends.
        QTest::newRow("ramp flag without ramp rows")
            << sequence({step(0.25, 75, 10, true)}, {}, 5, 1, 2)
            << QStringList{"1,0,0,12"};
    }

    void recordedRows()
    {
        QFETCH(SequenceData, seq);
        QFETCH(QStringList, expected);
        Rig rig;
        QSignalSpy ended(&rig.run, &RunController::runEnded);
        QCOMPARE(rig.start(seq), RunController::StartResult::Started);
        QVERIFY(!rig.run.exitEnabled());
        rig.runToEnd(1000);
        QCOMPARE(rig.rows(), expected);
        QCOMPARE(ended.size(), 1);
        QCOMPARE(ended[0][0].value<Reason>(), Reason::EndOfSequence);
        QVERIFY(rig.run.exitEnabled());
        // The unit was told to stop, and polling goes on after the run.
        QCOMPARE(rig.commandTimes(0x06).size(), 1);
        const qsizetype polls = rig.commandTimes(0x07).size();
        rig.tick();
        QCOMPARE(rig.commandTimes(0x07).size(), polls + 1);
    }

    // The set points of a step and of each ramp row, and the slower ticks that follow them.
    void setPointsAndIntervals()
    {
        Rig rig;
        const double t0 = rig.unit.now();
        rig.start(sequence({step(0.5, 75, 10, true, 150)}, {100, 200, 300}, 10, 1, 2));
        QList<int> intervals;
        while (rig.run.running())
            intervals << rig.tick();
        QList<QByteArray> setPoints;
        for (const sim::ReceivedCommand& c : rig.unit.commands())
            if (c.timeS >= t0 && c.bytes.startsWith('\x05'))
                setPoints << c.bytes.mid(1);
        const QByteArray factor = ",000.8503";  // B5: 42.614063 / (3.3911222 - 1.5987^2) / 60
        QCOMPARE(setPoints, (QList<QByteArray>{"075.0,0150.0000" + factor, "075.0,0100.0000" + factor,
                                               "075.0,0200.0000" + factor, "075.0,0300.0000" + factor}));
        // Tick 2 sends the step's set point, ticks 32, 37, 42 the ramp rows'.
        QCOMPARE(intervals.value(1), 3000);
        QCOMPARE(intervals.value(31), 3000);
        QCOMPARE(intervals.value(36), 3000);
        QCOMPARE(intervals.value(41), 3000);
        QCOMPARE(intervals.count(3000), 4);
        QCOMPARE(intervals.count(1000), intervals.size() - 4);
    }

    // A step of duration 0 ends on its third tick when the sample is within
    // tolerance, and never while it is outside.
    void stepOfDurationZero()
    {
        Rig rig;
        rig.start(sequence({step(0, 75, 5, false), step(0, 300, 1, false)}, {}, 10, 1, 2));
        rig.tick();
        rig.tick();
        QCOMPARE(rig.run.stepIndex(), 1);
        rig.tick();
        QCOMPARE(rig.run.stepIndex(), 2);
        // The sample heats from 75 F toward 300 F over minutes: no end meanwhile.
        for (int i = 0; i < 120; ++i)
            rig.tick();
        QVERIFY(rig.unit.sampleTempF() < 299);
        QCOMPARE(rig.run.stepIndex(), 2);
        QVERIFY(rig.run.running());
    }

    void pressureCheck_data()
    {
        QTest::addColumn<double>("stepTempF");
        QTest::addColumn<double>("pressurePsi");
        QTest::addColumn<bool>("starts");
        QTest::newRow("210 F is never checked") << 210.0 << 95.0 << true;
        QTest::newRow("211 F with 95 psi (needs 99.06)") << 211.0 << 95.0 << false;
        QTest::newRow("211 F with 100 psi") << 211.0 << 100.0 << true;
        QTest::newRow("300 F with 200 psi (needs 200.25)") << 300.0 << 200.0 << false;
        QTest::newRow("300 F with 201 psi") << 300.0 << 201.0 << true;
    }

    // Checked against the last reading before anything is stored: a refused
    // start leaves no test behind and the name can be used again.
    void pressureCheck()
    {
        QFETCH(double, stepTempF);
        QFETCH(double, pressurePsi);
        QFETCH(bool, starts);
        Rig rig(pressurePsi);
        const SequenceData seq = sequence({step(1, 150, 5, false), step(1, stepTempF, 5, false)}, {}, 10, 1, 2);
        const auto result = rig.start(seq);
        QCOMPARE(result == RunController::StartResult::Started, starts);
        QCOMPARE(rig.db.count("TEST_INFO"), starts ? 1 : 0);
        QCOMPARE(rig.run.running(), starts);
        const QStringList log = rig.logLines();
        if (starts) {
            QVERIFY(log.isEmpty());
            return;
        }
        QCOMPARE(result, RunController::StartResult::PressureTooLow);
        QCOMPARE(log.size(), 1);
        QVERIFY(log[0].startsWith("Time: "));
        QVERIFY(log[0].endsWith("Cause: Pressure is not applied to perform high temperature test.  Instrument No. 3"));
        // Pressure up: the same name starts.
        rig.unit.setPressure(400);
        rig.tick();
        rig.tick();
        QCOMPARE(rig.start(seq), RunController::StartResult::Started);
        QCOMPARE(rig.db.count("TEST_INFO"), 1);
    }

    // Self-zero only after 3000 s into an hour of test time, once an hour.
    // R = 60, I = 2, P = 5: five samples at c mod 60 = 2 ... 10, a point at
    // every 60 k + 10. The first after 3000 is 3010, then 6610 in the next hour.
    void selfZeroOncePerHour()
    {
        Rig rig;
        rig.run.setSelfZeroEnabled(true);
        QSignalSpy zeros(&rig.run, &RunController::selfZeroSent);
        rig.start(sequence({step(150, 75, 10, false, 300)}, {}, 60, 2, 5));
        QList<int> intervalsAfter;
        while (rig.run.elapsedSeconds() < 7300) {
            const int ms = rig.tick();
            if (rig.run.elapsedSeconds() == 3010 || rig.run.elapsedSeconds() == 3011)
                intervalsAfter << ms;
        }
        QCOMPARE(zeros.size(), 2);
        QCOMPARE(zeros[0][0].toInt(), 3010);
        QCOMPARE(zeros[1][0].toInt(), 6610);
        // 21 s after the self-zero, then the set point again and 3 s.
        QCOMPARE(intervalsAfter, (QList<int>{21000, 3000}));
        // The unit's rotor was stopped by the self-zero and runs again.
        QCOMPARE(rig.commandTimes(0x0c).size(), 2);
        QVERIFY(rig.unit.targetShearRate() > 299);
        // Nothing is sampled within 10 s of the self-zero: the period after it
        // records its point as usual at 3070.
        const QStringList rows = rig.rows();
        QVERIFY(rows.contains("1,0,0,3010"));
        QVERIFY(rows.contains("1,0,0,3070"));
        QCOMPARE(rows.size(), 121);  // 70 ... 7270, every 60 s
    }

    void selfZeroNeedsTheBox()
    {
        Rig rig;
        QSignalSpy zeros(&rig.run, &RunController::selfZeroSent);
        rig.start(sequence({step(60, 75, 10, false, 300)}, {}, 60, 2, 5));
        while (rig.run.elapsedSeconds() < 3100)
            rig.tick();
        QCOMPARE(zeros.size(), 0);
    }

    // R = 10 s, one counted point per period, SHUT_DOWN_ATIME 1 min: judged
    // at the 6th point (time 62). Below the shut-down viscosity the run ends
    // with the log line; above it, counting starts again.
    void viscosityShutDown_data()
    {
        QTest::addColumn<double>("shutDownVisc");
        QTest::addColumn<bool>("shutsDown");
        QTest::newRow("average below") << 1e9 << true;
        QTest::newRow("average above") << 1.0 << false;
    }

    void viscosityShutDown()
    {
        QFETCH(double, shutDownVisc);
        QFETCH(bool, shutsDown);
        Rig rig;
        SequenceData seq = sequence({step(60, 75, 10, false)}, {}, 10, 1, 2);
        seq.shutDownATime = 1;
        seq.shutDownVisc = shutDownVisc;
        QSignalSpy ended(&rig.run, &RunController::runEnded);
        rig.start(seq);
        rig.runToEnd(200);
        if (!shutsDown) {
            QVERIFY(rig.run.running());
            QVERIFY(rig.logLines().isEmpty());
            return;
        }
        QCOMPARE(rig.run.elapsedSeconds(), 62);
        QCOMPARE(rig.rows(), (QStringList{"1,0,0,12", "1,0,0,22", "1,0,0,32", "1,0,0,42", "1,0,0,52", "1,0,0,62"}));
        QCOMPARE(ended.size(), 1);
        QCOMPARE(ended[0][0].value<Reason>(), Reason::LowViscosity);
        const QStringList log = rig.logLines();
        QCOMPARE(log.size(), 1);
        QVERIFY(log[0].endsWith(
            "Cause:  Shut down due to viscosity average below preset shut down viscosity. Instrument No. 3"));
        QCOMPARE(rig.commandTimes(0x06).size(), 1);
        QCOMPARE(rig.run.readings().setPointF, 0.0);
    }

    // A thermocouple above 451 F stops the unit at once, running or not.
    void overTemperature()
    {
        Rig rig;
        QSignalSpy ended(&rig.run, &RunController::runEnded);
        rig.start(sequence({step(60, 75, 10, false)}, {}, 10, 1, 2));
        for (int i = 0; i < 25; ++i)
            rig.tick();
        QCOMPARE(rig.rows().size(), 2);
        rig.unit.faults().overTemperature = true;
        rig.tick();  // polls; the hot frame arrives
        rig.tick();  // reads it
        QVERIFY(!rig.run.running());
        QCOMPARE(ended.size(), 1);
        QCOMPARE(ended[0][0].value<Reason>(), Reason::OverTemperature);
        QCOMPARE(rig.commandTimes(0x06).size(), 1);
        for (int i = 0; i < 20; ++i)
            rig.tick();
        QCOMPARE(rig.rows().size(), 2);
        // Idle, the unit is still told to stop at every hot frame.
        QVERIFY(rig.commandTimes(0x06).size() > 10);
        QCOMPARE(ended.size(), 1);
    }

    void refresh()
    {
        Rig rig;
        QSignalSpy ended(&rig.run, &RunController::runEnded);
        const SequenceData three = sequence({step(0, 75, 10, false), step(0, 75, 10, true), step(10, 75, 10, false)},
                                            {100}, 10, 1, 2);
        rig.start(three);
        for (int i = 0; i < 3; ++i)
            rig.tick();
        QCOMPARE(rig.run.stepIndex(), 2);
        // Same steps, longer step 2: taken at once.
        SequenceData longer = three;
        longer.steps[1].elapseTimeMin = 1;
        QVERIFY(rig.run.refreshSequence(longer));
        for (int i = 0; i < 30; ++i)
            rig.tick();
        QCOMPARE(rig.run.stepIndex(), 2);
        while (rig.run.runState() != RunController::RunState::ShearRamp)
            rig.tick();
        // Not during a shear ramp.
        SequenceData one = three;
        one.steps.resize(1);
        QVERIFY(!rig.run.refreshSequence(one));
        while (rig.run.stepIndex() < 3)
            rig.tick();
        rig.tick();
        QCOMPARE(rig.run.runState(), RunController::RunState::Step);
        const int stops = rig.commandTimes(0x06).size();
        // Fewer steps than the one running: the run ends, the unit stops.
        QVERIFY(rig.run.refreshSequence(sequence({step(0, 75, 10, false), step(0, 75, 10, false)}, {}, 10, 1, 2)));
        QVERIFY(!rig.run.running());
        QCOMPARE(ended.size(), 1);
        QCOMPARE(ended[0][0].value<Reason>(), Reason::SequenceShortened);
        QCOMPARE(rig.commandTimes(0x06).size(), stops + 1);
    }

    // Stop ends the run; the next test on the same unit starts from scratch
    // and its first step gets its set point.
    void stopAndStartAgain()
    {
        Rig rig;
        const SequenceData seq = sequence({step(10, 75, 10, false, 250)}, {}, 10, 1, 2);
        rig.start(seq, "first");
        for (int i = 0; i < 40; ++i)
            rig.tick();
        const int firstId = rig.run.testId();
        rig.run.stop();
        QVERIFY(!rig.run.running());
        QVERIFY(rig.run.exitEnabled());
        rig.tick();
        QCOMPARE(rig.rows(firstId).size(), 3);
        QCOMPARE(rig.start(seq, "second"), RunController::StartResult::Started);
        QVERIFY(rig.run.testId() != firstId);
        QSignalSpy setPoints(&rig.run, &RunController::setPointSent);
        for (int i = 0; i < 13; ++i)
            rig.tick();
        QCOMPARE(setPoints.size(), 1);
        QCOMPARE(rig.rows(), QStringList{"1,0,0,12"});
        QCOMPARE(rig.rows(firstId).size(), 3);
    }

    void startNeedsIdleAndSequence()
    {
        Rig rig;
        int created = 0;
        auto create = [&]() -> std::optional<int> { ++created; return std::nullopt; };
        QCOMPARE(rig.run.start(create), RunController::StartResult::NoSequence);
        rig.run.setSequence(sequence({step(10, 75, 10, false)}, {}, 10, 1, 2));
        QCOMPARE(rig.run.start(create), RunController::StartResult::TestNotStored);
        QVERIFY(!rig.run.running());
        const SequenceData selected = *rig.run.sequence();
        QCOMPARE(rig.start(selected), RunController::StartResult::Started);
        QCOMPARE(rig.run.start(create), RunController::StartResult::NotIdle);
        QCOMPARE(created, 1);
        // Mid-run, another sequence cannot be swapped in.
        QVERIFY(!rig.run.setSequence(sequence({step(1, 75, 10, false)}, {}, 10, 1, 2)));
        QCOMPARE(rig.run.sequence()->steps.first().elapseTimeMin, 10.0);
    }

    // Ten seconds of test time without a frame show "No Response"; the next
    // frame brings the status text back.
    void noResponse()
    {
        Rig rig;
        QCOMPARE(rig.run.statusText(), QStringLiteral("InActive"));
        QSignalSpy response(&rig.run, &RunController::responseChanged);
        rig.unit.faults().silent = true;
        rig.tick();  // takes the last answer
        for (int i = 0; i < 9; ++i)
            rig.tick();
        QCOMPARE(rig.run.statusText(), QStringLiteral("InActive"));  // 9 s
        rig.tick();
        QCOMPARE(rig.run.statusText(), QStringLiteral("No Response"));  // 10 s
        QCOMPARE(response.size(), 1);
        rig.unit.faults().silent = false;
        rig.tick();
        rig.tick();
        QCOMPARE(rig.run.statusText(), QStringLiteral("InActive"));
        QCOMPARE(response.size(), 2);
        QCOMPARE(response[1][0].toBool(), true);
        // Idle: nothing was being recorded, so nothing is logged.
        QCOMPARE(rig.logLines().size(), 0);
    }

    // A unit that falls silent during a step and stays so past the step's
    // end: no point repeats its last frame, the step does not end on a stale
    // temperature, no ramp row is recorded at the old rate, and once it answers
    // again the rows carry their own rates. One log line when recording
    // pauses, one when it resumes.
    void silentUnitRecordsNoInventedPoints()
    {
        Rig rig;
        // 1-minute step at 75 F and 100 1/s, then rows at 170, 100 and 40 1/s,
        // one sample a second, two per point, 3 s settling.
        rig.start(sequence({step(1, 75, 50, true)}, {170, 100, 40}, 10, 1, 2));
        while (rig.run.elapsedSeconds() < 40)
            rig.tick();
        rig.unit.faults().silent = true;
        // The last frame on the line may still go into one point.
        for (int i = 0; i < 12; ++i)
            rig.tick();
        const qsizetype recorded = rig.rows().size();
        for (int i = 0; i < 40; ++i)
            rig.tick();
        QCOMPARE(rig.run.elapsedSeconds(), 92);  // the step's minute is long over
        QCOMPARE(rig.rows().size(), recorded);
        QCOMPARE(rig.run.statusText(), QStringLiteral("No Response"));
        QCOMPARE(rig.run.runState(), RunController::RunState::Step);
        rig.unit.faults().silent = false;
        rig.runToEnd(200);
        QVERIFY(!rig.run.running());

        QSqlQuery q(rig.db.connection.ADOConnection());
        q.prepare(QStringLiteral("SELECT RAMP_STEP_NO, RESULT_SHEAR_RATE FROM TEST_RESULT WHERE TEST_ID = ? "
                                 "AND RESULT_TYPE_ID = 1 ORDER BY TEST_RESULT_ID"));
        q.addBindValue(rig.run.testId());
        QVERIFY(q.exec());
        const QList<double> rates{170, 100, 40};
        int n = 0;
        while (q.next()) {
            QCOMPARE(q.value(0).toInt(), n + 1);
            QVERIFY2(qAbs(q.value(1).toDouble() - rates[n]) < rates[n] * 0.05,
                     qPrintable(QStringLiteral("row %1 at %2 1/s").arg(n + 1).arg(q.value(1).toDouble())));
            ++n;
        }
        QCOMPARE(n, 3);
        const QStringList log = rig.logLines();
        QCOMPARE(log.filter(QStringLiteral("No response from the unit; recording paused. Instrument No. 3")).size(), 1);
        QCOMPARE(log.filter(QStringLiteral("The unit answers again; recording resumed. Instrument No. 3")).size(), 1);
    }

    // A step point whose every sample slot found no new frame is not written.
    void stepPointNeedsAFreshSample()
    {
        Rig rig;
        // Recording period 10 s, samples 1 s apart, two per point.
        rig.start(sequence({step(60, 75, 10, false)}, {}, 10, 1, 2));
        for (int i = 0; i < 25; ++i)
            rig.tick();
        QCOMPARE(rig.rows().size(), 2);
        rig.unit.faults().silent = true;
        for (int i = 0; i < 12; ++i)
            rig.tick();  // the last frame on the line may still go into one point
        const qsizetype during = rig.rows().size();
        QVERIFY(during <= 3);
        for (int i = 0; i < 60; ++i)
            rig.tick();
        QCOMPARE(rig.rows().size(), during);
        rig.unit.faults().silent = false;
        for (int i = 0; i < 30; ++i)
            rig.tick();
        QVERIFY(rig.rows().size() > during);
    }

    // A sampling period of 0 cannot be counted: the failure is said once,
    // polls and time go on, and after ten failing ticks in a row the unit is
    // stopped and the run ends.
    void failingTicksStopTheRun()
    {
        Rig rig;
        QSignalSpy failed(&rig.run, &RunController::tickFailed);
        QSignalSpy ended(&rig.run, &RunController::runEnded);
        SequenceData seq = sequence({step(10, 75, 10, false)}, {}, 10, 0, 2);
        rig.start(seq);
        const qsizetype polls = rig.commandTimes(0x07).size();
        // Tick 1 starts the step, tick 2 sends the set point, ticks 3 ... 12 fail.
        for (int i = 0; i < 11; ++i)
            rig.tick();
        QVERIFY(rig.run.running());
        QCOMPARE(failed.size(), 1);
        QVERIFY(failed[0][0].toString().contains(QStringLiteral("sampling period")));
        QCOMPARE(rig.commandTimes(0x06).size(), 0);
        rig.tick();
        QVERIFY(!rig.run.running());
        QCOMPARE(ended.size(), 1);
        QCOMPARE(ended[0][0].value<Reason>(), Reason::TickFailures);
        QCOMPARE(rig.commandTimes(0x06).size(), 1);
        QCOMPARE(rig.commandTimes(0x07).size(), polls + 11);  // no poll on the set-point tick
        QCOMPARE(rig.run.elapsedSeconds(), 12);
        QCOMPARE(failed.size(), 1);
        const QStringList log = rig.logLines();
        QCOMPARE(log.size(), 2);
        QVERIFY(log[0].contains(QStringLiteral("sampling period")));
        QVERIFY(log[1].contains(QStringLiteral("10 failing ticks")));
        QVERIFY(log[1].endsWith(QStringLiteral("Instrument No. 3")));
    }

    // A unit already above 451 F: the start is refused before the test is stored.
    void startRefusedOverTemperature()
    {
        Rig rig;
        rig.unit.faults().overTemperature = true;
        rig.tick();
        rig.tick();
        int created = 0;
        rig.run.setSequence(sequence({step(10, 75, 10, false)}, {}, 10, 1, 2));
        QCOMPARE(rig.run.start([&]() -> std::optional<int> { ++created; return 1; }),
                 RunController::StartResult::OverTemperature);
        QCOMPARE(created, 0);
        QVERIFY(!rig.run.running());
    }

    // Send Sequence: Cancel and the record, no poll while the answer is
    // awaited, the verdict on the tick 6 s later.
    void sequenceDownload()
    {
        Rig rig;
        QSignalSpy sent(&rig.run, &RunController::sequenceSendFinished);
        QCOMPARE(rig.run.beginSequenceDownload(), RunController::DownloadResult::NoSequence);
        rig.run.setSequence(sequence({step(10, 150, 5, true)}, {100, 200}, 10, 1, 2));
        const qsizetype polls = rig.commandTimes(0x07).size();
        QCOMPARE(rig.run.beginSequenceDownload(), RunController::DownloadResult::Started);
        QCOMPARE(rig.run.beginSequenceDownload(), RunController::DownloadResult::Busy);
        QCOMPARE(rig.run.nextIntervalMs(), 6000);
        rig.port.advance(6.0);
        QCOMPARE(rig.run.tick(), 1000);
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0][0].toBool(), true);
        QCOMPARE(sent[0][1].toString(), QStringLiteral("Sequence Send Success."));
        QCOMPARE(rig.commandTimes(0x07).size(), polls);
        QVERIFY(rig.unit.sequence().has_value());
        QCOMPARE(rig.unit.sequence()->rampShearRates.size(), 2);

        // A unit that answers nothing: the error text.
        rig.unit.faults().silent = true;
        QCOMPARE(rig.run.beginSequenceDownload(), RunController::DownloadResult::Started);
        rig.port.advance(6.0);
        rig.run.tick();
        QCOMPARE(sent.size(), 2);
        QCOMPARE(sent[1][1].toString(), QStringLiteral("Sequence Send Error. Please resend."));
        // A pulled cable: reported at once.
        rig.port.setConnected(false);
        QCOMPARE(rig.run.beginSequenceDownload(), RunController::DownloadResult::SendFailed);
        QCOMPARE(sent.size(), 3);
        QCOMPARE(sent[2][0].toBool(), false);
    }

    // A database that cannot take a point (another program holds the file's
    // write lock; the lab server restarts) loses nothing: the points wait in
    // order, the window is told, the error log says it once, and the next
    // point after the database is back stores them all.
    void unavailableDatabaseKeepsPoints()
    {
        Rig rig;
        QSignalSpy failed(&rig.run, &RunController::pointStoreFailed);
        QSignalSpy recorded(&rig.run, &RunController::pointRecorded);
        QSignalSpy recovered(&rig.run, &RunController::pointsRecovered);
        rig.start(sequence({step(10, 75, 10, false)}, {}, 10, 1, 2));
        for (int i = 0; i < 15; ++i)  // point at 12 stored
            rig.tick();

        Outage outage(rig.db);
        for (int i = 0; i < 20; ++i)  // points at 22 and 32 cannot be written
            rig.tick();
        QCOMPARE(failed.size(), 2);
        QCOMPARE(failed[1][1].toInt(), 2);
        QCOMPARE(rig.run.pointsPending(), 2);
        QCOMPARE(recorded.size(), 3);
        QCOMPARE(recorded[1][1].toBool(), false);
        QCOMPARE(rig.writer.pending().size(), 2);
        QCOMPARE(rig.writer.pending()[0].resultTime, 22.0);
        QCOMPARE(rig.writer.pending()[1].resultTime, 32.0);
        QStringList log = rig.logLines();
        QCOMPARE(log.size(), 1);
        QVERIFY(log[0].contains("Recorded point not stored"));
        QVERIFY(log[0].endsWith("Instrument No. 3"));

        outage.end();
        for (int i = 0; i < 10; ++i)  // point at 42 goes in after 22 and 32
            rig.tick();
        QCOMPARE(rig.run.pointsPending(), 0);
        QCOMPARE(recovered.size(), 1);
        QCOMPARE(recovered[0][0].toInt(), 3);
        QCOMPARE(rig.rows(), (QStringList{"1,0,0,12", "1,0,0,22", "1,0,0,32", "1,0,0,42"}));
        // The connection's own patience with a locked file is as it was.
        if (!rig.db.onServer())
            QCOMPARE(rig.db.sql("PRAGMA busy_timeout").value(0).toInt(), 5000);
        log = rig.logLines();
        QCOMPARE(log.size(), 2);
        QVERIFY(log[1].contains("stored again"));
    }

    void elapsedPanelText()
    {
        QCOMPARE(RunController::elapsedPanelText(0), QStringLiteral("Elapsed Time: 00:00:00"));
        QCOMPARE(RunController::elapsedPanelText(3725), QStringLiteral("Elapsed Time: 01:02:05"));
    }
};

QTEST_GUILESS_MAIN(TestRunController)
#include "tst_runcontroller.moc"
