// Drawing routines checked through the recording surface: positions in plot
// units, texts, colours and attributes, without pixels or fonts.
#include "curve_text_builder.h"
#include "display/collecting_label_sink.h"
#include "display/curve_drawing.h"
#include "display/diff_colour_sequence.h"
#include "display/grid_drawing.h"
#include "display/plot_colours.h"
#include "display/recording_surface.h"
#include "display/scale_selectors.h"
#include "display/scales.h"
#include "display/scope_labels.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zov {
namespace {

using testing::tdfLine;
using Kind = RecordedPrimitive::Kind;

constexpr double kTol = 1e-3;

Workspace workspaceAt(const char* voltsPerDiv, const char* maPerDiv)
{
    Workspace ws;
    updateScales(ws, voltsPerDiv, maPerDiv);
    return ws;
}

void expectAt(const RecordedPrimitive& p, double x, double y)
{
    EXPECT_NEAR(p.x1, x, kTol) << p.text;
    EXPECT_NEAR(p.y1, y, kTol) << p.text;
}

// ---- conversions -----------------------------------------------------------

TEST(Scales, TopRightCornerAndRoundTrips)
{
    const Workspace ws = workspaceAt("20", "1");
    EXPECT_FLOAT_EQ(UaToX(ws, 160.0F), 65536.0F);
    EXPECT_FLOAT_EQ(IaToY(ws, 8.0F), 0.0F);
    for (const char* v : {"5", "7", "20", "100"}) {
        for (const char* m : {"0.2", "1", "50"}) {
            const Workspace w = workspaceAt(v, m);
            EXPECT_EQ(UaToX(w, 0.0F), 0.0F);
            EXPECT_EQ(IaToY(w, 0.0F), 65536.0F);
            for (float u : {1.5F, 80.0F, 333.3F})
                EXPECT_NEAR(XToUa(w, UaToX(w, u)), u, u * 1e-6F);
            for (float i : {0.1F, 4.0F, 120.0F})
                EXPECT_NEAR(YToIa(w, IaToY(w, i)), i, 1e-3F);
        }
    }
}

TEST(Scales, NonNumericSelectorKeepsPreviousScale)
{
    Workspace ws = workspaceAt("7", "2");
    updateScales(ws, "abc", "0");
    EXPECT_EQ(ws.VoltsPerDiv, 7.0F);
    EXPECT_EQ(ws.MaPerDiv, 2.0F);
    EXPECT_FLOAT_EQ(ws.ScopeUnitsPerVolt, 8192.0F / 7.0F);
}

// ---- dots ------------------------------------------------------------------

TEST(PutDot, DrawsWithGivenAttributesAndRestoresSurface)
{
    const Workspace ws = workspaceAt("20", "1");
    RecordingSurface s;
    s.setColour(rgb(1, 2, 3));
    s.setDrawMode(kDrawModeCopy);
    s.setPenWidth(2);
    s.setLineStyle(kLineDot);
    PutDotXY(s, rgb(0, 255, 255), 7.0F, 12.5F, 1000.0F, 2000.0F);  // 12.5 -> 12 (half to even)
    PutDotUI(s, ws, rgb(255, 0, 0), 13.0F, 3.5F, 80.0F, 4.0F);      // 3.5 -> 4
    const auto points = s.points();
    ASSERT_EQ(points.size(), 2U);
    expectAt(points[0], 1000.0, 2000.0);
    EXPECT_EQ(points[0].colour, rgb(0, 255, 255));
    EXPECT_EQ(points[0].drawMode, kDrawModeXor);
    EXPECT_EQ(points[0].penWidth, 12);
    expectAt(points[1], 32768.0, 32768.0);
    EXPECT_EQ(points[1].penWidth, 4);
    EXPECT_EQ(s.colour(), rgb(1, 2, 3));
    EXPECT_EQ(s.drawMode(), kDrawModeCopy);
    EXPECT_EQ(s.penWidth(), 2);
    EXPECT_EQ(s.lineStyle(), kLineDot);
}

// ---- DrawCurveText -----------------------------------------------------------

TEST(DrawCurveText, CurveInsideIsLabelledAtItsEndAndZeroPointsAreSkipped)
{
    const Workspace ws = workspaceAt("20", "1");  // 409.6 units/V, 8192 units/mA
    RecordingSurface s;
    s.setColour(kCurrentCurveColour);
    s.setPenWidth(2);
    const std::string text = tdfLine(0, 0, "-2") + tdfLine(20, 0.001, "-2") + tdfLine(40, 0.002, "-2")
                             + tdfLine(0, 0, "-2") + tdfLine(60, 0.003, "-2");
    DrawCurveText(s, ws, text);

    const auto texts = s.texts();
    ASSERT_EQ(texts.size(), 2U);
    // Before the first curve there is no previous one: "0" goes below the plot.
    EXPECT_EQ(texts[0].text, "0");
    expectAt(texts[0], 0.0, 65536.0);
    EXPECT_EQ(texts[1].text, "-2");
    expectAt(texts[1], 24576.0, 40960.0);
    EXPECT_EQ(texts[1].colour, kCurrentCurveColour);

    const auto lines = s.lines();
    ASSERT_EQ(lines.size(), 3U);  // first point as a dot, then two segments
    expectAt(lines[0], 8192.0, 57344.0);
    EXPECT_NEAR(lines[0].x2, 8192.0, kTol);
    // The (0, 0) point between 40 V and 60 V does not break the polyline.
    expectAt(lines[2], 16384.0, 49152.0);
    EXPECT_NEAR(lines[2].x2, 24576.0, kTol);
    EXPECT_NEAR(lines[2].y2, 40960.0, kTol);
    for (const auto& l : lines) {
        EXPECT_EQ(l.penWidth, 2);
        EXPECT_EQ(l.colour, kCurrentCurveColour);
    }
}

struct ExitCase {
    const char* name;
    std::vector<std::pair<double, double>> uaIa;  // V, A
    double labelX;
    double labelY;
};

TEST(DrawCurveText, CurveLeavingThePlotIsLabelledOnceWhereItLeaves)
{
    const Workspace ws = workspaceAt("20", "1");
    const std::vector<ExitCase> cases = {
        // 170 V -> x = 69632 > 64000: label at (63000, y + 1500)
        {"right", {{100, 0.001}, {150, 0.001}, {170, 0.001}, {180, 0.0012}}, 63000.0, 57344.0 + 1500.0},
        // 9 mA -> y = -8192 above the top: label at (x, 100)
        {"top", {{20, 0.004}, {40, 0.009}, {60, 0.012}}, 16384.0, 100.0},
        // first above the top, then beyond the right: the first exit wins
        {"top first", {{150, 0.0095}, {170, 0.010}}, 61440.0, 100.0},
    };
    for (const auto& c : cases) {
        RecordingSurface s;
        std::string text;
        for (const auto& [ua, ia] : c.uaIa)
            text += tdfLine(ua, ia, "-2.5");
        DrawCurveText(s, ws, text);
        const auto texts = s.texts();
        ASSERT_EQ(texts.size(), 2U) << c.name;  // "0" first, then the one label
        EXPECT_EQ(texts[1].text, "-2.5") << c.name;
        EXPECT_NEAR(texts[1].x1, c.labelX, kTol) << c.name;
        EXPECT_NEAR(texts[1].y1, c.labelY, kTol) << c.name;
        // The label does not break the polyline: every segment starts where
        // the previous one ended.
        const auto lines = s.lines();
        for (std::size_t i = 1; i < lines.size(); ++i) {
            EXPECT_NEAR(lines[i].x1, lines[i - 1].x2, kTol) << c.name;
            EXPECT_NEAR(lines[i].y1, lines[i - 1].y2, kTol) << c.name;
        }
    }
}

TEST(DrawCurveText, EachCurveStartsAfreshAndThePreviousIsLabelledAtItsEnd)
{
    const Workspace ws = workspaceAt("20", "1");
    RecordingSurface s;
    const std::string text = tdfLine(20, 0.001, "-1") + tdfLine(40, 0.002, "-1")
                             + tdfLine(20, 0.0005, "-1.5") + tdfLine(60, 0.001, "-1.5");
    DrawCurveText(s, ws, text);
    const auto texts = s.texts();
    ASSERT_EQ(texts.size(), 3U);
    EXPECT_EQ(texts[1].text, "-1");
    expectAt(texts[1], 16384.0, 49152.0);  // end of the first curve
    EXPECT_EQ(texts[2].text, "-1.5");
    expectAt(texts[2], 24576.0, 57344.0);
    const auto lines = s.lines();
    ASSERT_EQ(lines.size(), 4U);
    // The second curve is not joined to the first: it starts with a dot at its
    // own first point.
    expectAt(lines[2], 8192.0, 61440.0);
    EXPECT_NEAR(lines[2].x2, 8192.0, kTol);
    EXPECT_NEAR(lines[2].y2, 61440.0, kTol);
}

TEST(DrawCurveText, EmptyLineEndsTheDrawingAndLeadingBlanksAreTrimmed)
{
    const Workspace ws = workspaceAt("20", "1");
    RecordingSurface s;
    const std::string text = "  " + tdfLine(20, 0.001, "-1") + tdfLine(40, 0.002, "-1") + "\r\n"
                             + tdfLine(60, 0.003, "-3") + tdfLine(80, 0.004, "-3");
    DrawCurveText(s, ws, text);
    EXPECT_EQ(s.lines().size(), 2U);
    const auto texts = s.texts();
    ASSERT_EQ(texts.size(), 2U);
    EXPECT_EQ(texts[1].text, "-1");
    EXPECT_FALSE(s.findText("-3"));
}

TEST(DrawCurveText, EmptyTextDrawsOnlyTheBelowPlotZero)
{
    const Workspace ws = workspaceAt("20", "1");
    RecordingSurface s;
    DrawCurveText(s, ws, "");
    EXPECT_TRUE(s.lines().empty());
    ASSERT_EQ(s.texts().size(), 1U);
    expectAt(s.texts()[0], 0.0, 65536.0);
}

// ---- PlotSeries --------------------------------------------------------------

TEST(PlotSeries, TagTexts)
{
    const struct {
        float vg1, vg2;
        const char* tag;
    } cases[] = {
        {-2.5F, 250.0F, "-2.5[250]"},
        {-2.0F, 0.0F, "-2."},
        {0.0F, 0.0F, "0."},
        {-10.25F, 100.4F, "-10.3[100]"},
        {-1.0F, -5.0F, "-1."},  // no grid-2 part unless it is positive
    };
    for (const auto& c : cases)
        EXPECT_EQ(seriesTag(c.vg1, c.vg2), c.tag);
}

TEST(PlotSeries, TagPositionsAndAttributes)
{
    const Workspace ws = workspaceAt("20", "1");
    const struct {
        const char* name;
        std::vector<std::pair<float, float>> uaIa;
        double tagX, tagY;
    } cases[] = {
        // 150 V -> 61440 > 60000: tag at (60000, y + 500)
        {"right", {{100, 0.001F}, {150, 0.002F}, {160, 0.003F}}, 60000.0, 49152.0 + 500.0},
        {"top", {{50, 0.004F}, {75, 0.009F}}, 30720.0, 100.0},
        {"inside", {{20, 0.001F}, {0, 0}, {40, 0.002F}}, 16384.0, 49152.0},
        {"all empty", {{0, 0}, {0, 0}}, 0.0, 65536.0},
    };
    for (const auto& c : cases) {
        RecordingSurface s;
        s.setColour(rgb(9, 9, 9));
        s.setPenWidth(1);
        const Series ser = testing::series(-2.5F, 250.0F, c.uaIa);
        PlotSeries(s, ws, rgb(192, 64, 0), 13.0F, 0.0F, 2.0F, ser.Points, true);
        const auto texts = s.texts();
        ASSERT_EQ(texts.size(), 1U) << c.name;
        EXPECT_EQ(texts[0].text, "-2.5[250]") << c.name;
        EXPECT_NEAR(texts[0].x1, c.tagX, kTol) << c.name;
        EXPECT_NEAR(texts[0].y1, c.tagY, kTol) << c.name;
        EXPECT_EQ(texts[0].colour, rgb(192, 64, 0)) << c.name;
        for (const auto& l : s.lines()) {
            EXPECT_EQ(l.penWidth, 2) << c.name;
            EXPECT_EQ(l.colour, rgb(192, 64, 0)) << c.name;
        }
        const auto lines = s.lines();
        for (std::size_t i = 1; i < lines.size(); ++i)
            EXPECT_NEAR(lines[i].x1, lines[i - 1].x2, kTol) << c.name;
        EXPECT_EQ(s.colour(), rgb(9, 9, 9)) << c.name;
        EXPECT_EQ(s.penWidth(), 1) << c.name;
    }
}

TEST(PlotSeries, XorWithoutLabelAndEmptyArray)
{
    const Workspace ws = workspaceAt("20", "1");
    RecordingSurface s;
    const Series ser = testing::series(-1.0F, 0.0F, {{20, 0.001F}, {40, 0.002F}});
    PlotSeries(s, ws, rgb(255, 127, 255), 7.0F, 0.0F, 2.0F, ser.Points, false);
    EXPECT_TRUE(s.texts().empty());
    ASSERT_EQ(s.lines().size(), 2U);
    EXPECT_EQ(s.lines()[1].drawMode, kDrawModeXor);
    EXPECT_EQ(s.drawMode(), kDrawModeCopy);

    RecordingSurface empty;
    PlotSeries(empty, ws, rgb(0, 0, 255), 13.0F, 0.0F, 2.0F, {}, true);
    EXPECT_TRUE(empty.primitives().empty());
}

// ---- DrawPowerLimit ----------------------------------------------------------

TEST(DrawPowerLimit, NothingWhenTheEntryIsTooFarRight)
{
    RecordingSurface s;
    s.setColour(rgb(1, 1, 1));
    s.setCurrentPos(5.0, 6.0);
    // k = 1000 / 8 * 409.6 = 51200 > 6500
    DrawPowerLimit(s, workspaceAt("20", "1"), 1000.0F);
    EXPECT_TRUE(s.primitives().empty());
    EXPECT_EQ(s.colour(), rgb(1, 1, 1));
    EXPECT_EQ(s.currentX(), 5.0);
}

TEST(DrawPowerLimit, EntersAtTheTopEdgeAndFollowsTheHyperbola)
{
    const Workspace ws = workspaceAt("50", "1");
    RecordingSurface s;
    s.setColour(rgb(1, 1, 1));
    DrawPowerLimit(s, ws, 2.0F);
    const auto lines = s.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_NEAR(lines[0].x1, 40960.0, 0.01);  // 250 V at 50 V/div
    EXPECT_NEAR(lines[0].y1, 0.0, kTol);
    EXPECT_NEAR(lines.back().x2, 65521.0, kTol);
    for (const auto& l : lines) {
        EXPECT_EQ(l.colour, kPowerLimitColour);
        // Independent check: every sample lies on Ua * Ia = 2 W.
        const double ua = l.x2 / ws.ScopeUnitsPerVolt;
        const double iaMa = (65536.0 - l.y2) / ws.ScopeUnitsPerMa;
        EXPECT_NEAR(ua * iaMa / 1000.0, 2.0, 1e-4);
    }
    EXPECT_EQ(s.colour(), rgb(1, 1, 1));
}

TEST(DrawPowerLimit, AtTwentyVoltsPerDivisionTwoWattsStaysAboveThePlot)
{
    RecordingSurface s;
    DrawPowerLimit(s, workspaceAt("20", "1"), 2.0F);
    EXPECT_TRUE(s.lines().empty());
}

TEST(DrawPowerLimit, ZeroWattsRunsDownTheLeftEdgeAndAlongTheBottom)
{
    RecordingSurface s;
    DrawPowerLimit(s, workspaceAt("20", "1"), 0.0F);
    const auto lines = s.lines();
    ASSERT_EQ(lines.size(), 3277U);
    expectAt(lines[0], 0.0, 0.0);
    EXPECT_NEAR(lines[0].x2, 1.0, kTol);
    EXPECT_NEAR(lines[0].y2, 65536.0, kTol);
    for (std::size_t i = 1; i < lines.size(); ++i)
        EXPECT_NEAR(lines[i].y2, 65536.0, kTol);
}

// ---- NextDiffColor -----------------------------------------------------------

TEST(DiffColourSequence, StepsByHalfTheSeedAndRestartsPastTwoToTheTwentyFourth)
{
    DiffColourSequence seq;
    EXPECT_EQ(seq.NextDiffColor(40000), 40000);
    EXPECT_EQ(seq.NextDiffColor(40000), 60000);
    EXPECT_EQ(seq.NextDiffColor(40000), 80000);
    EXPECT_EQ(static_cast<Colour>(40000), rgb(64, 156, 0));
    EXPECT_EQ(static_cast<Colour>(80000), rgb(128, 56, 1));
    // Independent model of the counter: restart once it passes 2^24.
    std::int64_t expected = 100000;
    for (int n = 4; n < 2000; ++n) {
        const std::int32_t got = seq.NextDiffColor(40000);
        ASSERT_EQ(got, expected) << "call " << n;
        ASSERT_LE(got, 16777216);
        expected += 20000;
        if (expected > 16777216)
            expected = 40000;
    }
    EXPECT_EQ(seq.NextDiffColor(0), 0);  // seed 0 restarts
    EXPECT_EQ(seq.NextDiffColor(40000), 40000);
    EXPECT_EQ(seq.NextDiffColor(40000), 60000);
}

TEST(DiffColourSequence, LastValueBeforeTheRestart)
{
    DiffColourSequence seq;
    std::int32_t last = 0;
    int calls = 0;
    for (;;) {
        const std::int32_t v = seq.NextDiffColor(40000);
        ++calls;
        if (calls > 1 && v == 40000)
            break;
        last = v;
    }
    EXPECT_EQ(last, 16760000);
    EXPECT_EQ(calls, 838);
}

// ---- DrawGrid --------------------------------------------------------------------

TEST(DrawGrid, LinesAndAxisLabels)
{
    Workspace ws = workspaceAt("20", "1");
    RecordingSurface s;
    s.setColour(rgb(7, 7, 7));
    CollectingLabelSink labels;
    DrawGrid(s, ws, labels, ws.MaPerDiv, ws.VoltsPerDiv);
    const auto lines = s.lines();
    ASSERT_EQ(lines.size(), 16U);
    for (int i = 0; i < 8; ++i) {
        // horizontal then vertical, none at 0
        EXPECT_NEAR(lines[i].y1, (i + 1) * 8192.0, kTol);
        EXPECT_NEAR(lines[i].y2, (i + 1) * 8192.0, kTol);
        EXPECT_NEAR(lines[i].x2, 65536.0, kTol);
        EXPECT_NEAR(lines[i + 8].x1, (i + 1) * 8192.0, kTol);
        EXPECT_NEAR(lines[i + 8].y2, 65536.0, kTol);
        EXPECT_EQ(lines[i].colour, kGridColour);
    }
    EXPECT_EQ(s.colour(), rgb(7, 7, 7));
    ASSERT_EQ(labels.placements().size(), 9U);
    const char* volts[] = {"0.0", "20.0", "40.0", "60.0", "80.0", "100.0", "120.0", "140.0", "160.0"};
    for (int i = 0; i <= 8; ++i) {
        const auto& p = labels.placements()[static_cast<std::size_t>(i)];
        EXPECT_EQ(p.pair, AxisLabelPair::Grid);
        EXPECT_EQ(p.index, i);
        EXPECT_EQ(p.captionU, volts[i]);
        EXPECT_EQ(p.captionI, formatPattern(i, "##0.0"));
        EXPECT_NEAR(p.xUnits, i * 8192.0, 0.01);
        EXPECT_NEAR(p.yUnits, 65536.0 - i * 8192.0, 0.01);
        EXPECT_EQ(p.colour, kGridColour);
    }
}

TEST(DrawGrid, DiffModeCurrentLabelsRunFromMinusToPlusFourDivisions)
{
    Workspace ws = workspaceAt("50", "2");
    ws.DiffOffsetMa = 4.0F * ws.MaPerDiv;
    RecordingSurface s;
    CollectingLabelSink labels;
    DrawGrid(s, ws, labels, ws.MaPerDiv, ws.VoltsPerDiv);
    const char* expected[] = {"-8.0", "-6.0", "-4.0", "-2.0", "0.0", "2.0", "4.0", "6.0", "8.0"};
    for (int i = 0; i <= 8; ++i) {
        const auto p = labels.latest(AxisLabelPair::Grid, i);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->captionI, expected[i]);
        // placed at the drawn position, not at the difference value
        EXPECT_NEAR(p->yUnits, 65536.0 - i * 8192.0, 0.01);
    }
}

