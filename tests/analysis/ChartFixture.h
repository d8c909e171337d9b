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

#include <cmath>

namespace chartfixture {

// Two hours of a borate gel heated to 250 °F: a point every 20 s at
// 100 1/s, and every 30 minutes a five-step shear ramp (ramp points are
// type 1). The gel thins as it heats and ages.
inline std::vector<tz::ResultPoint> gelRun()
{
    std::vector<tz::ResultPoint> rows;
    auto gel = [](double minutes, double rate) {
        const double n = 0.42 + 0.002 * minutes;
        const double k = 6.0 + 42.0 * std::exp(-minutes / 45.0);
        return k * std::pow(rate, n);
    };
    auto sample = [](double minutes) { return 75.0 + 175.0 * (1.0 - std::exp(-minutes / 9.0)); };
    auto bath = [](double minutes) { return 80.0 + 180.0 * (1.0 - std::exp(-minutes / 6.0)); };
    int ramp = 1;
    for (double t = 0; t <= 7200; t += 20) {
        const double m = t / 60.0;
        rows.push_back({ramp, 0, t, sample(m), 450, 100, gel(m, 100), 0, bath(m)});
        if (t > 0 && std::fmod(t, 1800) == 0) {
            int step = 1;
            for (double rate : {170.0, 136.0, 102.0, 68.0, 34.0}) {
                const double tr = t + 3.0 * step;
                rows.push_back({ramp, step, tr, sample(tr / 60), 450, rate, gel(tr / 60, rate), 1, bath(tr / 60)});
                ++step;
            }
            ++ramp;
        }
    }
    return rows;
}

}  // namespace chartfixture
