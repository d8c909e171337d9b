#include "sim/fluids/ZirconateGel.h"

#include "sim/fluids/Crosslinking.h"
#include "sim/fluids/LinearGuar.h"

#include <algorithm>
#include <cmath>

namespace tz::sim::fluids {

PowerLaw ZirconateGel::powerLaw(double tempF) const {
    const PowerLaw crosslinked{kFlowIndex, kConsistencyAt200F * std::exp(-kThinningPerF * (tempF - 200.0))};
    return blendPowerLaw(LinearGuar().powerLaw(tempF), crosslinked, x_ * intact_);
}

void ZirconateGel::advance(double dt, double tempF, double shearRate) {
    const double tau = kCrosslinkTauAt75FS * std::exp(-(tempF - 75.0) / 100.0);
    x_ += (1.0 - x_) * (1.0 - std::exp(-dt / tau));
    const double overShear = std::max(0.0, std::fabs(shearRate) / kCriticalShearRate - 1.0);
    intact_ *= std::exp(-overShear * dt / kShearDamageTauS);
}

}  // namespace tz::sim::fluids
