// The design controller on its own: driven against stub views (no frame, no
// window, a recording surface for the plot), it places the operating point,
// recomputes at the pivot and steps the inputs.

#include "app/gui/cook_view.h"
#include "app/gui/design_controller.h"
#include "app/gui/plot_view.h"
#include "core/curve_store.h"
#include "core/text.h"
#include "design/design_inputs.h"
#include "design/stage_texts.h"
#include "files/tdf_file.h"
#include "plot/collecting_label_sink.h"
#include "plot/scales.h"
#include "render/recording_surface.h"
#include "straight_family.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace zov::gui::testing {
namespace {

struct StubCookView : CookView {
    CookOption chosen = CookOption::SE;
    std::string load = "20";
    QString vin = QStringLiteral(" 2");
    QString loadCaption;
    int focusCount = 0;
    DesignReadouts readouts;
    std::optional<std::string> cursorPower;

    CookOption option() const override { return chosen; }
    std::string loadText() const override { return load; }
    void setLoadText(const std::string& text) override { load = text; }
    std::string vinText() const override { return vin.toStdString(); }
    void setVinText(const QString& text) override { vin = text; }
    void setLoadCaption(const QString& caption) override { loadCaption = caption; }
    void focusLoad() override { ++focusCount; }
    void showDesignReadouts(const DesignReadouts& r) override { readouts = r; }
    void showCursorPower(const std::optional<std::string>& text) override { cursorPower = text; }
};

struct StubPlotView : PlotView {
    RecordingSurface surface;
    CollectingLabelSink labels;
    int shown = 0;
    bool frameVisible = false;
    CursorReadout lastReadout;

    Surface& plotSurface() override { return surface; }
    void showPicture() override { ++shown; }
    AxisLabelSink& labelSink() override { return labels; }
    void followCursor(const CursorReadout& readout, float, float) override { lastReadout = readout; }
    void toggleCursorFrame() override { frameVisible = !frameVisible; }
    void hideCursorFrame() override { frameVisible = false; }
    void hideOperatingTags() override {}
};

class DesignControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ws.ModeName = WorkMode::Cook;
        updateScales(ws, "100", "5");
        ASSERT_TRUE(readCurveSetFromMemory(ws.CurveSets[0], zov::testing::straightFamilyTdf()));
        ws.SeriesSelections[0] = defaultSelection(ws.CurveSets[0]);
        // The window's refresh: the controller's part of it, then a clear.
        QObject::connect(&controller, &DesignController::refreshRequested, [this] {
            controller.beginRefresh();
            ws.MarkerY = 65536.0F;
            plot.surface.reset();
            controller.drawOverlay(plot.surface);
        });
    }

    Workspace ws;
    StubCookView cook;
    StubPlotView plot;
    DesignController controller{ws, cook, plot};
};

TEST_F(DesignControllerTest, LeftClickPlacesThePointAndShowsTheEngineTexts)
{
    QSignalSpy refreshes(&controller, &DesignController::refreshRequested);
    const float x = UaToX(ws, 250.0F), y = IaToY(ws, 15.0F);
    controller.Scope_MouseDown(Qt::LeftButton, Qt::NoModifier, x, y);
    EXPECT_EQ(refreshes.count(), 1);
    EXPECT_TRUE(ws.OpCurve.Drawn);
    EXPECT_EQ(cook.focusCount, 1);
    EXPECT_EQ(cook.readouts.gm, "1.0");
    EXPECT_EQ(cook.readouts.rp, "20.0K");
    EXPECT_EQ(cook.readouts.mu, "20.0");
    const StageTexts texts = stageTexts(controller.lastDesign(), Topology::SingleEnded);
    EXPECT_EQ(cook.readouts.vout, texts.vout);
    EXPECT_EQ(cook.readouts.h2, texts.h2);
    const auto tags = plot.labels.latest(AxisLabelPair::Operating, 0);
    ASSERT_TRUE(tags.has_value());
    EXPECT_EQ(tags->captionU, "250.0");
    EXPECT_EQ(tags->colour, rgb(255, 0, 0));

    // Match and Diff place nothing and move no focus; the right button only
    // toggles the frame.
    for (CookOption option : {CookOption::Match, CookOption::Diff}) {
        cook.chosen = option;
        controller.Opt_Click(option);
        EXPECT_FALSE(ws.OpCurve.Drawn);
        controller.Scope_MouseDown(Qt::LeftButton, Qt::NoModifier, x, y);
        EXPECT_FALSE(ws.OpCurve.Drawn);
    }
    EXPECT_EQ(refreshes.count(), 1);
    EXPECT_EQ(cook.focusCount, 1);
    controller.Scope_MouseDown(Qt::RightButton, Qt::NoModifier, x, y);
    EXPECT_TRUE(plot.frameVisible);
}

