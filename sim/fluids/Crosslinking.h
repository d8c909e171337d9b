#pragma once
// Between the base gel and the fully crosslinked gel: with a crosslinked
// fraction x (0 ... 1), n' moves linearly and K' geometrically from the one to
// the other, as lab curves of a gel crosslinking at constant rate look.
#include "sim/fluids/Fluid.h"

namespace tz::sim::fluids {

PowerLaw blendPowerLaw(const PowerLaw& base, const PowerLaw& crosslinked, double x);

}  // namespace tz::sim::fluids
