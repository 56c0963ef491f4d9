// The application shell: the command line of `zov`, the message boxes, and
// the main window's start-up state, modes, selectors, keyboard, layout rules
// and minimum size.

#include "window_fixture.h"

#include "app/gui/command_line.h"
#include "app/gui/message_box_sink.h"
#include "app/gui/scope_widget.h"
#include "zov_version.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenuBar>
#include <QMessageBox>

#include <tuple>

namespace zov::gui::testing {
namespace {

TEST(GuiCommandLine, ReadsOptionsAndTheProjectPath)
{
    const struct {
        QStringList arguments;
        bool virtualModule;
        const char *tube, *project;
        bool help, version, error;
    } cases[] = {
        {{}, false, "", "", false, false, false},
        {{"--virtual-module"}, true, "", "", false, false, false},
        {{"--virtual-module=EL34"}, true, "EL34", "", false, false, false},
        {{"--virtual-module="}, true, "", "", false, false, true},
        {{"\"C:\\work\\amp.zov\""}, false, "", "C:\\work\\amp.zov", false, false, false},
        {{"/home/u/amp.zov", "--virtual-module"}, true, "", "/home/u/amp.zov", false, false, false},
        {{"\""}, false, "", "\"", false, false, false},
        {{"--help"}, false, "", "", true, false, false},
        {{"--version"}, false, "", "", false, true, false},
        {{"--frobnicate"}, false, "", "", false, false, true},
        {{"a.zov", "b.zov"}, false, "", "a.zov", false, false, true},
    };
    for (const auto& c : cases) {
        const GuiOptions options = parseGuiArguments(c.arguments);
        EXPECT_EQ(std::tuple(options.virtualModule, options.tube, options.projectPath, options.help,
                             options.version, !options.error.isEmpty()),
                  std::tuple(c.virtualModule, QString::fromLatin1(c.tube), QString::fromLatin1(c.project), c.help,
                             c.version, c.error))
            << c.arguments.join(' ').toStdString();
    }
    EXPECT_TRUE(guiUsage({"12AX7", "EL34"}).contains("--virtual-module[=TUBE]"));
}

QList<QMessageBox*> openBoxes(const QWidget& parent)
{
    QList<QMessageBox*> boxes = parent.findChildren<QMessageBox*>();
    boxes.removeIf([](const QMessageBox* box) { return !box->isVisible(); });
    return boxes;
}

TEST(MessageBoxSink, ShowsMessagesOneAfterTheOtherWithoutBlocking)
{
    QWidget parent;
    parent.show();
    MessageBoxSink sink(&parent);
    // Both calls return at once: no nested event loop holds the caller.
    sink.showMessage("first", MessageIcon::None);
    sink.showMessage("second", MessageIcon::Critical);
    const std::pair<const char*, QMessageBox::Icon> expected[] = {{"first", QMessageBox::NoIcon},
                                                                  {"second", QMessageBox::Critical}};
    for (const auto& [text, icon] : expected) {
        // clang before 16 cannot capture a structured binding in a lambda.
        const QString wanted = text;
        ZOV_WAIT(openBoxes(parent).size() == 1 && openBoxes(parent).front()->text() == wanted, 5000);
        QMessageBox* shown = openBoxes(parent).front();
        EXPECT_EQ(shown->icon(), icon);
        EXPECT_EQ(shown->standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(shown->windowModality(), Qt::WindowModal);
        shown->button(QMessageBox::Ok)->click();
    }
    ZOV_WAIT(openBoxes(parent).isEmpty(), 5000);
}

using ShellTest = WindowTest;

// A first start opens the shipped default project: Capture mode, ready for GO.
TEST_F(ShellTest, StartUpOpensTheDefaultProjectAndDraws)
{
    const QString version = QString::number(ZOV_VERSION_MAJOR) + "." + QString::number(ZOV_VERSION_MINOR) +
                            "." + QString::number(ZOV_VERSION_REVISION);
    EXPECT_EQ(window->windowTitle(), "Kestrava Zovograph V" + version + " [DoNotErase.zov]");
    EXPECT_TRUE(window->isVisible());
    const char* initial[][2] = {
        {"CbVdiv", "20"}, {"CbMaDiv", "1"}, {"TxPwr", "1"}, {"TxVg1Start", "0"}, {"TxVg1Stop", "4"},
        {"TxPitchg1", "0.5"}, {"TxVg2", "250"}, {"LbVg1", "Vg1= 0"}, {"LbVg2", "Vg2= 0"}, {"BtSet", "GO"},
        {"BtExport", "Save as ..."}, {"BtAppend", "Add to ..."}, {"BtBckgnd", "Use as background"},
        {"BtBgndFile", "Load a background ..."}, {"BtDirectPrint", "Print ..."}, {"BtAutoScale", "A u t o"},
        {"RLoad", "100"}, {"LbLoad", "R or Z load"}, {"TxVin", "1"}, {"CkImport0", "Import >>"},
        {"CkImport4", "Import >>"}, {"BtCkBrowse2", "..."}, {"Opt256", "256mA Max"},
        {"Opt32", "32mA Max"}, {"OptSE", "SE"}, {"OptPP", "PP"}, {"OptMatch", "Match"},
        {"OptDiff", "Diff (a-b)"},
    };
    for (const auto& [name, caption] : initial)
        EXPECT_EQ(text(name), QString::fromLatin1(caption)) << name;

    const auto items = [this](const char* name) {
        QStringList list;
        for (int i = 0; i < control<QComboBox>(name)->count(); ++i)
            list << control<QComboBox>(name)->itemText(i);
        return list;
    };
    EXPECT_EQ(items("CbVdiv"), (QStringList{"5", "10", "20", "50", "100"}));
    EXPECT_EQ(items("CbMaDiv"), (QStringList{"0.2", "0.5", "1", "2", "5", "10", "20", "50", "100"}));
    EXPECT_EQ(control("CbComport")->toolTip(), "Select a COM port");
    EXPECT_TRUE(control("OptSE")->property("checked").toBool());
    EXPECT_TRUE(control("Opt32")->property("checked").toBool());
    // About 1100 x 760 pixels.
    EXPECT_EQ(window->size(), QSize(1100, 760));

    const Workspace& ws = window->workspace();
    EXPECT_TRUE(window->startupDone());
    EXPECT_TRUE(window->captureIdle());
    EXPECT_EQ(ws.ModeName, WorkMode::Capture);
    EXPECT_GE(window->refreshCount(), 1);
    // Nothing measured yet: the buttons that need a family wait for one.
    EXPECT_TRUE(enabled("BtSet"));
    EXPECT_TRUE(enabled("BtBgndFile"));
    for (const char* name : {"BtExport", "BtAppend", "BtBckgnd", "BtDirectPrint"})
        EXPECT_FALSE(enabled(name)) << name;
    EXPECT_FALSE(visible("CaptureProgress")) << "no sweep yet, nothing to tell";
    EXPECT_TRUE(visible("BtSet"));
}

TEST_F(ShellTest, ModeSwitchShowsAndHidesTheFramesAndKeepsTheData)
{
    window->workspace().CurveText = "10 0.001 -1 0 0\r\n";
    for (const char* mode : {"Cook", "Capture", "Cook", "Capture"}) {
        const bool cook = QByteArray(mode) == "Cook";
        if (!cook)
            window->workspace().DiffOffsetMa = 4.0F;  // as after a refresh in "Diff (a-b)"
        EXPECT_EQ(redraws([&] { control<QAction>(cook ? "Mnu_Cook" : "Mnu_Capture")->trigger(); }), 1) << mode;
        EXPECT_EQ(window->workspace().ModeName, cook ? WorkMode::Cook : WorkMode::Capture) << mode;
        EXPECT_EQ(visible("BtAutoScale"), cook) << mode;
        EXPECT_EQ(visible("FrmCook"), cook) << mode;
        EXPECT_EQ(visible("FrmCapture"), !cook) << mode;
        EXPECT_EQ(visible("FrmShowVg"), !cook) << mode;
        EXPECT_TRUE(visible("Stuff"));
        EXPECT_EQ(window->workspace().CurveText, "10 0.001 -1 0 0\r\n");
        if (!cook) {
            EXPECT_EQ(window->workspace().DiffOffsetMa, 0.0F) << "Capture drops the difference offset";
            EXPECT_EQ(text("LbGrid9"), "0.0");
        }
    }
}

TEST_F(ShellTest, SelectorTextsSetTheScaleOrKeepThePreviousOne)
{
    auto* vdiv = control<QComboBox>("CbVdiv");
    auto* madiv = control<QComboBox>("CbMaDiv");
    const struct {
        QComboBox* box;
        const char* typed;
        float volts, milliamps;
    } cases[] = {
        {vdiv, "7", 7.0F, 1.0F},    // not in the list, used anyway
        {vdiv, "abc", 7.0F, 1.0F},  // previous scale kept (the scene's own test has every kind)
        {vdiv, "50 V", 50.0F, 1.0F},  // leading number taken
        {madiv, "2.5", 50.0F, 2.5F},
    };
    for (const auto& c : cases) {
        c.box->setFocus();
        c.box->setEditText(QString::fromLatin1(c.typed));
        EXPECT_GT(redraws([&] { QTest::keyClick(c.box->lineEdit(), Qt::Key_Return); }), 0) << c.typed;
        EXPECT_FLOAT_EQ(window->workspace().VoltsPerDiv, c.volts) << c.typed;
        EXPECT_FLOAT_EQ(window->workspace().MaPerDiv, c.milliamps) << c.typed;
        EXPECT_EQ(c.box->currentText(), QString::fromLatin1(c.typed)) << "the typed text stays";
    }
    // The axis labels follow the scale in force.
    EXPECT_EQ(text("LbGrid1"), "50.0");
    EXPECT_EQ(text("LbGrid8"), "400.0");
    EXPECT_EQ(text("LbGrid10"), "2.5");
    EXPECT_EQ(text("LbGrid17"), "20.0");

    // A list entry chosen with the mouse redraws at once.
    vdiv->setCurrentIndex(4);
    EXPECT_EQ(redraws([&] { emit vdiv->activated(4); }), 1);
    EXPECT_FLOAT_EQ(window->workspace().VoltsPerDiv, 100.0F);
}

TEST_F(ShellTest, LeavingASelectorRedrawsAndEnteringACaptureBoxSelectsItsText)
{
    window->activateWindow();
    auto* power = control<QLineEdit>("TxPwr");
    auto* start = control<QLineEdit>("TxVg1Start");
    focus(power);
    power->setText("15");
    EXPECT_GT(redraws([&] { focus(start); }), 0);
    EXPECT_EQ(redraws([&] { QTest::keyClicks(power, "3"); }), 0) << "typing alone does not redraw";

    // A scale typed into a selector takes effect when the field is left.
    auto* madiv = control<QComboBox>("CbMaDiv");
    focus(madiv);
    madiv->setEditText("7");
    EXPECT_FLOAT_EQ(window->workspace().MaPerDiv, 1.0F);
    focus(start);
    EXPECT_FLOAT_EQ(window->workspace().MaPerDiv, 7.0F);
    // A typed value that is in the list activates that entry when the field is
    // left; the focus stays where the user moved it.
    focus(madiv);
    madiv->setEditText("5");
    focus(start);
    EXPECT_FLOAT_EQ(window->workspace().MaPerDiv, 5.0F);
    EXPECT_TRUE(start->hasFocus());

    // Entering a capture box selects its whole text.
    for (const char* name : {"TxVg1Start", "TxVg1Stop", "TxPitchg1", "TxVg2"}) {
        auto* box = control<QLineEdit>(name);
        box->setText("12.5");
        box->deselect();
        control("TxPwr")->setFocus();
        box->setFocus();
        ZOV_WAIT(box->selectedText() == "12.5", 5000) << name;
        EXPECT_EQ(box->selectionStart(), 0) << name;
    }
}

TEST_F(ShellTest, SpaceBarAndAClickOnTheBackgroundRedraw)
{
    window->activateWindow();
    auto* vg2 = control<QLineEdit>("TxVg2");
    const std::tuple<QWidget*, Qt::Key, int> cases[] = {
        {window->scope(), Qt::Key_Space, 1}, {window->scope(), Qt::Key_A, 0}, {vg2, Qt::Key_Space, 0}};
    for (const auto& [target, key, expected] : cases) {
        focus(target);
        EXPECT_EQ(redraws([w = target, k = key] { QTest::keyClick(w, k); }), expected)
            << target->objectName().toStdString();
    }

    QWidget* client = window->clientArea();
    const QPoint background(client->width() / 2, client->height() - 3);  // below the plot, between labels
    ASSERT_EQ(client->childAt(background), nullptr) << "the probe must hit the bare background";
    EXPECT_EQ(redraws([&] { QTest::mouseClick(client, Qt::LeftButton, {}, background); }), 1);
}

TEST_F(ShellTest, PlotFollowsTheResizeRulesDownToTheMinimumSize)
{
    const QSize minimum = window->minimumSize();
    EXPECT_EQ(minimum, QSize(657, 527 + window->menuBar()->sizeHint().height()));
    const QWidget* client = window->clientArea();
    const QWidget* scope = window->scope();
    for (const QSize size : {QSize(1280, 800), QSize(1600, 1000), QSize(300, 200), minimum}) {
        window->resize(size);
        ZOV_WAIT(window->size() == size.expandedTo(minimum), 5000);
        EXPECT_EQ(scope->height(), client->height() - 30) << size.width();
        EXPECT_EQ(scope->width(), client->width() - 160 - control("SlideIa")->width()) << size.width();
        EXPECT_EQ(control("Stuff")->mapTo(client, QPoint(0, 0)).y(), scope->y()) << "Display frame level with plot";
        EXPECT_LE(scope->geometry().right(), client->width() - 1);
        for (int i = 0; i < 18; ++i) {  // the last voltage label included
            const QWidget* label = control(("LbGrid" + std::to_string(i)).c_str());
            EXPECT_TRUE(client->rect().contains(label->geometry())) << "LbGrid" << i << " at " << size.width();
        }
    }
    EXPECT_EQ(client->size(), QSize(657, 527));
}

}  // namespace
}  // namespace zov::gui::testing
