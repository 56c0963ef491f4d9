// Reading speed of TDF files: a large generated file (1000 curves, about
// 10 MB) and a realistic family of 31 curves of 64 points.

#include "files/tdf_file.h"
#include "core/text.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

namespace {

// A capture-like family: `curves` grid steps of 0.5 V at two screen voltages,
// 64 points each, values in the general number format, CR LF line ends. Each
// line of the large file is padded by repeating blocks until `targetBytes`.
std::string makeFamily(int curves, std::size_t targetBytes)
{
    std::string text;
    int block = 0;
    do {
        for (int c = 0; c < curves; ++c) {
            const double vg1 = -0.5 * (c % 64);
            const char* vg2 = (c / 64) % 2 ? "300" : "250";
            for (int i = 0; i < 64; ++i) {
                const double ua = 0.94 + 7.8125 * i + 0.001 * block;
                const double ia = std::max(0.0, 1e-6 * std::pow(std::max(0.0, ua / 10 + vg1 - 0.37 * (c / 64)), 1.5));
                text += zov::formatGeneral(ua);
                text += ' ';
                text += zov::formatGeneral(ia);
                text += ' ';
                text += zov::formatGeneral(vg1 - 0.01 * (c / 128));
                text += " 0 ";
                text += vg2;
                text += "\r\n";
            }
        }
        text += "\r\n";
        ++block;
    } while (text.size() < targetBytes);
    return text;
}

void readFromMemory(benchmark::State& state, const std::string& text)
{
    for (auto _ : state) {
        zov::CurveSet set;
        benchmark::DoNotOptimize(zov::readCurveSetFromMemory(set, text));
        benchmark::DoNotOptimize(set.Series.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
    state.counters["bytes"] = static_cast<double>(text.size());
}

void BM_ReadLargeFamily(benchmark::State& state)
{
    static const std::string text = makeFamily(1000, 10u << 20);
    readFromMemory(state, text);
}
BENCHMARK(BM_ReadLargeFamily)->Unit(benchmark::kMillisecond);

void BM_ReadFamilyOf31Curves(benchmark::State& state)
{
    static const std::string text = makeFamily(31, 0);
    readFromMemory(state, text);
}
BENCHMARK(BM_ReadFamilyOf31Curves)->Unit(benchmark::kMicrosecond);

// The same large file through the file layer (open, read, parse, close).
void BM_ReadCurveSetLargeFile(benchmark::State& state)
{
    static const std::string text = makeFamily(1000, 10u << 20);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.tdf"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot write the temporary file");
            return;
        }
        f.write(text.data(), static_cast<qint64>(text.size()));
    }
    for (auto _ : state) {
        zov::CurveSet set;
        set.FileName = path;
        benchmark::DoNotOptimize(zov::ReadCurveSet(set));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ReadCurveSetLargeFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
