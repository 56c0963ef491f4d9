// The window's parts on their own: the capture controller driven against a
// stub view (no frame, no window), the plot area's mouse in plot units, the
// "Select Series" frame.

#include "qt_wait.h"
#include "app/gui/capture_controller.h"
#include "app/gui/capture_view.h"
#include "app/gui/plot_area.h"
#include "app/gui/scope_widget.h"
#include "app/gui/select_series_frame.h"
#include "core/curve_store.h"
#include "measure/measure_messages.h"
#include "sim/virtual_module.h"

#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

namespace zov::gui::testing {
namespace {

// A capture view without widgets: settings as plain fields, and a log of
// what the controller showed.
struct StubCaptureView : CaptureView {
    SweepSettings settings;
    std::string vg2 = "0";
    QStringList ports;
    QString port;
    bool running = false, stopEnabled = false, saveEnabled = false, familyEnabled = false;
    int done = -1, stepCount = -1;
    QString progressText;
    QStringList progressLog;

    SweepSettings takeSweepSettings() override
    {
        settings.portName = port;
        return settings;
    }
    std::string vg2Text() const override { return vg2; }
    void setPorts(const QStringList& list, const QString& current) override
    {
        ports = list;
        port = current;
    }
    void setSweepRunning(bool value) override { running = value; }
    void setStopEnabled(bool value) override { stopEnabled = value; }
    void showProgress(int doneSteps, int steps, const QString& text) override
    {
        done = doneSteps;
        stepCount = steps;
        progressText = text;
        progressLog << text;
    }
    void setSaveEnabled(bool value) override { saveEnabled = value; }
    void setFamilyActionsEnabled(bool value) override { familyEnabled = value; }
};

class CaptureControllerTest : public ::testing::Test {
protected:
    void start(const QString& fault = {}, int healthyExchanges = 0)
    {
        VirtualModuleOptions options;
        options.pacing = false;
        options.fault = fault;
        options.healthyExchanges = healthyExchanges;
        module = std::make_unique<VirtualModule>(options);
        QString error;
        ASSERT_TRUE(module->start(&error)) << error.toStdString();
        controller.setVirtualModulePath(module->devicePath());
        controller.setWaitMs(100);
    }

