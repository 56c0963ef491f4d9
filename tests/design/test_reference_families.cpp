// The engine on measured and digitized families against published values.
#include "design/stage_analysis.h"
#include "reference_families.h"

#include <gtest/gtest.h>

namespace zov {
namespace {

using namespace test;

// Brennwald publishes derivatives at the point; the method takes a secant
// between the bracketing curves (10 V apart on the 300B, 5 V on the EL34) and
// the mean of their chord slopes, so it differs by the family's curvature over
// a grid step. His note that secant checks agree within about 10 % sets the
// tolerances: 10 % on gm, 15 % on rp and mu (chords over 5 V are noisier), 1 V
// (a tenth of a step) on vg0. The EL34 gets 25 % on rp and mu: at 350 V its
// bracketing curves differ widely (2.22 kOhm on the -35 V curve, 1.35 kOhm on
// the -30 V one near its 25 W limit); their mean is 1.78 kOhm, he reports 2.22.
TEST(ReferenceFamilies, MeasuredTriodesAgainstPublishedParameters)
{
    const struct {
        std::string file;
        float ua, iaMa;
        double vg0, gm, rp, mu, rpTolerance;
    } cases[] = {{k300B, 300.0F, 100.0F, -53.69, 6.265, 0.644, 4.03, 0.15},
                 {k300BMesh, 300.0F, 100.0F, -53.94, 6.057, 0.651, 3.95, 0.15},
                 {kEL34, 350.0F, 40.0F, -31.03, 5.65, 2.22, 12.5, 0.25}};
    for (const auto& p : cases) {
        Workspace ws;
        if (!loadReference(ws, p.file, "20", "1"))
            GTEST_SKIP() << "reference family not available: " << p.file;
        SCOPED_TRACE(p.file);
        CurveTrace trace;
        const auto r = TubeParameters(ws.CurveSets[0], ws.SeriesSelections[0], trace, p.iaMa / 1000.0F, p.ua);
        ASSERT_TRUE(r.found);
        ASSERT_TRUE(r.rpKOhm);
        ASSERT_TRUE(r.mu);
        EXPECT_NEAR(r.vg0, p.vg0, 1.0);
        EXPECT_NEAR(r.gmMaPerV, p.gm, 0.10 * p.gm);
        EXPECT_NEAR(*r.rpKOhm, p.rp, p.rpTolerance * p.rp);
        EXPECT_NEAR(*r.mu, p.mu, p.rpTolerance * p.mu);
    }
}

// Worked examples. 300B single-ended at 300 V on the -60 V curve (60.9 mA, so
// vg0 -60.003 V), 3 kOhm: the method's figures, rounded as shown. GE 6L6GC
// push-pull class AB1, grid 2 400 V: 450 V, 58 mA per tube, 5.6 kOhm, 70 Vpp
// per grid, on the R/4 segment; published 55 W, the method gives 53.1 W
// (-3.5 %, the method's own difference, not bent here).
TEST(ReferenceFamilies, WorkedExamples)
{
    const auto se = Topology::SingleEnded;
    const struct {
        std::string file;
        const char *vdiv, *madiv;
        Topology topology;
        float ua, iaMa, load, vin;
        double vg0, vg0Tol, u1, u2, uTol, pout, poutTol, h2;
    } cases[] = {{k300B, "100", "20", se, 300.0F, 60.9F, 3.0F, 40.0F, -60.0, 0.01, 238.3, 357.7, 0.1, 0.59, 0.006, 1.66},
                 {k300B, "100", "20", se, 300.0F, 60.9F, 3.0F, 80.0F, -60.0, 0.01, 174.1, 409.2, 0.1, 2.30, 0.006, 3.54},
                 {k6L6, "100", "50", Topology::PushPull, 450.0F, 58.0F, 5.6F, 70.0F, -37.0, 0.5, 64.4, 0.0, 2.0, 53.1, 0.6, 0.0}};
    for (const auto& c : cases) {
        Workspace ws;
        if (!loadReference(ws, c.file, c.vdiv, c.madiv))
            GTEST_SKIP() << "reference family not available: " << c.file;
        SCOPED_TRACE(c.file);
        const StageDesign d = applyOperatingPoint(ws, UaToX(ws, c.ua), IaToY(ws, c.iaMa), {c.topology, c.load, c.vin});
        ASSERT_TRUE(d.parameters);
        ASSERT_TRUE(d.parameters->found);
        ASSERT_TRUE(d.analysis.results);
        const StageResults& r = *d.analysis.results;
        EXPECT_NEAR(d.parameters->vg0, c.vg0, c.vg0Tol);
        EXPECT_NEAR(d.analysis.up.ua, c.u1, c.uTol);
        EXPECT_NEAR(r.poutW, c.pout, c.poutTol);
        if (c.topology == se) {
            EXPECT_NEAR(d.analysis.down.ua, c.u2, c.uTol);
            EXPECT_NEAR(r.h2Percent.value_or(0), c.h2, 0.006);
        } else {
            EXPECT_GE(d.analysis.up.iaMa, ws.JunctionIa);
            EXPECT_NEAR(r.poutW, 55.0, 0.05 * 55.0);
        }
    }
}

}  // namespace
}  // namespace zov
