#include "instrument/LiveRampAnalysis.h"

#include "analysis/ResultsHeading.h"
#include "instrument/PointWriter.h"

#include <optional>

namespace tz {

Settings LiveRampAnalysis::liveSettings(int unitSystem)
{
    Settings s;
    s.unitSystem = unitSystem == UnitEI || unitSystem == UnitSI ? unitSystem : UnitCGS;
    s.kPrimeUnit = 1;  // the live grid always fits log stress (dyn-s^n/cm2 in CGS)
    s.shearRates = {40.0, 100.0, 170.0};
    return s;
}

QStringList LiveRampAnalysis::heading(int unitSystem)
{
    QStringList h = resultsHeading(liveSettings(unitSystem));
    // The live grid names its three rates the same way in every unit system.
    h[9] = QStringLiteral("Visc\r@40 1/S (cP)");
    h[10] = QStringLiteral("Visc\r@100 1/S (cP)");
    h[11] = QStringLiteral("Visc\r@170 1/S (cP)");
    return h;
}

LiveChartPoint LiveRampAnalysis::chartPoint(const ResultPoint& p)
{
    LiveChartPoint c;
    c.minutes = p.time / 60.0;
    c.viscosity = p.shearRate >= 0.00002 ? p.shearStress / (p.shearRate + 0.00001) * 100.0 : 0.0;
    c.bathTemp = p.bathTemp;
    c.sampleTemp = p.sampleTemp;
    c.shearRate = p.shearRate;
    return c;
}

ResultPoint LiveRampAnalysis::resultPoint(const RecordedPoint& p)
{
    ResultPoint r;
    r.rampNo = p.rampNo;
    r.rampStepNo = p.rampStepNo;
    r.time = p.resultTime;
    r.sampleTemp = p.sampleTempF;
    r.press = p.pressurePsi;
    r.shearRate = p.shearRate;
    r.shearStress = p.shearStress;
    r.typeId = p.resultType;
    r.bathTemp = p.bathTempF;
    return r;
}

void LiveRampAnalysis::reset(double bobRadiusCm, int unitSystem)
{
    *this = LiveRampAnalysis();
    bobRadius_ = bobRadiusCm;
    settings_ = liveSettings(unitSystem);
    cells_.heading = heading(settings_.unitSystem);
}

void LiveRampAnalysis::closeOpenRamp(const ResultPoint& after)
{
    if (auto r = analyseRamp(openRamp_, openPoints_, after, bobRadius_, settings_))
        closed_.push_back(*r);
    openPoints_.clear();
}

void LiveRampAnalysis::add(const RecordedPoint& point)
{
    add(resultPoint(point));
}

void LiveRampAnalysis::add(const ResultPoint& p)
{
    ++count_;
    chart_.push_back(chartPoint(p));
    if (chart_.size() > kChartPoints)
        chart_.pop_front();
    all_.push_back(p);

    if (ordered_) {
        if (count_ == 1) {
            // The first ramp takes every row up to ramp 1 (a ramp 0 or a
            // negative number would be folded into it): only a start at 1 or
            // later keeps one open ramp per ramp number.
            if (p.rampNo < 1)
                ordered_ = false;
            openRamp_ = p.rampNo;
        } else if (p.rampNo > openRamp_) {
            // The ramp is over; this point is the one its row shows.
            closeOpenRamp(p);
            openRamp_ = p.rampNo;
        } else if (p.rampNo < openRamp_) {
            ordered_ = false;
        }
    }
    if (ordered_ && p.typeId == 1)
        openPoints_.push_back(p);
    last_ = p;
}

RampTable LiveRampAnalysis::table() const
{
    if (!ordered_)
        return analyseRamps(std::vector<ResultPoint>(all_.begin(), all_.end()), bobRadius_, settings_);
    RampTable t;
    if (count_ == 0)
        return t;
    t.ramps = closed_;
    if (auto r = analyseRamp(openRamp_, openPoints_, last_, bobRadius_, settings_))
        t.ramps.push_back(*r);
    // Ramps before the first point's ramp: analyseRamps gives them no row
    // either (they have no points), so the row count alone follows the last ramp.
    if (!t.ramps.empty())
        t.lastRamp = openRamp_;
    return t;
}

const ResultsTable& LiveRampAnalysis::cells() const
{
    if (!ordered_) {
        cells_ = buildResultsTable(table(), settings_);
        cells_.heading = heading(settings_.unitSystem);
        closedInCells_ = 0;
        return cells_;
    }
    const std::optional<RampResult> open =
        count_ == 0 ? std::nullopt : analyseRamp(openRamp_, openPoints_, last_, bobRadius_, settings_);
    // As analyseRamps: rows up to the ramp being recorded once any ramp has a
    // result, none before.
    const int lastRamp = closed_.empty() && !open ? 0 : openRamp_;
    const QStringList empty(kResultsColumns, QString());
    while (cells_.rows.size() > lastRamp)
        cells_.rows.removeLast();
    while (cells_.rows.size() < lastRamp)
        cells_.rows.append(empty);
    for (; closedInCells_ < closed_.size(); ++closedInCells_) {
        const RampResult& r = closed_[closedInCells_];
        if (r.ramp >= 1 && r.ramp <= lastRamp) cells_.rows[r.ramp - 1] = resultsRowCells(r);
    }
    if (lastRamp >= 1) cells_.rows[lastRamp - 1] = open ? resultsRowCells(*open) : empty;
    return cells_;
}

}  // namespace tz
