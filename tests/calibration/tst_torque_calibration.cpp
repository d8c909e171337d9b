// Torque calibration without a window: the record reader, the polynomial and
// its command, the line check and the report.
#include "calibration/CalibrationBobs.h"
#include "calibration/CalibrationRecordReader.h"
#include "calibration/CalibrationReport.h"
#include "calibration/PolynomialFit.h"
#include "calibration/TorqueCalibration.h"
#include "instrument/ProtocolCodec.h"

#include <QTest>
#include <cmath>

using namespace tz;

namespace {
QList<CalibrationRecord> line(const QList<double>& xs, const QList<double>& ys) {
    QList<CalibrationRecord> out;
    for (qsizetype i = 0; i < xs.size(); ++i) out.append({ys[i], xs[i]});
    return out;
}
}  // namespace

class TestTorqueCalibration : public QObject {
    Q_OBJECT

private slots:
    void readsOneRecord_data() {
        QTest::addColumn<QString>("bob");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<double>("stress");
        QTest::addColumn<double>("voltage");
        QTest::newRow("with BS") << "B5" << QByteArray("\x08" "12.5,1.234\x1a") << 12.5 << 1.234;
        // The whole stress text counts: dropping its last character would read 12.
        QTest::newRow("without BS") << "B5" << QByteArray("12.5,1.234\x1a") << 12.5 << 1.234;
        QTest::newRow("fields not numbers") << "B5" << QByteArray("\x08" "abc,x1\x1a") << 0.0 << 0.0;
        QTest::newRow("B1 stress converted") << "B1" << QByteArray("\x08" "10,2\x1a")
                                             << 10 * 2.002 / 0.8594 << 2.0;
        QTest::newRow("XB2 stress converted") << "XB2" << QByteArray("\x08" "10,2\x1a")
                                              << 10 * 0.443326 / 1.696 * 8.785 / 7.62 << 2.0;
    }
    void readsOneRecord() {
        QFETCH(QString, bob);
        QFETCH(QByteArray, bytes);
        QFETCH(double, stress);
        QFETCH(double, voltage);
        CalibrationRecordReader reader(calibrationStressFactor(bob));
        QCOMPARE(reader.read(bytes), 1);
        QCOMPARE(reader.records().first().stress, stress);
        QCOMPARE(reader.records().first().voltage, voltage);
        QVERIFY(reader.pending().isEmpty());
    }

    void wholeRecordsOnlyAndTheEnd() {
        CalibrationRecordReader reader;
        // Two records and half a third: the half waits for the rest.
        QCOMPARE(reader.read("\x08" "1,0.5\x1a\x08" "2,0.75\x1a\x08" "3,1."), 2);
        QCOMPARE(reader.pending(), QByteArray("\x08" "3,1."));
        QCOMPARE(reader.read("25\x1a"), 1);
        QCOMPARE(reader.records().last().voltage, 1.25);
        // Line noise without a comma is skipped, not merged into the next record.
        QCOMPARE(reader.read("~#\x1a\x08" "4,1.5\x1a"), 1);
        QCOMPARE(reader.records().last().stress, 4.0);
        QCOMPARE(reader.skippedFrames(), 1);
        QVERIFY(!reader.zeroSeen());
        // The end frame ends the records; nothing after it is taken.
        QCOMPARE(reader.read("\x09" "END\x1a\x08" "5,2\x1a"), 0);
        QVERIFY(reader.ended());
        QCOMPARE(reader.records().size(), 4);
    }

    void zeroVoltIsTheLastRecordAtRest() {
        CalibrationRecordReader reader;
        reader.read("\x08" "0.00005,0.51\x1a\x08" "5,1.0\x1a");
        QVERIFY(reader.zeroSeen());
        QCOMPARE(reader.zeroVolt(), 0.51);
        reader.read("\x08" "0.0001,0.6\x1a");  // not below 0.0001: a reading, not the rest
        QCOMPARE(reader.zeroVolt(), 0.51);
        reader.read("\x08" "-0.00002,0.49\x1a");
        QCOMPARE(reader.zeroVolt(), 0.49);
        reader.clear();
        QVERIFY(!reader.zeroSeen());
        QCOMPARE(reader.zeroVolt(), 0.0);
    }

