// The design engine on families that are not straight lines: the program's
// own captures from the virtual module (curved, quantized to the converter's
// counts, with noise, flattened at full scale) and the measured and digitized
// reference families (irregularly sampled, vertical steps, curves cut short by
// the tracers' current and power limits).
#include "design/curve_reading.h"
#include "design/stage_analysis.h"
#include "measure/module_protocol.h"
#include "measure/sweep_plan.h"
#include "reference_families.h"
#include "sim/virtual_module.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <sstream>

namespace zov {
namespace {

using namespace test;

// A capture of the virtual module, as the capture sweep makes it: for each
// grid-1 step the module's voltage and current blocks, through the protocol's
// encoding and decoding, appended to the curve text as 64 data lines.
std::string virtualCapture(const char* tube, int rangeDivisor, float fromV, float toV, float pitchV,
                           std::optional<quint32> noiseSeed)
{
    VirtualModuleOptions options;
    options.tube = QString::fromLatin1(tube);
    options.noiseSeed = noiseSeed;
    VirtualModule module(options);
    if (!module.start())
        return {};
    std::string text;
    for (float g = fromV; g <= toV + 1e-3F; g += pitchV) {
        const auto ua = protocol::decodeVoltageBlock(protocol::encodeBlock(module.voltageCounts()));
        const auto ia = protocol::decodeCurrentBlock(
            protocol::encodeBlock(module.currentCounts(rangeDivisor, gridCodeFor(g))), rangeDivisor);
        if (!ua.ok || !ia.ok)
            return {};
        appendCurveLines(text, ua.values.data(), ia.values.data(), protocol::kSamples, g, "250");
    }
    return text;
}

struct Family {
    std::string name;
    std::string tdf;
};

// The lines of a curve text whose point dissipates at most `watts`, as a
// tracer with a power limit leaves its curves.
std::string cutAtPower(const std::string& tdf, double watts)
{
    std::string out;
    std::istringstream lines(tdf);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        double ua = 0.0, ia = 0.0;
        if (fields >> ua >> ia && ua * ia <= watts)
            out += line + "\n";
    }
    return out;
}

// The captures: 12AX7 on the 32 mA range, 300B and the EL34 pentode on the
// 256 mA range (the 300B's upper curves flatten at the converter's full
// scale), each with noise on the counts; two 12AX7 captures added to one
// file (most voltages then hold two points: vertical steps); the 300B cut at
// 40 W as a power-limited tracer leaves it.
std::vector<Family> captures()
{
    const std::string ax7 = virtualCapture("12AX7", protocol::kRangeDivisor32mA, 0.0F, 4.0F, 0.5F, 7U);
    const std::string b300 = virtualCapture("300B", protocol::kRangeDivisor256mA, 0.0F, 30.0F, 5.0F, 11U);
    return {{"12AX7 capture", ax7},
            {"300B capture", b300},
            {"EL34 capture", virtualCapture("EL34", protocol::kRangeDivisor256mA, 0.0F, 20.0F, 2.0F, 13U)},
            {"12AX7 captures added", ax7 + "\r\n" + virtualCapture("12AX7", protocol::kRangeDivisor32mA, 0.0F, 4.0F, 0.5F, 8U)},
            {"300B capture cut at 40 W", cutAtPower(b300, 40.0)}};
}

// Every family a property must hold on: the captures and the reference
// families that are present.
std::vector<Family> allFamilies()
{
    std::vector<Family> out = captures();
    for (const std::string& path : allReferenceFamilies()) {
        std::string tdf = referenceTdf(path);
        if (!tdf.empty())
            out.push_back({path.substr(path.rfind('/') + 1), std::move(tdf)});
    }
    return out;
}

// A family in slot 0, every curve selected, at scales that show all of it.
bool loadFamily(Workspace& ws, const Family& f)
{
    CurveSet& set = ws.CurveSets[0];
    if (f.tdf.empty() || !readCurveSetFromMemory(set, f.tdf))
        return false;
    ws.SeriesSelections[0] = defaultSelection(set);
    ws.ModeName = WorkMode::Cook;
    updateScales(ws, formatRoundTrip(set.UaMax * 1.1F / 8.0F), formatRoundTrip(set.IaMax * 1100.0F / 8.0F));
    return true;
}

double currentAtMa(const std::vector<PointColumn>& points, double ua)
{
    const CurveReading r = readCurve(points, ua);
    return r.defined ? 1000.0 * r.iaA(points) : std::nan("");
}

bool noNegativeCurrent(const std::vector<PointColumn>& points)
{
    return std::all_of(points.begin(), points.end(), [](const PointColumn& p) { return p[kRowIa] >= 0.0F; });
}

// How often a property failed on one family, with the first case.
struct Violations {
    explicit Violations(const char* p) : property(p) {}
    const char* property;
    int count = 0;
    std::string first;
    void check(bool holds, const std::string& where)
    {
        if (!holds && count++ == 0)
            first = where;
    }
};

// For every operating point where parameters are found: Vg0 lies between the
// grid voltages of L and H; the operating curve exists and carries ia at ua
// (to float rounding); with no input swing both ends of the swing are the
// operating point; no current anywhere in the design is negative. Operating
// points, loads and topologies are drawn at random over the whole plot.
TEST(MeasuredFamilies, PropertiesAtEveryOperatingPoint)
{
    std::mt19937 rng(9);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (const Family& family : allFamilies()) {
        SCOPED_TRACE(family.name);
        Workspace ws;
        ASSERT_TRUE(loadFamily(ws, family));
        const CurveSet& set = ws.CurveSets[0];
        const double typicalKOhm = set.UaMax / (1000.0 * set.IaMax);
        Violations between{"Vg0 between the grid voltages of L and H"};
        Violations through{"the operating curve passes through the operating point"};
        Violations still{"with Vin = 0, U1 = U2 = Ua0"};
        Violations positive{"no negative current"};
        int found = 0;
        for (int trial = 0; trial < 400; ++trial) {
            const float x = float(kPlotMarginLow + unit(rng) * (kPlotMarginHigh - kPlotMarginLow));
            const float y = float(kPlotMarginLow + unit(rng) * (kPlotMarginHigh - kPlotMarginLow));
            const float load = float(typicalKOhm * (0.2 + 2.0 * unit(rng)));
            const Topology topology = trial % 3 == 0 ? Topology::PushPull : Topology::SingleEnded;
            const StageDesign d = applyOperatingPoint(ws, x, y, {topology, load, 0.0F});
            if (!d.parameters || !d.parameters->found)
                continue;
            ++found;
            const double ua = ws.OperatingUa;
            const double ia = ws.OperatingIa;
            const std::string where = (std::ostringstream() << ua << " V " << ia << " mA " << load << " kOhm").str();
            const TubeParameterResult& p = *d.parameters;
            const float gL = set.Vg1Table[std::size_t(p.lowerColumn)].voltage;
            const float gH = set.Vg1Table[std::size_t(p.upperColumn)].voltage;
            between.check(gL <= p.vg0 && p.vg0 <= gH && p.lowerIaMa < ia, where);
            through.check(d.opCurveBuilt && std::abs(currentAtMa(ws.OpCurve.Points, ua) - ia) <= 1e-4 * ia, where);
            const StageAnalysis& a0 = d.analysis;
            still.check(a0.results && std::abs(a0.up.ua - ua) <= 1e-4 * ua && std::abs(a0.down.ua - ua) <= 1e-4 * ua,
                        where);
            positive.check(noNegativeCurrent(ws.OpCurve.Points), where);
            // The family's own swing (twice its grid step).
            if (!d.opCurveBuilt)
                continue;
            const StageAnalysis a = recomputeAtPivot(ws, {topology, load, defaultInputSwing(set)}).analysis;
            positive.check((!a.up.built || noNegativeCurrent(ws.UpCurve.Points)) &&
                               (!a.down.built || noNegativeCurrent(ws.DownCurve.Points)) &&
                               (!a.up.found || a.up.iaMa >= 0.0F) && (!a.down.found || a.down.iaMa >= 0.0F),
                           where + " with the swing");
        }
        EXPECT_GT(found, 20);
        for (const Violations* v : {&between, &through, &still, &positive})
            EXPECT_EQ(v->count, 0) << v->property << " fails at " << v->count << " of " << found
                                   << " operating points, first at " << v->first;
    }
}

// On the model families captured without noise on the 32 mA range (smooth
// curves), the gain stays within 10 % of mu R / (rp + R) at the same point as
// the swing shrinks from 1 V to 0.01 V: the swing curves converge on the
// operating curve, which runs through the operating point. (On quantized or
// sparse families H2 at tiny swings is dominated by the steps of the data, so
// it is not tested here.)
TEST(MeasuredFamilies, SmallSignalGainOnSmoothCaptures)
{
    const struct {
        const char* tube;
        float fromV, toV, pitchV;
    } tubes[] = {{"12AX7", 0.0F, 4.0F, 0.5F}, {"6SN7", 2.0F, 14.0F, 1.0F}, {"12AU7", 4.0F, 16.0F, 1.0F}};
    for (const auto& tube : tubes) {
        SCOPED_TRACE(tube.tube);
        Workspace ws;
        ASSERT_TRUE(loadFamily(ws, {tube.tube, virtualCapture(tube.tube, protocol::kRangeDivisor32mA, tube.fromV,
                                                              tube.toV, tube.pitchV, std::nullopt)}));
        const CurveSet& set = ws.CurveSets[0];
        int checked = 0;
        for (float ua = 150.0F; ua <= 400.0F; ua += 50.0F) {
            for (float share = 0.1F; share < 0.75F; share += 0.15F) {
                const float iaMa = share * 1000.0F * set.IaMax;
                const float load = 2.0F * set.UaMax / (1000.0F * set.IaMax);
                const StageDesign d = applyOperatingPoint(ws, UaToX(ws, ua), IaToY(ws, iaMa), {Topology::SingleEnded, load, 1.0F});
                // The widest swing must stay within the family.
                if (!d.parameters || !d.parameters->found || !d.parameters->mu ||
                    d.parameters->vg0 + 0.5F > set.Vg1Max || d.parameters->vg0 - 0.5F < set.Vg1Min)
                    continue;
                ++checked;
                const double mu = *d.parameters->mu, rp = *d.parameters->rpKOhm;
                const double expected = mu * load / (rp + load);
                for (float vin : {1.0F, 0.5F, 0.2F, 0.1F, 0.05F, 0.02F, 0.01F}) {
                    const StageAnalysis a = recomputeAtPivot(ws, {Topology::SingleEnded, load, vin}).analysis;
                    ASSERT_TRUE(a.results && a.results->gain) << ua << " V " << iaMa << " mA " << vin << " Vpp";
                    EXPECT_NEAR(*a.results->gain, expected, 0.1 * expected) << ua << " V " << iaMa << " mA " << vin << " Vpp";
                }
            }
        }
        EXPECT_GT(checked, 10);
    }
}

// Finding: a curve cut short was continued without limit, so points far
// above a family traced to 40 W (300B, 120 mA limit) or 25 W (EL34) were
// "found" with a grid voltage beyond the upper curve. They are not found now;
// a point inside the family still is.
TEST(MeasuredFamilies, PointsFarOutsideAFamilyAreNotFound)
{
    const struct {
        std::string file;
        const char *vdiv, *madiv;
        float ua, iaMa;
        bool found;
    } cases[] = {{k300B, "100", "200", 399.0F, 1000.0F, false},
                 {kEL34, "100", "50", 590.0F, 300.0F, false},
                 {k300B, "100", "200", 300.0F, 100.0F, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << " " << c.ua << " V " << c.iaMa << " mA");
        Workspace ws;
        if (!loadReference(ws, c.file, c.vdiv, c.madiv))
            GTEST_SKIP() << "reference family not available: " << c.file;
        const StageDesign d = applyOperatingPoint(ws, UaToX(ws, c.ua), IaToY(ws, c.iaMa), {Topology::SingleEnded, 3.0F, 10.0F});
        ASSERT_TRUE(d.placement.placed);
        ASSERT_TRUE(d.parameters);
        EXPECT_EQ(d.parameters->found, c.found) << d.parameters->vg0;
        EXPECT_EQ(d.opCurveBuilt, c.found);
    }
}

// Findings: the operating curve missed the operating point (the blend read
// the lower curve only at the upper curve's voltages; on the measured ECC83 a
// 0.01 Vpp swing showed 25 % H2), and it stopped at the end of a curve the
// parameters had extended (the 300B's -50 V curve ends at 295.1 V, so at
// 300 V / 100 mA every analysis beeped). Now it passes through the point, a
// tiny swing gives a tiny H2 and the gain of the small-signal parameters, and
// the measurer's own 300B point gives results.
TEST(MeasuredFamilies, TheOperatingCurvePassesThroughTheOperatingPoint)
{
    const struct {
        std::string file;
        const char *vdiv, *madiv;
        float ua, iaMa, load, vin;
    } cases[] = {{kEcc83Utd, "50", "1", 187.7F, 1.11F, 76.7F, 0.01F},
                 {kEcc83Philips, "50", "1", 187.7F, 1.11F, 76.7F, 0.01F},
                 {k300B, "50", "20", 300.0F, 100.0F, 3.0F, 20.0F},
                 {k300B, "50", "20", 300.0F, 100.0F, 3.0F, 0.1F}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << " " << c.ua << " V " << c.iaMa << " mA " << c.vin << " Vpp");
        Workspace ws;
        if (!loadReference(ws, c.file, c.vdiv, c.madiv))
            GTEST_SKIP() << "reference family not available: " << c.file;
        const StageDesign d = applyOperatingPoint(ws, UaToX(ws, c.ua), IaToY(ws, c.iaMa), {Topology::SingleEnded, c.load, c.vin});
        ASSERT_TRUE(d.parameters);
        ASSERT_TRUE(d.parameters->found);
        ASSERT_TRUE(d.parameters->mu);
        ASSERT_TRUE(d.opCurveBuilt);
        EXPECT_NEAR(currentAtMa(ws.OpCurve.Points, ws.OperatingUa), ws.OperatingIa, 1e-4 * ws.OperatingIa);
        ASSERT_TRUE(d.analysis.results.has_value());
        ASSERT_FALSE(d.analysis.beep);
        const StageResults& r = *d.analysis.results;
        const double expectedGain = *d.parameters->mu * c.load / (*d.parameters->rpKOhm + c.load);
        EXPECT_NEAR(r.gain.value_or(0), expectedGain, 0.1 * expectedGain);
        EXPECT_LT(std::abs(r.h2Percent.value_or(100)), c.vin < 1.0F ? 1.0 : 5.0);
    }
}

