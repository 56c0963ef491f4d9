// One full scene composition on a 1600 x 1000 plot image, compared with the
// cost of clearing the image and blitting it (what every refresh pays anyway).
//   BM_ClearAndBlit   clear the plot image and copy it to a window-sized image
//   BM_CaptureScene   Capture mode: 31 x 64 current family + same-size background
//   BM_CookScene      Cook mode "Match": five 31 x 64 families from the slots
// Target: each scene under 5 ms median and at most 4 times BM_ClearAndBlit.
#include "plot/collecting_label_sink.h"
#include "render/painter_surface.h"
#include "render/scene.h"
#include "core/text.h"
#include "qt_bench_main.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

namespace {

using namespace zov;

constexpr int kWidth = 1600;
constexpr int kHeight = 1000;
constexpr int kCurves = 31;
constexpr int kPoints = 64;

// A triode-like family: Ia = k (Ua / mu + Vg)^1.5, 31 grid steps of 0.5 V.
double anodeCurrentA(double ua, double vg, double scale)
{
    const double drive = ua / 20.0 + vg;
    return drive > 0.0 ? scale * 0.0004 * std::pow(drive, 1.5) : 0.0;
}

std::string familyText(double scale)
{
    std::string text;
    for (int c = 0; c < kCurves; ++c) {
        const double vg = -0.5 * c;
        const std::string vgText = formatGeneral(vg);
        for (int p = 0; p < kPoints; ++p) {
            const double ua = 5.0 * (p + 1);
            text += formatGeneral(ua) + " " + formatGeneral(anodeCurrentA(ua, vg, scale)) + " " + vgText
                    + " 0 0\r\n";
        }
    }
    return text;
}

CurveSet familySet(int slot)
{
    CurveSet set;
    set.FileName = QStringLiteral("/bench/slot%1.tdf").arg(slot);
    for (int c = 0; c < kCurves; ++c) {
        Series s;
        s.Vg1 = -0.5F * static_cast<float>(c);
        for (int p = 0; p < kPoints; ++p) {
            const float ua = 5.0F * static_cast<float>(p + 1);
            const auto ia = static_cast<float>(anodeCurrentA(ua, s.Vg1, 1.0 + 0.05 * slot));
            s.Points.push_back(PointColumn{ua, ia, s.Vg1, 0.0F, 0.0F, 0.0F, 0.0F});
        }
        set.Series.push_back(std::move(s));
    }
    set.Vg1Spacing = 0.5F;
    set.Loaded = true;
    return set;
}

// The widget's paint event: the persistent plot image copied to the screen.
void blit(QImage& screen, const QImage& plot)
{
    QPainter painter(&screen);
    painter.drawImage(0, 0, plot);
}

void BM_ClearAndBlit(benchmark::State& state)
{
    QImage plot(kWidth, kHeight, QImage::Format_RGB32);
    QImage screen(kWidth, kHeight, QImage::Format_RGB32);
    PainterSurface surface(&plot);
    for (auto _ : state) {
        surface.clear();
        surface.flush();
        blit(screen, plot);
        benchmark::DoNotOptimize(screen.constBits());
    }
}
BENCHMARK(BM_ClearAndBlit)->Unit(benchmark::kMillisecond);

void BM_CaptureScene(benchmark::State& state)
{
    QImage plot(kWidth, kHeight, QImage::Format_RGB32);
    QImage screen(kWidth, kHeight, QImage::Format_RGB32);
    PainterSurface surface(&plot);
    surface.setPixelFastPath(state.range(0) != 0);
    Workspace ws;
    ws.CurveText = familyText(1.0);
    ws.BackgroundText = familyText(0.8);
    SceneInputs inputs = sceneInputs(ws);
    inputs.voltsPerDivText = "50";
    inputs.maPerDivText = "5";
    for (auto _ : state) {
        benchmark::DoNotOptimize(composeScene(surface, inputs));
        blit(screen, plot);
        benchmark::DoNotOptimize(screen.constBits());
    }
}
BENCHMARK(BM_CaptureScene)->ArgName("fastPath")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CookScene(benchmark::State& state)
{
    QImage plot(kWidth, kHeight, QImage::Format_RGB32);
    QImage screen(kWidth, kHeight, QImage::Format_RGB32);
    PainterSurface surface(&plot);
    surface.setPixelFastPath(state.range(0) != 0);
    Workspace ws;
    ws.ModeName = WorkMode::Cook;
    std::string allGrids;
    for (int c = 0; c < kCurves; ++c)
        allGrids += formatGeneral(-0.5 * c) + ",";
    SceneInputs inputs = sceneInputs(ws);
    inputs.voltsPerDivText = "50";
    inputs.maPerDivText = "5";
    inputs.comparison.option = CookOption::Match;
    for (int i = 0; i < kSlotCount; ++i) {
        ws.CurveSets[static_cast<std::size_t>(i)] = familySet(i);
        ws.SeriesSelections[static_cast<std::size_t>(i)] = SeriesSelection{allGrids, "0,"};
        inputs.comparison.imports[static_cast<std::size_t>(i)] =
            ImportLine{true, ws.CurveSets[static_cast<std::size_t>(i)].FileName};
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(composeScene(surface, inputs));
        blit(screen, plot);
        benchmark::DoNotOptimize(screen.constBits());
    }
}
BENCHMARK(BM_CookScene)->ArgName("fastPath")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return zov::bench::runQtBenchmarks<QGuiApplication>(argc, argv);
}
