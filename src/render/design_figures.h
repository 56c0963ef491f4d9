#pragma once
// The figures of a stage design on the plot: the operating-point marker with
// its load line, the curve through the operating point, the swing curves with
// their intersection dots and the span tags.
//
// Everything but the operating curve is drawn in XOR ink, so drawing a figure
// a second time with the same values removes it and restores the picture bit
// for bit. What is on the plot is tracked by the Workspace (MarkerY != 65536:
// marker and load line; UpCurve.Drawn, DownCurve.Drawn: the swing curves;
// both swing curves drawn: the span tags). A change of the design therefore
// runs: erase what the Workspace says is drawn, let the engine update the
// Workspace, draw what it now says is drawn.

#include "design/stage_analysis.h"
#include "render/surface.h"
#include "core/curve_store.h"

namespace zov {

// Inks and pens (the XOR pen inverts what lies under it; white ink turns the
// white plot black, and an ink of c XOR white shows c on the white plot).
inline constexpr Colour kLoadLineInk = rgb(255, 255, 255);
inline constexpr Colour kMarkerInk = rgb(0, 255, 255);   // a red dot on white
inline constexpr int kMarkerWidth = 12;                  // marker and intersection dots
inline constexpr int kTraceWidth = 2;
// The operating and swing curves: RGB(0, 128, 0) with every colour bit inverted.
inline constexpr Colour kTraceInk = rgb(0, 128, 0) ^ 0xFFFFFFU;
// Span tags: the swing in black, its two halves in blue.
inline constexpr Colour kSpanColour = rgb(0, 0, 0);
inline constexpr Colour kHalfSpanColour = rgb(0, 0, 255);
// Span tags stand this far inside the bottom and left edges (plot units).
inline constexpr double kSpanTagInsetUnits = 500.0;

// How a figure is inked: in XOR ink on the screen's picture (drawn twice it
// is gone), or with the copy pen in the colours XOR ink shows on the white
// plot, for pictures that are finished in one go (vector exports, where
// raster operations do not exist).
enum class FigureInk { Xor, Finished };

// The marker and the load line of a placement.
void drawPlacementFigure(Surface& surface, const Placement& placement, FigureInk ink = FigureInk::Xor);

// A swing curve and its intersection dot at (trace.U, trace.I) (no tag).
void drawSwingTrace(Surface& surface, const Workspace& ws, const CurveTrace& trace,
                    FigureInk ink = FigureInk::Xor);

// The curve through the operating point, with the copy pen and its tag.
void drawOperatingCurve(Surface& surface, const Workspace& ws, const CurveTrace& trace);

// The three pairs of span tags of an analysis with results (XOR texts): the
// voltage tags centred under their anode voltage at the bottom edge (the
// swing's on the edge, its halves' one line above), the current tags at the
// left edge at their current.
void drawSpanTags(Surface& surface, const Workspace& ws, FigureInk ink = FigureInk::Xor);

// Draws, or erases when drawn before with the same Workspace values, every XOR
// figure the Workspace says is on the plot: marker and load line (of
// `topology`), swing curves and their dots, span tags.
void toggleDesignFigures(Surface& surface, const Workspace& ws, Topology topology);

// The design as it stands on the screen, drawn once with the copy pen: the
// operating curve and every figure the Workspace says is on the plot. Reads
// the Workspace only (an export draws it over its own picture).
void drawFinishedDesign(Surface& surface, const Workspace& ws, Topology topology);

// Applies an operating point at plot position (x, y) and draws it: what the
// left click in SE or PP does after the central refresh, and what the refresh
// does to place a stored operating point again. The previous figures are
// erased first. The surface is flushed.
StageDesign applyAndDrawOperatingPoint(Surface& surface, Workspace& ws, float x, float y,
                                       const DesignInputs& inputs);

// A new load or swing at the same operating point (Enter, leaving a field, the
// arrow keys): erases the marker, load line and swing figures, recomputes at
// the pivot and draws them again. Nothing happens while the operating point is
// not valid. The surface is flushed.
StageDesign recomputeAndDraw(Surface& surface, Workspace& ws, const DesignInputs& inputs);

}  // namespace zov