    void fitsPolynomials() {
        // Least-squares line by hand: x mean 1.5, y mean 1, Sxy 3, Sxx 5.
        const double lx[] = {0, 1, 2, 3}, ly[] = {0, 1, 1, 2};
        auto c = polynomialFit(lx, ly, 1);
        QVERIFY(c);
        QCOMPARE(c->size(), std::size_t(2));
        QVERIFY(std::fabs((*c)[0] - 0.1) < 1e-12 && std::fabs((*c)[1] - 0.6) < 1e-12);

        // Order 4 recovers an exact quartic over a transducer's span.
        std::vector<double> xs, ys;
        for (int i = 0; i < 15; ++i) {
            const double x = 0.5 + 0.2 * i;
            xs.push_back(x);
            ys.push_back(3 - 40 * x + 250 * x * x - 12 * x * x * x + 0.75 * x * x * x * x);
        }
        c = polynomialFit(xs, ys, 4);
        QVERIFY(c);
        const double expected[] = {3, -40, 250, -12, 0.75};
        for (int j = 0; j < 5; ++j)
            QVERIFY2(std::fabs((*c)[j] - expected[j]) < 1e-8, qPrintable(QString::number((*c)[j], 'g', 17)));

        // Points that cannot fix every coefficient.
        const double four[] = {1, 2, 3, 4};
        QVERIFY(!polynomialFit(four, four, 4));
        const double twoX[] = {1, 1, 1, 2, 2}, anyY[] = {1, 2, 3, 4, 5};
        QVERIFY(!polynomialFit(twoX, anyY, 4));
    }

    void coefficientCommandFromTheFit() {
        // stress = 1 + 2 V exactly; the record at rest is at -0.5 V.
        const auto records = line({-0.5, 0, 0.5, 1, 1.5, 2}, {0, 1, 2, 3, 4, 5});
        CalibrationOutcome b2 = finishCalibration(records, -0.5, "B2");
        QVERIFY(b2.fitted);
        QCOMPARE(b2.command, QByteArray("N\x1a\x0e" "1.,2.,0.0,0.0,0.0,0.0,0.0,-0.5,\x1a"));

        // Order 4 fills five places and pads twice: stress = 2 + 100 V^2.
        QList<double> xs, ys;
        for (int i = 0; i < 8; ++i) {
            xs << 0.5 * i;
            ys << 2 + 100 * (0.5 * i) * (0.5 * i);
        }
        CalibrationOutcome b5 = finishCalibration(line(xs, ys), 0.25, "B5");
        QVERIFY(b5.fitted);
        QCOMPARE(b5.coefficients.size(), std::size_t(5));
        const QList<QByteArray> fields = b5.command.mid(3).split(',');
        QCOMPARE(fields.size(), 9);  // seven coefficients, the zero voltage, the SUB
        const double expected[] = {2, 0, 100, 0, 0};
        for (int j = 0; j < 5; ++j) QVERIFY(std::fabs(fields[j].toDouble() - expected[j]) < 1e-9);
        QCOMPARE(fields.mid(5), (QList<QByteArray>{"0.0", "0.0", "0.25", "\x1a"}));
        // The command of an order-4 polynomial, byte for byte: 2 is written "2.".
        const std::vector<double> order4{2, -0.5, 0.25, 0, 0.001};
        QCOMPARE(proto::calibrationCoefficients(order4, 0.5),
                 QByteArray("N\x1a\x0e" "2.,-0.5,0.25,0.,0.001,0.0,0.0,0.5,\x1a"));

        // Too few records for order 4: nothing to send.
        CalibrationOutcome few = finishCalibration(line({0, 1, 2}, {0, 1, 2}), 0, "XB1");
        QVERIFY(!few.fitted);
        QVERIFY(few.command.isEmpty());
        QCOMPARE(few.check.verdict, AcceptanceCheck::Verdict::TooFewRecords);
    }

