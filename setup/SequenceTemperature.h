#pragma once
// Sequence temperatures are stored in °F; the editor shows them in °F under CGS
// and in °C under EI and SI, and converts what the operator types back.
#include <QString>

namespace tz {

// True when the unit system shows temperatures in °F (CGS).
bool showsFahrenheit(int unitSystem);

// "°F" or "°C".
QString temperatureUnit(int unitSystem);

// Hottest set point the editor accepts, in the shown unit (480 °F / 250 °C).
double maxShownTemperature(int unitSystem);

// Cell texts of a stored set point and of a stored tolerance (a difference).
QString shownTemperature(double storedF, int unitSystem);
QString shownTolerance(double storedF, int unitSystem);

// Stored values of what was typed: °F as typed; °C converted and rounded down
// to a whole °F, as the units have always been programmed.
double storedTemperature(double shown, int unitSystem);
double storedTolerance(double shown, int unitSystem);

// A number as plain decimal text, the way an operator would type it ("12.5",
// "0.5", "100"): shortest form that reads back exactly, no exponent.
QString plainNumber(double value);

}  // namespace tz
