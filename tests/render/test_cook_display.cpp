// What Cook mode shows on the plot and beside it: the design figures in XOR
// ink, the cursor read-out and the series-selection form.
#include "display_fixtures.h"
#include "reference_tdf.h"
#include "straight_family.h"
#include "design/design_inputs.h"
#include "design/stage_texts.h"
#include "files/tdf_file.h"
#include "plot/collecting_label_sink.h"
#include "plot/cursor_readout.h"
#include "plot/series_selection_form.h"
#include "render/capture_step.h"
#include "render/design_figures.h"
#include "render/diff_colour_sequence.h"
#include "render/painter_surface.h"
#include "render/scene.h"

#include <QImage>

namespace zov {
namespace {

using namespace zov::testing;

// ---- Cursor read-out --------------------------------------------------------

TEST(CursorReadout, TextsAtKnownPositions)
{
    const struct {
        const char *vdiv, *madiv;
        float x, y;
        const char *ua, *ia, *pd, *slideU, *slideI;
        float diffOffsetMa;
    } cases[] = {
        {"20", "1", 0.0F, 65536.0F, "Ua: 0.0", "Ia: 0.0", "Pd: 0.0", "0.0", "0.0", 0.0F},
        {"20", "1", 32768.0F, 32768.0F, "Ua: 80.0", "Ia: 4.0", "Pd: 0.3", "80.0", "4.0", 0.0F},
        {"100", "50", 65536.0F, 0.0F, "Ua: 800.0", "Ia: 400.0", "Pd: 320.0", "800.0", "400.0", 0.0F},
        // Diff (a-b): the edge tag reads the difference, the frame the plotted current.
        {"20", "1", 32768.0F, 32768.0F, "Ua: 80.0", "Ia: 4.0", "Pd: 0.3", "80.0", "0.0", 4.0F},
        {"20", "1", 10000.0F, 60000.0F, "Ua: 24.4", "Ia: 0.7", "Pd: 0.0", "24.4", "-3.3", 4.0F},
    };
    for (const auto& c : cases) {
        Workspace ws = workspaceAt(c.vdiv, c.madiv);
        ws.DiffOffsetMa = c.diffOffsetMa;
        const CursorReadout r = cursorReadout(ws, c.x, c.y, {true, false, true});
        SCOPED_TRACE(::testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(r.flyingUa, c.ua);
        EXPECT_EQ(r.flyingIa, c.ia);
        EXPECT_EQ(r.flyingPd, c.pd);
        EXPECT_EQ(r.slide.captionU, c.slideU);
        EXPECT_EQ(r.slide.captionI, c.slideI);
        EXPECT_EQ(r.slide.pair, AxisLabelPair::Cursor);
        EXPECT_EQ(r.slide.colour, rgb(0, 128, 0));
        EXPECT_NEAR(r.slide.xUnits, c.x, 0.05);
        EXPECT_NEAR(r.slide.yUnits, c.y, 0.05);
        EXPECT_FALSE(r.flyingPo.has_value());  // no marker
        EXPECT_FALSE(r.pout.has_value());
    }
}

// Operating point 250 V / 40 mA, pointer at 150 V / 60 mA: the swing power in
// the frame (0.5 SE, 0.66 PP) and in LbPout (0.707), only with a marker in SE
// or PP.
TEST(CursorReadout, SwingPowerFromTheMarker)
{
    Workspace ws = workspaceAt("50", "10");
    ws.MarkerX = UaToX(ws, 250.0F);
    ws.MarkerY = IaToY(ws, 40.0F);
    const float x = UaToX(ws, 150.0F);
    const float y = IaToY(ws, 60.0F);
    const struct {
        CursorContext context;
        const char* po;  // nullptr: not shown
        const char* pout;
    } cases[] = {
        {{true, false, false}, "Po: 1.3", "1.4"},  // push-pull: 1.32 W
        {{true, false, true}, "Po: 1.0", "1.4"},   // single-ended: 1.0 W
        {{true, true, true}, nullptr, nullptr},    // Match
        {{false, false, true}, nullptr, nullptr},  // Capture
    };
    for (const auto& c : cases) {
        const CursorReadout r = cursorReadout(ws, x, y, c.context);
        EXPECT_EQ(r.flyingPo.has_value(), c.po != nullptr);
        EXPECT_EQ(r.flyingPo.value_or(""), c.po ? c.po : "");
        EXPECT_EQ(r.pout.value_or(""), c.pout ? c.pout : "");
        EXPECT_EQ(r.slide.captionI, "60.0");
    }
    ws.MarkerY = 65536.0F;  // the refresh removed the marker
    EXPECT_FALSE(cursorReadout(ws, x, y, {true, false, false}).flyingPo.has_value());
}

TEST(CursorReadout, FloatingFrameFlipsNearTheEdges)
{
    const float w = 9000.0F;
    const float h = 6000.0F;
    const struct {
        float x, y, left, top;
    } cases[] = {
        {32768.0F, 32768.0F, 33168.0F, 26568.0F},  // right of and above the pointer
        {60000.0F, 32768.0F, 50600.0F, 26568.0F},  // near the right edge: left of it
        {56536.0F, 32768.0F, 47136.0F, 26568.0F},  // x + w = 65536 reaches the edge
        {32768.0F, 3000.0F, 33168.0F, 2800.0F},    // near the top: its top 200 above the pointer
        {32768.0F, 6000.0F, 33168.0F, 5800.0F},    // y - h = 0
        {65000.0F, 100.0F, 55600.0F, -100.0F},
    };
    for (const auto& c : cases) {
        const FramePosition p = flyingFramePosition(c.x, c.y, w, h);
        EXPECT_FLOAT_EQ(p.left, c.left) << c.x << "," << c.y;
        EXPECT_FLOAT_EQ(p.top, c.top) << c.x << "," << c.y;
    }
}

// ---- Series selection -------------------------------------------------------

// The frame's own test checks the narrow and wide forms and the preselected
// grid-2 line; here the lines of a family whose grid-1 voltages repeat.
TEST(SeriesSelectionForm, RepeatedGridVoltagesGiveOneLineEach)
{
    CurveSet pentode;  // appended at a second grid-2 voltage
    pentode.Vg1Table = {{-2.0F, 1}, {-2.0F, 3}, {-1.0F, 0}, {-1.0F, 2}};
    pentode.Vg2Table = {{200.0F, 0}, {250.0F, 2}};
    const SeriesSelectionForm wide = openSeriesSelection(pentode);
    EXPECT_EQ(wide.vg1Lines, (std::vector<std::string>{"-2", "-1"}));
    EXPECT_EQ(wide.vg2Lines, (std::vector<std::string>{"200", "250"}));

    const SeriesSelectionForm empty = openSeriesSelection(CurveSet{});
    EXPECT_TRUE(empty.vg1Lines.empty());
    EXPECT_FALSE(empty.preselectVg2);
}

TEST(SeriesSelectionForm, WarningAndApplyLists)
{
    const struct {
        int vg1, vg2;
        bool warning;
    } rules[] = {{0, 0, false}, {1, 1, false}, {5, 1, false}, {1, 5, false}, {2, 2, true}, {3, 7, true}, {2, 0, false}};
    for (const auto& r : rules)
        EXPECT_EQ(selectionNeedsWarning(r.vg1, r.vg2), r.warning) << r.vg1 << " x " << r.vg2;

    const std::vector<std::string> lines{"-3", "-2", "-1"};
    EXPECT_EQ(selectionList(lines, {false, true, true}), "-2,-1,");
    EXPECT_EQ(selectionList(lines, {true, false, false}), "-3,");
    EXPECT_EQ(selectionList(lines, {false, false, false}), "");  // draws nothing of the slot
    EXPECT_EQ(selectionList({"250"}, {true}), "250,");
}

// ---- Design figures ---------------------------------------------------------

Workspace linearDesign(const char* vdiv, const char* madiv)
{
    Workspace ws = workspaceAt(vdiv, madiv);
    ws.ModeName = WorkMode::Cook;
    readCurveSetFromMemory(ws.CurveSets[0], straightFamilyTdf());
    ws.SeriesSelections[0] = defaultSelection(ws.CurveSets[0]);
    return ws;
}

void expectChain(const std::vector<RecordedPrimitive>& lines)
{
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_FLOAT_EQ(lines[i].x1, lines[i - 1].x2) << "segment " << i;
        EXPECT_FLOAT_EQ(lines[i].y1, lines[i - 1].y2) << "segment " << i;
    }
}

TEST(DesignFigures, MarkerAndLoadLinesInXorInk)
{
    for (Topology topology : {Topology::SingleEnded, Topology::PushPull}) {
        Workspace ws = linearDesign("50", "5");
        RecordingSurface s;
        s.setColour(rgb(1, 2, 3));
        const float x = UaToX(ws, 250.0F);
        const float y = IaToY(ws, 15.0F);
        const StageDesign d = applyAndDrawOperatingPoint(s, ws, x, y, {topology, 20.0F, 4.0F});
        ASSERT_TRUE(d.analysis.results.has_value());
        std::vector<RecordedPrimitive> figure;
        for (const RecordedPrimitive& p : s.lines())
            if (p.colour == kLoadLineInk)
                figure.push_back(p);
        SCOPED_TRACE(topology == Topology::PushPull ? "PP" : "SE");
        ASSERT_EQ(figure.size(), topology == Topology::PushPull ? 3U : 2U);
        expectChain(figure);
        for (const RecordedPrimitive& p : figure) {
            EXPECT_EQ(p.drawMode, kDrawModeXor);
            EXPECT_EQ(p.penWidth, 1);
        }
        EXPECT_NEAR(std::max(figure[0].x1, figure[0].y1), kPlotMarginHigh, 0.5);  // from the bottom or right margin
        EXPECT_FLOAT_EQ(figure[0].x2, x);                 // through the pivot
        EXPECT_FLOAT_EQ(figure[0].y2, y);
        if (topology == Topology::PushPull) {
            EXPECT_FLOAT_EQ(figure[1].x2, ws.JunctionX);
            EXPECT_FLOAT_EQ(figure[1].y2, ws.JunctionY);
        }
        EXPECT_NEAR(std::min(figure.back().x2, figure.back().y2), kPlotMarginLow, 0.5);

        // The marker, then two dots of the swing ends, all XOR and 12 wide.
        const auto points = s.points();
        ASSERT_GE(points.size(), 3U);
        EXPECT_EQ(points[0].colour, rgb(0, 255, 255));
        EXPECT_FLOAT_EQ(points[0].x1, x);
        EXPECT_FLOAT_EQ(points[0].y1, y);
        for (const RecordedPrimitive& p : points) {
            EXPECT_EQ(p.drawMode, kDrawModeXor);
            EXPECT_EQ(p.penWidth, 12);
        }
        // The span tags: six XOR texts, the first pair the swing.
        std::vector<RecordedPrimitive> tags;
        for (const RecordedPrimitive& p : s.texts())
            if (p.drawMode == kDrawModeXor)
                tags.push_back(p);
        ASSERT_EQ(tags.size(), 6U);
        const StageTexts texts = stageTexts(d, topology);
        EXPECT_EQ(tags[0].text, (*texts.spans)[0].voltage);
        EXPECT_EQ(tags[1].text, (*texts.spans)[0].current);
        EXPECT_EQ(tags[0].colour, rgb(255, 255, 255));  // black on the white plot
        EXPECT_EQ(tags[2].colour, rgb(255, 255, 0));    // blue on the white plot
        EXPECT_NEAR(tags[0].x1 + tags[0].text.size() * RecordingSurface::kCharWidthUnits / 2.0, x, 1.0);
        // The surface keeps the caller's pen.
        EXPECT_EQ(s.colour(), rgb(1, 2, 3));
        EXPECT_EQ(s.drawMode(), kDrawModeCopy);
    }
}

// The plot of a real family at 1280 x 800 pixels after a refresh.
struct Picture {
    Workspace ws;
    QImage image{1100, 770, QImage::Format_RGB32};
    std::unique_ptr<PainterSurface> surface;
    DiffColourSequence colours;
    CollectingLabelSink labels;

