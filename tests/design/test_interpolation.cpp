// Curve blending, curves at unmeasured grid voltages, tube parameters.
#include "design/curve_blend.h"
#include "design/curve_reading.h"
#include "design/design_inputs.h"
#include "design/tube_parameters.h"
#include "design_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace zov {
namespace {

using namespace test;

bool noNegative(const std::vector<PointColumn>& points)
{
    return std::all_of(points.begin(), points.end(), [](const PointColumn& p) { return p[kRowIa] >= 0.0F; });
}

// Every point of the built curve but the reader's zero point lies on the
// model, which is clamped at 0 A: the fixtures' lines run negative below
// cut-off, and a tube does not conduct backwards.
void expectOnModel(const CurveSet& set, float vg1, float vg2, const Model& model)
{
    CurveTrace trace;
    trace.Vg1 = vg1;
    trace.Vg2 = vg2;
    ASSERT_TRUE(CurveAtGrid(set, trace) && trace.Points.size() > 35U) << vg1 << " V: " << trace.Points.size() << " points";
    for (const PointColumn& p : trace.Points)
        EXPECT_TRUE(p[kRowUa] == 0.0F || std::abs(p[kRowIa] - std::max(0.0, model(p[kRowUa], vg1))) < 5e-7) << vg1 << " V at " << p[kRowUa];
}

// Interpolated, equal to a measured voltage, extrapolated below the lowest
// curve; uneven steps, two curves and two grid-2 voltages use the step of the
// two curves blended; curves sampled at other voltages pair by voltage.
TEST(CurveAtGrid, ReproducesTheModelFamilies)
{
    for (float wanted : {-5.5F, -0.25F, -6.0F, -29.9F, -30.0F, -31.0F, -32.5F, 0.0F})
        expectOnModel(linearFamily(), wanted, 250.0F, linearIaA);
    const auto model300 = [](double ua, double g) { return linearIaA(ua, g) + 0.004; };
    const std::vector<float> grids{0.0F, -2.0F, -4.0F, -6.0F};
    const CurveSet multi = makeFamily(sampleFamily(model300, grids, 300.0F, sampleFamily(linearIaA, grids, 250.0F)));
    expectOnModel(makeFamily(sampleFamily(linearIaA, {-2.0F, -4.0F}, 250.0F)), -3.3F, 250.0F, linearIaA);
    expectOnModel(makeFamily(sampleFamily(linearIaA, {0.0F, -4.0F, -10.0F, -15.0F}, 250.0F)), -12.0F, 250.0F, linearIaA);
    const auto mixed = sampleFamily(linearIaA, {-4.0F}, 250.0F, sampleFamily(linearIaA, {-2.0F}, 250.0F, {}, 400, 10), 400, 7);
    expectOnModel(makeFamily(mixed), -2.5F, 250.0F, linearIaA);
    for (float vg1 : {-3.0F, -7.0F})
        expectOnModel(multi, vg1, 300.0F, model300);
    expectOnModel(multi, -5.0F, 250.0F, linearIaA);
}

std::vector<PointColumn> curve(const std::vector<std::pair<float, float>>& uaMa)
{
    std::vector<PointColumn> out;
    for (const auto& [u, iMa] : uaMa)
        out.push_back({u, iMa / 1000.0F, -1.0F, 0.0F, 250.0F, 0.0F, 0.0F});
    return out;
}

// A curve read at an anode voltage: interpolated inside; at a vertical step
// the last of its points, approached along the line to the first; past the
// last point along the last segment (through the last earlier point of
// another voltage) for 10 % of the span, clamped at 0 A; undefined outside.
TEST(CurveReading, TheRuleAtEveryKindOfVoltage)
{
    const auto stepped = curve({{10, 1}, {20, 3}, {20, 5}, {30, 6}, {40, 4}});  // span 30: defined to 43 V
    const auto falling = curve({{0, 0}, {10, 2}, {20, 0.2F}});                   // reaches 0 A at 21.1 V
    const auto stepAtEnd = curve({{10, 1}, {20, 2}, {20, 3}});
    const auto single = curve({{15, 2}});
    const struct {
        const std::vector<PointColumn>* points;
        double ua;
        std::optional<double> iaMa;
        std::optional<double> slopeOhm;
        bool extended;
    } cases[] = {{&stepped, 9.9, {}, {}, false},          {&stepped, 10, 1.0, 5000.0, false},
                 {&stepped, 15, 2.0, 5000.0, false},       {&stepped, 19.99, 2.998, 5000.0, false},
                 {&stepped, 20, 5.0, 10000.0, false},      {&stepped, 25, 5.5, 10000.0, false},
                 {&stepped, 40, 4.0, -5000.0, false},      {&stepped, 43, 3.4, -5000.0, true},
                 {&stepped, 43.01, {}, {}, false},         {&falling, 21, 0.02, -5555.6, true},
                 {&falling, 22, 0.0, -5555.6, true},       {&stepAtEnd, 20, 3.0, 5000.0, false},
                 {&stepAtEnd, 21, 3.2, 5000.0, true},      {&single, 15, 2.0, {}, false},
                 {&single, 15.01, {}, {}, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ua << " V");
        const CurveReading r = readCurve(*c.points, c.ua);
        ASSERT_EQ(r.defined, c.iaMa.has_value());
        if (!r.defined)
            continue;
        EXPECT_NEAR(1000.0 * r.iaA(*c.points), *c.iaMa, 1e-6);
        EXPECT_EQ(r.extended, c.extended);
        const auto slope = r.slopeOhm(*c.points);
        ASSERT_EQ(slope.has_value(), c.slopeOhm.has_value());
        EXPECT_NEAR(slope.value_or(0), c.slopeOhm.value_or(0), 0.1);
    }
}

// Random irregular curves (uneven steps, vertical steps, ends at different
// voltages, falling last segments) blended with t from -0.5 to 2: at every
// voltage of the common range the blend carries max(0, (1 - t) b + t a), with
// b and a read by the reading rule; it has a point at every sample voltage of
// both curves in that range (two at a step), and none outside it.
TEST(BlendSeries, IsTheBlendOfTheTwoReadingsEverywhere)
{
    std::mt19937 rng(20261206);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto randomCurve = [&] {
        std::vector<std::pair<float, float>> pts;
        double u = 40.0 * unit(rng), i = 5.0 * unit(rng);
        for (int k = 0, n = 2 + int(unit(rng) * 30); k < n; ++k) {
            pts.emplace_back(float(u), float(i));
            if (unit(rng) < 0.15)  // a vertical step
                pts.emplace_back(float(u), float(i += 2.0 * unit(rng) - 0.5));
            u += 1.0 + 25.0 * unit(rng);
            i = std::max(0.0, i - 1.0 + 3.0 * unit(rng));
        }
        return curve(pts);
    };
    int blended = 0;
    for (int trial = 0; trial < 300; ++trial) {
        SCOPED_TRACE(trial);
        const Series b{-1.0F, 250.0F, randomCurve()};
        const Series a{-2.0F, 250.0F, randomCurve()};
        const double t = -0.5 + 2.5 * unit(rng);
        CurveTrace trace;
        trace.Points = curve({{1, 1}});
        const CurveRange rb = curveRange(b.Points), ra = curveRange(a.Points);
        const double lo = std::max(rb.first, ra.first), hi = std::min(rb.end, ra.end);
        const bool common = lo <= hi;
        ASSERT_EQ(BlendSeries(trace, b, a, t), common);
        if (!common) {
            EXPECT_EQ(trace.Points, curve({{1, 1}}));
            continue;
        }
        ++blended;
        const auto& out = trace.Points;
        EXPECT_TRUE(noNegative(out));
        EXPECT_EQ(out.front()[kRowUa], float(lo));
        EXPECT_EQ(out.back()[kRowUa], float(hi));
        for (const Series* s : {&b, &a}) {
            for (const PointColumn& p : s->Points) {
                if (p[kRowUa] < lo || p[kRowUa] > hi)
                    continue;
                const auto here = std::count_if(out.begin(), out.end(), [&](const PointColumn& q) { return q[kRowUa] == p[kRowUa]; });
                EXPECT_GE(here, hasStepAt(s->Points, p[kRowUa]) && p[kRowUa] > lo ? 2 : 1) << p[kRowUa];
            }
        }
        for (int k = 0; k <= 50; ++k) {
            const double u = lo + (hi - lo) * k / 50.0;
            const double expected =
                std::max(0.0, (1.0 - t) * readCurve(b.Points, u).iaA(b.Points) + t * readCurve(a.Points, u).iaA(a.Points));
            const CurveReading got = readCurve(out, u);
            ASSERT_TRUE(got.defined) << u;
            EXPECT_NEAR(got.iaA(out), expected, 1e-6 * (1.0 + std::abs(expected)) + 1e-9) << u << " V, t " << t;
        }
    }
    EXPECT_GT(blended, 150);
}

// Exact on the linear family, between columns k and k + 1; nothing above the
// highest curve, below the lowest or beyond the curves' reach (their last
// point, 500 V, plus 10 % of their span: 549.5 V).
TEST(TubeParameters, LinearFamily)
{
    const CurveSet set = linearFamily();
    const SeriesSelection all = defaultSelection(set);
    ASSERT_EQ(all.Vg1List.substr(0, 8) + all.Vg1List.substr(all.Vg1List.size() - 6) + all.Vg2List, "-30,-29,,-1,0,250,");
    // (202 V, 15.15 mA) lies just above the -6 V curve, which rises past it before its next point.
    const std::pair<float, float> cases[] = {{200.0F, 15.5F}, {200.0F, 15.0F}, {100.0F, 4.3F}, {350.0F, 20.1F},
                                             {480.0F, 6.3F},  {12.0F, 11.2F},  {202.0F, 15.15F}, {200.0F, 30.0F},
                                             {200.0F, -12.5F}, {530.0F, 20.0F}, {552.0F, 20.0F}};
    for (const auto& [ua, iaMa] : cases) {
        SCOPED_TRACE(testing::Message() << ua << " V " << iaMa << " mA");
        CurveTrace trace;
        trace.Vg1 = 123.0F;
        const TubeParameterResult r = TubeParameters(set, all, trace, iaMa / 1000.0F, ua);
        const double vg0 = (iaMa * 20.0 - ua - 220.0) / 20.0;
        const float below = std::floor(float(vg0) - 1e-4F);
        EXPECT_EQ(r.found, vg0 <= 0.0 && vg0 >= -30.0 && ua <= 549.5F);
        EXPECT_EQ(trace.Vg2, 250.0F);  // the fixed voltage is always written
        EXPECT_TRUE(r.found || trace.Vg1 == 123.0F);  // no grid voltage written when nothing is found
        if (!r.found)
            continue;
        ASSERT_TRUE(r.rpKOhm);
        ASSERT_TRUE(r.mu);
        ASSERT_EQ(r.axis, SweepAxis::Grid1);
        EXPECT_TRUE(std::abs(r.vg0 - vg0) < 2e-4 && trace.Vg1 == r.vg0) << r.vg0;
        EXPECT_NEAR(r.gmMaPerV, 1.0, 1e-4);
        EXPECT_TRUE(std::abs(*r.rpKOhm - 20.0F) < 2e-3 && std::abs(*r.mu - 20.0F) < 2e-3) << *r.rpKOhm << " " << *r.mu;
        EXPECT_EQ(set.Vg1Table[r.lowerColumn].voltage, below);
        EXPECT_EQ(r.upperColumn, r.lowerColumn + 1);
        EXPECT_NEAR(r.lowerIaMa, 1000.0 * linearIaA(ua, below), 1e-4);
        EXPECT_NEAR(r.upperIaMa, 1000.0 * linearIaA(ua, below + 1.0), 1e-4);
    }
}

// One grid-1 value in the selection (or none): a grid-2 sweep at the first listed grid-1 voltage.
TEST(TubeParameters, SingleGrid1ValueSweepsGrid2)
{
    std::vector<CurveData> curves;
    for (float g2 : {250.0F, 200.0F, 300.0F})  // 0.1 mA per grid-2 volt
        curves = sampleFamily([g2](double u, double) { return (u + 2.0 * g2) / 20000.0; }, {-10.0F}, g2, curves);
    for (const char* list : {"-10,", ""}) {
        CurveTrace trace;
        const auto r = TubeParameters(makeFamily(curves), {list, "200,250,300,"}, trace, 0.0335F, 150.0F);
        EXPECT_EQ(r.axis, SweepAxis::Grid2) << list;
        EXPECT_EQ(trace.Vg1, *list ? -10.0F : 0.0F) << list;
        EXPECT_EQ(r.found, *list != 0);  // no curve has grid-1 voltage 0
        if (r.found) {
            EXPECT_NEAR(r.vg0, 260.0F, 1e-3);
            EXPECT_EQ(trace.Vg2, r.vg0);
            EXPECT_NEAR(r.gmMaPerV, 0.1F, 1e-5);
        }
    }
}

// gm and vg0 from the grid step of the two curves used (uneven steps, two
// grid-2 voltages); an upper curve cut short by a current limit is continued
// along its last segment (370 V to 380 V, within 10 % of its span); a flat
// segment gives no rp and mu but
// leaves gm and vg0 undisturbed by any guard.
TEST(TubeParameters, TheCurvesActuallyUsed)
{
    const std::vector<float> grids{0.0F, -4.0F, -8.0F, -10.0F, -15.0F};
    const CurveSet uneven = makeFamily(sampleFamily([](double u, double g) { return linearIaA(u, g) / 2.0; }, grids, 300.0F,
                                                    sampleFamily(linearIaA, grids, 250.0F)));
    auto limited =
        sampleFamily(linearIaA, {0.0F, -1.0F, -2.0F, -3.0F, -4.0F, -5.0F, -6.0F, -7.0F, -8.0F, -9.0F, -10.0F}, 0.0F);
    for (auto& c : limited)
        std::erase_if(c.points, [](const auto& p) { return p.second > 0.0207F; });  // the tracer's current limit
    const CurveData high{0.0F, 0.0F, {{100.0F, 0.008F}, {200.0F, 0.010F}, {300.0F, 0.012F}}};
    const CurveData flat{-2.0F, 0.0F, {{100.0F, 0.004F}, {200.0F, 0.004F}, {300.0F, 0.006F}}};
    const struct {
        CurveSet set;
        const char* vg2List;
        float ua, iaMa, lowMa, highMa, gm, vg0;
        std::optional<float> rp;
    } cases[] = {{uneven, "250,", 200.0F, 13.5F, 13.0F, 17.0F, 1.0F, -7.5F, 20.0F},
                 {uneven, "250,", 200.0F, 9.0F, 6.0F, 11.0F, 1.0F, -12.0F, 20.0F},
                 {uneven, "300,", 200.0F, 6.75F, 6.5F, 8.5F, 0.5F, -7.5F, 40.0F},
                 {uneven, "300,", 200.0F, 4.5F, 3.0F, 5.5F, 0.5F, -12.0F, 40.0F},
                 // At 380 V the -9 V curve would carry 21 mA but stops at 370 V.
                 {makeFamily(limited), "0,", 380.0F, 20.5F, 20.0F, 21.0F, 1.0F, -9.5F, 20.0F},
                 {makeFamily({high, flat}), "0,", 150.0F, 6.0F, 4.0F, 9.0F, 2.5F, -1.2F, std::nullopt}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.vg2List << " " << c.iaMa);
        CurveTrace trace;
        const auto r = TubeParameters(c.set, {"0,-1,-2,", c.vg2List}, trace, c.iaMa / 1000.0F, c.ua);
        ASSERT_TRUE(r.found);
        EXPECT_TRUE(std::abs(r.lowerIaMa - c.lowMa) < 1e-4 && std::abs(r.upperIaMa - c.highMa) < 1e-4)
            << r.lowerIaMa << " " << r.upperIaMa;
        EXPECT_TRUE(std::abs(r.gmMaPerV - c.gm) < 1e-4 && std::abs(r.vg0 - c.vg0) < 1e-4) << r.gmMaPerV << " " << r.vg0;
        EXPECT_EQ(r.rpKOhm.has_value(), c.rp.has_value());
        EXPECT_EQ(r.mu.has_value(), c.rp.has_value());
        EXPECT_NEAR(r.rpKOhm.value_or(0), c.rp.value_or(0), 5e-3);
    }
}

}  // namespace
}  // namespace zov
