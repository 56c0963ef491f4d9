#pragma once
// Plot coordinates: the surface is 65536 x 65536 plot units, origin top-left,
// Y downwards, 8 divisions of 8192 units each way; zero voltage and zero
// current are the bottom-left corner. Conversions between (anode voltage,
// anode current) and plot positions use the scales held in the Workspace.

#include "core/curve_store.h"

namespace zov {

constexpr float kPlotSize = 65536.0F;
constexpr float kDivisionUnits = 8192.0F;

// Each computes in double precision and rounds to float once, on the result.
float UaToX(const Workspace& ws, float ua);     // V -> X
float IaToY(const Workspace& ws, float iaMa);   // mA -> Y
float XToUa(const Workspace& ws, float x);      // X -> V
float YToIa(const Workspace& ws, float y);      // Y -> mA

// The scale update of the central refresh: a non-zero numeric value of a
// selector text becomes the scale; zero or non-numeric text keeps the previous
// one. Then the units per volt and per mA are recomputed.
void updateScales(Workspace& ws, std::string_view voltsPerDivText, std::string_view maPerDivText);

}  // namespace zov
