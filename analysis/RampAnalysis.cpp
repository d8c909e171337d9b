#include "analysis/RampAnalysis.h"

#include "analysis/ResultsHeading.h"
#include "app/NumericHelpers.h"

#include <cmath>

namespace tz {

namespace {

constexpr double kRotorRadiusSquared = 3.39112225;
constexpr double kFourPiRotorRadiusSquared = 42.61406299751;
// dyn-s^n/cm2 in one lbf-s^n/ft2.
constexpr double kDynPerLbfFt2 = 478.8;

// Mode B fits log viscosity (cP) against log rate; the lb-f s/100 ft2 display
// of the CGS system has always been computed that way.
bool fitsViscosity(const Settings& s) { return kUnitFor(s) == KUnit::LbfPer100Ft2; }

// Factor from dyn-s^n/cm2 to the unit the K columns are headed with.
double displayFactor(KUnit unit) {
    switch (unit) {
    case KUnit::LbfPerFt2: return 1.0 / kDynPerLbfFt2;
    case KUnit::LbfPer100Ft2: return 100.0 / kDynPerLbfFt2;
    case KUnit::DynPerCm2: break;
    }
    return 1.0;
}

// From the Newtonian shear rate at the bob to the power-law one.
double bobCorrection(double n, double s) {
    if (s == 1.0) return 1.0;  // the limit as the gap closes
    const double s2 = s * s;
    const double s2n = std::pow(s, 2.0 / n);
    return std::pow(n * s2 * (s2n - 1.0) / ((s2 - 1.0) * s2n), n);
}

// Equal y over distinct rates is a perfect horizontal line (a Newtonian fluid
// in the viscosity fit), which the line fit reports with intercept 0; the
// consistency must come from the level of that line, and the fit is perfect. Same tolerances
// as the line fit, so exactly its "all y equal" case is taken.
bool flatLine(const std::vector<double>& xs, const std::vector<double>& ys) {
    const double n = static_cast<double>(xs.size());
    double sx = 0, sxx = 0, sy = 0, syy = 0;
    for (std::size_t i = 0; i < xs.size(); ++i) {
        sx += xs[i];
        sxx += xs[i] * xs[i];
        sy += ys[i];
        syy += ys[i] * ys[i];
    }
    return std::fabs(sxx - sx * sx / n) >= 1e-9 && std::fabs(sy) >= 1e-8 &&
           std::fabs(syy - sy * sy / n) <= 1e-10;
}

}  // namespace

double radiusRatio(double bobRadius) { return kRotorRadius / bobRadius; }

double shearRatePerRpm(double bobRadius) {
    return kFourPiRotorRadiusSquared / (kRotorRadiusSquared - bobRadius * bobRadius) / 60.0;
}

std::optional<RampResult> analyseRamp(int ramp, std::span<const ResultPoint> points,
                                      const ResultPoint& after, double bobRadius,
                                      const Settings& settings) {
    const bool modeB = fitsViscosity(settings);
    std::vector<double> xs, ys;
    xs.reserve(points.size());
    ys.reserve(points.size());
    for (const ResultPoint& p : points) {
        if (p.typeId != 1 || !(p.shearRate > 0) || !(p.shearStress > 0)) continue;
        xs.push_back(Log10(p.shearRate));
        ys.push_back(modeB ? Log10(100.0 * p.shearStress / p.shearRate) : Log10(p.shearStress));
    }
    if (xs.size() < 3) return std::nullopt;

    double slope = 0, intercept = 0, r = 0;
    lineFit(xs, ys, slope, intercept, r);
    if (flatLine(xs, ys)) {
        double sum = 0;
        for (double y : ys) sum += y;
        intercept = sum / static_cast<double>(ys.size());
        r = 1;  // every point lies on the line
    }

    RampResult out;
    out.ramp = ramp;
    out.nPrime = modeB ? slope + 1.0 : slope;
    out.r2 = r * r;
    out.timeMin = after.time / 60.0;
    if (settings.unitSystem == UnitSI) {
        out.temp = (after.sampleTemp - 32.0) / 1.8;
        out.press = after.press * 6.8948;
    } else {
        out.temp = after.sampleTemp;
        out.press = after.press;
    }

    // Device consistency in dyn-s^n/cm2: mode B fitted viscosity in cP,
    // and 1 cP is 0.01 dyn-s/cm2.
    const double kvDyn = std::pow(10.0, intercept) / (modeB ? 100.0 : 1.0);
    const double toDisplay = displayFactor(kUnitFor(settings));
    const double n = out.nPrime;
    out.rejected = !(n > 0.002 && n < 15.0 && intercept < 32.0);
    out.kv = kvDyn * toDisplay;
    if (out.rejected) return out;

    const double kPrimeDyn = kvDyn * bobCorrection(n, radiusRatio(bobRadius));
    const double kSlotDyn = kPrimeDyn * std::pow((2.0 * n + 1.0) / (3.0 * n), n);
    out.kPrime = kPrimeDyn * toDisplay;
    out.kSlot = kSlotDyn * toDisplay;
    for (int i = 0; i < 3; ++i)
        out.visc[i] = 100.0 * kSlotDyn * std::pow(settings.shearRates[i], n - 1.0);
    return out;
}

RampTable analyseRamps(std::span<const ResultPoint> rows, double bobRadius,
                       const Settings& settings) {
    RampTable table;
    if (rows.empty()) return table;
    const int last = rows.back().rampNo;
    std::size_t next = 0;
    for (int d = 1; d <= last; ++d) {
        // One walk front to back: ramp d takes every row up to the first row
        // of a later ramp, whose time, temperature and pressure it shows.
        const std::size_t first = next;
        while (next < rows.size() && rows[next].rampNo <= d) ++next;
        const ResultPoint& after = next < rows.size() ? rows[next] : rows.back();
        if (auto r = analyseRamp(d, rows.subspan(first, next - first), after, bobRadius, settings)) {
            table.ramps.push_back(*r);
            table.lastRamp = last;
        }
    }
    return table;
}

}  // namespace tz
