// Cook mode through the real widgets: importing families into the comparison
// slots, choosing their series, placing an operating point with the mouse in
// SE and PP, editing the load and the swing, the cursor read-out, Match and
// Diff on screen, and a sweep that runs while Cook mode is shown.

#include "window_fixture.h"

#include "cli_runner.h"
#include "reference_tdf.h"
#include "straight_family.h"
#include "app/gui/design_controller.h"
#include "app/gui/scope_widget.h"
#include "design/design_steps.h"
#include "design/stage_texts.h"
#include "files/files_messages.h"
#include "plot/scale_selectors.h"
#include "plot/scales.h"
#include "render/scene_export.h"
#include "core/text.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>

#include <cmath>

namespace zov::gui::testing {
namespace {

using zov::testing::k300BFamily;
using zov::testing::referenceTdf;
using zov::testing::straightFamilyTdf;

class CookTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        window->resize(1280, 800);
        ZOV_WAIT(window->size() == QSize(1280, 800), 5000);
        control<QAction>("Mnu_Cook")->trigger();
    }

    QString writeFile(const QString& name, const std::string& bytes)
    {
        return zov::testing::writeTempFile(dir, name, QByteArray::fromStdString(bytes));
    }
    // A reference family as a TDF file; empty when the reference data is missing.
    QString referenceFile(const char* relative, const QString& name)
    {
        const std::string tdf = referenceTdf(relative);
        return tdf.empty() ? QString() : writeFile(name, tdf);
    }

    void choose(const char* option) { control<QRadioButton>(option)->click(); }
    void importInto(int slot, const QString& path)
    {
        window->setFileChooser([path](const QString&, const QString&, const QString&, const QString&) { return path; });
        control<QPushButton>(QStringLiteral("BtCkBrowse%1").arg(slot).toLatin1().constData())->click();
    }
    void apply() { control<QPushButton>("BtApplySelect")->click(); }
    // Every grid-1 voltage of the set shown, as a user selects them all.
    void applyAll()
    {
        list("ListVg1")->selectAll();
        apply();
    }
    QListWidget* list(const char* name) { return control<QListWidget>(name); }
    void selectLines(const char* name, std::initializer_list<int> rows)
    {
        QListWidget* l = list(name);
        l->clearSelection();
        for (int r : rows)
            l->item(r)->setSelected(true);
    }

    ScopeWidget* scope() const { return window->scope(); }
    // Plot units <-> the pixel the mouse is pressed on (0 is the first
    // pixel, 65536 the last).
    QPoint pixelOf(float x, float y) const
    {
        return {static_cast<int>(std::lround(x * (scope()->width() - 1) / 65536.0)),
                static_cast<int>(std::lround(y * (scope()->height() - 1) / 65536.0))};
    }
    QPointF unitsOf(QPoint px) const
    {
        return {px.x() * 65536.0 / (scope()->width() - 1), px.y() * 65536.0 / (scope()->height() - 1)};
    }
    // Clicks the plot near (ua V, iaMa mA) and returns the plot position clicked.
    QPointF clickAt(float ua, float iaMa, Qt::MouseButton button = Qt::LeftButton,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const Workspace& ws = window->workspace();
        const QPoint px = pixelOf(UaToX(ws, ua), IaToY(ws, iaMa));
        QTest::mouseClick(scope(), button, modifiers, px);
        return unitsOf(px);
    }
    void moveTo(float x, float y) { QTest::mouseMove(scope(), pixelOf(x, y)); }
    QColor pixelAt(float x, float y) const
    {
        const QPoint px = pixelOf(x, y);
        return QColor(scope()->image().pixel(px));
    }

