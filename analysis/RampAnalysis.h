#pragma once
// Power-law fit of every shear ramp of a test: n', Kv, R^2, K', K'slot and the
// viscosities at the three calculation shear rates, per ramp. A pure function
// of the recorded points, the bob radius and the display settings, so the
// opened-test grid, the reports, tz360-cli and the live table of a running
// test all get the same numbers.
//
// Every value in a RampResult is already in the unit its column heading names
// (resultsHeading): temperature in °F or °C, pressure in psi or kPa, the three
// consistencies in dyn-s^n/cm2, lbf-s^n/ft2 or lbf-s^n/100 ft2.
#include "app/Settings.h"

#include <array>
#include <optional>
#include <span>
#include <vector>

namespace tz {

// One recorded point (a TEST_RESULT row) as stored: seconds, °F, psi, 1/s,
// dyn/cm2. typeId 1 marks a point taken on a shear ramp; only those are fitted.
struct ResultPoint {
    int rampNo = 0;
    int rampStepNo = 0;
    double time = 0;           // s from the start of the test
    double sampleTemp = 0;     // °F
    double press = 0;          // psi
    double shearRate = 0;      // 1/s
    double shearStress = 0;    // dyn/cm2
    int typeId = 0;
    double bathTemp = 0;       // °F
};

// The fitted results of one ramp, in display units.
struct RampResult {
    int ramp = 0;
    bool rejected = false;     // fit outside 0.002 < n' < 15, intercept < 32
    double timeMin = 0;        // minutes, of the first point after the ramp
    double temp = 0;           // °F, or °C in SI
    double press = 0;          // psi, or kPa in SI
    double nPrime = 0;
    double kv = 0;             // the three K in the heading's K unit
    double r2 = 0;
    double kPrime = 0;         // not meaningful when rejected
    double kSlot = 0;          // not meaningful when rejected
    std::array<double, 3> visc{};  // cP at the three rates; not meaningful when rejected
};

// The per-ramp table of a test.
struct RampTable {
    // Last ramp number of the test; the grid has this many rows below its
    // heading. 0 when no ramp gave a row (the grid keeps its heading only).
    int lastRamp = 0;
    // Ramps that gave a row, in increasing ramp number; ramps with fewer than
    // three usable ramp points have no entry and their grid row stays empty.
    std::vector<RampResult> ramps;
};

// Rotor cup radius Rc (cm).
inline constexpr double kRotorRadius = 1.8415;
// s = Rc / bob radius.
double radiusRatio(double bobRadius);
// Newtonian shear rate at the bob per rpm of the rotor.
double shearRatePerRpm(double bobRadius);

// Fits one ramp. points: the points of ramp `ramp` (any type; points that are
// not ramp points, or have a non-positive rate or stress, are skipped).
// after: the point whose time, temperature and pressure the row shows (the
// first point of a later ramp, or the last point of the test). Empty when
// fewer than three points can be fitted. Usable by the live table as each
// ramp ends.
std::optional<RampResult> analyseRamp(int ramp, std::span<const ResultPoint> points,
                                      const ResultPoint& after, double bobRadius,
                                      const Settings& settings);

// Fits every ramp of a test; rows in the order the database delivers them
// (by RESULT_TIME).
RampTable analyseRamps(std::span<const ResultPoint> rows, double bobRadius,
                       const Settings& settings);

}  // namespace tz
