#include "design/stage_analysis.h"

#include "design/curve_blend.h"
#include "plot/scales.h"

#include <cmath>
#include <limits>

namespace zov {

Placement loadLineFigure(const Workspace& ws, float loadKOhm, float pivotX, float pivotY,
                         Topology topology)
{
    Placement p;
    p.placed = isWithinPlotMargins(pivotX, pivotY);
    p.marker = {pivotX, pivotY};
    if (topology == Topology::PushPull) {
        p.line = DrawLoadLine(ws, loadKOhm / 2.0F, pivotX, pivotY, topology);
        p.quarter = DrawUpperSegment(ws, loadKOhm / 4.0F, p.line.junction.x, p.line.junction.y);
    } else {
        p.line = DrawLoadLine(ws, loadKOhm, pivotX, pivotY, topology);
    }
    return p;
}

Placement PlaceOperatingPoint(Workspace& ws, float x, float y, const DesignInputs& inputs)
{
    Placement p = loadLineFigure(ws, inputs.loadKOhm, x, y, inputs.topology);
    // On scales far beyond any tube's (a family of absurd values scaled to
    // fit), the point's voltage, current or dissipation may not be a 32-bit
    // number: such a point is not placed, rather than shown as "Inf".
    const float ua0 = XToUa(ws, x);
    const float ia0Ma = YToIa(ws, y);
    const double pdW = static_cast<double>(ua0) * ia0Ma / 1000.0;
    if (!std::isfinite(ua0) || !std::isfinite(ia0Ma) || !(std::fabs(pdW) <= std::numeric_limits<float>::max()))
        p.placed = false;
    if (!p.placed)
        return p;
    ws.MarkerX = x;
    ws.MarkerY = y;
    ws.LoadKOhm = inputs.loadKOhm;
    ws.PivotX = x;
    ws.PivotY = y;
    ws.JunctionX = p.line.junction.x;
    ws.JunctionY = p.line.junction.y;
    ws.JunctionUa = XToUa(ws, ws.JunctionX);
    ws.JunctionIa = YToIa(ws, ws.JunctionY);
    ws.OperatingUa = XToUa(ws, x);
    ws.OperatingIa = YToIa(ws, y);
    p.ua0 = ws.OperatingUa;
    p.ia0Ma = ws.OperatingIa;
    p.pdW = static_cast<float>(pdW);
    return p;
}

namespace {

// A figure as a 32-bit value, or none when it does not fit one.
std::optional<float> figure(double value)
{
    if (!(std::fabs(value) <= std::numeric_limits<float>::max()))
        return std::nullopt;
    return static_cast<float>(value);
}

bool isFinite(const StageResults& r)
{
    bool finite = std::isfinite(r.voutVpp) && std::isfinite(r.poutW);
    for (const SpanTag& s : r.spans)
        finite = finite && std::isfinite(s.dU) && std::isfinite(s.dI) && std::isfinite(s.u) && std::isfinite(s.i);
    return finite;
}

// The results, or none when a figure does not fit a 32-bit value: on a family
// of absurd values (a file may hold any numbers) the output power of a swing
// between two such points would otherwise be shown as "InfW". A gain or an H2
// too large to show (a swing of 1e-38 V typed in) is absent like the gain
// without a swing.
std::optional<StageResults> computeResults(const Workspace& ws, const SwingEnd& up, const SwingEnd& down,
                            const DesignInputs& inputs)
{
    const double u1 = up.ua;
    const double i1 = up.iaMa;
    const double u2 = down.ua;
    const double i2 = down.iaMa;
    const double ua0 = ws.OperatingUa;
    const double ia0 = ws.OperatingIa;
    const double r = ws.LoadKOhm;
    StageResults res;
    double vout = 0.0;
    if (inputs.topology == Topology::SingleEnded) {
        vout = u2 - u1;
        // 8000 = 8 x 1000: peak-to-peak swings to an RMS power, currents in mA.
        res.poutW = static_cast<float>((i1 - i2) * (u2 - u1) / 8000.0);
        // Without a swing there is no distortion figure, not a division by zero.
        if (u1 != u2)
            res.h2Percent = figure(((u1 + u2) / 2.0 - ua0) / (u1 - u2) * 100.0);
    } else {
        // One tube swings from the operating point to the up-swing point; the
        // anode-to-anode load sees four times that swing across R.
        vout = ua0 - u1;
        const double swing = 4.0 * (ua0 - u1);
        res.poutW = static_cast<float>(swing * swing / 8000.0 / r);
    }
    res.voutVpp = static_cast<float>(vout);
    // Vin = 0 leaves the gain undefined: it is absent rather than infinite.
    if (inputs.vinVpp != 0.0F)
        res.gain = figure(vout / inputs.vinVpp);
    res.spans[0] = {static_cast<float>(u2 - u1), static_cast<float>(i1 - i2), ws.OperatingUa, ws.OperatingIa};
    res.spans[1] = {static_cast<float>(u2 - ua0), static_cast<float>(i2 - ia0), down.ua, down.iaMa};
    res.spans[2] = {static_cast<float>(u1 - ua0), static_cast<float>(i1 - ia0), up.ua, up.iaMa};
    if (!isFinite(res))
        return std::nullopt;
    return res;
}

}  // namespace

StageAnalysis AnalyseStage(Workspace& ws, const CurveSet& set, const DesignInputs& inputs)
{
    StageAnalysis a;
    if (!ws.OpCurve.Drawn)
        return a;
    a.ran = true;
    const float halfSwing = inputs.vinVpp / 2.0F;
    const bool pushPull = inputs.topology == Topology::PushPull;

    // Up-swing: the curve at Vg0 + Vin/2 against the high-current part of the line.
    ws.UpCurve.Drawn = false;
    ws.UpCurve.Vg1 = ws.OpCurve.Vg1 + halfSwing;
    ws.UpCurve.Vg2 = ws.OpCurve.Vg2;
    a.up.computed = true;
    a.up.vg1 = ws.UpCurve.Vg1;
    a.up.vg2 = ws.UpCurve.Vg2;
    a.up.built = CurveAtGrid(set, ws.UpCurve);
    if (a.up.built) {
        ws.LoadLineFull = {ws.LoadKOhm, ws.OperatingUa, ws.OperatingIa};
        ws.LoadLineHalf = {ws.LoadKOhm / 2.0F, ws.OperatingUa, ws.OperatingIa};
        ws.LoadLineQuarter = {ws.LoadKOhm / 4.0F, ws.JunctionUa, ws.JunctionIa};
        if (!pushPull) {
            a.up.found = IntersectLoadLine(ws.UpCurve, ws.LoadLineFull, SwingSide::HighCurrent);
        } else {
            // Past the junction the other tube is cut off and the line is R/4;
            // a small swing stays on the R/2 part. A crossing of the R/2 line
            // between the pivot and the junction is the one nearest the pivot
            // and is taken first: a noisy curve may also cross the R/4 line
            // beyond the junction, and looking there first ended a swing of
            // 0 V away from the operating point. (On a curve whose current
            // rises with the anode voltage only one of the two exists.)
            a.up.found = (IntersectLoadLine(ws.UpCurve, ws.LoadLineHalf, SwingSide::HighCurrent) &&
                          ws.UpCurve.U >= ws.JunctionUa) ||
                         IntersectLoadLine(ws.UpCurve, ws.LoadLineQuarter, SwingSide::HighCurrent) ||
                         IntersectLoadLine(ws.UpCurve, ws.LoadLineHalf, SwingSide::HighCurrent);
        }
    }
    if (a.up.found) {
        ws.UpIa = ws.UpCurve.I;
        ws.UpUa = ws.UpCurve.U;
        ws.UpCurve.DotColour = ws.UpCurve.Colour;
        ws.UpCurve.Drawn = true;
        a.up.ua = ws.UpCurve.U;
        a.up.iaMa = ws.UpCurve.I;
    }

    // Down-swing: the curve at Vg0 - Vin/2 against the low-current part of the
    // line through the operating point.
    ws.DownCurve.Drawn = false;
    if (!a.up.found) {
        a.beep = true;
        return a;
    }
    ws.DownCurve.Vg1 = ws.OpCurve.Vg1 - halfSwing;
    ws.DownCurve.Vg2 = ws.OpCurve.Vg2;
    a.down.computed = true;
    a.down.vg1 = ws.DownCurve.Vg1;
    a.down.vg2 = ws.DownCurve.Vg2;
    a.down.built = CurveAtGrid(set, ws.DownCurve);
    if (a.down.built) {
        const float slope = pushPull ? ws.LoadKOhm / 2.0F : ws.LoadKOhm;
        a.down.found = IntersectFromOperatingPoint(ws, ws.DownCurve.Points, slope, ws.DownCurve.U,
                                                   ws.DownCurve.I, SwingSide::LowCurrent);
    }
    if (!a.down.found)
        return a;
    ws.DownCurve.DotColour = ws.DownCurve.Colour;
    ws.DownCurve.Drawn = true;
    a.down.ua = ws.DownCurve.U;
    a.down.iaMa = ws.DownCurve.I;
    a.results = computeResults(ws, a.up, a.down, inputs);
    return a;
}

StageDesign applyOperatingPoint(Workspace& ws, float x, float y, const DesignInputs& inputs)
{
    StageDesign d;
    ws.OpCurve.Drawn = false;
    d.placement = PlaceOperatingPoint(ws, x, y, inputs);
    if (!d.placement.placed)
        return d;
    const CurveSet& set = ws.CurveSets[0];
    const float ua = XToUa(ws, x);
    const float iaA = YToIa(ws, y) / 1000.0F;
    d.parameters = TubeParameters(set, ws.SeriesSelections[0], ws.OpCurve, iaA, ua);
    if (!d.parameters->found)
        return d;
    d.opCurveBuilt = CurveAtGrid(set, ws.OpCurve);
    if (!d.opCurveBuilt)
        return d;
    ws.OpCurve.Drawn = true;
    ws.UpCurve.Drawn = false;
    ws.DownCurve.Drawn = false;
    d.analysis = AnalyseStage(ws, set, inputs);
    return d;
}

StageDesign recomputeAtPivot(Workspace& ws, const DesignInputs& inputs)
{
    StageDesign d;
    if (!ws.OpCurve.Drawn)
        return d;
    d.placement = PlaceOperatingPoint(ws, ws.PivotX, ws.PivotY, inputs);
    d.opCurveBuilt = true;
    d.analysis = AnalyseStage(ws, ws.CurveSets[0], inputs);
    return d;
}

}  // namespace zov
