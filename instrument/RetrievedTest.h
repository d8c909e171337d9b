#pragma once
// Storing a stand-alone run pulled from a unit: the test information, its
// additives and every downloaded record as one TEST_RESULT row each, all in
// one transaction. Called only once the whole reply is in, so a broken
// download never leaves a test without points blocking its name.
#include "db/NewTest.h"
#include "instrument/PointWriter.h"
#include "instrument/StoredResultsParser.h"

#include <QList>

class clsConnection;

namespace tz {

// Returns the TEST_ID its insert created. The records are stored exactly as
// the unit sent them (its stress is for the reference bob; no factor is
// applied). The name is checked again as the test is stored, since the
// download takes seconds: a test stored under that name meanwhile (another
// unit, another bench) throws tz::TestNameTakenError, and texts that do not
// fit their columns throw tz::DbError naming the field (storeNewTest).
// Nothing is stored when any insert fails. Throws tz::DbError.
int storeRetrievedTest(clsConnection& connection, const TestInformation& info,
                       const QList<AdditiveEntry>& additives, const QList<StoredRecord>& records);

// A downloaded record as the point of test testId, values as the unit sent them.
RecordedPoint toRecordedPoint(int testId, const StoredRecord& r);

}  // namespace tz
