#include "design/load_line.h"

#include "plot/scales.h"

#include <cmath>
#include <limits>

namespace zov {

LoadLineFigure DrawLoadLine(const Workspace& ws, float slopeKOhm, float x, float y, Topology topology)
{
    // Run per unit of rise along the line: R [V/mA] * units per volt / units per mA.
    const double runPerRise =
        static_cast<double>(slopeKOhm) * ws.ScopeUnitsPerVolt / ws.ScopeUnitsPerMa;
    const double X = x;
    const double Y = y;
    double d = kPlotMarginHigh - Y;  // rise from the bottom margin to the pivot
    double dx = runPerRise * d;
    if (X + dx > kPlotMarginHigh) {
        dx = kPlotMarginHigh - X;
        d = dx / runPerRise;
    }
    LoadLineFigure f;
    f.lower = {{static_cast<float>(X + dx), static_cast<float>(Y + d)}, {x, y}};
    f.junction = {static_cast<float>(X - dx), static_cast<float>(Y - d)};
    if (topology == Topology::SingleEnded)
        f.upper = DrawUpperSegment(ws, slopeKOhm, x, y);
    else
        f.upper = {{x, y}, f.junction};
    return f;
}

PlotSegment DrawUpperSegment(const Workspace& ws, float slopeKOhm, float x, float y)
{
    const double runPerRise =
        static_cast<double>(slopeKOhm) * ws.ScopeUnitsPerVolt / ws.ScopeUnitsPerMa;
    const double X = x;
    const double Y = y;
    double d = Y - kPlotMarginLow;
    double dx = runPerRise * d;
    if (X - dx < kPlotMarginLow) {
        dx = X - kPlotMarginLow;
        d = dx / runPerRise;
    }
    return {{x, y}, {static_cast<float>(X - dx), static_cast<float>(Y - d)}};
}

bool isWithinPlotMargins(float x, float y)
{
    return x >= kPlotMarginLow && x <= kPlotMarginHigh && y >= kPlotMarginLow && y <= kPlotMarginHigh;
}

Intersection intersectPolyline(const std::vector<PointColumn>& points, float slopeKOhm,
                               float pivotUa, float pivotIaMa, SwingSide side)
{
    const double r = slopeKOhm;
    const double u0 = pivotUa;
    const double i0 = pivotIaMa;
    // Signed distance from the line along the voltage axis; zero on the line.
    const auto offset = [&](double u, double iMa) { return (u - u0) + r * (iMa - i0); };
    // The crossing lies on the line, so one coordinate decides the quadrant;
    // both are checked with an allowance for the rounding of 32-bit points
    // (10 ppm), so that a crossing at the pivot itself belongs to both sides:
    // with no input swing both swing curves are the operating curve and both
    // intersections are the operating point.
    const double tolU = 1e-5 * (1.0 + std::abs(u0));
    const double tolI = 1e-5 * (1.0 + std::abs(i0));
    const auto inQuadrant = [&](double u, double iMa) {
        if (side == SwingSide::HighCurrent)
            return u <= u0 + tolU && iMa >= i0 - tolI;
        return u >= u0 - tolU && iMa <= i0 + tolI;
    };

    // The low-current side ends the scan at its first crossing; the
    // high-current side keeps the last one it meets.
    const bool firstWins = side == SwingSide::LowCurrent;
    Intersection hit;
    // A crossing beyond the 32-bit range (currents of a family of absurd
    // values, in mA) cannot be reported: it does not count.
    const auto fits = [](double v) { return std::abs(v) <= static_cast<double>(std::numeric_limits<float>::max()); };
    const auto accept = [&](double u, double iMa) {
        if (!inQuadrant(u, iMa) || !fits(u) || !fits(iMa))
            return false;
        hit.found = true;
        hit.ua = static_cast<float>(u);
        hit.iaMa = static_cast<float>(iMa);
        return firstWins;
    };

    if (points.empty())
        return hit;
    double ua = points[0][kRowUa];
    double ia = 1000.0 * points[0][kRowIa];
    double fa = offset(ua, ia);
    if (fa == 0.0 && accept(ua, ia))
        return hit;
    for (std::size_t k = 1; k < points.size(); ++k) {
        const double ub = points[k][kRowUa];
        const double ib = 1000.0 * points[k][kRowIa];
        const double fb = offset(ub, ib);
        if (fb == 0.0) {
            if (accept(ub, ib))
                return hit;
        } else if ((fa < 0.0 && fb > 0.0) || (fa > 0.0 && fb < 0.0)) {
            const double t = fa / (fa - fb);
            if (accept(ua + t * (ub - ua), ia + t * (ib - ia)))
                return hit;
        }
        ua = ub;
        ia = ib;
        fa = fb;
    }
    return hit;
}

bool IntersectLoadLine(CurveTrace& trace, const LoadLine& line, SwingSide side)
{
    const Intersection hit = intersectPolyline(trace.Points, line.Slope, line.PivotUa, line.PivotIa, side);
    if (hit.found) {
        trace.U = hit.ua;
        trace.I = hit.iaMa;
    }
    return hit.found;
}

bool IntersectFromOperatingPoint(const Workspace& ws, const std::vector<PointColumn>& points,
                                 float slopeKOhm, float& u, float& i, SwingSide side)
{
    const Intersection hit = intersectPolyline(points, slopeKOhm, ws.OperatingUa, ws.OperatingIa, side);
    if (hit.found) {
        u = hit.ua;
        i = hit.iaMa;
    }
    return hit.found;
}

}  // namespace zov
