#include "calibration/PolynomialFit.h"

// Debian's Eigen lives under /usr/include/eigen3; naming the folder here
// keeps the include path of the build unchanged.
#include <eigen3/Eigen/Dense>

#include <cmath>

namespace tz {

std::optional<std::vector<double>> polynomialFit(std::span<const double> xs,
                                                 std::span<const double> ys, int order) {
    if (order < 0 || xs.size() != ys.size()) return std::nullopt;
    const Eigen::Index n = static_cast<Eigen::Index>(xs.size());
    const Eigen::Index terms = order + 1;
    if (n < terms) return std::nullopt;

    // Centre and scale x so that the powers stay of similar size: the fit is
    // solved in u = (x - centre) / scale and expanded back afterwards.
    double lo = xs[0], hi = xs[0];
    for (double x : xs) {
        if (!std::isfinite(x)) return std::nullopt;
        lo = std::min(lo, x);
        hi = std::max(hi, x);
    }
    const double centre = (lo + hi) / 2;
    const double scale = hi > lo ? (hi - lo) / 2 : 1.0;

    Eigen::MatrixXd a(n, terms);
    Eigen::VectorXd b(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        const double u = (xs[i] - centre) / scale;
        double p = 1;
        for (Eigen::Index j = 0; j < terms; ++j, p *= u) a(i, j) = p;
        b(i) = ys[i];
    }
    const Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(a);
    if (qr.rank() < terms) return std::nullopt;
    const Eigen::VectorXd d = qr.solve(b);

    // y = sum d_j ((x - centre)/scale)^j: expand each power by the binomial
    // theorem into plain powers of x.
    std::vector<double> c(terms, 0.0);
    for (Eigen::Index j = 0; j < terms; ++j) {
        const double dj = d(j) / std::pow(scale, static_cast<double>(j));
        double binom = 1;  // C(j, k)
        for (Eigen::Index k = 0; k <= j; ++k) {
            c[k] += dj * binom * std::pow(-centre, static_cast<double>(j - k));
            binom = binom * static_cast<double>(j - k) / static_cast<double>(k + 1);
        }
    }
    for (double v : c)
        if (!std::isfinite(v)) return std::nullopt;
    return c;
}

}  // namespace tz
