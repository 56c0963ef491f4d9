#include "design/curve_blend.h"

#include "design/curve_reading.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace zov {

namespace {

// Where the unclamped extension of a curve crosses 0 A, when it does strictly
// inside (lo, hi): the clamp to 0 puts a corner there.
void addExtensionZero(const std::vector<PointColumn>& points, const CurveRange& range, double lo, double hi,
                      std::vector<double>& voltages)
{
    const CurveReading atLast = readCurve(points, range.last);
    if (!atLast.defined || atLast.other == atLast.anchor)
        return;
    const PointColumn& q = points[atLast.anchor];
    const PointColumn& p = points[atLast.other];
    const double slope = (static_cast<double>(q[kRowIa]) - p[kRowIa]) / (static_cast<double>(q[kRowUa]) - p[kRowUa]);
    if (slope == 0.0)
        return;
    const double zero = q[kRowUa] - q[kRowIa] / slope;
    if (zero > range.last && zero > lo && zero < hi)
        voltages.push_back(zero);
}

PointRows blendRows(const PointRows& b, const PointRows& a, double t, double ua)
{
    PointRows out{};
    for (std::size_t r = 0; r < out.size(); ++r)
        out[r] = (1.0 - t) * b[r] + t * a[r];
    out[kRowUa] = ua;
    return out;
}

}  // namespace

bool BlendSeries(CurveTrace& target, const Series& b, const Series& a, double t)
{
    const CurveRange rb = curveRange(b.Points);
    const CurveRange ra = curveRange(a.Points);
    if (rb.empty || ra.empty)
        return false;
    // The common range of the two curves, extensions included.
    const double lo = std::max(rb.first, ra.first);
    const double hi = std::min(rb.end, ra.end);
    if (!(lo <= hi))
        return false;

    // The corners of the blend: every sample voltage of either curve in the
    // range, the corners of clamped extensions, and the end of the range.
    std::vector<double> voltages;
    voltages.reserve(b.Points.size() + a.Points.size() + 3);
    for (const Series* s : {&b, &a})
        for (const PointColumn& p : s->Points)
            if (p[kRowUa] >= lo && p[kRowUa] <= hi)
                voltages.push_back(p[kRowUa]);
    addExtensionZero(b.Points, rb, lo, hi, voltages);
    addExtensionZero(a.Points, ra, lo, hi, voltages);
    voltages.push_back(hi);
    std::sort(voltages.begin(), voltages.end());
    voltages.erase(std::unique(voltages.begin(), voltages.end()), voltages.end());

    // Both curves are straight between two corners, so the blend is exact
    // when drawn as a polyline through these points.
    std::vector<PointRows> rows;
    rows.reserve(voltages.size() + 8);
    for (const double u : voltages) {
        if (u > lo && (hasStepAt(b.Points, u) || hasStepAt(a.Points, u)))
            rows.push_back(blendRows(leftLimit(b.Points, u), leftLimit(a.Points, u), t, u));
        rows.push_back(blendRows(readCurve(b.Points, u).rows(b.Points), readCurve(a.Points, u).rows(a.Points), t, u));
    }

    // Below the lowest curve the blend can fall under 0 A; a tube does not
    // conduct backwards. Where it crosses 0 the crossing becomes a point, so
    // that the clamped polyline is exactly max(0, blend).
    std::vector<PointColumn> out;
    out.reserve(rows.size() + 8);
    const auto store = [&out](const PointRows& r) {
        PointColumn p{};
        for (std::size_t k = 0; k < p.size(); ++k)
            p[k] = static_cast<float>(r[k]);
        if (p[kRowIa] < 0.0F)
            p[kRowIa] = 0.0F;
        out.push_back(p);
    };
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (k > 0) {
            const PointRows& p = rows[k - 1];
            const PointRows& q = rows[k];
            if ((p[kRowIa] < 0.0 && q[kRowIa] > 0.0) || (p[kRowIa] > 0.0 && q[kRowIa] < 0.0)) {
                const double f = p[kRowIa] / (p[kRowIa] - q[kRowIa]);
                PointRows zero{};
                for (std::size_t r = 0; r < zero.size(); ++r)
                    zero[r] = p[r] + f * (q[r] - p[r]);
                zero[kRowIa] = 0.0;
                store(zero);
            }
        }
        store(rows[k]);
    }
    target.Points = std::move(out);
    return true;
}

bool CurveAtGrid(const CurveSet& set, CurveTrace& trace)
{
    const auto& table = set.Vg1Table;
    const auto seriesAt = [&set](const GridColumn& column) -> const Series* {
        if (column.series < 0 || static_cast<std::size_t>(column.series) >= set.Series.size())
            return nullptr;
        return &set.Series[static_cast<std::size_t>(column.series)];
    };

    // Index of the nearest column below the current one with the wanted
    // grid-2 voltage; -1 while none has been passed. Pairing each curve with
    // its nearest same-grid-2 neighbour (not simply the previous column) and
    // measuring t in their own grid step keeps families measured at several
    // grid-2 voltages and families with uneven steps right; a family of two
    // curves interpolates as well.
    std::ptrdiff_t below = -1;
    for (std::size_t k = 0; k < table.size(); ++k) {
        const Series* upper = seriesAt(table[k]);
        if (upper == nullptr || upper->Vg2 != trace.Vg2)
            continue;
        if (table[k].voltage >= trace.Vg1 && below >= 0) {
            const Series* lower = seriesAt(table[static_cast<std::size_t>(below)]);
            const double step = static_cast<double>(upper->Vg1) - lower->Vg1;
            if (step > 0.0) {
                // In double: t, like the grid voltage it comes from, decides
                // where the operating curve crosses the operating voltage.
                const double t = std::abs(static_cast<double>(trace.Vg1) - upper->Vg1) / step;
                return BlendSeries(trace, *upper, *lower, t);
            }
        }
        below = static_cast<std::ptrdiff_t>(k);
    }
    return false;
}

}  // namespace zov