    // Records 6 to 15 are y = x + e on x = 1 ... 10 with e alternating -a, +a
    // (-a at x = 1). By hand: Sxx 82.5, Sxy 82.5 + 5a, Syy 82.5 + 10a + 10a^2,
    // r^2 = Sxy^2 / (Sxx Syy).
    void lineCheckOverRecordsSixToFifteen_data() {
        QTest::addColumn<double>("a");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("verdict");
        QTest::addColumn<double>("quality");
        using V = AcceptanceCheck::Verdict;
        QTest::newRow("straight") << 0.0 << 20 << int(V::Sound) << 1.0;
        QTest::newRow("slight scatter") << 0.1 << 20 << int(V::Sound) << 83.0 * 83.0 / (82.5 * 83.6);
        QTest::newRow("scatter past the limit")
            << 0.25 << 16 << int(V::Doubtful) << 83.75 * 83.75 / (82.5 * 85.625);
        QTest::newRow("wide scatter") << 1.0 << 20 << int(V::Doubtful) << 87.5 * 87.5 / (82.5 * 102.5);
        QTest::newRow("fifteen records") << 0.0 << 15 << int(V::TooFewRecords) << 0.0;
    }
    void lineCheckOverRecordsSixToFifteen() {
        QFETCH(double, a);
        QFETCH(int, count);
        QFETCH(int, verdict);
        QFETCH(double, quality);
        QList<CalibrationRecord> records;
        for (int i = 0; i < count; ++i) {
            // Outside 6 to 15 the records are wild: they must not count.
            const double x = i - 5;
            const bool checked = i >= 6 && i <= 15;
            records.append({checked ? x + (i % 2 ? a : -a) : 1000.0 * (i % 3), checked ? x : 0.1 * i});
        }
        const AcceptanceCheck check = acceptanceCheck(records);
        QCOMPARE(int(check.verdict), verdict);
        QVERIFY2(std::fabs(check.quality - quality) < 1e-12, qPrintable(QString::number(check.quality, 'g', 17)));
    }

    void viscosityLimits_data() {
        QTest::addColumn<double>("cP");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("0") << 0.0 << false;
        QTest::newRow("below the least") << 0.00009 << false;
        QTest::newRow("0.0001") << 0.0001 << true;
        QTest::newRow("10000") << 10000.0 << true;
        QTest::newRow("20000") << 20000.0 << false;
        QTest::newRow("negative") << -5.0 << false;
    }
    void viscosityLimits() {
        QFETCH(double, cP);
        QFETCH(bool, accepted);
        QCOMPARE(calibrationViscosityAccepted(cP), accepted);
    }

    void reportLines() {
        CalibrationReportData d;
        d.when = QDateTime(QDate(2026, 12, 10), QTime(14, 5, 9));
        d.locale = QLocale(QLocale::English, QLocale::UnitedStates);
        d.unit = "Unit  2";
        d.bob = "XB5";
        d.viscosity = "100";
        d.changePerDegC = "-0.5";
        // The last record: 12.5 dyn/cm2 on B2 is 12.5 x 0.443326 / 1.696 =
        // 3.267438089622641509..., printed to 15 digits; 0.1 + 0.2 as .3.
        d.records = {{0, 0.5}, {12.5, 1.234}, {-3, 10.25}, {12.5 * 0.443326 / 1.696, 0.1 + 0.2}};
        d.quality = 0.9987;
        const QStringList expected{
            "Torque Calibration Report of TZ360 Rheometer.",
            "",
            "Calibration Time:              2:05:09 PM Thursday, December 10, 2026",
            "Instrument Unit:               Unit  2",
            "Bob Size:                      XB5",
            "Calibration Fluid Visc(cP):    100",
            "Cali Fluid Visc Change per 1C: -0.5",
            "          ",
            "ShearStress(dyn/cm2)            Voltage(vdc)",
            // Each number has its sign place and a trailing blank; the voltage
            // starts at column 15.
            " 0 " + QString(11, ' ') + " .5 ",
            " 12.5 " + QString(8, ' ') + " 1.234 ",
            "-3 " + QString(11, ' ') + " 10.25 ",
            " 3.26743808962264 " + QString(10, ' ') + " .3 ",
            "   ",
            "Least square error is: 0.9987",
        };
        QCOMPARE(calibrationReportLines(d), expected);

        d.quality.reset();
        QVERIFY(calibrationReportLines(d).last().startsWith("Least square error is: not checked, 4 records"));

        // Written with CR LF, replacing an older file.
        QTemporaryDir dir;
        const QString path = dir.filePath("cal.txt");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'x'));
        old.close();
        QVERIFY(writeCalibrationReport(path, d));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.startsWith("Torque Calibration Report of TZ360 Rheometer.\r\n\r\nCalibration Time:"));
        QCOMPARE(text.count("\r\n"), 11 + 4);  // eleven lines besides the records
        QString error;
        QVERIFY(!writeCalibrationReport(dir.filePath("no/such/folder/cal.txt"), d, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestTorqueCalibration)
#include "tst_torque_calibration.moc"
