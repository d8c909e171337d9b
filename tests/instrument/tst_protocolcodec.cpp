// Commands and the sequence download record, byte for byte.
#include "db/SequenceData.h"
#include "instrument/ProtocolCodec.h"

#include <QTest>

using namespace tz;

namespace {

SequenceData sequence(int steps, QList<double> rampRates, int sampleInterval = 60) {
    SequenceData s;
    s.timeBeforeRead = 20;
    s.rampSampleRate = 2;
    s.samplePointsAverage = 5;
    s.shutDownATime = 20;
    s.shutDownVisc = 0;
    s.sampleInterval = sampleInterval;
    for (int i = 1; i <= steps; ++i) {
        SequenceStep st;
        st.rampNo = i;
        st.elapseTimeMin = 10;
        st.tempF = 150;
        st.startErrorF = 5;
        st.shearRate = 100;
        s.steps.append(st);
    }
    s.rampShearRates = rampRates;
    return s;
}

}  // namespace

class TestProtocolCodec : public QObject {
    Q_OBJECT
private slots:
    void commands_data() {
        QTest::addColumn<QByteArray>("actual");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("poll") << proto::statusPoll() << QByteArray("\x07\x1a");
        QTest::newRow("set point") << proto::setPoint(150, 170, 0.8517)
                                   << QByteArray("\x05" "150.0,0170.0000,000.8517\x1a");
        QTest::newRow("set point rounds") << proto::setPoint(75.04, 5.55555, 12.345678)
                                          << QByteArray("\x05" "075.0,0005.5556,012.3457\x1a");
        QTest::newRow("set point wide") << proto::setPoint(1000, 12345.6, 1234.5)
                                        << QByteArray("\x05" "1000.0,12345.6000,1234.5000\x1a");
        QTest::newRow("stop") << proto::stop() << QByteArray("\x06\x1a");
        QTest::newRow("zero") << proto::zero() << QByteArray("\x08\x1a");
        QTest::newRow("self-zero") << proto::selfZero() << QByteArray("\x0c\x1a");
        QTest::newRow("preheat") << proto::preheat(200) << QByteArray("\x09" "200.0\x1a");
        QTest::newRow("cancel") << proto::cancel() << QByteArray("\x03\x1a");
        QTest::newRow("stored results") << proto::requestStoredResults() << QByteArray("\x01\x1a");
        QTest::newRow("oscillate") << proto::oscillate(100.0 / 4, 1.0, 75)
                                   << QByteArray("\n25.00,01.00,075\x1a");
        QTest::newRow("oscillate 100 Hz") << proto::oscillate(1, 100, 300)
                                          << QByteArray("\n01.00,100.00,300\x1a");
        QTest::newRow("stop oscillation") << proto::stopOscillation() << QByteArray("\x0b");
        QTest::newRow("calibration start, change as magnitude")
            << proto::calibrationStart(100, -0.5) << QByteArray("N\x1a\x02" "0100.00,B5,0000.50\x1a");
        const double order1[] = {1.5, 2};
        QTest::newRow("coefficients order 1")
            << proto::calibrationCoefficients(order1, 0.25)
            << QByteArray("N\x1a\x0e" "1.5,2.,0.0,0.0,0.0,0.0,0.0,0.25,\x1a");
        const double order4[] = {-0.125, 1, 0.000001, -3.25, 1e-12};
        QTest::newRow("coefficients order 4")
            << proto::calibrationCoefficients(order4, -0.5)
            << QByteArray("N\x1a\x0e" "-0.125,1.,0.000001,-3.25,0.000000000001,0.0,0.0,-0.5,\x1a");
        QTest::newRow("pressure effect") << proto::pressureEffectStart() << QByteArray("N\x1a\x0b\x1a");
    }
    void commands() {
        QFETCH(QByteArray, actual);
        QFETCH(QByteArray, expected);
        QCOMPARE(actual, expected);
    }

    void sequenceRecord_data() {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QByteArray>("expected");
        // Without ramp rows the settle time follows "w00" directly.
        QTest::newRow("one step, no ramp rows")
            << proto::sequenceRecord(sequence(1, {}))
            << QByteArray("0101 000010 150 005 00100.0000 w00020 002 05 20 000.0 060 05x\x1a");
        // The recording period 5 is raised to 2 s x 5 samples = 10.
        QTest::newRow("two steps, two rows, raised period")
            << proto::sequenceRecord(sequence(2, {170, 40.5}, 5))
            << QByteArray("0201 000010 150 005 00100.0000 02 000010 150 005 00100.0000 "
                          "w0201 00170.000002 00040.5000020 002 05 20 000.0 010 05x\x1a");
        QTest::newRow("no steps") << proto::sequenceRecord(sequence(0, {}))
                                  << QByteArray("00w00020 002 05 20 000.0 060 05x\x1a");
    }
    void sequenceRecord() {
        QFETCH(QByteArray, record);
        QFETCH(QByteArray, expected);
        QCOMPARE(record, expected);
    }

