// One fit of a tube model to a family of 31 curves of 64 points, the size of
// a full capture; target under 100 ms. The families are drawn from Koren's
// 300B and EL34 sets (and a DerkE tetrode) with seeded noise of the size of
// the module's 256 mA range (0.25 mA), so the solver works as on a capture.
#include "design/tube_fit.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

std::vector<zov::FitPoint> family31(zov::TubeModelKind kind)
{
    zov::TubeModelParams p;
    double gridStep = 1.0;
    if (kind == zov::TubeModelKind::KorenTriode) {
        p = {3.95, 1.4, 1550, 65, 300};
        gridStep = 4.0;
    } else {
        p = {11, 1.35, 650, 60, 24};
        p.a = 4e-4;
        p.beta = 0.06;
    }
    std::mt19937 rng(31);
    std::normal_distribution<double> noise(0.0, 2.5e-4);
    std::vector<zov::FitPoint> points;
    for (int k = 0; k < 31; ++k) {
        const double vg = -gridStep * k;
        for (int s = 1; s <= 64; ++s) {
            const double ua = 470.0 * s / 64.0;
            const double ia = std::max(0.0, zov::anodeCurrentA(kind, p, ua, vg, 250.0) + noise(rng));
            points.push_back({ua, vg, 250.0, ia});
        }
    }
    return points;
}

void fit(benchmark::State& state, zov::TubeModelKind kind)
{
    const std::vector<zov::FitPoint> points = family31(kind);
    zov::FitOptions options;
    options.kind = kind;
    zov::FitResult result;
    for (auto _ : state) {
        result = zov::fitTubeModel(points, options);
        benchmark::DoNotOptimize(result);
    }
    state.counters["points"] = result.points;
    state.counters["iterations"] = result.iterations;
    state.counters["rmsMa"] = result.rmsMa;
    state.counters["converged"] = result.converged ? 1 : 0;
}

}  // namespace

BENCHMARK_CAPTURE(fit, koren_triode_31x64, zov::TubeModelKind::KorenTriode)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(fit, koren_pentode_31x64, zov::TubeModelKind::KorenPentode)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(fit, derk_e_31x64, zov::TubeModelKind::DerkEPentode)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
