#pragma once
// A test fluid in the simulated cup, seen as a power law whose n' and K'
// follow the sample temperature and what the sample has been through
// (crosslinking, shear, a breaker). Pure model: no Qt, no unit, no noise.
#include <memory>

namespace tz::sim::fluids {

// n' and K' against the true shear rate at the bob wall: stress = K' x rate^n'.
struct PowerLaw {
    double n = 1.0;  // n', flow behaviour index
    double k = 0.0;  // K', dyn s^n/cm2
};

class Fluid {
public:
    virtual ~Fluid() = default;
    // A fresh sample of the same fluid with the same history.
    virtual std::unique_ptr<Fluid> clone() const = 0;
    // n' and K' now, at this sample temperature (°F).
    virtual PowerLaw powerLaw(double tempF) const = 0;
    // The sample's state moves on by dt seconds at this temperature (°F) and
    // shear rate at the bob (1/s). Fluids without a history ignore it.
    virtual void advance(double dt, double tempF, double shearRate);
};

// True shear rate at the bob wall for a power-law fluid in the rotor-bob gap,
// from the Newtonian rate the unit works with (rpm x shear-rate factor) and
// the radius ratio s = rotor radius / bob radius. A thinning fluid shears
// faster at the bob than a Newtonian one at the same speed, by a factor that
// depends on the bob: that is what K' corrects Kv for.
double wallShearRate(double newtonianRate, double n, double s);

// Stress on the bob in dyn/cm2 (sign follows the rate).
double bobStress(const PowerLaw& p, double newtonianRate, double s);

// Apparent viscosity in cP at a true shear rate; 0 at rest.
double viscosityCp(const PowerLaw& p, double shearRate);

}  // namespace tz::sim::fluids
