#pragma once
// A linear (uncrosslinked) guar gel, about 30 lb/Mgal: shear-thinning with a
// steady n', its K' falling e-fold every 83 °F of heating. Also the base gel
// the crosslinked fluids start from and fall back to.
#include "sim/fluids/Fluid.h"

namespace tz::sim::fluids {

class LinearGuar final : public Fluid {
public:
    static constexpr double kFlowIndex = 0.45;
    static constexpr double kConsistencyAt75F = 9.0;  // dyn s^n/cm2
    static constexpr double kThinningPerF = 0.012;

    std::unique_ptr<Fluid> clone() const override { return std::make_unique<LinearGuar>(*this); }
    PowerLaw powerLaw(double tempF) const override;
};

}  // namespace tz::sim::fluids