    // What the engine computes for a click at `at` on the window's slot 0 with
    // its selection, scales and design fields.
    StageTexts expectedTexts(QPointF at, Topology topology)
    {
        Workspace copy;
        const Workspace& ws = window->workspace();
        copy.ModeName = WorkMode::Cook;
        copy.CurveSets[0] = ws.CurveSets[0];
        copy.SeriesSelections[0] = ws.SeriesSelections[0];
        updateScales(copy, text("CbVdiv").toStdString(), text("CbMaDiv").toStdString());
        const DesignInputs inputs =
            designInputsFromTexts(topology, text("RLoad").toStdString(), text("TxVin").toStdString());
        return stageTexts(applyOperatingPoint(copy, static_cast<float>(at.x()), static_cast<float>(at.y()), inputs),
                          topology);
    }
    void expectLabel(const char* name, const std::optional<std::string>& expected)
    {
        ASSERT_TRUE(expected.has_value()) << name;
        EXPECT_EQ(text(name).toStdString(), *expected) << name;
        EXPECT_TRUE(visible(name)) << name;
    }

    QTemporaryDir dir;
};

TEST_F(CookTest, ImportNamesTheLineOpensTheSelectionAndRenamesTheProject)
{
    const QString path = writeFile(QStringLiteral("tube.a.tdf"), straightFamilyTdf());
    choose("OptSE");
    importInto(0, path);

    auto* check = control<QCheckBox>("CkImport0");
    EXPECT_EQ(check->text(), QStringLiteral("tube"));  // the name up to its first dot
    EXPECT_TRUE(check->isChecked());
    EXPECT_EQ(check->property("Tag").toString(), path);
    EXPECT_TRUE(window->windowTitle().endsWith(QStringLiteral("NoName.zov]"))) << window->windowTitle().toStdString();
    EXPECT_EQ(window->workspace().TdfFolder, QFileInfo(path).absolutePath());
    EXPECT_TRUE(window->workspace().CurveSets[0].Loaded);

    // One grid-2 voltage: the narrow frame, its grid-2 line selected unseen.
    EXPECT_TRUE(visible("FrmSelect"));
    EXPECT_EQ(control("FrmSelect")->width(), 129);
    EXPECT_FALSE(visible("ListVg2"));
    EXPECT_EQ(list("ListVg1")->count(), 31);
    EXPECT_EQ(list("ListVg1")->item(0)->text(), QStringLiteral("-30"));
    selectLines("ListVg1", {28, 29});
    apply();
    EXPECT_FALSE(visible("FrmSelect"));
    EXPECT_EQ(window->workspace().SeriesSelections[0].Vg1List, "-2,-1,");
    EXPECT_EQ(window->workspace().SeriesSelections[0].Vg2List, "0,");

    // Cancelling a dialog changes nothing; the right button clears the line.
    window->setFileChooser([](const QString&, const QString&, const QString&, const QString&) { return QString(); });
    control<QPushButton>("BtCkBrowse0")->click();
    EXPECT_EQ(check->text(), QStringLiteral("tube"));
    QTest::mouseClick(control<QPushButton>("BtCkBrowse0"), Qt::RightButton);
    EXPECT_EQ(check->text(), QStringLiteral("Import >>"));
    EXPECT_FALSE(check->isChecked());
    EXPECT_TRUE(window->workspace().CurveSets[0].Loaded);  // keeps its data
}

