#include "instrument/UnitFactors.h"

#include <cmath>

namespace tz {

std::optional<UnitFactors> unitFactorsForBob(double bobRadiusCm, double bobLengthCm) {
    if (!std::isfinite(bobRadiusCm) || !std::isfinite(bobLengthCm) || bobRadiusCm <= 0 ||
        bobRadiusCm >= kRotorRadiusCm || bobLengthCm <= 0)
        return std::nullopt;
    // 4 pi R^2 with pi as the unit's firmware takes it (3.14159).
    constexpr double kCouette = 42.61406299750999;
    UnitFactors f;
    f.shearRateFactor = kCouette / (kRotorRadiusSquaredCm2 - bobRadiusCm * bobRadiusCm) / 60.0;
    const double r = kReferenceBobRadiusCm / bobRadiusCm;
    f.stressFactor = r * r * (kReferenceBobLengthCm / bobLengthCm);
    return f;
}

}  // namespace tz
