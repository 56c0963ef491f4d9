#pragma once
// Curves at grid voltages that were never measured, built by blending the two
// measured curves that bracket the wanted voltage.

#include "core/curve_store.h"

namespace zov {

// Blends the upper curve `b` and the lower curve `a` into target.Points: the
// piecewise-linear function (1 - t) * b(u) + t * a(u), so t = 0 gives b and
// t = 1 gives a (t outside 0..1 extrapolates). b and a are read by the rule of
// readCurve (curve_reading.h), the one the tube parameters use, so a curve
// blended at the operating grid voltage passes through the operating point.
//
// The blend covers the anode voltages where both curves are defined,
// extensions included. Its points lie at every sample voltage of either curve
// within that range (a vertical step of either curve gives two points at that
// voltage: the value from below, then the value at it), at the voltages where
// an extension reaches 0 A, and at the end of the range; all seven rows are
// blended alike. A blended current below 0 (extrapolation below the lowest
// curve) is 0, with the blend's own zero crossings as points too. Computed in
// double precision, stored as 32-bit values. Returns false, leaving
// target.Points unchanged, when the two curves have no common range.
bool BlendSeries(CurveTrace& target, const Series& b, const Series& a, double t);

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
