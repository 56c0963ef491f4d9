// CPU time of one sweep step apart from the protocol's fixed waits: decoding
// the two 128-byte blocks, formatting the 64 data lines and appending them to
// the curve text.
#include "measure/module_protocol.h"
#include "measure/sweep_plan.h"

#include <benchmark/benchmark.h>

#include <array>
#include <string>

namespace {

void BM_SweepStep(benchmark::State& state)
{
    std::array<int, 64> voltageCounts{};
    std::array<int, 64> currentCounts{};
    for (int i = 0; i < 64; ++i) {
        voltageCounts[i] = i * 1000 / 63;
        currentCounts[i] = (i * i * 1023) / (63 * 63);
    }
    const auto voltageBytes = zov::protocol::encodeBlock(voltageCounts);
    const auto currentBytes = zov::protocol::encodeBlock(currentCounts);
    std::string curveText;
    int steps = 0;
    for (auto _ : state) {
        const auto ua = zov::protocol::decodeVoltageBlock(voltageBytes);
        const auto ia = zov::protocol::decodeCurrentBlock(currentBytes, 32);
        zov::appendCurveLines(curveText, ua.values.data(), ia.values.data(), 64, 2.5F, "250");
        benchmark::DoNotOptimize(curveText.data());
        // A family holds at most 63 curves; start a new one as the window does.
        if (++steps == 63) {
            curveText.clear();
            steps = 0;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SweepStep)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
