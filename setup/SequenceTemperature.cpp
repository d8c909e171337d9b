#include "setup/SequenceTemperature.h"

#include "app/NumberFormat.h"
#include "app/Settings.h"

#include <QLocale>
#include <cmath>

namespace tz {

bool showsFahrenheit(int unitSystem) { return unitSystem == UnitCGS; }

QString temperatureUnit(int unitSystem) {
    return showsFahrenheit(unitSystem) ? QStringLiteral("°F") : QStringLiteral("°C");
}

double maxShownTemperature(int unitSystem) { return showsFahrenheit(unitSystem) ? 480.0 : 250.0; }

QString shownTemperature(double storedF, int unitSystem) {
    if (showsFahrenheit(unitSystem)) return plainNumber(storedF);
    return formatNumber((storedF - 32.0) / 1.8, u"##0.#");
}

QString shownTolerance(double storedF, int unitSystem) {
    if (showsFahrenheit(unitSystem)) return plainNumber(storedF);
    return formatNumber(storedF / 1.8, u"##0.#");
}

double storedTemperature(double shown, int unitSystem) {
    if (showsFahrenheit(unitSystem)) return shown;
    return std::floor(shown * 1.8 + 32.0);
}

double storedTolerance(double shown, int unitSystem) {
    if (showsFahrenheit(unitSystem)) return shown;
    return std::floor(shown * 1.8);
}

QString plainNumber(double value) {
    if (!std::isfinite(value)) return QString::number(value);
    if (value == 0) return QStringLiteral("0");  // no "-0"
    return QLocale::c().toString(value, 'f', QLocale::FloatingPointShortest);
}

}  // namespace tz
