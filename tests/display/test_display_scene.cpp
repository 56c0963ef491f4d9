// The composition of the whole picture and the Cook-mode comparison families,
// checked through the recording surface.
#include "curve_text_builder.h"
#include "display/collecting_label_sink.h"
#include "display/comparison_sets.h"
#include "display/plot_colours.h"
#include "display/recording_surface.h"
#include "display/scales.h"
#include "display/scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace zov {
namespace {

using testing::series;

// A fake slot reader: fills the slot with a small family named by its path,
// and counts its calls. Paths containing "missing" fail like an unreadable
// file (the slot is left not loaded).
struct FakeReader {
    int calls = 0;
    void operator()(CurveSet& slot)
    {
        ++calls;
        if (slot.FileName.contains(QLatin1String("missing"))) {
            slot.Loaded = false;
            return;
        }
        if (slot.FileName.contains(QLatin1String("throws")))
            throw std::runtime_error("bad file");
        slot.Series = {series(-1.0F, 0.0F, {{20, 0.001F}, {40, 0.002F}}),
                       series(-2.0F, 0.0F, {{40, 0.001F}, {60, 0.002F}}),
                       series(-3.0F, 0.0F, {{60, 0.001F}, {80, 0.002F}})};
        slot.Vg1Spacing = 1.0F;
        slot.Loaded = true;
    }
};

Workspace cookWorkspace()
{
    Workspace ws;
    ws.ModeName = QStringLiteral("Cook");
    updateScales(ws, "20", "1");
    for (auto& sel : ws.SeriesSelections) {
        sel.Vg1List = "-1,-3,";
        sel.Vg2List = "0,";
    }
    return ws;
}

ComparisonOptions ticked(CookOption option, std::initializer_list<int> slotList)
{
    ComparisonOptions o;
    o.option = option;
    for (int i : slotList) {
        o.imports[static_cast<std::size_t>(i)].ticked = true;
        o.imports[static_cast<std::size_t>(i)].path = QStringLiteral("/data/slot%1.tdf").arg(i);
    }
    return o;
}

std::vector<std::string> tagsInColour(const RecordingSurface& s, Colour c)
{
    std::vector<std::string> out;
    for (const auto& t : s.texts()) {
        if (t.colour == c)
            out.push_back(t.text);
    }
    return out;
}

TEST(DrawComparisonSets, NothingInCaptureMode)
{
    Workspace ws = cookWorkspace();
    ws.ModeName = QStringLiteral("Capture");
    RecordingSurface s;
    FakeReader reader;
    DiffColourSequence colours;
    const auto r = DrawComparisonSets(s, ws, ticked(CookOption::Match, {0, 1}), std::ref(reader), colours);
    EXPECT_TRUE(s.primitives().empty());
    EXPECT_EQ(reader.calls, 0);
    EXPECT_FALSE(r.vinText);
}

TEST(DrawComparisonSets, MatchDrawsSelectedSeriesOfTickedSlotsInTheirColours)
{
    Workspace ws = cookWorkspace();
    RecordingSurface s;
    FakeReader reader;
    DiffColourSequence colours;
    const auto options = ticked(CookOption::Match, {0, 2, 4});
    const auto r = DrawComparisonSets(s, ws, options, std::ref(reader), colours);
    EXPECT_EQ(reader.calls, 3);
    ASSERT_TRUE(r.vinText);
    EXPECT_EQ(*r.vinText, " 2");  // 2 x spacing 1, leading blank
    for (int slot : {0, 2, 4}) {
        EXPECT_EQ(tagsInColour(s, kSlotColours[static_cast<std::size_t>(slot)]),
                  (std::vector<std::string>{"-1.", "-3."}))
            << slot;
        EXPECT_EQ(ws.CurveSets[static_cast<std::size_t>(slot)].FileName, options.imports[static_cast<std::size_t>(slot)].path);
    }
    EXPECT_TRUE(tagsInColour(s, kSlotColours[1]).empty());
    for (const auto& l : s.lines()) {
        EXPECT_EQ(l.penWidth, kSlotCurveWidth);
        EXPECT_EQ(l.drawMode, kDrawModeCopy);
    }

    // Loaded slots with unchanged paths are not read again; a changed path is.
    RecordingSurface again;
    auto changed = options;
    changed.imports[2].path = QStringLiteral("/data/other.tdf");
    DrawComparisonSets(again, ws, changed, std::ref(reader), colours);
    EXPECT_EQ(reader.calls, 4);
    EXPECT_EQ(ws.CurveSets[2].FileName, QStringLiteral("/data/other.tdf"));
}

TEST(DrawComparisonSets, SeOrPpDrawOnlySlotZero)
{
    for (CookOption option : {CookOption::SE, CookOption::PP}) {
        Workspace ws = cookWorkspace();
        RecordingSurface s;
        FakeReader reader;
        DiffColourSequence colours;
        DrawComparisonSets(s, ws, ticked(option, {0, 1, 2}), std::ref(reader), colours);
        EXPECT_EQ(reader.calls, 1);
        EXPECT_EQ(tagsInColour(s, kSlotColours[0]).size(), 2U);
        EXPECT_TRUE(tagsInColour(s, kSlotColours[1]).empty());
    }
}

TEST(DrawComparisonSets, SelectionListsStopAtTheFirstEmptyField)
{
    Workspace ws = cookWorkspace();
    ws.SeriesSelections[0].Vg1List = "-2,,-3,";
    RecordingSurface s;
    FakeReader reader;
    DiffColourSequence colours;
    DrawComparisonSets(s, ws, ticked(CookOption::Match, {0, 1}), std::ref(reader), colours);
    EXPECT_EQ(tagsInColour(s, kSlotColours[0]), (std::vector<std::string>{"-2."}));
    ws.SeriesSelections[1].Vg1List.clear();  // nothing selected: nothing drawn
    RecordingSurface s2;
    DrawComparisonSets(s2, ws, ticked(CookOption::Match, {1}), std::ref(reader), colours);
    EXPECT_TRUE(s2.primitives().empty());
}

TEST(DrawComparisonSets, UnreadableSlotIsSkippedAndTheOthersAreDrawn)
{
    Workspace ws = cookWorkspace();
    // Slot 1 holds an old family; its new file cannot be read.
    FakeReader reader;
    ws.CurveSets[1].FileName = QStringLiteral("/data/old.tdf");
    reader(ws.CurveSets[1]);
    auto options = ticked(CookOption::Match, {0, 1, 3});
    options.imports[1].path = QStringLiteral("/data/missing.tdf");
    options.imports[3].path = QStringLiteral("/data/throws.tdf");
    RecordingSurface s;
    DiffColourSequence colours;
    DrawComparisonSets(s, ws, options, std::ref(reader), colours);
    EXPECT_EQ(tagsInColour(s, kSlotColours[0]).size(), 2U);
    EXPECT_TRUE(tagsInColour(s, kSlotColours[1]).empty());  // not the stale family
    EXPECT_TRUE(tagsInColour(s, kSlotColours[3]).empty());
    EXPECT_FALSE(ws.CurveSets[1].Loaded);
    EXPECT_FALSE(ws.CurveSets[3].Loaded);
}

TEST(DrawComparisonSets, DiffDrawsEachPairOncePerGridTwoSeriesInTheNextColour)
{
    Workspace ws = cookWorkspace();
    ws.DiffOffsetMa = 4.0F;
    // Slot 1 holds three series at -1 V (three grid-2 voltages); pairs are
    // taken by position.
    const auto reader = [](CurveSet& slot) {
        if (slot.FileName.endsWith(QLatin1String("slot0.tdf"))) {
            slot.Series = {series(-1.0F, 100.0F, {{20, 0.003F}, {40, 0.005F}}),
                           series(-1.0F, 200.0F, {{20, 0.004F}}),
                           series(-1.0F, 300.0F, {{20, 0.006F}})};
        } else {
            slot.Series = {series(-1.0F, 100.0F, {{20, 0.001F}, {40, 0.002F}, {60, 0.004F}}),
                           series(-1.0F, 200.0F, {{20, 0.001F}}),
                           series(-1.0F, 300.0F, {{20, 0.001F}})};
        }
        slot.Loaded = true;
    };
    ws.SeriesSelections[1].Vg1List = "-1,";
    ws.SeriesSelections[1].Vg2List = "100,";
    RecordingSurface s;
    DiffColourSequence colours;
    DrawComparisonSets(s, ws, ticked(CookOption::Diff, {0, 1}), reader, colours);
    const auto texts = s.texts();
    ASSERT_EQ(texts.size(), 3U);
    EXPECT_EQ(texts[0].colour, 40000U);
    EXPECT_EQ(texts[1].colour, 60000U);
    EXPECT_EQ(texts[2].colour, 80000U);
    EXPECT_EQ(texts[0].text, "-1.[100]");  // tag of slot 0's series
    // Difference 3 mA - 1 mA + 4 mA offset = 6 mA at 20 V, then 5 - 2 + 4 = 7
    // mA at 40 V; the third point exists only in b and is not drawn.
    const auto lines = s.lines();
    ASSERT_GE(lines.size(), 2U);
    EXPECT_NEAR(lines[0].y1, 65536.0 - 6.0 * 8192.0, 0.5);
    EXPECT_NEAR(lines[1].y2, 65536.0 - 7.0 * 8192.0, 0.5);
    EXPECT_NEAR(lines[1].x2, 40.0 * 409.6, 0.01);
    // Slot 0 itself is not drawn in Diff mode.
    EXPECT_TRUE(tagsInColour(s, kSlotColours[0]).empty());
}

TEST(PlotDifference, PointsBeyondTheShorterArrayKeepA)
{
    Workspace ws = cookWorkspace();
    ws.DiffOffsetMa = 0.0F;
    const Series a = series(-2.0F, 0.0F, {{20, 0.003F}, {40, 0.004F}, {60, 0.005F}});
    const Series b = series(-2.0F, 0.0F, {{20, 0.001F}});
    RecordingSurface s;
    DiffColourSequence colours;
    PlotDifference(s, ws, colours, a.Points, b.Points);
    const auto lines = s.lines();
    ASSERT_EQ(lines.size(), 3U);
    EXPECT_NEAR(lines[0].y1, 65536.0 - 2.0 * 8192.0, 0.5);
    EXPECT_NEAR(lines[2].y2, 65536.0 - 5.0 * 8192.0, 0.5);
    EXPECT_EQ(lines[0].colour, 40000U);
}

// ---- composeScene ------------------------------------------------------------------

std::size_t firstIndexOf(const RecordingSurface& s, Colour c)
{
    const auto& all = s.primitives();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].colour == c && all[i].kind == RecordedPrimitive::Kind::Line)
            return i;
    }
    return all.size();
}

