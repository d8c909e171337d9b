// Chart series built from a small hand-made test: the values of every chart
// type, the EI stress and °C conversions, the data filter, log axes leaving
// out what they cannot show, overlays and their refusals, and the points read
// on the charts.
#include "ChartFixture.h"
#include "analysis/ChartData.h"
#include "analysis/DisplayPoints.h"
#include "app/Settings.h"

#include <QTest>

using namespace tz;

using Points = QList<QPointF>;
Q_DECLARE_METATYPE(Points)

namespace {

// Hand-worked viscosities (cP = 100 x stress / rate) of the fixture's points.
constexpr double v1 = 47.88, v2 = 9576.0 / 170.0, v3 = 59.85;

void comparePoints(const Points& actual, const Points& expected)
{
    QCOMPARE(actual.size(), expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i) {
        if (std::abs(actual[i].x() - expected[i].x()) > 1e-4 || std::abs(actual[i].y() - expected[i].y()) > 1e-4)
            QFAIL(qPrintable(QStringLiteral("point %1: (%2, %3), expected (%4, %5)")
                                 .arg(i).arg(actual[i].x()).arg(actual[i].y())
                                 .arg(expected[i].x()).arg(expected[i].y())));
    }
}

}  // namespace

class TestChartData : public QObject {
    Q_OBJECT
private slots:
    void defaultChartSeriesAndFilter()
    {
        Settings cgs, si;
        cgs.unitSystem = UnitCGS;
        si.unitSystem = UnitSI;
        const Chart2D all = defaultChart("Gel 30", buildChartPoints(chartfixture::rows(), DataFilter::All, cgs));
        QCOMPARE(all.title, QString("Gel 30"));
        QCOMPARE(all.xTitle, QString("Time (Min)"));
        QCOMPARE(all.yTitles, QStringList({"Temperature (°F)", "Viscosity (cP)", "Shear Rate (1/S)"}));
        QCOMPARE(all.series.size(), 4);
        const QStringList labels{"Sample Temp.", "Bath Temp.", "Viscosity", "Shear Rate"};
        const int axes[] = {0, 0, 1, 2};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(all.series[i].label, labels[i]);
            QCOMPARE(all.series[i].axis, axes[i]);
        }
        comparePoints(all.series[0].points, {{0, 77}, {1, 122}, {2, 212}, {3, 212}});
        comparePoints(all.series[1].points, {{0, 80}, {1, 125}, {2, 215}, {3, 214}});
        comparePoints(all.series[2].points, {{0, 0}, {1, v1}, {2, v2}, {3, v3}});
        comparePoints(all.series[3].points, {{0, 0}, {1, 100}, {2, 170}, {3, 40}});

        // "No Ramp" keeps the constant-shear points only; not CGS means °C.
        const Chart2D noRamp = defaultChart("Gel 30", buildChartPoints(chartfixture::rows(), DataFilter::NoRamp, si));
        QCOMPARE(noRamp.yTitles.first(), QString("Temperature (°C)"));
        comparePoints(noRamp.series[0].points, {{0, 25}, {1, 50}});
        comparePoints(noRamp.series[1].points, {{0, 48 / 1.8}, {1, 93 / 1.8}});
        comparePoints(noRamp.series[2].points, {{0, 0}, {1, v1}});

