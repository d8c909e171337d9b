#include "analysis/OpenedTest.h"

#include "db/clsTEST_ADDITIVE.h"
#include "db/clsTEST_INFO.h"
#include "db/clsTEST_RESULT.h"

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

// Additives and points of the test, each read in one pass.
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

    clsTEST_RESULT result;
    result.setTest_Id(info.testId);
    result.ConnectX(connection);
    test.points.reserve(static_cast<std::size_t>(result.TotalPoints()));
    for (int i = 0; i < result.TotalPoints(); ++i) {
        i == 0 ? result.MoveFirst() : result.MoveNext();
        ResultPoint p;
        p.rampNo = static_cast<int>(std::lround(result.RAMP_NO()));
        p.rampStepNo = static_cast<int>(std::lround(result.RAMP_STEP_NO()));
        p.time = result.RESULT_TIME();
        p.sampleTemp = result.RESULT_SAMPLE_TEMP();
        p.press = result.RESULT_PRESS();
        p.shearRate = result.RESULT_SHEAR_RATE();
        p.shearStress = result.RESULT_SHEAR_STRESS();
        p.typeId = static_cast<int>(std::lround(result.RESULT_TYPE_ID()));
        p.bathTemp = result.RESULT_BATH_TEMP();
        test.points.push_back(p);
    }
    return test;
}

}  // namespace

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
