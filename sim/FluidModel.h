#pragma once
// The test fluid of the simulated unit: a power-law (crosslinked) gel whose
// consistency thins with temperature and breaks slowly with time at shear.
namespace tz::sim {

struct PowerLawFluid {
    double flowIndex = 0.5;               // n'
    double consistencyAtRef = 13.038404810405298;  // K', dyn s^n/cm2 at refTempF, age 0
    double refTempF = 150.0;
    double thinningPerF = 0.008;          // K' falls e-fold every 125 F
    double breakTimeS = 36000.0;          // and e-fold over ten hours in the cell

    // A borate-crosslinked guar: n' 0.5, 100 cP at 170 1/s and 150 F when fresh.
    static PowerLawFluid crosslinkedGel() { return {}; }

    double consistency(double tempF, double ageS) const;
    // Shear stress in dyn/cm2 at a shear rate (sign follows the rate).
    double stress(double shearRate, double tempF, double ageS) const;
    // Apparent viscosity in cP (100 x stress / rate); 0 at rest.
    double viscosityCp(double shearRate, double tempF, double ageS) const;
};

}  // namespace tz::sim
