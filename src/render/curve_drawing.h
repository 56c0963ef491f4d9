#pragma once
// Drawing of curves and dots on the plot surface: a curve text (the TDF lines
// of a capture) with its grid-1 labels, one series held as a point array with
// its grid-voltage tag, and single dots. All positions are plot units; the
// scales are those in force (PlotScales).

#include "render/surface.h"
#include "core/curve_store.h"

#include <string>
#include <string_view>
#include <vector>

namespace zov {

// Sets the single point (x, y) in `colour` with draw mode `mode` and pen width
// `width` (mode and width rounded half to even), then restores the surface's
// colour, draw mode and pen width.
void PutDotXY(Surface& surface, Colour colour, float mode, float width, float x, float y);

// PutDotXY at the plot position of (u volts, iMa milliamperes).
void PutDotUI(Surface& surface, const PlotScales& scales, Colour colour, float mode, float width,
              float u, float iMa);

// Draws a curve text (TDF lines, currents in amperes) in the surface's current
// colour and pen width: one polyline per run of lines with the same grid-1
// field, labelled once with its grid-1 voltage where it first leaves the plot
// (right of x = 64000: at (63000, y + 1500); above the top: at (x, 100)) or
// else at its last point. (0, 0) points are skipped without breaking the
// polyline; an empty line ends the drawing.
void DrawCurveText(Surface& surface, const PlotScales& scales, std::string_view curveText);

// Draws one series (Points rows 0, 1, 2, 4: Ua V, Ia A, Vg1, Vg2) as a
// polyline through its non-empty points with the given attributes (mode,
// style and width rounded half to even), tagged once with its grid voltages
// ("-2.5[250]", "-2.") when showLabel is set: at (60000, y + 500) where it
// leaves through the right margin, at (x, 100) where it leaves through the top,
// else at its end. Restores the surface's colour, mode, style and width.
void PlotSeries(Surface& surface, const PlotScales& scales, Colour colour, float mode, float style,
                float width, const std::vector<PointColumn>& points, bool showLabel);

// The tag text of a series: Vg1 as "##0.#", followed by "[Vg2]" (Vg2 as "#")
// when Vg2 > 0.
std::string seriesTag(float vg1, float vg2);

}  // namespace zov
