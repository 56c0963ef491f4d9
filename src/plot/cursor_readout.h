#pragma once
// The cursor read-out: what the floating frame, the power label and the two
// green edge tags show for a pointer position, and where the floating frame
// goes. Plot units throughout (65536 x 65536, Y downwards).

#include "plot/axis_label_sink.h"
#include "core/curve_store.h"

#include <optional>
#include <string>

namespace zov {

// What the read-out depends on besides the pointer and the scales.
struct CursorContext {
    bool cookMode = false;
    bool match = false;         // "Match" selected: no power read-out
    bool singleEnded = true;    // "SE" selected (else push-pull, for the power factor)
};

struct CursorReadout {
    float ua = 0.0F;              // V at the pointer
    float iaMa = 0.0F;            // mA at the pointer (plotted value, no Diff offset)
    std::string flyingUa;         // "Ua: " and "##0.0"
    std::string flyingIa;         // "Ia: " and "##0.0"
    std::string flyingPd;         // "Pd: " and U x I in W, "##0.0"
    std::optional<std::string> flyingPo;  // "Po: ..." while a marker exists in SE or PP
    std::optional<std::string> pout;      // the LbPout caption in the same case
    AxisLabelPlacement slide;     // the edge tags SlideUa / SlideIa
};

// The read-out for the pointer at plot position (x, y). The power of a swing
// from the operating-point marker (ws.MarkerX, ws.MarkerY; MarkerY = 65536:
// none) to the pointer is shown in Cook mode outside "Match": 0.5 x dU x dI
// (single-ended) or 0.66 x dU x dI (push-pull) in the frame, 0.707 x dU x dI in
// LbPout. Otherwise the current tag reads the current minus ws.DiffOffsetMa (the
// difference value in "Diff (a-b)") while the frame shows the plotted current.
CursorReadout cursorReadout(const Workspace& ws, float x, float y, const CursorContext& context);

// Top-left corner of the floating frame (size w x h plot units) for the
// pointer at (x, y): 400 units right of the pointer, or left of it when the
// frame would reach the right edge; its bottom 200 units above the pointer, or
// its top 200 units above it when the frame would reach the top edge.
struct FramePosition {
    float left = 0.0F;
    float top = 0.0F;
};
FramePosition flyingFramePosition(float x, float y, float w, float h);

}  // namespace zov
