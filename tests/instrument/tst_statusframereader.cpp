// Status frames as the unit window reads them each tick.
#include "instrument/StatusFrameReader.h"

#include <QTest>

using namespace tz;

namespace {

// The frame of the worked example: 2.4 cP with the reference bob.
const QByteArray kExample = "1,72,70,75,300.0,12.5,500,511.0,0\x1a";

QByteArray frame(const char* fields) { return QByteArray(fields) + '\x1a'; }

}  // namespace

class TestStatusFrameReader : public QObject {
    Q_OBJECT
private slots:
    // One read of a fresh reader (stress factor 1, shear-rate factor 0).
    void oneRead_data() {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<int>("applied");
        QTest::addColumn<int>("dropped");
        QTest::addColumn<bool>("emptied");
        QTest::addColumn<QByteArray>("leftOver");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("viscosity");  // of the last applied frame

        QTest::newRow("worked example") << kExample << 1 << 0 << false << QByteArray()
                                        << "Running Test" << "2.4";
        QTest::newRow("two frames and half a third")
            << kExample + frame("6,80,90,150,200.0,100,500,340.7,0") + "7,80,8"
            << 2 << 0 << false << QByteArray("7,80,8") << "Ramping" << "29.4";
        QTest::newRow("two digits before the first comma: dropped, the rest waits")
            << frame("11,72,70,75,300.0,12.5,500,511.0,0") + kExample << 0 << 1 << false << kExample
            << kStatusBeforeFirstFrame << QString();
        QTest::newRow("eight fields: dropped") << frame("1,72,70,75,300.0,12.5,500,511.0") + "1,7"
                                               << 0 << 1 << false << QByteArray("1,7")
                                               << kStatusBeforeFirstFrame << QString();
        QTest::newRow("line noise before a frame takes the frame with it")
            << QByteArray("~#") + kExample << 0 << 1 << false << QByteArray()
            << kStatusBeforeFirstFrame << QString();
        // The status field is read before the temperatures are checked.
        QTest::newRow("72.5 empties the buffer with the frames behind it")
            << frame("1,72.5,70,75,300.0,12.5,500,511.0,0") + kExample + "1,7"
            << 0 << 0 << true << QByteArray() << "Running Test" << QString();
        QTest::newRow("decimal point in the set point")
            << kExample + frame("1,72,70,75.0,300.0,12.5,500,511.0,0") << 1 << 0 << true
            << QByteArray() << "Running Test" << "2.4";
        QTest::newRow("status 3 leaves the label") << frame("3,72,70,75,300.0,12.5,500,511.0,0") << 1
                                                   << 0 << false << QByteArray()
                                                   << kStatusBeforeFirstFrame << "2.4";
        QTest::newRow("status that is no digit leaves the label")
            << frame("x,72,70,75,300.0,12.5,500,511.0,0") << 1 << 0 << false << QByteArray()
            << kStatusBeforeFirstFrame << "2.4";
        QTest::newRow("standstill") << frame("8,300,320,0,0.000001,3.2,500,0.00001,0") << 1 << 0
                                    << false << QByteArray() << "Cooling" << "0.0";
        QTest::newRow("creeping rotor, no shear rate")
            << frame("0,72,70,0,0.5,3.2,500,0.00001,0") << 1 << 0 << false << QByteArray()
            << "InActive" << "0";
        QTest::newRow("stress so large the viscosity overflows: dropped, label kept")
            << frame("1,72,70,75,300.0,9e307,500,0.5,0") + "1,7" << 0 << 1 << false << QByteArray("1,7")
            << kStatusBeforeFirstFrame << QString();
        QTest::newRow("half a frame only") << QByteArray("1,72,70,75,30") << 0 << 0 << false
                                           << QByteArray("1,72,70,75,30") << kStatusBeforeFirstFrame
                                           << QString();
    }
    void oneRead() {
        QFETCH(QByteArray, received);
        QFETCH(int, applied);
        QFETCH(int, dropped);
        QFETCH(bool, emptied);
        QFETCH(QByteArray, leftOver);
        QFETCH(QString, label);
        QFETCH(QString, viscosity);

        StatusFrameReader reader;
        const StatusReadResult r = reader.read(received);
        QCOMPARE(r.frames.size(), applied);
        QCOMPARE(r.dropped, dropped);
        QCOMPARE(r.bufferEmptied, emptied);
        QCOMPARE(reader.buffer(), leftOver);
        QCOMPARE(reader.statusText(), label);
        QCOMPARE(reader.hasCurrent(), applied > 0);
        if (applied > 0) QCOMPARE(r.frames.last().viscosityText, viscosity);
    }

    void frameFieldsAndDisplayTexts() {
        StatusFrameReader reader;
        reader.setFactors({0.5, 2.0});
        const auto r = reader.read(frame("1,72,70,75,300.0,-4,487.5,150.0,9"));
        QCOMPARE(r.frames.size(), 1);
        const StatusFrame& f = r.frames.first();
        QCOMPARE(f.statusCode, 1);
        QCOMPARE(f.sampleTempF, 72.0);
        QCOMPARE(f.bathTempF, 70.0);
        QCOMPARE(f.setPointF, 75.0);
        QCOMPARE(f.speedText, QString("300.0"));
        QCOMPARE(f.provisionalShearRate, 150.0);
        QCOMPARE(f.provisionalShearRateText, QString("150."));
        QCOMPARE(f.shearStress, 0.1);  // negative stress is never passed on
        QCOMPARE(f.shearStressText, QString(".1"));
        QCOMPARE(f.pressurePsi, 487.5);
        QCOMPARE(f.pressureText, QString("487.5"));
        QCOMPARE(f.shearRate, 150.0);
        QCOMPARE(f.shearRateText, QString("150.0"));
        QCOMPARE(f.viscosityText, QString(".1"));

        // The stress factor applies to the reported stress.
        const auto scaled = reader.read(kExample).frames.first();
        QCOMPARE(scaled.shearStress, 25.0);
        QCOMPARE(scaled.shearStressText, QString("25."));
        QCOMPARE(scaled.viscosityText, QString("4.9"));
    }