TEST(ComposeScene, CaptureModeOrderColoursAndWidths)
{
    Workspace ws;
    ws.CurveText = testing::familyText(3, 8, 300.0, 0.006);
    ws.BackgroundText = testing::familyText(2, 8, 250.0, 0.004);
    ws.MarkerY = 100.0F;
    ws.UpUa = 3.0F;
    ws.DiffOffsetMa = 4.0F;  // left over from Diff mode before a mode change
    SceneOptions options;
    options.voltsPerDivText = "50";
    options.maPerDivText = "1";
    options.powerText = "2";
    RecordingSurface s;
    s.setPenWidth(5);
    CollectingLabelSink labels;
    composeScene(s, ws, options, labels);

    EXPECT_EQ(s.clearCount(), 1);
    EXPECT_EQ(ws.VoltsPerDiv, 50.0F);
    EXPECT_EQ(ws.MarkerY, 65536.0F);
    EXPECT_EQ(ws.UpUa, 0.0F);
    EXPECT_EQ(ws.DiffOffsetMa, 0.0F);
    const std::size_t bg = firstIndexOf(s, kBackgroundCurveColour);
    const std::size_t fg = firstIndexOf(s, kCurrentCurveColour);
    const std::size_t red = firstIndexOf(s, kPowerLimitColour);
    const std::size_t grid = firstIndexOf(s, kGridColour);
    EXPECT_LT(bg, fg);
    EXPECT_LT(fg, red);
    EXPECT_LT(red, grid);
    EXPECT_LT(grid, s.primitives().size());
    for (const auto& p : s.primitives()) {
        if (p.kind != RecordedPrimitive::Kind::Line)
            continue;
        if (p.colour == kCurrentCurveColour)
            EXPECT_EQ(p.penWidth, 2);
        else
            EXPECT_EQ(p.penWidth, 1);
    }
    EXPECT_EQ(s.penWidth(), 1);
    EXPECT_EQ(labels.placements().size(), 9U);
    EXPECT_EQ(labels.placements()[8].captionU, "400.0");
}

