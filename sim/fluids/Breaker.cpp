#include "sim/fluids/Breaker.h"

#include <cmath>

namespace tz::sim::fluids {

Breaker::Breaker(std::unique_ptr<Fluid> fluid, double ratePerHourAt150F)
    : fluid_(std::move(fluid)), ratePerHour_(ratePerHourAt150F) {}

Breaker::Breaker(const Breaker& other)
    : Fluid(other), fluid_(other.fluid_->clone()), ratePerHour_(other.ratePerHour_), broken_(other.broken_) {}

double Breaker::ratePerSecond(double tempF) const {
    return ratePerHour_ / 3600.0 * std::exp2((tempF - kReferenceF) / kDoublingF);
}

PowerLaw Breaker::powerLaw(double tempF) const {
    PowerLaw p = fluid_->powerLaw(tempF);
    p.k *= std::exp(-broken_);
    return p;
}

void Breaker::advance(double dt, double tempF, double shearRate) {
    fluid_->advance(dt, tempF, shearRate);
    broken_ += ratePerSecond(tempF) * dt;
}

}  // namespace tz::sim::fluids
