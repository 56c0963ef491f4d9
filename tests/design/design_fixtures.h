#pragma once
// Hand-made families for the design tests.
#include "core/curve_store.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <vector>

namespace zov::test {

struct CurveData {
    float vg1, vg2;
    std::vector<std::pair<float, float>> points;  // (Ua V, Ia A)
};

// As the reader builds it but with negative currents kept: later series carry
// an extra zero point, points sorted by Ua, a grid column per voltage that
// differs from the first curve's. Spacings stay 0: the engine must not use them.
inline CurveSet makeFamily(const std::vector<CurveData>& curves)
{
    CurveSet set;
    for (std::size_t k = 0; k < curves.size(); ++k) {
        const CurveData& c = curves[k];
        Series s{c.vg1, c.vg2, {}};
        for (const auto& [u, i] : c.points)
            s.Points.push_back({u, i, c.vg1, 0.0F, c.vg2, 0.0F, 0.0F});
        if (k > 0)
            s.Points.push_back(PointColumn{});
        std::stable_sort(s.Points.begin(), s.Points.end(),
                         [](const PointColumn& a, const PointColumn& b) { return a[kRowUa] < b[kRowUa]; });
        if (k == 0 || c.vg1 != set.Vg1Table.front().voltage)
            set.Vg1Table.push_back({c.vg1, static_cast<int>(k)});
        if (k == 0 || c.vg2 != set.Vg2Table.front().voltage)
            set.Vg2Table.push_back({c.vg2, static_cast<int>(k)});
        set.Series.push_back(std::move(s));
    }
    const auto byVoltage = [](const GridColumn& a, const GridColumn& b) { return a.voltage < b.voltage; };
    std::stable_sort(set.Vg1Table.begin(), set.Vg1Table.end(), byVoltage);
    std::stable_sort(set.Vg2Table.begin(), set.Vg2Table.end(), byVoltage);
    set.Vg1Top = static_cast<int>(set.Vg1Table.size()) - 1;
    set.Vg2Top = static_cast<int>(set.Vg2Table.size()) - 1;
    set.Loaded = true;
    return set;
}

using Model = std::function<double(double ua, double vg1)>;  // amperes

// `before` followed by curves of `ia` for the grid-1 voltages (file order),
// sampled at Ua = step, 2 step, ... <= toUa.
inline std::vector<CurveData> sampleFamily(const Model& ia, const std::vector<float>& vg1s, float vg2,
                                           std::vector<CurveData> before = {}, int toUa = 400, int step = 5)
{
    std::vector<CurveData> out = std::move(before);
    for (float g : vg1s) {
        out.push_back({g, vg2, {}});
        for (int u = step; u <= toUa; u += step)
            out.back().points.emplace_back(float(u), float(ia(u, g)));
    }
    return out;
}

// Straight, parallel, evenly spaced lines: mu 20, rp 20 kOhm, gm 1 mA/V, Vg1 0
// ... -30 V, Vg2 250 V, Ua up to 500 V; negative below cut-off, so straight.
inline double linearIaA(double ua, double vg1) { return (ua + 20.0 * vg1 + 220.0) / 20000.0; }
inline CurveSet linearFamily()
{
    std::vector<float> grids(31);
    std::iota(grids.rbegin(), grids.rend(), -30.0F);
    return makeFamily(sampleFamily(linearIaA, grids, 250.0F, {}, 500));
}

}  // namespace zov::test
