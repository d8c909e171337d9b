// The per-ramp power-law fit and the results table text, against power laws
// whose n and K are known, so every expected cell is a hand calculation.
#include "analysis/RampAnalysis.h"
#include "analysis/ResultsTable.h"

#include <QTest>
#include <cmath>

using namespace tz;

namespace {

constexpr double kBobB5 = 1.5987;
constexpr double kBobB1 = 1.7245;

// A constant-shear hold (type 0) then five ramp points of stress = K rate^n.
// The hold point carries the time, temperature and pressure a row shows for
// the ramp before it.
void addRamp(std::vector<ResultPoint>& rows, int ramp, double n, double k, double time = 0,
             double temp = 212, double press = 500) {
    if (time == 0) time = ramp * 600.0;
    rows.push_back({ramp, 0, time, temp, press, 100, 100 * 2.0, 0, temp});
    int step = 1;
    for (double rate : {25.0, 50.0, 100.0, 200.0, 300.0})
        rows.push_back({ramp, step++, time + step * 10, temp, press, rate, k * std::pow(rate, n), 1, temp});
}

Settings settings(int unitSystem, int kFlag) {
    Settings s;
    s.unitSystem = unitSystem;
    s.kPrimeUnit = kFlag;
    return s;
}

QStringList cellsOf(const std::vector<ResultPoint>& rows, const Settings& s, int ramp = 1,
                    double bob = kBobB5) {
    return buildResultsTable(analyseRamps(rows, bob, s), s).rows.value(ramp - 1);
}

}  // namespace

class TestRampAnalysis : public QObject {
    Q_OBJECT
private slots:
    // Headings and numbers agree in every unit system: a Newtonian 100 cP
    // fluid (stress = rate in dyn/cm2, so K = 1 dyn-s/cm2 = 0.002089 lbf-s/ft2
    // = 0.208855 lbf-s/100 ft2) at 212 °F (100 °C) and 500 psi (3447.4 kPa).
    void newtonianInEveryUnitSystem_data() {
        QTest::addColumn<int>("unitSystem");
        QTest::addColumn<int>("kFlag");
        QTest::addColumn<QString>("kHeading");
        QTest::addColumn<QString>("k");
        QTest::addColumn<QString>("temp");
        QTest::addColumn<QString>("press");
        QTest::addColumn<QString>("visc1Heading");
        QTest::newRow("CGS dyn") << 1 << 1 << "dyn-s^n/cm2" << "1.000000" << "212" << "500" << "@40 (cP)";
        QTest::newRow("CGS lbf/100ft2") << 1 << 0 << "lb-f s/100 ft2" << "0.208855" << "212" << "500" << "@40 (cP)";
        QTest::newRow("EI flag 1") << 2 << 1 << "lbf-s^n/ft2" << "0.002089" << "212" << "500" << "@40 1/S (cP)";
        QTest::newRow("EI flag 0") << 2 << 0 << "lbf-s^n/ft2" << "0.002089" << "212" << "500" << "@40 1/S (cP)";
        QTest::newRow("SI flag 1") << 3 << 1 << "dyn-s^n/cm2" << "1.000000" << "100" << "3447" << "@40 (cP)";
        QTest::newRow("SI flag 0") << 3 << 0 << "dyn-s^n/cm2" << "1.000000" << "100" << "3447" << "@40 (cP)";
    }
    void newtonianInEveryUnitSystem() {
        QFETCH(int, unitSystem);
        QFETCH(int, kFlag);
        QFETCH(QString, kHeading);
        QFETCH(QString, k);
        QFETCH(QString, temp);
        QFETCH(QString, press);
        QFETCH(QString, visc1Heading);
        std::vector<ResultPoint> rows;
        addRamp(rows, 1, 1.0, 1.0);
        rows.push_back({2, 0, 1500, 212, 500, 100, 100, 0, 212});
        const Settings s = settings(unitSystem, kFlag);
        const ResultsTable t = buildResultsTable(analyseRamps(rows, kBobB5, s), s);
        QCOMPARE(t.heading.value(5), "Kv \r" + kHeading);
        QCOMPARE(t.heading.value(7), "K'\r" + kHeading);
        QCOMPARE(t.heading.value(8), "K'slot\r" + kHeading);
        QCOMPARE(t.heading.value(9), "Visc\r" + visc1Heading);
        QCOMPARE(t.rows.size(), 2);
        // Time, temperature and pressure of ramp 1 come from the first row of ramp 2.
        QCOMPARE(t.rows[0], QStringList({"1", "25.", temp, press, "1.0000", k, "1.0000", k, k,
                                         "100", "100", "100"}));
    }