// ---- label geometry --------------------------------------------------------------

TEST(ScopeLabels, GeometryFollowsThePlotRectangle)
{
    const QRect scope(100, 50, 656, 400);
    const struct {
        float x, y;
        QPoint u, i;
    } cases[] = {
        {32768.0F, 65536.0F, {100 + 328 - 20, 455}, {68, 50 + 400 - 7}},
        {0.0F, 0.0F, {80, 455}, {68, 43}},
        {65536.0F, 32768.0F, {736, 455}, {68, 243}},
    };
    for (const auto& c : cases) {
        const AxisLabelGeometry g = axisLabelGeometry(scope, QSize(40, 14), QSize(30, 14), c.x, c.y);
        EXPECT_EQ(g.voltageTopLeft, c.u);
        EXPECT_EQ(g.currentTopLeft, c.i);
    }
}

TEST(ScopeLabels, CaptionsAndPositionsAreSeparate)
{
    const Workspace ws = workspaceAt("20", "1");
    CollectingLabelSink sink;
    PlaceAxisLabels(ws, sink, AxisLabelPair::Cursor, 0, 80.0F, 0.0F, 80.0F, 4.0F, kCursorTagColour);
    ASSERT_EQ(sink.placements().size(), 1U);
    const auto& p = sink.placements()[0];
    EXPECT_EQ(p.captionU, "80.0");
    EXPECT_EQ(p.captionI, "0.0");
    EXPECT_FLOAT_EQ(p.xUnits, 32768.0F);
    EXPECT_FLOAT_EQ(p.yUnits, 32768.0F);
}

