#include "sim/fluids/BorateGel.h"

#include "sim/fluids/Crosslinking.h"
#include "sim/fluids/LinearGuar.h"

#include <cmath>

namespace tz::sim::fluids {

double BorateGel::equilibriumFraction(double tempF) {
    return 1.0 / (1.0 + std::exp((tempF - kHalfOpenF) / kOpeningWidthF));
}

PowerLaw BorateGel::powerLaw(double tempF) const {
    const PowerLaw crosslinked{kFlowIndex, kConsistencyAt150F * std::exp(-kThinningPerF * (tempF - 150.0))};
    return blendPowerLaw(LinearGuar().powerLaw(tempF), crosslinked, x_);
}

void BorateGel::advance(double dt, double tempF, double) {
    const double target = equilibriumFraction(tempF);
    x_ += (target - x_) * (1.0 - std::exp(-dt / kCrosslinkTauS));
}

}  // namespace tz::sim::fluids
