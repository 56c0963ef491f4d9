// Drawing routines and the composition of the whole picture, checked through
// the recording surface: positions in plot units, texts, colours and
// attributes, without pixels or fonts.
#include "display_fixtures.h"
#include "plot/collecting_label_sink.h"
#include "render/comparison_sets.h"
#include "render/curve_drawing.h"
#include "render/diff_colour_sequence.h"
#include "render/grid_drawing.h"
#include "render/plot_colours.h"
#include "plot/scale_selectors.h"
#include "render/scene.h"

#include <stdexcept>
#include <tuple>

namespace zov {
namespace {

using namespace zov::testing;
constexpr double kTol = 1e-3;

void expectAt(const RecordedPrimitive& p, double x, double y, const char* what = "")
{
    EXPECT_NEAR(p.x1, x, kTol) << what << " " << p.text;
    EXPECT_NEAR(p.y1, y, kTol) << what << " " << p.text;
}

// Lines [from, to) form one unbroken polyline.
void expectChained(const std::vector<RecordedPrimitive>& lines, std::size_t from, std::size_t to, const char* what)
{
    for (std::size_t i = from + 1; i < std::min(to, lines.size()); ++i) {
        EXPECT_NEAR(lines[i].x1, lines[i - 1].x2, kTol) << what << " segment " << i;
        EXPECT_NEAR(lines[i].y1, lines[i - 1].y2, kTol) << what << " segment " << i;
    }
}

TEST(Scales, ConversionsRoundTrip)
{
    EXPECT_FLOAT_EQ(UaToX(workspaceAt("20", "1"), 160.0F), 65536.0F);
    EXPECT_FLOAT_EQ(IaToY(workspaceAt("20", "1"), 8.0F), 0.0F);
    for (const auto& [v, m] : {std::pair{"5", "0.2"}, {"7", "50"}, {"100", "2"}}) {
        const Workspace w = workspaceAt(v, m);
        EXPECT_EQ(IaToY(w, 0.0F), 65536.0F);
        for (float u : {0.0F, 1.5F, 333.3F})
            EXPECT_NEAR(XToUa(w, UaToX(w, u)), u, u * 1e-6F);
        for (float i : {0.1F, 120.0F})
            EXPECT_NEAR(YToIa(w, IaToY(w, i)), i, 1e-3F);
    }
}

TEST(DrawCurveText, CurvesAreLabelledAtTheirEndsZeroPointsSkippedAndAnEmptyLineEnds)
{
    RecordingSurface s;  // 20 V/div, 1 mA/div: 409.6 units/V, 8192 units/mA
    s.setColour(kCurrentCurveColour);
    s.setPenWidth(2);
    DrawCurveText(s, workspaceAt("20", "1"),
                  "  " + curveText({{0, 0}, {20, 0.001}, {40, 0.002}, {0, 0}, {60, 0.003}}, "-2")
                      + curveText({{20, 0.0005}, {60, 0.001}}, "-1.5") + "\r\n" + curveText({{80, 0.004}}, "-3"));
    const auto texts = s.texts();  // "0" below the plot (no previous curve), then each curve's end
    const std::vector<std::tuple<std::string, double, double>> labels = {
        {"0", 0.0, 65536.0}, {"-2", 24576.0, 40960.0}, {"-1.5", 24576.0, 57344.0}};
    ASSERT_EQ(texts.size(), labels.size());  // nothing after the empty line
    for (std::size_t i = 0; i < labels.size(); ++i) {
        EXPECT_EQ(texts[i].text, std::get<0>(labels[i]));
        expectAt(texts[i], std::get<1>(labels[i]), std::get<2>(labels[i]));
        EXPECT_EQ(texts[i].colour, kCurrentCurveColour);
    }

    const auto lines = s.lines();
    ASSERT_EQ(lines.size(), 5U);  // each curve: its first point as a dot, then segments
    expectAt(lines[0], 8192.0, 57344.0);
    EXPECT_NEAR(lines[0].x2, 8192.0, kTol);
    expectChained(lines, 0, 3, "(0, 0) inside the curve");
    EXPECT_NEAR(lines[2].x2, 24576.0, kTol);
    expectAt(lines[3], 8192.0, 61440.0);  // the second curve is not joined to the first
    EXPECT_NEAR(lines[3].y2, 61440.0, kTol);
    for (const auto& l : lines) {
        EXPECT_EQ(l.penWidth, 2);
        EXPECT_EQ(l.colour, kCurrentCurveColour);
    }
}

TEST(DrawCurveText, LfAndCrLineEndsDrawLikeCrLf)
{
    // A background loaded from a file edited on Linux has LF line ends, one
    // from an older system CR alone.
    std::string crlf = curveText({{20, 0.001}, {40, 0.002}}, "-2") + curveText({{20, 0.0005}, {60, 0.001}}, "-4");
    std::string lf;
    std::string cr;
    for (char c : crlf) {
        if (c != '\r')
            lf += c;
        if (c != '\n')
            cr += c;
    }
    RecordingSurface a;
    DrawCurveText(a, workspaceAt("20", "1"), crlf);
    for (const std::string& text : {lf, cr}) {
        RecordingSurface b;
        DrawCurveText(b, workspaceAt("20", "1"), text);
        ASSERT_EQ(b.lines().size(), 4U);
        ASSERT_EQ(b.texts().size(), a.texts().size());
        for (std::size_t i = 0; i < a.texts().size(); ++i)
            EXPECT_EQ(b.texts()[i].text, a.texts()[i].text);
        for (std::size_t i = 0; i < a.lines().size(); ++i)
            EXPECT_NEAR(b.lines()[i].x2, a.lines()[i].x2, kTol);
    }
}

TEST(DrawCurveText, CurveLeavingThePlotIsLabelledOnceWhereItLeaves)
{
    const struct {
        const char* name;
        std::vector<std::pair<double, double>> uaIa;  // V, A
        double labelX, labelY;
    } cases[] = {
        {"right", {{100, 0.001}, {150, 0.001}, {170, 0.001}, {180, 0.0012}}, 63000.0, 57344.0 + 1500.0},  // x > 64000
        {"top", {{20, 0.004}, {40, 0.009}, {60, 0.012}}, 16384.0, 100.0},  // 9 mA: y = -8192
        {"top first", {{150, 0.0095}, {170, 0.010}}, 61440.0, 100.0},  // the first exit wins
    };
    for (const auto& c : cases) {
        RecordingSurface s;
        DrawCurveText(s, workspaceAt("20", "1"), curveText(c.uaIa, "-2.5"));
        const auto texts = s.texts();
        ASSERT_EQ(texts.size(), 2U) << c.name;  // "0" first, then the one label
        EXPECT_EQ(texts[1].text, "-2.5") << c.name;
        expectAt(texts[1], c.labelX, c.labelY, c.name);
        expectChained(s.lines(), 0, s.lines().size(), c.name);  // the label does not break the polyline
    }
}

TEST(PlotSeries, TagTextsPositionsAndAttributes)
{
    const struct {
        float vg1, vg2;
        const char* tag;
    } tags[] = {{-2.5F, 250.0F, "-2.5[250]"}, {-2.0F, 0.0F, "-2."},       {0.0F, 0.0F, "0."},
                {-10.25F, 100.4F, "-10.3[100]"}, {-1.0F, -5.0F, "-1."}};  // grid-2 part only when positive
    for (const auto& t : tags)
        EXPECT_EQ(seriesTag(t.vg1, t.vg2), t.tag);
    const struct {
        const char* name;
        std::vector<std::pair<float, float>> uaIa;
        double tagX, tagY;
    } cases[] = {
        {"right", {{100, 0.001F}, {150, 0.002F}, {160, 0.003F}}, 60000.0, 49152.0 + 500.0},  // 61440 > 60000
        {"top", {{50, 0.004F}, {75, 0.009F}}, 30720.0, 100.0},
        {"inside", {{20, 0.001F}, {0, 0}, {40, 0.002F}}, 16384.0, 49152.0},
        {"all empty", {{0, 0}, {0, 0}}, 0.0, 65536.0},
    };
    for (const auto& c : cases) {
        RecordingSurface s;
        s.setColour(rgb(9, 9, 9));
        PlotSeries(s, workspaceAt("20", "1"), rgb(192, 64, 0), 7.0F, 0.0F, 2.0F,
                   series(-2.5F, 250.0F, c.uaIa).Points, true);
        const auto texts = s.texts();
        ASSERT_EQ(texts.size(), 1U) << c.name;
        EXPECT_EQ(texts[0].text, "-2.5[250]") << c.name;
        expectAt(texts[0], c.tagX, c.tagY, c.name);
        EXPECT_EQ(texts[0].colour, rgb(192, 64, 0)) << c.name;
        for (const auto& l : s.lines()) {
            EXPECT_EQ(l.penWidth, 2) << c.name;
            EXPECT_EQ(l.colour, rgb(192, 64, 0)) << c.name;
            EXPECT_EQ(l.drawMode, kDrawModeXor) << c.name;
        }
        expectChained(s.lines(), 0, s.lines().size(), c.name);
        EXPECT_EQ(s.colour(), rgb(9, 9, 9)) << c.name;
        EXPECT_EQ(s.penWidth(), 1) << c.name;
        EXPECT_EQ(s.drawMode(), kDrawModeCopy) << c.name;
    }
    RecordingSurface s;  // no tag without showLabel
    PlotSeries(s, workspaceAt("20", "1"), 255, 13.0F, 0.0F, 2.0F, series(-1.0F, 0.0F, {{20, 0.001F}}).Points, false);
    EXPECT_TRUE(s.texts().empty());
}

TEST(DrawPowerLimit, EntersAtTheTopEdgeFollowsTheHyperbolaOrDrawsNothing)
{
    // 1000 W: k = 1000 / 8 * 409.6 = 51200 > 6500; 2 W at 20 V/div stays above the top.
    for (float pdW : {1000.0F, 2.0F}) {
        RecordingSurface s;
        s.setCurrentPos(5.0, 6.0);
        DrawPowerLimit(s, workspaceAt("20", "1"), pdW);
        EXPECT_TRUE(s.primitives().empty()) << pdW;
        EXPECT_TRUE(pdW < 100.0F || s.currentX() == 5.0);  // k > 6500: not even the pen moves
    }
    const Workspace ws = workspaceAt("50", "1");
    RecordingSurface s;
    s.setColour(rgb(1, 1, 1));
    DrawPowerLimit(s, ws, 2.0F);
    const auto lines = s.lines();
    ASSERT_FALSE(lines.empty());
    expectAt(lines[0], 40960.0, 0.0);  // 250 V at 50 V/div
    EXPECT_NEAR(lines.back().x2, 65521.0, kTol);
    for (const auto& l : lines) {
        EXPECT_EQ(l.colour, kPowerLimitColour);
        const double ua = l.x2 / ws.ScopeUnitsPerVolt;  // every sample lies on Ua * Ia = 2 W
        EXPECT_NEAR(ua * (65536.0 - l.y2) / ws.ScopeUnitsPerMa / 1000.0, 2.0, 1e-4);
    }
    EXPECT_EQ(s.colour(), rgb(1, 1, 1));

    RecordingSurface zero;  // 0 W runs down the left edge, then along the bottom
    DrawPowerLimit(zero, workspaceAt("20", "1"), 0.0F);
    const auto z = zero.lines();
    ASSERT_EQ(z.size(), 3277U);
    expectAt(z[0], 0.0, 0.0);
    EXPECT_NEAR(z[0].x2, 1.0, kTol);
    for (const auto& l : z)
        EXPECT_NEAR(l.y2, 65536.0, kTol);
}

TEST(DiffColourSequence, StepsByHalfTheSeedAndRestartsPastTwoToTheTwentyFourth)
{
    DiffColourSequence seq;
    for (int round = 0; round < 2; ++round) {  // 40000, 60000, ... 16760000 (call 838), then again
        for (std::int32_t expected = 40000; expected <= 16760000; expected += 20000)
            ASSERT_EQ(seq.NextDiffColor(40000), expected) << "round " << round;
    }
    EXPECT_EQ(seq.NextDiffColor(40000), 40000);
    EXPECT_EQ(seq.NextDiffColor(0), 0);  // seed 0 restarts
    EXPECT_EQ(seq.NextDiffColor(40000), 40000);
    EXPECT_EQ(seq.NextDiffColor(40000), 60000);
}

TEST(DrawGrid, LinesAndAxisLabelsAlsoInDiffMode)
{
    Workspace ws = workspaceAt("20", "1");
    RecordingSurface s;
    s.setColour(rgb(7, 7, 7));
    CollectingLabelSink labels;
    DrawGrid(s, ws, labels, ws.MaPerDiv, ws.VoltsPerDiv);
    const auto lines = s.lines();
    ASSERT_EQ(lines.size(), 16U);
    for (std::size_t i = 0; i < 8; ++i) {  // horizontal then vertical, none at 0
        const double at = (i + 1) * 8192.0;
        expectAt(lines[i], 0.0, at);
        EXPECT_NEAR(lines[i].y2, at, kTol);
        EXPECT_NEAR(lines[i].x2, 65536.0, kTol);
        expectAt(lines[i + 8], at, 0.0);
        EXPECT_NEAR(lines[i + 8].y2, 65536.0, kTol);
        EXPECT_EQ(lines[i].colour, kGridColour);
    }
    EXPECT_EQ(s.colour(), rgb(7, 7, 7));
    EXPECT_EQ(labels.placements().size(), 9U);

    // Diff mode: currents run from -4 to +4 divisions, placed where drawn.
    ws = workspaceAt("50", "2");
    ws.DiffOffsetMa = 4.0F * ws.MaPerDiv;
    labels.reset();
    DrawGrid(s, ws, labels, ws.MaPerDiv, ws.VoltsPerDiv);
    const char* expected[] = {"-8.0", "-6.0", "-4.0", "-2.0", "0.0", "2.0", "4.0", "6.0", "8.0"};
    for (int i = 0; i <= 8; ++i) {
        const auto p = labels.latest(AxisLabelPair::Grid, i);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->captionI, expected[i]);
        EXPECT_EQ(p->captionU, formatPattern(50 * i, "##0.0"));
        EXPECT_NEAR(p->xUnits, i * 8192.0, 0.01);
        EXPECT_NEAR(p->yUnits, 65536.0 - i * 8192.0, 0.01);
        EXPECT_EQ(p->colour, kGridColour);
    }
}

TEST(AutoScale, Cases)
{
    const struct {
        float iaMaxA, uaMaxV;
        const char *ma, *volts;
    } cases[] = {
        {0.05F, 300.0F, "5", "40"},    // 50 \ 7 = 7 -> 5; 300 \ 7 = 42 -> 40
        {0.0031F, 300.0F, "1", "40"},  // 3 \ 7 = 0 -> at least 1
        {0.1F, 34.0F, "10", "4"},      // 100 \ 7 = 14 -> 10; 34 \ 7 = 4 (not rounded)
        {0.035F, 41.0F, "5", "5"},     {0.2F, 6.5F, "25", "0"},  // 6.5 rounds to 6 (half to even)
        {0.0F, 6.4F, "1", "0"},        {0.0F, 7.0F, "1", "1"},   {0.002F, -100.0F, "1", "0"},  // never negative
    };
    for (const auto& c : cases) {
        CurveSet set;
        set.FileName = QStringLiteral("/tmp/x.tdf");
        set.IaMax = c.iaMaxA;
        set.UaMax = c.uaMaxV;
        const auto texts = autoScale(set);
        ASSERT_TRUE(texts);
        EXPECT_EQ(texts->maPerDivText, c.ma) << c.iaMaxA;
        EXPECT_EQ(texts->voltsPerDivText, c.volts) << c.uaMaxV;
    }
    EXPECT_FALSE(autoScale(CurveSet{}));  // no file in slot 0: no automatic scale
}

ComparisonOptions ticked(CookOption option, std::initializer_list<int> slotList)
{
    ComparisonOptions o;
    o.option = option;
    for (int i : slotList)
        o.imports[static_cast<std::size_t>(i)] = {true, QStringLiteral("/data/slot%1.tdf").arg(i)};
    return o;
}

// A Cook-mode workspace selecting -1 and -3 V in every slot, with what one
// comparison drawing needs.
struct Cook {
    Workspace ws = [] {
        Workspace w = workspaceAt("20", "1");
        w.ModeName = WorkMode::Cook;
        for (auto& sel : w.SeriesSelections)
            sel = {"-1,-3,", "0,"};
        return w;
    }();
    RecordingSurface s;
    DiffColourSequence colours;
    int reads = 0;
    // Fills a slot with three series (-1, -2, -3 V). Paths containing
    // "missing" leave the slot not loaded, "throws" throws.
    SlotReader reader = [this](CurveSet& slot) {
        ++reads;
        if (slot.FileName.contains(QLatin1String("throws")))
            throw std::runtime_error("bad file");
        slot.Series = {series(-1.0F, 0.0F, {{20, 0.001F}, {40, 0.002F}}), series(-2.0F, 0.0F, {{40, 0.001F}}),
                       series(-3.0F, 0.0F, {{60, 0.001F}, {80, 0.002F}})};
        slot.Vg1Spacing = 1.0F;
        slot.Loaded = !slot.FileName.contains(QLatin1String("missing"));
    };

