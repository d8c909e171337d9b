#include "instrument/RetrievedTest.h"

#include "db/Transaction.h"
#include "db/clsConnection.h"
#include "db/clsTEST_RESULT.h"

namespace tz {

int storeRetrievedTest(clsConnection& connection, const TestInformation& info,
                       const QList<AdditiveEntry>& additives, const QList<StoredRecord>& records)
{
    return inTransaction(connection, [&] {
        // Inside this transaction storeNewTest neither commits nor rolls back.
        const int id = storeNewTest(connection, info, additives);
        clsTEST_RESULT row;
        row.setTest_Id(0);
        row.ConnectX(connection);
        for (const StoredRecord& r : records) {
            row.setTest_Id(id);
            row.setRAMP_NO(r.rampNo);
            row.setRAMP_STEP_NO(r.rampStepNo);
            row.setRESULT_TIME(r.elapsedS);
            row.setRESULT_SAMPLE_TEMP(r.sampleTempF);
            row.setRESULT_BATH_TEMP(r.bathTempF);
            row.setRESULT_PRESS(r.pressurePsi);
            row.setRESULT_SHEAR_RATE(r.shearRate);
            row.setRESULT_SHEAR_STRESS(r.shearStress);
            row.setRESULT_TYPE_ID(r.resultType);
            row.AddNew();
        }
        return id;
    });
}

}  // namespace tz
