#include "design/tube_parameters.h"

#include "design/count_separators.h"
#include "core/text.h"
#include "design/curve_reading.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

namespace zov {

namespace {

// Finite, and finite still when stored as a 32-bit value.
bool fitsFloat(double value)
{
    return std::fabs(value) <= static_cast<double>(std::numeric_limits<float>::max());
}

}  // namespace

TubeParameterResult TubeParameters(const CurveSet& set, const SeriesSelection& selection,
                                   CurveTrace& trace, float iaA, float ua)
{
    TubeParameterResult result;
    const bool grid1 = CountSeparators(selection.Vg1List, ",") >= 2;
    result.axis = grid1 ? SweepAxis::Grid1 : SweepAxis::Grid2;
    const auto fixed = static_cast<float>(
        numericValue(GetField(grid1 ? selection.Vg2List : selection.Vg1List, 1, ",")));
    result.fixedVoltage = fixed;
    if (grid1)
        trace.Vg2 = fixed;
    else
        trace.Vg1 = fixed;
    const auto& table = grid1 ? set.Vg1Table : set.Vg2Table;

    // The curves of the selected family, ascending in the swept voltage.
    struct Curve {
        int column;
        float grid;
        const Series* series;
    };
    std::vector<Curve> curves;
    curves.reserve(table.size());
    for (std::size_t k = 0; k < table.size(); ++k) {
        const int j = table[k].series;
        if (j < 0 || static_cast<std::size_t>(j) >= set.Series.size())
            continue;
        const Series& s = set.Series[static_cast<std::size_t>(j)];
        const float fixedOf = grid1 ? s.Vg2 : s.Vg1;
        const float sweptOf = grid1 ? s.Vg1 : s.Vg2;
        if (fixedOf != fixed || sweptOf != table[k].voltage)
            continue;
        curves.push_back({static_cast<int>(k), table[k].voltage, &s});
    }

    // L: the highest curve whose current at ua is defined and below ia.
    // Reading whole curves at ua (instead of looking for a point to the lower
    // right) keeps the curve just below the point even when it rises past ia
    // before its next sample, so L and H are the curves the operating curve is
    // blended from, read the way the blend reads them.
    const double uaV = ua;
    const double ia = iaA;
    std::ptrdiff_t lower = -1;
    CurveReading low;
    for (auto c = static_cast<std::ptrdiff_t>(curves.size()) - 1; c >= 0; --c) {
        const auto& points = curves[static_cast<std::size_t>(c)].series->Points;
        const CurveReading r = readCurve(points, uaV);
        if (r.defined && r.iaA(points) < ia) {
            lower = c;
            low = r;
            break;
        }
    }
    if (lower < 0 || static_cast<std::size_t>(lower + 1) >= curves.size())
        return result;
    const Curve& curveL = curves[static_cast<std::size_t>(lower)];
    const Curve& curveH = curves[static_cast<std::size_t>(lower + 1)];
    const auto& pointsL = curveL.series->Points;
    const auto& pointsH = curveH.series->Points;
    // H: the next curve above L, read at ua by the same rule. Undefined there
    // (the point lies beyond its reach) or no H at all: nothing is found, as
    // with equal currents, which leave the grid-voltage interpolation without
    // a divisor.
    const CurveReading high = readCurve(pointsH, uaV);
    if (!high.defined)
        return result;
    const double iaL = low.iaA(pointsL);
    const double iaH = high.iaA(pointsH);
    if (iaH == iaL)
        return result;

    // The grid step of the two curves used, not the family's first spacing:
    // right for uneven steps, appended families and several grid-2 voltages.
    const double gridStep = static_cast<double>(curveH.grid) - curveL.grid;
    if (gridStep == 0.0)
        return result;
    const double gm = (iaH - iaL) / gridStep;  // A/V
    // IL < ia <= IH, so vg0 lies between L's and H's grid voltages (and stays
    // there when rounded to 32 bits, both ends being 32-bit values).
    const double vg0 = curveL.grid + gridStep * (ia - iaL) / (iaH - iaL);
    // Curves a hair apart in grid voltage, or currents beyond any tube's, can
    // give a transconductance too large for a 32-bit value: nothing is found
    // rather than an infinite gm.
    if (!fitsFloat(gm * 1000.0) || !fitsFloat(vg0) || !fitsFloat(iaL * 1000.0) || !fitsFloat(iaH * 1000.0))
        return result;
    result.found = true;
    result.lowerColumn = curveL.column;
    result.upperColumn = curveH.column;
    result.lowerIaMa = static_cast<float>(iaL * 1000.0);
    result.upperIaMa = static_cast<float>(iaH * 1000.0);
    result.gmMaPerV = static_cast<float>(gm * 1000.0);
    const std::optional<double> rL = low.slopeOhm(pointsL);
    const std::optional<double> rH = high.slopeOhm(pointsH);
    // A slope too steep for a 32-bit value is left absent like a flat one.
    if (rL && rH) {
        const double rp = (*rL + *rH) / 2.0;  // Ohm
        if (fitsFloat(rp / 1000.0) && fitsFloat(gm * rp)) {
            result.rpKOhm = static_cast<float>(rp / 1000.0);
            result.mu = static_cast<float>(gm * rp);
        }
    }
    result.vg0 = static_cast<float>(vg0);
    if (grid1)
        trace.Vg1 = result.vg0;
    else
        trace.Vg2 = result.vg0;
    return result;
}

}  // namespace zov
