#include "reports/PointsExport.h"

#include "analysis/ResultsHeading.h"
#include "analysis/SummaryFields.h"
#include "reports/CsvText.h"

#include <QJsonArray>
#include <QJsonObject>
#include <cmath>

namespace tz {

namespace {

constexpr double kAtRest = 0.00001;

double temp(double f, const Settings& s) { return s.unitSystem == UnitSI ? (f - 32.0) / 1.8 : f; }
double press(double psi, const Settings& s) { return s.unitSystem == UnitSI ? psi * 6.8948 : psi; }
QString pressUnit(const Settings& s) { return s.unitSystem == UnitSI ? QStringLiteral("kPa") : QStringLiteral("psi"); }

QString num(double v) { return std::isfinite(v) ? QString::number(v, 'g', 15) : QString(); }
QJsonValue json(double v) { return std::isfinite(v) ? QJsonValue(v) : QJsonValue(); }

QString timeText(const QDateTime& t) { return t.isValid() ? t.toString(Qt::ISODate) : QString(); }

}  // namespace

std::optional<double> pointViscosityCp(const ResultPoint& p) {
    if (!(p.shearRate >= kAtRest)) return std::nullopt;
    return 100.0 * p.shearStress / p.shearRate;
}

double exportTemperature(double fahrenheit, const Settings& s) { return temp(fahrenheit, s); }
double exportPressure(double psi, const Settings& s) { return press(psi, s); }
QString exportPressureUnit(const Settings& s) { return pressUnit(s); }

QString pointsCsv(const OpenedTest& test, const Settings& s) {
    const QString t = temperatureUnit(s);
    QString text = csvRecord({"Test name", "Test ID", "Fluid ID", "Test time", "Researcher",
                              "Ramp", "Step", "Type", "Time (s)", "Sample temp (" + t + ")",
                              "Bath temp (" + t + ")", "Pressure (" + pressUnit(s) + ")",
                              "Shear rate (1/s)", "Shear stress (dyn/cm2)", "Viscosity (cP)"});
    const TestInfoValues& i = test.info;
    const QStringList info{i.name, QString::number(i.testId), i.fluidId, timeText(i.time), i.researcher};
    for (const ResultPoint& p : test.points) {
        const auto v = pointViscosityCp(p);
        text += csvRecord(info + QStringList{QString::number(p.rampNo), QString::number(p.rampStepNo),
                                             QString::number(p.typeId), num(p.time), num(temp(p.sampleTemp, s)),
                                             num(temp(p.bathTemp, s)), num(press(p.press, s)), num(p.shearRate),
                                             num(p.shearStress), v ? num(*v) : QString()});
    }
    return text;
}

QJsonObject testJsonWithoutPoints(const OpenedTest& test, const Settings& s, double thresholdCp) {
    const TestInfoValues& i = test.info;
    QJsonObject root;
    root.insert("test", QJsonObject{{"name", i.name},
                                    {"test_id", i.testId},
                                    {"fluid_id", i.fluidId},
                                    {"time", i.time.isValid() ? QJsonValue(timeText(i.time)) : QJsonValue()},
                                    {"researcher", i.researcher},
                                    {"rotor_no", i.rotorNo},
                                    {"bob_no", i.bobNo},
                                    {"bob_radius_cm", json(i.bobRadius)},
                                    {"bob_eff_length_cm", json(i.bobEffLength)},
                                    {"pre_test_ph", json(i.preTestPh)},
                                    {"post_test_ph", json(i.postTestPh)},
                                    {"description", i.description}});
    QJsonArray additives;
    for (const AdditiveValues& a : test.additives)
        additives.append(QJsonObject{{"name", a.name},
                                     {"concentration", json(a.concentration)},
                                     {"unit", a.unit},
                                     {"lot_no", a.lotNo}});
    root.insert("additives", additives);
    root.insert("units", QJsonObject{{"time", "s"},
                                     {"temperature", temperatureUnit(s)},
                                     {"pressure", pressUnit(s)},
                                     {"shear_rate", "1/s"},
                                     {"shear_stress", "dyn/cm2"},
                                     {"viscosity", "cP"},
                                     {"k", kUnitText(kUnitFor(s))},
                                     {"ramp_time", "min"}});

    QJsonArray ramps;
    for (const RampResult& r : test.analyse(s).ramps) {
        QJsonObject o{{"ramp", r.ramp}, {"rejected", r.rejected}, {"time_min", json(r.timeMin)},
                      {"temperature", json(r.temp)}, {"pressure", json(r.press)}, {"n_prime", json(r.nPrime)},
                      {"kv", json(r.kv)}, {"r2", json(r.r2)}};
        o.insert("k_prime", r.rejected ? QJsonValue() : json(r.kPrime));
        o.insert("k_slot", r.rejected ? QJsonValue() : json(r.kSlot));
        QJsonArray visc;
        for (std::size_t k = 0; k < 3; ++k)
            visc.append(QJsonObject{{"rate", s.shearRates[k]},
                                    {"viscosity_cp", r.rejected ? QJsonValue() : json(r.visc[k])}});
        o.insert("viscosities", visc);
        ramps.append(o);
    }
    root.insert("ramps", ramps);
    root.insert("summary", summaryJson(summariseTest(test.points, i.bobRadius, s, thresholdCp), s));
    return root;
}

QJsonDocument pointsJson(const OpenedTest& test, const Settings& s, double thresholdCp) {
    QJsonObject root = testJsonWithoutPoints(test, s, thresholdCp);
    QJsonArray points;
    for (const ResultPoint& p : test.points) {
        const auto v = pointViscosityCp(p);
        points.append(QJsonObject{{"ramp", p.rampNo},
                                  {"step", p.rampStepNo},
                                  {"type", p.typeId},
                                  {"time_s", json(p.time)},
                                  {"sample_temp", json(temp(p.sampleTemp, s))},
                                  {"bath_temp", json(temp(p.bathTemp, s))},
                                  {"pressure", json(press(p.press, s))},
                                  {"shear_rate", json(p.shearRate)},
                                  {"shear_stress", json(p.shearStress)},
                                  {"viscosity_cp", v ? json(*v) : QJsonValue()}});
    }
    root.insert("points", points);
    return QJsonDocument(root);
}

}  // namespace tz
