#include "db/TestList.h"

#include "db/clsTEST_INFO.h"

namespace tz {

QList<StoredTest> listTests(clsConnection& connection)
{
    clsTEST_INFO info;
    info.ConnectX(connection);
    const QList<QVariantList> columns = info.UsedName();
    QList<StoredTest> tests;
    if (columns.size() < 3)
        return tests;
    for (qsizetype row = 0; row < columns[0].size(); ++row) {
        StoredTest test;
        test.name = columns[0][row].toString();
        // A test whose start time was cleared (stored as NULL) has no time.
        if (!columns[1][row].isNull())
            test.time = columns[1][row].toDateTime();
        test.researcher = columns[2][row].toString();
        tests << test;
    }
    return tests;
}

}  // namespace tz
