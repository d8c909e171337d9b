#include "sim/fluids/Fluid.h"

#include <cmath>

namespace tz::sim::fluids {

void Fluid::advance(double, double, double) {}

double wallShearRate(double newtonianRate, double n, double s) {
    if (!(n > 0) || !(s > 1)) return newtonianRate;
    // Couette flow of a power-law fluid: rate at the bob = 2 w / (n (1 - s^(-2/n)));
    // the Newtonian rate is 2 w s^2 / (s^2 - 1).
    const double s2n = std::pow(s, 2.0 / n);
    return newtonianRate * (s * s - 1.0) * s2n / (n * s * s * (s2n - 1.0));
}

double bobStress(const PowerLaw& p, double newtonianRate, double s) {
    const double rate = std::fabs(wallShearRate(newtonianRate, p.n, s));
    const double magnitude = p.k * std::pow(rate, p.n);
    return newtonianRate < 0 ? -magnitude : magnitude;
}

double viscosityCp(const PowerLaw& p, double shearRate) {
    if (shearRate == 0) return 0;
    return 100.0 * p.k * std::pow(std::fabs(shearRate), p.n - 1.0);
}

}  // namespace tz::sim::fluids
