#include "design/curve_blend.h"

#include <cmath>
#include <cstddef>

namespace zov {

namespace {

// Index of the last point of `points` (sorted by anode voltage) whose anode
// voltage is at or below `ua`; -1 when every point lies above.
std::ptrdiff_t lastAtOrBelow(const std::vector<PointColumn>& points, float ua)
{
    std::ptrdiff_t lo = 0;
    std::ptrdiff_t hi = static_cast<std::ptrdiff_t>(points.size());  // first point above ua
    while (lo < hi) {
        const std::ptrdiff_t mid = (lo + hi) / 2;
        if (points[static_cast<std::size_t>(mid)][kRowUa] <= ua)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo - 1;
}

}  // namespace

bool BlendSeries(CurveTrace& target, const Series& b, const Series& a, float t)
{
    const auto& lower = a.Points;
    if (lower.empty() || b.Points.empty())
        return false;
    const float first = lower.front()[kRowUa];
    const float last = lower.back()[kRowUa];
    const double tb = 1.0 - static_cast<double>(t);
    const double ta = static_cast<double>(t);

    std::vector<PointColumn> out;
    out.reserve(b.Points.size());
    for (const PointColumn& up : b.Points) {
        const float ua = up[kRowUa];
        if (ua < first || ua > last)
            continue;
        const std::ptrdiff_t i = lastAtOrBelow(lower, ua);
        const PointColumn& p = lower[static_cast<std::size_t>(i)];
        PointColumn lowAt = p;
        const auto next = static_cast<std::size_t>(i) + 1;
        if (next < lower.size()) {
            // The first point above ua: its voltage is strictly larger, so the
            // run is never zero.
            const PointColumn& q = lower[next];
            const double f = (static_cast<double>(ua) - p[kRowUa]) /
                             (static_cast<double>(q[kRowUa]) - p[kRowUa]);
            for (std::size_t r = 0; r < lowAt.size(); ++r)
                lowAt[r] = static_cast<float>(p[r] + f * (static_cast<double>(q[r]) - p[r]));
        }
        PointColumn blended;
        for (std::size_t r = 0; r < blended.size(); ++r)
            blended[r] = static_cast<float>(tb * up[r] + ta * lowAt[r]);
        out.push_back(blended);
    }
    if (out.empty())
        return false;
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
                const auto t = static_cast<float>(
                    std::abs(static_cast<double>(trace.Vg1) - upper->Vg1) / step);
                return BlendSeries(trace, *upper, *lower, t);
            }
        }
        below = static_cast<std::ptrdiff_t>(k);
    }
    return false;
}

}  // namespace zov
