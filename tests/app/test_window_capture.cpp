// "GO" on screen: a sweep on the in-process virtual module (pacing off, short
// waits), the grid-voltage labels, the buttons, the failure messages, the
// progress indication, stopping, and the close guard.

#include "window_fixture.h"

#include "measure/measure_messages.h"
#include "measure/virtual_module.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace zov::gui::testing {
namespace {

// Long enough for the in-process module to answer on a busy machine; the
// real module's 1000 ms would make every step two seconds long.
constexpr int kTestWaitMs = 100;

int lineCount(const std::string& text)
{
    int lines = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
        ++lines;
    return lines;
}

class CaptureTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        startModule({});
        window->setCaptureWaitMs(kTestWaitMs);
    }

    void startModule(const QString& fault)
    {
        VirtualModuleOptions options;
        options.pacing = false;
        options.fault = fault;
        module = std::make_unique<VirtualModule>(options);
        QString error;
        ASSERT_TRUE(module->start(&error)) << error.toStdString();
        window->setVirtualModulePath(module->devicePath());
    }

    void setSweep(const char* start, const char* stop, const char* pitch, const char* vg2 = "0")
    {
        setText("TxVg1Start", start);
        setText("TxVg1Stop", stop);
        setText("TxPitchg1", pitch);
        setText("TxVg2", vg2);
    }

    void waitForIdle()
    {
        QTRY_VERIFY_WITH_TIMEOUT(window->workspace().CaptureIdle && enabled("BtSet"), 20000);
    }

    std::unique_ptr<VirtualModule> module;
};

TEST_F(CaptureTest, GoMeasuresTheFamilyCurveByCurveAndEnablesTheButtons)
{
    EXPECT_EQ(control<QComboBox>("CbComport")->currentText(), module->devicePath())
        << "the virtual module is offered and selected";
    setSweep("0", "2", "1", "250");
    int curvesDrawn = 0;
    QObject::connect(window.get(), &Base::scopeRefreshed, window.get(), [&] { ++curvesDrawn; });

    control<QPushButton>("BtSet")->click();
    EXPECT_FALSE(enabled("BtSet")) << "GO is disabled while the sweep runs";
    EXPECT_FALSE(window->workspace().CaptureIdle);
    EXPECT_TRUE(enabled("BtStop"));
    waitForIdle();

    const Workspace& ws = window->workspace();
    EXPECT_EQ(lineCount(ws.CurveText), 3 * 64);
    EXPECT_NE(ws.CurveText.find(" -2 0 250\r\n"), std::string::npos);
    EXPECT_NE(ws.CurveText.find(" 0 0 250\r\n"), std::string::npos) << "the 0 V step";
    EXPECT_GE(curvesDrawn, 3) << "the plot is redrawn after every curve";
    for (const char* name : {"BtExport", "BtAppend", "BtBckgnd", "BtDirectPrint", "BtSet"})
        EXPECT_TRUE(enabled(name)) << name;
    EXPECT_FALSE(enabled("BtStop"));
    EXPECT_EQ(text("LbVg1"), "Vg1=-2.") << "\"0.##\" keeps the separator";
    EXPECT_EQ(text("LbVg2"), "Vg2=250");
    auto* progress = control<QProgressBar>("CaptureProgress");
    EXPECT_EQ(progress->maximum(), 3);
    EXPECT_EQ(progress->value(), 3);
    EXPECT_EQ(progress->format(), "Step 3 of 3");
    EXPECT_TRUE(messages->empty()) << describe(*messages);
}

TEST_F(CaptureTest, GridLabelsShowTheStepVoltages)
{
    const struct {
        float vg1;
        float vg2;
        const char* lbVg1;
        const char* lbVg2;
    } cases[] = {
        {-2.5F, 250.0F, "Vg1=-2.5", "Vg2=250"},
        {0.0F, 0.0F, "Vg1=0.", "Vg2=0"},
        {-10.0F, 0.0125F, "Vg1=-10.", "Vg2=0.0125"},
        {-30.5F, 1.5e-5F, "Vg1=-30.5", "Vg2=1.5E-05"},
    };
    for (const auto& c : cases) {
        window->ShowGridLabels(c.vg1, c.vg2);
        EXPECT_EQ(text("LbVg1"), c.lbVg1);
        EXPECT_EQ(text("LbVg2"), c.lbVg2);
    }
}