    void sequenceRecordFieldsOfEveryKind() {
        SequenceData s = sequence(1, {});
        s.steps[0] = {1, 1440, 375, 10, 1022.5, 0};
        s.timeBeforeRead = 5;
        s.rampSampleRate = 1;
        s.samplePointsAverage = 1;
        s.shutDownATime = 5;
        s.shutDownVisc = 12.25;
        s.sampleInterval = 1;
        QCOMPARE(proto::sequenceRecord(s),
                 QByteArray("0101 001440 375 010 01022.5000 w00005 001 01 05 012.3 001 05x\x1a"));
    }

    void hundredStepsAreWrittenInFull() {
        const QByteArray r = proto::sequenceRecord(sequence(100, {}));
        QVERIFY(r.startsWith("10001 000010 "));
        QVERIFY(r.contains(" 99 000010 150 005 00100.0000 100 000010 150 005 00100.0000 w00"));
    }

    // The record's sampling period, samples per point and recording period
    // as the unit reads them: the recording period written is never shorter
    // than the written sampling period times the written samples.
    void recordedSampling_data() {
        QTest::addColumn<double>("samplingPeriod");
        QTest::addColumn<double>("samplesPerPoint");
        QTest::addColumn<int>("interval");
        QTest::addColumn<QByteArray>("tail");  // sampling, samples, shut-down, recording
        QTest::newRow("long enough") << 2.0 << 5.0 << 60 << QByteArray("002 05 20 000.0 060 05x");
        QTest::newRow("equal") << 2.0 << 5.0 << 10 << QByteArray("002 05 20 000.0 010 05x");
        QTest::newRow("raised") << 3.0 << 4.0 << 5 << QByteArray("003 04 20 000.0 012 05x");
        QTest::newRow("one second") << 1.0 << 1.0 << 1 << QByteArray("001 01 20 000.0 001 05x");
        // Periods that are not whole go out rounded; the raise follows them.
        QTest::newRow("2.7 s x 3 in 8 s") << 2.7 << 3.0 << 8 << QByteArray("003 03 20 000.0 009 05x");
        QTest::newRow("2.4 s x 3 in 5 s") << 2.4 << 3.0 << 5 << QByteArray("002 03 20 000.0 006 05x");
        QTest::newRow("2.5 s x 4 in 1 s") << 2.5 << 4.0 << 1 << QByteArray("003 04 20 000.0 012 05x");
        QTest::newRow("2 s x 2.6 samples") << 2.0 << 2.6 << 1 << QByteArray("002 03 20 000.0 006 05x");
        QTest::newRow("2.7 s x 3 in 9 s") << 2.7 << 3.0 << 9 << QByteArray("003 03 20 000.0 009 05x");
    }
    void recordedSampling() {
        QFETCH(double, samplingPeriod);
        QFETCH(double, samplesPerPoint);
        QFETCH(int, interval);
        QFETCH(QByteArray, tail);
        SequenceData s = sequence(1, {}, interval);
        s.rampSampleRate = samplingPeriod;
        s.samplePointsAverage = samplesPerPoint;
        const QByteArray record = proto::sequenceRecord(s);
        QVERIFY2(record.endsWith(tail + '\x1a'), record.constData());
        const QList<QByteArray> f = tail.split(' ');
        QVERIFY(f[4].toInt() >= f[0].toInt() * f[1].toInt());
        QCOMPARE(proto::effectiveSampleInterval(s), f[4].toInt());
    }

    void sequenceReply_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("echo") << QByteArray("0101 ... 05x") << true;
        QTest::newRow("x alone") << QByteArray("x") << true;
        QTest::newRow("nothing") << QByteArray() << false;
        QTest::newRow("x then terminator") << QByteArray("05x\x1a") << false;
        QTest::newRow("error") << QByteArray("E") << false;
    }
    void sequenceReply() {
        QFETCH(QByteArray, reply);
        QFETCH(bool, accepted);
        QCOMPARE(proto::sequenceAccepted(reply), accepted);
    }
};

QTEST_APPLESS_MAIN(TestProtocolCodec)
#include "tst_protocolcodec.moc"
