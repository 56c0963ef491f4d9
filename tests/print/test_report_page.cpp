// The printed page drawn on a recording surface: what is drawn where, in which
// colour, pen width, line style and font size, in page units.
#include "print/report_messages.h"
#include "print/report_page.h"
#include "render/recording_surface.h"
#include "core/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace zov {
namespace {

using Kind = RecordedPrimitive::Kind;
constexpr double kCharW = RecordingSurface::kCharWidthUnits;
constexpr double kTextH = RecordingSurface::kTextHeightUnits;

std::vector<RecordedPrimitive> drawPage(const ReportInputs& in)
{
    RecordingSurface page;
    PrintReport(page, in);
    return page.primitives();
}

std::vector<RecordedPrimitive> texts(const std::vector<RecordedPrimitive>& all)
{
    std::vector<RecordedPrimitive> out;
    std::copy_if(all.begin(), all.end(), std::back_inserter(out),
                 [](const RecordedPrimitive& p) { return p.kind == Kind::Text; });
    return out;
}

const RecordedPrimitive* findText(const std::vector<RecordedPrimitive>& all, const std::string& text)
{
    const auto it = std::find_if(all.begin(), all.end(), [&](const RecordedPrimitive& p) {
        return p.kind == Kind::Text && p.text == text;
    });
    return it == all.end() ? nullptr : &*it;
}

// Curve-text lines: Ua (V), Ia (A), the grid-1 text, 0, 0, CR LF.
std::string curveText(const std::vector<std::pair<double, double>>& uaIa, const std::string& vg1)
{
    std::string text;
    for (const auto& [ua, ia] : uaIa)
        text += formatGeneral(ua) + " " + formatGeneral(ia) + " " + vg1 + " 0 0\r\n";
    return text;
}

TEST(ReportPage, PageHeightFollowsThePlotsProportions)
{
    const struct {
        int w, h;
        double units;
    } cases[] = {
        {800, 600, 800.0 / 600.0 * 65536.0 * 1.4},  // wider than high: taller page
        {600, 600, 65536.0 * 1.4},                  // square: the plot prints square
        {500, 700, 500.0 / 700.0 * 65536.0 * 1.4},  // a little taller than wide
        {400, 800, 65536.0},                        // much taller: at least the plot
        {0, 0, 65536.0 * 1.4},                      // no plot: as a square one
    };
    for (const auto& c : cases)
        EXPECT_NEAR(reportPageHeight(c.w, c.h), c.units, 1e-6) << c.w << " x " << c.h;
}

TEST(ReportPage, LimitValueStandsRightOfWhereTheCurveEntersTheTop)
{
    const struct {
        float vdiv, madiv;
        const char* pd;
        const char* label;
        double x;          // label position; y is always 500
        bool curveOnPage;  // some of the hyperbola lies inside the plot
    } cases[] = {
        {20, 1, "2", "2.0W", 103400.0, false},  // k = 102.4: beyond the page
        {100, 10, "2", "2.0W", 3048.0, true},   // k = 2.048
        {50, 1, "2", "2.0W", 41960.0, true},    // enters at 250 V (x = 40960)
        {50, 1, "0.125", ".125W", 3560.0, true},
        {5, 0.2F, "25", "", 0.0, false},        // k beyond 6500: nothing at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ReportInputs in;
        in.voltsPerDiv = c.vdiv;
        in.maPerDiv = c.madiv;
        in.powerText = c.pd;
        const auto page = drawPage(in);
        const RecordedPrimitive* label = findText(page, c.label);
        if (*c.label == '\0') {
            EXPECT_EQ(texts(page).size(), 8U + 7U + 2U);  // grid values, legend, footer
        } else {
            ASSERT_NE(label, nullptr);
            EXPECT_NEAR(label->x1, c.x, 0.01);
            EXPECT_EQ(label->y1, 500.0);
            EXPECT_EQ(label->colour, kReportGrey);
            EXPECT_EQ(label->fontSize, kReportFontSize);
        }
        // Every vertex of the limit curve lies on Ua x Ia = Pd (grey, width 1,
        // solid) and inside the plot.
        const double pd = numericValue(c.pd);
        int limitLines = 0;
        for (const auto& p : page) {
            if (p.kind != Kind::Line || p.lineStyle != kLineSolid || p.colour != kReportGrey || p.penWidth != 1)
                continue;
            ++limitLines;
            const double ua = p.x2 / (8192.0 / c.vdiv);
            const double iaMa = (65536.0 - p.y2) / (8192.0 / c.madiv);
            EXPECT_NEAR(ua * iaMa / 1000.0, pd, pd * 1e-4);
            EXPECT_LE(p.x2, 65536.0);
            EXPECT_GE(p.y2, 0.0);
        }
        EXPECT_EQ(limitLines > 0, c.curveOnPage);
    }
}

TEST(ReportPage, HardCopyWithoutCurvesHasGridFrameLegendAndFooterOnly)
{
    ReportInputs in;  // 20 V/div, 1 mA/div, 2 W: the limit lies beyond the page
    in.legend = "EL34 pair, matched";
    in.version = "1.2.3";
    in.pageHeightUnits = reportPageHeight(800, 600);
    const auto page = drawPage(in);

    std::map<std::string, int> kinds;  // what was drawn, by role
    for (const auto& p : page) {
        EXPECT_NE(p.colour, kReportCurveColour) << "a black primitive: " << p.text;
        if (p.kind == Kind::Line && p.lineStyle == kLineDot) {
            EXPECT_EQ(p.colour, kReportGrey);
            EXPECT_EQ(p.penWidth, 1);
            ++kinds["grid"];
        } else if (p.kind == Kind::Line) {
            EXPECT_EQ(p.colour, kReportDarkGrey);
            EXPECT_EQ(p.penWidth, kReportFrameWidth);
            ++kinds["frame"];
        } else if (p.kind == Kind::Text) {
            ++kinds["text"];
        } else {
            ++kinds["other"];
        }
    }
    EXPECT_EQ(kinds["grid"], 15);
    EXPECT_EQ(kinds["frame"], 4);
    EXPECT_EQ(kinds["text"], 15 + 3);  // grid values, limit value (off the page), legend, footer
    EXPECT_EQ(kinds["other"], 0);

    // The frame is one closed figure around the plot square.
    std::vector<std::pair<double, double>> corners;
    for (const auto& p : page)
        if (p.kind == Kind::Line && p.penWidth == kReportFrameWidth)
            corners.emplace_back(p.x2, p.y2);
    EXPECT_EQ(corners, (std::vector<std::pair<double, double>>{{65536, 0}, {65536, 65536}, {0, 65536}, {0, 0}}));

    const RecordedPrimitive* legend = findText(page, in.legend);
    ASSERT_NE(legend, nullptr);
    EXPECT_DOUBLE_EQ(legend->x1, (65536.0 - kCharW * in.legend.size()) / 2.0);
    EXPECT_EQ(legend->y1, kReportLegendY);
    EXPECT_EQ(legend->fontSize, kReportLegendFontSize);
    const RecordedPrimitive* footer = findText(page, "Drawn with ZOV V1.2.3");
    ASSERT_NE(footer, nullptr);
    EXPECT_EQ(footer->x1, 0.0);
    EXPECT_EQ(footer->y1, kReportLegendY + 2.0 * kTextH);  // the legend's line and an empty one
    EXPECT_EQ(footer->fontSize, kReportFooterFontSize);
    EXPECT_LT(footer->y1 + kTextH, in.pageHeightUnits);

    // Values stand 5 units above their grid line: currents at the left from
    // 7 divisions down to 0, voltages above the bottom edge from 1 to 7.
    for (const auto& [value, x, y] : {std::tuple{"7", 1.0, 8192.0 - kTextH - 5.0},
                                      std::tuple{"0", 1.0, 65536.0 - kTextH - 5.0},
                                      std::tuple{"20", 8192.0, 65536.0 - kTextH - 5.0},
                                      std::tuple{"140", 7 * 8192.0, 65536.0 - kTextH - 5.0}}) {
        const RecordedPrimitive* t = findText(page, value);
        ASSERT_NE(t, nullptr) << value;
        EXPECT_EQ(t->x1, x) << value;
        EXPECT_EQ(t->y1, y) << value;
    }
    EXPECT_EQ(findText(page, "8"), nullptr);    // none at the top edge
    EXPECT_EQ(findText(page, "160"), nullptr);  // none at the right edge
}

TEST(ReportPage, OperatingPointWithLoadLineValueAndProjections)
{
    // 20 V/div and 1 mA/div: r = R x 409.6 / 8192 = R / 20 x-units per y-unit.
    const struct {
        const char* name;
        ReportOperatingPoint op;
        double lowerX, lowerY;  // end of the lower part
        double upperX, upperY;  // end of the upper part
        const char* value;
    } cases[] = {
        {"to the bottom and the top", {40000, 40000, 10}, 40000 + 0.5 * 25500, 65500, 40000 - 0.5 * 37500, 2500,
         "10.0K"},
        {"stopped at the right", {60000, 50000, 200}, 65500, 50000 + 5500 / 10.0, 60000 - 10 * 47500, 2500,
         "200.0K"},
        {"stopped at the left", {6000, 30000, 40}, 6000 + 2 * 35500, 30000 + 35500, 2500, 30000 - 3500 / 2.0,
         "40.0K"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReportInputs in;
        in.operatingPoint = c.op;
        const auto page = drawPage(in);
        const auto dot = std::find_if(page.begin(), page.end(),
                                      [](const RecordedPrimitive& p) { return p.kind == Kind::Point; });
        ASSERT_NE(dot, page.end());
        EXPECT_EQ(dot->x1, c.op.markerX);
        EXPECT_EQ(dot->y1, c.op.markerY);
        EXPECT_EQ(dot->penWidth, kReportDotWidth);
        EXPECT_EQ(dot->colour, kReportGrey);

        // Lines from the marker, in drawing order: lower part, upper part,
        // projection down, projection left.
        std::vector<RecordedPrimitive> fromMarker;
        for (const auto& p : page)
            if (p.kind == Kind::Line && p.x1 == c.op.markerX && p.y1 == c.op.markerY)
                fromMarker.push_back(p);
        ASSERT_EQ(fromMarker.size(), 4U);
        const double lowerX = c.lowerX > 65500 ? 65500 : c.lowerX;
        const double lowerY = c.lowerX > 65500 ? c.op.markerY + (65500 - c.op.markerX) / (c.op.loadKOhm / 20.0)
                                               : c.lowerY;
        EXPECT_NEAR(fromMarker[0].x2, lowerX, 0.5);
        EXPECT_NEAR(fromMarker[0].y2, lowerY, 0.5);
        double upperX = c.upperX;
        double upperY = c.upperY;
        if (upperX < 2500) {
            upperX = 2500;
            upperY = c.op.markerY - (c.op.markerX - 2500) / (c.op.loadKOhm / 20.0);
        }
        EXPECT_NEAR(fromMarker[1].x2, upperX, 0.5);
        EXPECT_NEAR(fromMarker[1].y2, upperY, 0.5);
        for (int k : {0, 1}) {
            // Both parts lie on the load line: dx = -r dy.
            const auto& l = fromMarker[k];
            EXPECT_NEAR(l.x2 - l.x1, (c.op.loadKOhm / 20.0) * (l.y2 - l.y1), 1.0);
            EXPECT_EQ(l.colour, kReportGrey);
            EXPECT_EQ(l.lineStyle, kLineSolid);
            EXPECT_EQ(l.penWidth, 1);
        }
        EXPECT_EQ(fromMarker[2].x2, c.op.markerX);
        EXPECT_EQ(fromMarker[2].y2, 65536.0);
        EXPECT_EQ(fromMarker[3].x2, 0.0);
        EXPECT_EQ(fromMarker[3].y2, c.op.markerY);
        for (int k : {2, 3})
            EXPECT_EQ(fromMarker[k].colour, kReportDarkGrey);

        const RecordedPrimitive* value = findText(page, c.value);
        ASSERT_NE(value, nullptr);
        EXPECT_NEAR(value->x1, upperX, 0.5);
        EXPECT_NEAR(value->y1, upperY - 1500.0, 0.5);
    }
}

TEST(ReportPage, CurveLabelsWhereCurvesLeaveThePlot)
{
    // 20 V/div, 1 mA/div: x = 409.6 per volt, y = 65536 - 8192 per mA.
    const struct {
        const char* name;
        std::string text;
        std::vector<std::tuple<std::string, double, double>> labels;  // text, x, y
    } cases[] = {
        {"stays inside: at its last point", curveText({{10, 0.001}, {100, 0.003}}, "-2.5"),
         {{"-2.5", 40960, 65536 - 3 * 8192}}},
        {"leaves through the right edge", curveText({{100, 0.002}, {200, 0.003}}, "-1"),
         {{"-1", 63500, 65536 - 3 * 8192 - 2000}}},
        {"leaves through the top", curveText({{50, 0.004}, {60, 0.009}, {70, 0.010}}, "0"),
         {{"0", 60 * 409.6, 100}}},
        {"leaves low on the right: no label", curveText({{100, 0.00005}, {200, 0.00005}}, "-9"), {}},
        {"two curves, each labelled once",
         curveText({{10, 0.001}, {20, 0.002}}, "-1") + curveText({{0, 0}, {30, 0.001}, {0, 0}, {40, 0.002}}, "-2"),
         {{"-1", 20 * 409.6, 65536 - 2 * 8192}, {"-2", 40 * 409.6, 65536 - 2 * 8192}}},
        {"only empty points: no label", curveText({{0, 0}, {0, 0}}, "-3"), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingSurface page;
        PrintCurveText(page, 409.6F, 8192.0F, c.text);
        const auto labels = page.texts();
        ASSERT_EQ(labels.size(), c.labels.size());
        for (std::size_t k = 0; k < labels.size(); ++k) {
            EXPECT_EQ(labels[k].text, std::get<0>(c.labels[k]));
            EXPECT_NEAR(labels[k].x1, std::get<1>(c.labels[k]), 0.01);
            EXPECT_NEAR(labels[k].y1, std::get<2>(c.labels[k]), 0.01);
        }
    }
}

// A measured EL34 family (triode), read in place, as TDF text: Ua column 3,
// Ia column 4, Vg1 column 6; points cut short by the supply's limiter dropped.
std::string el34Text()
{
    std::ifstream in(std::string(ZOV_REFERENCE_DATA) + "/raw/mbrennwa__curvetracedata/EL34/data/EL34_1.dat");
    std::string tdf;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::vector<std::string> f{std::istream_iterator<std::string>(fields), {}};
        if (f.size() >= 6 && f[0][0] != '%' && numericValue(f[4]) == 0.0)
            tdf += f[2] + " " + f[3] + " " + f[5] + " 0 0\r\n";
    }
    return tdf;
}

TEST(ReportPage, MeasuredFamilyEveryVertexOnItsDataAndOneLabelPerCurveAtMost)
{
    const std::string text = el34Text();
    if (text.empty())
        GTEST_SKIP() << "reference family EL34_1.dat not available";
    for (const auto& [vdiv, madiv] : {std::pair{50.0F, 20.0F}, {20.0F, 5.0F}, {100.0F, 50.0F}}) {
        SCOPED_TRACE(std::to_string(vdiv) + " V/div, " + std::to_string(madiv) + " mA/div");
        const float kv = 8192.0F / vdiv;
        const float ki = 8192.0F / madiv;
        RecordingSurface page;
        PrintCurveText(page, kv, ki, text);

        // The data points as the page places them.
        std::vector<std::pair<double, double>> points;
        std::map<std::string, int> curves;
        for (int k = 1;; ++k) {
            const std::string_view line = GetField(text, k, "\r\n");
            if (line.empty())
                break;
            ++curves[std::string(GetField(line, 3, " "))];
            const double ua = numericValue(GetField(line, 1, " "));
            const double ia = numericValue(GetField(line, 2, " "));
            if (ua != 0.0 || ia != 0.0)
                points.emplace_back(ua * kv, 65536.0 - ia * ki * 1000.0);
        }
        for (const auto& l : page.lines()) {
            const bool onData = std::any_of(points.begin(), points.end(), [&](const auto& p) {
                return std::abs(p.first - l.x2) < 1e-6 && std::abs(p.second - l.y2) < 1e-6;
            });
            EXPECT_TRUE(onData) << "vertex (" << l.x2 << ", " << l.y2 << ") is not a data point";
        }
        std::map<std::string, int> labelled;
        for (const auto& t : page.texts()) {
            ++labelled[t.text];
            // Right-edge labels stand at 63500 and above the voltage values.
            if (t.x1 == 63500.0) {
                EXPECT_LT(t.y1, 63000.0);
            }
        }
        for (const auto& [label, count] : labelled)
            EXPECT_EQ(count, 1) << label;
        EXPECT_LE(labelled.size(), curves.size());
        EXPECT_GE(labelled.size(), 1U);
    }

    // On the page the family is black, of pen width 5, drawn before the grid.
    ReportInputs in;
    in.curveTexts = {text};
    const auto page = drawPage(in);
    const auto firstGrid = std::find_if(page.begin(), page.end(),
                                        [](const RecordedPrimitive& p) { return p.lineStyle == kLineDot; });
    const auto black = std::count_if(page.begin(), firstGrid, [](const RecordedPrimitive& p) {
        return p.colour == kReportCurveColour && p.penWidth == kReportCurveWidth;
    });
    EXPECT_GT(black, 400);
    EXPECT_TRUE(std::none_of(firstGrid, page.end(),
                             [](const RecordedPrimitive& p) { return p.colour == kReportCurveColour; }));
}

}  // namespace
}  // namespace zov
