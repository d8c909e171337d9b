#include "sim/fluids/Crosslinking.h"

#include <algorithm>
#include <cmath>

namespace tz::sim::fluids {

PowerLaw blendPowerLaw(const PowerLaw& base, const PowerLaw& crosslinked, double x) {
    x = std::clamp(x, 0.0, 1.0);
    return {base.n + x * (crosslinked.n - base.n),
            std::exp(std::log(base.k) + x * (std::log(crosslinked.k) - std::log(base.k)))};
}

}  // namespace tz::sim::fluids
