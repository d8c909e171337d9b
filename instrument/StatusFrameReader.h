#pragma once
// Reads the unit's status frames ("code,sample,bath,setpoint,rpm,stress,psi,
// rate,x" + SUB) out of whatever the serial line delivered since the last
// tick. Frames may arrive split across reads; the part after the last SUB is
// kept for the next read. Pure logic: the caller owns the port.
#include "instrument/UnitFactors.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

namespace tz {

// Readings of one accepted frame, as numbers and as the window shows them.
struct StatusFrame {
    int statusCode = -1;          // -1: first field was not a digit
    double sampleTempF = 0;
    double bathTempF = 0;
    double setPointF = 0;
    double speedRpm = 0;
    double provisionalShearRate = 0;  // rpm x shear-rate factor
    double shearStress = 0;           // on the bob in use, dyn/cm2 (0.1 when negative)
    double pressurePsi = 0;
    double shearRate = 0;             // as the unit reports it, 1/s
    bool overTemperature = false;     // sample or bath above 451 F: stop the unit

    QString sampleTempText, bathTempText, setPointText, speedText;
    QString provisionalShearRateText;  // "####.####"
    QString shearStressText;           // "####.#"
    QString pressureText, shearRateText;
    QString viscosityText;             // "####.#", "0" near zero rate, "0.0" at standstill
};

struct StatusReadResult {
    QList<StatusFrame> frames;   // accepted frames, in order; the last one is current
    int dropped = 0;             // frames refused (misplaced comma, field count)
    bool bufferEmptied = false;  // a temperature carried a decimal point
    bool overTemperature = false;
};

// Label shown for a status code; empty for codes that leave the label as it is.
QString statusCodeText(int code);
inline const QString kStatusBeforeFirstFrame = QStringLiteral("INACTIVE");

class StatusFrameReader {
public:
    static constexpr double kOverTemperatureF = 451.0;

    void setFactors(const UnitFactors& factors) { factors_ = factors; }
    const UnitFactors& factors() const { return factors_; }

    // Called at once, before parsing goes on, for every frame whose sample or
    // bath temperature is above 451 F, so the caller can send Stop without
    // waiting for the rest of the buffer.
    void setOverTemperatureHandler(std::function<void(const StatusFrame&)> handler) {
        onOverTemperature_ = std::move(handler);
    }

    // Appends received bytes and applies every complete frame up to the first
    // bad one (which is dropped; anything after it waits for the next read).
    StatusReadResult read(const QByteArray& received);

    // Status label: "INACTIVE" until a frame with a known code arrives.
    const QString& statusText() const { return statusText_; }
    bool hasCurrent() const { return hasCurrent_; }
    const StatusFrame& current() const { return current_; }
    const QByteArray& buffer() const { return buffer_; }
    void clear() { buffer_.clear(); }

private:
    enum class Outcome { Applied, Dropped, Emptied };
    Outcome takeFrame(qsizetype subPos, StatusFrame& frame);

    UnitFactors factors_;
    QByteArray buffer_;
    QString statusText_ = kStatusBeforeFirstFrame;
    StatusFrame current_;
    bool hasCurrent_ = false;
    std::function<void(const StatusFrame&)> onOverTemperature_;
};

}  // namespace tz
