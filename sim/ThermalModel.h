#pragma once
// Heating bath and sample cup: the bath follows its target with a first-order
// lag and the sample follows the bath with a slower one, so the sample always
// trails the bath on the way up and on the way down.
namespace tz::sim {

struct ThermalModel {
    double ambientF = 75.0;
    double bathTauS = 120.0;
    double sampleTauS = 180.0;
    double bathF = 75.0;
    double sampleF = 75.0;
    double targetF = 75.0;  // the bath controller's set point (ambient when idle)

    void advance(double seconds);
};

}  // namespace tz::sim
