// The simulated unit as the workstation sees it: commands in, bytes out.
#include "instrument/ProtocolCodec.h"
#include "instrument/StatusFrameReader.h"
#include "instrument/StoredResultsParser.h"
#include "sim/SequenceRecordDecoder.h"
#include "sim/SimulatedPort.h"
#include "sim/SimulatedUnit.h"

#include <QTest>
#include <algorithm>
#include <functional>

using namespace tz;
using tz::sim::SimulatedUnit;

namespace {

sim::Options quiet() {
    sim::Options o;
    o.noise = false;
    o.preloadStoredRun = false;
    return o;
}

// One tick of a unit window: poll, read the frame.
StatusFrame poll(SimulatedUnit& unit, StatusFrameReader& reader) {
    const auto r = reader.read(unit.feed(proto::statusPoll()));
    return r.frames.isEmpty() ? StatusFrame{} : r.frames.last();
}

SequenceData twoStepSequence() {
    SequenceData s;
    s.timeBeforeRead = 5;
    s.rampSampleRate = 1;
    s.samplePointsAverage = 2;
    s.shutDownATime = 10;
    s.shutDownVisc = 25.5;
    s.sampleInterval = 30;
    s.steps = {SequenceStep{1, 1, 100, 5, 100, 1}, SequenceStep{2, 0, 110, 5, 50, 1}};
    s.rampShearRates = {170, 40};
    return s;
}

}  // namespace

class TestSimulatedUnit : public QObject {
    Q_OBJECT
private slots:
    void answersAPollWithAStatusFrame() {
        SimulatedUnit unit(quiet());
        StatusFrameReader reader;
        const StatusFrame f = poll(unit, reader);
        QCOMPARE(reader.statusText(), QString("InActive"));
        QCOMPARE(f.sampleTempText, QString("75"));
        QCOMPARE(f.bathTempText, QString("75"));
        QCOMPARE(f.setPointText, QString("0"));
        QCOMPARE(f.pressurePsi, 500.0);
        QCOMPARE(f.viscosityText, QString("0.0"));
        // Commands other than the poll and the two downloads are answered by silence.
        for (const QByteArray& c : {proto::zero(), proto::selfZero(), proto::cancel(), proto::stop(),
                                    proto::preheat(100), proto::setPoint(75, 100, 0.85)})
            QCOMPARE(unit.feed(c), QByteArray());
    }

    void temperaturesFollowTheSetPointWithLags() {
        SimulatedUnit unit(quiet());
        StatusFrameReader reader;
        unit.feed(proto::setPoint(250, 100, 0));
        unit.advance(300);
        QCOMPARE(poll(unit, reader).statusCode, int(SimulatedUnit::Ramping));
        QVERIFY(unit.bathTempF() > unit.sampleTempF());  // the sample trails the bath
        QVERIFY(unit.sampleTempF() > 100 && unit.bathTempF() < 250);
        unit.advance(3600);
        const StatusFrame f = poll(unit, reader);
        QCOMPARE(f.statusCode, int(SimulatedUnit::Running));
        QCOMPARE(f.sampleTempF, 250.0);
        QCOMPARE(f.setPointF, 250.0);
        QVERIFY(qAbs(f.shearRate - 100) < 0.05);

        // After Stop the cell cools; "Cooling" until it is safe to open.
        unit.feed(proto::stop());
        unit.advance(60);
        QCOMPARE(poll(unit, reader).statusCode, int(SimulatedUnit::Cooling));
        QCOMPARE(reader.current().speedText, QString("0.0"));
        unit.advance(7200);
        QCOMPARE(poll(unit, reader).statusCode, int(SimulatedUnit::Inactive));

        unit.feed(proto::preheat(180));
        unit.advance(10);
        QCOMPARE(poll(unit, reader).statusCode, int(SimulatedUnit::Preheating));
        QCOMPARE(reader.current().setPointF, 180.0);
    }

