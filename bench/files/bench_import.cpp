// Importing a 10 MB wide table (a first column of anode voltages, one current
// column per grid voltage, comma-separated, currents in A with six decimals,
// as digitizer and tracer exports write them). Target: 100 MB/s or more.

#include "files/curve_import.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

// 13 curves from 0 to -60 V, rows at irregular anode voltages, curved
// currents (a 3/2 law), until the text holds `targetBytes`.
std::string makeWideTable(std::size_t targetBytes)
{
    std::string text = "PlateVoltage,0,-5,-10,-15,-20,-25,-30,-35,-40,-45,-50,-55,-60\r\n";
    char cell[32];
    for (long row = 0; text.size() < targetBytes; ++row) {
        const double ua = 0.05 * static_cast<double>(row) + 0.001 * static_cast<double>(row % 7);
        std::snprintf(cell, sizeof cell, "%.3f", ua);
        text += cell;
        for (int g = 0; g < 13; ++g) {
            const double drive = std::max(0.0, ua / 8.0 - 5.0 * g);
            std::snprintf(cell, sizeof cell, ",%.6f", 1e-4 * std::pow(drive, 1.5));
            text += cell;
        }
        text += "\r\n";
    }
    return text;
}

const std::string& wideTable()
{
    static const std::string text = makeWideTable(10u << 20);
    return text;
}

void BM_ImportWideTableFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("wide.csv"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot write the temporary file");
            return;
        }
        f.write(wideTable().data(), static_cast<qint64>(wideTable().size()));
    }
    for (auto _ : state) {
        const zov::ImportResult r = zov::importCurveFile(path);
        if (!r.ok) {
            state.SkipWithError(r.error.toStdString().c_str());
            return;
        }
        benchmark::DoNotOptimize(r.family.curves.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations())
                            * static_cast<std::int64_t>(wideTable().size()));
}
BENCHMARK(BM_ImportWideTableFile)->Unit(benchmark::kMillisecond);

// The same table converted all the way to TDF text (what zov-cli import writes).
void BM_ImportWideTableToTdfText(benchmark::State& state)
{
    for (auto _ : state) {
        const zov::ImportResult r = zov::importCurveText(wideTable());
        benchmark::DoNotOptimize(zov::familyTdfText(r.family).size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations())
                            * static_cast<std::int64_t>(wideTable().size()));
}
BENCHMARK(BM_ImportWideTableToTdfText)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
