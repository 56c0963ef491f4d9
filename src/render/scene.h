#pragma once
// The one composition of the plot picture, used by the window's central
// refresh and by the image export alike, so both show the same picture.

#include "plot/axis_label_sink.h"
#include "render/comparison_sets.h"
#include "render/diff_colour_sequence.h"
#include "render/surface.h"
#include "core/curve_store.h"

#include <functional>
#include <optional>
#include <string>

namespace zov {

struct SceneOptions {
    std::string voltsPerDivText = "20";  // text of CbVdiv
    std::string maPerDivText = "1";      // text of CbMaDiv
    std::string powerText = "2";         // text of TxPwr (watts)
    ComparisonOptions comparison;        // Cook mode only
    SlotReader readSlot;                 // may be empty: slots are then never re-read
    DiffColourSequence* diffColours = nullptr;  // owned by the caller; needed in Diff mode

    // Hooks for the operating-point design, in the refresh's order: after the
    // grid and before the comparison families (trace colours, drawn flags),
    // and last (placing a stored operating point again). May be empty.
    std::function<void(Surface&)> beforeComparisonSets;
    std::function<void(Surface&)> afterComparisonSets;
};

struct SceneResult {
    std::optional<std::string> vinText;  // new TxVin text, see ComparisonResult
};

// Builds the whole picture from the Workspace (ws.ModeName "Capture"/"Cook"):
//  1. scale update from the selector texts; clear; transient design state
//     reset (MarkerY = 65536, MarkerX = UpIa = UpUa = 0); pen width 1;
//  2. Capture mode: BackgroundText in RGB(180, 200, 180) width 1, then
//     CurveText in RGB(0, 0, 128) width 2; width 1 again;
//  3. Cook mode with "Diff (a-b)": DiffOffsetMa = 4 x MaPerDiv, no hyperbola;
//     otherwise DiffOffsetMa = 0 and DrawPowerLimit(number in powerText);
//  4. DrawGrid; 5. beforeComparisonSets; 6. DrawComparisonSets;
//  7. afterComparisonSets; then the surface is flushed.
// Window controls (tags, read-out frame) are the caller's business.
SceneResult composeScene(Surface& surface, Workspace& ws, const SceneOptions& options,
                         AxisLabelSink& labels);

// "Use as background": the current capture becomes the background family and
// the foreground is emptied (the window then disables "Save as ..." and
// "Add to ..." and refreshes).
void useCurveTextAsBackground(Workspace& ws);

}  // namespace zov