    void rotorFollowsTheShearRateAndTheFactorOfTheSetPoint() {
        SimulatedUnit unit(quiet());
        StatusFrameReader reader;
        unit.feed(proto::setPoint(75, 170, 0.5));
        unit.advance(10);
        const StatusFrame f = poll(unit, reader);
        QVERIFY(qAbs(f.speedRpm - 340) < 0.01);
        QVERIFY(qAbs(f.shearRate - 170) < 0.05);
        // A self-zero stops the rotor until the set point comes again.
        unit.feed(proto::selfZero());
        unit.advance(10);
        QCOMPARE(poll(unit, reader).speedText, QString("0.0"));
        unit.feed(proto::setPoint(75, 170, 0.5));
        unit.advance(10);
        QVERIFY(qAbs(poll(unit, reader).speedRpm - 340) < 0.01);
    }

    void noiseIsSmallSeededAndSwitchable() {
        sim::Options o = quiet();
        o.noise = true;
        SimulatedUnit a(o), b(o);
        QByteArray framesA, framesB;
        for (auto* u : {&a, &b}) {
            u->feed(proto::setPoint(150, 100, 0));
            u->advance(1800);
        }
        for (int i = 0; i < 5; ++i) {
            framesA += a.feed(proto::statusPoll());
            framesB += b.feed(proto::statusPoll());
            a.advance(1), b.advance(1);
        }
        QCOMPARE(framesA, framesB);
        StatusFrameReader reader;
        QList<double> pressures;
        for (const auto& f : reader.read(framesA).frames) pressures << f.pressurePsi;
        QCOMPARE(pressures.size(), 5);
        QVERIFY(std::adjacent_find(pressures.begin(), pressures.end(), std::not_equal_to<>()) != pressures.end());
        for (double p : pressures) QVERIFY(qAbs(p - 500) < 10);
    }

    void sequenceRecordRoundTrip_data() {
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("rows");
        QTest::newRow("no steps, no rows") << 0 << 0;
        QTest::newRow("one step, no rows") << 1 << 0;
        QTest::newRow("two steps, two rows") << 2 << 2;
        QTest::newRow("98 steps, 40 rows") << 98 << 40;
        QTest::newRow("100 steps") << 100 << 3;
    }
    void sequenceRecordRoundTrip() {
        QFETCH(int, steps);
        QFETCH(int, rows);
        SequenceData s = twoStepSequence();
        s.steps.clear();
        s.rampShearRates.clear();
        for (int i = 1; i <= steps; ++i)
            s.steps.append(SequenceStep{double(i), double(i * 7), 70.0 + i, 3, 10.5 * i, 0});
        for (int j = 1; j <= rows; ++j) s.rampShearRates.append(1000.0 / j);
        QByteArray record = proto::sequenceRecord(s);
        record.chop(1);  // the terminator
        const auto back = sim::decodeSequenceRecord(record);
        QVERIFY(back);
        QCOMPARE(back->steps.size(), s.steps.size());
        for (int i = 0; i < steps; ++i) {
            QCOMPARE(back->steps[i].elapseTimeMin, s.steps[i].elapseTimeMin);
            QCOMPARE(back->steps[i].tempF, s.steps[i].tempF);
            QCOMPARE(back->steps[i].shearRate, s.steps[i].shearRate);
        }
        QCOMPARE(back->rampShearRates.size(), rows);
        for (int j = 0; j < rows; ++j) QVERIFY(qAbs(back->rampShearRates[j] - s.rampShearRates[j]) < 1e-4);
        QCOMPARE(back->timeBeforeRead, 5.0);
        QCOMPARE(back->shutDownVisc, 25.5);
        QCOMPARE(back->sampleInterval, 30);
    }

