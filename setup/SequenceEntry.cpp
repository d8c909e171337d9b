#include "setup/SequenceEntry.h"

#include "app/NumberFormat.h"
#include "setup/SequenceTemperature.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tz {

namespace {

// SAMPLE_INTERVAL is a whole number of seconds, rounded half to even as the
// record class stores it; kept inside the 32-bit range.
int intervalSeconds(double value) {
    constexpr double lo = std::numeric_limits<int>::min();
    constexpr double hi = std::numeric_limits<int>::max();
    if (!std::isfinite(value)) return 0;
    return static_cast<int>(std::clamp(std::nearbyint(value), lo, hi));
}

}  // namespace

SequenceEntry entryFromSequence(const SequenceData& s, int unitSystem) {
    SequenceEntry e;
    e.timeBeforeRead = plainNumber(s.timeBeforeRead);
    e.sampleRate = plainNumber(s.rampSampleRate);
    e.samplesToAverage = plainNumber(s.samplePointsAverage);
    e.shutDownVisc = formatNumber(s.shutDownVisc, u"####");
    e.shutDownATime = formatNumber(s.shutDownATime, u"####");
    e.sampleInterval = QString::number(s.sampleInterval);
    for (const SequenceStep& step : s.steps) {
        e.steps.append({plainNumber(step.rampNo), formatNumber(step.elapseTimeMin, u"##0.##"),
                        shownTemperature(step.tempF, unitSystem),
                        shownTolerance(step.startErrorF, unitSystem), plainNumber(step.shearRate),
                        plainNumber(step.runRamp)});
        e.storedTemps.append({step.tempF, step.startErrorF});
    }
    for (int i = 0; i < kRampRows; ++i)
        e.ramp.append(i < s.rampShearRates.size() ? plainNumber(s.rampShearRates[i]) : QString());
    return e;
}

bool isBlankCell(const QString& text) { return text.trimmed().isEmpty(); }

QList<double> rampFromCells(const QStringList& cells) {
    QList<double> rates;
    for (int i = 0; i < cells.size() && i < kRampRows && !isBlankCell(cells[i]); ++i)
        rates.append(val(cells[i]));
    if (rates.isEmpty()) rates.append(100.0);
    return rates;
}

SequenceData sequenceFromEntry(const SequenceEntry& e, int unitSystem) {
    SequenceData s;
    s.timeBeforeRead = val(e.timeBeforeRead);
    s.rampSampleRate = val(e.sampleRate);
    s.samplePointsAverage = val(e.samplesToAverage);
    s.shutDownATime = val(e.shutDownATime);
    s.shutDownVisc = val(e.shutDownVisc);
    s.sampleInterval = intervalSeconds(val(e.sampleInterval));
    for (qsizetype r = 0; r < e.steps.size(); ++r) {
        const QStringList& row = e.steps[r];
        auto cell = [&row](int c) { return c < row.size() ? val(row[c]) : 0.0; };
        auto text = [&row](int c) { return c < row.size() ? row[c].trimmed() : QString(); };
        const StoredStepTemps stored = r < e.storedTemps.size() ? e.storedTemps[r] : StoredStepTemps{};
        SequenceStep step;
        step.rampNo = cell(0);
        step.elapseTimeMin = cell(1);
        step.tempF = stored.tempF && text(2) == shownTemperature(*stored.tempF, unitSystem)
                         ? *stored.tempF
                         : storedTemperature(cell(2), unitSystem);
        step.startErrorF = stored.toleranceF && text(3) == shownTolerance(*stored.toleranceF, unitSystem)
                               ? *stored.toleranceF
                               : storedTolerance(cell(3), unitSystem);
        step.shearRate = cell(4);
        step.runRamp = cell(5);
        s.steps.append(step);
    }
    s.rampShearRates = rampFromCells(e.ramp);
    return s;
}

QList<QStringList> builtSteps(int total, const QString& time, const QString& temp,
                              const QString& tempError, const QString& shearRate) {
    QList<QStringList> rows;
    for (int i = 1; i <= total; ++i)
        rows.append({QString::number(i), time, temp, tempError, shearRate, QStringLiteral("1")});
    return rows;
}

}  // namespace tz