    void framesSplitAcrossReads() {
        StatusFrameReader reader;
        QCOMPARE(reader.read(kExample.left(9)).frames.size(), 0);
        QCOMPARE(reader.statusText(), kStatusBeforeFirstFrame);
        QCOMPARE(reader.read(kExample.mid(9, 10)).frames.size(), 0);
        const auto r = reader.read(kExample.mid(19) + kExample.left(3));
        QCOMPARE(r.frames.size(), 1);
        QCOMPARE(r.frames.first().shearRate, 511.0);
        QCOMPARE(reader.buffer(), kExample.left(3));
    }

    void droppedFrameLeavesTheNextForTheNextTick() {
        StatusFrameReader reader;
        reader.read(frame("11,0,0,0,0,0,0,0,0") + kExample);
        QVERIFY(!reader.hasCurrent());
        const auto next = reader.read({});
        QCOMPARE(next.frames.size(), 1);
        QCOMPARE(reader.current().shearStress, 12.5);
    }

    void overTemperature_data() {
        QTest::addColumn<QByteArray>("hot");
        QTest::addColumn<bool>("stop");
        QTest::newRow("sample 452") << frame("0,452,440,0,0,0,500,0,0") << true;
        QTest::newRow("bath 452") << frame("1,440,452,450,1,1,500,1,0") << true;
        QTest::newRow("451 is allowed") << frame("1,451,451,450,1,1,500,1,0") << false;
    }
    void overTemperature() {
        QFETCH(QByteArray, hot);
        QFETCH(bool, stop);
        StatusFrameReader reader;
        QList<int> framesSeenAtStop;
        int stops = 0;
        reader.setOverTemperatureHandler([&](const StatusFrame& f) {
            ++stops;
            QVERIFY(f.overTemperature);
            framesSeenAtStop << (reader.hasCurrent() ? 1 : 0);
        });
        // Stop goes out while the hot frame is read, not after the buffer;
        // parsing goes on with the frames behind it.
        const auto r = reader.read(hot + kExample);
        QCOMPARE(stops, stop ? 1 : 0);
        QCOMPARE(r.overTemperature, stop);
        QCOMPARE(r.frames.size(), 2);
        QCOMPARE(r.frames.first().overTemperature, stop);
        if (stop) QCOMPARE(framesSeenAtStop, QList<int>{0});
        QCOMPARE(reader.statusText(), QString("Running Test"));
    }

    // The decimal-point rule comes before the temperature limit: a hot frame
    // whose set point carries a point empties the buffer and sends no Stop.
    void decimalPointBeatsOverTemperature() {
        StatusFrameReader reader;
        int stops = 0;
        reader.setOverTemperatureHandler([&](const StatusFrame&) { ++stops; });
        const auto r = reader.read(frame("1,460,455,450.5,1,1,500,1,0") + kExample);
        QCOMPARE(stops, 0);
        QVERIFY(r.bufferEmptied);
        QVERIFY(!r.overTemperature);
        QVERIFY(r.frames.isEmpty());
        QVERIFY(reader.buffer().isEmpty());
        QVERIFY(!reader.hasCurrent());
    }

    // Finite fields whose product with the bob's factors overflows.
    void overflowingReadingsDropTheFrame_data() {
        QTest::addColumn<QByteArray>("received");
        QTest::newRow("9e307 dyn/cm2 times a stress factor of 4") << frame("1,72,70,75,300.0,9e307,500,511.0,0");
        QTest::newRow("5e307 rpm times a shear-rate factor of 4") << frame("1,72,70,75,5e307,12.5,500,511.0,0");
    }
    void overflowingReadingsDropTheFrame() {
        QFETCH(QByteArray, received);
        StatusFrameReader reader;
        reader.setFactors({4.0, 4.0});
        const auto r = reader.read(received + kExample);
        QCOMPARE(r.frames.size(), 0);
        QCOMPARE(r.dropped, 1);
        QCOMPARE(reader.statusText(), kStatusBeforeFirstFrame);
        // The good frame behind it is read on the next tick.
        const auto next = reader.read({});
        QCOMPARE(next.frames.size(), 1);
        QCOMPARE(next.frames.first().shearStress, 50.0);
    }

    void unreadableNumbersDoNotPoisonTheReadings() {
        StatusFrameReader reader;
        const auto r = reader.read(frame("1,abc,70,75,1e999,nan,x,1e999,0"));
        QCOMPARE(r.frames.size(), 1);
        const auto& f = r.frames.first();
        QCOMPARE(f.sampleTempF, 0.0);
        QCOMPARE(f.speedRpm, 0.0);
        QCOMPARE(f.shearStress, 0.0);
        QCOMPARE(f.shearRate, 0.0);
        QCOMPARE(f.viscosityText, QString("0.0"));
    }
};

QTEST_APPLESS_MAIN(TestStatusFrameReader)
#include "tst_statusframereader.moc"
