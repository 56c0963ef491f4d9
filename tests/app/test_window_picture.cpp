// The picture on screen: pixels of the grabbed window at positions computed
// from the plot's geometry, and (with ZOV_SCREENSHOT_DIR set) pictures of the
// window at three sizes in both modes for a person to look at.

#include "window_fixture.h"

#include "app/gui/scope_widget.h"
#include "measure/virtual_module.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QTest>

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

// A flat curve at `milliamps` from 10 V to 150 V, as TDF lines.
std::string flatCurve(double milliamps, const char* vg1)
{
    std::string text;
    for (int volts = 10; volts <= 150; volts += 10) {
        text += std::to_string(volts) + " " + std::to_string(milliamps / 1000.0) + " " + vg1 + " 0 0\r\n";
    }
    return text;
}

using PictureTest = WindowTest;

TEST_F(PictureTest, GridCurveAndBackgroundHaveTheirColoursWhereTheyBelong)
{
    window->resize(1000, 700);
    QTRY_COMPARE(window->size(), QSize(1000, 700));
    Workspace& ws = window->workspace();
    ws.CurveText = flatCurve(3.5, "-1");
    ws.BackgroundText = flatCurve(5.5, "-2");
    window->RefreshScope();

    const QImage shot = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QWidget* scope = window->scope();
    const QPoint origin = scope->mapTo(window.get(), QPoint(0, 0));
    const int w = scope->width();
    const int h = scope->height();
    auto pixel = [&](double xUnits, double yUnits) {
        return QColor(shot.pixel(origin + QPoint(toPixel(xUnits, w), toPixel(yUnits, h))));
    };

    const QColor grid(0, 128, 0);
    const QColor curve(0, 0, 128);
    const QColor background(180, 200, 180);
    const QColor paper(255, 255, 255);
    // 20 V/div, 1 mA/div: 50 V is X 20480; 3.5 mA is Y 36864, 5.5 mA is Y 20480.
    const struct {
        const char* what;
        double x;
        double y;
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
        const QColor seen = pixel(probe.x, probe.y);
        EXPECT_EQ(seen.rgb(), probe.colour.rgb())
            << probe.what << ": seen " << seen.name().toStdString() << ", expected "
            << probe.colour.name().toStdString();
    }

    // The axis labels sit beside the plot at the grid lines.
    const QWidget* label4 = control<QWidget>("LbGrid4");
    const QWidget* label13 = control<QWidget>("LbGrid13");
    const QPoint scopeInClient = scope->pos();
    EXPECT_NEAR(label4->geometry().center().x(), scopeInClient.x() + w * 4 / 8, 2);
    EXPECT_GT(label4->y(), scopeInClient.y() + h);
    EXPECT_NEAR(label13->geometry().center().y(), scopeInClient.y() + h - h * 4 / 8, 2);
    EXPECT_LT(label13->geometry().right(), scopeInClient.x());
}

TEST_F(PictureTest, WritesScreenshotsForALookWhenAsked)
{
    const QByteArray target = qgetenv("ZOV_SCREENSHOT_DIR");
    if (target.isEmpty())
        GTEST_SKIP() << "set ZOV_SCREENSHOT_DIR to write the window's pictures";
    QDir().mkpath(QString::fromLocal8Bit(target));

    VirtualModuleOptions options;
    options.pacing = false;
    options.tube = QStringLiteral("12AU7");
    VirtualModule module(options);
    ASSERT_TRUE(module.start());
    window->setVirtualModulePath(module.devicePath());
    window->setCaptureWaitMs(100);
    setText("TxVg1Start", "0");
    setText("TxVg1Stop", "12");
    setText("TxPitchg1", "2");
    setText("TxVg2", "0");
    control<QPushButton>("BtSet")->click();
    QTRY_VERIFY_WITH_TIMEOUT(window->workspace().CaptureIdle && enabled("BtSet"), 20000);
    setText("CbVdiv", "50");
    setText("CbMaDiv", "2");

    const QSize sizes[] = {window->minimumSize(), QSize(1280, 800), QSize(1600, 1000)};
    const char* modes[] = {"Mnu_Capture", "Mnu_Cook"};
    for (const char* mode : modes) {
        control<QAction>(mode)->trigger();
        for (const QSize& size : sizes) {
            window->resize(size);
            QTRY_COMPARE(window->size(), size);
            window->RefreshScope();
            const QString file = QDir(QString::fromLocal8Bit(target))
                                     .filePath(QStringLiteral("zov-%1-%2x%3.png")
                                                   .arg(QString::fromLatin1(mode + 4))
                                                   .arg(size.width())
                                                   .arg(size.height()));
            EXPECT_TRUE(window->grab().save(file)) << file.toStdString();
        }
    }
}

}  // namespace
}  // namespace zov::gui::testing
