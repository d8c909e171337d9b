// The oscillation test against the simulated unit on virtual time: the
// commands the unit logged, with their times, for the single frequency and
// for sweeps.
#include "instrument/DynamicTest.h"
#include "sim/SimulatedPort.h"

#include <QTest>

using namespace tz;

namespace {

// "t:stop" or "t:amplitude/frequency/temperature" for every dynamic command.
QStringList log(const sim::SimulatedUnit& unit)
{
    QStringList out;
    for (const sim::DynamicCommand& c : unit.dynamicLog())
        out << (c.stop ? QStringLiteral("%1:stop").arg(c.timeS)
                       : QStringLiteral("%1:%2/%3/%4").arg(c.timeS).arg(c.amplitude).arg(c.frequencyHz).arg(c.tempF));
    return out;
}

// Runs the sweep's one-second timer until the sweep ends itself.
int runSweep(sim::SimulatedPort& port, DynamicTest& test, const DynamicSettings& s)
{
    int ticks = 0;
    while (test.sweepRunning() && ticks < 1000) {
        port.advance(1);
        ++ticks;
        test.tick(s);
    }
    return ticks;
}

}  // namespace

class TestDynamicTest : public QObject {
    Q_OBJECT

private slots:
    void singleFrequency()
    {
        sim::SimulatedUnit unit;
        sim::SimulatedPort port(unit);
        DynamicTest test(port);
        DynamicSettings s;
        s.strain = 50;
        s.frequencyHz = 100;
        s.tempF = 180;
        QVERIFY(test.startSingle(s));
        port.advance(3);
        QVERIFY(test.stopSingle());
        QCOMPARE(log(unit), (QStringList{"0:12.5/100/180", "3:stop"}));
        // 100 Hz keeps its three integer digits; VT goes alone, without SUB.
        QCOMPARE(unit.commands().at(unit.commands().size() - 2).bytes, QByteArray("\n12.50,100.00,180"));
        QCOMPARE(unit.commands().last().bytes, QByteArray("\x0b"));
        QVERIFY(!test.sweepRunning());
    }

    void sweeps_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("end");
        QTest::addColumn<double>("intervals");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("ticks");
        // Each point is held four ticks; the first at strain / 100, later ones at strain / 4.
        QTest::newRow("N = 2, 1 to 3 Hz")
            << 1.0 << 3.0 << 2.9
            << QStringList{"0:1/1/75", "5:stop", "5:25/2/75", "9:stop", "9:25/3/75", "13:stop"} << 13;
        QTest::newRow("N = 1: start, end, stop")
            << 0.5 << 10.0 << 1.0 << QStringList{"0:1/0.5/75", "5:stop", "5:25/10/75", "9:stop"} << 9;
        QTest::newRow("start equal to end")
            << 2.0 << 2.0 << 3.0
            << QStringList{"0:1/2/75", "5:stop", "5:25/2/75", "9:stop", "9:25/2/75", "13:stop", "13:25/2/75",
                           "17:stop"}
            << 17;
        QTest::newRow("N = 0: the first point only") << 1.0 << 3.0 << 0.0 << QStringList{"0:1/1/75", "5:stop"} << 5;
    }

    void sweeps()
    {
        QFETCH(QStringList, expected);
        QFETCH(double, start);
        QFETCH(double, end);
        QFETCH(double, intervals);
        QFETCH(int, ticks);
        sim::SimulatedUnit unit;
        sim::SimulatedPort port(unit);
        DynamicTest test(port);
        DynamicSettings s;
        s.sweepStartHz = start;
        s.sweepEndHz = end;
        s.intervals = intervals;
        QVERIFY(test.startSweep(s));
        QVERIFY(test.sweepRunning());
        QCOMPARE(runSweep(port, test, s), ticks);
        QCOMPARE(log(unit), expected);
    }

    // Fields are read at every point: a new end frequency and strain count
    // from the next point on.
    void editsTakeEffectAtTheNextPoint()
    {
        sim::SimulatedUnit unit;
        sim::SimulatedPort port(unit);
        DynamicTest test(port);
        DynamicSettings s;
        s.sweepEndHz = 5;
        s.intervals = 2;
        QVERIFY(test.startSweep(s));
        for (int i = 0; i < 3; ++i) {
            port.advance(1);
            test.tick(s);
        }
        s.strain = 40;
        s.sweepEndHz = 9;
        runSweep(port, test, s);
        QCOMPARE(log(unit), (QStringList{"0:1/1/75", "5:stop", "5:10/5/75", "9:stop", "9:10/9/75", "13:stop"}));
    }

    void stoppingTheSweepStopsItsPoints()
    {
        sim::SimulatedUnit unit;
        sim::SimulatedPort port(unit);
        DynamicTest test(port);
        DynamicSettings s;
        QVERIFY(test.startSweep(s));
        port.advance(2);
        QVERIFY(test.stopSweep());
        QVERIFY(!test.sweepRunning());
        for (int i = 0; i < 10; ++i) {
            port.advance(1);
            test.tick(s);
        }
        QCOMPARE(log(unit), (QStringList{"0:1/1/75", "2:stop"}));
    }

    void aDeadPortEndsTheSweep()
    {
        sim::SimulatedUnit unit;
        sim::SimulatedPort port(unit);
        DynamicTest test(port);
        DynamicSettings s;
        port.setConnected(false);
        QVERIFY(!test.startSingle(s));
        QVERIFY(!test.startSweep(s));
        QVERIFY(!test.sweepRunning());

        port.setConnected(true);
        QVERIFY(test.startSweep(s));
        port.setConnected(false);
        bool ok = true;
        for (int i = 0; i < 5 && ok; ++i)
            ok = test.tick(s);
        QVERIFY(!ok);
        QVERIFY(!test.sweepRunning());
    }
};

QTEST_GUILESS_MAIN(TestDynamicTest)
#include "tst_dynamic_test.moc"