    bool load(CookOption option)
    {
        const std::string tdf = referenceTdf(k300BFamily);
        if (tdf.empty() || !readCurveSetFromMemory(ws.CurveSets[0], tdf))
            return false;
        ws.ModeName = WorkMode::Cook;
        ws.SeriesSelections[0] = defaultSelection(ws.CurveSets[0]);
        image.fill(Qt::white);
        surface = std::make_unique<PainterSurface>(&image);
        SceneInputs inputs = sceneInputs(ws);
        inputs.voltsPerDivText = "50";
        inputs.maPerDivText = "20";
        inputs.comparison.option = option;
        inputs.comparison.imports[0] = {true, ws.CurveSets[0].FileName};
        inputs.diffColourCounter = colours.counter();
        const SceneOutput out = composeScene(*surface, inputs);
        commitScene(ws, out);
        colours = DiffColourSequence(out.diffColourCounter);
        placeLabels(out, labels);
        return true;
    }
};

int differingPixels(const QImage& a, const QImage& b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    return n;
}

TEST(DesignFigures, XorFiguresDrawnTwiceRestoreThePictureOnARealFamily)
{
    for (Topology topology : {Topology::SingleEnded, Topology::PushPull}) {
        Picture pic;
        if (!pic.load(topology == Topology::PushPull ? CookOption::PP : CookOption::SE))
            GTEST_SKIP() << "reference family not available: " << k300BFamily;
        SCOPED_TRACE(topology == Topology::PushPull ? "PP" : "SE");
        const QImage family = pic.image.copy();
        const DesignInputs inputs{topology, 3.0F, 40.0F};
        const StageDesign d = applyAndDrawOperatingPoint(*pic.surface, pic.ws, UaToX(pic.ws, 300.0F),
                                                         IaToY(pic.ws, 60.9F), inputs);
        ASSERT_TRUE(d.analysis.results.has_value());
        const QImage designed = pic.image.copy();
        if (const QString dir = qEnvironmentVariable("ZOV_SCREENSHOT_DIR"); !dir.isEmpty())
            designed.save(dir + (topology == Topology::PushPull ? "/design-pp.png" : "/design-se.png"));
        EXPECT_GT(differingPixels(family, designed), 500);

        // Erasing and drawing again leaves the picture bit for bit.
        toggleDesignFigures(*pic.surface, pic.ws, topology);
        pic.surface->flush();
        const QImage erased = pic.image.copy();
        toggleDesignFigures(*pic.surface, pic.ws, topology);
        pic.surface->flush();
        EXPECT_EQ(differingPixels(pic.image, designed), 0);

        // Erased, only the operating curve (copy pen) is left on the family.
        Picture ref;
        ASSERT_TRUE(ref.load(topology == Topology::PushPull ? CookOption::PP : CookOption::SE));
        drawOperatingCurve(*ref.surface, pic.ws, pic.ws.OpCurve);
        ref.surface->flush();
        EXPECT_EQ(differingPixels(erased, ref.image), 0);

        // Another load and back: the same picture again.
        DesignInputs other = inputs;
        other.loadKOhm = 6.0F;
        recomputeAndDraw(*pic.surface, pic.ws, other);
        EXPECT_GT(differingPixels(pic.image, designed), 100);
        recomputeAndDraw(*pic.surface, pic.ws, inputs);
        EXPECT_EQ(differingPixels(pic.image, designed), 0);
    }
}

// The finished design (exports, where XOR ink does not exist): the same
// figures with the copy pen, in the colours XOR ink shows on the white plot.
TEST(DesignFigures, FinishedDesignUsesTheCopyPenInTheColoursSeenOnScreen)
{
    Workspace ws = linearDesign("50", "5");
    RecordingSurface xorInk;
    applyAndDrawOperatingPoint(xorInk, ws, UaToX(ws, 250.0F), IaToY(ws, 15.0F), {Topology::PushPull, 20.0F, 4.0F});
    RecordingSurface finished;
    drawFinishedDesign(finished, ws, Topology::PushPull);
    ASSERT_EQ(finished.primitives().size(), xorInk.primitives().size());
    for (std::size_t k = 0; k < finished.primitives().size(); ++k) {
        const RecordedPrimitive& f = finished.primitives()[k];
        const RecordedPrimitive& x = xorInk.primitives()[k];
        EXPECT_EQ(f.drawMode, kDrawModeCopy) << k;
        EXPECT_EQ(f.x1, x.x1) << k;
        EXPECT_EQ(f.y2, x.y2) << k;
        EXPECT_EQ(f.text, x.text) << k;
        // The operating curve is drawn with the copy pen on screen too.
        EXPECT_EQ(f.colour, x.drawMode == kDrawModeXor ? x.colour ^ 0xFFFFFFU : x.colour) << k;
    }
    const auto points = finished.points();
    ASSERT_FALSE(points.empty());
    EXPECT_EQ(points[0].colour, rgb(255, 0, 0));  // the marker
    EXPECT_EQ(finished.lines().back().colour, rgb(0, 128, 0));  // the down-swing curve
}

TEST(DesignFigures, NothingToRecomputeWithoutAValidOperatingPoint)
{
    Workspace ws = linearDesign("50", "5");
    RecordingSurface s;
    const StageDesign d = recomputeAndDraw(s, ws, {Topology::SingleEnded, 20.0F, 4.0F});
    EXPECT_FALSE(d.placement.placed);
    EXPECT_TRUE(s.primitives().empty());
    // Below the lowest curve: marker and load line, no operating curve, no swing.
    const StageDesign below =
        applyAndDrawOperatingPoint(s, ws, UaToX(ws, 390.0F), IaToY(ws, 0.2F), {Topology::SingleEnded, 20.0F, 4.0F});
    EXPECT_TRUE(below.placement.placed);
    EXPECT_FALSE(below.opCurveBuilt);
    EXPECT_EQ(s.lines().size(), 2U);
    EXPECT_EQ(s.points().size(), 1U);
    EXPECT_TRUE(s.texts().empty());
}

// ---- A sweep step ------------------------------------------------------------

// A step draws the curves measured so far over the picture and nothing else:
// no clear, no grid or limit over them, the caller's pen kept.
TEST(CaptureStep, DrawsTheCurveTextOverThePicture)
{
    Workspace ws = workspaceAt("20", "1");
    ws.CurveText = curveText({{20, 0.001}, {60, 0.003}, {100, 0.006}}, "-1") +
                   curveText({{20, 0.0005}, {60, 0.002}}, "-2");
    RecordingSurface s;
    s.setColour(rgb(9, 9, 9));
    s.setPenWidth(1);
    drawCaptureStep(s, ws);
    EXPECT_EQ(s.clearCount(), 0);
    ASSERT_FALSE(s.lines().empty());
    for (const RecordedPrimitive& p : s.lines()) {
        EXPECT_EQ(p.colour, rgb(0, 0, 128));
        EXPECT_EQ(p.penWidth, 2);
        EXPECT_EQ(p.drawMode, kDrawModeCopy);
    }
    EXPECT_TRUE(s.findText("-1").has_value());
    EXPECT_TRUE(s.findText("-2").has_value());
    EXPECT_EQ(s.colour(), rgb(9, 9, 9));
    EXPECT_EQ(s.penWidth(), 1);
}

}  // namespace
}  // namespace zov
