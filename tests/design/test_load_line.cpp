// Load-line figures in plot units and curve/load-line intersections.
#include "design/load_line.h"
#include "display/scales.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace zov {
namespace {

Workspace scaled(const char* voltsPerDiv, const char* maPerDiv)
{
    Workspace ws;
    updateScales(ws, voltsPerDiv, maPerDiv);
    return ws;
}

// Slope of a segment in V/mA at the workspace's scales.
double slopeOf(const Workspace& ws, const PlotSegment& s)
{
    const double du = XToUa(ws, s.to.x) - XToUa(ws, s.from.x);
    const double di = YToIa(ws, s.to.y) - YToIa(ws, s.from.y);
    return -du / di;
}

TEST(LoadLine, SingleEndedRunsFromBottomMarginToTopMargin)
{
    const Workspace ws = scaled("50", "4");  // 400 V, 32 mA full scale
    const float x = UaToX(ws, 200.0F);
    const float y = IaToY(ws, 15.0F);
    const LoadLineFigure f = DrawLoadLine(ws, 5.0F, x, y, Topology::SingleEnded);
    // Bottom end on the 65500 margin, top end on the 36 margin: no clipping at
    // 5 kOhm (the line spans 200 V +- 5 kOhm x 15 mA, about 125 ... 275 V).
    EXPECT_FLOAT_EQ(f.lower.from.y, 65500.0F);
    EXPECT_EQ(f.lower.to.x, x);
    EXPECT_EQ(f.lower.to.y, y);
    EXPECT_EQ(f.upper.from.x, x);
    EXPECT_FLOAT_EQ(f.upper.to.y, 36.0F);
    EXPECT_NEAR(slopeOf(ws, f.lower), 5.0, 1e-4);
    EXPECT_NEAR(slopeOf(ws, f.upper), 5.0, 1e-4);
    // The junction mirrors the lower end through the pivot.
    EXPECT_FLOAT_EQ(f.junction.x, 2.0F * x - f.lower.from.x);
    EXPECT_FLOAT_EQ(f.junction.y, 2.0F * y - f.lower.from.y);
}

TEST(LoadLine, ClippedAtTheRightAndLeftMargins)
{
    const Workspace ws = scaled("20", "1");  // 160 V, 8 mA
    const float x = UaToX(ws, 150.0F);       // near the right edge
    const float y = IaToY(ws, 4.0F);
    const LoadLineFigure f = DrawLoadLine(ws, 100.0F, x, y, Topology::PushPull);
    // The line of 100 kOhm reaches the right margin long before zero current.
    EXPECT_FLOAT_EQ(f.lower.from.x, 65500.0F);
    EXPECT_LT(f.lower.from.y, 65500.0F);
    EXPECT_NEAR(slopeOf(ws, f.lower), 100.0, 1e-3);
    // Push-pull: the upper part ends at the junction, the mirror of the
    // clipped end, so it lies just as close above the pivot.
    EXPECT_EQ(f.upper.to.x, f.junction.x);
    EXPECT_EQ(f.upper.to.y, f.junction.y);
    EXPECT_NEAR(f.junction.x, 2.0 * x - 65500.0, 0.01);
    EXPECT_NEAR(f.junction.y, 2.0 * y - f.lower.from.y, 0.01);

    // A steep upper segment from far left reaches the left margin first.
    const PlotSegment up = DrawUpperSegment(ws, 100.0F, UaToX(ws, 10.0F), y);
    EXPECT_FLOAT_EQ(up.to.x, 36.0F);
    EXPECT_GT(up.to.y, 36.0F);
    EXPECT_NEAR(slopeOf(ws, up), 100.0, 1e-2);
}

TEST(LoadLine, PlotMargins)
{
    struct Case {
        float x, y;
        bool inside;
    } cases[] = {{36, 36, true},       {65500, 65500, true}, {35.9F, 100, false}, {100, 35.9F, false},
                 {65500.1F, 100, false}, {100, 65536, false}, {32768, 32768, true}, {-5, 200, false}};
    for (const Case& c : cases)
        EXPECT_EQ(isWithinPlotMargins(c.x, c.y), c.inside) << c.x << ", " << c.y;
}

std::vector<PointColumn> polyline(std::initializer_list<std::pair<float, float>> uaMa)
{
    std::vector<PointColumn> out;
    for (const auto& [u, i] : uaMa)
        out.push_back({u, i / 1000.0F, 0, 0, 0, 0, 0});
    return out;
}

// Hand-computed crossings: line through (200 V, 10 mA) with 10 kOhm, i.e.
// U = 300 - 10 I.
TEST(Intersection, ExactOnTheCrossingSegmentInsideTheQuadrant)
{
    const float r = 10.0F;
    struct Case {
        const char* name;
        std::vector<PointColumn> points;
        SwingSide side;
        bool found;
        float ua;
        float iaMa;
    } cases[] = {
        // Straight curve I = U/10: meets the line at U = 150, I = 15.
        {"up", polyline({{0, 0}, {100, 10}, {200, 20}}), SwingSide::HighCurrent, true, 150.0F, 15.0F},
        // I = U/40: meets at U = 240, I = 6 (low-current side).
        {"down", polyline({{0, 0}, {200, 5}, {400, 10}}), SwingSide::LowCurrent, true, 240.0F, 6.0F},
        // The same curve is not on the high-current side.
        {"wrong side", polyline({{0, 0}, {200, 5}, {400, 10}}), SwingSide::HighCurrent, false, 0, 0},
        // A crossing within one sample spacing of the pivot is still found.
        {"close", polyline({{0, 0}, {195, 10.2F}, {205, 10.6F}}), SwingSide::HighCurrent, true, 0, 0},
        // A point lying exactly on the line.
        {"on a point", polyline({{0, 0}, {150, 15}, {300, 16}}), SwingSide::HighCurrent, true, 150.0F, 15.0F},
        // The curve ends before it reaches the line.
        {"short", polyline({{0, 0}, {50, 2}, {100, 4}}), SwingSide::HighCurrent, false, 0, 0},
        {"empty", {}, SwingSide::LowCurrent, false, 0, 0},
    };
    for (const Case& c : cases) {
        const Intersection hit = intersectPolyline(c.points, r, 200.0F, 10.0F, c.side);
        ASSERT_EQ(hit.found, c.found) << c.name;
        if (!c.found)
            continue;
        if (std::string(c.name) == "close") {
            // Segment (195, 10.2)-(205, 10.6) against U = 300 - 10 I.
            const double t = (195.0 + 102.0 - 300.0) / ((195.0 + 102.0 - 300.0) - (205.0 + 106.0 - 300.0));
            EXPECT_NEAR(hit.ua, 195.0 + 10.0 * t, 1e-4);
            EXPECT_NEAR(hit.iaMa, 10.2 + 0.4 * t, 1e-5);
            EXPECT_LE(hit.ua, 200.0F);
            continue;
        }
        EXPECT_NEAR(hit.ua, c.ua, 1e-4) << c.name;
        EXPECT_NEAR(hit.iaMa, c.iaMa, 1e-5) << c.name;
    }
}

TEST(Intersection, WritersLeaveTheirOutputsAloneWhenNothingIsFound)
{
    CurveTrace trace;
    trace.Points = polyline({{0, 0}, {50, 2}});
    trace.U = 7.0F;
    trace.I = 8.0F;
    EXPECT_FALSE(IntersectLoadLine(trace, LoadLine{10.0F, 200.0F, 10.0F}, SwingSide::HighCurrent));
    EXPECT_EQ(trace.U, 7.0F);
    EXPECT_EQ(trace.I, 8.0F);
    trace.Points = polyline({{0, 0}, {100, 10}, {200, 20}});
    EXPECT_TRUE(IntersectLoadLine(trace, LoadLine{10.0F, 200.0F, 10.0F}, SwingSide::HighCurrent));
    EXPECT_NEAR(trace.U, 150.0F, 1e-4);
    EXPECT_NEAR(trace.I, 15.0F, 1e-5);

    Workspace ws;
    ws.OperatingUa = 200.0F;
    ws.OperatingIa = 10.0F;
    float u = 1.0F;
    float i = 2.0F;
    EXPECT_FALSE(IntersectFromOperatingPoint(ws, polyline({{0, 0}, {50, 2}}), 10.0F, u, i, SwingSide::LowCurrent));
    EXPECT_EQ(u, 1.0F);
    EXPECT_EQ(i, 2.0F);
    EXPECT_TRUE(IntersectFromOperatingPoint(ws, polyline({{0, 0}, {200, 5}, {400, 10}}), 10.0F, u, i,
                                            SwingSide::LowCurrent));
    EXPECT_NEAR(u, 240.0F, 1e-4);
}

// Independent reference: walk the polyline in fine steps, take the first step
// over which the distance from the line changes sign at a point inside the
// quadrant, and bisect it.
Intersection referenceIntersection(const std::vector<PointColumn>& pts, double r, double u0, double i0,
                                   SwingSide side)
{
    const auto at = [&](double s, double& u, double& i) {
        const auto k = static_cast<std::size_t>(std::min(std::floor(s), double(pts.size() - 2)));
        const double f = s - double(k);
        u = pts[k][kRowUa] + f * (double(pts[k + 1][kRowUa]) - pts[k][kRowUa]);
        i = 1000.0 * (pts[k][kRowIa] + f * (double(pts[k + 1][kRowIa]) - pts[k][kRowIa]));
    };
    const auto dist = [&](double s) {
        double u, i;
        at(s, u, i);
        return (u - u0) + r * (i - i0);
    };
    const int perSegment = 400;
    const double end = double(pts.size() - 1);
    for (int n = 0; n < int(pts.size() - 1) * perSegment; ++n) {
        double a = double(n) / perSegment;
        double b = std::min(end, double(n + 1) / perSegment);
        if ((dist(a) > 0) == (dist(b) > 0))
            continue;
        for (int it = 0; it < 80; ++it) {
            const double m = (a + b) / 2;
            if ((dist(a) > 0) == (dist(m) > 0))
                a = m;
            else
                b = m;
        }
        double u, i;
        at((a + b) / 2, u, i);
        const bool inside = side == SwingSide::HighCurrent ? u <= u0 + 1e-6 : u >= u0 - 1e-6;
        if (inside)
            return {true, float(u), float(i)};
    }
    return {};
}

TEST(Intersection, MatchesADenseBisectionOnRandomCurves)
{
    std::mt19937 rng(20261206);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    int found = 0;
    for (int trial = 0; trial < 300; ++trial) {
        // A rising curve with random steps and wiggles, like a measured one.
        std::vector<PointColumn> pts;
        double u = 0.0;
        double i = 0.0;
        const int n = 5 + int(unit(rng) * 60);
        for (int k = 0; k < n; ++k) {
            pts.push_back({float(u), float(i / 1000.0), 0, 0, 0, 0, 0});
            u += 1.0 + 20.0 * unit(rng);
            i += -0.5 + 4.0 * unit(rng);
        }
        const double u0 = 50.0 + 300.0 * unit(rng);
        const double i0 = 1.0 + 40.0 * unit(rng);
        const double r = 0.2 + 20.0 * unit(rng);
        const SwingSide side = trial % 2 ? SwingSide::HighCurrent : SwingSide::LowCurrent;
        const Intersection ref = referenceIntersection(pts, float(r), float(u0), float(i0), side);
        const Intersection got = intersectPolyline(pts, float(r), float(u0), float(i0), side);
        ASSERT_EQ(got.found, ref.found) << "trial " << trial;
        if (!ref.found)
            continue;
        ++found;
        EXPECT_NEAR(got.ua, ref.ua, 1e-3 * (1.0 + std::abs(ref.ua))) << "trial " << trial;
        EXPECT_NEAR(got.iaMa, ref.iaMa, 1e-3 * (1.0 + std::abs(ref.iaMa))) << "trial " << trial;
    }
    EXPECT_GT(found, 100);  // the check covers many real intersections
}

}  // namespace
}  // namespace zov
