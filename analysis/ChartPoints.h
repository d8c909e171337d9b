#pragma once
// The series the charts of an opened test draw from, one entry per point that
// passes the data filter: "All" points, or "No Ramp" (the constant-shear hold
// points only, type 0).
#include "analysis/RampAnalysis.h"

#include <span>
#include <vector>

namespace tz {

enum class DataFilter { All, NoRamp };

struct ChartPoints {
    std::vector<double> shearRate;   // 1/s
    std::vector<double> timeMin;     // minutes from the start of the test
    std::vector<double> viscosity;   // cP; 0 where the rotor stood still
    std::vector<double> bathTemp;    // °F in CGS, otherwise °C
    std::vector<double> sampleTemp;  // °F in CGS, otherwise °C
    bool celsius = false;            // the temperature axis reads "Temperature (°C)"

    std::size_t size() const { return timeMin.size(); }
};

ChartPoints buildChartPoints(std::span<const ResultPoint> points, DataFilter filter,
                             const Settings& settings);

}  // namespace tz
