#pragma once
// The simulated unit behind the UnitPort interface, for driving a unit
// window's run logic in-process: what the unit answers is kept until taken,
// and the test moves the unit's clock between ticks.
#include "instrument/UnitPort.h"
#include "sim/SimulatedUnit.h"

#include <utility>

namespace tz::sim {

class SimulatedPort : public UnitPort {
public:
    explicit SimulatedPort(SimulatedUnit& unit) : unit_(unit) {}

    bool send(const QByteArray& bytes) override {
        if (!connected_) return false;
        received_ += unit_.feed(bytes);
        return true;
    }
    QByteArray takeAll() override { return std::exchange(received_, {}); }

    // Moves the unit's clock; what it sends meanwhile waits to be taken.
    void advance(double seconds) { received_ += unit_.advance(seconds); }
    // A pulled cable: sends fail (and reach nobody).
    void setConnected(bool on) { connected_ = on; }

    SimulatedUnit& unit() { return unit_; }

private:
    SimulatedUnit& unit_;
    QByteArray received_;
    bool connected_ = true;
};

}  // namespace tz::sim
