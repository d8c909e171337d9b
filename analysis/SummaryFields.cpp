#include "analysis/SummaryFields.h"

#include "analysis/ResultsHeading.h"

#include <QJsonArray>

namespace tz {

namespace {

SummaryField number(const QString& key, const QString& heading, std::optional<double> v, int decimals) {
    if (!v) return {key, heading, QVariant(), QString()};
    return {key, heading, *v, QString::number(*v, 'f', decimals)};
}

SummaryField flag(const QString& key, const QString& heading, std::optional<bool> v) {
    if (!v) return {key, heading, QVariant(), QString()};
    return {key, heading, *v, *v ? QStringLiteral("yes") : QStringLiteral("no")};
}

QString rateText(double rate) { return QString::number(rate, 'g', 6); }

const RampSummary* rampOf(const TestSummary& s, int ramp) {
    for (const RampSummary& r : s.ramps)
        if (r.result.ramp == ramp) return &r;
    return nullptr;
}

std::optional<double> viscosity(const std::optional<SummaryPoint>& p) {
    return p ? std::optional(p->viscosity) : std::nullopt;
}
std::optional<double> temp(const std::optional<SummaryPoint>& p) {
    return p ? std::optional(p->temp) : std::nullopt;
}

}  // namespace

QString temperatureUnit(const Settings& s) {
    return s.unitSystem == UnitSI ? QStringLiteral("°C") : QStringLiteral("°F");
}

int lastSummaryRamp(const TestSummary& s) {
    int last = 0;
    for (const RampSummary& r : s.ramps) last = std::max(last, r.result.ramp);
    return last;
}

QList<SummaryField> summaryFields(const TestSummary& s, const Settings& settings, int lastRamp) {
    const QString t = temperatureUnit(settings);
    const QString k = kUnitText(kUnitFor(settings));
    QList<SummaryField> f{
        number("threshold_cp", "Threshold (cP)", s.thresholdCp, 0),
        number("step_points", "Step points", s.stepPoints, 0),
        number("peak_viscosity_cp", "Peak viscosity (cP)", viscosity(s.peak), 0),
        number("peak_time_min", "Peak time (min)", s.peak ? std::optional(s.peak->timeMin) : std::nullopt, 1),
        number("peak_temp", "Temp at peak (" + t + ")", temp(s.peak), 1),
        number("final_viscosity_cp", "Final viscosity (cP)", viscosity(s.final), 0),
        number("final_temp", "Final temp (" + t + ")", temp(s.final), 1),
        number("minutes_above_threshold", "Time at or above threshold (min)", s.minutesAbove, 1),
        number("break_time_min", "Break time (min)", s.breakTimeMin, 1),
        number("max_temp", "Max sample temp (" + t + ")", s.maxTemp, 1),
        number("minutes_near_max_temp", "Time within 5 °F of max temp (min)", s.minutesNearMaxTemp, 1),
    };
    for (int d = 1; d <= lastRamp; ++d) {
        const RampSummary* r = rampOf(s, d);
        const QString p = QStringLiteral("ramp%1_").arg(d);
        const QString h = QStringLiteral("Ramp %1 ").arg(d);
        const bool fitted = r && !r->result.rejected;
        f << number(p + "n_prime", h + "n'", r ? std::optional(r->result.nPrime) : std::nullopt, 4)
          << number(p + "k_prime", h + "K' (" + k + ")", fitted ? std::optional(r->result.kPrime) : std::nullopt, 6)
          << number(p + "k_pipe", h + "K'pipe (" + k + ")", r ? r->kPipe : std::nullopt, 6)
          << SummaryField{p + "rate_range", h + "measured rates (1/s)", QVariant(),
                          r ? rateText(r->minRate) + " - " + rateText(r->maxRate) : QString()};
        for (int i = 0; i < 3; ++i) {
            const auto ii = static_cast<std::size_t>(i);
            const QString rate = rateText(settings.shearRates[ii]);
            f << number(p + QStringLiteral("visc%1_cp").arg(i + 1), h + "visc @" + rate + " 1/s (cP)",
                        fitted ? std::optional(r->result.visc[ii]) : std::nullopt, 0)
              << flag(p + QStringLiteral("visc%1_extrapolated").arg(i + 1),
                      h + "@" + rate + " 1/s extrapolated", r ? std::optional(r->extrapolated[ii]) : std::nullopt);
        }
    }
    return f;
}

QJsonObject summaryJson(const TestSummary& s, const Settings& settings) {
    QJsonObject o;
    for (const SummaryField& f : summaryFields(s, settings, 0))
        o.insert(f.key, QJsonValue::fromVariant(f.value));
    o.insert("units", QJsonObject{{"temperature", temperatureUnit(settings)},
                                  {"k", kUnitText(kUnitFor(settings))},
                                  {"viscosity", "cP"},
                                  {"time", "min"},
                                  {"shear_rate", "1/s"}});
    QJsonArray ramps;
    for (const RampSummary& r : s.ramps) {
        QJsonObject ro{{"ramp", r.result.ramp},
                       {"rejected", r.result.rejected},
                       {"n_prime", r.result.nPrime},
                       {"min_rate", r.minRate},
                       {"max_rate", r.maxRate}};
        ro.insert("k_prime", r.result.rejected ? QJsonValue() : QJsonValue(r.result.kPrime));
        ro.insert("k_pipe", r.kPipe ? QJsonValue(*r.kPipe) : QJsonValue());
        QJsonArray at;
        for (int i = 0; i < 3; ++i) {
            const auto ii = static_cast<std::size_t>(i);
            at.append(QJsonObject{
                {"rate", settings.shearRates[ii]},
                {"viscosity_cp", r.result.rejected ? QJsonValue() : QJsonValue(r.result.visc[ii])},
                {"extrapolated", r.extrapolated[ii]}});
        }
        ro.insert("calculation_rates", at);
        ramps.append(ro);
    }
    o.insert("ramps", ramps);
    return o;
}

}  // namespace tz
