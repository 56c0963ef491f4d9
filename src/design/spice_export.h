#pragma once
// A fitted tube model as a SPICE subcircuit that ngspice and LTspice both
// read: behavioural current sources (B elements) whose expressions are those
// of core/tube_models.h, numbers written in full so that the simulator
// computes the same currents as this program.
//
// Pins: triode  A G K      (anode, grid, cathode)
//       pentode A S G K    (anode, screen, grid, cathode; Koren's order)
// The screen current of the pentode models uses kg2 (and alphaS) as given,
// not fitted: an anode family does not hold the screen current.

#include "design/tube_fit.h"

#include <string>
#include <string_view>

namespace zov {

// `name` becomes the subcircuit name with every character other than a letter,
// a digit, "_" or "-" replaced by "_" (empty: "TUBE"). `sourceFile` is named in
// the comment header (its folder is left out).
std::string spiceSubcircuit(const FitResult& fit, std::string_view name, std::string_view sourceFile);

// The subcircuit name spiceSubcircuit uses for `name`.
std::string spiceName(std::string_view name);

// A number in the shortest form that reads back to the same double, with "."
// whatever the locale.
std::string spiceNumber(double value);

}  // namespace zov
