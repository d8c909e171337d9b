// One live update of a long running test: with 300,000 points already in the
// test (a 600-point hold and a 40-row shear ramp, repeated), the time to take
// one more point into the per-ramp fits, build the grid's cells and the
// 300-point chart. Beside it, the full recompute over every point that the
// update replaces. Aim: the update costs the same at any length of test
// (median at 300,000 points within twice the one at 10,000), worst under 20 ms.
#include "analysis/ResultsTable.h"
#include "instrument/LiveRampAnalysis.h"

#include <QElapsedTimer>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <vector>

using namespace tz;

namespace {

ResultPoint pointAt(int i)
{
    const int ramp = i / 640 + 1, within = i % 640;
    const bool onRamp = within >= 600;
    const double rate = onRamp ? 25.0 + 10.0 * (within - 600) : 100.0;
    ResultPoint p;
    p.rampNo = ramp;
    p.rampStepNo = onRamp ? within - 599 : 0;
    p.time = i;
    p.sampleTemp = 250;
    p.press = 400;
    p.shearRate = rate;
    p.shearStress = 8.0 * std::pow(rate, 0.6) * (1.0 + 0.002 * std::sin(i));
    p.typeId = onRamp ? 1 : 0;
    p.bathTemp = 252;
    return p;
}

double percentile(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(q * (v.size() - 1))];
}

}  // namespace

int main()
{
    QTextStream out(stdout);
    for (const int total : {10000, 100000, 300000}) {
        LiveRampAnalysis live;
        live.reset(1.5987, 1);
        QElapsedTimer fill;
        fill.start();
        for (int i = 0; i < total - 1000; ++i)
            live.add(pointAt(i));
        const double fillMs = fill.nsecsElapsed() / 1e6;

        // The last 1,000 points, each one update as the unit window does it.
        std::vector<double> updates;
        std::size_t sink = 0;
        for (int i = total - 1000; i < total; ++i) {
            QElapsedTimer t;
            t.start();
            live.add(pointAt(i));
            const ResultsTable& cells = live.cells();
            std::vector<LiveChartPoint> chart(live.chart().begin(), live.chart().end());
            updates.push_back(t.nsecsElapsed() / 1e6);
            sink += cells.rows.size() + chart.size();
        }

        std::vector<ResultPoint> all;
        all.reserve(total);
        for (int i = 0; i < total; ++i)
            all.push_back(pointAt(i));
        QElapsedTimer full;
        full.start();
        const ResultsTable recomputed =
            buildResultsTable(analyseRamps(all, 1.5987, LiveRampAnalysis::liveSettings(1)),
                              LiveRampAnalysis::liveSettings(1));
        const double fullMs = full.nsecsElapsed() / 1e6;
        const bool same = recomputed.rows == live.cells().rows;

        out << QStringLiteral("%1 points, %2 ramps: one update median %3 ms, 99th %4 ms, worst %5 ms; "
                              "full recompute %6 ms; first %7 points taken in %8 ms; same table: %9\n")
                   .arg(total)
                   .arg(recomputed.rows.size())
                   .arg(percentile(updates, 0.5), 0, 'f', 4)
                   .arg(percentile(updates, 0.99), 0, 'f', 4)
                   .arg(*std::max_element(updates.begin(), updates.end()), 0, 'f', 3)
                   .arg(fullMs, 0, 'f', 1)
                   .arg(total - 1000)
                   .arg(fillMs, 0, 'f', 0)
                   .arg(same ? "yes" : "NO");
        if (sink == 0)
            out << "(nothing was built)\n";
        out.flush();
    }
    return 0;
}