    void sequenceDownloadIsAcceptedOrRefused() {
        SimulatedUnit unit(quiet());
        QCOMPARE(unit.feed(proto::cancel() + proto::sequenceRecord(twoStepSequence())), QByteArray());
        const QByteArray reply = unit.advance(1);
        QVERIFY(proto::sequenceAccepted(reply));
        QVERIFY(unit.sequence());
        QCOMPARE(unit.sequence()->steps.size(), 2);

        for (const QByteArray& bad : {QByteArray("0201 000001 100\x1a"), QByteArray("00w00005 001 02 10 025.5 030 05y\x1a")}) {
            unit.feed(bad);
            QVERIFY(!proto::sequenceAccepted(unit.advance(1)));
        }
        SequenceData tooLong = twoStepSequence();
        while (tooLong.steps.size() < 99) tooLong.steps.append(tooLong.steps.first());
        unit.feed(proto::sequenceRecord(tooLong));
        QVERIFY(!proto::sequenceAccepted(unit.advance(1)));
        QCOMPARE(unit.sequence()->steps.size(), 2);  // the refused record changed nothing
    }

    void storedResultsOfAStandAloneRun() {
        SimulatedUnit unit(quiet());
        StatusFrameReader reader;
        unit.feed(proto::sequenceRecord(twoStepSequence()));
        unit.advance(1);
        unit.startStandAloneRun();
        unit.advance(30);
        QCOMPARE(poll(unit, reader).statusCode, int(SimulatedUnit::StandAlone));
        unit.advance(4 * 3600);
        QVERIFY(!unit.standAloneRunning());

        // The reply is paced as the line carries it: in pieces, closed by STX.
        QByteArray reply = unit.feed(proto::requestStoredResults());
        QVERIFY(reply.isEmpty());
        int pieces = 0;
        for (int i = 0; i < 100 && !reply.endsWith(proto::STX); ++i) {
            const QByteArray more = unit.advance(0.05);
            pieces += more.isEmpty() ? 0 : 1;
            reply += more;
        }
        QVERIFY(pieces > 1);
        const StoredResults r = parseStoredResults(reply);
        QCOMPARE(r.status, StoredResults::Status::Ok);
        QCOMPARE(r.malformed, 0);
        QCOMPARE(r.records.size(), unit.storedRecords().size());

        // Each step: hold points every 30 s, then one point per ramp row.
        QList<std::pair<int, int>> rampPoints;
        for (const StoredRecord& rec : r.records) {
            QCOMPARE(rec.resultType, rec.rampStepNo > 0 ? 1 : 0);
            if (rec.resultType == 1) rampPoints << std::pair{rec.rampNo, rec.rampStepNo};
            QVERIFY(rec.pressurePsi == 500);
        }
        QCOMPARE(rampPoints, (QList<std::pair<int, int>>{{1, 1}, {1, 2}, {2, 1}, {2, 2}}));
        const StoredRecord& first = r.records.first();
        QCOMPARE(first.rampNo, 1);
        QCOMPARE(first.rampStepNo, 0);
        QVERIFY(qAbs(r.records[1].shearRate - 100) < 0.01);
        QVERIFY(r.records.last().elapsedS > first.elapsedS);
    }

    void powersUpWithAStoredRun() {
        SimulatedUnit unit;  // default options: noise on, memory preloaded
        QVERIFY(unit.storedRecords().size() > 5);
        unit.feed(proto::requestStoredResults());
        const StoredResults r = parseStoredResults(unit.advance(5));
        QCOMPARE(r.records.size(), unit.storedRecords().size());
    }