    Workspace ws;
    StubCaptureView view;
    CaptureController controller{ws, view};
    QSignalSpy messages{&controller, &CaptureController::message};
    std::unique_ptr<VirtualModule> module;
};

TEST_F(CaptureControllerTest, TheProgressTellsHowASweepEnded)
{
    const struct {
        const char* fault;
        int healthy;
        bool stop;
        QString text;
        int done;
        QStringList messages;
    } cases[] = {
        {"silent", 0, false, "Failed at step 1 of 3", 0,
         {messages::kDialogFailed, messages::kCantConnect}},
        {"silent", 2, false, "Failed at step 3 of 3", 2,
         {messages::kDialogFailed, messages::kCantConnect}},
        {"", 0, true, "Step 1 of 3 (stopped)", 1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        messages.clear();
        ws.CurveText.clear();
        start(QString::fromLatin1(c.fault), c.healthy);
        view.settings.vg1StartText = "0";
        view.settings.vg1StopText = "2";
        view.settings.pitchText = "1";
        controller.BtSet_Click();
        EXPECT_TRUE(view.running);
        EXPECT_TRUE(view.stopEnabled);
        EXPECT_FALSE(controller.isIdle());
        if (c.stop)
            controller.BtStop_Click();
        ZOV_WAIT(controller.isIdle(), 20000);
        EXPECT_EQ(view.progressText, c.text);
        EXPECT_EQ(view.done, c.done);
        QStringList shown;
        for (const QList<QVariant>& m : messages)
            shown << m.at(0).toString();
        EXPECT_EQ(shown, c.messages);
        EXPECT_FALSE(view.running);
        EXPECT_EQ(view.saveEnabled, c.done > 0) << "measured curves can be saved, however the sweep ended";
    }
}

TEST(PlotArea, ReportsPressesAndMovesInPlotUnits)
{
    QWidget client;
    client.resize(600, 400);
    PlotArea plot(&client);
    plot.setScopeGeometry(QRect(50, 10, 513, 257));  // 512 x 256 pixel steps
    client.show();
    QSignalSpy presses(&plot, &PlotArea::pressed);
    QSignalSpy moves(&plot, &PlotArea::moved);
    const struct {
        QPoint pixel;
        float x, y;
    } cases[] = {{{0, 0}, 0.0F, 0.0F}, {{512, 256}, 65536.0F, 65536.0F}, {{256, 64}, 32768.0F, 16384.0F},
                 {{1, 1}, 128.0F, 256.0F}};
    for (const auto& c : cases) {
        QMouseEvent move(QEvent::MouseMove, QPointF(c.pixel), plot.scope()->mapToGlobal(QPointF(c.pixel)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(plot.scope(), &move);
        ASSERT_FALSE(moves.isEmpty());
        EXPECT_FLOAT_EQ(moves.last().at(0).toFloat(), c.x);
        EXPECT_FLOAT_EQ(moves.last().at(1).toFloat(), c.y);
        // Sent directly: QTest takes the pixel (0, 0) for "the widget's centre".
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(c.pixel), plot.scope()->mapToGlobal(QPointF(c.pixel)),
                          Qt::RightButton, Qt::RightButton, Qt::ControlModifier);
        QCoreApplication::sendEvent(plot.scope(), &press);
        ASSERT_FALSE(presses.isEmpty());
        const QList<QVariant> reported = presses.takeLast();
        EXPECT_EQ(reported.at(0).value<Qt::MouseButton>(), Qt::RightButton);
        EXPECT_EQ(reported.at(1).value<Qt::KeyboardModifiers>(), Qt::ControlModifier);
        EXPECT_FLOAT_EQ(reported.at(2).toFloat(), c.x) << c.pixel.x();
        EXPECT_FLOAT_EQ(reported.at(3).toFloat(), c.y) << c.pixel.y();
    }
}

CurveSet gridSet(std::vector<float> vg1, std::vector<float> vg2)
{
    CurveSet set;
    for (float v : vg1)
        set.Vg1Table.push_back({v, 0});
    for (float v : vg2)
        set.Vg2Table.push_back({v, 0});
    return set;
}

TEST(SelectSeriesFrame, StoresOneListPerGridAndRefusesSeveralInBoth)
{
    QWidget parent;
    SelectSeriesFrame frame(&parent);
    parent.show();
    EXPECT_FALSE(frame.isVisible()) << "hidden until a slot is imported";
    QSignalSpy applied(&frame, &SelectSeriesFrame::applied);
    auto* list1 = frame.findChild<QListWidget*>("ListVg1");
    auto* list2 = frame.findChild<QListWidget*>("ListVg2");
    auto* apply = frame.findChild<QPushButton*>("BtApplySelect");
    auto* warning = frame.findChild<QLabel*>("Label9");
    for (QWidget* control : std::initializer_list<QWidget*>{list1, list2, apply, warning})
        ASSERT_NE(control, nullptr);

    // One grid-2 voltage: narrow frame, its only line chosen for the user.
    frame.OpenSeriesSelection(gridSet({-2.5F, -1.0F, 0.0F}, {250.0F}), 3);
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(frame.width(), 129);
    EXPECT_FALSE(list2->isVisible());
    list1->item(0)->setSelected(true);
    list1->item(1)->setSelected(true);
    apply->click();
    ASSERT_EQ(applied.count(), 1);
    EXPECT_EQ(applied.at(0).at(0).toInt(), 3);
    const auto selection = applied.at(0).at(1).value<SeriesSelection>();
    EXPECT_EQ(selection.Vg1List, "-2.5,-1,");
    EXPECT_EQ(selection.Vg2List, "250,");
    EXPECT_FALSE(frame.isVisible());

    // Two grid-2 voltages: wide frame; several lines in both lists swap the
    // button for the warning until one list is back to one line.
    frame.OpenSeriesSelection(gridSet({-1.0F, -2.0F}, {100.0F, 250.0F}), 0);
    EXPECT_EQ(frame.width(), 177);
    EXPECT_TRUE(list2->isVisible());
    EXPECT_EQ(list2->selectedItems().size(), 0);
    const struct {
        QListWidget* list;
        int row;
        bool selected, warned;
    } steps[] = {{list1, 0, true, false}, {list1, 1, true, false}, {list2, 0, true, false},
                 {list2, 1, true, true}, {list1, 0, false, false}};
    for (const auto& s : steps) {
        s.list->item(s.row)->setSelected(s.selected);
        EXPECT_EQ(warning->isVisible(), s.warned) << s.row;
        EXPECT_EQ(apply->isVisible(), !s.warned) << s.row;
    }
    apply->click();
    const auto both = applied.last().at(1).value<SeriesSelection>();
    EXPECT_EQ(both.Vg1List, "-2,");
    EXPECT_EQ(both.Vg2List, "100,250,");
}

}  // namespace
}  // namespace zov::gui::testing
