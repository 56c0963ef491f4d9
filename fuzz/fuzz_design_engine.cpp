// The design engine on families made from the fuzz bytes: curved, irregularly
// sampled, sometimes quantized like a capture, cut short by a power limit,
// with uneven or repeated grid steps, a second screen voltage, or (now and
// then) values of any size. The family goes through the TDF reader like a
// file; then an operating point, a load and a swing, and a second load and
// swing at the same point. Whatever the family and the inputs:
//  - every number the engine reports is finite, and a parameter it found is;
//  - a result is absent exactly when the engine says nothing is shown: no
//    placement outside the margins, no parameters when none were found, no
//    stage results unless both ends of the swing met the load line (and
//    none with a figure too large for a 32-bit value), no gain without a
//    swing, no H2 in push-pull or without a swing;
//  - the texts of the frame follow the same rule and never show NaN or Inf;
//  - with no input swing, both ends of the swing found are the operating point.

#include "design/design_inputs.h"
#include "design/stage_analysis.h"
#include "design/stage_texts.h"
#include "files/tdf_file.h"
#include "core/text.h"
#include "plot/scales.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <string>

namespace {

using namespace zov;

void check(bool property)
{
    if (!property)
        __builtin_trap();
}

bool finite(float v)
{
    return std::isfinite(v);
}

bool finite(const PlotPoint& p)
{
    return finite(p.x) && finite(p.y);
}

bool finite(const PlotSegment& s)
{
    return finite(s.from) && finite(s.to);
}

bool finitePoints(const std::vector<PointColumn>& points)
{
    for (const PointColumn& p : points)
        for (float v : p)
            if (!finite(v))
                return false;
    return true;
}

// A family as TDF text. Mostly a triode-like law, Ia = k (Ua / mu + Vg)^x,
// with noise, sampled at uneven anode voltages; sometimes quantized to the
// module's counts; cut where the power passes a limit; in a few families,
// any 32-bit values at all.
std::string familyText(FuzzedDataProvider& in)
{
    const int curves = in.ConsumeIntegralInRange(1, 10);
    const bool wild = in.ConsumeIntegralInRange(0, 15) == 0;
    const bool quantized = in.ConsumeBool();
    const double mu = in.ConsumeFloatingPointInRange(1.5, 100.0);
    const double k = std::pow(10.0, in.ConsumeFloatingPointInRange(-6.0, -2.0));
    const double law = in.ConsumeFloatingPointInRange(1.0, 2.0);
    const double limitW = std::pow(10.0, in.ConsumeFloatingPointInRange(-1.0, 2.0));
    const bool reversed = in.ConsumeBool();
    double grid = -in.ConsumeFloatingPointInRange(0.0, 5.0);
    std::string text;
    std::vector<std::string> blocks;
    for (int c = 0; c < curves; ++c) {
        const float vg2 = in.ConsumeIntegralInRange(0, 7) == 0 ? 150.0F : 250.0F;
        std::string block;
        const int points = in.ConsumeIntegralInRange(1, 40);
        double ua = in.ConsumeFloatingPointInRange(0.0, 20.0);
        for (int p = 0; p < points; ++p) {
            float u = 0.0F;
            float i = 0.0F;
            if (wild) {
                u = in.ConsumeFloatingPoint<float>();
                i = in.ConsumeFloatingPoint<float>();
                if (!std::isfinite(u) || !std::isfinite(i))
                    u = i = 0.0F;
            } else {
                const double drive = std::max(0.0, ua / mu + grid);
                double ia = k * std::pow(drive, law) * (1.0 + in.ConsumeFloatingPointInRange(-0.05, 0.05));
                double volts = ua;
                if (quantized) {
                    volts = std::round(volts / 0.47) * 0.47;
                    ia = std::round(ia * 4096.0) / 4096.0;
                }
                if (volts * ia > limitW)
                    break;
                u = static_cast<float>(volts);
                i = static_cast<float>(ia);
                // Steps of 0 V give vertical steps; a few large steps leave gaps.
                ua += in.ConsumeFloatingPointInRange(0.0, in.ConsumeBool() ? 8.0 : 60.0);
            }
            block += formatRoundTrip(u) + ' ' + formatRoundTrip(i) + ' ' + formatRoundTrip(static_cast<float>(grid)) +
                     " 0 " + formatRoundTrip(vg2) + "\r\n";
        }
        blocks.push_back(block);
        // Uneven steps; a step of 0 repeats a grid voltage.
        grid -= in.ConsumeIntegralInRange(0, 7) == 0 ? 0.0 : in.ConsumeFloatingPointInRange(0.05, 6.0);
    }
    if (reversed)
        std::reverse(blocks.begin(), blocks.end());
    for (const std::string& b : blocks)
        text += b;
    return text;
}

DesignInputs inputsFrom(FuzzedDataProvider& in, const CurveSet& set)
{
    DesignInputs inputs;
    inputs.topology = in.ConsumeBool() ? Topology::PushPull : Topology::SingleEnded;
    inputs.loadKOhm = clampLoadKOhm(static_cast<float>(std::pow(10.0, in.ConsumeFloatingPointInRange(-2.5, 5.5))));
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
        inputs.vinVpp = 0.0F;
        break;
    case 1:
        inputs.vinVpp = defaultInputSwing(set);
        break;
    default:
        inputs.vinVpp = static_cast<float>(in.ConsumeFloatingPointInRange(0.0, 40.0));
    }
    return inputs;
}

