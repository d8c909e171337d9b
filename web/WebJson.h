#pragma once
// The JSON API: the test list, one test with its additives and results, and
// the points of a test after a given time. Numbers come from the analysis
// and export code the CLI uses.
#include "analysis/OpenedTest.h"
#include "analysis/ResultsTable.h"
#include "app/Settings.h"
#include "web/LabReader.h"

#include <QByteArray>
#include <span>

namespace tz::web {

QByteArray testListJson(const TestListPage& page);

// The export's document without its points, with the results grid cell for
// cell ("results": heading and the rows that have a result) and the running
// mark.
QByteArray testJson(const OpenedTest& test, const ResultsTable& results, const Settings& settings,
                     double thresholdCp, const ListedTest& header);

// {"units":..., "columns":[...], "points":[[...], ...], "last_time": s or null,
//  "running": bool}: one array per point, in the units of settings.
QByteArray pointsJson(std::span<const ResultPoint> points, const Settings& settings, bool running,
                      double after);

}  // namespace tz::web
