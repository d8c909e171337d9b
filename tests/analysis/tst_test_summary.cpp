// The test summary over synthetic tests whose step viscosity is piecewise
// linear in time, so every crossing is worked out by hand. Step points are
// taken at 100 1/s, where the viscosity in cP equals the stress in dyn/cm2.
#include "analysis/SummaryFields.h"
#include "analysis/TestSummary.h"

#include <QJsonArray>
#include <QTest>
#include <cmath>

using namespace tz;

Q_DECLARE_METATYPE(std::vector<tz::ResultPoint>)

namespace {

struct Step {
    double minutes;
    double cp;
    double tempF;
};

// Step points (type 0) at 100 1/s, with a ramp point (type 1, 1000 cP) between
// each pair that the summary curve must ignore.
std::vector<ResultPoint> stepTest(const QList<Step>& steps) {
    std::vector<ResultPoint> rows;
    for (const Step& s : steps) {
        rows.push_back({1, 0, s.minutes * 60, s.tempF, 500, 100, s.cp, 0, 0});
        rows.push_back({1, 1, s.minutes * 60 + 1, 999, 500, 50, 500, 1, 0});
    }
    return rows;
}

// Rises 20 -> 220 cP, holds, decays to 10 cP; the sample heats to 250 °F.
const QList<Step> kRiseHoldDecay{{0, 20, 80}, {10, 220, 200}, {20, 220, 250},
                                 {30, 160, 250}, {40, 40, 240}, {50, 10, 230}};
// Above 100 cP, dips to 80, back above to 130, then breaks.
const QList<Step> kDip{{0, 50, 100}, {10, 150, 100}, {20, 80, 100},
                       {30, 130, 100}, {40, 60, 100}, {50, 30, 100}};

Settings cgs() {
    Settings s;
    s.unitSystem = UnitCGS;
    return s;
}

const double kNone = -1;  // no value expected

}  // namespace

class TestTestSummary : public QObject {
    Q_OBJECT
private slots:
    void viscosityCurve_data() {
        QTest::addColumn<std::vector<ResultPoint>>("rows");
        QTest::addColumn<double>("threshold");
        QTest::addColumn<double>("minutesAbove");
        QTest::addColumn<double>("breakTime");
        QTest::addColumn<double>("peakCp");
        QTest::addColumn<double>("peakMin");
        QTest::addColumn<double>("finalCp");

        // Above from 4 min (20 + 200 x 0.4 = 100) to 35 min (160 - 120 x 0.5):
        // 6 + 10 + 10 + 5 = 31 min; the peak is the first of the two 220s.
        QTest::newRow("rise, hold, decay") << stepTest(kRiseHoldDecay) << 100.0 << 31.0 << 35.0 << 220.0 << 10.0 << 10.0;
        QTest::newRow("never reaches the threshold") << stepTest(kRiseHoldDecay) << 300.0 << 0.0 << kNone << 220.0 << 10.0 << 10.0;
        // Every point is at or above 10 cP: the whole 50 min, never breaks.
        QTest::newRow("never breaks") << stepTest(kRiseHoldDecay) << 10.0 << 50.0 << kNone << 220.0 << 10.0 << 10.0;
        // 50 -> 150 crosses at 5; 150 -> 80 at 10 + 10 x 50/70; 80 -> 130 at
        // 24; 130 -> 60 at 30 + 10 x 30/70. Above: 5 + 50/7 + 6 + 30/7 min.
        // The break is the last fall, not the dip at 17.14 min.
        QTest::newRow("dip and back above") << stepTest(kDip) << 100.0 << 11.0 + 80.0 / 7 << 30.0 + 30.0 / 7
                                            << 150.0 << 10.0 << 30.0;
        // Exactly at the threshold counts as above; it falls below right after.
        QTest::newRow("starts at the threshold")
            << stepTest({{0, 100, 70}, {10, 50, 70}}) << 100.0 << 0.0 << 0.0 << 100.0 << 0.0 << 50.0;
        // Stored out of time order: read in time order (40 min at 200 cP is last).
        QTest::newRow("out of order") << stepTest({{40, 200, 70}, {0, 0.0001, 70}, {20, 100, 70}}) << 150.0
                                      << 10.0 << kNone << 200.0 << 40.0 << 200.0;
        QTest::newRow("one step point") << stepTest({{5, 300, 70}}) << 100.0 << 0.0 << kNone << 300.0 << 5.0 << 300.0;
        QTest::newRow("no step point") << std::vector<ResultPoint>{{1, 1, 60, 70, 500, 100, 300, 1, 0}} << 100.0
                                       << 0.0 << kNone << kNone << kNone << kNone;
        // A step at rest (0 1/s) measures no viscosity and is left out: the
        // line runs straight from 150 at 0 min to 50 at 10 min.
        std::vector<ResultPoint> rest = stepTest({{0, 150, 70}, {10, 50, 70}});
        rest.insert(rest.begin() + 1, ResultPoint{1, 0, 300, 70, 500, 0, 10, 0, 0});
        QTest::newRow("step at rest left out") << rest << 100.0 << 5.0 << 5.0 << 150.0 << 0.0 << 50.0;
    }