    // As the window does: the slots are brought up to date in Cook mode, then drawn.
    ComparisonResult draw(const ComparisonOptions& o, const SlotReader& read)
    {
        if (ws.ModeName == WorkMode::Cook)
            loadComparisonSlots(ws, o, read);
        return DrawComparisonSets(s, ws, ws, ws.ModeName, o, colours);
    }
    ComparisonResult draw(const ComparisonOptions& o) { return draw(o, reader); }
    std::vector<std::string> tags(std::size_t slot) const
    {
        std::vector<std::string> out;
        for (const auto& t : s.texts())
            if (t.colour == kSlotColours[slot])
                out.push_back(t.text);
        return out;
    }
};

TEST(DrawComparisonSets, MatchDrawsSelectedSeriesOfReadableTickedSlotsInTheirColours)
{
    Cook c;
    c.ws.SeriesSelections[4].Vg1List = "-2,,-3,";  // the list stops at its first empty field
    c.ws.CurveSets[1].FileName = QStringLiteral("/data/old.tdf");  // an old family in slot 1
    c.reader(c.ws.CurveSets[1]);
    auto options = ticked(CookOption::Match, {0, 1, 2, 3, 4});
    options.imports[1].path = QStringLiteral("/data/missing.tdf");  // unreadable slots are skipped
    options.imports[3].path = QStringLiteral("/data/throws.tdf");
    const auto r = c.draw(options);
    EXPECT_EQ(c.reads, 6);
    EXPECT_EQ(r.vinText.value_or("none"), " 2");  // 2 x spacing 1, leading blank
    for (std::size_t slot : {0U, 2U})
        EXPECT_EQ(c.tags(slot), (std::vector<std::string>{"-1.", "-3."})) << slot;
    EXPECT_EQ(c.tags(4), (std::vector<std::string>{"-2."}));
    EXPECT_TRUE(c.tags(1).empty());  // neither the new series nor the old family
    EXPECT_TRUE(c.tags(3).empty());
    EXPECT_FALSE(c.ws.CurveSets[1].Loaded);
    EXPECT_FALSE(c.ws.CurveSets[3].Loaded);
    for (const auto& l : c.s.lines())
        EXPECT_EQ(l.penWidth, kSlotCurveWidth);
    // Loaded slots with unchanged paths are not read again; a changed path is.
    auto changed = options;
    changed.imports[2].path = QStringLiteral("/data/other.tdf");
    c.draw(changed);
    EXPECT_EQ(c.reads, 9);  // 2, and the two unreadable ones again
    EXPECT_EQ(c.ws.CurveSets[2].FileName, QStringLiteral("/data/other.tdf"));
}

TEST(DrawComparisonSets, SeOrPpDrawOnlySlotZeroAndCaptureModeNothing)
{
    for (CookOption option : {CookOption::SE, CookOption::PP, CookOption::Match}) {
        Cook c;
        const bool capture = option == CookOption::Match;
        c.ws.ModeName = capture ? WorkMode::Capture : WorkMode::Cook;
        const auto r = c.draw(ticked(option, {0, 1, 2}));
        EXPECT_EQ(c.reads, capture ? 0 : 1);
        EXPECT_EQ(c.s.texts().size(), c.tags(0).size());  // slot 0 only
        EXPECT_EQ(c.s.primitives().empty(), capture);
        EXPECT_EQ(r.vinText.has_value(), !capture);
    }
}

TEST(DrawComparisonSets, DiffDrawsEachPairOncePerGridTwoSeriesInTheNextColour)
{
    Cook c;
    c.ws.DiffOffsetMa = 4.0F;
    c.ws.SeriesSelections[1] = {"-1,", "100,"};
    // Three series at -1 V (three grid-2 voltages) per slot; pairs go by position.
    const auto reader = [](CurveSet& slot) {
        const bool a = slot.FileName.endsWith(QLatin1String("slot0.tdf"));
        slot.Series = {a ? series(-1.0F, 100.0F, {{20, 0.003F}, {40, 0.005F}})
                         : series(-1.0F, 100.0F, {{20, 0.001F}, {40, 0.002F}, {60, 0.004F}}),
                       series(-1.0F, 200.0F, {{20, 0.001F}}), series(-1.0F, 300.0F, {{20, 0.001F}})};
        slot.Loaded = true;
    };
    c.draw(ticked(CookOption::Diff, {0, 1}), reader);
    const auto texts = c.s.texts();
    ASSERT_EQ(texts.size(), 3U);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(texts[i].colour, 40000U + 20000U * i);
    EXPECT_EQ(texts[0].text, "-1.[100]");  // tag of slot 0's series
    // 3 - 1 + 4 mA offset = 6 mA at 20 V, then 5 - 2 + 4 = 7 mA at 40 V; the
    // third point exists only in b and is not drawn.
    const auto lines = c.s.lines();
    ASSERT_GE(lines.size(), 2U);
    EXPECT_NEAR(lines[0].y1, 65536.0 - 6.0 * 8192.0, 0.5);
    EXPECT_NEAR(lines[1].y2, 65536.0 - 7.0 * 8192.0, 0.5);
    EXPECT_NEAR(lines[1].x2, 40.0 * 409.6, 0.01);

    // Points beyond the shorter array keep a's values.
    RecordingSurface s;
    c.ws.DiffOffsetMa = 0.0F;
    c.colours = {};
    PlotDifference(s, c.ws, c.colours, series(-2.0F, 0.0F, {{20, 0.003F}, {40, 0.004F}, {60, 0.005F}}).Points,
                   series(-2.0F, 0.0F, {{20, 0.001F}}).Points);
    ASSERT_EQ(s.lines().size(), 3U);
    EXPECT_NEAR(s.lines()[0].y1, 65536.0 - 2.0 * 8192.0, 0.5);
    EXPECT_NEAR(s.lines()[2].y2, 65536.0 - 5.0 * 8192.0, 0.5);
    EXPECT_EQ(s.lines()[0].colour, 40000U);
}

// Index of the first line in colour c, or the primitive count when none.
std::size_t firstLineIn(const RecordingSurface& s, Colour c)
{
    const auto& all = s.primitives();
    std::size_t i = 0;
    while (i < all.size() && !(all[i].colour == c && all[i].kind == RecordedPrimitive::Kind::Line))
        ++i;
    return i;
}

TEST(ComposeScene, CaptureModeOrderColoursAndWidths)
{
    Workspace ws;
    ws.CurveText = familyText(3, 8, 300.0, 0.006);
    ws.BackgroundText = familyText(2, 8, 250.0, 0.004);
    ws.MarkerY = 100.0F;
    ws.UpUa = 3.0F;
    ws.DiffOffsetMa = 4.0F;  // left over from Diff mode before a mode change
    SceneInputs inputs = sceneInputs(ws);
    inputs.voltsPerDivText = "50";
    RecordingSurface s;
    s.setPenWidth(5);
    const SceneOutput out = composeScene(s, inputs);

    EXPECT_EQ(s.clearCount(), 1);
    EXPECT_EQ(out.scales.VoltsPerDiv, 50.0F);
    EXPECT_EQ(out.scales.DiffOffsetMa, 0.0F);
    commitScene(ws, out);
    EXPECT_EQ(ws.VoltsPerDiv, 50.0F);
    EXPECT_EQ(ws.MarkerY, 65536.0F);
    EXPECT_EQ(ws.UpUa, 0.0F);
    EXPECT_EQ(ws.DiffOffsetMa, 0.0F);
    EXPECT_LT(firstLineIn(s, kBackgroundCurveColour), firstLineIn(s, kCurrentCurveColour));  // then limit, grid
    EXPECT_LT(firstLineIn(s, kCurrentCurveColour), firstLineIn(s, kPowerLimitColour));
    EXPECT_LT(firstLineIn(s, kPowerLimitColour), firstLineIn(s, kGridColour));
    EXPECT_LT(firstLineIn(s, kGridColour), s.primitives().size());
    for (const auto& l : s.lines())
        EXPECT_EQ(l.penWidth, l.colour == kCurrentCurveColour ? 2 : 1);
    EXPECT_EQ(s.penWidth(), 1);
    ASSERT_EQ(out.labels.size(), 9U);
    EXPECT_EQ(out.labels[8].captionU, "400.0");
}

TEST(ComposeScene, CookDiffModeHasOffsetNoHyperbolaAndGoesOnWithTheColours)
{
    Cook c;
    c.ws.CurveText = familyText(2, 4, 100.0, 0.002);  // not drawn in Cook mode
    SceneInputs inputs = sceneInputs(c.ws);
    inputs.voltsPerDivText = "50";
    inputs.maPerDivText = "2";
    inputs.comparison = ticked(CookOption::Diff, {0, 1});
    inputs.diffColourCounter = 60000;  // two difference curves drawn before
    loadComparisonSlots(c.ws, inputs.comparison, c.reader);
    const SceneOutput out = composeScene(c.s, inputs);

    EXPECT_EQ(out.scales.DiffOffsetMa, 8.0F);
    EXPECT_EQ(firstLineIn(c.s, kPowerLimitColour), c.s.primitives().size());
    EXPECT_EQ(firstLineIn(c.s, kCurrentCurveColour), c.s.primitives().size());
    EXPECT_EQ(out.vinText.value_or("none"), " 2");
    CollectingLabelSink labels;
    placeLabels(out, labels);
    EXPECT_EQ(labels.latest(AxisLabelPair::Grid, 4)->captionI, "0.0");
    // Two pairs (-1 and -3 V), in the colours after 60000, over the grid.
    EXPECT_EQ(c.s.lines().back().colour, 80000U);
    EXPECT_EQ(out.diffColourCounter, 100000);
}

}  // namespace
}  // namespace zov
