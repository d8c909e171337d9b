// The fluid models of the simulated unit as a lab would check them: a shear
// ramp read through the status frames and fitted by the workstation's own
// ramp analysis gives back each model's n' and K' (worked by hand from the
// parameters in the README table); a borate gel thins when hot and recovers
// when cooled, a zirconate gel sheared hard does not; a breaker's half-life
// follows its rate; the same seed gives the same frames.
#include "analysis/RampAnalysis.h"
#include "app/Settings.h"
#include "instrument/ProtocolCodec.h"
#include "instrument/StatusFrameReader.h"
#include "instrument/UnitFactors.h"
#include "sim/SimulatedUnit.h"
#include "sim/fluids/BorateGel.h"
#include "sim/fluids/Breaker.h"
#include "sim/fluids/FluidFactory.h"
#include "sim/fluids/NewtonianOil.h"
#include "sim/fluids/ZirconateGel.h"

#include <QProcess>
#include <QTest>
#include <cmath>
#include <vector>

using namespace tz;

namespace {

constexpr double kReferenceBob = 1.5987, kReferenceLength = 7.62;
constexpr double kNarrowBob = 1.2276, kNarrowLength = 3.81;

sim::Options optionsFor(const QString& fluid, double breaker = 0, double bobRadius = kReferenceBob,
                        double bobLength = kReferenceLength) {
    QString error;
    const auto choice = sim::fluids::makeFluid(fluid, breaker, &error);
    if (!choice) qFatal("%s", qPrintable(error));
    sim::Options o;
    o.noise = false;
    o.preloadStoredRun = false;
    o.bobRadiusCm = bobRadius;
    o.bobLengthCm = bobLength;
    o.fluidModel = choice->fluid;
    o.pressureFollowsTemperature = true;
    return o;
}

// A unit running a test with the workstation's reading of its frames.
struct Bench {
    sim::SimulatedUnit unit;
    UnitFactors factors;
    StatusFrameReader reader;
    double tempF = 75;

    explicit Bench(const sim::Options& o)
        : unit(o), factors(*unitFactorsForBob(o.bobRadiusCm, o.bobLengthCm)) {
        reader.setFactors(factors);
    }
    void setPoint(double t, double rate) {
        tempF = t;
        unit.feed(proto::setPoint(t, rate, factors.shearRateFactor));
    }
    StatusFrame poll() {
        const auto r = reader.read(unit.feed(proto::statusPoll()));
        if (r.frames.size() != 1) qFatal("expected one status frame");
        return r.frames.first();
    }
    double viscosityCp() {
        const StatusFrame f = poll();
        return 100.0 * f.shearStress / f.shearRate;
    }
};

}  // namespace

