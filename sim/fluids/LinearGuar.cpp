#include "sim/fluids/LinearGuar.h"

#include <cmath>

namespace tz::sim::fluids {

PowerLaw LinearGuar::powerLaw(double tempF) const {
    return {kFlowIndex, kConsistencyAt75F * std::exp(-kThinningPerF * (tempF - 75.0))};
}

}  // namespace tz::sim::fluids
