#pragma once
// The one object created at start-up: it owns the process-wide settings, the
// database connection and the list of tests its units are recording, and
// hands them to every window by reference.
#include "app/RunningTests.h"
#include "app/Settings.h"
#include "db/clsConnection.h"

#include <QString>

namespace tz {

struct Workstation {
    Settings settings;
    clsConnection connection;
    RunningTests runningTests;
};

}  // namespace tz
