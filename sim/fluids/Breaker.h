#pragma once
// A gel breaker added to a fluid: it cuts the polymer at a first-order rate,
// so K' (and the viscosity at any rate) decays exponentially with time in the
// cell. The rate is given per hour at 150 °F and doubles every 18 °F (10 °C),
// so the gel breaks much sooner when hot:
//   half-life = ln 2 / (rate x 2^((T - 150) / 18)) hours.
#include "sim/fluids/Fluid.h"

namespace tz::sim::fluids {

class Breaker final : public Fluid {
public:
    static constexpr double kReferenceF = 150.0;
    static constexpr double kDoublingF = 18.0;

    Breaker(std::unique_ptr<Fluid> fluid, double ratePerHourAt150F);
    Breaker(const Breaker& other);
    std::unique_ptr<Fluid> clone() const override { return std::make_unique<Breaker>(*this); }
    PowerLaw powerLaw(double tempF) const override;
    void advance(double dt, double tempF, double shearRate) override;

    // First-order rate at this temperature, 1/s.
    double ratePerSecond(double tempF) const;
    const Fluid& fluid() const { return *fluid_; }

private:
    std::unique_ptr<Fluid> fluid_;
    double ratePerHour_;
    double broken_ = 0.0;  // integral of the rate: K' is down by exp(-broken)
};

}  // namespace tz::sim::fluids