TEST_F(CaptureTest, InvalidSettingsAreRefusedWithAMessage)
{
    const struct {
        const char* start;
        const char* stop;
        const char* pitch;
    } refused[] = {{"0", "10", "0.25"}, {"0", "10", "0.75"}, {"0", "10", "32"}, {"12", "10", "1"},
                   {"0", "32", "1"}};
    for (const auto& c : refused) {
        window->workspace().CurveText = "previous capture\r\n";
        messages->clear();
        setSweep(c.start, c.stop, c.pitch);
        control<QPushButton>("BtSet")->click();
        ASSERT_EQ(messages->size(), 1u) << c.start << " " << c.stop << " " << c.pitch;
        EXPECT_EQ(messages->front().text, messages::kGridOutOfRange);
        EXPECT_TRUE(enabled("BtSet"));
        EXPECT_TRUE(window->workspace().CaptureIdle);
        EXPECT_TRUE(window->workspace().CurveText.empty()) << "GO discards the previous capture first";
    }
    EXPECT_EQ(module->exchangesServed(), 0);
}

TEST_F(CaptureTest, NoPortChosenFallsBackToTheFirstEntry)
{
    auto* ports = control<QComboBox>("CbComport");
    ports->setCurrentIndex(-1);
    setSweep("1", "1", "0");
    control<QPushButton>("BtSet")->click();
    EXPECT_EQ(ports->currentIndex(), 0);
    EXPECT_EQ(ports->currentText(), "COM1");
    waitForIdle();
}

TEST_F(CaptureTest, FailedExchangeShowsBothMessagesAndKeepsEarlierCurves)
{
    startModule(QStringLiteral("silent"));
    setSweep("0", "1", "1");
    control<QPushButton>("BtSet")->click();
    waitForIdle();
    ASSERT_EQ(messages->size(), 2u);
    EXPECT_EQ((*messages)[0].text, messages::kDialogFailed);
    EXPECT_EQ((*messages)[1].text, messages::kCantConnect);
    EXPECT_TRUE(window->workspace().CurveText.empty());
    for (const char* name : {"BtExport", "BtAppend", "BtBckgnd", "BtDirectPrint"})
        EXPECT_FALSE(enabled(name)) << name << " untouched by a failed sweep";
    EXPECT_TRUE(enabled("BtSet"));
}

TEST_F(CaptureTest, StopEndsTheSweepAfterTheCurrentStepKeepingTheCurves)
{
    setSweep("0", "10", "1");  // 11 curves
    control<QPushButton>("BtSet")->click();
    QTRY_VERIFY_WITH_TIMEOUT(lineCount(window->workspace().CurveText) >= 64, 10000);
    control<QPushButton>("BtStop")->click();
    waitForIdle();
    const int lines = lineCount(window->workspace().CurveText);
    EXPECT_EQ(lines % 64, 0);
    EXPECT_GE(lines, 64);
    EXPECT_LT(lines, 11 * 64);
    EXPECT_TRUE(messages->empty()) << describe(*messages);
    EXPECT_TRUE(enabled("BtExport")) << "the curves measured so far can be saved";
    EXPECT_TRUE(enabled("BtSet"));
}

TEST_F(CaptureTest, CloseIsRefusedWhileASweepRuns)
{
    setSweep("0", "3", "1");
    control<QPushButton>("BtSet")->click();
    ASSERT_FALSE(window->workspace().CaptureIdle);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(messages->size(), 1u);
    EXPECT_EQ(messages->front().text, "Stop capture before closing");
    EXPECT_EQ(messages->front().icon, MessageIcon::Critical);
    waitForIdle();
    EXPECT_TRUE(window->close());
}

TEST_F(CaptureTest, ScalesCanChangeWhileTheSweepRuns)
{
    setSweep("0", "4", "1");
    control<QPushButton>("BtSet")->click();
    auto* vdiv = control<QComboBox>("CbVdiv");
    vdiv->setEditText("50");
    QTest::keyClick(vdiv->lineEdit(), Qt::Key_Return);
    EXPECT_FLOAT_EQ(window->workspace().VoltsPerDiv, 50.0F);
    waitForIdle();
    EXPECT_EQ(lineCount(window->workspace().CurveText), 5 * 64);
}

}  // namespace
}  // namespace zov::gui::testing
