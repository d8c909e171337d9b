#pragma once
// While the lab server is away, Qt's PostgreSQL driver writes "QPSQL: Unable
// to connect" and "Unable to free statement" for every point the run tries to
// store. Those repeats are held back between databaseAway() and
// databaseBack(); the host says once that the database went away and once
// that it is back (tz360-cli run, the unit window), not per point.
#include <QString>

namespace tz::driverNoise {

// Installs the filter in front of the process's message handler (once).
void install();
// The database stopped answering: the driver's repeats are held back.
void databaseAway();
// It answers again: the driver is heard again.
void databaseBack();
bool quiet();
// Whether a driver message is one of the repeated outage messages.
bool isOutageNoise(const QString& message);

}  // namespace tz::driverNoise
