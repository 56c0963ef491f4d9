#include "render/scene.h"

#include "render/curve_drawing.h"
#include "render/diff_colour_sequence.h"
#include "render/grid_drawing.h"
#include "render/plot_colours.h"
#include "plot/collecting_label_sink.h"
#include "plot/scales.h"
#include "core/text.h"

namespace zov {

SceneInputs sceneInputs(const Workspace& ws)
{
    SceneInputs inputs;
    inputs.mode = ws.ModeName;
    inputs.scales = ws;
    inputs.family = &ws;
    inputs.comparisonSlots = &ws;
    return inputs;
}

SceneOutput composeScene(Surface& surface, const SceneInputs& inputs)
{
    SceneOutput output;
    PlotScales& scales = output.scales;
    scales = inputs.scales;
    updateScales(scales, inputs.voltsPerDivText, inputs.maPerDivText);
    surface.clear();
    surface.setDrawMode(kDrawModeCopy);
    surface.setLineStyle(kLineSolid);
    surface.setPenWidth(1);

    if (inputs.mode == WorkMode::Capture && inputs.family != nullptr) {
        const MeasuredFamily& family = *inputs.family;
        if (!family.BackgroundText.empty()) {
            surface.setColour(kBackgroundCurveColour);
            surface.setPenWidth(kBackgroundCurveWidth);
            DrawCurveText(surface, scales, family.BackgroundText);
        }
        if (!family.CurveText.empty()) {
            surface.setPenWidth(kCurrentCurveWidth);
            surface.setColour(kCurrentCurveColour);
            DrawCurveText(surface, scales, family.CurveText);
        }
        surface.setPenWidth(1);
    }

    if (inputs.mode == WorkMode::Cook && inputs.comparison.option == CookOption::Diff) {
        scales.DiffOffsetMa = 4.0F * scales.MaPerDiv;
    } else {
        // The offset belongs to the difference picture only; leaving it set
        // after a mode change would shift every current label.
        scales.DiffOffsetMa = 0.0F;
        DrawPowerLimit(surface, scales, static_cast<float>(numericValue(inputs.powerText)));
    }

    CollectingLabelSink labels;
    DrawGrid(surface, scales, labels, scales.MaPerDiv, scales.VoltsPerDiv);
    output.labels = labels.placements();

    DiffColourSequence colours(inputs.diffColourCounter);
    if (inputs.comparisonSlots != nullptr) {
        output.vinText =
            DrawComparisonSets(surface, *inputs.comparisonSlots, scales, inputs.mode, inputs.comparison, colours).vinText;
    }
    output.diffColourCounter = colours.counter();
    if (inputs.overlay)
        inputs.overlay(surface, scales);

    surface.flush();
    return output;
}

void placeLabels(const SceneOutput& output, AxisLabelSink& labels)
{
    for (const AxisLabelPlacement& placement : output.labels)
        labels.placeAxisLabels(placement);
}

void commitScene(Workspace& ws, const SceneOutput& output)
{
    static_cast<PlotScales&>(ws) = output.scales;
    ws.MarkerY = 65536.0F;
    ws.MarkerX = 0.0F;
    ws.UpIa = 0.0F;
    ws.UpUa = 0.0F;
}

void useCurveTextAsBackground(Workspace& ws)
{
    ws.BackgroundText = ws.CurveText;
    ws.CurveText.clear();
}

}  // namespace zov