    void torqueCalibrationExchange() {
        SimulatedUnit unit(quiet());
        StatusFrameReader reader;
        QCOMPARE(unit.feed(proto::calibrationStart(100, 0.5)), QByteArray());
        QCOMPARE(poll(unit, reader).statusCode, int(SimulatedUnit::Calibrating));
        reader.clear();
        QByteArray line = unit.advance(30);
        // Records: BS + stress + "," + voltage + SUB; then a frame starting with HT.
        const QList<QByteArray> frames = line.split(proto::SUB);
        QCOMPARE(frames.size(), 22);  // 20 records, the HT frame, nothing after the last SUB
        QVERIFY(frames[20].startsWith(proto::HT));
        double lastStress = -1, lastVolts = -1;
        for (int i = 0; i < 20; ++i) {
            QVERIFY(frames[i].startsWith(proto::BS));
            const QList<QByteArray> sv = frames[i].mid(1).split(',');
            QCOMPARE(sv.size(), 2);
            QVERIFY(sv[0].toDouble() > lastStress && sv[1].toDouble() > lastVolts);
            lastStress = sv[0].toDouble();
            lastVolts = sv[1].toDouble();
        }
        QCOMPARE(frames[0].mid(1).split(',')[0].toDouble(), 0.0);  // the zero-stress record
        // 100 cP reaches the 1000 dyn/cm2 full scale at the top rate of 1000 1/s;
        // there the transducer reads 0.5 + 3.0 - 0.1 V.
        QCOMPARE(lastStress, 1000.0);
        QCOMPARE(lastVolts, 3.4);
        QCOMPARE(poll(unit, reader).statusCode, int(SimulatedUnit::Inactive));

        const double c[] = {-125.5, 250, 0.5, 0, 1e-6};
        unit.feed(proto::calibrationCoefficients(c, 0.5));
        QCOMPARE(unit.receivedCoefficients(), (QList<double>{-125.5, 250, 0.5, 0, 1e-6, 0, 0}));
        QCOMPARE(unit.receivedZeroVolt(), 0.5);

        unit.feed(proto::pressureEffectStart());
        QCOMPARE(unit.pressureEffectRuns(), 1);
        QCOMPARE(poll(unit, reader).statusCode, int(SimulatedUnit::Calibrating));
        unit.advance(301);
        QCOMPARE(poll(unit, reader).statusCode, int(SimulatedUnit::Inactive));
    }

    // The ladder climbs to the transducer's full scale (1000 dyn/cm2) or to
    // the top rate (1000 1/s) for a thin fluid; volts 0.5 + 0.003 s - 1e-7 s^2.
    void calibrationLadder_data() {
        QTest::addColumn<double>("cP");
        QTest::addColumn<int>("records");
        QTest::addColumn<double>("topStress");
        QTest::addColumn<double>("topVolts");
        QTest::newRow("100 cP") << 100.0 << 20 << 1000.0 << 3.4;
        QTest::newRow("5000 cP reaches full scale slowly") << 5000.0 << 20 << 1000.0 << 3.4;
        QTest::newRow("1 cP held by the top rate") << 1.0 << 20 << 10.0 << 0.52999;
        QTest::newRow("twelve records") << 100.0 << 12 << 1000.0 << 3.4;
    }
    void calibrationLadder() {
        QFETCH(double, cP);
        QFETCH(int, records);
        QFETCH(double, topStress);
        QFETCH(double, topVolts);
        sim::Options o = quiet();
        o.calibrationRecords = records;
        SimulatedUnit unit(o);
        unit.feed(proto::calibrationStart(cP, 0));
        const QList<QByteArray> frames = unit.advance(records + 1).split(proto::SUB);
        QCOMPARE(frames.size(), records + 2);
        QCOMPARE(frames[0], QByteArray("\x08" "0.00,0.50000"));
        const QList<QByteArray> top = frames[records - 1].mid(1).split(',');
        QCOMPARE(top[0].toDouble(), topStress);
        QCOMPARE(top[1].toDouble(), topVolts);
        QVERIFY(frames[records].startsWith(proto::HT));
    }

    void dynamicCommandsAreLogged() {
        SimulatedUnit unit(quiet());
        unit.feed(proto::oscillate(25, 1.5, 75));
        unit.advance(4);
        // Stop oscillation has no terminator: the next command follows straight on.
        unit.feed(proto::stopOscillation() + proto::oscillate(25, 100, 300).left(5));
        unit.feed(proto::oscillate(25, 100, 300).mid(5));
        unit.advance(4);
        unit.feed(proto::stopOscillation());
        const auto& log = unit.dynamicLog();
        QCOMPARE(log.size(), 4);
        QVERIFY(!log[0].stop);
        QCOMPARE(log[0].amplitude, 25.0);
        QCOMPARE(log[0].frequencyHz, 1.5);
        QCOMPARE(log[0].tempF, 75.0);
        QVERIFY(log[1].stop);
        QCOMPARE(log[1].timeS, 4.0);
        QCOMPARE(log[2].frequencyHz, 100.0);
        QCOMPARE(log[2].tempF, 300.0);
        QVERIFY(log[3].stop);
        QCOMPARE(unit.commands().last().bytes, QByteArray(1, proto::VT));
    }