        // Before any test is opened the chart carries its own title.
        QCOMPARE(defaultChart(QString(), ChartPoints{}).title,
                 QString("Viscosity & Temperature Vs. Time"));
    }

    void otherTypes_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("units");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("xTitle");
        QTest::addColumn<QString>("yTitle");
        QTest::addColumn<Points>("points");
        QTest::addColumn<bool>("markers");  // against shear rate: no lines across the ramps
        // EI stresses: 47.88 dyn/cm2 is 10 lb/100ft2; the flow curve runs by rate.
        QTest::newRow("stress-rate EI") << 1 << int(UnitEI) << "Shear Stress Vs. Shear Rate"
            << "Shear Rate (1/S)" << "Shear Stress (lb/100ft2)"
            << Points{{0, 0}, {40, 5}, {100, 10}, {170, 20}} << true;
        QTest::newRow("stress-rate CGS") << 1 << int(UnitCGS) << "Shear Stress Vs. Shear Rate"
            << "Shear Rate (1/S)" << "Shear Stress (dyn/cm2)"
            << Points{{0, 0}, {40, 23.94}, {100, 47.88}, {170, 95.76}} << true;
        QTest::newRow("visc-temp CGS") << 2 << int(UnitCGS) << "Viscosity Vs. Temperature"
            << "Sample Temperature (°F)" << "Viscosity (Cp)"
            << Points{{77, 0}, {122, v1}, {212, v2}, {212, v3}} << false;
        QTest::newRow("visc-temp SI") << 2 << int(UnitSI) << "Viscosity Vs. Temperature"
            << "Sample Temperature (°C)" << "Viscosity (Cp)"
            << Points{{25, 0}, {50, v1}, {100, v2}, {100, v3}} << false;
        QTest::newRow("visc-rate") << 3 << int(UnitEI) << "Viscosity Vs. Shear Rate"
            << "Shear Rate (1/S)" << "Viscosity (Cp)"
            << Points{{0, 0}, {100, v1}, {170, v2}, {40, v3}} << true;
        QTest::newRow("stress-time EI") << 4 << int(UnitEI) << "Shear Stress vs. Time"
            << "Time (S)" << "Shear Stress (lb/100ft2)"
            << Points{{0, 0}, {60, 10}, {120, 20}, {180, 5}} << false;
        QTest::newRow("visc-time") << 5 << int(UnitCGS) << "Viscosity vs. Time"
            << "Time (Min)" << "cP "
            << Points{{0, 0}, {1, v1}, {2, v2}, {3, v3}} << false;
    }
    void otherTypes()
    {
        QFETCH(int, index);
        QFETCH(int, units);
        const Chart2D c = chart2D(index, "Gel 30", chartfixture::rows(), units);
        QTEST(c.title, "title");
        QCOMPARE(c.subtitle, QString("Gel 30"));
        QTEST(c.xTitle, "xTitle");
        QCOMPARE(c.yTitles.size(), 1);
        QTEST(c.yTitles.first(), "yTitle");
        QCOMPARE(c.series.size(), 1);
        QFETCH(Points, points);
        comparePoints(c.series.first().points, points);
        QTEST(c.markers, "markers");
    }

    // The other types read every point, whatever the default chart's filter;
    // a flow curve with equal rates keeps those points in recording order.
    void flowCurveSortKeepsTiesInOrder()
    {
        using chartfixture::point;
        std::vector<ResultPoint> rows{point(0, 70, 70, 300, 30, 1), point(1, 70, 70, 100, 11, 1),
                                      point(2, 70, 70, 100, 12, 1), point(3, 70, 70, 50, 5, 1)};
        comparePoints(chart2D(1, "T", rows, UnitCGS).series.first().points,
                      {{50, 5}, {100, 11}, {100, 12}, {300, 30}});
    }

    void logAxesLeaveOutNonPositive_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("xLog");
        QTest::addColumn<bool>("yLog");
        QTest::addColumn<int>("hidden");
        QTest::addColumn<QList<int>>("counts");
        // The temperature axis of the default chart never turns logarithmic.
        QTest::newRow("default y") << 0 << false << true << 2 << QList<int>{5, 5, 4, 4};
        QTest::newRow("default x") << 0 << true << false << 4 << QList<int>{4, 4, 4, 4};
        QTest::newRow("default normal") << 0 << false << false << 0 << QList<int>{5, 5, 5, 5};
        QTest::newRow("stress-rate both") << 1 << true << true << 1 << QList<int>{4};
        // A sample below 32 °F is a negative °C value.
        QTest::newRow("visc-temp x") << 2 << true << false << 1 << QList<int>{4};
        QTest::newRow("visc-temp y") << 2 << false << true << 1 << QList<int>{4};
    }
    void logAxesLeaveOutNonPositive()
    {
        QFETCH(int, index);
        QFETCH(bool, xLog);
        QFETCH(bool, yLog);
        std::vector<ResultPoint> rows = chartfixture::rows();
        rows.push_back(chartfixture::point(240, 14, 30, 100, 200, 0));   // -10 °C
        Chart2D c = chart2D(index, "T", rows, UnitSI);
        dropPointsHiddenOnLog(c, xLog, yLog);
        QTEST(c.hiddenOnLog, "hidden");
        QList<int> counts;
        for (const ChartSeries& s : c.series) {
            counts << int(s.points.size());
            for (const QPointF& p : s.points) {
                if (xLog) QVERIFY(p.x() > 0);
                if (yAxisLog(c, s.axis, yLog)) QVERIFY(p.y() > 0);
            }
        }
        QTEST(counts, "counts");
    }

    void overlays()
    {
        QCOMPARE(overlayRefusal(3, "Gel 30", "Gel 30")->text, QString("Test can not overlap itself!"));
        QCOMPARE(overlayRefusal(3, "Gel 30", "Gel 30")->title, QString("Selection Error."));
        QCOMPARE(overlayRefusal(0, "Gel 30", "Gel 40")->text,
                 QString("Click here to overlap another test on graphs.  Charts can not be overlapped "
                         "when chart type is 'Visc Temp Vs. Time'."));
        QVERIFY(!overlayRefusal(1, "Gel 30", "Gel 40"));
        QVERIFY(!overlayRefusal(5, "Gel 30", "gel 30"));   // names compare exactly

        // Two overlays in turn: three series, named opened, first, second,
        // each converted and sorted by the chart's own rules.
        Chart2D c = chart2D(1, "Gel 30", chartfixture::rows(), UnitEI);
        addOverlay(c, "Gel 30", overlaySeries(1, "Gel 40", {chartfixture::point(0, 70, 70, 200, 9.576, 1), chartfixture::point(5, 70, 70, 20, 4.788, 1)}, UnitEI));
        addOverlay(c, "Gel 30", overlaySeries(1, "Gel 50", {chartfixture::point(0, 70, 70, 10, 47.88, 1)}, UnitEI));
        QCOMPARE(c.series.size(), 3);
        QCOMPARE(c.series[0].label, QString("Gel 30"));
        QCOMPARE(c.series[1].label, QString("Gel 40"));
        QCOMPARE(c.series[2].label, QString("Gel 50"));
        comparePoints(c.series[1].points, {{20, 1}, {200, 2}});
        comparePoints(c.series[2].points, {{10, 10}});
        QCOMPARE(c.yTitles.size(), 1);
    }

    void threeD_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("units");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("axes");    // across, into the page, up
        QTest::addColumn<QList<double>>("second"); // x, z, y of the second point
        QTest::newRow("rate-time") << 0 << int(UnitCGS) << "Viscosity Vs. Shear Rate & Sample Temp"
            << QStringList{"Time (Min)", "Shear Rate (1/S)", "Viscosity (cP)"} << QList<double>{1, 100, v1};
        QTest::newRow("rate-temp CGS") << 1 << int(UnitCGS) << "Viscosity vs. Shear Rate & Sample Temperature"
            << QStringList{"Shear Rate (1/S)", "Sample Temp (°F)", "Viscosity (cP)"} << QList<double>{100, 122, v1};
        QTest::newRow("temp-time SI") << 2 << int(UnitSI) << "Viscosity vs. Time & Sample Temperature"
            << QStringList{"Time (Min)", "Sample Temp (°C)", "Viscosity (cP)"} << QList<double>{1, 50, v1};
    }
    void threeD()
    {
        QFETCH(int, index);
        QFETCH(int, units);
        const Chart3D c = chart3D(index, "Gel 30", chartfixture::rows(), units);
        QTEST(c.title, "title");
        QCOMPARE(c.subtitle, QString("Gel 30"));
        QTEST((QStringList{c.xTitle, c.zTitle, c.yTitle}), "axes");
        QCOMPARE(c.points.size(), size_t(4));
        QFETCH(QList<double>, second);
        QVERIFY(std::abs(c.points[1].x - second[0]) < 1e-4);
        QVERIFY(std::abs(c.points[1].z - second[1]) < 1e-4);
        QVERIFY(std::abs(c.points[1].y - second[2]) < 1e-4);
        QCOMPARE(c.points[0].y, 0.0);   // standing rotor: viscosity 0, not an error
    }

    // A long curve along time keeps its shape with far fewer points: first
    // and last points, every peak and trough of each slice; a curve whose x
    // goes back (a flow curve in recording order) is left whole.
    void displayPointsKeepTheEnvelope()
    {
        QList<QPointF> along;
        for (int i = 0; i < 100000; ++i) along.append({i / 60.0, 100 + (i % 997 == 0 ? 400.0 : 0.0) - i * 0.0005});
        along[50001].setY(-50);   // one dip in the middle
        const QList<QPointF> shown = displayPoints(along, 500);
        QVERIFY(shown.size() <= 2000);
        QCOMPARE(shown.first(), along.first());
        QCOMPARE(shown.last(), along.last());
        QVERIFY(shown.contains(along[50001]));
        int peaks = 0;
        for (const QPointF& p : shown) peaks += p.y() > 400 ? 1 : 0;
        QCOMPARE(peaks, 100000 / 997 + 1);   // each spike is alone in its slice
        for (qsizetype i = 1; i < shown.size(); ++i) QVERIFY(shown[i].x() >= shown[i - 1].x());

        QList<QPointF> back = along;
        std::swap(back[10], back[20]);
        QCOMPARE(displayPoints(back, 500).size(), back.size());
        QCOMPARE(displayPoints(along.mid(0, 1000), 500).size(), 1000);
    }

    void chartTypeLists()
    {
        QCOMPARE(chartTypes2D(), QStringList({"Visc, Temp Vs Time", "Shr. Stress Vs. Shr. Rate",
                                              "Visc Vs. Sample Temp", "Visc. Vs. Shear Rate",
                                              "Shr. Stress Vs. Time", "Visc Vs. Time"}));
        QCOMPARE(chartTypes3D(), QStringList({"Visc Vs. Rate, Time", "Visc Vs. Rate, Temp",
                                              "Visc Vs. Temp, Time"}));
    }
};

QTEST_GUILESS_MAIN(TestChartData)
#include "tst_chart_data.moc"
