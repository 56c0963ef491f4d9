#pragma once
// The plot's frame of reference: the 8 x 8 division grid with its axis values,
// and the anode-dissipation limit hyperbola.

#include "plot/axis_label_sink.h"
#include "render/surface.h"
#include "core/curve_store.h"

namespace zov {

// Draws the grid lines (none at X = 0 or Y = 0) in RGB(0, 128, 0) and places
// the 9 label pairs: i x voltsPerDiv and i x maPerDiv - scales.DiffOffsetMa,
// "##0.0". Restores the surface's colour.
void DrawGrid(Surface& surface, const PlotScales& scales, AxisLabelSink& labels, float maPerDiv,
              float voltsPerDiv);

// Draws the hyperbola Ua x Ia = pdW in red, sampled every 20 plot units, from
// its entry at the top edge down to the right edge; nothing when the entry
// would lie beyond 6,500,000 units. Restores the surface's colour.
void DrawPowerLimit(Surface& surface, const PlotScales& scales, float pdW);

}  // namespace zov
