#pragma once
// Families for the design tests: hand-made families in the shape the TDF
// reader gives them, and the measured reference families turned into TDF text.

#include "measure/curve_store.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zov::test {

// One curve: grid voltages and (Ua V, Ia A) points in any order.
struct CurveData {
    float vg1 = 0.0F;
    float vg2 = 0.0F;
    std::vector<std::pair<float, float>> points;
};

// A CurveSet as the reader builds it from curves given in file order: every
// series but the first carries an extra (0 V, 0 A) point, points are sorted
// by anode voltage (stably), the grid tables get one column for series 0 and
// one for each later series whose voltage differs from column 0, sorted, and
// the spacings come from the first two columns when there are three or more.
CurveSet makeFamily(const std::vector<CurveData>& curves);

// Curves sampled from a function ia(ua, vg1) in amperes at ua = from, from +
// step, ... <= to, for the given grid-1 voltages (in file order) at one
// grid-2 voltage.
std::vector<CurveData> sampleFamily(const std::function<double(double, double)>& iaA,
                                    const std::vector<float>& vg1s, float vg2, float from,
                                    float to, float step);

// The straight, parallel, evenly spaced family Ia = (Ua + mu Vg1 + c) / rp with
// mu = 20, rp = 20 kOhm, c = 220 V (gm = 1 mA/V), Vg1 = 0, -1, ..., -30 V
// (31 curves), sampled every 5 V from 5 V to 500 V at Vg2 = 250. A model:
// currents below cut-off stay negative so that every curve is one straight
// line.
constexpr double kLinMu = 20.0;
constexpr double kLinRpOhm = 20000.0;
constexpr double kLinOffsetV = 220.0;
double linearIaA(double ua, double vg1);
CurveSet linearFamily();

// TDF text (CR LF lines) of a measured reference family, or nullopt when the
// file is missing. mbrennwa files: column 3 Ua, 4 Ia, 6 Vg1, points flagged
// by the current or power limiter (column 5) dropped; grid 2 written as 0.
std::optional<std::string> tdfFromBrennwald(const std::string& relativePath);
// The digitized GE 6L6GC family (a header of grid-1 voltages, then Ua and one
// current per grid-1 column), written at grid 2 = 400 V.
std::optional<std::string> tdfFromGe6L6(const std::string& relativePath);

std::string referencePath(const std::string& relativePath);

}  // namespace zov::test
