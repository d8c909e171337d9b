#include "analysis/OpenedTest.h"

#include "db/clsTEST_ADDITIVE.h"
#include "db/clsTEST_INFO.h"
#include "db/TestResultColumns.h"

#include <cmath>

namespace tz {

namespace {

TestInfoValues infoValues(const clsTEST_INFO& info) {
    TestInfoValues v;
    v.testId = static_cast<int>(std::lround(info.Test_Id()));
    v.name = info.TEST_NAME();
    v.fluidId = info.Fluid_ID();
    v.time = info.TEST_TIME();
    v.researcher = info.RESEARCHER_NAME();
    v.rotorNo = info.ROTOR_NO();
    v.bobNo = info.BOB_NO();
    v.bobRadius = info.BOB_RADIUS();
    v.bobEffLength = info.BOB_EFF_LENGTH();
    v.preTestPh = info.PreTest_PH();
    v.postTestPh = info.PostTest_PH();
    v.description = info.All().value(11).toString();
    return v;
}

// Additives and points of the test, each read in one pass; the points by
// column, not through the record class's rows.
OpenedTest loadRest(clsConnection& connection, const TestInfoValues& info) {
    OpenedTest test;
    test.info = info;

    clsTEST_ADDITIVE additive;
    additive.setTESTId(info.testId);
    additive.ConnectX(connection);
    for (int i = 0; i < additive.rowCount(); ++i) {
        i == 0 ? additive.MoveFirst() : additive.MoveNext();
        test.additives.append({additive.ADDITIVE_NM(), additive.ADD_CONCEN(), additive.ADD_UNIT(),
                               additive.ADD_LOTNO()});
    }

    test.points = resultPoints(readTestResultColumns(connection, info.testId));
    return test;
}

}  // namespace

std::vector<ResultPoint> resultPoints(const TestResultColumns& c) {
    std::vector<ResultPoint> points(c.size());
    for (std::size_t i = 0; i < c.size(); ++i) {
        ResultPoint& p = points[i];
        p.rampNo = static_cast<int>(std::lround(c.rampNo[i]));
        p.rampStepNo = static_cast<int>(std::lround(c.rampStepNo[i]));
        p.time = c.time[i];
        p.sampleTemp = c.sampleTemp[i];
        p.press = c.press[i];
        p.shearRate = c.shearRate[i];
        p.shearStress = c.shearStress[i];
        p.typeId = static_cast<int>(std::lround(c.typeId[i]));
        p.bathTemp = c.bathTemp[i];
    }
    return points;
}

std::optional<OpenedTest> loadTest(clsConnection& connection, int testId) {
    clsTEST_INFO info;
    info.setTest_Id(testId);
    info.ConnectX4(connection);
    if (info.rowCount() == 0) return std::nullopt;
    info.MoveFirst();
    return loadRest(connection, infoValues(info));
}

std::optional<OpenedTest> loadTestByName(clsConnection& connection, const QString& name) {
    clsTEST_INFO info;
    info.ConnectX(connection);
    info.setTEST_NAME(name);
    info.GetTestDetail();
    if (info.Eof() || info.rowCount() == 0) return std::nullopt;
    return loadRest(connection, infoValues(info));
}

}  // namespace tz
