// The live per-ramp table and chart of a running test: after every point it
// must equal the saved-test analysis of the same rows, read back from the
// database; numbers are in the unit their heading names.
#include "analysis/OpenedTest.h"
#include "analysis/ResultsTable.h"
#include "instrument/LiveRampAnalysis.h"
#include "instrument/RetrievedTest.h"
#include "db/TempDatabase.h"

#include <QTest>
#include <cmath>

using namespace tz;

namespace {

StoredRecord point(int ramp, int step, int t, double rate, double stress, int type)
{
    return {ramp, step, t, 150.0 + ramp, 152.0 + ramp, 400.0 + t / 60, rate, stress, type};
}

// A test of six ramps: a shear-thinning gel, a ramp with two usable points,
// no ramp 3 at all, a Newtonian oil, a fit outside the acceptance window, and
// the ramp still being recorded.
QList<StoredRecord> aTest()
{
    QList<StoredRecord> r;
    int t = 0;
    const double rates[] = {170, 100, 70, 40};
    auto hold = [&](int ramp, int n) {
        for (int i = 0; i < n; ++i) r << point(ramp, 0, t += 10, 100, 60 + i, 0);
    };
    hold(1, 5);
    for (int j = 0; j < 4; ++j)
        r << point(1, j + 1, t += 10, rates[j], 10 * std::sqrt(rates[j]) * (1 + 0.01 * ((j * 7) % 3 - 1)), 1);
    hold(2, 3);
    r << point(2, 1, t += 10, 170, 50, 1);
    r << point(2, 2, t += 10, 0, 50, 1);  // a standing rotor never reaches the fit
    r << point(2, 3, t += 10, 100, 40, 1);
    hold(4, 2);
    for (int j = 0; j < 4; ++j) r << point(4, j + 1, t += 10, rates[j], rates[j], 1);  // 100 cP
    for (int j = 0; j < 4; ++j) r << point(5, j + 1, t += 10, rates[j], 1e-30 * std::pow(rates[j], 20.0), 1);
    hold(6, 2);
    for (int j = 0; j < 3; ++j) r << point(6, j + 1, t += 10, rates[j], 3 * std::pow(rates[j], 0.7), 1);
    hold(6, 1);
    return r;
}

ResultPoint asPoint(const StoredRecord& s)
{
    return {s.rampNo, s.rampStepNo, double(s.elapsedS), s.sampleTempF, s.pressurePsi,
            s.shearRate, s.shearStress, s.resultType, s.bathTempF};
}

}  // namespace

class TestLiveRampAnalysis : public QObject {
    Q_OBJECT

private slots:
    void equalsTheSavedTestAnalysis_data()
    {
        QTest::addColumn<int>("unitSystem");
        QTest::newRow("CGS") << 1;
        QTest::newRow("EI") << 2;
        QTest::newRow("SI") << 3;
    }

    void equalsTheSavedTestAnalysis()
    {
        QFETCH(int, unitSystem);
        const QList<StoredRecord> records = aTest();
        TempDatabase db;
        TestInformation info;
        info.testName = QStringLiteral("live");
        info.bobRadiusCm = 1.2276;
        const int id = storeRetrievedTest(db.connection, info, {}, records);
        const std::optional<OpenedTest> saved = loadTest(db.connection, id);
        QVERIFY(saved);
        QCOMPARE(saved->points.size(), std::size_t(records.size()));
        const Settings live = LiveRampAnalysis::liveSettings(unitSystem);

        LiveRampAnalysis analysis;
        analysis.reset(saved->info.bobRadius, unitSystem);
        for (std::size_t i = 0; i < saved->points.size(); ++i) {
            analysis.add(saved->points[i]);
            const std::span<const ResultPoint> sofar(saved->points.data(), i + 1);
            const ResultsTable full = buildResultsTable(analyseRamps(sofar, saved->info.bobRadius, live), live);
            QCOMPARE(analysis.cells().rows, full.rows);
        }
        const ResultsTable t = analysis.cells();
        QCOMPARE(t.rows, buildResultsTable(saved->analyse(live), live).rows);
        QCOMPARE(t.rows.size(), 6);
        QVERIFY(!t.rows[0][4].isEmpty());
        QVERIFY(t.rows[1][0].isEmpty());   // two usable points: no fit
        QVERIFY(t.rows[2][0].isEmpty());   // no rows at all
        QCOMPARE(t.rows[4][7], QStringLiteral("N/A"));
        QVERIFY(!t.rows[5][4].isEmpty());  // the open ramp already shows its fit
    }