TEST(ComposeScene, CookDiffModeHasOffsetNoHyperbolaAndRunsHooksInOrder)
{
    Workspace ws = cookWorkspace();
    ws.CurveText = testing::familyText(2, 4, 100.0, 0.002);  // not drawn in Cook mode
    FakeReader reader;
    DiffColourSequence colours;
    SceneOptions options;
    options.voltsPerDivText = "50";
    options.maPerDivText = "2";
    options.comparison = ticked(CookOption::Diff, {0, 1});
    options.readSlot = std::ref(reader);
    options.diffColours = &colours;
    std::vector<std::string> order;
    RecordingSurface s;
    options.beforeComparisonSets = [&](Surface&) {
        order.push_back("before:" + std::to_string(s.lines().size()));
    };
    options.afterComparisonSets = [&](Surface&) { order.push_back("after"); };
    CollectingLabelSink labels;
    const SceneResult r = composeScene(s, ws, options, labels);

    EXPECT_EQ(ws.DiffOffsetMa, 8.0F);
    EXPECT_EQ(firstIndexOf(s, kPowerLimitColour), s.primitives().size());
    EXPECT_EQ(firstIndexOf(s, kCurrentCurveColour), s.primitives().size());
    ASSERT_EQ(order.size(), 2U);
    EXPECT_EQ(order[0], "before:16");  // after the grid, before the families
    EXPECT_EQ(order[1], "after");
    EXPECT_EQ(reader.calls, 2);
    ASSERT_TRUE(r.vinText);
    EXPECT_EQ(*r.vinText, " 2");
    EXPECT_EQ(labels.latest(AxisLabelPair::Grid, 4)->captionI, "0.0");
    // Difference curves lie over the grid.
    EXPECT_GT(s.lines().size(), 16U);
    EXPECT_EQ(s.lines().back().colour % 20000U, 0U);
}

TEST(ComposeScene, UseAsBackgroundMovesTheCapture)
{
    Workspace ws;
    ws.CurveText = testing::familyText(1, 4, 100.0, 0.002);
    ws.BackgroundText = "old";
    const std::string captured = ws.CurveText;
    useCurveTextAsBackground(ws);
    EXPECT_EQ(ws.BackgroundText, captured);
    EXPECT_TRUE(ws.CurveText.empty());

    RecordingSurface s;
    CollectingLabelSink labels;
    composeScene(s, ws, SceneOptions{}, labels);
    EXPECT_LT(firstIndexOf(s, kBackgroundCurveColour), s.primitives().size());
    EXPECT_EQ(firstIndexOf(s, kCurrentCurveColour), s.primitives().size());
}

}  // namespace
}  // namespace zov
