// The line fit and logarithm shared by the ramp analysis and the calibration,
// and the error log of automatic stops.
#include "app/ErrorLog.h"
#include "app/NumericHelpers.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

using namespace tz;

class TestNumericHelpers : public QObject {
    Q_OBJECT
private slots:
    void lineFit_data() {
        QTest::addColumn<std::vector<double>>("xs");
        QTest::addColumn<std::vector<double>>("ys");
        QTest::addColumn<double>("slope");
        QTest::addColumn<double>("intercept");
        QTest::addColumn<double>("r");
        // Caller's values are 7 and 9: the degenerate cases must leave them.
        QTest::newRow("exact line") << std::vector<double>{1, 2, 3} << std::vector<double>{10, 20, 30} << 10.0 << 0.0 << 1.0;
        QTest::newRow("falling line, r positive") << std::vector<double>{1, 2, 3} << std::vector<double>{3, 2, 1} << -1.0 << 4.0 << 1.0;
        QTest::newRow("same x") << std::vector<double>{2, 2, 2} << std::vector<double>{1, 2, 3} << 7.0 << 9.0 << 0.0;
        QTest::newRow("same y") << std::vector<double>{1, 2, 3} << std::vector<double>{5, 5, 5} << 0.0 << 0.0 << 0.0;
        QTest::newRow("y sums to zero") << std::vector<double>{1, 2, 3} << std::vector<double>{1, -1, 0} << 7.0 << 9.0 << 0.0;
    }
    void lineFit() {
        QFETCH(std::vector<double>, xs);
        QFETCH(std::vector<double>, ys);
        QFETCH(double, slope);
        QFETCH(double, intercept);
        QFETCH(double, r);
        double s = 7, i = 9, rr = 5;
        QVERIFY(tz::lineFit(xs, ys, s, i, rr));
        QVERIFY(qAbs(s - slope) < 1e-12);
        QVERIFY(qAbs(i - intercept) < 1e-12);
        QVERIFY(qAbs(rr - r) < 1e-12);
    }

    void noisyFitIsBelowOne() {
        const std::vector<double> xs{1, 2, 3, 4}, ys{1.1, 1.9, 3.2, 3.9};
        double s = 0, i = 0, r = 0;
        tz::lineFit(xs, ys, s, i, r);
        QVERIFY(r > 0.98 && r < 1.0);
    }

    void emptyInputWritesNothing() {
        double s = 7, i = 9, r = 5;
        QVERIFY(!tz::lineFit({}, {}, s, i, r));
        QCOMPARE(s, 7.0);
        QCOMPARE(i, 9.0);
    }

    void log10() {
        QCOMPARE(Log10(1000.0), 3.0);
        QVERIFY(qAbs(Log10(170.0) - std::log10(170.0)) < 1e-14);
        QVERIFY(std::isnan(Log10(-1.0)));
    }

    void errorLogAppendsInOrder() {
        QTemporaryDir dir;
        const QString path = dir.filePath("OstraErr.log");
        QVERIFY(appendErrorLog("Over temperature, unit 1", nullptr, path));
        QVERIFY(appendErrorLog("Low viscosity", nullptr, path));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 3);  // two lines and the empty tail
        QVERIFY(lines[0].startsWith("Time: "));
        QVERIFY(lines[0].endsWith("Cause: Over temperature, unit 1\r"));
        QVERIFY(lines[1].endsWith("Cause: Low viscosity\r"));
        // The cause starts at the first column of a 14-character print zone.
        QCOMPARE(lines[0].indexOf("Cause: ") % 14, 0);
    }

    void errorLogFailureIsReported() {
        QString error;
        QVERIFY(!appendErrorLog("x", &error, "/nonexistent-dir/OstraErr.log"));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestNumericHelpers)
#include "tst_numeric_helpers.moc"