// A click on a real family in SE and in PP: the labels are the engine's
// numbers in their formats, the load caption follows the option.
TEST_F(CookTest, ClickPlacesTheOperatingPointOnARealFamilyInSeAndPp)
{
    const QString path = referenceFile(k300BFamily, QStringLiteral("300B.tdf"));
    if (path.isEmpty())
        GTEST_SKIP() << "reference family not available: " << k300BFamily;
    setText("CbVdiv", "50");
    setText("CbMaDiv", "20");
    setText("RLoad", "3");
    choose("OptSE");
    importInto(0, path);
    applyAll();
    EXPECT_EQ(text("TxVin"), QStringLiteral(" 20"));  // twice the 10 V grid step

    // "A u t o" scales to slot 0's family.
    const std::optional<AutoScaleTexts> automatic = autoScale(window->workspace().CurveSets[0]);
    ASSERT_TRUE(automatic.has_value());
    control<QPushButton>("BtAutoScale")->click();
    EXPECT_EQ(text("CbVdiv").toStdString(), automatic->voltsPerDivText);
    EXPECT_EQ(text("CbMaDiv").toStdString(), automatic->maPerDivText);
    setText("CbVdiv", "50");
    setText("CbMaDiv", "20");
    window->RefreshScope();

    for (const char* option : {"OptSE", "OptPP"}) {
        const Topology topology = option == std::string("OptPP") ? Topology::PushPull : Topology::SingleEnded;
        SCOPED_TRACE(option);
        choose(option);
        EXPECT_EQ(text("LbLoad"), topology == Topology::PushPull ? QStringLiteral("Zaa") : QStringLiteral("R or Z load"));
        const QPointF at = clickAt(300.0F, 50.0F);
        const StageTexts expected = expectedTexts(at, topology);
        ASSERT_TRUE(expected.vout.has_value()) << "no results at " << at.x() << ", " << at.y();
        expectLabel("LbPd0", expected.pd0);
        expectLabel("Gm", expected.gm);
        expectLabel("Req", expected.rp);
        expectLabel("Mu", expected.mu);
        expectLabel("LbVout", expected.vout);
        expectLabel("LbGain", expected.gain);
        expectLabel("LbApo", expected.pout);
        expectLabel("LbH2", expected.h2);
        if (topology == Topology::PushPull) {
            EXPECT_EQ(text("LbH2"), QString());
        }
        EXPECT_TRUE(window->workspace().OpCurve.Drawn);
        EXPECT_TRUE(visible("Ua0"));
        EXPECT_EQ(text("Ua0").toStdString(), formatPattern(window->workspace().OperatingUa, "##0.0"));
        // The marker: cyan XOR on the white plot under it shows red.
        const QColor marker = pixelAt(window->workspace().MarkerX, window->workspace().MarkerY);
        EXPECT_GT(marker.red(), 200);
        EXPECT_LT(marker.blue(), 60);
    }
}

// The plot export shows the design as the screen does (the marker red on
// the operating curve, here as on screen) and leaves the design state alone.
TEST_F(CookTest, PlotExportShowsTheDesignAndKeepsIt)
{
    setText("CbVdiv", "100");
    setText("CbMaDiv", "5");
    choose("OptSE");
    importInto(0, writeFile(QStringLiteral("straight.tdf"), straightFamilyTdf()));
    applyAll();
    clickAt(250.0F, 15.0F);
    const Workspace before = window->workspace();
    const QString png = dir.filePath(QStringLiteral("design.png"));
    window->setFileChooser([png](const QString&, const QString&, const QString&, const QString&) { return png; });
    control<QAction>("Mnu_ExportPlot")->trigger();
    const QImage exported(png);
    ASSERT_FALSE(exported.isNull());
    const Workspace& after = window->workspace();
    EXPECT_EQ(after.MarkerY, before.MarkerY);
    EXPECT_EQ(after.OperatingUa, before.OperatingUa);
    EXPECT_TRUE(after.OpCurve.Drawn);
    EXPECT_TRUE(after.DownCurve.Drawn);
    // The marker, finished with the copy pen: red around its place in the
    // plot, which the export puts inside its margins.
    const ExportMargins margins;
    const QPoint marker = pixelOf(before.MarkerX, before.MarkerY) + QPoint(margins.left, margins.top);
    int red = 0;
    for (int dy = -8; dy <= 8; ++dy)
        for (int dx = -8; dx <= 8; ++dx)
            red += (exported.pixel(marker + QPoint(dx, dy)) & 0xFFFFFFU) == 0xFF0000U ? 1 : 0;
    EXPECT_GT(red, 30);
}

