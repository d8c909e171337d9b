#include "testinfo/StoredTestInfo.h"

#include "app/NumberFormat.h"
#include "db/DbError.h"
#include "db/TestFieldLimits.h"
#include "db/Transaction.h"
#include "db/clsConnection.h"
#include "db/clsTEST_ADDITIVE.h"
#include "db/clsTEST_INFO.h"

namespace tz {

namespace {

// Loads the row of testId into info; false when there is none. A test stored
// without a start time keeps the "no time" marker, so Update stores NULL
// again instead of the time of the edit.
bool loadById(clsConnection& connection, clsTEST_INFO& info, int testId) {
    info.setTest_Id(testId);
    info.ConnectX4(connection);
    info.MoveFirst();
    if (info.Eof()) return false;
    const QList<QVariantList> raw = info.UsedName();
    if (raw.size() > 3 && !raw[3].isEmpty() && raw[3][0].isNull())
        info.setTEST_TIME(clsTEST_INFO::noTimeSentinel());
    return true;
}

QString text(const QVariant& v) { return v.toString(); }

}  // namespace

std::optional<StoredTestInfo> loadStoredTestInfo(clsConnection& connection, int testId) {
    clsTEST_INFO info;
    if (!loadById(connection, info, testId)) return std::nullopt;
    const QVariantList all = info.All();
    StoredTestInfo stored;
    TestInfoFields& f = stored.fields;
    f.testName = text(all[1]);
    f.fluidId = text(all[2]);
    f.researcher = text(all[4]);
    f.rotorNo = text(all[5]);
    f.bobNo = text(all[6]);
    f.bobRadius = text(all[7]);
    f.bobLength = text(all[8]);
    f.preTestPH = text(all[9]);
    f.postTestPH = text(all[10]);
    f.description = text(all[11]);
    f.testDate.clear();
    if (info.TEST_TIME() != clsTEST_INFO::noTimeSentinel()) stored.time = info.TEST_TIME();

    clsTEST_ADDITIVE additive;
    additive.setTESTId(testId);
    additive.ConnectX(connection);
    for (additive.MoveFirst(); !additive.Eof(); additive.MoveNext()) {
        const QVariantList a = additive.All();
        stored.additives.append({text(a[2]), numberText(a[3].toDouble()), text(a[4]), text(a[5])});
    }
    return stored;
}

bool updateStoredTestInfo(clsConnection& connection, int testId, const TestInfoFields& fields,
                          const QList<AdditiveRow>& additives) {
    // Texts that do not fit their columns are refused before anything changes.
    if (const std::optional<QString> problem =
            editedTestFieldProblem(toTestInformation(fields), toAdditiveEntries(additives)))
        throw DbError(*problem);
    // A test deleted meanwhile changes nothing: the empty transaction is kept.
    return inTransaction(connection, [&] {
        clsTEST_INFO info;
        if (!loadById(connection, info, testId))
            return false;
        setDescriptiveColumns(info, fields);
        info.Update();

        clsTEST_ADDITIVE additive;
        additive.setTESTId(testId);
        additive.ConnectX(connection);
        additive.Delete();
        int written = 0;
        for (const AdditiveRow& row : additives) {
            if (row.name.isEmpty() || written == kAdditiveRows) break;
            additive.setTESTId(testId);
            additive.setADDITIVE_NM(row.name);
            additive.setADD_CONCEN(val(row.concentration));
            additive.setADD_UNIT(row.unit);
            additive.setADD_LOTNO(row.lotNumber);
            additive.AddNew();
            ++written;
        }
        return true;
    });
}

}  // namespace tz
