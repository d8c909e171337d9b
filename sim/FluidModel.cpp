#include "sim/FluidModel.h"

#include <cmath>

namespace tz::sim {

double PowerLawFluid::consistency(double tempF, double ageS) const {
    return consistencyAtRef * std::exp(-thinningPerF * (tempF - refTempF)) *
           std::exp(-ageS / breakTimeS);
}

double PowerLawFluid::stress(double shearRate, double tempF, double ageS) const {
    const double magnitude = consistency(tempF, ageS) * std::pow(std::fabs(shearRate), flowIndex);
    return shearRate < 0 ? -magnitude : magnitude;
}

double PowerLawFluid::viscosityCp(double shearRate, double tempF, double ageS) const {
    if (shearRate == 0) return 0;
    return 100.0 * stress(shearRate, tempF, ageS) / shearRate;
}

}  // namespace tz::sim
