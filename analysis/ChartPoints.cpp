#include "analysis/ChartPoints.h"

namespace tz {

ChartPoints buildChartPoints(std::span<const ResultPoint> points, DataFilter filter,
                             const Settings& settings) {
    ChartPoints c;
    c.celsius = settings.unitSystem != UnitCGS;
    auto temp = [&c](double f) { return c.celsius ? (f - 32.0) / 1.8 : f; };
    for (const ResultPoint& p : points) {
        if (filter == DataFilter::NoRamp && p.typeId != 0) continue;
        c.shearRate.push_back(p.shearRate);
        c.timeMin.push_back(p.time / 60.0);
        // The small offset keeps a near-zero rate from blowing the value up.
        c.viscosity.push_back(p.shearRate < 0.00001 ? 0.0
                                                    : 100.0 * p.shearStress / (p.shearRate + 0.00001));
        c.bathTemp.push_back(temp(p.bathTemp));
        c.sampleTemp.push_back(temp(p.sampleTemp));
    }
    return c;
}

}  // namespace tz
