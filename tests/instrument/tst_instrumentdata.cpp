// Stored-results replies, bob factors and the Comm-port table.
#include "instrument/CommPorts.h"
#include "instrument/StoredResultsParser.h"
#include "instrument/UnitFactors.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tz;

Q_DECLARE_METATYPE(tz::StoredResults::Status)

class TestInstrumentData : public QObject {
    Q_OBJECT
private slots:
    void storedResults_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<StoredResults::Status>("status");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("malformed");
        using S = StoredResults::Status;
        const QByteArray rec1 = "1,0,60,150.2,160.4,500,100.00,236.57,0\x03";
        const QByteArray rec2 = "1,3,905,149.8,151.0,498,70.00,98.5,1\x03";
        QTest::newRow("nothing") << QByteArray() << S::NoReply << 0 << 0;
        QTest::newRow("STX only") << QByteArray("\x02") << S::Ok << 0 << 0;
        QTest::newRow("two records") << rec1 + rec2 + '\x02' << S::Ok << 2 << 0;
        QTest::newRow("not closed") << rec1 + rec2 << S::NotClosed << 0 << 0;
        QTest::newRow("closed but cut record ignored") << rec1 + "1,3,9\x02" << S::Ok << 1 << 0;
        QTest::newRow("short record refused") << rec1 + "1,0,60,150\x03" + rec2 + '\x02' << S::Ok << 2 << 1;
        QTest::newRow("trailing comma kept") << QByteArray("1,0,30,80,79,500,100,50,0,\x03\x02") << S::Ok << 1 << 0;
        QTest::newRow("tenth field ignored") << rec1 + "1,0,31,80,79,500,100,50,0,77\x03\x02" << S::Ok << 2 << 0;
        QTest::newRow("eight fields and a comma refused") << QByteArray("1,0,30,80,79,500,100,50,\x03\x02") << S::Ok << 0 << 1;
        QTest::newRow("letters refused") << QByteArray("1,0,60,a,1,1,1,1,0\x03\x02") << S::Ok << 0 << 1;
        QTest::newRow("empty record refused") << QByteArray("\x03\x02") << S::Ok << 0 << 1;
    }
    void storedResults() {
        QFETCH(QByteArray, reply);
        QFETCH(StoredResults::Status, status);
        QFETCH(int, records);
        QFETCH(int, malformed);
        const StoredResults r = parseStoredResults(reply);
        QCOMPARE(r.status, status);
        QCOMPARE(r.records.size(), records);
        QCOMPARE(r.malformed, malformed);
    }

    void storedRecordFields() {
        const auto r = parseStoredResults("2,3,905.6,149.8,151.0,498,70.00,-98.5,1\x03\x02");
        QCOMPARE(r.records.size(), 1);
        const StoredRecord& s = r.records.first();
        QCOMPARE(s.rampNo, 2);
        QCOMPARE(s.rampStepNo, 3);
        QCOMPARE(s.elapsedS, 906);
        QCOMPARE(s.sampleTempF, 149.8);
        QCOMPARE(s.bathTempF, 151.0);
        QCOMPARE(s.pressurePsi, 498.0);
        QCOMPARE(s.shearRate, 70.0);
        QCOMPARE(s.shearStress, -98.5);  // stored as sent
        QCOMPARE(s.resultType, 1);

        // A trailing comma after the ramp flag leaves every field where it was.
        const auto t = parseStoredResults("1,0,30,80,79,500,100,50,0,\x03\x02");
        QCOMPARE(t.records.size(), 1);
        const StoredRecord& u = t.records.first();
        QCOMPARE(u.rampNo, 1);
        QCOMPARE(u.elapsedS, 30);
        QCOMPARE(u.bathTempF, 79.0);
        QCOMPARE(u.shearStress, 50.0);
        QCOMPARE(u.resultType, 0);
    }

    void unitFactors_data() {
        QTest::addColumn<double>("radius");
        QTest::addColumn<double>("length");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("shearRateFactor");
        QTest::addColumn<double>("stressFactor");
        // Worked by hand from the rotor radius 1.8415 cm, pi taken as 3.14159,
        // the reference bob 1.5987 cm x 7.62 cm: 4 pi Rr^2 / (Rr^2 - Rb^2) / 60
        // and (1.5987 / Rb)^2 x 7.62 / L.
        QTest::newRow("B5, the reference bob") << 1.5987 << 7.62 << true << 0.8502944008320190 << 1.0;
        QTest::newRow("B1") << 1.7245 << 7.62 << true << 1.702293702853237 << 0.8594241484730364;
        QTest::newRow("B2, half length") << 1.2276 << 3.81 << true << 0.3769580486287442 << 3.391955812977949;
        QTest::newRow("B4") << 0.8622 << 3.81 << true << 0.2682424071129704 << 6.876190635307358;
        QTest::newRow("radius of the rotor") << 1.8415 << 7.62 << false << 0.0 << 0.0;
        QTest::newRow("no radius") << 0.0 << 7.62 << false << 0.0 << 0.0;
        QTest::newRow("no length") << 1.5987 << 0.0 << false << 0.0 << 0.0;
    }
    void unitFactors() {
        QFETCH(double, radius);
        QFETCH(double, length);
        QFETCH(bool, valid);
        QFETCH(double, shearRateFactor);
        QFETCH(double, stressFactor);
        const auto f = unitFactorsForBob(radius, length);
        QCOMPARE(f.has_value(), valid);
        if (!valid) return;
        QVERIFY2(qAbs(f->shearRateFactor - shearRateFactor) < 1e-12 * shearRateFactor,
                 qPrintable(QString::number(f->shearRateFactor, 'g', 17)));
        QVERIFY2(qAbs(f->stressFactor - stressFactor) < 1e-12 * stressFactor,
                 qPrintable(QString::number(f->stressFactor, 'g', 17)));
        UnitFactors before;  // no test information yet
        QCOMPARE(before.shearRateFactor, 0.0);
        QCOMPARE(before.stressFactor, 1.0);
    }

    void commPorts() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString d = dir.path();
        QCOMPARE(commDevice(3, d), defaultCommDevice(3));
#ifndef Q_OS_WIN
        QCOMPARE(defaultCommDevice(1), QString("/dev/ttyS0"));
#endif
        QFile f(d + "/comports.txt");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("# bench\n3 /dev/ttyUSB0\n  4\t/dev/serial/by-id/usb unit 4 \nx /dev/bad\n");
        f.close();
        QCOMPARE(commDevice(3, d), QString("/dev/ttyUSB0"));
        QCOMPARE(commDevice(4, d), QString("/dev/serial/by-id/usb unit 4"));
        QCOMPARE(commDevice(5, d), defaultCommDevice(5));

        QVERIFY(setCommDevice(3, "/dev/pts/7", d));
        QVERIFY(setCommDevice(1, "/dev/pts/8", d));
        QCOMPARE(commDevice(3, d), QString("/dev/pts/7"));
        QCOMPARE(commDevice(1, d), QString("/dev/pts/8"));
        QCOMPARE(commDevice(4, d), QString("/dev/serial/by-id/usb unit 4"));

        // Only the entry still naming our device goes.
        QVERIFY(!removeCommDevice(3, "/dev/pts/99", d));
        QVERIFY(removeCommDevice(3, "/dev/pts/7", d));
        QCOMPARE(commDevice(3, d), defaultCommDevice(3));
        QCOMPARE(commDevice(1, d), QString("/dev/pts/8"));
    }
};

QTEST_APPLESS_MAIN(TestInstrumentData)
#include "tst_instrumentdata.moc"
