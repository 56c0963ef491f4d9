#include "design/curve_reading.h"

#include <algorithm>

namespace zov {

namespace {

double voltageOf(const PointColumn& p) { return p[kRowUa]; }

PointRows asRows(const PointColumn& p)
{
    PointRows r{};
    for (std::size_t k = 0; k < r.size(); ++k)
        r[k] = p[k];
    return r;
}

// Index of the first point whose voltage is above ua (points.size() when none).
std::size_t firstAbove(const std::vector<PointColumn>& points, double ua)
{
    const auto it = std::upper_bound(points.begin(), points.end(), ua,
                                     [](double u, const PointColumn& p) { return u < voltageOf(p); });
    return static_cast<std::size_t>(it - points.begin());
}

// Index of the first point whose voltage is ua or above.
std::size_t firstAtOrAbove(const std::vector<PointColumn>& points, double ua)
{
    const auto it = std::lower_bound(points.begin(), points.end(), ua,
                                     [](const PointColumn& p, double u) { return voltageOf(p) < u; });
    return static_cast<std::size_t>(it - points.begin());
}

}  // namespace

CurveRange curveRange(const std::vector<PointColumn>& points)
{
    CurveRange r;
    if (points.empty())
        return r;
    r.empty = false;
    r.first = voltageOf(points.front());
    r.last = voltageOf(points.back());
    r.end = r.last + kExtensionFraction * (r.last - r.first);
    return r;
}

CurveReading readCurve(const std::vector<PointColumn>& points, double ua)
{
    CurveReading reading;
    const CurveRange range = curveRange(points);
    if (range.empty || !(ua >= range.first && ua <= range.end))
        return reading;
    reading.defined = true;
    reading.ua = ua;
    if (ua >= range.last) {
        // The last point and beyond: the extension through the last point and
        // the last earlier point of a different voltage. A curve whose points
        // all share one voltage has no extension; its range is that voltage.
        reading.extended = ua > range.last;
        reading.anchor = points.size() - 1;
        const std::size_t atLast = firstAtOrAbove(points, range.last);
        reading.other = atLast > 0 ? atLast - 1 : reading.anchor;
        return reading;
    }
    // first <= ua < last: the last point at or below ua (the last of several
    // at one voltage) and the first point above it.
    const std::size_t above = firstAbove(points, ua);
    if (above == 0 || above == points.size()) {
        // Only points out of order get here (the reader sorts every curve);
        // such a curve is not read rather than read past its ends.
        reading.defined = false;
        return reading;
    }
    reading.anchor = above - 1;
    reading.other = above;
    return reading;
}

PointRows CurveReading::rows(const std::vector<PointColumn>& points) const
{
    const PointColumn& a = points[anchor];
    PointRows r = asRows(a);
    if (other != anchor) {
        const PointColumn& o = points[other];
        // Measured from the anchor, so a reading at a point's own voltage is
        // that point exactly.
        const double f = (ua - voltageOf(a)) / (voltageOf(o) - voltageOf(a));
        for (std::size_t k = 0; k < r.size(); ++k)
            r[k] = a[k] + f * (static_cast<double>(o[k]) - a[k]);
    }
    r[kRowUa] = ua;
    if (extended && r[kRowIa] < 0.0)
        r[kRowIa] = 0.0;
    return r;
}

std::optional<double> CurveReading::slopeOhm(const std::vector<PointColumn>& points) const
{
    if (other == anchor)
        return std::nullopt;
    const PointColumn& a = points[anchor];
    const PointColumn& o = points[other];
    const double rise = static_cast<double>(o[kRowIa]) - a[kRowIa];
    if (rise == 0.0)
        return std::nullopt;
    return (static_cast<double>(o[kRowUa]) - a[kRowUa]) / rise;
}

bool hasStepAt(const std::vector<PointColumn>& points, double ua)
{
    const std::size_t from = firstAtOrAbove(points, ua);
    return from + 1 < points.size() && voltageOf(points[from]) == ua && voltageOf(points[from + 1]) == ua;
}

PointRows leftLimit(const std::vector<PointColumn>& points, double ua)
{
    const std::size_t from = firstAtOrAbove(points, ua);
    if (from < points.size() && voltageOf(points[from]) == ua)
        return asRows(points[from]);
    const CurveReading reading = readCurve(points, ua);
    return reading.rows(points);
}

}  // namespace zov
