#include "setup/SequenceValidation.h"

#include "app/NumberFormat.h"
#include "setup/SequenceTemperature.h"

#include <cmath>

namespace tz {

std::optional<QString> checkSequenceEntry(const SequenceEntry& e, int unitSystem) {
    const double maxTemp = maxShownTemperature(unitSystem);
    for (const QStringList& row : e.steps) {
        if (row.size() > 2 && val(row[2]) > maxTemp) return SetupText::kBadTemperature;
    }
    if (e.ramp.isEmpty() || isBlankCell(e.ramp.first())) return SetupText::kNoRampRow;
    const double rate = val(e.sampleRate);
    if (!(std::isfinite(rate) && rate >= 1 && rate == std::floor(rate)))
        return SetupText::kSampleRateNotWhole;
    if (rate * val(e.samplesToAverage) > val(e.sampleInterval))
        return SetupText::kIntervalTooSmall;
    if (val(e.shutDownVisc) < 0) return SetupText::kNegativeShutDown;
    return std::nullopt;
}

bool builderInputAccepted(int totalSteps, double temp, double tempError) {
    return totalSteps >= 1 && totalSteps <= kMaxSequenceSteps && temp < 600 && temp > 0 &&
           tempError < 600;
}

std::optional<InsertStepRefusal> checkInsertStep(double time, double temp, double shearRate,
                                                 int unitSystem) {
    using F = InsertStepRefusal::Field;
    if (!(time >= 0 && time <= 60000))
        return InsertStepRefusal{F::Time, QStringLiteral("Invalid time inpute."),
                                 QStringLiteral("Time input out range")};
    const double maxTemp = showsFahrenheit(unitSystem) ? 450.0 : 232.3;
    if (!(temp >= 0 && temp <= maxTemp))
        return InsertStepRefusal{F::Temperature, QStringLiteral("Invalid temperature inpute."),
                                 QStringLiteral("Temperature input out range")};
    if (!(shearRate >= -0.01 && shearRate <= 9000))
        return InsertStepRefusal{F::ShearRate, QStringLiteral("Invalid shear rate inpute."),
                                 QStringLiteral("Shear rate input out range")};
    return std::nullopt;
}

bool shearRateBoxAccepted(double shearRate) { return shearRate >= -0.01 && shearRate <= 90000; }

bool calculationRatesAccepted(const std::array<double, 3>& r) {
    return r[0] > 0 && r[0] < 5000 && r[0] < r[1] && r[1] < r[2] && r[2] < 10000;
}

}  // namespace tz