    // A power law n = 0.5, K = 10 dyn-s^n/cm2 gives n' back; K' and K'slot
    // carry the bob correction of each bob (s = 1.8415 / radius), worked by
    // hand: B5 K' = 9.363990, K'slot = 10.812604, visc 171 / 108 / 83 cP;
    // B1 K' = 9.687534, K'slot = 11.186201, visc 177 / 112 / 86 cP.
    void powerLawWithTwoBobs_data() {
        QTest::addColumn<double>("bob");
        QTest::addColumn<int>("unitSystem");
        QTest::addColumn<int>("kFlag");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("B5 dyn") << kBobB5 << 1 << 1
            << QStringList{"0.5000", "10.000000", "1.0000", "9.363990", "10.812604", "171", "108", "83"};
        QTest::newRow("B1 dyn") << kBobB1 << 1 << 1
            << QStringList{"0.5000", "10.000000", "1.0000", "9.687534", "11.186201", "177", "112", "86"};
        // The viscosity fit of the lb-f s/100 ft2 display gives the same fluid.
        QTest::newRow("B5 lbf/100ft2") << kBobB5 << 1 << 0
            << QStringList{"0.5000", "2.088555", "1.0000", "1.955721", "2.258272", "171", "108", "83"};
        QTest::newRow("B5 EI") << kBobB5 << 2 << 1
            << QStringList{"0.5000", "0.020886", "1.0000", "0.019557", "0.022583", "171", "108", "83"};
    }
    void powerLawWithTwoBobs() {
        QFETCH(double, bob);
        QFETCH(int, unitSystem);
        QFETCH(int, kFlag);
        QFETCH(QStringList, cells);
        std::vector<ResultPoint> rows;
        addRamp(rows, 1, 0.5, 10.0);
        QCOMPARE(cellsOf(rows, settings(unitSystem, kFlag), 1, bob).mid(4), cells);
    }

    void configuredRatesMoveTheViscosities() {
        std::vector<ResultPoint> rows;
        addRamp(rows, 1, 0.5, 10.0);
        Settings s = settings(1, 1);
        s.shearRates = {10, 511, 1000};
        const ResultsTable t = buildResultsTable(analyseRamps(rows, kBobB5, s), s);
        // 100 x 10.812604 x rate^-0.5
        QCOMPARE(t.rows[0].mid(9), QStringList({"342", "48", "34"}));
        QCOMPARE(t.heading.mid(9), QStringList({"Visc\r@10 (cP)", "Visc\r@511 (cP)", "Visc\r@1000 (cP)"}));
    }

    // Acceptance: 0.002 < n' < 15 and intercept < 32, both ends open.
    void acceptanceWindow_data() {
        QTest::addColumn<double>("n");
        QTest::addColumn<double>("k");
        QTest::addColumn<bool>("rejected");
        QTest::newRow("n' 0.0019") << 0.0019 << 1.0 << true;
        QTest::newRow("n' 0.0021") << 0.0021 << 1.0 << false;
        QTest::newRow("n' 14.99") << 14.99 << 1.0 << false;
        QTest::newRow("n' 15.01") << 15.01 << 1.0 << true;
        QTest::newRow("n' negative") << -0.3 << 1.0 << true;
        QTest::newRow("intercept 31.9") << 0.5 << std::pow(10.0, 31.9) << false;
        QTest::newRow("intercept 32.1") << 0.5 << std::pow(10.0, 32.1) << true;
    }
    void acceptanceWindow() {
        QFETCH(double, n);
        QFETCH(double, k);
        QFETCH(bool, rejected);
        std::vector<ResultPoint> rows;
        addRamp(rows, 1, n, k);
        const RampTable t = analyseRamps(rows, kBobB5, settings(1, 1));
        QCOMPARE(t.ramps.size(), std::size_t(1));
        QCOMPARE(t.ramps[0].rejected, rejected);
        QVERIFY(std::fabs(t.ramps[0].nPrime - n) < 1e-9);
    }

    // n' = 20: n' and Kv shown (Kv = 10^0 dyn-s^n/cm2 in the heading's unit),
    // "N/A" from column 6 on; temperature and pressure in the heading's units.
    void rejectedRow_data() {
        QTest::addColumn<int>("unitSystem");
        QTest::addColumn<int>("kFlag");
        QTest::addColumn<QStringList>("cells");
        const QString na = "N/A";
        QTest::newRow("CGS dyn") << 1 << 1 << QStringList{"1", "25.", "212", "500", "20.0000", "1.000000", na, na, na, na, na, na};
        QTest::newRow("CGS lbf/100ft2") << 1 << 0 << QStringList{"1", "25.", "212", "500", "20.0000", "0.208855", na, na, na, na, na, na};
        QTest::newRow("EI") << 2 << 1 << QStringList{"1", "25.", "212", "500", "20.0000", "0.002089", na, na, na, na, na, na};
        QTest::newRow("SI") << 3 << 0 << QStringList{"1", "25.", "100", "3447", "20.0000", "1.000000", na, na, na, na, na, na};
    }
    void rejectedRow() {
        QFETCH(int, unitSystem);
        QFETCH(int, kFlag);
        QFETCH(QStringList, cells);
        std::vector<ResultPoint> rows;
        // Rates near 1 1/s keep rate^20 within range.
        int step = 1;
        for (double rate : {1.0, 1.1, 1.2, 1.3})
            rows.push_back({1, step++, 60.0 * step, 212, 500, rate, std::pow(rate, 20.0), 1, 212});
        rows.push_back({2, 0, 1500, 212, 500, 100, 100, 0, 212});
        QCOMPARE(cellsOf(rows, settings(unitSystem, kFlag)), cells);
    }

