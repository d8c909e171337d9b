#pragma once
// The two- and three-line headings of the per-ramp results table. They follow
// the unit system, the K' unit flag and the three calculation shear rates, so
// they are rebuilt at start-up and after every change of the rates.
#include "app/Settings.h"

#include <QStringList>

namespace tz {

inline constexpr int kResultsColumns = 12;

// The twelve heading cells; the lines of a cell are separated by "\r".
QStringList resultsHeading(const Settings& settings);

}  // namespace tz
