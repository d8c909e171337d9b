#pragma once
// The process-wide display settings: one object, created at start-up by the
// workstation and handed to every window that converts units or computes
// viscosities at the calculation shear rates.
#include <array>

namespace tz {

enum UnitSystem : int { UnitNone = 0, UnitCGS = 1, UnitEI = 2, UnitSI = 3 };

struct Settings {
    int unitSystem = UnitNone;               // 0 only when nothing was ever read
    int kPrimeUnit = 1;                      // 1 = dyn-s^n/cm2, 0 = lb-f s/100 ft2
    std::array<double, 3> shearRates{40.0, 100.0, 170.0};  // 1/s

    void resetDisplayDefaults() {
        kPrimeUnit = 1;
        shearRates = {40.0, 100.0, 170.0};
    }
};

}  // namespace tz
