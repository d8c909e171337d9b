#pragma once
// The summary of one test for comparing recipes: how high the gel built, how
// long it held the viscosity the job needs, when it broke, how hot the sample
// got and for how long, and per ramp the pipe-flow consistency and whether a
// calculation shear rate had to be extrapolated beyond the measured ramp.
// A pure function of the recorded points, shared by the main window, the
// reports and tz360-cli.
//
// The curve is read from the step points (type 0, the points between ramps)
// in time order, viscosity = 100 x stress / rate (cP), joined by straight
// lines between consecutive points. Step points without a positive shear rate
// measure no viscosity and are left out, as are points with a non-finite
// value; "step points" below means the points that remain.
//
// Fewer than two step points: with none, nothing is measured (no peak, final
// or temperature; 0 minutes above the threshold; no break). With one, peak and
// final are that point and the maximum temperature is its temperature, but a
// single instant spans no time: 0 minutes above the threshold, 0 minutes near
// the maximum temperature, and no break.
#include "analysis/RampAnalysis.h"
#include "app/ProgramSettings.h"
#include "app/Settings.h"

#include <array>
#include <optional>
#include <span>
#include <vector>

namespace tz {

// The band below the maximum sample temperature counted as "at temperature".
inline constexpr double kNearMaxTempBandF = 5.0;

// One point of the step curve in display units: minutes, cP, °F or °C.
struct SummaryPoint {
    double timeMin = 0;
    double viscosity = 0;
    double temp = 0;
};

struct RampSummary {
    RampResult result;                   // the grid's row of this ramp
    std::optional<double> kPipe;         // K' x ((3n'+1)/(4n'))^n', in the K unit; none for a rejected fit
    double minRate = 0;                  // measured shear-rate range of the fitted points, 1/s
    double maxRate = 0;
    std::array<bool, 3> extrapolated{};  // calculation rate i lies outside [minRate, maxRate]
};

struct TestSummary {
    double thresholdCp = kDefaultThresholdCp;
    int stepPoints = 0;                  // step points used
    std::optional<SummaryPoint> peak;    // highest viscosity (the first one on a tie)
    std::optional<SummaryPoint> final;   // last step point
    double minutesAbove = 0;             // at or above the threshold
    // First time after the peak from which the viscosity stays below the
    // threshold to the end; none when the last step point is still at or
    // above it, or when the viscosity never reached it.
    std::optional<double> breakTimeMin;
    std::optional<double> maxTemp;       // °F, or °C in SI
    double minutesNearMaxTemp = 0;       // within 5 °F of the maximum
    std::vector<RampSummary> ramps;      // ramps with a fit, in ramp order
};

// Minutes during which the line through (t, v) is at or above the level.
// Points in time order; segments of zero or negative length count nothing.
double minutesAtOrAbove(std::span<const SummaryPoint> curve, double level,
                        double SummaryPoint::*value);

TestSummary summariseTest(std::span<const ResultPoint> rows, double bobRadius,
                          const Settings& settings, double thresholdCp = kDefaultThresholdCp);

}  // namespace tz
