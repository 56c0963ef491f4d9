#pragma once
// The stage design at an operating point: placing the point and its load
// line, the curves at both ends of the input swing, their intersections with
// the load line and the results. Everything here is numbers; the window draws
// the figures (in XOR ink) and formats the results.

#include "design/design_inputs.h"
#include "design/load_line.h"
#include "design/tube_parameters.h"
#include "core/curve_store.h"

#include <optional>

namespace zov {

// What placing an operating point produced.
struct Placement {
    // False when the position lies outside the plot margins: then nothing of
    // the Workspace was changed and nothing is to be drawn.
    bool placed = false;
    PlotPoint marker;                     // plot position of the marker (= the pivot)
    float ua0 = 0.0F;                     // V
    float ia0Ma = 0.0F;                   // mA
    float pdW = 0.0F;                     // quiescent anode dissipation, W
    LoadLineFigure line;                  // slope R (SE) or R/2 (PP)
    std::optional<PlotSegment> quarter;   // PP: the R/4 segment beyond the junction
};

// Places the operating point at plot position (x, y): writes MarkerX/Y,
// PivotX/Y, LoadKOhm (= inputs.loadKOhm), the junction (plot units and V/mA)
// and OperatingUa/Ia (the position converted with the current scales). The
// window erases the previous figure first, from the Workspace values it had
// before this call (loadLineFigure below with the old LoadKOhm and pivot).
Placement PlaceOperatingPoint(Workspace& ws, float x, float y, const DesignInputs& inputs);

// The load-line figure for a load and pivot: the line of slope R (SE) or R/2
// with, in push-pull, the R/4 segment from the junction on.
Placement loadLineFigure(const Workspace& ws, float loadKOhm, float pivotX, float pivotY,
                         Topology topology);

// One end of the input swing.
struct SwingEnd {
    bool computed = false;  // the grid voltages were set (the analysis reached this side)
    float vg1 = 0.0F;
    float vg2 = 0.0F;
    bool built = false;     // the curve at that grid voltage exists
    bool found = false;     // and it meets the load line
    float ua = 0.0F;        // V
    float iaMa = 0.0F;      // mA
};

// A pair of span tags: a voltage and a current difference, placed at (u, i).
struct SpanTag {
    float dU = 0.0F;   // V
    float dI = 0.0F;   // mA
    float u = 0.0F;    // V
    float i = 0.0F;    // mA
};

struct StageResults {
    float voutVpp = 0.0F;
    std::optional<float> gain;       // absent when Vin = 0 (or too large for a 32-bit value)
    float poutW = 0.0F;
    std::optional<float> h2Percent;  // single-ended only; absent when U1 = U2 (or too large)
    SpanTag spans[3];                // swing, down-swing end, up-swing end
};

struct StageAnalysis {
    bool ran = false;   // there was a valid operating curve
    SwingEnd up;
    SwingEnd down;
    bool beep = false;  // no up-swing curve or no up-swing intersection
    // Absent unless both ends of the swing were found, and when a figure
    // does not fit a 32-bit value.
    std::optional<StageResults> results;
};

// The swing analysis on `set` around ws.OpCurve (which must be Drawn, i.e.
// valid). Fills ws.UpCurve, ws.DownCurve (Points, U, I, Drawn = found), the
// three load lines and UpUa/UpIa. The window erases the traces it had drawn
// before calling (it holds their previous values).
StageAnalysis AnalyseStage(Workspace& ws, const CurveSet& set, const DesignInputs& inputs);

// Everything a left click in a design mode computes.
struct StageDesign {
    Placement placement;
    std::optional<TubeParameterResult> parameters;  // absent when not placed
    bool opCurveBuilt = false;
    StageAnalysis analysis;
};

// A click at plot position (x, y) on the family of slot 0 with the selection of
// slot 0: clears the operating curve, places the point, finds the tube
// parameters and the operating grid voltage, builds the operating curve there
// and, when it exists, runs the swing analysis.
StageDesign applyOperatingPoint(Workspace& ws, float x, float y, const DesignInputs& inputs);

// A new load or swing at the same operating point (the point stays, its
// curve is not rebuilt): placement at the pivot and the swing analysis, when
// the operating point is valid.
StageDesign recomputeAtPivot(Workspace& ws, const DesignInputs& inputs);

}  // namespace zov