TEST_F(DesignControllerTest, TheRefreshPlacesAValidPointAgainWithTheNewSwing)
{
    controller.Scope_MouseDown(Qt::LeftButton, Qt::NoModifier, UaToX(ws, 250.0F), IaToY(ws, 15.0F));
    const float ua0 = ws.OperatingUa;
    cook.vin = QStringLiteral(" 4");  // what a refresh writes for a 2 V family step
    emit controller.refreshRequested();
    EXPECT_TRUE(ws.OpCurve.Drawn);
    EXPECT_FLOAT_EQ(ws.OperatingUa, ua0);
    EXPECT_FLOAT_EQ(controller.lastDesign().analysis.up.vg1 - ws.OpCurve.Vg1, 2.0F);
    EXPECT_FALSE(plot.surface.lines().empty());
}

TEST_F(DesignControllerTest, ArrowKeysAndCommitsRecomputeAtThePivot)
{
    controller.Scope_MouseDown(Qt::LeftButton, Qt::NoModifier, UaToX(ws, 250.0F), IaToY(ws, 15.0F));
    const float pivotX = ws.PivotX;
    QSignalSpy refreshes(&controller, &DesignController::refreshRequested);
    controller.RLoad_KeyDown(Qt::Key_Up);
    EXPECT_EQ(cook.load, "22.0");
    EXPECT_FLOAT_EQ(ws.LoadKOhm, 22.0F);
    EXPECT_FLOAT_EQ(ws.PivotX, pivotX);
    controller.RLoad_KeyDown(Qt::Key_Right);  // a fifth of the 1 V step
    EXPECT_EQ(cook.vin, QStringLiteral("2.2"));
    EXPECT_FLOAT_EQ(controller.lastDesign().analysis.up.vg1 - ws.OpCurve.Vg1, 1.1F);
    EXPECT_EQ(cook.readouts.gm, "1.0");  // the parameters at the point stand
    cook.load = "0";
    controller.RLoad_Validate();
    EXPECT_EQ(cook.load, "0.01");
    EXPECT_FLOAT_EQ(ws.LoadKOhm, 0.01F);
    EXPECT_EQ(refreshes.count(), 0);  // no refresh: the figures are redrawn in XOR
}

TEST_F(DesignControllerTest, CursorReadoutAndThePowerLabel)
{
    controller.Scope_MouseMove(32768.0F, 32768.0F);
    EXPECT_EQ(plot.lastReadout.flyingUa, "Ua: 400.0");
    EXPECT_FALSE(cook.cursorPower.has_value());  // no operating point yet
    controller.Scope_MouseDown(Qt::LeftButton, Qt::NoModifier, UaToX(ws, 250.0F), IaToY(ws, 15.0F));
    controller.Scope_MouseMove(UaToX(ws, 150.0F), IaToY(ws, 25.0F));
    ASSERT_TRUE(cook.cursorPower.has_value());
    EXPECT_EQ(*cook.cursorPower, formatPattern(std::fabs(-100.0 * 0.707 * 10.0 / 1000.0), "##0.0"));
    EXPECT_FLOAT_EQ(ws.UpUa, XToUa(ws, UaToX(ws, 150.0F)));
}

// Half a volt below the 0 V curve with a 2 V swing: the up-swing curve would
// lie above the highest measured curve, so the beep sounds and no result is
// shown, while the point, its load line and its parameters stand.
TEST_F(DesignControllerTest, BeepBeyondTheLastCurve)
{
    QSignalSpy beeps(&controller, &DesignController::beeped);
    controller.Scope_MouseDown(Qt::LeftButton, Qt::NoModifier, UaToX(ws, 250.0F), IaToY(ws, 23.0F));
    EXPECT_EQ(beeps.count(), 1);
    EXPECT_TRUE(cook.readouts.pd0.has_value());
    EXPECT_EQ(cook.readouts.mu, "20.0");
    EXPECT_FALSE(cook.readouts.vout.has_value());
    EXPECT_FALSE(cook.readouts.h2.has_value());
    EXPECT_TRUE(controller.lastDesign().analysis.beep);
}

}  // namespace
}  // namespace zov::gui::testing
