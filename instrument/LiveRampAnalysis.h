#pragma once
// The running test as the unit window shows it: the per-ramp power-law fits
// and the chart of the latest points, brought up to date point by point. The
// fits are the saved-test analysis (log stress on log rate, calculation rates
// 40, 100 and 170 1/s); only the ramp still being recorded is fitted again
// when a point arrives, so an update costs the same after three days of test
// as after three minutes, and the table equals a full recompute.
#include "analysis/RampAnalysis.h"
#include "analysis/ResultsTable.h"
#include "app/Settings.h"

#include <QStringList>
#include <deque>
#include <vector>

namespace tz {

struct RecordedPoint;

// One chart point: minutes against four series in the stored units.
struct LiveChartPoint {
    double minutes = 0;
    double viscosity = 0;   // cP; 0 while the rotor stands
    double bathTemp = 0;    // °F
    double sampleTemp = 0;  // °F
    double shearRate = 0;   // 1/s
};

class LiveRampAnalysis {
public:
    static constexpr std::size_t kChartPoints = 300;

    // A new test: its bob radius and the program's unit system.
    void reset(double bobRadiusCm, int unitSystem);
    void add(const ResultPoint& point);
    void add(const RecordedPoint& point);

    // The per-ramp fits so far, equal to analyseRamps over every point added.
    RampTable table() const;
    // The grid's cells: the live heading and one row per ramp. Kept between
    // calls: only the rows of ramps closed since and the ramp being recorded
    // are built again, so the cost of a call does not grow with the test.
    const ResultsTable& cells() const;
    // False once points came out of ramp order: every row may then change.
    bool inRampOrder() const { return ordered_; }
    // The last 300 points, oldest first.
    const std::deque<LiveChartPoint>& chart() const { return chart_; }
    std::size_t pointCount() const { return count_; }

    // The settings the live fit runs with: mode A, the K columns in the unit
    // their heading names, the three fixed rates.
    static Settings liveSettings(int unitSystem);
    static QStringList heading(int unitSystem);
    static LiveChartPoint chartPoint(const ResultPoint& p);
    static ResultPoint resultPoint(const RecordedPoint& p);

private:
    void closeOpenRamp(const ResultPoint& after);

    double bobRadius_ = 1.5987;
    Settings settings_ = liveSettings(UnitCGS);
    std::size_t count_ = 0;
    // Ramps already left behind: their fits no longer change.
    std::vector<RampResult> closed_;
    // The ramp being recorded: its number, its points (only ramp points can
    // enter a fit, so only those are kept) and the last point of the test.
    int openRamp_ = 0;
    std::vector<ResultPoint> openPoints_;
    ResultPoint last_;
    // Points out of ramp order (never from a run, possible in a retrieved
    // memory) switch to refitting every ramp from all points.
    bool ordered_ = true;
    // A deque: growing it never moves the points already taken, so no
    // update pays for copying the whole test.
    std::deque<ResultPoint> all_;
    std::deque<LiveChartPoint> chart_;

    // The grid's cells as last asked for; rows of closed ramps are final.
    mutable ResultsTable cells_;
    mutable std::size_t closedInCells_ = 0;
};

}  // namespace tz
