#pragma once
// The two- and three-line headings of the per-ramp results table. They follow
// the unit system, the K' unit flag and the three calculation shear rates, so
// they are rebuilt at start-up and after every change of the rates.
#include "app/Settings.h"

#include <QStringList>

namespace tz {

inline constexpr int kResultsColumns = 12;

// The unit the K columns (Kv, K', K'slot) are headed with, and shown in.
enum class KUnit { DynPerCm2, LbfPerFt2, LbfPer100Ft2 };
KUnit kUnitFor(const Settings& settings);
QString kUnitText(KUnit unit);

// The twelve heading cells; the lines of a cell are separated by "\r".
QStringList resultsHeading(const Settings& settings);

}  // namespace tz
