// "GO" on screen: a sweep on the in-process virtual module, the grid-voltage
// labels, the buttons, the failure messages, the progress indication,
// stopping, and the close guard.

#include "window_fixture.h"

#include "app/gui/show_vg_frame.h"
#include "measure/measure_messages.h"

#include <QProgressBar>

#include <tuple>

namespace zov::gui::testing {
namespace {

using CaptureTest = WindowTest;

TEST_F(CaptureTest, GoMeasuresTheFamilyCurveByCurveAndEnablesTheButtons)
{
    EXPECT_EQ(text("CbComport"), module->devicePath()) << "the virtual module is offered and selected";
    setSweep("0", "2", "1", "250");
    const int refreshesBefore = window->refreshCount();

    control<QPushButton>("BtSet")->click();
    EXPECT_FALSE(enabled("BtSet")) << "GO is disabled while the sweep runs";
    EXPECT_FALSE(window->captureIdle());
    EXPECT_TRUE(enabled("BtStop"));
    ZOV_WAIT(idle(), 20000);

    const std::string& curves = window->workspace().CurveText;
    EXPECT_EQ(curveLines(), 3 * 64);
    EXPECT_NE(curves.find(" -2 0 250\r\n"), std::string::npos);
    EXPECT_NE(curves.find(" 0 0 250\r\n"), std::string::npos) << "the 0 V step";
    // "GO" refreshes once; each step draws its curves over the picture.
    EXPECT_EQ(window->refreshCount() - refreshesBefore, 1) << "a step does not rebuild the plot";
    for (const char* name : {"BtExport", "BtAppend", "BtBckgnd", "BtDirectPrint", "BtSet"})
        EXPECT_TRUE(enabled(name)) << name;
    EXPECT_FALSE(enabled("BtStop"));
    EXPECT_EQ(text("LbVg1"), "Vg1=-2.") << "\"0.##\" keeps the separator";
    EXPECT_EQ(text("LbVg2"), "Vg2=250");
    auto* progress = control<QProgressBar>("CaptureProgress");
    EXPECT_EQ(progress->maximum(), 3);
    EXPECT_EQ(progress->value(), 3);
    EXPECT_EQ(progress->format(), "Step 3 of 3");
    EXPECT_EQ(messageTexts(), QStringList());
}

TEST_F(CaptureTest, GridLabelsShowTheStepVoltages)
{
    const std::tuple<float, float, const char*, const char*> cases[] = {
        {-2.5F, 250.0F, "Vg1=-2.5", "Vg2=250"}, {0.0F, 0.0F, "Vg1=0.", "Vg2=0"},
        {-10.0F, 0.0125F, "Vg1=-10.", "Vg2=0.0125"}, {-30.5F, 1.5e-5F, "Vg1=-30.5", "Vg2=1.5E-05"}};
    auto* frame = control<ShowVgFrame>("FrmShowVg");
    ASSERT_NE(frame, nullptr);
    for (const auto& [vg1, vg2, lbVg1, lbVg2] : cases) {
        frame->ShowGridLabels(vg1, vg2);
        EXPECT_EQ(text("LbVg1"), lbVg1);
        EXPECT_EQ(text("LbVg2"), lbVg2);
    }
}

TEST_F(CaptureTest, InvalidSettingsAreRefusedWithAMessage)
{
    const char* refused[][3] = {{"0", "10", "0.25"}, {"0", "10", "0.75"}, {"0", "10", "32"},
                                {"12", "10", "1"}, {"0", "32", "1"}};
    for (const auto& [start, stop, pitch] : refused) {
        window->workspace().CurveText = "previous capture\r\n";
        messages.clear();
        setSweep(start, stop, pitch);
        control<QPushButton>("BtSet")->click();
        EXPECT_EQ(messageTexts(), QStringList{messages::kGridOutOfRange}) << start << " " << stop << " " << pitch;
        EXPECT_TRUE(idle());
        EXPECT_TRUE(window->workspace().CurveText.empty()) << "GO discards the previous capture first";
        EXPECT_FALSE(visible("CaptureProgress")) << "nothing started, nothing to show";
    }
    EXPECT_EQ(module->exchangesServed(), 0);
}

TEST_F(CaptureTest, NoPortChosenFallsBackToTheFirstEntry)
{
    auto* ports = control<QComboBox>("CbComport");
    ports->setCurrentIndex(-1);
    capture("1", "1", "0");
    EXPECT_EQ(ports->currentIndex(), 0);
    EXPECT_EQ(ports->currentText(), "COM1");
}

TEST_F(CaptureTest, FailedExchangeShowsBothMessagesAndLeavesTheButtons)
{
    startModule(QStringLiteral("silent"));
    capture("0", "1", "1");
    EXPECT_EQ(messageTexts(), (QStringList{messages::kDialogFailed, messages::kCantConnect}));
    EXPECT_TRUE(window->workspace().CurveText.empty());
    for (const char* name : {"BtExport", "BtAppend", "BtBckgnd", "BtDirectPrint"})
        EXPECT_FALSE(enabled(name)) << name << " untouched by a failed sweep";
    auto* progress = control<QProgressBar>("CaptureProgress");
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->format(), "Failed at step 1 of 2");
    EXPECT_EQ(progress->value(), 0);
}

TEST_F(CaptureTest, StopEndsTheSweepAfterTheCurrentStepKeepingTheCurves)
{
    setSweep("0", "10", "1");  // 11 curves
    control<QPushButton>("BtSet")->click();
    ZOV_WAIT(curveLines() >= 64, 10000);
    control<QPushButton>("BtStop")->click();
    ZOV_WAIT(idle(), 20000);
    const long lines = curveLines();
    EXPECT_EQ(lines % 64, 0) << "whole curves only";
    EXPECT_GE(lines, 64);
    EXPECT_LT(lines, 11 * 64);
    EXPECT_EQ(messageTexts(), QStringList());
    EXPECT_TRUE(enabled("BtExport")) << "the curves measured so far can be saved";
}

TEST_F(CaptureTest, CloseIsRefusedWhileASweepRunsAndScalesStillChange)
{
    setSweep("0", "4", "1");
    control<QPushButton>("BtSet")->click();
    ASSERT_FALSE(window->captureIdle());
    auto* vdiv = control<QComboBox>("CbVdiv");
    vdiv->setEditText("50");
    QTest::keyClick(vdiv->lineEdit(), Qt::Key_Return);
    EXPECT_FLOAT_EQ(window->workspace().VoltsPerDiv, 50.0F);

    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(messageTexts(), QStringList{"Stop capture before closing"});
    EXPECT_EQ(messages.front().icon, MessageIcon::Critical);
    ZOV_WAIT(idle(), 20000);
    EXPECT_EQ(curveLines(), 5 * 64) << "the sweep went on to the end";
    EXPECT_TRUE(window->close());
    EXPECT_EQ(messages.size(), 1u) << "closing when idle asks nothing";
}

}  // namespace
}  // namespace zov::gui::testing
