#pragma once
// The one object created at start-up: it owns the process-wide settings and
// the database connection and hands them to every window by reference.
#include "app/Settings.h"
#include "db/clsConnection.h"

#include <QString>

namespace tz {

struct Workstation {
    Settings settings;
    clsConnection connection;
};

}  // namespace tz
