#include "render/capture_step.h"

#include "render/curve_drawing.h"
#include "render/plot_colours.h"

namespace zov {

void drawCaptureStep(Surface& surface, const Workspace& ws)
{
    const Colour colour = surface.colour();
    const int mode = surface.drawMode();
    const int style = surface.lineStyle();
    const int width = surface.penWidth();
    surface.setColour(kCurrentCurveColour);
    surface.setDrawMode(kDrawModeCopy);
    surface.setLineStyle(kLineSolid);
    surface.setPenWidth(kCurrentCurveWidth);
    DrawCurveText(surface, ws, ws.CurveText);
    surface.setColour(colour);
    surface.setDrawMode(mode);
    surface.setLineStyle(style);
    surface.setPenWidth(width);
    surface.flush();
}

}  // namespace zov
