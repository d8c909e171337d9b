// A shear ramp of the simulated fluid, read through the status frames with a
// non-reference bob, gives back the fluid's own n' and K' by the log-log fit.
#include "app/NumericHelpers.h"
#include "instrument/ProtocolCodec.h"
#include "instrument/StatusFrameReader.h"
#include "instrument/UnitFactors.h"
#include "sim/SimulatedUnit.h"

#include <QTest>
#include <cmath>
#include <vector>

using namespace tz;

class TestSimulatedFluidFit : public QObject {
    Q_OBJECT
private slots:
    void rampFitRecoversTheFluid_data() {
        QTest::addColumn<double>("tempF");
        QTest::addColumn<double>("bobRadius");
        QTest::addColumn<double>("bobLength");
        QTest::newRow("150 F, reference bob") << 150.0 << 1.5987 << 7.62;
        QTest::newRow("150 F, narrow short bob") << 150.0 << 1.2276 << 3.81;
        QTest::newRow("250 F, narrow short bob") << 250.0 << 1.2276 << 3.81;
    }
    void rampFitRecoversTheFluid() {
        QFETCH(double, tempF);
        QFETCH(double, bobRadius);
        QFETCH(double, bobLength);
        sim::Options o;
        o.noise = false;
        o.preloadStoredRun = false;
        o.bobRadiusCm = bobRadius;
        o.bobLengthCm = bobLength;
        sim::SimulatedUnit unit(o);
        const UnitFactors factors = *unitFactorsForBob(bobRadius, bobLength);
        StatusFrameReader reader;
        reader.setFactors(factors);

        unit.feed(proto::setPoint(tempF, 100, factors.shearRateFactor));
        unit.advance(3600);  // let the sample settle at temperature
        const double ageAtStart = unit.fluidAgeS();

        std::vector<double> logRate, logStress;
        for (double rate : {170.0, 100.0, 70.0, 40.0}) {
            unit.feed(proto::setPoint(tempF, rate, factors.shearRateFactor));
            unit.advance(20);
            const auto r = reader.read(unit.feed(proto::statusPoll()));
            QCOMPARE(r.frames.size(), 1);
            logRate.push_back(Log10(r.frames.first().shearRate));
            logStress.push_back(Log10(r.frames.first().shearStress));
        }
        const double ageMid = (ageAtStart + unit.fluidAgeS()) / 2;

        double n = 0, b = 0, rr = 0;
        QVERIFY(lineFit(logRate, logStress, n, b, rr));
        const double k = std::pow(10.0, b);
        const double expectedN = unit.fluid().flowIndex;
        const double expectedK = unit.fluid().consistency(unit.sampleTempF(), ageMid);
        QVERIFY2(std::fabs(n / expectedN - 1) < 0.01, qPrintable(QString("n' %1").arg(n)));
        QVERIFY2(std::fabs(k / expectedK - 1) < 0.01,
                 qPrintable(QString("K' %1, model %2").arg(k).arg(expectedK)));
        QVERIFY(rr > 0.999);
    }

    void gelThinsWithTemperatureAndTime() {
        const auto gel = sim::PowerLawFluid::crosslinkedGel();
        QVERIFY(std::fabs(gel.viscosityCp(170, 150, 0) - 100) < 0.5);
        QVERIFY(gel.viscosityCp(170, 250, 0) < gel.viscosityCp(170, 150, 0) / 2);
        const double hourLater = gel.viscosityCp(170, 150, 3600);
        QVERIFY(hourLater < 100 && hourLater > 85);
    }
};

QTEST_APPLESS_MAIN(TestSimulatedFluidFit)
#include "tst_simulatedfluidfit.moc"
