#pragma once
// Reads the recorded points of a stored test for the charts, through the
// record classes, in their RESULT_TIME order.
#include "analysis/ChartData.h"

#include <QString>
#include <vector>

class clsConnection;
class clsTEST_RESULT;

namespace tz {

// The points of the result object's last query, read in one pass from the
// first row (the object is left past its last row).
std::vector<ChartRow> chartRows(clsTEST_RESULT& results);

// The points of test `testId`. Throws tz::DbError on a database error.
std::vector<ChartRow> loadChartRows(clsConnection& connection, int testId);

// TEST_ID of the named test (exact name), 0 when there is no such test.
// Throws tz::DbError on a database error.
int testIdByName(clsConnection& connection, const QString& name);

}  // namespace tz
