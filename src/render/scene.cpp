#include "render/scene.h"

#include "render/curve_drawing.h"
#include "render/grid_drawing.h"
#include "render/plot_colours.h"
#include "plot/scales.h"
#include "core/text.h"

namespace zov {

SceneResult composeScene(Surface& surface, Workspace& ws, const SceneOptions& options,
                         AxisLabelSink& labels)
{
    SceneResult result;
    updateScales(ws, options.voltsPerDivText, options.maPerDivText);
    surface.clear();
    // The picture is rebuilt from scratch: no XOR figure survives a clear, so
    // the design state that tracks them starts over.
    ws.MarkerY = 65536.0F;
    ws.MarkerX = 0.0F;
    ws.UpIa = 0.0F;
    ws.UpUa = 0.0F;
    surface.setDrawMode(kDrawModeCopy);
    surface.setLineStyle(kLineSolid);
    surface.setPenWidth(1);

    const bool capture = ws.ModeName == QLatin1String("Capture");
    if (capture) {
        if (!ws.BackgroundText.empty()) {
            surface.setColour(kBackgroundCurveColour);
            surface.setPenWidth(kBackgroundCurveWidth);
            DrawCurveText(surface, ws, ws.BackgroundText);
        }
        if (!ws.CurveText.empty()) {
            surface.setPenWidth(kCurrentCurveWidth);
            surface.setColour(kCurrentCurveColour);
            DrawCurveText(surface, ws, ws.CurveText);
        }
        surface.setPenWidth(1);
    }

    const bool diff = ws.ModeName == QLatin1String("Cook") && options.comparison.option == CookOption::Diff;
    if (diff) {
        ws.DiffOffsetMa = 4.0F * ws.MaPerDiv;
    } else {
        // The offset belongs to the difference picture only; leaving it set
        // after a mode change would shift every current label.
        ws.DiffOffsetMa = 0.0F;
        DrawPowerLimit(surface, ws, static_cast<float>(numericValue(options.powerText)));
    }

    DrawGrid(surface, ws, labels, ws.MaPerDiv, ws.VoltsPerDiv);

    if (options.beforeComparisonSets)
        options.beforeComparisonSets(surface);
    DiffColourSequence localColours;
    DiffColourSequence& colours = options.diffColours != nullptr ? *options.diffColours : localColours;
    result.vinText = DrawComparisonSets(surface, ws, options.comparison, options.readSlot, colours).vinText;
    if (options.afterComparisonSets)
        options.afterComparisonSets(surface);

    surface.flush();
    return result;
}

void useCurveTextAsBackground(Workspace& ws)
{
    ws.BackgroundText = ws.CurveText;
    ws.CurveText.clear();
}

}  // namespace zov
