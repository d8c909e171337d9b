#include "instrument/StatusFrameReader.h"

#include "app/NumberFormat.h"
#include "instrument/ProtocolCodec.h"

#include <cmath>

namespace tz {

namespace {

// A reading the unit could never send (overflowing exponent text) counts as
// nothing rather than poisoning every average that follows.
double number(const QByteArray& field) {
    const double v = val(QString::fromLatin1(field));
    return std::isfinite(v) ? v : 0.0;
}

QString text(const QByteArray& field) { return QString::fromLatin1(field); }

}  // namespace

QString statusCodeText(int code) {
    switch (code) {
    case 0: return QStringLiteral("InActive");
    case 1: return QStringLiteral("Running Test");
    case 2: return QStringLiteral("Stand-alone Test");
    case 4: return QStringLiteral("Mal Function");
    case 5: return QStringLiteral("Calibrating");
    case 6: return QStringLiteral("Ramping");
    case 7: return QStringLiteral("Preheating");
    case 8: return QStringLiteral("Cooling");
    default: return {};
    }
}

StatusReadResult StatusFrameReader::read(const QByteArray& received) {
    buffer_ += received;
    StatusReadResult result;
    qsizetype sub;
    while ((sub = buffer_.indexOf(proto::SUB)) >= 0) {
        StatusFrame frame;
        const Outcome outcome = takeFrame(sub, frame);
        if (outcome == Outcome::Emptied) {
            buffer_.clear();
            result.bufferEmptied = true;
            break;
        }
        buffer_.remove(0, sub + 1);
        if (outcome == Outcome::Dropped) {
            // The rest waits for the next tick, as the unit window has always done.
            ++result.dropped;
            break;
        }
        result.overTemperature = result.overTemperature || frame.overTemperature;
        current_ = frame;
        hasCurrent_ = true;
        result.frames.append(std::move(frame));
    }
    return result;
}

StatusFrameReader::Outcome StatusFrameReader::takeFrame(qsizetype subPos, StatusFrame& f) {
    // A status code is one character: a frame whose first comma is anywhere
    // else is line noise or a glitch, and so is one without nine fields.
    if (buffer_.indexOf(',') != 1) return Outcome::Dropped;
    const QByteArray body = buffer_.left(subPos);
    if (body.count(',') != 8) return Outcome::Dropped;
    const QList<QByteArray> fields = body.split(',');

    const QString labelBefore = statusText_;
    const char code = fields[0].at(0);
    f.statusCode = (code >= '0' && code <= '9') ? code - '0' : -1;
    const QString label = statusCodeText(f.statusCode);
    if (!label.isEmpty()) statusText_ = label;

    // Temperatures come as whole degrees; a point means the frame is corrupt
    // and nothing behind it on the line can be trusted either.
    for (int i = 1; i <= 3; ++i)
        if (fields[i].contains('.')) return Outcome::Emptied;
    f.sampleTempText = text(fields[1]);
    f.bathTempText = text(fields[2]);
    f.setPointText = text(fields[3]);
    f.sampleTempF = number(fields[1]);
    f.bathTempF = number(fields[2]);
    f.setPointF = number(fields[3]);

    if (f.sampleTempF > kOverTemperatureF || f.bathTempF > kOverTemperatureF) {
        f.overTemperature = true;
        if (onOverTemperature_) onOverTemperature_(f);
    }

    f.speedText = text(fields[4]);
    f.speedRpm = number(fields[4]);
    f.provisionalShearRate = f.speedRpm * factors_.shearRateFactor;
    f.provisionalShearRateText = formatNumber(f.provisionalShearRate, u"####.####");

    f.shearStress = number(fields[5]) * factors_.stressFactor;
    if (!(f.shearStress >= 0)) f.shearStress = 0.1;
    f.shearStressText = formatNumber(f.shearStress, u"####.#");

    f.pressureText = text(fields[6]);
    f.pressurePsi = number(fields[6]);

    f.shearRateText = text(fields[7]);
    f.shearRate = number(fields[7]);

    const double viscosity = f.shearRate >= 0.00002 ? f.shearStress / (f.shearRate + 0.000001) * 100.0 : 0.0;
    // Readings near the top of the number range overflow once the bob's
    // factors or the viscosity division are applied: such a frame is as
    // corrupt as a misplaced comma and must not reach a recorded point.
    if (!std::isfinite(f.provisionalShearRate) || !std::isfinite(f.shearStress) || !std::isfinite(viscosity)) {
        statusText_ = labelBefore;
        return Outcome::Dropped;
    }
    f.viscosityText = f.shearRate >= 0.00002 ? formatNumber(viscosity, u"####.#") : QStringLiteral("0");

    if (std::fabs(f.speedRpm) < 0.00001) {
        f.speedText = f.shearRateText = f.viscosityText = QStringLiteral("0.0");
    }
    return Outcome::Applied;
}

}  // namespace tz