class TestSimulatedFluids : public QObject {
    Q_OBJECT
private slots:
    // Expected values worked by hand from the README table:
    //   guar K'(T) = 9 exp(-0.012 (T - 75)), n' 0.45;
    //   borate x = 1 / (1 + exp((T - 225) / 12)), n' = 0.45 - 0.05 x,
    //     ln K' = ln K'guar(T) + x (ln(60 exp(-0.004 (T - 150))) - ln K'guar(T));
    //   zirconate fully crosslinked K' = 45 exp(-0.004 (T - 200)), n' 0.48.
    // Kv from the Couette gap, s = 1.8415 / bob radius: the bob-wall rate of a
    // power-law fluid is 2w / (n (1 - s^(-2/n))) against 2w s^2 / (s^2 - 1)
    // for a Newtonian one, so Kv = K' (ratio of the two)^n'.
    void rampGivesTheModelsPowerLaw_data() {
        QTest::addColumn<QString>("fluid");
        QTest::addColumn<double>("tempF");
        QTest::addColumn<double>("bobRadius");
        QTest::addColumn<double>("bobLength");
        QTest::addColumn<double>("n");
        QTest::addColumn<double>("kPrime");
        QTest::addColumn<double>("kv");
        QTest::newRow("oil 250 cP, 150 F") << "newtonian:250" << 150.0 << kReferenceBob << kReferenceLength
                                           << 1.0 << 2.5 << 2.5;
        QTest::newRow("oil 250 cP, 150 F, narrow bob") << "newtonian:250" << 150.0 << kNarrowBob << kNarrowLength
                                                       << 1.0 << 2.5 << 2.5;
        QTest::newRow("guar, 120 F") << "guar" << 120.0 << kReferenceBob << kReferenceLength
                                     << 0.45 << 5.2447 << 5.6356;
        QTest::newRow("guar, 120 F, narrow bob") << "guar" << 120.0 << kNarrowBob << kNarrowLength
                                                 << 0.45 << 5.2447 << 6.2538;
        QTest::newRow("borate, 150 F") << "borate" << 150.0 << kReferenceBob << kReferenceLength
                                       << 0.40010 << 59.6775 << 64.5096;
        QTest::newRow("borate, 150 F, narrow bob") << "borate" << 150.0 << kNarrowBob << kNarrowLength
                                                   << 0.40010 << 59.6775 << 72.0122;
        QTest::newRow("borate, 250 F, crosslinks mostly open") << "borate" << 250.0 << kReferenceBob
                                                               << kReferenceLength << 0.44446 << 1.6414 << 1.7649;
        QTest::newRow("zirconate, 250 F") << "zirconate" << 250.0 << kReferenceBob << kReferenceLength
                                          << 0.48 << 36.8429 << 39.4432;
        QTest::newRow("zirconate, 250 F, narrow bob") << "zirconate" << 250.0 << kNarrowBob << kNarrowLength
                                                      << 0.48 << 36.8429 << 43.5896;
    }
    void rampGivesTheModelsPowerLaw() {
        QFETCH(QString, fluid);
        QFETCH(double, tempF);
        QFETCH(double, bobRadius);
        QFETCH(double, bobLength);
        QFETCH(double, n);
        QFETCH(double, kPrime);
        QFETCH(double, kv);
        Bench b(optionsFor(fluid, 0, bobRadius, bobLength));
        b.setPoint(tempF, 100);
        b.unit.advance(3600);  // sample at temperature, crosslinks settled

        std::vector<ResultPoint> points;
        double t = 3600;
        for (double rate : {170.0, 100.0, 70.0, 40.0}) {
            b.setPoint(tempF, rate);
            b.unit.advance(20);
            t += 20;
            const StatusFrame f = b.poll();
            points.push_back({1, int(points.size()) + 1, t, f.sampleTempF, f.pressurePsi, f.shearRate, f.shearStress, 1, f.bathTempF});
        }
        Settings settings;
        settings.unitSystem = UnitCGS;
        settings.kPrimeUnit = 1;  // fit on stress, consistencies in dyn-s^n/cm2
        const auto r = analyseRamp(1, points, points.back(), bobRadius, settings);
        QVERIFY(r && !r->rejected);
        auto near = [](double got, double want, double tol) { return std::fabs(got / want - 1) < tol; };
        QVERIFY2(near(r->nPrime, n, 0.01), qPrintable(QString("n' %1, by hand %2").arg(r->nPrime).arg(n)));
        QVERIFY2(near(r->kPrime, kPrime, 0.02),
                 qPrintable(QString("K' %1, by hand %2").arg(r->kPrime).arg(kPrime)));
        QVERIFY2(near(r->kv, kv, 0.02), qPrintable(QString("Kv %1, by hand %2").arg(r->kv).arg(kv)));
        QVERIFY(r->r2 > 0.999);
    }

