#include "analysis/ChartRows.h"

#include "db/clsTEST_INFO.h"
#include "db/clsTEST_RESULT.h"

#include <algorithm>

namespace tz {

std::vector<ChartRow> chartRows(clsTEST_RESULT& results)
{
    std::vector<ChartRow> rows;
    rows.reserve(static_cast<size_t>(std::max(0, results.TotalPoints())));
    for (results.MoveFirst(); !results.Eof(); results.MoveNext()) {
        rows.push_back({results.RESULT_TIME(), results.RESULT_SAMPLE_TEMP(), results.RESULT_BATH_TEMP(),
                        results.RESULT_SHEAR_RATE(), results.RESULT_SHEAR_STRESS(),
                        qRound(results.RESULT_TYPE_ID())});
    }
    return rows;
}

std::vector<ChartRow> loadChartRows(clsConnection& connection, int testId)
{
    clsTEST_RESULT results;
    results.setTest_Id(testId);
    results.ConnectX(connection);
    return chartRows(results);
}

int testIdByName(clsConnection& connection, const QString& name)
{
    clsTEST_INFO info;
    info.ConnectX(connection);
    info.setTEST_NAME(name);
    info.GetTestDetail();
    if (info.Eof() || info.IsEmpty()) return 0;
    return qRound(info.Test_Id());
}

}  // namespace tz
