#include "app/NumericHelpers.h"

#include <cmath>

namespace tz {

double Log10(double x) { return std::log(x) / std::log(10.0); }

bool lineFit(std::span<const double> xs, std::span<const double> ys, double& slope,
             double& intercept, double& r) {
    r = 0;
    const std::size_t count = std::min(xs.size(), ys.size());
    if (count == 0) return false;
    const double n = static_cast<double>(count);
    double sx = 0, sy = 0, sxy = 0, sxx = 0, syy = 0;
    for (std::size_t i = 0; i < count; ++i) {
        sx += xs[i];
        sy += ys[i];
        sxy += xs[i] * ys[i];
        sxx += xs[i] * xs[i];
        syy += ys[i] * ys[i];
    }
    const double mx = sx / n;
    const double my = sy / n;
    // All x equal, or y summing to zero: no line; the caller's values stand.
    if (std::fabs(sxx - n * mx * mx) < 1e-9 || std::fabs(sy) < 1e-8) return true;
    slope = (sxy - n * mx * my) / (sxx - n * mx * mx);
    intercept = my - slope * mx;
    const double yspread = syy - sy * sy / n;
    if (std::fabs(yspread) > 1e-10) {
        r = std::sqrt(std::fabs(slope * slope * (sxx - sx * sx / n) / yspread));
    } else {
        slope = 0;
        intercept = 0;
        r = 0;
    }
    return true;
}

}  // namespace tz
