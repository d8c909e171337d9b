#pragma once
// Least-squares polynomial y = c0 + c1 x + ... + c(order) x^order.
#include <optional>
#include <span>
#include <vector>

namespace tz {

// Coefficients c0 ... c(order), solved by QR with column pivoting (stable
// where the normal equations lose digits). nullopt when the points cannot
// fix every coefficient (fewer distinct x than coefficients, or unequal
// lengths) or the solution is not finite.
std::optional<std::vector<double>> polynomialFit(std::span<const double> xs,
                                                 std::span<const double> ys, int order);

}  // namespace tz