// ---- selectors and automatic scale ------------------------------------------------

TEST(Selectors, ListsAndPresets)
{
    EXPECT_EQ(kVoltsPerDivList[kVoltsPerDivPresetIndex], "20");
    EXPECT_EQ(kMaPerDivList[kMaPerDivPresetIndex], "1");
    EXPECT_EQ(kMaPerDivList.front(), "0.2");
    EXPECT_EQ(kMaPerDivList.back(), "100");
    EXPECT_EQ(kVoltsPerDivList.front(), "5");
    EXPECT_EQ(kPowerPreset, "2");
}

TEST(AutoScale, Cases)
{
    const struct {
        float iaMaxA, uaMaxV;
        const char* ma;
        const char* volts;
    } cases[] = {
        {0.05F, 300.0F, "5", "40"},     // 50 \ 7 = 7 -> 5; 300 \ 7 = 42 -> 40
        {0.0031F, 300.0F, "1", "40"},   // 3 \ 7 = 0 -> at least 1
        {0.1F, 34.0F, "10", "4"},       // 100 \ 7 = 14 -> 10; 34 \ 7 = 4 (not rounded)
        {0.035F, 41.0F, "5", "5"},
        {0.2F, 6.5F, "25", "0"},        // 6.5 rounds to 6 (half to even): 0 V/div
        {0.0F, 6.4F, "1", "0"},
        {0.0F, 7.0F, "1", "1"},
        {0.002F, -100.0F, "1", "0"},    // never a negative scale
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
    CurveSet empty;
    empty.IaMax = 0.05F;
    EXPECT_FALSE(autoScale(empty));
}

}  // namespace
}  // namespace zov
