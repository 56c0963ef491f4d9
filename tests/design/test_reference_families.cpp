// The engine on real families (measured and digitized) against the values
// their authors or the datasheets published, and on a model family against
// the worked textbook example.
#include "design/stage_analysis.h"
#include "design/tube_parameters.h"
#include "design_fixtures.h"
#include "display/scales.h"
#include "files/tdf_file.h"
#include "files/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iostream>

namespace zov {
namespace {

std::string fmt(double v)
{
    return formatPattern(v, "0.0###");
}

// A reference family read through the TDF reader, as the program reads it.
bool loadReference(CurveSet& set, const std::optional<std::string>& tdf)
{
    if (!tdf)
        return false;
    return readCurveSetFromMemory(set, *tdf) && set.Loaded;
}

struct Published {
    const char* file;
    float ua;
    float iaMa;
    double vg0;
    double gmMaPerV;
    double rpKOhm;
    double mu;
    double rpTolerance;  // relative, for rp and mu
};

// Brennwald's own small-signal values for his measured families (derivatives
// at the operating point; parameters.csv beside the data). The method here is
// a secant between the two curves that bracket the point (10 V apart on the
// 300B, 5 V on the EL34) and the mean of the chord slopes of the two curves
// (5 V or 10 V apart along the anode axis), so it differs from a derivative
// by the curvature of the family over one grid step. Brennwald's note that
// plain secant checks agree within about 10 % sets the tolerances: 10 % for
// gm, 15 % for rp and mu (a chord slope on points 5 V apart is noisier than a
// secant across grid steps), 1 V for the grid voltage (a tenth of a step).
// The EL34 gets 25 % on rp and mu: at 350 V its bracketing curves run at very
// different slopes (2.22 kOhm on the -35 V curve at 15 mA, 1.35 kOhm on the
// -30 V curve at 42 mA, where its 25 W limit is near), and the method takes
// their mean, 1.78 kOhm, where Brennwald reports 2.22 kOhm.
TEST(ReferenceFamilies, MeasuredTriodesAgainstPublishedParameters)
{
    const Published cases[] = {
        {"raw/mbrennwa__curvetracedata/300B/data/300B_Svetlana_5.dat", 300.0F, 100.0F, -53.69, 6.265, 0.644, 4.03, 0.15},
        {"raw/mbrennwa__curvetracedata/300B/data/300B_TJMesh_1.dat", 300.0F, 100.0F, -53.94, 6.057, 0.651, 3.95, 0.15},
        {"raw/mbrennwa__curvetracedata/EL34/data/EL34_1.dat", 350.0F, 40.0F, -31.03, 5.65, 2.22, 12.5, 0.25},
    };
    for (const Published& p : cases) {
        CurveSet set;
        if (!loadReference(set, test::tdfFromBrennwald(p.file)))
            GTEST_SKIP() << "reference family not available: " << p.file;
        ASSERT_GE(set.Vg1Top, 12) << p.file;
        CurveTrace trace;
        const auto r = TubeParameters(set, defaultSelection(set), trace, p.iaMa / 1000.0F, p.ua);
        ASSERT_TRUE(r.found) << p.file;
        ASSERT_TRUE(r.rpKOhm && r.mu) << p.file;
        std::cout << p.file << ": vg0 " << fmt(r.vg0) << " (" << fmt(p.vg0) << "), gm " << fmt(r.gmMaPerV)
                  << " (" << fmt(p.gmMaPerV) << "), rp " << fmt(*r.rpKOhm) << " (" << fmt(p.rpKOhm)
                  << "), mu " << fmt(*r.mu) << " (" << fmt(p.mu) << ")\n";
        EXPECT_NEAR(r.vg0, p.vg0, 1.0) << p.file;
        EXPECT_NEAR(r.gmMaPerV, p.gmMaPerV, 0.10 * p.gmMaPerV) << p.file;
        EXPECT_NEAR(*r.rpKOhm, p.rpKOhm, p.rpTolerance * p.rpKOhm) << p.file;
        EXPECT_NEAR(*r.mu, p.mu, p.rpTolerance * p.mu) << p.file;
    }
}

// The measured 300B at 300 V on its -60 V curve with a 3 kOhm load and swings
// that land on measured curves (the worked single-ended example).
TEST(ReferenceFamilies, Measured300BSingleEnded)
{
    Workspace ws;
    if (!loadReference(ws.CurveSets[0],
                       test::tdfFromBrennwald("raw/mbrennwa__curvetracedata/300B/data/300B_Svetlana_5.dat")))
        GTEST_SKIP() << "300B family not available";
    ws.SeriesSelections[0] = defaultSelection(ws.CurveSets[0]);
    ws.ModeName = QStringLiteral("Cook");
    updateScales(ws, "100", "20");
    struct Case {
        float vin;
        double u1, i1, u2, i2, gain, pout, h2;
    } cases[] = {
        {40.0F, 238.3, 81.5, 357.7, 41.7, 2.98, 0.59, 1.66},
        {80.0F, 174.1, 102.9, 409.2, 24.5, 2.94, 2.30, 3.54},
    };
    for (const Case& c : cases) {
        const StageDesign d = applyOperatingPoint(ws, UaToX(ws, 300.0F), IaToY(ws, 60.9F),
                                                  DesignInputs{Topology::SingleEnded, 3.0F, c.vin});
        ASSERT_TRUE(d.parameters && d.parameters->found);
        ASSERT_TRUE(d.analysis.results.has_value()) << c.vin;
        const StageResults& r = *d.analysis.results;
        std::cout << "300B SE Vin " << fmt(c.vin) << ": vg0 " << fmt(d.parameters->vg0) << " U1 "
                  << fmt(d.analysis.up.ua) << " I1 " << fmt(d.analysis.up.iaMa) << " U2 " << fmt(d.analysis.down.ua)
                  << " I2 " << fmt(d.analysis.down.iaMa) << " gain " << fmt(*r.gain) << " Pout " << fmt(r.poutW)
                  << " H2 " << fmt(*r.h2Percent) << "\n";
        // The worked figures intersect the measured curves linearly between
        // points, as here, and are rounded to the digits shown; the operating
        // curve is found at -60.003 V rather than exactly on the -60 V curve
        // (60.9 mA is the curve's current rounded), which moves the
        // intersections by a few hundredths of a volt.
        EXPECT_NEAR(d.parameters->vg0, -60.0, 0.01);
        EXPECT_NEAR(d.analysis.up.ua, c.u1, 0.1);
        EXPECT_NEAR(d.analysis.up.iaMa, c.i1, 0.06);
        EXPECT_NEAR(d.analysis.down.ua, c.u2, 0.1);
        EXPECT_NEAR(d.analysis.down.iaMa, c.i2, 0.06);
        EXPECT_NEAR(*r.gain, c.gain, 0.006);
        EXPECT_NEAR(r.poutW, c.pout, 0.006);
        EXPECT_NEAR(*r.h2Percent, c.h2, 0.006);
    }
}

// The digitized GE 6L6GC family at 400 V on grid 2 in push-pull class AB1:
// 450 V, 58 mA per tube, Zaa 5.6 kOhm, 70 Vpp per grid. Published: 55 W.
// The method's composite line gives about 53 W (the worked example's helper
// check: U1 = 64.4 V, 53.1 W); the 3.5 % difference is the method's, not
// bent here.
TEST(ReferenceFamilies, Digitized6L6GCPushPullPower)
{
    Workspace ws;
    if (!loadReference(ws.CurveSets[0], test::tdfFromGe6L6("raw/jilott__valvestudio/projects/"
                                                           "beamPentodePushPullBiasing/GE - 6L6GC - 400V Screen Voltage.csv")))
        GTEST_SKIP() << "6L6GC family not available";
    ws.SeriesSelections[0] = defaultSelection(ws.CurveSets[0]);
    ws.ModeName = QStringLiteral("Cook");
    updateScales(ws, "100", "50");
    const StageDesign d = applyOperatingPoint(ws, UaToX(ws, 450.0F), IaToY(ws, 58.0F),
                                              DesignInputs{Topology::PushPull, 5.6F, 70.0F});
    ASSERT_TRUE(d.parameters && d.parameters->found);
    ASSERT_TRUE(d.analysis.results.has_value());
    const StageResults& r = *d.analysis.results;
    std::cout << "6L6GC PP: vg0 " << fmt(d.parameters->vg0) << " junction " << fmt(ws.JunctionUa) << " V "
              << fmt(ws.JunctionIa) << " mA, U1 " << fmt(d.analysis.up.ua) << " I1 " << fmt(d.analysis.up.iaMa)
              << " Pout " << fmt(r.poutW) << " W (published 55 W)\n";
    EXPECT_NEAR(d.parameters->vg0, -37.0, 0.5);  // the datasheet bias for 58 mA
    EXPECT_GE(d.analysis.up.iaMa, ws.JunctionIa);  // on the R/4 segment
    EXPECT_NEAR(d.analysis.up.ua, 64.4, 2.0);
    EXPECT_NEAR(r.poutW, 53.1, 0.6);
    EXPECT_NEAR(r.poutW, 55.0, 0.05 * 55.0);
}

// Koren's 12AX7 model as a family of 0.5 V steps sampled every 5 V, against
// the worked textbook stage (221 V, 1.0753 mA, 100 kOhm: gain 61.7, 61.5,
// 60.7 and H2 1.17, 2.35, 4.79 % at 0.5, 1 and 2 Vpp, computed on the model's
// exact curves) and against an independent reference of the method on the
// same samples: the current piecewise linear in grid voltage between the
// sampled curves and in anode voltage between samples, the grid voltage and
// the crossings found by bisection. The engine must match the reference
// closely; the textbook figures only within what a 0.5 V family can resolve.
// At 0.5 Vpp the distortion is a midpoint shift of a third of a volt, and the
// piecewise-linear family puts the operating grid voltage at -1.636 V instead
// of the model's -1.611 V, so both the reference and the engine give 0.31 %
// there; at 1 and 2 Vpp they are within 2 % of the model.
double korenIaA(double ua, double vg)
{
    const double mu = 100.0, ex = 1.4, kg1 = 1060.0, kp = 600.0, kvb = 300.0;
    if (ua <= 0.0)
        return 0.0;
    const double e1 = ua / kp * std::log1p(std::exp(kp * (1.0 / mu + vg / std::sqrt(kvb + ua * ua))));
    return e1 > 0.0 ? 2.0 * std::pow(e1, ex) / kg1 : 0.0;
}

// The sampled family read piecewise linearly (A).
double sampledKorenIaA(double ua, double vg)
{
    const double g = std::clamp(vg, -3.99999, -1e-9);
    const double hi = std::ceil(g / 0.5) * 0.5;
    const double lo = hi - 0.5;
    const double t = (hi - g) / 0.5;
    const auto along = [&](double grid) {
        const double k = std::floor(ua / 5.0);
        const double f = ua / 5.0 - k;
        return (1.0 - f) * double(float(korenIaA(5.0 * k, float(grid)))) +
               f * double(float(korenIaA(5.0 * k + 5.0, float(grid))));
    };
    return (1.0 - t) * along(hi) + t * along(lo);
}

double bisect(const std::function<double(double)>& f, double a, double b)
{
    for (int n = 0; n < 200; ++n) {
        const double m = (a + b) / 2.0;
        if ((f(a) > 0.0) == (f(m) > 0.0))
            a = m;
        else
            b = m;
    }
    return (a + b) / 2.0;
}

TEST(ReferenceFamilies, Koren12AX7SingleEnded)
{
    std::vector<float> grids;
    for (int k = 0; k <= 8; ++k)
        grids.push_back(-0.5F * static_cast<float>(k));
    Workspace ws;
    ws.CurveSets[0] = test::makeFamily(test::sampleFamily(korenIaA, grids, 0.0F, 0.0F, 400.0F, 5.0F));
    ws.SeriesSelections[0] = defaultSelection(ws.CurveSets[0]);
    ws.ModeName = QStringLiteral("Cook");
    updateScales(ws, "50", "0.5");
    const double u0 = 221.0;
    const double i0 = double(YToIa(ws, IaToY(ws, 1.0753F)));
    const double vg0 = bisect([&](double v) { return sampledKorenIaA(u0, v) * 1000.0 - i0; }, -3.9, -0.6);
    struct Case {
        float vin;
        double gain, h2;
    } cases[] = {{0.5F, 61.7, 1.17}, {1.0F, 61.5, 2.35}, {2.0F, 60.7, 4.79}};
    for (const Case& c : cases) {
        const StageDesign d = applyOperatingPoint(ws, UaToX(ws, 221.0F), IaToY(ws, 1.0753F),
                                                  DesignInputs{Topology::SingleEnded, 100.0F, c.vin});
        ASSERT_TRUE(d.parameters && d.parameters->found);
        ASSERT_TRUE(d.analysis.results.has_value()) << c.vin;
        const StageResults& r = *d.analysis.results;
        std::cout << "12AX7 SE Vin " << fmt(c.vin) << ": vg0 " << fmt(d.parameters->vg0) << " gm "
                  << fmt(d.parameters->gmMaPerV) << " rp " << fmt(*d.parameters->rpKOhm) << " U1 "
                  << fmt(d.analysis.up.ua) << " U2 " << fmt(d.analysis.down.ua) << " gain " << fmt(*r.gain)
                  << " H2 " << fmt(*r.h2Percent) << "\n";
        const auto crossing = [&](double vg) {
            return bisect([&](double u) { return (u - u0) + 100.0 * (sampledKorenIaA(u, vg) * 1000.0 - i0); }, 1.0,
                          399.0);
        };
        const double u1 = crossing(vg0 + c.vin / 2.0);
        const double u2 = crossing(vg0 - c.vin / 2.0);
        EXPECT_NEAR(d.parameters->vg0, vg0, 1e-4);
        EXPECT_NEAR(d.analysis.up.ua, u1, 2e-3) << c.vin;
        EXPECT_NEAR(d.analysis.down.ua, u2, 2e-3) << c.vin;
        EXPECT_NEAR(*r.h2Percent, ((u1 + u2) / 2.0 - u0) / (u1 - u2) * 100.0, 1e-2) << c.vin;
        EXPECT_NEAR(*r.gain, c.gain, 0.03 * c.gain) << c.vin;
        if (c.vin >= 1.0F) {
            EXPECT_NEAR(*r.h2Percent, c.h2, 0.05 * c.h2) << c.vin;
        }
        EXPECT_GT(*r.h2Percent, 0.0);  // the swing's midpoint lies below the operating voltage
    }
}

}  // namespace
}  // namespace zov
