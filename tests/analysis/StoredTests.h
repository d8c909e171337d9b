#pragma once
// Stores tests the way a finished run leaves them: a TEST_INFO row, its
// additives and its points, written through the record classes.
#include "analysis/RampAnalysis.h"
#include "db/clsConnection.h"
#include "db/clsTEST_ADDITIVE.h"
#include "db/clsTEST_INFO.h"
#include "db/clsTEST_RESULT.h"

#include <QSqlQuery>
#include <cmath>

namespace fixture {

struct Additive {
    QString name;
    double concentration;
    QString unit;
    QString lot;
};

// A hold point (type 0, 100 1/s, 200 cP) then five ramp points of
// stress = k rate^n (type 1) for each of `ramps` ramps, ramp d starting at
// d x 600 s, 212 °F, 500 psi.
inline std::vector<tz::ResultPoint> powerLawPoints(int ramps, double n, double k) {
    std::vector<tz::ResultPoint> rows;
    for (int d = 1; d <= ramps; ++d) {
        const double t = d * 600.0;
        rows.push_back({d, 0, t, 212, 500, 100, 200, 0, 210});
        int step = 1;
        for (double rate : {25.0, 50.0, 100.0, 200.0, 300.0}) {
            rows.push_back({d, step, t + step * 10, 212, 500, rate, k * std::pow(rate, n), 1, 210});
            ++step;
        }
    }
    return rows;
}

// Returns the new TEST_ID.
inline int storeTest(clsConnection& c, const QString& name, const std::vector<tz::ResultPoint>& points,
                     const QList<Additive>& additives = {}, double bobRadius = 1.5987,
                     const QDateTime& time = QDateTime(QDate(2026, 3, 1), QTime(8, 30)),
                     const QString& researcher = "J. Ortiz") {
    clsTEST_INFO info;
    info.ConnectX(c);
    info.SetDefaults();
    info.setTEST_NAME(name);
    info.setFluid_ID("WF130 gel");
    info.setTEST_TIME(time);
    info.setRESEARCHER_NAME(researcher);
    info.setBOB_RADIUS(bobRadius);
    info.setSAFETY("borate crosslinked");
    info.AddNew();
    QSqlQuery q(c.ADOConnection());
    q.exec("SELECT max(TEST_ID) FROM TEST_INFO");
    q.next();
    const int id = q.value(0).toInt();

    clsTEST_ADDITIVE add;
    add.setTESTId(id);
    add.ConnectX(c);
    for (const Additive& a : additives) {
        add.setTESTId(id);
        add.setADDITIVE_NM(a.name);
        add.setADD_CONCEN(a.concentration);
        add.setADD_UNIT(a.unit);
        add.setADD_LOTNO(a.lot);
        add.AddNew();
    }
    clsTEST_RESULT r;
    r.setTest_Id(id);
    r.ConnectX(c);
    c.ADOConnection().transaction();
    for (const tz::ResultPoint& p : points) {
        r.setTest_Id(id);
        r.setRAMP_NO(p.rampNo);
        r.setRAMP_STEP_NO(p.rampStepNo);
        r.setRESULT_TIME(p.time);
        r.setRESULT_SAMPLE_TEMP(p.sampleTemp);
        r.setRESULT_PRESS(p.press);
        r.setRESULT_SHEAR_RATE(p.shearRate);
        r.setRESULT_SHEAR_STRESS(p.shearStress);
        r.setRESULT_TYPE_ID(p.typeId);
        r.setRESULT_BATH_TEMP(p.bathTemp);
        r.AddNew();
    }
    c.ADOConnection().commit();
    return id;
}

}  // namespace fixture
