#pragma once
// A delayed metal-crosslinked (zirconate) guar gel for hot wells: the
// crosslinks form over a few minutes (sooner when hot), hold well at high
// temperature, and are torn irreversibly by high shear (above 300 1/s at the
// bob): a sheared sample never gets its viscosity back.
#include "sim/fluids/Fluid.h"

namespace tz::sim::fluids {

class ZirconateGel final : public Fluid {
public:
    static constexpr double kFlowIndex = 0.48;           // fully crosslinked
    static constexpr double kConsistencyAt200F = 45.0;   // dyn s^n/cm2, fully crosslinked
    static constexpr double kThinningPerF = 0.004;
    static constexpr double kCrosslinkTauAt75FS = 120.0;  // e-fold sooner every 100 °F
    static constexpr double kCriticalShearRate = 300.0;  // 1/s
    static constexpr double kShearDamageTauS = 60.0;     // at twice the critical rate

    std::unique_ptr<Fluid> clone() const override { return std::make_unique<ZirconateGel>(*this); }
    PowerLaw powerLaw(double tempF) const override;
    void advance(double dt, double tempF, double shearRate) override;

    double crosslinkedFraction() const { return x_; }
    double intactFraction() const { return intact_; }

private:
    double x_ = 0.0;       // crosslinks formed
    double intact_ = 1.0;  // of those, what shear has not torn
};

}  // namespace tz::sim::fluids
