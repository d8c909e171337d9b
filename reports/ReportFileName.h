#pragma once
// A report file named after its test. The test name is whatever the operator
// typed, so characters that cannot stand in a file name, or that would lead
// out of the working directory, are replaced: the file always lands in the
// folder it was meant for.
#include <QString>

namespace tz {

// The test name as a file name stem: path separators, drive colons, "..",
// wildcard and control characters, trailing dots and blanks become "_"; an
// empty name becomes "_"; a device name of the desktop (CON, NUL, COM1, ...)
// gets a leading "_".
QString safeFileStem(const QString& testName);

// dir + safe stem + suffix (suffix with its dot, e.g. ".txt").
QString reportFilePath(const QString& dir, const QString& testName, const QString& suffix);

// Where the brief report of a test is saved unless the operator says
// otherwise: "NAME brief.txt". Never "NAME.txt": that is the fixed-column file
// a customer's system reads, and the brief report must not replace it.
QString briefReportPath(const QString& dir, const QString& testName);

}  // namespace tz
