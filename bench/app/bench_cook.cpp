// Cook mode's mouse handlers in the real window, with the plot 1600 x 1000
// pixels, a 31-curve family of 64 points in slot 0 and all five import lines
// ticked:
//   BM_CookLeftClick   a left click on the plot, from the mouse event to the
//                      finished picture: the central refresh, the design at
//                      the clicked point and its XOR figures. Target < 2 ms.
//   BM_CookMouseMove   one move of the pointer: the floating read-out, the
//                      green edge tags and LbPout. Target < 50 us.
#include "app/gui/base.h"
#include "app/gui/scope_widget.h"
#include "core/text.h"
#include "qt_bench_main.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

using namespace zov;

// Koren's 300B model (amperes): curved, like a measured family.
double korenIaA(double ua, double vg)
{
    const double mu = 3.95, ex = 1.4, kg1 = 1550.0, kp = 65.0, kvb = 300.0;
    if (ua <= 0.0)
        return 0.0;
    const double e1 = ua / kp * std::log1p(std::exp(kp * (1.0 / mu + vg / std::sqrt(kvb + ua * ua))));
    return e1 > 0.0 ? 2.0 * std::pow(e1, ex) / kg1 : 0.0;
}

std::string familyTdf(double scale)
{
    std::string text;
    for (int k = 0; k < 31; ++k) {
        const double vg = -4.0 * k;
        for (int p = 1; p <= 64; ++p) {
            const double ua = 450.0 * p / 64.0;
            text += formatGeneral(ua) + " " + formatGeneral(scale * korenIaA(ua, vg)) + " " + formatGeneral(vg) +
                    " 0 0\r\n";
        }
    }
    return text;
}

// The window in Cook mode, SE, with the five slots imported and all their
// curves selected, the plot 1600 x 1000.
struct CookWindow {
    QTemporaryDir dir;
    std::unique_ptr<gui::Base> window;
    gui::ScopeWidget* scope = nullptr;

    CookWindow()
    {
        window = std::make_unique<gui::Base>();
        window->Form_Load();
        window->findChild<QAction*>(QStringLiteral("Mnu_Cook"))->trigger();
        window->findChild<QRadioButton*>(QStringLiteral("OptMatch"))->click();
        for (int slot = 0; slot < kSlotCount; ++slot) {
            const QString path = dir.filePath(QStringLiteral("family%1.tdf").arg(slot));
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write(QByteArray::fromStdString(familyTdf(1.0 + 0.05 * slot)));
            f.close();
            window->setFileChooser([path](const QString&, const QString&, const QString&, const QString&) { return path; });
            window->findChild<QPushButton*>(QStringLiteral("BtCkBrowse%1").arg(slot))->click();
            window->findChild<QListWidget*>(QStringLiteral("ListVg1"))->selectAll();
            window->findChild<QPushButton*>(QStringLiteral("BtApplySelect"))->click();
        }
        window->findChild<QComboBox*>(QStringLiteral("CbVdiv"))->setEditText(QStringLiteral("50"));
        window->findChild<QComboBox*>(QStringLiteral("CbMaDiv"))->setEditText(QStringLiteral("20"));
        window->findChild<QRadioButton*>(QStringLiteral("OptSE"))->click();
        scope = window->scope();
        // Plot 1600 x 1000: the window adds the side column and the margins.
        const QSize margin = window->size() - scope->size();
        window->resize(QSize(1600, 1000) + margin);
        QApplication::processEvents();
    }

    void send(QEvent::Type type, Qt::MouseButton button, QPoint at)
    {
        QMouseEvent event(type, QPointF(at), scope->mapToGlobal(QPointF(at)), button,
                          type == QEvent::MouseMove ? Qt::NoButton : button, Qt::NoModifier);
        QApplication::sendEvent(scope, &event);
    }
};

void BM_CookLeftClick(benchmark::State& state)
{
    CookWindow w;
    // Two operating points in turn at 50 V/div and 20 mA/div: 300 V / 50 mA
    // and 330 V / 45 mA.
    const QPoint a(w.scope->width() * 300 / 400, w.scope->height() * (160 - 50) / 160);
    const QPoint b(w.scope->width() * 330 / 400, w.scope->height() * (160 - 45) / 160);
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        w.send(QEvent::MouseButtonPress, Qt::LeftButton, flip ? a : b);
        benchmark::DoNotOptimize(w.scope->image().constBits());
    }
    state.counters["plotWidth"] = w.scope->width();
    state.counters["plotHeight"] = w.scope->height();
}
BENCHMARK(BM_CookLeftClick)->Unit(benchmark::kMillisecond);

void BM_CookMouseMove(benchmark::State& state)
{
    CookWindow w;
    w.send(QEvent::MouseButtonPress, Qt::LeftButton, QPoint(w.scope->width() * 2 / 3, w.scope->height() / 2));
    int x = 100;
    for (auto _ : state) {
        x = x < 1500 ? x + 1 : 100;
        w.send(QEvent::MouseMove, Qt::NoButton, QPoint(x, 500));
    }
}
BENCHMARK(BM_CookMouseMove)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    return zov::bench::runQtBenchmarks<QApplication>(argc, argv);
}