    void viscosityCurve() {
        QFETCH(std::vector<ResultPoint>, rows);
        QFETCH(double, threshold);
        QFETCH(double, minutesAbove);
        QFETCH(double, breakTime);
        QFETCH(double, peakCp);
        QFETCH(double, peakMin);
        QFETCH(double, finalCp);
        const TestSummary s = summariseTest(rows, 1.5987, cgs(), threshold);
        QCOMPARE(s.thresholdCp, threshold);
        QVERIFY2(std::fabs(s.minutesAbove - minutesAbove) < 1e-9, qPrintable(QString::number(s.minutesAbove)));
        QCOMPARE(s.breakTimeMin.has_value(), breakTime != kNone);
        if (s.breakTimeMin)
            QVERIFY2(std::fabs(*s.breakTimeMin - breakTime) < 1e-9, qPrintable(QString::number(*s.breakTimeMin)));
        QCOMPARE(s.peak.has_value(), peakCp != kNone);
        QCOMPARE(s.final.has_value(), finalCp != kNone);
        if (s.peak) {
            QCOMPARE(s.peak->viscosity, peakCp);
            QCOMPARE(s.peak->timeMin, peakMin);
            QCOMPARE(s.final->viscosity, finalCp);
        }
    }

    // 250 °F is reached at 20 min; 245 °F is crossed at 19 min (200 -> 250)
    // and 35 min (250 -> 240): 1 + 10 + 5 = 16 min. SI shows °C, same minutes.
    void temperatures_data() {
        QTest::addColumn<int>("unitSystem");
        QTest::addColumn<double>("peakTemp");
        QTest::addColumn<double>("finalTemp");
        QTest::addColumn<double>("maxTemp");
        QTest::addColumn<QString>("heading");
        QTest::newRow("CGS") << int(UnitCGS) << 200.0 << 230.0 << 250.0 << "Max sample temp (°F)";
        QTest::newRow("EI") << int(UnitEI) << 200.0 << 230.0 << 250.0 << "Max sample temp (°F)";
        QTest::newRow("SI") << int(UnitSI) << 168.0 / 1.8 << 198.0 / 1.8 << 218.0 / 1.8 << "Max sample temp (°C)";
    }

    void temperatures() {
        QFETCH(int, unitSystem);
        QFETCH(double, peakTemp);
        QFETCH(double, finalTemp);
        QFETCH(double, maxTemp);
        QFETCH(QString, heading);
        Settings settings;
        settings.unitSystem = unitSystem;
        const TestSummary s = summariseTest(stepTest(kRiseHoldDecay), 1.5987, settings, 100);
        QVERIFY(std::fabs(s.peak->temp - peakTemp) < 1e-9);
        QVERIFY(std::fabs(s.final->temp - finalTemp) < 1e-9);
        QVERIFY(std::fabs(*s.maxTemp - maxTemp) < 1e-9);
        QVERIFY2(std::fabs(s.minutesNearMaxTemp - 16.0) < 1e-9, qPrintable(QString::number(s.minutesNearMaxTemp)));
        const QList<SummaryField> fields = summaryFields(s, settings, 0);
        const auto it = std::find_if(fields.begin(), fields.end(), [](const SummaryField& f) { return f.key == "max_temp"; });
        QVERIFY(it != fields.end());
        QCOMPARE(it->heading, heading);
    }

    // stress = 10 rate^0.5 on ramp points 50 .. 300 1/s: n' = 0.5, so
    // K'pipe / K' = ((1.5 + 1) / 2)^0.5 = 1.118033989. A calculation rate
    // below 50 or above 300 1/s is extrapolated; 300 itself is measured.
    void rampsGainPipeConsistencyAndExtrapolation_data() {
        QTest::addColumn<double>("rate1");
        QTest::addColumn<double>("rate2");
        QTest::addColumn<double>("rate3");
        QTest::addColumn<QList<bool>>("extrapolated");
        QTest::newRow("40 100 170") << 40.0 << 100.0 << 170.0 << QList<bool>{true, false, false};
        QTest::newRow("50 300 511") << 50.0 << 300.0 << 511.0 << QList<bool>{false, false, true};
    }