TEST_F(CookTest, ArrowKeysStepAndClampTheLoadAndTheSwing)
{
    choose("OptSE");
    importInto(0, writeFile(QStringLiteral("straight.tdf"), straightFamilyTdf()));
    applyAll();
    auto* rLoad = control<QLineEdit>("RLoad");
    focus(rLoad);
    const struct {
        const char* before;
        Qt::Key key;
        const char* load;  // nullptr: unchanged
        const char* vin;   // nullptr: unchanged
    } steps[] = {
        {"10", Qt::Key_Up, "11.0", nullptr},      {"0.01", Qt::Key_Down, "0.01", nullptr},  // stepped, then clamped
        {"100000", Qt::Key_Up, "100000", nullptr}, {"10", Qt::Key_Right, "10", "2.2"},
        {"10", Qt::Key_Left, "10", "1.8"},
    };
    for (const auto& s : steps) {
        setText("RLoad", s.before);
        setText("TxVin", " 2");  // as the refresh writes it for 1 V steps
        QTest::keyClick(rLoad, s.key);
        EXPECT_EQ(text("RLoad"), QString::fromLatin1(s.load)) << s.before << " key " << s.key;
        if (s.vin) {
            EXPECT_EQ(text("TxVin"), QString::fromLatin1(s.vin)) << s.before << " key " << s.key;
        }
    }
    // The swing's own arrow keys do nothing of the kind.
    QTest::keyClick(control<QLineEdit>("TxVin"), Qt::Key_Down);
    EXPECT_EQ(text("TxVin"), QStringLiteral("1.8"));

    // A typed 0 becomes the minimum once the field is committed.
    setText("RLoad", "0");
    QTest::keyClick(rLoad, Qt::Key_Return);
    EXPECT_EQ(text("RLoad"), QStringLiteral("0.01"));
}

TEST_F(CookTest, CursorReadoutFollowsThePointer)
{
    choose("OptSE");
    setText("CbVdiv", "20");
    setText("CbMaDiv", "1");
    window->RefreshScope();
    QWidget* frame = control("FlyingFrame");
    EXPECT_FALSE(frame->isVisible());
    // Exact plot positions through the plot's move report (a pixel is about
    // 60 plot units wide, so the mouse cannot hit them exactly).
    DesignController& design = window->designController();
    design.Scope_MouseMove(32768.0F, 32768.0F);
    EXPECT_EQ(text("FlyingUa"), QStringLiteral("Ua: 80.0"));
    EXPECT_EQ(text("FlyingIa"), QStringLiteral("Ia: 4.0"));
    EXPECT_EQ(text("FlyingPd"), QStringLiteral("Pd: 0.3"));
    EXPECT_EQ(text("SlideUa"), QStringLiteral("80.0"));
    EXPECT_EQ(text("SlideIa"), QStringLiteral("4.0"));
    EXPECT_TRUE(visible("SlideUa"));

    // A right click shows the frame beside the pointer, another hides it.
    QTest::mouseClick(scope(), Qt::RightButton, Qt::NoModifier, pixelOf(32768.0F, 32768.0F));
    EXPECT_TRUE(frame->isVisible());
    EXPECT_GT(frame->x(), pixelOf(32768.0F, 0.0F).x());
    EXPECT_LT(frame->geometry().bottom(), pixelOf(0.0F, 32768.0F).y());
    moveTo(64000.0F, 1000.0F);  // near the top-right corner: flipped
    EXPECT_LT(frame->geometry().right(), pixelOf(64000.0F, 0.0F).x());
    EXPECT_GT(frame->geometry().bottom(), pixelOf(0.0F, 1000.0F).y());
    QTest::mouseClick(scope(), Qt::RightButton, Qt::NoModifier, pixelOf(32768.0F, 32768.0F));
    EXPECT_FALSE(frame->isVisible());

    // With Ctrl a right click leaves a green dot until the next refresh.
    QTest::mouseClick(scope(), Qt::RightButton, Qt::ControlModifier, pixelOf(20000.0F, 40000.0F));
    EXPECT_EQ(pixelAt(20000.0F, 40000.0F), QColor(0, 192, 0));
    window->RefreshScope();
    EXPECT_NE(pixelAt(20000.0F, 40000.0F), QColor(0, 192, 0));
}

