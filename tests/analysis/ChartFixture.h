#pragma once
// A small hand-made test: four points whose viscosities, converted stresses
// and temperatures are easy to work out by hand, stored through the record
// classes when a test needs them in a database.
#include "analysis/ChartData.h"
#include "db/clsTEST_INFO.h"
#include "db/clsTEST_RESULT.h"

#include <QDateTime>
#include <vector>

namespace chartfixture {

// time s, sample °F, bath °F, rate 1/s, stress dyn/cm2, type.
// Stresses are multiples of 4.788 so EI values are round (10, 20, 5 lb/100ft2);
// 122 °F = 50 °C, 212 °F = 100 °C.
inline std::vector<tz::ChartRow> rows()
{
    return {
        {0, 77, 80, 0, 0, 0},            // rotor standing: viscosity 0
        {60, 122, 125, 100, 47.88, 0},   // 47.88 cP
        {120, 212, 215, 170, 95.76, 1},  // ramp point
        {180, 212, 214, 40, 23.94, 1},   // ramp point, lower rate recorded later
    };
}

// Stores a TEST_INFO row and the points; returns the TEST_ID.
inline int store(clsConnection& connection, const QString& name, const std::vector<tz::ChartRow>& points)
{
    clsTEST_INFO info;
    info.ConnectX(connection);
    info.setTEST_NAME(name);
    info.setTEST_TIME(QDateTime(QDate(2026, 3, 1), QTime(9, 0)));
    info.setBOB_RADIUS(1.7245);
    info.AddNew();
    info.GetTestDetail();
    const int id = qRound(info.Test_Id());
    clsTEST_RESULT results;
    results.setTest_Id(id);
    results.ConnectX(connection);
    int ramp = 1;
    for (const tz::ChartRow& r : points) {
        results.setTest_Id(id);
        results.setRAMP_NO(ramp);
        results.setRAMP_STEP_NO(r.typeId);
        results.setRESULT_TIME(r.time);
        results.setRESULT_SAMPLE_TEMP(r.sampleTemp);
        results.setRESULT_BATH_TEMP(r.bathTemp);
        results.setRESULT_PRESS(400);
        results.setRESULT_SHEAR_RATE(r.shearRate);
        results.setRESULT_SHEAR_STRESS(r.shearStress);
        results.setRESULT_TYPE_ID(r.typeId);
        results.AddNew();
    }
    return id;
}

}  // namespace chartfixture
