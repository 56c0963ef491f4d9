#pragma once
// The one composition of the plot picture, used by the window's central
// refresh and by the image export alike, so both show the same picture.
// The picture is a function of its inputs: composeScene reads a SceneInputs
// value and returns a SceneOutput value, and never writes the Workspace; the
// caller commits the output (the scales in effect, the TxVin default).

#include "render/comparison_sets.h"
#include "render/surface.h"
#include "core/curve_store.h"
#include "plot/axis_label_sink.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zov {

// What a picture shows.
struct SceneInputs {
    WorkMode mode = WorkMode::Capture;
    std::string voltsPerDivText = "20";  // text of CbVdiv
    std::string maPerDivText = "1";      // text of CbMaDiv
    std::string powerText = "2";         // text of TxPwr (watts)
    // The scales in force before this picture: a scale text that is zero or
    // no number keeps its scale.
    PlotScales scales;
    // Capture mode: the background family and the current capture. Cook
    // mode: the comparison slots (bring them up to date first with
    // loadComparisonSlots). Null: nothing of that kind to draw.
    const MeasuredFamily* family = nullptr;
    const ComparisonSlots* comparisonSlots = nullptr;
    ComparisonOptions comparison;        // Cook mode only
    std::int32_t diffColourCounter = 0;  // where the "Diff (a-b)" colour sequence stands
    // Drawn last, over the finished picture, with the picture's scales: the
    // stage design's figures. May be empty. It draws from what it holds and
    // changes nothing, like the rest of the picture.
    std::function<void(Surface&, const PlotScales&)> overlay;
};

// The inputs for the Workspace's mode, scales, family and slots, with the
// selector presets as scale texts.
SceneInputs sceneInputs(const Workspace& ws);

// What a picture computed.
struct SceneOutput {
    PlotScales scales;                       // in effect, DiffOffsetMa included
    std::vector<AxisLabelPlacement> labels;  // the grid's axis values, in placing order
    std::optional<std::string> vinText;      // new TxVin text, see ComparisonResult
    std::int32_t diffColourCounter = 0;      // where the colour sequence stands now
};

// Builds the whole picture:
//  1. scales from the texts; clear; pen width 1, copy pen, solid lines;
//  2. Capture mode: BackgroundText in RGB(180, 200, 180) width 1, then
//     CurveText in RGB(0, 0, 128) width 2; width 1 again;
//  3. Cook mode with "Diff (a-b)": DiffOffsetMa = 4 x MaPerDiv, no hyperbola;
//     otherwise DiffOffsetMa = 0 and DrawPowerLimit(number in powerText);
//  4. DrawGrid; 5. DrawComparisonSets; 6. the overlay; then the surface is
//     flushed.
// Window controls (tags, read-outs) are the caller's business.
SceneOutput composeScene(Surface& surface, const SceneInputs& inputs);

// Gives the axis values of a picture to the labels that show them.
void placeLabels(const SceneOutput& output, AxisLabelSink& labels);

// The refresh's commit: the scales in effect become the Workspace's, and the
// design state that tracks figures on the picture starts over (no XOR figure
// survives a new picture: MarkerY = 65536, MarkerX = UpIa = UpUa = 0).
void commitScene(Workspace& ws, const SceneOutput& output);

// "Use as background": the current capture becomes the background family and
// the foreground is emptied (the window then disables "Save as ..." and
// "Add to ..." and refreshes).
void useCurveTextAsBackground(Workspace& ws);

}  // namespace zov
