#pragma once
// What the design controller needs from the plot area: the drawing surface
// over the plot's picture, the value tags beside the plot and the floating
// read-out that follows the pointer.

#include "plot/axis_label_sink.h"
#include "plot/cursor_readout.h"

namespace zov {
class Surface;
}

namespace zov::gui {

class PlotView {
public:
    virtual ~PlotView() = default;

    // The surface over the plot's picture, as the central refresh left it.
    virtual Surface& plotSurface() = 0;
    // Shows what was drawn on the surface since the last call.
    virtual void showPicture() = 0;
    virtual AxisLabelSink& labelSink() = 0;

    // The floating read-out: its texts and its place beside the pointer at
    // plot position (x, y); shown or hidden by the user, hidden by a refresh.
    virtual void followCursor(const CursorReadout& readout, float x, float y) = 0;
    virtual void toggleCursorFrame() = 0;
    virtual void hideCursorFrame() = 0;
    // The operating-point tags Ua0 and Ia0.
    virtual void hideOperatingTags() = 0;
};

}  // namespace zov::gui
