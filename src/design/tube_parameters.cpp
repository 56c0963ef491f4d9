#include "design/tube_parameters.h"

#include "design/count_separators.h"
#include "core/text.h"

#include <cstddef>
#include <vector>

namespace zov {

namespace {

// The current of one curve at an anode voltage, and the slope of the segment
// it was taken from.
struct CurveReading {
    bool defined = false;
    double iaA = 0.0;
    std::optional<double> slopeOhm;  // dUa/dIa of the segment, V/A
};

// dUa/dIa of a segment. Two points at one current give no slope: rp and mu
// are then absent. No stand-in value is ever put into the divisor, because
// the same points also give the currents from which the grid voltage is
// interpolated.
std::optional<double> segmentSlope(const PointColumn& p, const PointColumn& q)
{
    const double rise = static_cast<double>(q[kRowIa]) - p[kRowIa];
    if (rise == 0.0)
        return std::nullopt;
    return (static_cast<double>(q[kRowUa]) - p[kRowUa]) / rise;
}

double interpolate(const PointColumn& p, const PointColumn& q, double ua)
{
    const double run = static_cast<double>(q[kRowUa]) - p[kRowUa];
    if (run == 0.0)
        return p[kRowIa];
    return p[kRowIa] + (static_cast<double>(q[kRowIa]) - p[kRowIa]) * (ua - p[kRowUa]) / run;
}

// Current at ua within the curve's range: between the last point at or below
// ua and the first point above it. At the last point itself the segment that
// ends there is used. Outside the range the current is undefined, so a curve
// whose first point already lies right of ua is never taken as the lower
// curve with a made-up previous point.
CurveReading readWithin(const std::vector<PointColumn>& points, double ua)
{
    CurveReading r;
    if (points.empty() || ua < points.front()[kRowUa] || ua > points.back()[kRowUa])
        return r;
    r.defined = true;
    if (points.size() == 1) {
        r.iaA = points.front()[kRowIa];
        return r;
    }
    std::size_t i = 0;
    while (i + 1 < points.size() && points[i + 1][kRowUa] <= ua)
        ++i;
    if (i + 1 == points.size()) {
        // ua is the last point's voltage: the current is that point's; the
        // segment ending there gives the slope.
        r.iaA = points[i][kRowIa];
        r.slopeOhm = segmentSlope(points[i - 1], points[i]);
        return r;
    }
    r.iaA = interpolate(points[i], points[i + 1], ua);
    r.slopeOhm = segmentSlope(points[i], points[i + 1]);
    return r;
}

// Current at ua of a curve that ends before ua: the straight continuation of
// its last segment.
CurveReading readBeyondEnd(const std::vector<PointColumn>& points, double ua)
{
    CurveReading r;
    if (points.size() < 2)
        return r;
    const PointColumn& p = points[points.size() - 2];
    const PointColumn& q = points.back();
    if (q[kRowUa] == p[kRowUa])
        return r;
    r.defined = true;
    r.iaA = interpolate(p, q, ua);
    r.slopeOhm = segmentSlope(p, q);
    return r;
}

}  // namespace

TubeParameterResult TubeParameters(const CurveSet& set, const SeriesSelection& selection,
                                   CurveTrace& trace, float iaA, float ua)
{
    TubeParameterResult result;
    const bool grid1 = CountSeparators(selection.Vg1List, ",") >= 2;
    result.axis = grid1 ? SweepAxis::Grid1 : SweepAxis::Grid2;
    const auto fixed = static_cast<float>(
        numericValue(GetField(grid1 ? selection.Vg2List : selection.Vg1List, 1, ",")));
    result.fixedVoltage = fixed;
    if (grid1)
        trace.Vg2 = fixed;
    else
        trace.Vg1 = fixed;
    const auto& table = grid1 ? set.Vg1Table : set.Vg2Table;

    // The curves of the selected family, ascending in the swept voltage.
    struct Curve {
        int column;
        float grid;
        const Series* series;
    };
    std::vector<Curve> curves;
    curves.reserve(table.size());
    for (std::size_t k = 0; k < table.size(); ++k) {
        const int j = table[k].series;
        if (j < 0 || static_cast<std::size_t>(j) >= set.Series.size())
            continue;
        const Series& s = set.Series[static_cast<std::size_t>(j)];
        const float fixedOf = grid1 ? s.Vg2 : s.Vg1;
        const float sweptOf = grid1 ? s.Vg1 : s.Vg2;
        if (fixedOf != fixed || sweptOf != table[k].voltage)
            continue;
        curves.push_back({static_cast<int>(k), table[k].voltage, &s});
    }

    // L: the highest curve whose current at ua is below ia. Scanning whole
    // curves at ua (instead of looking for a point to the lower right) keeps
    // the curve just below the point even when it rises past ia before its
    // next sample, so L and H are the curves the operating curve is blended
    // from.
    const double uaV = ua;
    const double ia = iaA;
    std::ptrdiff_t lower = -1;
    CurveReading low;
    for (auto c = static_cast<std::ptrdiff_t>(curves.size()) - 1; c >= 0; --c) {
        const CurveReading r = readWithin(curves[static_cast<std::size_t>(c)].series->Points, uaV);
        if (r.defined && r.iaA < ia) {
            lower = c;
            low = r;
            break;
        }
    }
    if (lower < 0 || static_cast<std::size_t>(lower + 1) >= curves.size())
        return result;
    const Curve& curveL = curves[static_cast<std::size_t>(lower)];
    const Curve& curveH = curves[static_cast<std::size_t>(lower + 1)];
    const auto& pointsH = curveH.series->Points;
    // H: the next curve above L, read at ua; a curve cut short by the
    // tracer's limit is continued along its last segment rather than scanned
    // past its end. No H (the point lies above the highest curve) or equal
    // currents leave the grid-voltage interpolation without a divisor:
    // nothing is found.
    CurveReading high = readWithin(pointsH, uaV);
    if (!high.defined && !pointsH.empty() && uaV > pointsH.back()[kRowUa])
        high = readBeyondEnd(pointsH, uaV);
    if (!high.defined || high.iaA == low.iaA)
        return result;

    // The grid step of the two curves used, not the family's first spacing:
    // right for uneven steps, appended families and several grid-2 voltages.
    const double gridStep = static_cast<double>(curveH.grid) - curveL.grid;
    if (gridStep == 0.0)
        return result;
    const double gm = (high.iaA - low.iaA) / gridStep;  // A/V
    result.found = true;
    result.lowerColumn = curveL.column;
    result.upperColumn = curveH.column;
    result.lowerIaMa = static_cast<float>(low.iaA * 1000.0);
    result.upperIaMa = static_cast<float>(high.iaA * 1000.0);
    result.gmMaPerV = static_cast<float>(gm * 1000.0);
    if (low.slopeOhm && high.slopeOhm) {
        const double rp = (*low.slopeOhm + *high.slopeOhm) / 2.0;  // Ohm
        result.rpKOhm = static_cast<float>(rp / 1000.0);
        result.mu = static_cast<float>(gm * rp);
    }
    result.vg0 = static_cast<float>(curveL.grid + gridStep * (ia - low.iaA) / (high.iaA - low.iaA));
    if (grid1)
        trace.Vg1 = result.vg0;
    else
        trace.Vg2 = result.vg0;
    return result;
}

}  // namespace zov
