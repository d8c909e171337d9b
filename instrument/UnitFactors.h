#pragma once
// Conversion between what the unit reports (rotor rpm, stress on the reference
// bob of radius 1.5987 cm and length 7.62 cm) and the bob actually hung in it.
#include <optional>

namespace tz {

inline constexpr double kRotorRadiusSquaredCm2 = 3.3911222499999996;  // 1.8415 cm rotor
inline constexpr double kRotorRadiusCm = 1.8415;
inline constexpr double kReferenceBobRadiusCm = 1.5987;
inline constexpr double kReferenceBobLengthCm = 7.62;

struct UnitFactors {
    double shearRateFactor = 0.0;  // 1/s per rpm: Couette shear rate at the bob wall
    double stressFactor = 1.0;     // reference-bob stress -> stress on the bob in use
};

// Factors for a bob of radius and effective length in cm. nullopt when the bob
// cannot be hung in the rotor (radius not between 0 and the rotor radius, or
// length not positive): the formulas would divide by zero or flip sign.
std::optional<UnitFactors> unitFactorsForBob(double bobRadiusCm, double bobLengthCm);

}  // namespace tz
