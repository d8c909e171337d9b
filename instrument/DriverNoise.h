#pragma once
// While the lab server is away, Qt's PostgreSQL driver writes "QPSQL: Unable
// to connect" and "Unable to free statement" for every point the run tries to
// store. Those repeats are held back between databaseAway() and
// databaseBack(), each of which writes one line of its own instead, so that
// an unattended run's log shows the outage once, not per point.
#include <QString>

namespace tz::driverNoise {

// Installs the filter in front of the process's message handler (once).
void install();
// The database stopped answering: one line with the reason, then quiet.
void databaseAway(const QString& reason);
// It answers again: one line, and the driver is heard again.
void databaseBack();
bool quiet();
// Whether a driver message is one of the repeated outage messages.
bool isOutageNoise(const QString& message);

}  // namespace tz::driverNoise
