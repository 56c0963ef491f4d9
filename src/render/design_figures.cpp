#include "render/design_figures.h"

#include "design/stage_texts.h"
#include "plot/scales.h"
#include "render/curve_drawing.h"

namespace zov {

namespace {

void segment(Surface& surface, const PlotSegment& s)
{
    surface.line(s.from.x, s.from.y, s.to.x, s.to.y);
}

// The pen of a figure whose XOR ink is `xorInk`: that ink in XOR mode, or the
// colour it shows on the white plot with the copy pen.
void setInk(Surface& surface, Colour xorInk, FigureInk ink)
{
    surface.setDrawMode(ink == FigureInk::Xor ? kDrawModeXor : kDrawModeCopy);
    surface.setColour(ink == FigureInk::Xor ? xorInk : xorInk ^ 0xFFFFFFU);
}

int modeOf(FigureInk ink)
{
    return ink == FigureInk::Xor ? kDrawModeXor : kDrawModeCopy;
}

Colour colourOf(Colour xorInk, FigureInk ink)
{
    return ink == FigureInk::Xor ? xorInk : xorInk ^ 0xFFFFFFU;
}

// A text that shows `colour` where it lies on the white plot.
void spanText(Surface& surface, double left, double top, const std::string& text, Colour colour, FigureInk ink)
{
    setInk(surface, colour ^ 0xFFFFFFU, ink);
    surface.setCurrentPos(left, top);
    surface.text(text);
}

// `row` 0 puts the voltage tag on the bottom edge, row 1 one text line above
// it: the swing's tag and the tags of its two halves stand close together
// when the swing is small, and would otherwise print over each other.
void spanPair(Surface& surface, const Workspace& ws, float dU, float dI, float u, float iMa, Colour colour, int row,
              FigureInk ink)
{
    const std::string voltage = spanCaption(dU);
    const std::string current = spanCaption(dI);
    const double top = 65536.0 - (row + 1) * surface.textHeight(voltage) - kSpanTagInsetUnits;
    spanText(surface, UaToX(ws, u) - surface.textWidth(voltage) / 2.0, top, voltage, colour, ink);
    spanText(surface, kSpanTagInsetUnits, IaToY(ws, iMa) - surface.textHeight(current) / 2.0, current, colour,
             ink);
}

}  // namespace

void drawPlacementFigure(Surface& surface, const Placement& placement, FigureInk ink)
{
    const SavedPen saved(surface);
    surface.setLineStyle(kLineSolid);
    setInk(surface, kLoadLineInk, ink);
    surface.setPenWidth(1);
    // One connected figure from the lower end through the pivot to the upper
    // end (the junction and the R/4 segment in push-pull): shared ends are
    // inked once, so drawing it twice leaves no trace.
    segment(surface, placement.line.lower);
    segment(surface, placement.line.upper);
    if (placement.quarter)
        segment(surface, *placement.quarter);
    setInk(surface, kMarkerInk, ink);
    surface.setPenWidth(kMarkerWidth);
    surface.point(placement.marker.x, placement.marker.y);
}

void drawSwingTrace(Surface& surface, const Workspace& ws, const CurveTrace& trace, FigureInk ink)
{
    PlotSeries(surface, ws, colourOf(trace.Colour, ink), static_cast<float>(modeOf(ink)), kLineSolid, kTraceWidth,
               trace.Points, false);
    PutDotUI(surface, ws, colourOf(trace.DotColour, ink), static_cast<float>(modeOf(ink)), kMarkerWidth, trace.U,
             trace.I);
}

void drawOperatingCurve(Surface& surface, const Workspace& ws, const CurveTrace& trace)
{
    PlotSeries(surface, ws, trace.Colour, kDrawModeCopy, kLineSolid, kTraceWidth, trace.Points, true);
}

void drawSpanTags(Surface& surface, const Workspace& ws, FigureInk ink)
{
    const SavedPen saved(surface);
    const float u0 = ws.OperatingUa;
    const float i0 = ws.OperatingIa;
    const CurveTrace& up = ws.UpCurve;
    const CurveTrace& down = ws.DownCurve;
    // The same differences the analysis reports (StageResults::spans), from
    // the values the Workspace keeps, so that erasing redraws them exactly.
    spanPair(surface, ws, down.U - up.U, up.I - down.I, u0, i0, kSpanColour, 0, ink);
    spanPair(surface, ws, down.U - u0, down.I - i0, down.U, down.I, kHalfSpanColour, 1, ink);
    spanPair(surface, ws, up.U - u0, up.I - i0, up.U, up.I, kHalfSpanColour, 1, ink);
}

namespace {

void designFigures(Surface& surface, const Workspace& ws, Topology topology, FigureInk ink)
{
    if (ws.MarkerY != 65536.0F) {
        Placement p = loadLineFigure(ws, ws.LoadKOhm, ws.PivotX, ws.PivotY, topology);
        p.marker = {ws.MarkerX, ws.MarkerY};
        drawPlacementFigure(surface, p, ink);
    }
    if (ws.UpCurve.Drawn)
        drawSwingTrace(surface, ws, ws.UpCurve, ink);
    if (ws.DownCurve.Drawn)
        drawSwingTrace(surface, ws, ws.DownCurve, ink);
    // The down-swing is drawn only with results, which the span tags show.
    if (ws.UpCurve.Drawn && ws.DownCurve.Drawn)
        drawSpanTags(surface, ws, ink);
}

}  // namespace

void toggleDesignFigures(Surface& surface, const Workspace& ws, Topology topology)
{
    designFigures(surface, ws, topology, FigureInk::Xor);
}

void drawFinishedDesign(Surface& surface, const Workspace& ws, Topology topology)
{
    if (ws.OpCurve.Drawn)
        drawOperatingCurve(surface, ws, ws.OpCurve);
    designFigures(surface, ws, topology, FigureInk::Finished);
}

StageDesign applyAndDrawOperatingPoint(Surface& surface, Workspace& ws, float x, float y,
                                       const DesignInputs& inputs)
{
    toggleDesignFigures(surface, ws, inputs.topology);
    // The refresh gives every trace the same ink before a point is placed.
    for (CurveTrace* trace : {&ws.OpCurve, &ws.UpCurve, &ws.DownCurve}) {
        trace->Colour = kTraceInk;
        trace->DotColour = kTraceInk;
    }
    const StageDesign design = applyOperatingPoint(ws, x, y, inputs);
    // The operating curve goes under the XOR figures: drawn over them with
    // the copy pen it would take pixels that a later XOR erase flips back.
    if (design.opCurveBuilt)
        drawOperatingCurve(surface, ws, ws.OpCurve);
    toggleDesignFigures(surface, ws, inputs.topology);
    surface.flush();
    return design;
}

StageDesign recomputeAndDraw(Surface& surface, Workspace& ws, const DesignInputs& inputs)
{
    if (!ws.OpCurve.Drawn)
        return {};
    toggleDesignFigures(surface, ws, inputs.topology);
    const StageDesign design = recomputeAtPivot(ws, inputs);
    toggleDesignFigures(surface, ws, inputs.topology);
    surface.flush();
    return design;
}

}  // namespace zov
