#include "instrument/DynamicTest.h"

#include "instrument/ProtocolCodec.h"
#include "instrument/UnitPort.h"

#include <algorithm>
#include <cmath>

namespace tz {

namespace {

int wholePart(double v)
{
    if (!std::isfinite(v))
        return 0;
    return static_cast<int>(std::clamp(std::trunc(v), -1.0e6, 1.0e6));
}

}  // namespace

bool DynamicTest::send(const QByteArray& bytes)
{
    return port_.send(bytes);
}

bool DynamicTest::startSingle(const DynamicSettings& s)
{
    return send(proto::oscillate(s.strain / 4, s.frequencyHz, s.tempF));
}

bool DynamicTest::stopSingle()
{
    return send(proto::stopOscillation());
}

bool DynamicTest::startSweep(const DynamicSettings& s)
{
    tickCount_ = 1;
    point_ = 0;
    // The unit takes the first point's amplitude on a different scale.
    sweepRunning_ = send(proto::oscillate(s.strain / 100, s.sweepStartHz, s.tempF));
    return sweepRunning_;
}

bool DynamicTest::stopSweep()
{
    // A stopped sweep must not start the rotor again at its next point.
    sweepRunning_ = false;
    return send(proto::stopOscillation());
}

bool DynamicTest::tick(const DynamicSettings& s)
{
    if (!sweepRunning_)
        return true;
    if (tickCount_ == kTicksPerPoint + 1) {
        if (!send(proto::stopOscillation())) {
            sweepRunning_ = false;
            return false;
        }
        ++point_;
        const int n = wholePart(s.intervals);
        if (point_ > n) {
            sweepRunning_ = false;
            return true;
        }
        const double hz = s.sweepStartHz + (s.sweepEndHz - s.sweepStartHz) / n * point_;
        if (!send(proto::oscillate(s.strain / 4, hz, s.tempF))) {
            sweepRunning_ = false;
            return false;
        }
        tickCount_ = 1;
    }
    ++tickCount_;
    return true;
}

}  // namespace tz
