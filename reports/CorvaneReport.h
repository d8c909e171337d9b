#pragma once
// The fixed-column text file a customer's data system reads: one heading line
// of quoted column names, then one line per recorded point with quoted date
// and clock fields and fifteen-character numeric fields, including the rotor
// speed, viscosity and two torque figures derived from each point.
#include "analysis/OpenedTest.h"

#include <QString>
#include <span>

namespace tz {

// The whole file: heading line and data lines, each ending in CR LF.
// shearRatePerRpm: of the test's bob. A test without a recorded start time
// gets empty date and clock fields.
QString corvaneReportText(const QDateTime& testTime, std::span<const ResultPoint> points,
                          double shearRatePerRpm);

// Writes the report of the test to "<test name>.txt" in dir (the name made
// safe for a file name), replacing an earlier one. Returns the path written;
// throws ReportFileError with the reason for the operator.
QString writeCorvaneReport(const OpenedTest& test, const QString& dir);

}  // namespace tz
