// The picture on screen: pixels of the grabbed window at positions computed
// from the plot's geometry.

#include "window_fixture.h"

#include "app/gui/scope_widget.h"

#include <QImage>

#include <cmath>
#include <string>

namespace zov::gui::testing {
namespace {

// Plot units (0..65536) to the pixel of a plot `extent` pixels wide or high:
// 0 is the first pixel and 65536 the last one.
int toPixel(double units, int extent)
{
    return static_cast<int>(std::lround(units * (extent - 1) / 65536.0));
}

// A flat curve from 10 V to 150 V as TDF lines; the current is given as text
// so that no locale touches the decimal separator.
std::string flatCurve(const char* amps, const char* vg1)
{
    std::string text;
    for (int volts = 10; volts <= 150; volts += 10)
        text += std::to_string(volts) + " " + amps + " " + vg1 + " 0 0\r\n";
    return text;
}

using PictureTest = WindowTest;

TEST_F(PictureTest, GridCurveAndBackgroundHaveTheirColoursWhereTheyBelong)
{
    window->resize(1000, 700);
    ZOV_WAIT(window->size() == QSize(1000, 700), 5000);
    Workspace& ws = window->workspace();
    ws.CurveText = flatCurve("0.0035", "-1");
    ws.BackgroundText = flatCurve("0.0055", "-2");
    window->RefreshScope();

    const QImage shot = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QWidget* scope = window->scope();
    const QPoint origin = scope->mapTo(window.get(), QPoint(0, 0));
    const int w = scope->width(), h = scope->height();

    const QColor grid(0, 128, 0), curve(0, 0, 128), background(180, 200, 180), paper(255, 255, 255);
    // 20 V/div, 1 mA/div: 50 V is X 20480; 3.5 mA is Y 36864, 5.5 mA is Y 20480.
    const struct {
        const char* what;
        double x, y;
        QColor colour;
    } probes[] = {
        {"vertical grid line 3", 3 * 8192.0, 1000.0, grid},
        {"vertical grid line 7", 7 * 8192.0, 60000.0, grid},
        {"horizontal grid line 2", 61000.0, 2 * 8192.0, grid},
        {"horizontal grid line 6", 5000.0, 6 * 8192.0, grid},
        {"current family at 50 V", 20480.0, 36864.0, curve},
        {"current family at 130 V", 53248.0, 36864.0, curve},
        {"background family at 50 V", 20480.0, 20480.0, background},
        {"empty plot", 30000.0, 50000.0, paper},
    };
    for (const auto& probe : probes) {
        const QPoint at = origin + QPoint(toPixel(probe.x, w), toPixel(probe.y, h));
        EXPECT_EQ(QColor(shot.pixel(at)).name(), probe.colour.name()) << probe.what;
    }

    // The axis labels sit beside the plot at the grid lines.
    const QWidget* label4 = control("LbGrid4");
    const QWidget* label13 = control("LbGrid13");
    const QPoint scopeInClient = scope->pos();
    EXPECT_NEAR(label4->geometry().center().x(), scopeInClient.x() + w * 4 / 8, 2);
    EXPECT_GT(label4->y(), scopeInClient.y() + h);
    EXPECT_NEAR(label13->geometry().center().y(), scopeInClient.y() + h - h * 4 / 8, 2);
    EXPECT_LT(label13->geometry().right(), scopeInClient.x());
}

}  // namespace
}  // namespace zov::gui::testing
