#include "testinfo/TestDeletion.h"

#include "db/Transaction.h"
#include "db/clsConnection.h"
#include "db/clsTEST_ADDITIVE.h"
#include "db/clsTEST_INFO.h"
#include "db/clsTEST_RESULT.h"

#include <cmath>

namespace tz {

int deleteTestByName(clsConnection& connection, const QString& name) {
    clsTEST_INFO info;
    clsTEST_RESULT result;
    clsTEST_ADDITIVE additive;
    info.ConnectX(connection);
    info.setTEST_NAME(name);
    info.GetTestDetail();
    // Two tests may share a name: each row's points and additives go too.
    QList<int> ids;
    for (int i = 0; i < info.rowCount(); ++i) {
        i == 0 ? info.MoveFirst() : info.MoveNext();
        ids << static_cast<int>(std::lround(info.Test_Id()));
    }
    if (ids.isEmpty()) return 0;

    // Bound with an id no test has, so binding reads no points.
    result.setTest_Id(-1);
    result.ConnectX(connection);
    additive.setTESTId(-1);
    additive.ConnectX(connection);

    inTransaction(connection, [&] {
        for (int id : ids) {
            result.setTest_Id(id);
            result.Delete();
            additive.setTESTId(id);
            additive.Delete();
        }
        info.setTEST_NAME(name);
        info.Delete();
    });
    return static_cast<int>(ids.size());
}

}  // namespace tz
