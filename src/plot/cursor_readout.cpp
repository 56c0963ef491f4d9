#include "plot/cursor_readout.h"

#include "plot/scales.h"
#include "plot/scope_labels.h"
#include "core/text.h"

#include <cmath>

namespace zov {

namespace {

constexpr Colour kCursorTagGreen = rgb(0, 128, 0);

std::string oneDecimal(double value)
{
    return formatPattern(value, "##0.0");
}

}  // namespace

CursorReadout cursorReadout(const Workspace& ws, float x, float y, const CursorContext& context)
{
    CursorReadout r;
    r.ua = XToUa(ws, x);
    r.iaMa = YToIa(ws, y);
    const double u = r.ua;
    const double i = r.iaMa;
    r.flyingUa = "Ua: " + oneDecimal(u);
    r.flyingIa = "Ia: " + oneDecimal(i);
    r.flyingPd = "Pd: " + oneDecimal(u * i / 1000.0);

    r.slide.pair = AxisLabelPair::Cursor;
    r.slide.colour = kCursorTagGreen;
    r.slide.xUnits = UaToX(ws, r.ua);
    r.slide.yUnits = IaToY(ws, r.iaMa);
    r.slide.captionU = axisCaption(r.ua);

    const bool marker = ws.MarkerY != 65536.0F;
    if (marker && context.cookMode && !context.match) {
        r.slide.captionI = axisCaption(r.iaMa);
        // The swing from the operating point to the pointer, as a peak-to-peak
        // voltage and current: 0.707 for the label, and the frame's factor of
        // the topology.
        const double dU = XToUa(ws, x - ws.MarkerX);
        const double dI = i - static_cast<double>(YToIa(ws, ws.MarkerY));
        r.pout = oneDecimal(std::fabs(dU * 0.707 * dI / 1000.0));
        const double factor = context.singleEnded ? 0.5 : 0.66;
        r.flyingPo = "Po: " + oneDecimal(std::fabs(dU * factor * dI / 1000.0));
    } else {
        r.slide.captionI = axisCaption(r.iaMa - ws.DiffOffsetMa);
    }
    return r;
}

FramePosition flyingFramePosition(float x, float y, float w, float h)
{
    FramePosition p;
    p.left = x + w < 65536.0F ? x + 400.0F : x - w - 400.0F;
    p.top = y - h > 0.0F ? y - h - 200.0F : y - 200.0F;
    return p;
}

}  // namespace zov
