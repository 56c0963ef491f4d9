#pragma once
// Load lines: their figure on the plot (as segments in plot units, which the
// window draws in XOR ink) and their intersection with a curve.

#include "core/curve_store.h"

namespace zov {

// The plot margins: figures stop 36 units inside the top and left edges and at
// 65500 on the bottom and right.
constexpr float kPlotMarginLow = 36.0F;
constexpr float kPlotMarginHigh = 65500.0F;

struct PlotPoint {
    float x = 0.0F;
    float y = 0.0F;
};

struct PlotSegment {
    PlotPoint from;
    PlotPoint to;
};

enum class Topology { SingleEnded, PushPull };

// The figure that DrawLoadLine draws for slope `slopeKOhm` through (x, y):
// `lower` runs from the bottom margin (or the right margin, when the line
// reaches it first) up to the pivot; `upper` runs from the pivot to the top or
// left margin (single-ended) or to the junction (push-pull). The junction is
// the clipped lower end mirrored through the pivot; it is computed in both
// topologies. Plot units; the run and rise use the current scales.
struct LoadLineFigure {
    PlotSegment lower;
    PlotSegment upper;
    PlotPoint junction;
};
LoadLineFigure DrawLoadLine(const Workspace& ws, float slopeKOhm, float x, float y, Topology topology);

// The segment that DrawUpperSegment draws: from (x, y) along slope
// `slopeKOhm` to the top margin, or to the left margin when it comes first.
PlotSegment DrawUpperSegment(const Workspace& ws, float slopeKOhm, float x, float y);

// True when (x, y) lies within the margins. A point outside them is not placed:
// the lower end of its load line would be clipped to a negative run and the
// push-pull junction would flip to the wrong side of the pivot.
bool isWithinPlotMargins(float x, float y);

// Which part of the load line an intersection is looked for on.
enum class SwingSide : int {
    LowCurrent = 2,   // U >= U0 and I <= I0: the down-swing
    HighCurrent = 3,  // U <= U0 and I >= I0: the up-swing
};

struct Intersection {
    bool found = false;
    float ua = 0.0F;    // V
    float iaMa = 0.0F;  // mA
};

// Where the polyline of `points` (joined in order of anode voltage, currents
// in amperes) crosses the straight line through (pivotUa V, pivotIaMa mA) of
// slope `slopeKOhm` (U - U0 = -R * (I - I0)) inside the side's quadrant,
// computed exactly on the crossing segment; a point lying on the line counts
// as a crossing. A measured curve can cross the line more than once near the
// pivot (noise, two captures added to one file); the swing then ends at the
// crossing nearest the pivot, which is where it starts from: the first one
// above the pivot voltage on the low-current side, the last one below it on
// the high-current side. So with no input swing both ends are the operating
// point, on any curve through it.
Intersection intersectPolyline(const std::vector<PointColumn>& points, float slopeKOhm,
                               float pivotUa, float pivotIaMa, SwingSide side);

// The intersection of trace.Points with `line`; on success writes trace.U and
// trace.I (V, mA). Returns whether one was found.
bool IntersectLoadLine(CurveTrace& trace, const LoadLine& line, SwingSide side);

// The same search with the operating point (ws.OperatingUa, ws.OperatingIa) as
// pivot and the slope given; writes u (V) and i (mA) only on success.
bool IntersectFromOperatingPoint(const Workspace& ws, const std::vector<PointColumn>& points,
                                 float slopeKOhm, float& u, float& i, SwingSide side);

}  // namespace zov
