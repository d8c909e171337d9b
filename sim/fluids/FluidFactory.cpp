#include "sim/fluids/FluidFactory.h"

#include "sim/fluids/BorateGel.h"
#include "sim/fluids/Breaker.h"
#include "sim/fluids/LinearGuar.h"
#include "sim/fluids/NewtonianOil.h"
#include "sim/fluids/ZirconateGel.h"

#include <cmath>

namespace tz::sim::fluids {

namespace {
constexpr double kMaxViscosityCp = 100000.0;
constexpr double kMaxBreakerPerHour = 1000.0;
}  // namespace

QString fluidNamesHelp() {
    return QStringLiteral("gel (default), newtonian:CP, guar, borate, zirconate");
}

std::optional<FluidChoice> makeFluid(const QString& name, double breakerPerHour, QString* error) {
    auto fail = [&](const QString& text) -> std::optional<FluidChoice> {
        if (error) *error = text;
        return std::nullopt;
    };
    if (!std::isfinite(breakerPerHour) || breakerPerHour < 0 || breakerPerHour > kMaxBreakerPerHour)
        return fail(QStringLiteral("breaker rate must be a number from 0 to %1 per hour").arg(kMaxBreakerPerHour));

    const QString n = name.trimmed().toLower();
    std::unique_ptr<Fluid> fluid;
    if (n == QLatin1String("gel")) {
        if (breakerPerHour > 0)
            return fail(QStringLiteral("the classic gel breaks by itself; choose guar, borate, zirconate or newtonian:CP for a breaker"));
        return FluidChoice{};
    } else if (n.startsWith(QLatin1String("newtonian:"))) {
        bool ok = false;
        const double cp = n.mid(10).toDouble(&ok);
        if (!ok || !std::isfinite(cp) || cp <= 0 || cp > kMaxViscosityCp)
            return fail(QStringLiteral("newtonian:CP needs a viscosity in cP above 0 and at most %1, not \"%2\"")
                            .arg(kMaxViscosityCp).arg(name.mid(10)));
        fluid = std::make_unique<NewtonianOil>(cp);
    } else if (n == QLatin1String("guar")) {
        fluid = std::make_unique<LinearGuar>();
    } else if (n == QLatin1String("borate")) {
        fluid = std::make_unique<BorateGel>();
    } else if (n == QLatin1String("zirconate")) {
        fluid = std::make_unique<ZirconateGel>();
    } else {
        return fail(QStringLiteral("unknown fluid \"%1\"; known fluids: %2").arg(name, fluidNamesHelp()));
    }
    if (breakerPerHour > 0) fluid = std::make_unique<Breaker>(std::move(fluid), breakerPerHour);
    return FluidChoice{std::shared_ptr<const Fluid>(std::move(fluid))};
}

}  // namespace tz::sim::fluids