// Finding: curves extrapolated below the lowest measured curve carried
// negative anode currents into the results (300B at 400 V / 2 mA; the 6L6GC
// push-pull example's down-swing). A tube does not conduct backwards.
TEST(MeasuredFamilies, NoNegativeCurrents)
{
    const struct {
        std::string file;
        const char *vdiv, *madiv;
        Topology topology;
        float ua, iaMa, load, vin;
    } cases[] = {{k300B, "100", "20", Topology::SingleEnded, 400.0F, 2.0F, 10.0F, 20.0F},
                 {k300B, "100", "20", Topology::SingleEnded, 400.0F, 2.0F, 3.0F, 10.0F},
                 {k6L6, "100", "50", Topology::PushPull, 450.0F, 58.0F, 5.6F, 70.0F}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << " " << c.load << " kOhm " << c.vin << " Vpp");
        Workspace ws;
        if (!loadReference(ws, c.file, c.vdiv, c.madiv))
            GTEST_SKIP() << "reference family not available: " << c.file;
        const StageDesign d = applyOperatingPoint(ws, UaToX(ws, c.ua), IaToY(ws, c.iaMa), {c.topology, c.load, c.vin});
        ASSERT_TRUE(d.analysis.up.built);
        ASSERT_TRUE(d.analysis.down.built);
        ASSERT_TRUE(d.analysis.down.found);
        EXPECT_TRUE(noNegativeCurrent(ws.UpCurve.Points));
        EXPECT_TRUE(noNegativeCurrent(ws.DownCurve.Points));
        EXPECT_GE(d.analysis.down.iaMa, 0.0F) << d.analysis.down.ua;
    }
}

}  // namespace
}  // namespace zov
