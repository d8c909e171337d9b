#pragma once
// Base-10 logarithm and the least-squares line used by the ramp analysis, the
// live analysis and the torque calibration.
#include <span>

namespace tz {

// ln(x) / ln(10); callers pass positive values only (NaN otherwise).
double Log10(double x);

// Ordinary least squares of y on x. r is the magnitude of the correlation
// coefficient. Degenerate input (all x equal, or y summing to zero) leaves
// slope and intercept as the caller set them and r = 0; all y equal gives
// slope 0, intercept 0, r 0. Returns false when xs is empty (nothing written).
bool lineFit(std::span<const double> xs, std::span<const double> ys,
             double& slope, double& intercept, double& r);

}  // namespace tz
