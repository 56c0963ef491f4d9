#pragma once
// One step of a capture sweep on screen: the curve text measured so far drawn
// over the picture that is there, the way the sweep shows each new curve
// without rebuilding the plot (a rebuild would lay the grid and the limit
// curve over the curves and reset the design read-outs at every step).

#include "render/surface.h"
#include "core/curve_store.h"

namespace zov {

// Draws ws.CurveText in the current family's colour and pen (RGB(0, 0, 128),
// width 2, copy pen), restores the surface's pen and flushes. Earlier curves
// are drawn again over themselves, which changes no pixel.
void drawCaptureStep(Surface& surface, const Workspace& ws);

}  // namespace zov
