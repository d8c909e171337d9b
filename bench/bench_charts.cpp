// Chart series of a long test: prints, for 10,000, 100,000 and 300,000
// points, the time to build the series of every chart type (the default
// chart, the five other 2-D types with the flow-curve sort, the three 3-D
// types). Aim: well under the 300 ms the whole open may take at 100,000
// points, growing no faster than n log n.
#include "analysis/ChartData.h"

#include <QElapsedTimer>
#include <QTextStream>

#include <cmath>
#include <random>

namespace {

// One point a second: a 600-point hold at 100 1/s then a 40-row ramp whose
// rates come in a scrambled order, so the flow-curve sort has work to do.
std::vector<tz::ResultPoint> points(int count)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> rate(5.0, 500.0);
    std::vector<tz::ResultPoint> rows;
    rows.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const bool onRamp = i % 640 >= 600;
        const double r = onRamp ? rate(random) : 100.0;
        rows.push_back({i / 640 + 1, onRamp ? i % 640 - 599 : 0, double(i), 250.0, 400.0, r,
                        10.0 * std::sqrt(r), onRamp ? 1 : 0, 252.0});
    }
    return rows;
}

}  // namespace

int main()
{
    QTextStream out(stdout);
    tz::Settings settings;
    settings.unitSystem = tz::UnitEI;
    out << "points   default ms  2-D types ms  3-D types ms  total ms\n";
    for (int n : {10000, 100000, 300000}) {
        const std::vector<tz::ResultPoint> rows = points(n);
        QElapsedTimer t;
        t.start();
        const tz::Chart2D def =
            tz::defaultChart("Bench", tz::buildChartPoints(rows, tz::DataFilter::All, settings));
        const qint64 first = t.restart();
        qsizetype drawn = def.series.size() * def.series.first().points.size();
        for (int index = 1; index < tz::kChart2DTypes; ++index)
            drawn += tz::chart2D(index, "Bench", rows, settings.unitSystem).series.first().points.size();
        const qint64 twoD = t.restart();
        for (int index = 0; index < tz::kChart3DTypes; ++index)
            drawn += qsizetype(tz::chart3D(index, "Bench", rows, settings.unitSystem).points.size());
        const qint64 threeD = t.restart();
        out << QString("%1 %2 %3 %4 %5   (%6 points drawn)\n")
                   .arg(n, 6).arg(first, 12).arg(twoD, 13).arg(threeD, 13).arg(first + twoD + threeD, 9)
                   .arg(drawn);
        out.flush();
    }
    return 0;
}
