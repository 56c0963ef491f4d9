// The shell of the main window: start-up state, modes, selectors, keyboard,
// layout rules and minimum size.

#include "window_fixture.h"

#include "app/gui/scope_widget.h"
#include "zov_version.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>

namespace zov::gui::testing {
namespace {

using ShellTest = WindowTest;

TEST_F(ShellTest, StartUpShowsTheDesignedStateAndDrawsOnce)
{
    const QString version = QString::number(ZOV_VERSION_MAJOR) + "." + QString::number(ZOV_VERSION_MINOR) +
                            "." + QString::number(ZOV_VERSION_REVISION);
    EXPECT_EQ(window->windowTitle(), "Kestrava Zovograph V" + version);
    EXPECT_TRUE(window->isVisible());

    const struct {
        const char* name;
        const char* text;
    } initial[] = {
        {"CbVdiv", "20"},       {"CbMaDiv", "1"},        {"TxPwr", "2"},
        {"TxVg1Start", "0"},    {"TxVg1Stop", "0"},      {"TxPitchg1", "0"},
        {"TxVg2", "0"},         {"LbVg1", "Vg1= 0"},     {"LbVg2", "Vg2= 0"},
        {"BtSet", "GO"},        {"BtExport", "Save as ..."}, {"BtAppend", "Add to ..."},
        {"BtBckgnd", "Use as background"}, {"BtBgndFile", "Load a background ..."},
        {"BtDirectPrint", "Print ..."},    {"BtAutoScale", "A u t o"},
        {"RLoad", "10"},        {"LbLoad", "R or Z load"}, {"TxVin", "0"},
        {"CkImport0", "Import         ->"}, {"CkImport4", "Import         ->"},
        {"BtCkBrowse2", "..."}, {"Opt256", "256mA Max"}, {"Opt32", "32mA Max"},
        {"OptSE", "SE"},        {"OptPP", "PP"},         {"OptMatch", "Match"},
        {"OptDiff", "Diff (a-b)"},
    };
    for (const auto& expected : initial)
        EXPECT_EQ(text(expected.name), QString::fromLatin1(expected.text)) << expected.name;

    auto* vdiv = control<QComboBox>("CbVdiv");
    auto* madiv = control<QComboBox>("CbMaDiv");
    ASSERT_EQ(vdiv->count(), 5);
    ASSERT_EQ(madiv->count(), 9);
    EXPECT_EQ(vdiv->itemText(0), "5");
    EXPECT_EQ(madiv->itemText(0), "0.2");
    EXPECT_EQ(madiv->itemText(8), "100");
    EXPECT_EQ(control<QComboBox>("CbComport")->toolTip(), "Select a COM port");

    const Workspace& ws = window->workspace();
    EXPECT_TRUE(ws.StartupDone);
    EXPECT_TRUE(ws.CaptureIdle);
    EXPECT_EQ(ws.ModeName, "Capture");
    EXPECT_EQ(ws.MarkerY, 65536.0F);
    EXPECT_FLOAT_EQ(ws.VoltsPerDiv, 20.0F);
    EXPECT_FLOAT_EQ(ws.MaPerDiv, 1.0F);
    EXPECT_GE(window->refreshCount(), 1);

    // Nothing measured yet: the buttons that need a family wait for one.
    EXPECT_TRUE(enabled("BtSet"));
    EXPECT_TRUE(enabled("BtBgndFile"));
    for (const char* name : {"BtExport", "BtAppend", "BtBckgnd", "BtDirectPrint"})
        EXPECT_FALSE(enabled(name)) << name;
    EXPECT_TRUE(control<QWidget>("OptMatch")->property("checked").toBool());
}

TEST_F(ShellTest, ModeSwitchShowsAndHidesTheFramesAndKeepsTheData)
{
    window->workspace().CurveText = "10 0.001 -1 0 0\r\n";
    auto* cook = control<QAction>("Mnu_Cook");
    auto* capture = control<QAction>("Mnu_Capture");
    ASSERT_TRUE(cook && capture);

    const struct {
        QAction* action;
        const char* mode;
        bool cookLayout;
    } steps[] = {{cook, "Cook", true}, {capture, "Capture", false}, {cook, "Cook", true}};
    for (const auto& step : steps) {
        const int before = window->refreshCount();
        step.action->trigger();
        EXPECT_EQ(window->workspace().ModeName, step.mode);
        EXPECT_EQ(visible("BtAutoScale"), step.cookLayout) << step.mode;
        EXPECT_EQ(visible("FrmCook"), step.cookLayout) << step.mode;
        EXPECT_EQ(visible("FrmCapture"), !step.cookLayout) << step.mode;
        EXPECT_EQ(visible("FrmShowVg"), !step.cookLayout) << step.mode;
        EXPECT_TRUE(visible("Stuff"));
        EXPECT_EQ(window->refreshCount(), before + 1) << "each switch redraws once";
        EXPECT_EQ(window->workspace().CurveText, "10 0.001 -1 0 0\r\n");
    }
}

TEST_F(ShellTest, LeavingCookModeDropsTheDifferenceOffset)
{
    control<QAction>("Mnu_Cook")->trigger();
    window->workspace().DiffOffsetMa = 4.0F;  // as after a refresh in "Diff (a-b)"
    control<QAction>("Mnu_Capture")->trigger();
    EXPECT_EQ(window->workspace().DiffOffsetMa, 0.0F);
    EXPECT_EQ(text("LbGrid9"), "0.0") << "current labels start at zero again";
}

TEST_F(ShellTest, SelectorTextsSetTheScaleOrKeepThePreviousOne)
{
    auto* vdiv = control<QComboBox>("CbVdiv");
    auto* madiv = control<QComboBox>("CbMaDiv");
    const struct {
        QComboBox* box;
        const char* typed;
        float volts;
        float milliamps;
    } cases[] = {
        {vdiv, "7", 7.0F, 1.0F},        // not in the list, used anyway
        {vdiv, "abc", 7.0F, 1.0F},      // not a number: previous scale kept
        {vdiv, "0", 7.0F, 1.0F},        // zero: previous scale kept
        {vdiv, "50 V", 50.0F, 1.0F},    // leading number taken
        {madiv, "2.5", 50.0F, 2.5F},
        {madiv, "x2", 50.0F, 2.5F},
        {madiv, "-0", 50.0F, 2.5F},
    };
    for (const auto& c : cases) {
        c.box->setFocus();
        c.box->setEditText(QString::fromLatin1(c.typed));
        const int before = window->refreshCount();
        QTest::keyClick(c.box->lineEdit(), Qt::Key_Return);
        EXPECT_GT(window->refreshCount(), before) << "Enter redraws (" << c.typed << ")";
        EXPECT_FLOAT_EQ(window->workspace().VoltsPerDiv, c.volts) << c.typed;
        EXPECT_FLOAT_EQ(window->workspace().MaPerDiv, c.milliamps) << c.typed;
        EXPECT_EQ(c.box->currentText(), QString::fromLatin1(c.typed)) << "the typed text stays";
    }
    // The grid labels follow the scale in force.
    EXPECT_EQ(text("LbGrid1"), "50.0");
    EXPECT_EQ(text("LbGrid8"), "400.0");
    EXPECT_EQ(text("LbGrid10"), "2.5");
    EXPECT_EQ(text("LbGrid17"), "20.0");
}

TEST_F(ShellTest, ChoosingAListEntryRedrawsAndKeepsTheFocus)
{
    auto* vdiv = control<QComboBox>("CbVdiv");
    const int before = window->refreshCount();
    vdiv->setCurrentIndex(4);
    emit vdiv->activated(4);
    EXPECT_EQ(window->refreshCount(), before + 1);
    EXPECT_FLOAT_EQ(window->workspace().VoltsPerDiv, 100.0F);
}

TEST_F(ShellTest, LeavingASelectorOrThePowerBoxRedraws)
{
    window->activateWindow();
    auto* power = control<QLineEdit>("TxPwr");
    auto* start = control<QLineEdit>("TxVg1Start");
    power->setFocus();
    QTRY_VERIFY(power->hasFocus());
    power->setText("15");
    const int before = window->refreshCount();
    start->setFocus();
    QTRY_VERIFY(start->hasFocus());
    EXPECT_GT(window->refreshCount(), before);

    // Typing alone does not redraw.
    const int afterLeave = window->refreshCount();
    QTest::keyClicks(power, "3");
    EXPECT_EQ(window->refreshCount(), afterLeave);

    // A scale typed into a selector takes effect when the field is left.
    auto* madiv = control<QComboBox>("CbMaDiv");
    madiv->setFocus();
    QTRY_VERIFY(madiv->hasFocus());
    madiv->setEditText("5");
    EXPECT_FLOAT_EQ(window->workspace().MaPerDiv, 1.0F);
    start->setFocus();
    QTRY_VERIFY(start->hasFocus());
    EXPECT_FLOAT_EQ(window->workspace().MaPerDiv, 5.0F);
}

TEST_F(ShellTest, SpaceBarRedrawsWhenTheWindowHasTheFocus)
{
    window->activateWindow();
    window->scope()->setFocus();
    QTRY_VERIFY(window->scope()->hasFocus());
    int before = window->refreshCount();
    QTest::keyClick(window->scope(), Qt::Key_Space);
    EXPECT_EQ(window->refreshCount(), before + 1);

    before = window->refreshCount();
    QTest::keyClick(window->scope(), Qt::Key_A);
    EXPECT_EQ(window->refreshCount(), before) << "other keys are ignored";

    // A space typed into a text box belongs to the box.
    auto* vg2 = control<QLineEdit>("TxVg2");
    vg2->setFocus();
    QTRY_VERIFY(vg2->hasFocus());
    before = window->refreshCount();
    QTest::keyClick(vg2, Qt::Key_Space);
    EXPECT_EQ(window->refreshCount(), before);
}

TEST_F(ShellTest, ClickOnTheWindowBackgroundRedraws)
{
    QWidget* client = window->clientArea();
    const QPoint background(client->width() / 2, client->height() - 3);  // below the plot, between labels
    ASSERT_EQ(client->childAt(background), nullptr) << "the probe must hit the bare background";
    const int before = window->refreshCount();
    QTest::mouseClick(client, Qt::LeftButton, {}, background);
    EXPECT_EQ(window->refreshCount(), before + 1);
}

TEST_F(ShellTest, FocusSelectsTheWholeTextOfTheCaptureBoxes)
{
    window->activateWindow();
    for (const char* name : {"TxVg1Start", "TxVg1Stop", "TxPitchg1", "TxVg2"}) {
        auto* box = control<QLineEdit>(name);
        box->setText("12.5");
        box->deselect();
        control<QWidget>("TxPwr")->setFocus();
        box->setFocus();
        QTRY_COMPARE(box->selectedText(), QString("12.5"));
        EXPECT_EQ(box->selectionStart(), 0) << name;
    }
}

TEST_F(ShellTest, PlotFollowsTheResizeRulesDownToTheMinimumSize)
{
    const QSize minimum = window->minimumSize();
    EXPECT_EQ(minimum.width(), 657);
    EXPECT_EQ(minimum.height(), 527 + window->menuBar()->sizeHint().height());
    EXPECT_GE(window->workspace().MinWidthPx, 657);
    EXPECT_GE(window->workspace().MinHeightPx, 527);

    const QSize sizes[] = {QSize(1280, 800), QSize(1600, 1000), QSize(300, 200), minimum};
    auto* slideIa = control<QWidget>("SlideIa");
    for (const QSize& size : sizes) {
        window->resize(size);
        QTRY_COMPARE(window->size(), size.expandedTo(minimum));
        const QWidget* client = window->clientArea();
        const QWidget* scope = window->scope();
        EXPECT_EQ(scope->height(), client->height() - 30) << size.width();
        EXPECT_EQ(scope->width(), client->width() - 160 - slideIa->width()) << size.width();
        EXPECT_EQ(control<QWidget>("Stuff")->mapTo(client, QPoint(0, 0)).y(), scope->y())
            << "the Display frame is level with the plot";
        EXPECT_LE(scope->geometry().right(), client->width() - 1);
        // Every axis label inside the client area, the last voltage label included.
        for (int i = 0; i < 18; ++i) {
            const QWidget* label = control<QWidget>(QString("LbGrid%1").arg(i).toLatin1().constData());
            EXPECT_TRUE(client->rect().contains(label->geometry())) << "LbGrid" << i << " at " << size.width();
        }
    }
    EXPECT_EQ(window->clientArea()->size(), QSize(657, 527));
}

TEST_F(ShellTest, ClosingWhileIdleIsAllowed)
{
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(messages->empty()) << describe(*messages);
}

}  // namespace
}  // namespace zov::gui::testing