    // Crosslinked fraction of a fresh sample held at 75 F: borate within a
    // minute (1 - e^-4 = 0.98 after 60 s), zirconate over minutes
    // (1 - e^-0.5 = 0.39 after 60 s, 1 - e^-3 = 0.95 after 6 min).
    void crosslinkingTakesItsTime() {
        sim::fluids::BorateGel borate;
        sim::fluids::ZirconateGel zirconate;
        for (int s = 0; s < 60; ++s) {
            borate.advance(1, 75, 100);
            zirconate.advance(1, 75, 100);
        }
        QVERIFY(std::fabs(borate.crosslinkedFraction() - 0.982) < 0.005);
        QVERIFY(std::fabs(zirconate.crosslinkedFraction() - 0.393) < 0.005);
        for (int s = 60; s < 360; ++s) zirconate.advance(1, 75, 100);
        QVERIFY(std::fabs(zirconate.crosslinkedFraction() - 0.950) < 0.005);
    }

    void borateThinsWhenHotAndRecoversWhenCooled() {
        Bench b(optionsFor("borate"));
        b.setPoint(150, 100);
        b.unit.advance(3600);
        const double cool = b.viscosityCp();
        QVERIFY2(cool > 250 && cool < 600, qPrintable(QString::number(cool)));  // a crosslinked gel
        b.setPoint(275, 100);
        b.unit.advance(3600);
        const double hot = b.viscosityCp();
        // By hand at 275 F: x = 0.0153, so close to the base guar's 10 cP there.
        QVERIFY2(hot < cool / 10, qPrintable(QString("%1 cP hot, %2 cP at 150 F").arg(hot).arg(cool)));
        b.setPoint(150, 100);
        b.unit.advance(3600);
        const double back = b.viscosityCp();
        QVERIFY2(std::fabs(back / cool - 1) < 0.01, qPrintable(QString("%1 cP after cooling, %2 before").arg(back).arg(cool)));
    }

    void zirconateLosesViscosityUnderHighShearForGood() {
        Bench b(optionsFor("zirconate"));
        b.setPoint(150, 100);
        b.unit.advance(1800);
        const double before = b.viscosityCp();
        b.setPoint(150, 170);  // a ramp's top rate does no harm
        b.unit.advance(120);
        b.setPoint(150, 100);
        b.unit.advance(60);
        QVERIFY(std::fabs(b.viscosityCp() / before - 1) < 0.005);
        b.setPoint(150, 600);  // twice the critical rate for two minutes: 1 - e^-2 of the crosslinks torn
        b.unit.advance(120);
        b.setPoint(150, 100);
        b.unit.advance(60);
        const double after = b.viscosityCp();
        QVERIFY2(after < before / 3, qPrintable(QString("%1 cP after shear, %2 before").arg(after).arg(before)));
        b.unit.advance(1800);  // rested at low shear: it does not heal
        QVERIFY(std::fabs(b.viscosityCp() / after - 1) < 0.005);
    }

    // Half-life = ln 2 / (rate x 2^((T - 150) / 18)) hours; rate 0.5 per hour:
    // 1.3863 h = 4990.7 s at 150 F, a quarter of that (1247.7 s) at 186 F.
    void breakerHalfLife_data() {
        QTest::addColumn<double>("tempF");
        QTest::addColumn<double>("halfLifeS");
        QTest::newRow("150 F") << 150.0 << 4990.7;
        QTest::newRow("186 F") << 186.0 << 1247.7;
    }
    void breakerHalfLife() {
        QFETCH(double, tempF);
        QFETCH(double, halfLifeS);
        sim::fluids::Breaker broken(std::make_unique<sim::fluids::NewtonianOil>(100), 0.5);
        const double fresh = sim::fluids::viscosityCp(broken.powerLaw(tempF), 100);
        QCOMPARE(fresh, 100.0);
        double t = 0;
        while (sim::fluids::viscosityCp(broken.powerLaw(tempF), 100) > fresh / 2 && t < 1e6) {
            broken.advance(0.5, tempF, 100);
            t += 0.5;
        }
        QVERIFY2(std::fabs(t - halfLifeS) <= 1.0, qPrintable(QString("half-life %1 s").arg(t)));
    }

