#pragma once
// The oscillation (dynamic) test of one unit, without a window: a single
// frequency, or a stepped frequency sweep that holds each point four ticks of
// a one-second timer. It only sends; the unit answers nothing here. The host
// owns the timer and runs it while sweepRunning() is true.
#include <QString>

namespace tz {

class UnitPort;

// The operator's fields, read afresh at every point of a sweep.
struct DynamicSettings {
    double strain = 100.0;
    double frequencyHz = 1.0;
    double sweepStartHz = 1.0;
    double sweepEndHz = 1.0;
    double intervals = 5;  // whole part used
    double tempF = 75;
};

class DynamicTest {
public:
    static constexpr int kTickMs = 1000;
    static constexpr int kTicksPerPoint = 4;
    inline static const QString kPortErrorMessage =
        QStringLiteral("Commport error.  Please make sure the commport is valid and available.");

    explicit DynamicTest(UnitPort& port) : port_(port) {}

    // Single frequency: oscillate at strain / 4 and the frequency field.
    bool startSingle(const DynamicSettings& s);
    bool stopSingle();

    // Sweep: the first point at strain / 100 and the start frequency, then
    // one point every four ticks up to point N at the end frequency.
    bool startSweep(const DynamicSettings& s);
    // Stops the oscillation and the sweep with it.
    bool stopSweep();
    // One timer tick of a running sweep. False when a command could not be
    // sent; the sweep is then over.
    bool tick(const DynamicSettings& s);
    bool sweepRunning() const { return sweepRunning_; }
    int pointIndex() const { return point_; }

private:
    bool send(const QByteArray& bytes);

    UnitPort& port_;
    bool sweepRunning_ = false;
    int tickCount_ = 1;
    int point_ = 0;
};

}  // namespace tz
