#include "analysis/TestSummary.h"

#include <algorithm>
#include <cmath>

namespace tz {

namespace {

double displayTemp(double tempF, const Settings& s) {
    return s.unitSystem == UnitSI ? (tempF - 32.0) / 1.8 : tempF;
}

// The step curve in time order, temperatures still in °F.
std::vector<SummaryPoint> stepCurve(std::span<const ResultPoint> rows) {
    std::vector<SummaryPoint> curve;
    for (const ResultPoint& p : rows) {
        if (p.typeId != 0 || !(p.shearRate > 0)) continue;
        const double v = 100.0 * p.shearStress / p.shearRate;
        if (!std::isfinite(p.time) || !std::isfinite(v) || !std::isfinite(p.sampleTemp)) continue;
        curve.push_back({p.time / 60.0, v, p.sampleTemp});
    }
    std::stable_sort(curve.begin(), curve.end(),
                     [](const SummaryPoint& a, const SummaryPoint& b) { return a.timeMin < b.timeMin; });
    return curve;
}

// The break: the last step point at or above the threshold, when a later one
// is below it (and so are all after it), gives the crossing on the line to
// its successor.
std::optional<double> breakTime(const std::vector<SummaryPoint>& c, double threshold) {
    std::optional<std::size_t> lastAbove;
    for (std::size_t i = 0; i < c.size(); ++i)
        if (c[i].viscosity >= threshold) lastAbove = i;
    if (!lastAbove || *lastAbove + 1 >= c.size()) return std::nullopt;
    const SummaryPoint& a = c[*lastAbove];
    const SummaryPoint& b = c[*lastAbove + 1];
    // a.viscosity >= threshold > b.viscosity, so the drop is positive.
    return a.timeMin + (a.viscosity - threshold) / (a.viscosity - b.viscosity) * (b.timeMin - a.timeMin);
}

// The ramp points that the fit of each ramp takes, walked as the ramp
// analysis walks them, for the measured shear-rate range.
std::vector<std::pair<double, double>> rampRateRanges(std::span<const ResultPoint> rows, int lastRamp) {
    std::vector<std::pair<double, double>> ranges(static_cast<std::size_t>(std::max(lastRamp, 0)) + 1,
                                                  {0.0, 0.0});
    std::size_t i = 0;
    for (int d = 1; d <= lastRamp; ++d) {
        bool any = false;
        auto& r = ranges[static_cast<std::size_t>(d)];
        for (; i < rows.size() && rows[i].rampNo <= d; ++i) {
            const ResultPoint& p = rows[i];
            if (p.typeId != 1 || !(p.shearRate > 0) || !(p.shearStress > 0)) continue;
            r = any ? std::pair{std::min(r.first, p.shearRate), std::max(r.second, p.shearRate)}
                    : std::pair{p.shearRate, p.shearRate};
            any = true;
        }
    }
    return ranges;
}

}  // namespace

double minutesAtOrAbove(std::span<const SummaryPoint> c, double level, double SummaryPoint::*value) {
    double minutes = 0;
    for (std::size_t i = 1; i < c.size(); ++i) {
        const double t0 = c[i - 1].timeMin, t1 = c[i].timeMin;
        const double v0 = c[i - 1].*value, v1 = c[i].*value;
        const double dt = t1 - t0;
        if (!(dt > 0)) continue;
        const bool up0 = v0 >= level, up1 = v1 >= level;
        if (up0 && up1)
            minutes += dt;
        else if (up0)   // falls through the level within the segment
            minutes += dt * (v0 - level) / (v0 - v1);
        else if (up1)   // rises through it
            minutes += dt * (v1 - level) / (v1 - v0);
    }
    return minutes;
}

TestSummary summariseTest(std::span<const ResultPoint> rows, double bobRadius, const Settings& settings,
                          double thresholdCp) {
    TestSummary s;
    s.thresholdCp = thresholdCp;
    const std::vector<SummaryPoint> curve = stepCurve(rows);
    s.stepPoints = static_cast<int>(curve.size());
    if (!curve.empty()) {
        const auto peak = std::max_element(curve.begin(), curve.end(), [](const auto& a, const auto& b) {
            return a.viscosity < b.viscosity;
        });
        s.peak = *peak;
        s.final = curve.back();
        s.minutesAbove = minutesAtOrAbove(curve, thresholdCp, &SummaryPoint::viscosity);
        s.breakTimeMin = breakTime(curve, thresholdCp);
        double hottest = curve.front().temp;
        for (const SummaryPoint& p : curve) hottest = std::max(hottest, p.temp);
        s.maxTemp = hottest;
        s.minutesNearMaxTemp = minutesAtOrAbove(curve, hottest - kNearMaxTempBandF, &SummaryPoint::temp);
        for (auto* p : {&s.peak, &s.final}) (*p)->temp = displayTemp((*p)->temp, settings);
        s.maxTemp = displayTemp(*s.maxTemp, settings);
    }

    const RampTable table = analyseRamps(rows, bobRadius, settings);
    const auto ranges = rampRateRanges(rows, table.lastRamp);
    for (const RampResult& r : table.ramps) {
        RampSummary rs;
        rs.result = r;
        if (!r.rejected)
            rs.kPipe = r.kPrime * std::pow((3.0 * r.nPrime + 1.0) / (4.0 * r.nPrime), r.nPrime);
        if (r.ramp >= 1 && static_cast<std::size_t>(r.ramp) < ranges.size()) {
            rs.minRate = ranges[static_cast<std::size_t>(r.ramp)].first;
            rs.maxRate = ranges[static_cast<std::size_t>(r.ramp)].second;
        }
        for (int k = 0; k < 3; ++k) {
            const double rate = settings.shearRates[static_cast<std::size_t>(k)];
            rs.extrapolated[static_cast<std::size_t>(k)] = rate < rs.minRate || rate > rs.maxRate;
        }
        s.ramps.push_back(rs);
    }
    return s;
}

}  // namespace tz
