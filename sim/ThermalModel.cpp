#include "sim/ThermalModel.h"

#include <algorithm>
#include <cmath>

namespace tz::sim {

void ThermalModel::advance(double seconds) {
    // Exact first-order response per slice; slices short against the sample's
    // lag keep the bath's own motion within a slice negligible.
    while (seconds > 0) {
        const double dt = std::min(seconds, 1.0);
        bathF += (targetF - bathF) * (1.0 - std::exp(-dt / bathTauS));
        sampleF += (bathF - sampleF) * (1.0 - std::exp(-dt / sampleTauS));
        seconds -= dt;
    }
}

}  // namespace tz::sim
