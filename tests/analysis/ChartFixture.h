#pragma once
// A small hand-made test for the charts: four points whose viscosities,
// converted stresses and temperatures are easy to work out by hand.
#include "analysis/RampAnalysis.h"

#include <vector>

namespace chartfixture {

// time s, sample °F, bath °F, rate 1/s, stress dyn/cm2, type; ramp 1, 400 psi.
inline tz::ResultPoint point(double time, double sample, double bath, double rate, double stress,
                             int type)
{
    return {1, type, time, sample, 400, rate, stress, type, bath};
}

// Stresses are multiples of 4.788 so EI values are round (10, 20, 5 lb/100ft2);
// 77 °F = 25 °C, 122 °F = 50 °C, 212 °F = 100 °C.
inline std::vector<tz::ResultPoint> rows()
{
    return {
        point(0, 77, 80, 0, 0, 0),            // rotor standing: viscosity 0
        point(60, 122, 125, 100, 47.88, 0),   // 47.88 cP
        point(120, 212, 215, 170, 95.76, 1),  // ramp point
        point(180, 212, 214, 40, 23.94, 1),   // ramp point, lower rate recorded later
    };
}

}  // namespace chartfixture
