#pragma once
// Curves at grid voltages that were never measured, built by blending the two
// measured curves that bracket the wanted voltage.

#include "core/curve_store.h"

namespace zov {

// Blends the upper curve `b` and the lower curve `a` into target.Points:
// row r of a point = (1 - t) * b + t * a, so t = 0 gives b and t = 1 gives a
// (t outside 0..1 extrapolates). The curves are paired at equal anode
// voltage, not by point index: for every point of b whose anode voltage lies
// within a's range, a's seven rows are interpolated linearly between a's last
// point at or below that voltage and its first point above it. (Index pairing
// would shift every blend with the first series of a file by one point, since
// only the later series carry the reader's extra zero point, and it is wrong
// for curves sampled at different voltages.) Points of b outside a's range are
// left out. Returns false, leaving target.Points unchanged, when no point of b
// lies within a's range.
bool BlendSeries(CurveTrace& target, const Series& b, const Series& a, float t);

// The curve of `set` at grid voltages (trace.Vg1, trace.Vg2), written to
// trace.Points. The upper curve is the first grid-1 column (ascending) at or
// above trace.Vg1 whose series has exactly trace.Vg2 and that has a column
// below it with the same grid-2 voltage; the lower curve is the nearest such
// column below. The blend factor is measured from the upper curve in units of
// the grid-voltage difference of those two curves (not the family's first
// spacing, so uneven steps, appended families and families of two curves
// interpolate correctly). A wanted voltage below the lowest curve extrapolates
// from the two lowest curves (t > 1); one above the highest curve gives no
// curve. Returns false, leaving trace.Points unchanged, when no curve can be
// built (including a family with a single grid-1 voltage).
bool CurveAtGrid(const CurveSet& set, CurveTrace& trace);

}  // namespace zov