    // In the cell: a borate gel with a breaker at 186 F keeps about 1/4 of its
    // viscosity after two half-lives (2495 s); without a breaker all of it.
    void breakerActsInTheCell() {
        Bench plain(optionsFor("borate"));
        Bench broken(optionsFor("borate", 0.5));
        for (Bench* b : {&plain, &broken}) {
            b->setPoint(186, 100);
            b->unit.advance(3600);
        }
        const double a0 = plain.viscosityCp(), b0 = broken.viscosityCp();
        plain.unit.advance(2495.3);
        broken.unit.advance(2495.3);
        const double ratio = (broken.viscosityCp() / b0) / (plain.viscosityCp() / a0);
        QVERIFY2(std::fabs(ratio - 0.25) < 0.005, qPrintable(QString::number(ratio)));
    }

    void sameSeedSamePoints() {
        auto run = [](unsigned seed) {
            sim::Options o = optionsFor("zirconate", 0.4);
            o.noise = true;
            o.seed = seed;
            sim::SimulatedUnit unit(o);
            const UnitFactors f = *unitFactorsForBob(o.bobRadiusCm, o.bobLengthCm);
            unit.feed(proto::setPoint(200, 100, f.shearRateFactor));
            QByteArray frames;
            for (int s = 0; s < 600; ++s) {
                unit.advance(1);
                frames += unit.feed(proto::statusPoll());
            }
            return frames;
        };
        const QByteArray first = run(7);
        QCOMPARE(run(7), first);
        QVERIFY(run(8) != first);
    }

    // Gas law from 500 psi at 75 F: (514.7 x 709.67 / 534.67) - 14.7 = 668 psi at 250 F.
    // The classic gel keeps its fixed pressure, as before.
    void pressureFollowsTemperature() {
        Bench named(optionsFor("guar"));
        sim::Options classic;
        classic.noise = false;
        classic.preloadStoredRun = false;
        Bench plain(classic);
        for (Bench* b : {&named, &plain}) {
            b->setPoint(250, 100);
            b->unit.advance(3600);
        }
        QCOMPARE(named.poll().pressurePsi, 668.0);
        QCOMPARE(plain.poll().pressurePsi, 500.0);
    }

    void fluidNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("breaker");
        QTest::addColumn<QString>("error");  // empty: accepted
        QTest::newRow("classic gel") << "gel" << 0.0 << "";
        QTest::newRow("oil") << "newtonian:350" << 0.0 << "";
        QTest::newRow("borate, breaker") << "Borate" << 0.4 << "";
        QTest::newRow("unknown") << "xanthan" << 0.0 << "unknown fluid \"xanthan\"";
        QTest::newRow("oil without viscosity") << "newtonian:" << 0.0 << "newtonian:CP needs a viscosity";
        QTest::newRow("oil of no viscosity") << "newtonian:0" << 0.0 << "newtonian:CP needs a viscosity";
        QTest::newRow("oil of nan viscosity") << "newtonian:nan" << 0.0 << "newtonian:CP needs a viscosity";
        QTest::newRow("negative breaker") << "guar" << -1.0 << "breaker rate";
        QTest::newRow("breaker on the classic gel") << "gel" << 0.5 << "breaks by itself";
    }
    void fluidNames() {
        QFETCH(QString, name);
        QFETCH(double, breaker);
        QFETCH(QString, error);
        QString got;
        const auto choice = sim::fluids::makeFluid(name, breaker, &got);
        QCOMPARE(choice.has_value(), error.isEmpty());
        if (!error.isEmpty()) QVERIFY2(got.contains(error), qPrintable(got));
    }

    void simulatorRefusesAnUnknownFluid() {
        QProcess sim;
        sim.start(qEnvironmentVariable("TZ360_SIM"), {"--fluid", "xanthan"});
        QVERIFY(sim.waitForFinished(10000));
        QCOMPARE(sim.exitCode(), 2);
        QVERIFY(sim.readAllStandardError().contains("unknown fluid \"xanthan\""));
    }
};

QTEST_GUILESS_MAIN(TestSimulatedFluids)
#include "tst_simulatedfluids.moc"
