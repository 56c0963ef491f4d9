// Curve blending, curves at unmeasured grid voltages, tube parameters.
#include "design/count_separators.h"
#include "design/curve_blend.h"
#include "design/tube_parameters.h"
#include "design_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zov {
namespace {

using test::CurveData;
using test::linearFamily;
using test::linearIaA;
using test::makeFamily;
using test::sampleFamily;

SeriesSelection selectionOf(const std::string& vg1, const std::string& vg2)
{
    return SeriesSelection{vg1, vg2};
}

const SeriesSelection kAllGrid1 = selectionOf("-30,-29,-28,-27,-26,-25,-24,-23,-22,-21,-20,-19,-18,-17,-16,"
                                              "-15,-14,-13,-12,-11,-10,-9,-8,-7,-6,-5,-4,-3,-2,-1,0,",
                                              "250,");

TEST(CountSeparators, CountsFromTheSecondCharacter)
{
    struct Case {
        const char* text;
        const char* sep;
        int count;
    } cases[] = {
        {"", ",", 0},         {",", ",", 0},       {",,", ",", 1},       {"-1,", ",", 1},
        {"-1,-2,", ",", 2},   {"-1,-2,-3,", ",", 3}, {"aaa", "aa", 1},   {"aaaa", "aa", 2},
        {"250", ",", 0},      {"-1,-2,", "", 0},   {"x\r\ny\r\n", "\r\n", 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CountSeparators(c.text, c.sep), c.count) << '"' << c.text << '"';
}

// Every point of a blended curve of the linear family lies on the model curve
// at the wanted grid voltage, whether it is interpolated, equal to a measured
// voltage or extrapolated below the lowest curve.
TEST(CurveAtGrid, LinearFamilyIsReproducedExactly)
{
    const CurveSet set = linearFamily();
    for (float wanted : {-5.5F, -0.25F, -6.0F, -29.9F, -30.0F, -31.0F, -32.5F, 0.0F}) {
        CurveTrace trace;
        trace.Vg1 = wanted;
        trace.Vg2 = 250.0F;
        ASSERT_TRUE(CurveAtGrid(set, trace)) << wanted;
        ASSERT_GT(trace.Points.size(), 90U) << wanted;
        for (const PointColumn& p : trace.Points) {
            if (p[kRowUa] < 5.0F)
                continue;  // the reader's zero point is not on the model line
            EXPECT_NEAR(p[kRowIa], linearIaA(p[kRowUa], wanted), 2e-7) << wanted << " at " << p[kRowUa];
            EXPECT_NEAR(p[kRowVg1], wanted, 1e-5) << wanted;
            EXPECT_FLOAT_EQ(p[kRowVg2], 250.0F);
        }
    }
}

TEST(CurveAtGrid, MeasuredVoltageGivesTheMeasuredCurve)
{
    const CurveSet set = linearFamily();
    CurveTrace trace;
    trace.Vg1 = -7.0F;
    trace.Vg2 = 250.0F;
    ASSERT_TRUE(CurveAtGrid(set, trace));
    const Series& measured = set.Series[7];
    ASSERT_EQ(measured.Vg1, -7.0F);
    ASSERT_EQ(trace.Points.size(), measured.Points.size());
    for (std::size_t k = 0; k < trace.Points.size(); ++k)
        EXPECT_EQ(trace.Points[k], measured.Points[k]) << k;
}

TEST(CurveAtGrid, NoCurveAboveTheHighestOrForAnotherGrid2OrASingleCurve)
{
    const CurveSet set = linearFamily();
    CurveTrace trace;
    trace.Points = {PointColumn{1, 2, 3, 4, 5, 6, 7}};
    const auto untouched = trace.Points;
    trace.Vg2 = 250.0F;
    trace.Vg1 = 0.5F;
    EXPECT_FALSE(CurveAtGrid(set, trace));
    trace.Vg1 = -5.0F;
    trace.Vg2 = 300.0F;
    EXPECT_FALSE(CurveAtGrid(set, trace));
    EXPECT_EQ(trace.Points, untouched);

    const CurveSet single = makeFamily(sampleFamily(linearIaA, {-4.0F}, 250.0F, 5.0F, 100.0F, 5.0F));
    trace.Vg1 = -4.0F;
    trace.Vg2 = 250.0F;
    EXPECT_FALSE(CurveAtGrid(single, trace));
}

// Two curves (spacing 0 in the set), uneven steps, and a family measured at
// two grid-2 voltages: the blend factor uses the two curves actually blended.
TEST(CurveAtGrid, UnevenStepsTwoCurvesAndSeveralGrid2Voltages)
{
    const auto model300 = [](double ua, double g) { return linearIaA(ua, g) + 0.004; };
    struct Case {
        const char* name;
        CurveSet set;
        float vg2;
        float wanted;
        std::function<double(double, double)> model;
    };
    std::vector<CurveData> twoGrids = sampleFamily(linearIaA, {-0.0F, -15.0F}, 250.0F, 5.0F, 400.0F, 5.0F);
    auto multi = sampleFamily(linearIaA, {0.0F, -2.0F, -4.0F, -6.0F}, 250.0F, 5.0F, 400.0F, 5.0F);
    for (auto& c : sampleFamily(model300, {0.0F, -2.0F, -4.0F, -6.0F}, 300.0F, 5.0F, 400.0F, 5.0F))
        multi.push_back(c);
    Case cases[] = {
        {"two curves", makeFamily(sampleFamily(linearIaA, {-2.0F, -4.0F}, 250.0F, 5.0F, 400.0F, 5.0F)),
         250.0F, -3.3F, linearIaA},
        {"uneven", makeFamily(sampleFamily(linearIaA, {0.0F, -4.0F, -8.0F, -10.0F, -15.0F}, 250.0F, 5.0F,
                                           400.0F, 5.0F)),
         250.0F, -12.0F, linearIaA},
        {"uneven upper", makeFamily(twoGrids), 250.0F, -5.0F, linearIaA},
        {"grid-2 300", makeFamily(multi), 300.0F, -3.0F, model300},
        {"grid-2 300 below", makeFamily(multi), 300.0F, -7.0F, model300},
        {"grid-2 250", makeFamily(multi), 250.0F, -5.0F, linearIaA},
    };
    for (Case& c : cases) {
        CurveTrace trace;
        trace.Vg1 = c.wanted;
        trace.Vg2 = c.vg2;
        ASSERT_TRUE(CurveAtGrid(c.set, trace)) << c.name;
        for (const PointColumn& p : trace.Points) {
            if (p[kRowUa] < 5.0F)
                continue;
            EXPECT_NEAR(p[kRowIa], c.model(p[kRowUa], c.wanted), 5e-7) << c.name << " at " << p[kRowUa];
        }
    }
}

// Pairing by anode voltage: a curve sampled at other voltages than its
// neighbour still blends onto the straight line between them.
TEST(BlendSeries, PairsPointsAtEqualAnodeVoltage)
{
    Series upper{-2.0F, 0.0F, {}};
    Series lower{-4.0F, 0.0F, {}};
    for (int u = 10; u <= 200; u += 10)
        upper.Points.push_back({float(u), float(linearIaA(u, -2.0)), -2.0F, 0, 0, 0, 0});
    for (int u = 0; u <= 150; u += 7)
        lower.Points.push_back({float(u), float(linearIaA(u, -4.0)), -4.0F, 0, 0, 0, 0});
    CurveTrace t;
    ASSERT_TRUE(BlendSeries(t, upper, lower, 0.25F));
    ASSERT_EQ(t.Points.size(), 14U);  // 10 ... 140 lie within 0 ... 147
    for (const PointColumn& p : t.Points) {
        EXPECT_NEAR(p[kRowIa], linearIaA(p[kRowUa], -2.5), 1e-7) << p[kRowUa];
        EXPECT_NEAR(p[kRowVg1], -2.5F, 1e-6);
    }
    EXPECT_EQ(t.Points.back()[kRowUa], 140.0F);

    Series far{-6.0F, 0.0F, {{500.0F, 0.1F, -6.0F, 0, 0, 0, 0}, {510.0F, 0.1F, -6.0F, 0, 0, 0, 0}}};
    CurveTrace untouched;
    EXPECT_FALSE(BlendSeries(untouched, upper, far, 0.5F));
    EXPECT_TRUE(untouched.Points.empty());
}

// On the linear family the parameters are exact: gm 1 mA/V, rp 20 kOhm,
// mu 20, and the grid voltage of every operating point.
TEST(TubeParameters, LinearFamilyIsExact)
{
    const CurveSet set = linearFamily();
    struct Case {
        float ua;
        float iaMa;
    } cases[] = {{200.0F, 15.5F}, {200.0F, 15.0F}, {100.0F, 4.3F}, {350.0F, 20.1F}, {480.0F, 6.3F},
                 {12.0F, 11.2F},
                 // Just above the -6 V curve, which rises past the current before its next point.
                 {202.0F, 15.15F}};
    for (const Case& c : cases) {
        CurveTrace trace;
        const TubeParameterResult r = TubeParameters(set, kAllGrid1, trace, c.iaMa / 1000.0F, c.ua);
        ASSERT_TRUE(r.found) << c.ua << " " << c.iaMa;
        EXPECT_EQ(r.axis, SweepAxis::Grid1);
        const double vg0 = (c.iaMa / 1000.0 * test::kLinRpOhm - c.ua - test::kLinOffsetV) / test::kLinMu;
        EXPECT_NEAR(r.vg0, vg0, 2e-4) << c.ua << " " << c.iaMa;
        EXPECT_NEAR(r.gmMaPerV, 1.0, 1e-4);
        ASSERT_TRUE(r.rpKOhm.has_value());
        EXPECT_NEAR(*r.rpKOhm, 20.0, 2e-3);
        ASSERT_TRUE(r.mu.has_value());
        EXPECT_NEAR(*r.mu, 20.0, 2e-3);
        EXPECT_EQ(trace.Vg1, r.vg0);
        EXPECT_EQ(trace.Vg2, 250.0F);
        // The operating point lies between the two curves used.
        EXPECT_LT(r.lowerIaMa, c.iaMa);
        EXPECT_GE(r.upperIaMa, c.iaMa);
        EXPECT_EQ(r.upperColumn, r.lowerColumn + 1);
        EXPECT_LE(set.Vg1Table[r.lowerColumn].voltage, r.vg0);
        EXPECT_GE(set.Vg1Table[r.upperColumn].voltage, r.vg0);
    }
}

TEST(TubeParameters, BetweenColumnsKAndKPlusOne)
{
    const CurveSet set = linearFamily();
    CurveTrace trace;
    const auto r = TubeParameters(set, kAllGrid1, trace, 0.0155F, 200.0F);  // on the -5.5 V curve
    ASSERT_TRUE(r.found);
    EXPECT_EQ(set.Vg1Table[r.lowerColumn].voltage, -6.0F);
    EXPECT_EQ(set.Vg1Table[r.upperColumn].voltage, -5.0F);
    EXPECT_NEAR(r.vg0, -5.5F, 1e-4);
    EXPECT_NEAR(r.lowerIaMa, 15.0, 1e-4);
    EXPECT_NEAR(r.upperIaMa, 16.0, 1e-4);
}

TEST(TubeParameters, NothingAboveTheHighestBelowTheLowestOrBeyondTheCurves)
{
    const CurveSet set = linearFamily();
    struct Case {
        const char* name;
        float ua;
        float iaA;
    } cases[] = {
        {"above the highest curve", 200.0F, 0.030F},
        {"below the lowest curve", 200.0F, -0.0125F},
        {"right of every curve", 520.0F, 0.020F},
    };
    for (const Case& c : cases) {
        CurveTrace trace;
        trace.Vg1 = 123.0F;
        const auto r = TubeParameters(set, kAllGrid1, trace, c.iaA, c.ua);
        EXPECT_FALSE(r.found) << c.name;
        EXPECT_EQ(trace.Vg1, 123.0F) << c.name;  // no grid voltage written
        EXPECT_EQ(trace.Vg2, 250.0F) << c.name;  // the fixed voltage always is
    }
}

// One grid-1 value in the selection (or none) means a grid-2 sweep with the
// first listed grid-1 voltage fixed.
TEST(TubeParameters, SingleGrid1ValueSweepsGrid2)
{
    // Curves at one grid-1 voltage and grid-2 voltages 200, 250, 300 V, where
    // the current rises by 0.1 mA per grid-2 volt.
    const auto model = [](double ua, double vg2) { return (ua + 0.1 * 20000.0 * vg2 / 1000.0) / 20000.0; };
    std::vector<CurveData> curves;
    for (float g2 : {250.0F, 200.0F, 300.0F}) {
        CurveData c{-10.0F, g2, {}};
        for (int u = 5; u <= 400; u += 5)
            c.points.emplace_back(float(u), float(model(u, g2)));
        curves.push_back(c);
    }
    const CurveSet set = makeFamily(curves);
    for (const char* list : {"-10,", ""}) {
        CurveTrace trace;
        const auto r = TubeParameters(set, selectionOf(list, "200,250,300,"), trace,
                                      static_cast<float>(model(150.0, 260.0)), 150.0F);
        EXPECT_EQ(r.axis, SweepAxis::Grid2) << list;
        EXPECT_EQ(trace.Vg1, *list ? -10.0F : 0.0F) << list;
        if (*list == 0) {
            EXPECT_FALSE(r.found);  // no curve has grid-1 voltage 0
            continue;
        }
        ASSERT_TRUE(r.found);
        EXPECT_NEAR(r.vg0, 260.0F, 1e-3);
        EXPECT_EQ(trace.Vg2, r.vg0);
        EXPECT_NEAR(r.gmMaPerV, 0.1, 1e-5);
    }
}

TEST(TubeParameters, UnevenStepsAndSeveralGrid2Voltages)
{
    auto multi = sampleFamily(linearIaA, {0.0F, -4.0F, -8.0F, -10.0F, -15.0F}, 250.0F, 5.0F, 400.0F, 5.0F);
    for (auto& c : sampleFamily([](double u, double g) { return linearIaA(u, g) / 2.0; },
                                {0.0F, -4.0F, -8.0F, -10.0F, -15.0F}, 300.0F, 5.0F, 400.0F, 5.0F))
        multi.push_back(c);
    const CurveSet set = makeFamily(multi);
    ASSERT_EQ(set.Vg1Spacing, 0.0F);  // -15, -15 are the first two columns
    struct Case {
        const char* vg2List;
        float iaMa;
        double gm;
        double vg0;
    } cases[] = {
        {"250,", 13.5F, 1.0, -7.5},  // between -8 and -4
        {"250,", 9.0F, 1.0, -12.0},  // between -15 and -10
        {"300,", 6.75F, 0.5, -7.5},
        {"300,", 4.5F, 0.5, -12.0},
    };
    for (const Case& c : cases) {
        CurveTrace trace;
        const auto r = TubeParameters(set, selectionOf("0,-4,-8,-10,-15,", c.vg2List), trace,
                                      c.iaMa / 1000.0F, 200.0F);
        ASSERT_TRUE(r.found) << c.vg2List << c.iaMa;
        EXPECT_NEAR(r.gmMaPerV, c.gm, 1e-4) << c.vg2List << c.iaMa;
        EXPECT_NEAR(r.vg0, c.vg0, 1e-4) << c.vg2List << c.iaMa;
        EXPECT_NEAR(*r.rpKOhm, c.gm == 1.0 ? 20.0 : 40.0, 5e-3);
    }
}

// A tracer's current limit cuts the upper curve short of the operating
// voltage: its current there is extrapolated from its last two points.
TEST(TubeParameters, UpperCurveEndingBeforeTheOperatingVoltageIsExtrapolated)
{
    std::vector<CurveData> curves;
    for (int g = 0; g >= -10; --g) {
        CurveData c{float(g), 0.0F, {}};
        for (int u = 5; u <= 400; u += 5) {
            const double ia = linearIaA(u, g);
            if (ia > 0.0207)
                break;  // the limit
            c.points.emplace_back(float(u), float(ia));
        }
        curves.push_back(c);
    }
    const CurveSet set = makeFamily(curves);
    CurveTrace trace;
    // At 380 V the -10 V curve carries 20 mA; the -9 V curve would carry
    // 21 mA but stops at 370 V.
    const auto r = TubeParameters(set, selectionOf("0,-1,-2,", "0,"), trace, 0.0205F, 380.0F);
    ASSERT_TRUE(r.found);
    EXPECT_EQ(set.Vg1Table[r.lowerColumn].voltage, -10.0F);
    EXPECT_NEAR(r.lowerIaMa, 20.0, 1e-4);
    EXPECT_NEAR(r.upperIaMa, 21.0, 1e-4);
    EXPECT_NEAR(r.vg0, -9.5, 1e-4);
    EXPECT_NEAR(r.gmMaPerV, 1.0, 1e-4);
    EXPECT_NEAR(*r.rpKOhm, 20.0, 5e-3);
}

// A flat segment (two points at one current) gives no slope: rp and mu are
// absent, gm and the grid voltage are not disturbed by any guard value.
TEST(TubeParameters, FlatSegmentLeavesRpAndMuAbsent)
{
    CurveData low{-2.0F, 0.0F, {{100.0F, 0.004F}, {200.0F, 0.004F}, {300.0F, 0.006F}}};
    CurveData high{0.0F, 0.0F, {{100.0F, 0.008F}, {200.0F, 0.010F}, {300.0F, 0.012F}}};
    const CurveSet set = makeFamily({high, low});
    CurveTrace trace;
    const auto r = TubeParameters(set, selectionOf("-2,0,", "0,"), trace, 0.006F, 150.0F);
    ASSERT_TRUE(r.found);
    EXPECT_NEAR(r.lowerIaMa, 4.0, 1e-5);
    EXPECT_NEAR(r.upperIaMa, 9.0, 1e-5);
    EXPECT_NEAR(r.gmMaPerV, 2.5, 1e-5);
    EXPECT_NEAR(r.vg0, -2.0 + 2.0 * 2.0 / 5.0, 1e-5);
    EXPECT_FALSE(r.rpKOhm.has_value());
    EXPECT_FALSE(r.mu.has_value());
}

}  // namespace
}  // namespace zov