    // Ramp 2 has no rows at all, ramp 3 only two ramp points and ramp 4 only
    // unusable ones: all count in the row total and stay empty. The last
    // ramp shows the last row's time, temperature and pressure.
    void rampsWithoutFitStayEmpty() {
        std::vector<ResultPoint> rows;
        addRamp(rows, 1, 0.5, 10.0, 600);
        rows.push_back({3, 1, 1800, 200, 400, 100, 50, 1, 200});
        rows.push_back({3, 2, 1810, 200, 400, 200, 70, 1, 200});
        rows.push_back({4, 1, 2400, 190, 300, 0, 50, 1, 190});
        rows.push_back({4, 2, 2410, 190, 300, 100, 0, 1, 190});
        rows.push_back({4, 3, 2420, 190, 300, -5, 10, 1, 190});
        addRamp(rows, 5, 1.0, 1.0, 3000, 150, 800);
        const Settings s = settings(1, 1);
        const ResultsTable t = buildResultsTable(analyseRamps(rows, kBobB5, s), s);
        QCOMPARE(t.rows.size(), 5);
        // Ramp 1 shows the first row after it: ramp 3's, at 1800 s.
        QCOMPARE(t.rows[0].mid(0, 4), QStringList({"1", "30.", "200", "400"}));
        for (int d : {1, 2, 3}) QCOMPARE(t.rows[d], QStringList(12, QString()));
        QCOMPARE(t.rows[4].mid(0, 5), QStringList({"5", "51.", "150", "800", "1.0000"}));
    }

    void typeZeroPointsOnlyLeaveTheHeading() {
        std::vector<ResultPoint> rows;
        for (int i = 0; i < 10; ++i) rows.push_back({1 + i / 5, 0, 60.0 * i, 212, 500, 100.0 + i, 200.0 + i, 0, 212});
        const RampTable t = analyseRamps(rows, kBobB5, settings(1, 1));
        QCOMPARE(t.lastRamp, 0);
        QVERIFY(buildResultsTable(t, settings(1, 1)).rows.isEmpty());
        QCOMPARE(analyseRamps({}, kBobB5, settings(1, 1)).lastRamp, 0);
    }

    // A bob the size of the cup: K' tends to Kv.
    void bobNearlyFillingTheCup() {
        std::vector<ResultPoint> rows;
        addRamp(rows, 1, 0.5, 10.0);
        for (double bob : {1.8414, 1.8415}) {
            const RampTable t = analyseRamps(rows, bob, settings(1, 1));
            QVERIFY2(std::fabs(t.ramps[0].kPrime - 10.0) < 1e-3, qPrintable(QString::number(bob)));
        }
    }

    void geometryOfTheOpenedTest() {
        QVERIFY(std::fabs(radiusRatio(kBobB5) - 1.151873397) < 1e-8);
        // 42.61406299751 / (3.39112225 - 1.5987^2) / 60
        QVERIFY(std::fabs(shearRatePerRpm(kBobB5) - 0.850294401) < 1e-8);
    }

    void csvJoinsHeadingLines() {
        std::vector<ResultPoint> rows;
        rows.push_back({1, 0, 0, 212, 500, 100, 100, 0, 212});
        addRamp(rows, 2, 1.0, 1.0);
        const Settings s = settings(2, 1);
        const QStringList lines =
            resultsTableCsv(buildResultsTable(analyseRamps(rows, kBobB5, s), s)).split('\n');
        QCOMPARE(lines.value(0),
                 "Shear Ramp,Time  (Min),Temp (F°),Press (Psi),n',Kv  lbf-s^n/ft2,Coef. Detn. (R^2),"
                 "K' lbf-s^n/ft2,K'slot lbf-s^n/ft2,Visc @40 1/S (cP),Visc @100 1/S (cP),Visc @170 1/S (cP)");
        // Ramp 1 has no ramp points: no line of commas for it.
        QCOMPARE(lines.value(1), "2,21.,212,500,1.0000,0.002089,1.0000,0.002089,0.002089,100,100,100");
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.value(2), QString());
    }
};

QTEST_APPLESS_MAIN(TestRampAnalysis)
#include "tst_ramp_analysis.moc"
