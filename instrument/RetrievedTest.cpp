#include "instrument/RetrievedTest.h"

#include "instrument/TestResultRows.h"

#include "db/Transaction.h"
#include "db/clsConnection.h"
#include "db/clsTEST_RESULT.h"

namespace tz {

RecordedPoint toRecordedPoint(int testId, const StoredRecord& r)
{
    return {testId, r.rampNo, r.rampStepNo, double(r.elapsedS), r.sampleTempF, r.pressurePsi,
            r.shearRate, r.shearStress, r.resultType, r.bathTempF};
}

int storeRetrievedTest(clsConnection& connection, const TestInformation& info,
                       const QList<AdditiveEntry>& additives, const QList<StoredRecord>& records)
{
    return inTransaction(connection, [&] {
        // Inside this transaction storeNewTest neither commits nor rolls back.
        const int id = storeNewTest(connection, info, additives);
        clsTEST_RESULT row;
        for (const StoredRecord& r : records)
            insertResultRow(connection, row, toRecordedPoint(id, r));
        return id;
    });
}

}  // namespace tz
