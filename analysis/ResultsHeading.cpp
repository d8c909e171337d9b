#include "analysis/ResultsHeading.h"

#include <cmath>

namespace tz {

KUnit kUnitFor(const Settings& s) {
    if (s.unitSystem == UnitEI) return KUnit::LbfPerFt2;
    if (s.unitSystem == UnitCGS && s.kPrimeUnit != 1) return KUnit::LbfPer100Ft2;
    return KUnit::DynPerCm2;
}

QString kUnitText(KUnit unit) {
    switch (unit) {
    case KUnit::LbfPerFt2: return QStringLiteral("lbf-s^n/ft2");
    case KUnit::LbfPer100Ft2: return QStringLiteral("lb-f s/100 ft2");
    case KUnit::DynPerCm2: break;
    }
    return QStringLiteral("dyn-s^n/cm2");
}

namespace {

QString rateHeading(const Settings& s, int i) {
    // EI labs read the classic API rates whatever is configured.
    static const int eiRates[3] = {40, 100, 170};
    if (s.unitSystem == UnitEI) return QStringLiteral("@%1 1/S (cP)").arg(eiRates[i]);
    return QStringLiteral("@%1 (cP)").arg(static_cast<long long>(std::trunc(s.shearRates[i])));
}
}  // namespace

QStringList resultsHeading(const Settings& s) {
    const bool si = s.unitSystem == UnitSI;
    const QString k = kUnitText(kUnitFor(s));
    return {
        QStringLiteral("Shear\rRamp"),
        QStringLiteral("Time \r(Min)"),
        si ? QStringLiteral("Temp\r(C°)") : QStringLiteral("Temp\r(F°)"),
        si ? QStringLiteral("Press\r(kPa)") : QStringLiteral("Press\r(Psi)"),
        QStringLiteral("n'"),
        QStringLiteral("Kv \r") + k,
        QStringLiteral("Coef.\rDetn.\r(R^2)"),
        QStringLiteral("K'\r") + k,
        QStringLiteral("K'slot\r") + k,
        QStringLiteral("Visc\r") + rateHeading(s, 0),
        QStringLiteral("Visc\r") + rateHeading(s, 1),
        QStringLiteral("Visc\r") + rateHeading(s, 2),
    };
}

}  // namespace tz
