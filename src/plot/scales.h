#pragma once
// Plot coordinates: the surface is 65536 x 65536 plot units, origin top-left,
// Y downwards, 8 divisions of 8192 units each way; zero voltage and zero
// current are the bottom-left corner. Conversions between (anode voltage,
// anode current) and plot positions use the scales in force (PlotScales).

#include "core/curve_store.h"

namespace zov {

constexpr float kPlotSize = 65536.0F;
constexpr float kDivisionUnits = 8192.0F;

// Each computes in double precision and rounds to float once, on the result.
float UaToX(const PlotScales& scales, float ua);     // V -> X
float IaToY(const PlotScales& scales, float iaMa);   // mA -> Y
float XToUa(const PlotScales& scales, float x);      // X -> V
float YToIa(const PlotScales& scales, float y);      // Y -> mA

// The scale update of the central refresh: a non-zero numeric value of a
// selector text becomes the scale; zero or non-numeric text keeps the previous
// one. Then the units per volt and per mA are recomputed.
void updateScales(PlotScales& scales, std::string_view voltsPerDivText, std::string_view maPerDivText);

}  // namespace zov
