#pragma once
// How the design engine reads a measured curve at an anode voltage. The tube
// parameters and the curve blend both read curves through this one rule, so
// that the operating curve passes through the operating point.

#include "core/curve_store.h"

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

namespace zov {

// The seven rows of a point in double precision: readings and blends are
// computed in double and stored as the curve store's 32-bit values only at the
// end.
using PointRows = std::array<double, 7>;

// The stretch of a curve (points sorted by anode voltage) on which its current
// is defined. A tracer's current or power limit cuts curves short, so a curve
// may be continued past its last point along its last segment, but only by
// 10 % of its own anode-voltage span (last minus first voltage): far from the
// data a straight continuation is a guess, and a guess without a bound has put
// operating points at hundreds of watts on families traced to 25 W.
struct CurveRange {
    bool empty = true;
    double first = 0.0;  // V, first point
    double last = 0.0;   // V, last point
    double end = 0.0;    // V, end of the extension (= last when there is none)
};
CurveRange curveRange(const std::vector<PointColumn>& points);

// The fraction of a curve's span by which it may be continued past its last
// point.
constexpr double kExtensionFraction = 0.10;

// A curve read at one anode voltage u: the segment the reading lies on and
// where on it.
//
// Inside the curve's range the segment runs from the last point at or below u
// to the first point above it (linear interpolation). Where a curve holds
// several points at one voltage (a vertical step), its current there is that
// of the last of them, and the line from below runs to the first of them.
// From the last point on (the last point itself included), the segment is the
// extension's: the line through the last point and the last earlier point of
// a different voltage. Below the first point and past the end of the
// extension the current is undefined.
struct CurveReading {
    bool defined = false;
    bool extended = false;   // past the last point, on the extension
    std::size_t anchor = 0;  // the value is anchor + (u - U(anchor)) * slope of the rows
    std::size_t other = 0;   // the segment's other point (= anchor when there is no segment)
    double ua = 0.0;         // V, where it was read

    // The rows of the curve at ua (row 0 is ua itself). An extended current
    // below 0 is 0: a tube does not conduct backwards, and a falling last
    // segment would otherwise carry negative currents into every result built
    // on it.
    PointRows rows(const std::vector<PointColumn>& points) const;
    double iaA(const std::vector<PointColumn>& points) const { return rows(points)[kRowIa]; }
    // dUa/dIa of the segment used (the extension's at the last point and
    // beyond), in ohms; absent without a segment or on a segment of constant
    // current.
    std::optional<double> slopeOhm(const std::vector<PointColumn>& points) const;
};
CurveReading readCurve(const std::vector<PointColumn>& points, double ua);

// The value of the curve just below ua, where a vertical step at ua makes it
// differ from the value at ua: the first of the points at ua. Elsewhere the
// curve is continuous and this is the reading at ua. Defined for
// first < ua <= end.
PointRows leftLimit(const std::vector<PointColumn>& points, double ua);

// Whether the curve holds two or more points at the anode voltage ua.
bool hasStepAt(const std::vector<PointColumn>& points, double ua);

}  // namespace zov