    void drivenThroughThePortInterface() {
        SimulatedUnit unit(quiet());
        sim::SimulatedPort port(unit);
        UnitPort& line = port;  // what a unit window holds
        StatusFrameReader reader;
        QVERIFY(line.send(proto::setPoint(75, 100, 0)));
        QVERIFY(line.send(proto::statusPoll()));
        port.advance(1);
        QVERIFY(line.send(proto::statusPoll()));
        const auto r = reader.read(line.takeAll());
        QCOMPARE(r.frames.size(), 2);
        QVERIFY(r.frames[0].speedRpm < r.frames[1].speedRpm);  // the rotor was spinning up
        QVERIFY(line.takeAll().isEmpty());

        port.setConnected(false);
        QVERIFY(!line.send(proto::stop()));
        port.advance(1);
        QVERIFY(line.takeAll().isEmpty());
        QCOMPARE(unit.commands().last().bytes.front(), proto::BEL);
    }

    void faults_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("framesFirstTick");
        QTest::addColumn<int>("framesSecondTick");
        QTest::addColumn<bool>("emptied");
        QTest::addColumn<bool>("overTemperature");
        QTest::addColumn<QString>("label");
        QTest::newRow("none") << "" << 1 << 1 << false << false << "InActive";
        // The second half arrives 0.2 s later: the next tick completes it.
        QTest::newRow("split frames") << "split" << 0 << 1 << false << false << "InActive";
        // Noise ending in SUB is dropped, the frame behind it waits a tick.
        QTest::newRow("garbage") << "garbage" << 0 << 1 << false << false << "InActive";
        QTest::newRow("two-digit status") << "twoDigit" << 0 << 0 << false << false << "INACTIVE";
        QTest::newRow("decimal temperature") << "decimal" << 0 << 0 << true << false << "InActive";
        QTest::newRow("silent") << "silent" << 0 << 0 << false << false << "INACTIVE";
        QTest::newRow("over-temperature") << "hot" << 1 << 1 << false << true << "InActive";
        QTest::newRow("malfunction") << "malfunction" << 1 << 1 << false << false << "Mal Function";
    }
    void faults() {
        QFETCH(QString, fault);
        QFETCH(int, framesFirstTick);
        QFETCH(int, framesSecondTick);
        QFETCH(bool, emptied);
        QFETCH(bool, overTemperature);
        QFETCH(QString, label);
        SimulatedUnit unit(quiet());
        auto& f = unit.faults();
        f.splitFrames = fault == "split";
        f.garbageBetweenFrames = fault == "garbage";
        f.twoDigitStatus = fault == "twoDigit";
        f.decimalTemperature = fault == "decimal";
        f.silent = fault == "silent";
        f.overTemperature = fault == "hot";
        f.malfunction = fault == "malfunction";

        StatusFrameReader reader;
        const auto first = reader.read(unit.feed(proto::statusPoll()));
        const QByteArray late = unit.advance(1);
        const auto second = reader.read(late + unit.feed(proto::statusPoll()));
        QCOMPARE(first.frames.size(), framesFirstTick);
        QCOMPARE(second.frames.size(), framesSecondTick);
        QCOMPARE(first.bufferEmptied || second.bufferEmptied, emptied);
        QCOMPARE(first.overTemperature, overTemperature);
        QCOMPARE(reader.statusText(), label);
    }
};

QTEST_APPLESS_MAIN(TestSimulatedUnit)
#include "tst_simulatedunit.moc"