void checkTexts(const std::optional<std::string>& text)
{
    if (text)
        check(text->find("NaN") == std::string::npos && text->find("Inf") == std::string::npos);
}

void checkDesign(const StageDesign& d, const Workspace& ws, const DesignInputs& inputs, bool applied)
{
    const CurveSet& set = ws.CurveSets[0];
    const StageTexts t = stageTexts(d, inputs.topology);
    for (const auto* text : {&t.pd0, &t.gm, &t.rp, &t.mu, &t.vout, &t.gain, &t.pout, &t.h2})
        checkTexts(*text);
    check(t.pd0.has_value() == d.placement.placed);
    const StageAnalysis& a = d.analysis;
    if (!d.placement.placed) {
        check(!d.parameters && !d.opCurveBuilt && !a.ran && !a.results);
        check(!t.gm && !t.vout && !t.gain && !t.pout && !t.h2 && !t.spans);
        return;
    }
    const Placement& p = d.placement;
    check(finite(p.marker) && finite(p.ua0) && finite(p.ia0Ma) && finite(p.pdW));
    check(finite(p.line.lower) && finite(p.line.upper) && finite(p.line.junction));
    check(p.quarter.has_value() == (inputs.topology == Topology::PushPull));
    check(!p.quarter || finite(*p.quarter));
    check(finite(ws.OperatingUa) && finite(ws.OperatingIa) && finite(ws.JunctionUa) && finite(ws.JunctionIa));

    const bool found = d.parameters && d.parameters->found;
    check(t.gm.has_value() == found && t.rp.has_value() == found && t.mu.has_value() == found);
    if (found) {
        const TubeParameterResult& r = *d.parameters;
        check(finite(r.vg0) && finite(r.gmMaPerV) && finite(r.lowerIaMa) && finite(r.upperIaMa));
        check(r.rpKOhm.has_value() == r.mu.has_value());
        check(!r.rpKOhm || (finite(*r.rpKOhm) && finite(*r.mu)));
        const std::vector<GridColumn>& table = r.axis == SweepAxis::Grid1 ? set.Vg1Table : set.Vg2Table;
        check(r.lowerColumn >= 0 && r.upperColumn > r.lowerColumn && r.upperColumn < static_cast<int>(table.size()));
        const float gL = table[static_cast<std::size_t>(r.lowerColumn)].voltage;
        const float gH = table[static_cast<std::size_t>(r.upperColumn)].voltage;
        const float slack = 1e-5F * (std::fabs(gL) + std::fabs(gH));
        check(gL - slack <= r.vg0 && r.vg0 <= gH + slack);
    }
    if (applied)
        check(d.opCurveBuilt == (found && ws.OpCurve.Drawn) && a.ran == d.opCurveBuilt);
    if (ws.OpCurve.Drawn)
        check(finitePoints(ws.OpCurve.Points));

    check(!a.results || a.ran);
    check(a.beep == (a.ran && !a.up.found));
    // Both ends found and no results: a figure too large for a 32-bit value.
    const double u1 = a.up.ua;
    const double u2 = a.down.ua;
    const double ua0 = ws.OperatingUa;
    const bool huge = !(std::fabs((a.up.iaMa - static_cast<double>(a.down.iaMa)) * (u2 - u1) / 8000.0) <= FLT_MAX &&
                        std::fabs(4.0 * (ua0 - u1) * 4.0 * (ua0 - u1) / 8000.0 / ws.LoadKOhm) <= FLT_MAX &&
                        std::fabs(u2 - u1) <= FLT_MAX && std::fabs(u2 - ua0) <= FLT_MAX && std::fabs(u1 - ua0) <= FLT_MAX &&
                        std::fabs(a.up.iaMa - static_cast<double>(a.down.iaMa)) <= FLT_MAX &&
                        std::fabs(a.down.iaMa - static_cast<double>(ws.OperatingIa)) <= FLT_MAX &&
                        std::fabs(a.up.iaMa - static_cast<double>(ws.OperatingIa)) <= FLT_MAX);
    check(!a.results || (a.up.found && a.down.found));
    check(a.results || !(a.up.found && a.down.found) || huge);
    check(!a.ran || ws.UpCurve.Drawn == a.up.found);
    check(!a.down.computed || ws.DownCurve.Drawn == a.down.found);
    for (const SwingEnd* end : {&a.up, &a.down}) {
        check(finite(end->vg1) && finite(end->vg2));
        check(!end->found || (finite(end->ua) && finite(end->iaMa)));
        check(!end->found || end->built);
    }
    if (a.up.built)
        check(finitePoints(ws.UpCurve.Points));
    if (a.down.built)
        check(finitePoints(ws.DownCurve.Points));
    check(t.vout.has_value() == a.results.has_value() && t.spans.has_value() == a.results.has_value());
    if (a.results) {
        const StageResults& r = *a.results;
        check(finite(r.voutVpp) && finite(r.poutW));
        const double gain = r.voutVpp / static_cast<double>(inputs.vinVpp);
        check(r.gain.has_value() == (inputs.vinVpp != 0.0F && std::fabs(gain) <= FLT_MAX));
        check(!r.gain || finite(*r.gain));
        const double h2 = ((u1 + u2) / 2.0 - ua0) / (u1 - u2) * 100.0;
        check(r.h2Percent.has_value() ==
              (inputs.topology == Topology::SingleEnded && a.up.ua != a.down.ua && std::fabs(h2) <= FLT_MAX));
        check(!r.h2Percent || finite(*r.h2Percent));
        for (const SpanTag& s : r.spans)
            check(finite(s.dU) && finite(s.dI) && finite(s.u) && finite(s.i));
    }
    // No swing: both ends are the operating point, on the operating curve.
    // (On a flat stretch of a quantized curve with a load of megohms, a
    // rounding of the blended current by one part in 10^7 can move the
    // crossing just past the pivot, and the up-swing is then not found: so
    // the ends are checked where they were found.)
    // On a family of absurd currents (kiloamperes and beyond) the rounding of
    // the currents, carried along the load line, is itself absurd: there the
    // other properties are checked, not this one.
    if (a.results && inputs.vinVpp == 0.0F && set.IaMax < 1000.0F) {
        // Within the rounding of the voltage, and of the current carried
        // along the load line (R I: kOhm x mA = V).
        const double tolerance = 1e-4 * std::max(1.0, std::fabs(ua0)) +
                                 1e-5 * ws.LoadKOhm * std::fabs(static_cast<double>(ws.OperatingIa));
        check(std::fabs(a.up.ua - ws.OperatingUa) <= tolerance && std::fabs(a.down.ua - ws.OperatingUa) <= tolerance);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    Workspace ws;
    ws.ModeName = WorkMode::Cook;
    CurveSet& set = ws.CurveSets[0];
    if (!readCurveSetFromMemory(set, familyText(in)))
        return 0;
    ws.SeriesSelections[0] = defaultSelection(set);
    if (in.ConsumeIntegralInRange(0, 7) == 0) {
        ws.SeriesSelections[0].Vg1List = in.ConsumeRandomLengthString(40);
        ws.SeriesSelections[0].Vg2List = in.ConsumeRandomLengthString(20);
    }
    // Scales from a tenth to three times the family's extent.
    const double zoom = in.ConsumeFloatingPointInRange(0.1, 3.0);
    const auto division = [zoom](double extent) {
        return formatRoundTrip(static_cast<float>(std::min(extent * zoom / 8.0, 1e30)));
    };
    updateScales(ws, division(set.UaMax), division(set.IaMax * 1000.0));

    // Mostly inside the plot; now and then just outside its margins.
    const float x = static_cast<float>(in.ConsumeFloatingPointInRange(-200.0, 65736.0));
    const float y = static_cast<float>(in.ConsumeFloatingPointInRange(-200.0, 65736.0));
    const DesignInputs first = inputsFrom(in, set);
    checkDesign(applyOperatingPoint(ws, x, y, first), ws, first, true);
    const DesignInputs second = inputsFrom(in, set);
    const bool hadPoint = ws.OpCurve.Drawn;
    const StageDesign again = recomputeAtPivot(ws, second);
    check(again.placement.placed == hadPoint);
    checkDesign(again, ws, second, false);
    return 0;
}
