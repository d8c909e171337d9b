#include "testinfo/TestInfoFields.h"

#include "app/NumberFormat.h"
#include "db/clsTEST_INFO.h"

namespace tz {

void setDescriptiveColumns(clsTEST_INFO& info, const TestInfoFields& fields) {
    info.setFluid_ID(fields.fluidId);
    info.setRESEARCHER_NAME(fields.researcher);
    info.setPreTest_PH(val(fields.preTestPH));
    info.setPostTest_PH(val(fields.postTestPH));
    info.setROTOR_NO(fields.rotorNo);
    info.setBOB_NO(fields.bobNo);
    info.setBOB_EFF_LENGTH(val(fields.bobLength));
    info.setBOB_RADIUS(val(fields.bobRadius));
    info.setSAFETY(fields.description);
}

TestInformation toTestInformation(const TestInfoFields& f) {
    TestInformation info;
    info.testName = f.testName;
    info.fluidId = f.fluidId;
    info.researcherName = f.researcher;
    info.rotorNo = f.rotorNo;
    info.bobNo = f.bobNo;
    info.bobRadiusCm = val(f.bobRadius);
    info.bobEffLengthCm = val(f.bobLength);
    info.preTestPh = val(f.preTestPH);
    info.postTestPh = val(f.postTestPH);
    info.safety = f.description;
    return info;
}

QList<AdditiveEntry> toAdditiveEntries(const QList<AdditiveRow>& rows) {
    QList<AdditiveEntry> entries;
    for (const AdditiveRow& row : rows) {
        if (row.name.isEmpty() || entries.size() == kAdditiveRows) break;
        entries.append({row.name, val(row.concentration), row.unit, row.lotNumber});
    }
    return entries;
}

}  // namespace tz
