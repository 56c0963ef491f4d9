// One complete operating-point placement (tube parameters, operating curve,
// both swing curves, intersections, results) on a 31-curve family of 64
// points per curve, the size of a full capture.
#include "design/stage_analysis.h"
#include "plot/scales.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

namespace {

// Koren's 300B triode model, amperes.
double korenIaA(double ua, double vg)
{
    const double mu = 3.95, ex = 1.4, kg1 = 1550.0, kp = 65.0, kvb = 300.0;
    if (ua <= 0.0)
        return 0.0;
    const double e1 = ua / kp * std::log1p(std::exp(kp * (1.0 / mu + vg / std::sqrt(kvb + ua * ua))));
    return e1 > 0.0 ? 2.0 * std::pow(e1, ex) / kg1 : 0.0;
}

// The family in the shape the TDF reader leaves it: series in capture order
// (0 V first), every series but the first with an extra zero point, points
// sorted by anode voltage, sorted grid tables.
// With `irregular`, each curve is sampled at its own voltages (shifted by a
// fraction of a step per curve) and cut short at 120 mA, as measured families
// are: the blends then hold the points of both curves they are made of.
zov::CurveSet family31(bool irregular = false)
{
    zov::CurveSet set;
    for (int k = 0; k < 31; ++k) {
        const float vg = -4.0F * static_cast<float>(k);
        zov::Series s{vg, 0.0F, {}};
        const float shift = irregular ? 7.1F * static_cast<float>(k % 5) / 5.0F : 0.0F;
        for (int p = 0; p < 64; ++p) {
            const float ua = 450.0F * static_cast<float>(p) / 63.0F + shift;
            const auto ia = static_cast<float>(korenIaA(ua, vg));
            if (irregular && ia > 0.12F)
                break;
            s.Points.push_back({ua, ia, vg, 0.0F, 0.0F, 0.0F, 0.0F});
        }
        if (k > 0)
            s.Points.insert(s.Points.begin(), zov::PointColumn{});
        set.Series.push_back(std::move(s));
        set.Vg1Table.push_back({vg, k});
    }
    std::reverse(set.Vg1Table.begin(), set.Vg1Table.end());
    set.Vg2Table.push_back({0.0F, 0});
    set.Vg1Top = 30;
    set.Vg1Spacing = 4.0F;
    set.Loaded = true;
    return set;
}

// state.range(0): 1 for the irregular, cut-short family.
void BM_PlaceOperatingPoint(benchmark::State& state)
{
    zov::Workspace ws;
    ws.ModeName = zov::WorkMode::Cook;
    zov::updateScales(ws, "100", "20");
    ws.CurveSets[0] = family31(state.range(0) != 0);
    ws.SeriesSelections[0] = zov::defaultSelection(ws.CurveSets[0]);
    const zov::DesignInputs inputs{zov::Topology::SingleEnded, 3.0F, 40.0F};
    const float x = zov::UaToX(ws, 300.0F);
    const float y = zov::IaToY(ws, 60.0F);
    for (auto _ : state) {
        zov::StageDesign d = zov::applyOperatingPoint(ws, x, y, inputs);
        if (!d.analysis.results) {
            state.SkipWithError("the placement found no results");
            break;
        }
        benchmark::DoNotOptimize(d);
    }
}
BENCHMARK(BM_PlaceOperatingPoint)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