    // A Newtonian 100 cP ramp, worked by hand: n' = 1, K' = Kv = K'slot =
    // 1 dyn-s/cm2 = 1 / 478.8 lbf-s/ft2, 100 cP at every rate.
    void numbersInTheUnitOfTheirHeading_data()
    {
        QTest::addColumn<int>("unitSystem");
        QTest::addColumn<QString>("k");
        QTest::addColumn<QString>("kHeading");
        QTest::addColumn<QString>("temp");
        QTest::newRow("CGS") << 1 << "1.000000" << "dyn-s^n/cm2" << "160";
        QTest::newRow("EI") << 2 << "0.002089" << "lbf-s^n/ft2" << "160";
        QTest::newRow("SI") << 3 << "1.000000" << "dyn-s^n/cm2" << "71";
    }

    void numbersInTheUnitOfTheirHeading()
    {
        QFETCH(int, unitSystem);
        QFETCH(QString, k);
        QFETCH(QString, kHeading);
        QFETCH(QString, temp);
        LiveRampAnalysis analysis;
        analysis.reset(1.5987, unitSystem);
        for (double rate : {170.0, 100.0, 40.0})
            analysis.add(asPoint({1, 1, 60, 160, 160, 500, rate, rate, 1}));
        const ResultsTable t = analysis.cells();
        QCOMPARE(t.rows.size(), 1);
        const QStringList row = t.rows[0];
        QCOMPARE(row[4], QStringLiteral("1.0000"));
        QCOMPARE(row[5], k);
        QCOMPARE(row[7], k);
        QCOMPARE(row[8], k);
        QCOMPARE(row[2], temp);
        QCOMPARE(row.mid(9), (QStringList{"100", "100", "100"}));
        QCOMPARE(t.heading[5], "Kv \r" + kHeading);
        QCOMPARE(t.heading[7], "K'\r" + kHeading);
        QCOMPARE(t.heading.mid(9),
                 (QStringList{"Visc\r@40 1/S (cP)", "Visc\r@100 1/S (cP)", "Visc\r@170 1/S (cP)"}));
    }

    void chartOfTheLast300Points()
    {
        LiveRampAnalysis analysis;
        analysis.reset(1.5987, 1);
        analysis.add(asPoint({1, 0, 30, 150, 151, 500, 0.00001, 5, 0}));
        QCOMPARE(analysis.chart().size(), std::size_t(1));
        QCOMPARE(analysis.chart().front().viscosity, 0.0);  // the rotor stands: no viscosity
        QCOMPARE(analysis.chart().front().minutes, 0.5);
        QVERIFY(analysis.cells().rows.isEmpty());          // no ramp yet: heading only

        for (int i = 2; i <= 301; ++i)
            analysis.add(asPoint({1, 0, 30 * i, 150, 140, 500, 100, 50, 0}));
        QCOMPARE(analysis.chart().size(), std::size_t(300));
        QCOMPARE(analysis.chart().front().minutes, 1.0);    // from the second point
        QCOMPARE(analysis.chart().back().minutes, 150.5);
        const LiveChartPoint& p = analysis.chart().back();
        QVERIFY(std::fabs(p.viscosity - 50 / 100.00001 * 100) < 1e-12);
        QCOMPARE(p.bathTemp, 140.0);
        QCOMPARE(p.sampleTemp, 150.0);
        QCOMPARE(p.shearRate, 100.0);
        QCOMPARE(analysis.pointCount(), std::size_t(301));
    }

    // A memory whose ramp numbers go back (never from a live run) is still
    // analysed as the saved test would be.
    void rampsOutOfOrder()
    {
        QList<StoredRecord> records = aTest();
        records.insert(8, point(3, 1, 85, 100, 30, 1));
        records.append(point(2, 4, 9999, 40, 20, 1));
        std::vector<ResultPoint> points;
        LiveRampAnalysis analysis;
        analysis.reset(1.2276, 2);
        const Settings live = LiveRampAnalysis::liveSettings(2);
        for (const StoredRecord& r : records) {
            points.push_back(asPoint(r));
            analysis.add(points.back());
            QCOMPARE(analysis.cells().rows, buildResultsTable(analyseRamps(points, 1.2276, live), live).rows);
        }
    }
};

QTEST_GUILESS_MAIN(TestLiveRampAnalysis)
#include "tst_live_ramp_analysis.moc"
