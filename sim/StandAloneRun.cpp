#include "sim/StandAloneRun.h"

#include <algorithm>
#include <cmath>

namespace tz::sim {

StandAloneRun::StandAloneRun(SequenceData sequence) : seq_(std::move(sequence)) {
    const int period = std::max(1, static_cast<int>(seq_.rampSampleRate));
    const int perPoint = std::max(1, static_cast<int>(seq_.samplePointsAverage));
    seq_.rampSampleRate = period;
    seq_.samplePointsAverage = perPoint;
    interval_ = std::max({1, seq_.sampleInterval, period * perPoint});
    finished_ = seq_.steps.isEmpty();
}

StandAloneRun::Target StandAloneRun::target() const {
    if (finished_) return {};
    const SequenceStep& s = seq_.steps[step_];
    return {s.tempF, row_ == 0 ? s.shearRate : seq_.rampShearRates[row_ - 1]};
}

void StandAloneRun::tick(const UnitReadings& now) {
    if (finished_) return;
    ++elapsed_;
    ++ticksInPhase_;
    const int period = static_cast<int>(seq_.rampSampleRate);
    const int perPoint = static_cast<int>(seq_.samplePointsAverage);
    auto sample = [&] {
        ++samples_;
        sum_.sampleF += now.sampleF;
        sum_.bathF += now.bathF;
        sum_.pressurePsi += now.pressurePsi;
        sum_.shearRate += now.shearRate;
        sum_.referenceStress += now.referenceStress;
    };
    auto nextStep = [&] {
        ++step_;
        row_ = 0;
        ticksInPhase_ = 0;
        samples_ = 0;
        sum_ = {};
        finished_ = step_ >= seq_.steps.size();
    };

    if (row_ == 0) {
        // Hold: in each recording period, perPoint samples 'period' seconds apart.
        const int c = ticksInPhase_ % interval_;
        if (interval_ == 1 || (c != 0 && c % period == 0 && c <= period * perPoint)) {
            sample();
            if (samples_ >= perPoint) record(0, 0);
        }
        const SequenceStep& s = seq_.steps[step_];
        if (ticksInPhase_ > s.elapseTimeMin * 60 && std::fabs(s.tempF - now.sampleF) <= s.startErrorF) {
            if (seq_.rampShearRates.isEmpty()) {
                nextStep();
            } else {
                row_ = 1;
                ticksInPhase_ = 0;
                samples_ = 0;
                sum_ = {};
            }
        }
        return;
    }

    // Shear-ramp row: settle, then one averaged point, then the next row.
    const int r = ticksInPhase_ - static_cast<int>(seq_.timeBeforeRead);
    if (r > 0 && r % period == 0) {
        sample();
        if (samples_ >= perPoint) {
            record(row_, 1);
            ++row_;
            ticksInPhase_ = 0;
            if (row_ > seq_.rampShearRates.size()) nextStep();
        }
    }
}

void StandAloneRun::record(int rampStepNo, int type) {
    const double n = samples_;
    StoredRecord rec;
    rec.rampNo = step_ + 1;
    rec.rampStepNo = rampStepNo;
    rec.elapsedS = elapsed_;
    rec.sampleTempF = sum_.sampleF / n;
    rec.bathTempF = sum_.bathF / n;
    rec.pressurePsi = sum_.pressurePsi / n;
    rec.shearRate = sum_.shearRate / n;
    rec.shearStress = sum_.referenceStress / n;
    rec.resultType = type;
    records_.append(rec);
    samples_ = 0;
    sum_ = {};
}

}  // namespace tz::sim
