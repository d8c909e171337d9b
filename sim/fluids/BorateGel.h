#pragma once
// A borate-crosslinked guar. The crosslinks form within a minute of mixing
// and are in equilibrium with temperature: above about 200 °F they open up
// and the gel thins towards its base guar, and they close again on cooling,
// so the thinning is reversible.
#include "sim/fluids/Fluid.h"

namespace tz::sim::fluids {

class BorateGel final : public Fluid {
public:
    static constexpr double kFlowIndex = 0.40;           // fully crosslinked
    static constexpr double kConsistencyAt150F = 60.0;   // dyn s^n/cm2, fully crosslinked
    static constexpr double kThinningPerF = 0.004;       // of the crosslinked network itself
    static constexpr double kHalfOpenF = 225.0;          // half the crosslinks open here
    static constexpr double kOpeningWidthF = 12.0;
    static constexpr double kCrosslinkTauS = 15.0;       // towards equilibrium, both ways

    std::unique_ptr<Fluid> clone() const override { return std::make_unique<BorateGel>(*this); }
    PowerLaw powerLaw(double tempF) const override;
    void advance(double dt, double tempF, double shearRate) override;

    // Crosslinked fraction the gel settles at, held at this temperature.
    static double equilibriumFraction(double tempF);
    double crosslinkedFraction() const { return x_; }

private:
    double x_ = 0.0;  // fresh from the mixer: not yet crosslinked
};

}  // namespace tz::sim::fluids
