// The stage design at an operating point: placement, swing curves, both
// intersections and the results, on the straight-line family whose answers
// are known in closed form.
#include "design/stage_analysis.h"
#include "design_fixtures.h"
#include "display/scales.h"

#include <gtest/gtest.h>

namespace zov {
namespace {

// Workspace with the linear family in slot 0 at 50 V/div and 4 mA/div (so the
// test points convert to plot units and back exactly).
Workspace linearWorkspace()
{
    Workspace ws;
    ws.ModeName = QStringLiteral("Cook");
    updateScales(ws, "50", "4");
    ws.CurveSets[0] = test::linearFamily();
    ws.SeriesSelections[0] = defaultSelection(ws.CurveSets[0]);
    return ws;
}

// Where the model curve at grid voltage vg meets U = u0 - r (I - i0) (V, mA, kOhm).
struct Hit {
    double u;
    double i;
};
Hit modelCrossing(double u0, double i0, double r, double vg)
{
    // Curve: I [mA] = (U + mu vg + c) / rp [kOhm].
    const double rp = test::kLinRpOhm / 1000.0;
    const double i = (u0 + r * i0 + test::kLinMu * vg + test::kLinOffsetV) / (rp + r);
    return {u0 - r * (i - i0), i};
}

TEST(StageAnalysis, DefaultSelectionListsEveryGrid1VoltageAndTheLowestGrid2)
{
    const CurveSet set = test::linearFamily();
    const SeriesSelection s = defaultSelection(set);
    EXPECT_EQ(s.Vg2List, "250,");
    EXPECT_EQ(s.Vg1List.substr(0, 12), "-30,-29,-28,");
    EXPECT_EQ(s.Vg1List.substr(s.Vg1List.size() - 6), ",-1,0,");
    EXPECT_EQ(defaultInputSwing(set), 2.0F);
    EXPECT_EQ(clampLoadKOhm(0.0F), 0.01F);
    EXPECT_EQ(clampLoadKOhm(2e6F), 100000.0F);
    EXPECT_EQ(clampLoadKOhm(3.3F), 3.3F);
}

TEST(StageAnalysis, SingleEndedMatchesTheClosedForm)
{
    struct Case {
        float loadKOhm;
        float vin;
    } cases[] = {{20.0F, 2.0F}, {100.0F, 4.0F}, {5.0F, 1.0F}, {20.0F, 0.3F}};
    for (const Case& c : cases) {
        Workspace ws = linearWorkspace();
        const DesignInputs in{Topology::SingleEnded, c.loadKOhm, c.vin};
        const StageDesign d = applyOperatingPoint(ws, UaToX(ws, 200.0F), IaToY(ws, 15.0F), in);
        ASSERT_TRUE(d.placement.placed);
        EXPECT_FALSE(d.placement.quarter.has_value());
        EXPECT_EQ(ws.MarkerX, UaToX(ws, 200.0F));
        EXPECT_EQ(ws.PivotY, IaToY(ws, 15.0F));
        EXPECT_EQ(ws.LoadKOhm, c.loadKOhm);
        EXPECT_EQ(d.placement.ua0, 200.0F);
        EXPECT_EQ(d.placement.ia0Ma, 15.0F);
        EXPECT_FLOAT_EQ(d.placement.pdW, 3.0F);
        ASSERT_TRUE(d.parameters && d.parameters->found);
        EXPECT_NEAR(d.parameters->vg0, -6.0F, 1e-4);
        ASSERT_TRUE(d.opCurveBuilt);
        EXPECT_TRUE(ws.OpCurve.Drawn);
        const StageAnalysis& a = d.analysis;
        ASSERT_TRUE(a.ran);
        EXPECT_FALSE(a.beep);
        ASSERT_TRUE(a.up.found && a.down.found) << c.loadKOhm;
        const Hit up = modelCrossing(200.0, 15.0, c.loadKOhm, -6.0 + c.vin / 2.0);
        const Hit down = modelCrossing(200.0, 15.0, c.loadKOhm, -6.0 - c.vin / 2.0);
        EXPECT_NEAR(a.up.ua, up.u, 2e-3) << c.loadKOhm;
        EXPECT_NEAR(a.up.iaMa, up.i, 2e-5);
        EXPECT_NEAR(a.down.ua, down.u, 2e-3);
        EXPECT_NEAR(a.down.iaMa, down.i, 2e-5);
        EXPECT_EQ(ws.UpUa, a.up.ua);
        EXPECT_EQ(ws.UpIa, a.up.iaMa);
        ASSERT_TRUE(a.results.has_value());
        const StageResults& r = *a.results;
        // Gain of a straight-line triode with a resistive load: mu R / (rp + R).
        const double gain = test::kLinMu * c.loadKOhm / (test::kLinRpOhm / 1000.0 + c.loadKOhm);
        EXPECT_NEAR(r.voutVpp, gain * c.vin, 3e-3);
        ASSERT_TRUE(r.gain.has_value());
        EXPECT_NEAR(*r.gain, gain, 2e-3 / c.vin);
        EXPECT_NEAR(r.poutW, (up.i - down.i) * (down.u - up.u) / 8000.0, 1e-6);
        // A symmetrical swing has no second harmonic.
        ASSERT_TRUE(r.h2Percent.has_value());
        EXPECT_NEAR(*r.h2Percent, 0.0, 2e-2);
        EXPECT_NEAR(r.spans[0].dU, down.u - up.u, 3e-3);
        EXPECT_NEAR(r.spans[0].dI, up.i - down.i, 3e-5);
        EXPECT_EQ(r.spans[1].u, a.down.ua);
        EXPECT_EQ(r.spans[2].i, a.up.iaMa);
    }
}

// Push-pull on a composite line: R/2 through the operating point up to the
// junction, R/4 beyond it. The junction depends on the scales, as on screen.
TEST(StageAnalysis, PushPullUsesTheHalfLineForSmallAndTheQuarterLineForLargeSwings)
{
    const float zaa = 8.0F;
    Workspace ws = linearWorkspace();
    const float x = UaToX(ws, 300.0F);
    const float y = IaToY(ws, 8.0F);
    // The junction: the lower end (zero current less the 36-unit margin) mirrored.
    const double kv = ws.ScopeUnitsPerVolt;
    const double ki = ws.ScopeUnitsPerMa;
    const double d = 65500.0 - y;
    const double dx = zaa / 2.0 * kv / ki * d;
    ASSERT_LT(x + dx, 65500.0);
    const double ju = (x - dx) / kv;
    const double ji = (65536.0 - (y - d)) / ki;

    struct Case {
        float vin;
        bool quarter;
    } cases[] = {{4.0F, false}, {24.0F, true}};
    for (const Case& c : cases) {
        const DesignInputs in{Topology::PushPull, zaa, c.vin};
        const StageDesign des = applyOperatingPoint(ws, x, y, in);
        ASSERT_TRUE(des.placement.placed);
        ASSERT_TRUE(des.placement.quarter.has_value());
        // The R/4 segment starts at the junction and climbs to the top margin.
        EXPECT_EQ(des.placement.quarter->from.x, des.placement.line.junction.x);
        EXPECT_EQ(des.placement.quarter->from.y, des.placement.line.junction.y);
        EXPECT_FLOAT_EQ(des.placement.quarter->to.y, 36.0F);
        EXPECT_EQ(des.placement.line.upper.to.x, des.placement.line.junction.x);
        EXPECT_EQ(ws.JunctionX, des.placement.line.junction.x);
        EXPECT_NEAR(ws.JunctionUa, ju, 1e-3);
        EXPECT_NEAR(ws.JunctionIa, ji, 1e-4);
        EXPECT_EQ(ws.LoadLineQuarter.Slope, 2.0F);
        EXPECT_EQ(ws.LoadLineHalf.Slope, 4.0F);
        EXPECT_NEAR(des.parameters->vg0, -18.0F, 1e-4);
        const StageAnalysis& a = des.analysis;
        ASSERT_TRUE(a.up.found && a.down.found) << c.vin;
        const double vgUp = -18.0 + c.vin / 2.0;
        const Hit up = c.quarter ? modelCrossing(ju, ji, zaa / 4.0, vgUp) : modelCrossing(300.0, 8.0, zaa / 2.0, vgUp);
        const Hit down = modelCrossing(300.0, 8.0, zaa / 2.0, -18.0 - c.vin / 2.0);
        EXPECT_NEAR(a.up.ua, up.u, 2e-3) << c.vin;
        EXPECT_NEAR(a.up.iaMa, up.i, 2e-5) << c.vin;
        EXPECT_EQ(a.up.iaMa >= ji, c.quarter);
        EXPECT_NEAR(a.down.ua, down.u, 2e-3) << c.vin;
        ASSERT_TRUE(a.results.has_value());
        const StageResults& r = *a.results;
        EXPECT_NEAR(r.voutVpp, 300.0 - up.u, 2e-3);
        EXPECT_NEAR(*r.gain, (300.0 - up.u) / c.vin, 1e-3);
        const double swing = 4.0 * (300.0 - up.u);
        EXPECT_NEAR(r.poutW, swing * swing / 8000.0 / zaa, 1e-4 * (1.0 + r.poutW));
        EXPECT_FALSE(r.h2Percent.has_value());  // push-pull shows no H2
    }
}

TEST(StageAnalysis, NoSwingGivesNoGainAndNoDistortionFigure)
{
    Workspace ws = linearWorkspace();
    const StageDesign d = applyOperatingPoint(ws, UaToX(ws, 200.0F), IaToY(ws, 15.0F),
                                              DesignInputs{Topology::SingleEnded, 20.0F, 0.0F});
    ASSERT_TRUE(d.analysis.results.has_value());
    EXPECT_FALSE(d.analysis.beep);
    EXPECT_EQ(d.analysis.up.ua, d.analysis.down.ua);
    EXPECT_NEAR(d.analysis.results->voutVpp, 0.0, 1e-6);
    EXPECT_FALSE(d.analysis.results->gain.has_value());
    EXPECT_FALSE(d.analysis.results->h2Percent.has_value());
}

TEST(StageAnalysis, SwingBeyondTheLastCurveBeeps)
{
    Workspace ws = linearWorkspace();
    const StageDesign d = applyOperatingPoint(ws, UaToX(ws, 300.0F), IaToY(ws, 8.0F),
                                              DesignInputs{Topology::SingleEnded, 20.0F, 40.0F});
    ASSERT_TRUE(d.opCurveBuilt);
    EXPECT_TRUE(d.analysis.ran);
    EXPECT_TRUE(d.analysis.up.computed);
    EXPECT_EQ(d.analysis.up.vg1, 2.0F);  // above the 0 V curve
    EXPECT_FALSE(d.analysis.up.built);
    EXPECT_TRUE(d.analysis.beep);
    EXPECT_FALSE(d.analysis.down.computed);
    EXPECT_FALSE(d.analysis.results.has_value());
    EXPECT_FALSE(ws.UpCurve.Drawn);
    EXPECT_FALSE(ws.DownCurve.Drawn);
}

TEST(StageAnalysis, NoParametersMeansNoOperatingCurveAndNoAnalysis)
{
    Workspace ws = linearWorkspace();
    // Above the 0 V curve (21 mA at 200 V).
    const StageDesign d = applyOperatingPoint(ws, UaToX(ws, 200.0F), IaToY(ws, 25.0F),
                                              DesignInputs{Topology::SingleEnded, 20.0F, 2.0F});
    ASSERT_TRUE(d.placement.placed);
    EXPECT_EQ(ws.OperatingIa, 25.0F);  // the marker and the line stay
    ASSERT_TRUE(d.parameters.has_value());
    EXPECT_FALSE(d.parameters->found);
    EXPECT_FALSE(d.opCurveBuilt);
    EXPECT_FALSE(ws.OpCurve.Drawn);
    EXPECT_FALSE(d.analysis.ran);
    EXPECT_FALSE(d.analysis.beep);
}

// A point outside the margins is not placed: its push-pull junction would flip
// to the wrong side of the pivot.
TEST(StageAnalysis, OffThePlotIsNotPlaced)
{
    Workspace ws = linearWorkspace();
    ws.OperatingUa = 1.0F;
    ws.MarkerY = 65536.0F;
    for (auto [ua, ia] : {std::pair{450.0F, 5.0F}, std::pair{200.0F, 40.0F}, std::pair{200.0F, 0.0F}}) {
        const StageDesign d = applyOperatingPoint(ws, UaToX(ws, ua), IaToY(ws, ia),
                                                  DesignInputs{Topology::PushPull, 8.0F, 2.0F});
        EXPECT_FALSE(d.placement.placed) << ua << " " << ia;
        EXPECT_FALSE(d.parameters.has_value());
        EXPECT_FALSE(d.analysis.ran);
        EXPECT_EQ(ws.OperatingUa, 1.0F);
        EXPECT_EQ(ws.MarkerY, 65536.0F);
    }
}

// Recomputing with a new load keeps the operating curve and redoes the lines
// and the analysis.
TEST(StageAnalysis, RecomputeAtThePivotUsesTheNewLoad)
{
    Workspace ws = linearWorkspace();
    applyOperatingPoint(ws, UaToX(ws, 200.0F), IaToY(ws, 15.0F), DesignInputs{Topology::SingleEnded, 20.0F, 2.0F});
    const StageDesign d = recomputeAtPivot(ws, DesignInputs{Topology::SingleEnded, 100.0F, 2.0F});
    ASSERT_TRUE(d.analysis.results.has_value());
    EXPECT_EQ(ws.LoadKOhm, 100.0F);
    EXPECT_NEAR(*d.analysis.results->gain, 20.0 * 100.0 / 120.0, 2e-3);

    ws.OpCurve.Drawn = false;
    EXPECT_FALSE(recomputeAtPivot(ws, DesignInputs{}).placement.placed);
}

}  // namespace
}  // namespace zov