TEST_F(CookTest, MatchShowsEachSlotInItsColourAndDiffTheDifferenceAtTheOffset)
{
    setText("CbVdiv", "100");
    setText("CbMaDiv", "5");
    choose("OptMatch");
    // Slot i: one flat curve at 4.5 (i + 1) mA from 100 to 500 V, off the grid lines.
    for (int i = 0; i < kSlotCount; ++i) {
        std::string tdf;
        for (int u = 100; u <= 500; u += 10)
            tdf += std::to_string(u) + " " + formatGeneral(0.0045 * (i + 1)) + " -1 0 0\r\n";
        importInto(i, writeFile(QStringLiteral("flat%1.tdf").arg(i), tdf));
        applyAll();
    }
    const QColor colours[] = {{0, 0, 255}, {192, 64, 0}, {0, 128, 0}, {128, 0, 128}, {128, 128, 0}};
    const Workspace& ws = window->workspace();
    for (int i = 0; i < kSlotCount; ++i)
        EXPECT_EQ(pixelAt(UaToX(ws, 330.0F), IaToY(ws, 4.5F * (i + 1))), colours[i]) << "slot " << i;

    // Diff (a-b): slot 0 minus slot 1 is -4.5 mA, drawn 4 divisions (20 mA)
    // up: at 15.5 mA on the plot, read as -4.5 on the current axis.
    choose("OptDiff");
    EXPECT_FLOAT_EQ(ws.DiffOffsetMa, 20.0F);
    EXPECT_FALSE(visible("CkImport2"));
    EXPECT_TRUE(visible("CkImport1"));
    const QColor diff = pixelAt(UaToX(ws, 330.0F), IaToY(ws, 15.5F));
    EXPECT_EQ(diff.rgb() & 0xFFFFFFU, 0x409C00U);  // RGB(64, 156, 0): the sequence's first colour
    EXPECT_EQ(pixelAt(UaToX(ws, 330.0F), IaToY(ws, 4.5F)), QColor(Qt::white));  // slot 0 itself is not drawn
    EXPECT_EQ(text("LbGrid9"), QStringLiteral("-20.0"));
    EXPECT_EQ(text("LbGrid13"), QStringLiteral("0.0"));

    // Back in Match, an unticked line is no longer drawn.
    choose("OptMatch");
    EXPECT_EQ(pixelAt(UaToX(ws, 330.0F), IaToY(ws, 4.5F * 3)), colours[2]);
    control<QCheckBox>("CkImport2")->click();
    EXPECT_EQ(pixelAt(UaToX(ws, 330.0F), IaToY(ws, 4.5F * 3)), QColor(Qt::white));
}

// A sweep that goes on while Cook mode is shown: its steps redraw nothing, so
// the swing field keeps what the user typed and the Diff colours stay put.
TEST_F(CookTest, SweepStepsLeaveTheSwingAndTheDiffColoursAlone)
{
    choose("OptDiff");
    importInto(0, writeFile(QStringLiteral("a.tdf"), straightFamilyTdf()));
    applyAll();
    importInto(1, writeFile(QStringLiteral("b.tdf"), straightFamilyTdf()));
    applyAll();
    control<QAction>("Mnu_Capture")->trigger();
    setSweep("0", "4", "1");
    control<QPushButton>("BtSet")->click();
    control<QAction>("Mnu_Cook")->trigger();
    setText("TxVin", "3");
    const int before = window->refreshCount();
    const QImage shown = scope()->image().copy();
    ZOV_WAIT(idle(), 20000);
    EXPECT_EQ(curveLines(), 5 * 64);
    EXPECT_EQ(window->refreshCount(), before);
    EXPECT_EQ(text("TxVin"), QStringLiteral("3"));
    EXPECT_EQ(scope()->image(), shown);  // the Diff picture, colours unchanged
}

// In Capture mode each step draws the curves measured so far over the picture
// (navy over grid and limit), without rebuilding it.
TEST_F(CookTest, SweepStepsInCaptureModeDrawTheNewCurveOverThePicture)
{
    control<QAction>("Mnu_Capture")->trigger();
    const QImage before = scope()->image().copy();
    const int refreshes = redraws([&] { capture("0", "2", "1"); });
    EXPECT_EQ(refreshes, 1);  // "GO" itself
    int navy = 0;
    const QImage& after = scope()->image();
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            navy += (after.pixel(x, y) & 0xFFFFFFU) == 0x000080U ? 1 : 0;
    EXPECT_GT(navy, 200);
    EXPECT_NE(after, before);
}

