#pragma once
// The fluids tz360-sim --fluid knows, by name: "gel" (the classic crosslinked
// gel, the default), "newtonian:CP", "guar", "borate", "zirconate"; each but
// "gel" optionally with a breaker (--breaker RATE, per hour at 150 °F).
#include "sim/fluids/Fluid.h"

#include <QString>
#include <memory>
#include <optional>

namespace tz::sim::fluids {

struct FluidChoice {
    // Null for the classic gel: the unit then keeps its original fluid model.
    std::shared_ptr<const Fluid> fluid;
};

// breakerPerHour 0: no breaker. nullopt with *error set for a name it does
// not know, a viscosity that is not a positive number, or a breaker that is
// negative or given to the classic gel.
std::optional<FluidChoice> makeFluid(const QString& name, double breakerPerHour, QString* error);

// One line naming the accepted fluids, for messages and --help.
QString fluidNamesHelp();

}  // namespace tz::sim::fluids
