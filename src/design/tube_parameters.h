#pragma once
// The operating grid voltage and the small-signal parameters of the tube at an
// operating point, from the two measured curves that bracket it.

#include "core/curve_store.h"

#include <optional>

namespace zov {

// Which grid the selected family is swept in.
enum class SweepAxis { Grid1, Grid2 };

struct TubeParameterResult {
    SweepAxis axis = SweepAxis::Grid1;
    float fixedVoltage = 0.0F;  // V: grid-2 voltage (grid-1 sweep) or grid-1 voltage (grid-2 sweep)
    // True when the operating point lies between two curves: vg0 and gmMaPerV
    // are then valid and the operating curve can be built.
    bool found = false;
    float vg0 = 0.0F;            // V, operating voltage of the swept grid
    float gmMaPerV = 0.0F;       // transconductance, mA/V
    std::optional<float> rpKOhm; // plate resistance, kOhm; absent when a curve is flat there
    std::optional<float> mu;     // gm * rp; absent with rp
    // The curves used: indices into the sweep table (lower below the point,
    // upper above it) and their currents at the operating voltage, mA.
    int lowerColumn = -1;
    int upperColumn = -1;
    float lowerIaMa = 0.0F;
    float upperIaMa = 0.0F;
};

// Tube parameters of `set` at the operating point (ua V, iaA amperes).
//
// The sweep axis: grid 1 when the selection lists two or more grid-1 voltages
// (CountSeparators on Vg1List >= 2), the fixed grid-2 voltage then being the
// first value of Vg2List; otherwise grid 2, with the first value of Vg1List as
// the fixed grid-1 voltage. The fixed voltage is written to trace.Vg2 (grid-1
// sweep) or trace.Vg1 (grid-2 sweep), and when parameters are found vg0 goes
// to the other one.
//
// The curves considered are the sweep table's columns whose series has the
// fixed-axis voltage, in ascending order of the swept voltage; each is read at
// ua by readCurve (curve_reading.h): interpolated inside its range, continued
// along its last segment for at most 10 % of its span past its last point,
// undefined elsewhere. The lower curve L is the highest curve whose current at
// ua is defined and below ia; the upper curve H is the next curve above L, and
// its current at ua must be defined (interpolated or extended), else nothing
// is found. Then IL < ia <= IH holds (a defined H below ia would have been
// taken as L), so vg0 always lies between L's and H's grid voltages, and a
// point far outside the family (above the curves' reach, past their ends) is
// not found rather than extrapolated without limit. rL and rH are the slopes
// dUa/dIa of the segments used (the extension's segment when extended); rp is
// their mean.
//
// gm and vg0 use the grid-voltage difference of L and H themselves, not the
// family's first spacing. No L (point below the lowest curve or beyond the
// curves' reach), no H (point above the highest curve, or H undefined at ua)
// or equal currents of L and H: nothing is found. A slope that cannot be
// formed (a segment with no change of current) leaves rp and mu absent while
// gm and vg0 stand.
TubeParameterResult TubeParameters(const CurveSet& set, const SeriesSelection& selection,
                                   CurveTrace& trace, float iaA, float ua);

}  // namespace zov
