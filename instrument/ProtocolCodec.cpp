#include "instrument/ProtocolCodec.h"

#include "app/NumberFormat.h"
#include "db/SequenceData.h"

#include <algorithm>
#include <cmath>

namespace tz::proto {

namespace {

QByteArray fmt(double value, const char* pattern) {
    return formatNumber(value, QLatin1StringView(pattern).toString()).toLatin1();
}

QByteArray command(char code, const QByteArray& payload = {}) {
    QByteArray out;
    out.reserve(payload.size() + 2);
    out += code;
    out += payload;
    out += SUB;
    return out;
}

// Calibration numbers: as many decimals as the value needs, at most fifteen.
QByteArray coefficientText(double value) { return fmt(value, "0.###############"); }

}  // namespace

QByteArray statusPoll() { return command(BEL); }

QByteArray setPoint(double tempF, double shearRate, double shearRateFactor) {
    return command(ENQ, fmt(tempF, "000.0") + ',' + fmt(shearRate, "0000.0000") + ',' +
                            fmt(shearRateFactor, "000.0000"));
}

QByteArray stop() { return command(ACK); }
QByteArray zero() { return command(BS); }
QByteArray selfZero() { return command(FF); }
QByteArray preheat(double tempF) { return command(HT, fmt(tempF, "000.0")); }
QByteArray cancel() { return command(ETX); }
QByteArray requestStoredResults() { return command(SOH); }

int effectiveSampleInterval(const SequenceData& s) {
    // The unit runs with the numbers the record carries, so the raise is done
    // on exactly those: a sampling period of 2.7 goes out as "003", and three
    // samples of it need 9 s, not 6.
    auto written = [](double value, const char* pattern) {
        return fmt(value, pattern).toDouble();  // 0 for a text no number reads
    };
    const double needed =
        written(s.rampSampleRate, "000") * written(s.samplePointsAverage, "00");
    const double raised = std::max<double>(s.sampleInterval, needed);
    return static_cast<int>(std::clamp(raised, -1e9, 1e9));
}

QByteArray sequenceRecord(const SequenceData& s) {
    QByteArray out = fmt(s.steps.size(), "00");
    for (qsizetype i = 0; i < s.steps.size(); ++i) {
        const SequenceStep& step = s.steps[i];
        out += fmt(i + 1, "00") + ' ';
        out += fmt(step.elapseTimeMin, "000000") + ' ';
        out += fmt(step.tempF, "000") + ' ';
        out += fmt(step.startErrorF, "000") + ' ';
        out += fmt(step.shearRate, "00000.0000") + ' ';
    }
    out += 'w';
    out += fmt(s.rampShearRates.size(), "00");
    for (qsizetype j = 0; j < s.rampShearRates.size(); ++j)
        out += fmt(j + 1, "00") + ' ' + fmt(s.rampShearRates[j], "00000.0000");
    out += fmt(s.timeBeforeRead, "000") + ' ';
    out += fmt(s.rampSampleRate, "000") + ' ';
    out += fmt(s.samplePointsAverage, "00") + ' ';
    out += fmt(s.shutDownATime, "00") + ' ';
    out += fmt(s.shutDownVisc, "000.0") + ' ';
    out += fmt(effectiveSampleInterval(s), "000") + ' ';
    out += "05";
    out += 'x';
    out += SUB;
    return out;
}

bool sequenceAccepted(const QByteArray& reply) { return reply.endsWith('x'); }

QByteArray oscillate(double amplitude, double frequencyHz, double tempF) {
    return command(LF, fmt(amplitude, "00.00") + ',' + fmt(frequencyHz, "00.00") + ',' +
                           fmt(tempF, "000"));
}

QByteArray stopOscillation() { return QByteArray(1, VT); }

QByteArray calibrationStart(double viscosityCp, double changePerDegC) {
    QByteArray out = QByteArray("N") + SUB;
    out += STX;
    out += fmt(viscosityCp, "0000.00") + ",B5," + fmt(std::fabs(changePerDegC), "0000.00");
    out += SUB;
    return out;
}

QByteArray calibrationCoefficients(std::span<const double> coefficients, double zeroVolt) {
    constexpr std::size_t kSlots = 7;
    QByteArray out = QByteArray("N") + SUB;
    out += SO;
    const std::size_t n = std::min(coefficients.size(), kSlots);
    for (std::size_t i = 0; i < n; ++i) out += coefficientText(coefficients[i]) + ',';
    for (std::size_t i = n; i < kSlots; ++i) out += "0.0,";
    out += coefficientText(zeroVolt) + ',';
    out += SUB;
    return out;
}

QByteArray pressureEffectStart() {
    QByteArray out = QByteArray("N") + SUB;
    out += VT;
    out += SUB;
    return out;
}

}  // namespace tz::proto