// Curve files of other tracers open directly: the line is named after the
// file, the slot keeps the file's own path (a project names it), the selection
// lists its curves; a file of no known shape says which line did not fit.
TEST_F(CookTest, ImportOpensCurveFilesOfOtherProgramsDirectly)
{
    const QString utd = QStringLiteral(ZOV_REFERENCE_DATA "/raw/audio-projects__tube-models/src/test-assets/ECC83.utd");
    if (!QFile::exists(utd))
        GTEST_SKIP() << "reference data not available: " << utd.toStdString();
    setText("CbVdiv", "50");
    setText("CbMaDiv", "1");
    choose("OptSE");
    importInto(0, utd);
    EXPECT_EQ(control<QCheckBox>("CkImport0")->text(), QStringLiteral("ECC83"));
    const CurveSet& set = window->workspace().CurveSets[0];
    EXPECT_TRUE(set.Loaded);
    EXPECT_EQ(set.FileName, utd);
    EXPECT_EQ(set.Series.size(), 5U);
    EXPECT_EQ(list("ListVg1")->count(), 5);
    EXPECT_TRUE(messages.empty());
    applyAll();
    clickAt(200.0F, 1.0F);
    EXPECT_TRUE(window->workspace().OpCurve.Drawn);

    const QString odd = writeFile(QStringLiteral("odd.txt"), "10 0 0.05\n40 0 1\n");
    importInto(0, odd);
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_TRUE(messages[0].text.startsWith(msg::curveFileNotRead(odd, QStringLiteral("line 1: "))))
        << messages[0].text.toStdString();
    EXPECT_FALSE(window->workspace().CurveSets[0].Loaded);
}

// "Fit model ...": the Model panel fits slot 0, shows the parameters and the
// error, draws the fitted family dashed in the slot's colour over the
// measured one (more of the slot's colour on the plot, and the same picture
// as before once the panel is closed), and saves the SPICE subcircuit.
TEST_F(CookTest, FitModelDrawsTheFittedFamilyAndSavesTheSpiceModel)
{
    const QString path = referenceFile(k300BFamily, QStringLiteral("300B.tdf"));
    if (path.isEmpty())
        GTEST_SKIP() << "reference family not available: " << k300BFamily;
    setText("CbVdiv", "50");
    setText("CbMaDiv", "20");
    choose("OptSE");
    importInto(0, path);
    applyAll();
    const auto slotPixels = [this] {
        const QImage image = scope()->image();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += QColor(image.pixel(x, y)) == QColor(0, 0, 255);
        return n;
    };
    const int measured = slotPixels();
    ASSERT_GT(measured, 0);

    control<QAction>("Mnu_FitModel")->trigger();
    EXPECT_TRUE(visible("FrmFit"));
    EXPECT_FALSE(control<QPushButton>("BtSaveSpice")->isEnabled());
    control<QPushButton>("BtFit")->click();
    const QString result = text("LbFit");
    EXPECT_TRUE(result.startsWith(QStringLiteral("mu 3.87"))) << result.toStdString();
    EXPECT_TRUE(result.contains(QStringLiteral("RMS 0.58"))) << result.toStdString();
    EXPECT_GT(slotPixels(), measured + 500);
    // The panel grows to the result's lines once the layout has run.
    const QLabel* lbFit = control<QLabel>("LbFit");
    ZOV_WAIT(lbFit->height() >= lbFit->fontMetrics().lineSpacing() * 5, 5000);

    const QString spice = dir.filePath(QStringLiteral("300B.inc"));
    window->setFileChooser([spice](const QString&, const QString&, const QString&, const QString&) { return spice; });
    ASSERT_TRUE(control<QPushButton>("BtSaveSpice")->isEnabled());
    control<QPushButton>("BtSaveSpice")->click();
    QFile file(spice);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    EXPECT_TRUE(written.contains(".SUBCKT 300B A G K\n")) << written.toStdString();
    EXPECT_TRUE(written.contains("* Source family: 300B.tdf\n"));

    control<QPushButton>("BtCloseFit")->click();
    EXPECT_FALSE(visible("FrmFit"));
    EXPECT_EQ(slotPixels(), measured);
    EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace zov::gui::testing
