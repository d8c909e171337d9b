#pragma once
// The few questions about stored points that keeping every point exactly once
// needs: is this point stored already, does its test exist. A point is known
// by its test, step, ramp row, test second and type: a run never records two
// points of one test in the same test second.
#include "instrument/PointWriter.h"

#include <QString>

class clsConnection;
class clsTEST_RESULT;

namespace tz {

// True when TEST_RESULT already has the point. Throws DbError when the
// database does not answer.
bool pointStored(clsConnection& connection, const RecordedPoint& point);
// True when TEST_INFO has the test. Throws DbError.
bool testStored(clsConnection& connection, int testId);
// The test's name, empty when there is none. Throws DbError.
QString storedTestName(clsConnection& connection, int testId);
// Inserts the point as one TEST_RESULT row through record (bound to the
// connection on first use); outside a transaction it is committed at once.
// Throws DbError.
void insertResultRow(clsConnection& connection, clsTEST_RESULT& record, const RecordedPoint& point);

}  // namespace tz