    void rampsGainPipeConsistencyAndExtrapolation() {
        QFETCH(double, rate1);
        QFETCH(double, rate2);
        QFETCH(double, rate3);
        QFETCH(QList<bool>, extrapolated);
        std::vector<ResultPoint> rows{{1, 0, 0, 70, 500, 100, 100, 0, 0}};
        int step = 1;
        for (double rate : {300.0, 50.0, 100.0, 200.0})
            rows.push_back({1, step++, 60.0 + step, 70, 500, rate, 10 * std::sqrt(rate), 1, 0});
        rows.push_back({2, 0, 600, 70, 500, 100, 100, 0, 0});
        Settings settings = cgs();
        settings.shearRates = {rate1, rate2, rate3};
        const TestSummary s = summariseTest(rows, 1.5987, settings);
        QCOMPARE(s.ramps.size(), std::size_t(1));
        const RampSummary& r = s.ramps[0];
        QVERIFY(std::fabs(r.result.nPrime - 0.5) < 1e-9);
        QVERIFY(r.kPipe);
        QVERIFY(std::fabs(*r.kPipe / r.result.kPrime - 1.118033989) < 1e-9);
        QCOMPARE(r.minRate, 50.0);
        QCOMPARE(r.maxRate, 300.0);
        for (int i = 0; i < 3; ++i) QCOMPARE(r.extrapolated[std::size_t(i)], extrapolated[i]);
        const QJsonObject json = summaryJson(s, settings);
        const QJsonObject ramp = json["ramps"].toArray()[0].toObject();
        QCOMPARE(ramp["calculation_rates"].toArray()[2].toObject()["extrapolated"].toBool(), extrapolated[2]);
        QCOMPARE(ramp["calculation_rates"].toArray()[0].toObject()["rate"].toDouble(), rate1);
    }

    // A rejected fit (n' = 20) has no K' and so no K'pipe.
    void rejectedRampHasNoPipeConsistency() {
        std::vector<ResultPoint> rows;
        int step = 1;
        for (double rate : {1.0, 1.1, 1.2, 1.3})
            rows.push_back({1, step++, 60.0 + step, 70, 500, rate, std::pow(rate, 20.0), 1, 0});
        const TestSummary s = summariseTest(rows, 1.5987, cgs());
        QCOMPARE(s.ramps.size(), std::size_t(1));
        QVERIFY(s.ramps[0].result.rejected);
        QVERIFY(!s.ramps[0].kPipe);
        const QList<SummaryField> f = summaryFields(s, cgs(), 1);
        const auto pipe = std::find_if(f.begin(), f.end(), [](const SummaryField& x) { return x.key == "ramp1_k_pipe"; });
        QVERIFY(pipe != f.end() && pipe->text.isEmpty() && pipe->value.isNull());
    }

    // Fields of tests with different ramps line up: the keys depend only on
    // the ramp count asked for; a missing ramp has empty values.
    void fieldsLineUpAcrossTests() {
        const TestSummary none = summariseTest({}, 1.5987, cgs());
        const QList<SummaryField> f = summaryFields(none, cgs(), 2);
        QCOMPARE(f.size(), 11 + 2 * 10);
        QCOMPARE(f[2].key, QString("peak_viscosity_cp"));
        QVERIFY(f[2].text.isEmpty());
        QCOMPARE(f.last().key, QString("ramp2_visc3_extrapolated"));
        QCOMPARE(f.last().heading, QString("Ramp 2 @170 1/s extrapolated"));
        QVERIFY(f.last().value.isNull());
        const QJsonObject json = summaryJson(none, cgs());
        QVERIFY(json["break_time_min"].isNull());
        QCOMPARE(json["minutes_above_threshold"].toDouble(), 0.0);
    }

    void thresholdMustBePositive() {
        QVERIFY(thresholdAccepted(100));
        QVERIFY(thresholdAccepted(0.5));
        QVERIFY(!thresholdAccepted(0));
        QVERIFY(!thresholdAccepted(-5));
        QVERIFY(!thresholdAccepted(std::nan("")));
        QVERIFY(!thresholdAccepted(INFINITY));
    }
};

QTEST_APPLESS_MAIN(TestTestSummary)
#include "tst_test_summary.moc"
