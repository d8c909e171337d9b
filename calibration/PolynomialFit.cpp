#include "calibration/PolynomialFit.h"

// Debian's Eigen lives under /usr/include/eigen3; naming the folder here
// keeps the include path of the build unchanged.
#include <Eigen/Dense>

#include <cmath>

namespace tz {

std::optional<std::vector<double>> polynomialFit(std::span<const double> xs,
                                                 std::span<const double> ys, int order) {
    if (order < 0 || xs.size() != ys.size()) return std::nullopt;
    const Eigen::Index n = static_cast<Eigen::Index>(xs.size());
    const Eigen::Index terms = order + 1;
    if (n < terms) return std::nullopt;

    for (double x : xs)
        if (!std::isfinite(x)) return std::nullopt;
    // Transducer voltages span a few volts, so the plain powers of x stay
    // well within the precision QR needs.
    Eigen::MatrixXd a(n, terms);
    Eigen::VectorXd b(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        double p = 1;
        for (Eigen::Index j = 0; j < terms; ++j, p *= xs[i]) a(i, j) = p;
        b(i) = ys[i];
    }
    const Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(a);
    if (qr.rank() < terms) return std::nullopt;
    const Eigen::VectorXd d = qr.solve(b);
    std::vector<double> c(d.data(), d.data() + terms);
    for (double v : c)
        if (!std::isfinite(v)) return std::nullopt;
    return c;
}

}  // namespace tz
