#pragma once
// A Newtonian oil of fixed viscosity, as the viscosity standards used to
// check a unit: n' = 1 and K' = viscosity / 100 at every rate and temperature.
#include "sim/fluids/Fluid.h"

namespace tz::sim::fluids {

class NewtonianOil final : public Fluid {
public:
    explicit NewtonianOil(double viscosityCp) : cp_(viscosityCp) {}
    std::unique_ptr<Fluid> clone() const override { return std::make_unique<NewtonianOil>(*this); }
    PowerLaw powerLaw(double) const override { return {1.0, cp_ / 100.0}; }

private:
    double cp_;
};

}  // namespace tz::sim::fluids
