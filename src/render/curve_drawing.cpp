#include "render/curve_drawing.h"

#include "plot/scales.h"
#include "core/text.h"

#include <cstdint>

namespace zov {

namespace {

int roundedAttribute(float value)
{
    const std::int64_t v = roundHalfEven(value);
    return static_cast<int>(v < -32768 ? -32768 : (v > 32767 ? 32767 : v));
}

std::string gridLabel(std::string_view gridText)
{
    return formatGeneral(static_cast<float>(numericValue(gridText)));
}

}  // namespace

void PutDotXY(Surface& surface, Colour colour, float mode, float width, float x, float y)
{
    const SavedPen saved(surface);
    surface.setColour(colour);
    surface.setDrawMode(roundedAttribute(mode));
    surface.setPenWidth(roundedAttribute(width));
    surface.point(x, y);
}

void PutDotUI(Surface& surface, const PlotScales& scales, Colour colour, float mode, float width,
              float u, float iMa)
{
    PutDotXY(surface, colour, mode, width, UaToX(scales, u), IaToY(scales, iMa));
}

void DrawCurveText(Surface& surface, const PlotScales& scales, std::string_view curveText)
{
    std::string currentGrid;  // field 3 of the curve being drawn, as text
    bool penDown = false;
    bool labelled = false;
    surface.setCurrentPos(0.0, 65536.0);

    // Lines are taken in order with a cursor instead of rescanning the text
    // from its start for every line (a family of 31 curves holds about 2000
    // lines). A line ends at CR LF, at LF alone or at CR alone, as the file
    // reader splits them: a background file edited on Linux, or one from an
    // older system, would otherwise draw as one long line.
    std::size_t next = 0;
    const auto nextLine = [&]() -> std::string_view {
        if (next >= curveText.size())
            return {};
        const std::size_t end = curveText.find_first_of("\r\n", next);
        const std::size_t stop = end == std::string_view::npos ? curveText.size() : end;
        std::string_view piece = curveText.substr(next, stop - next);
        next = stop;
        if (next < curveText.size() && curveText[next] == '\r')
            ++next;
        if (next < curveText.size() && curveText[next] == '\n')
            ++next;
        return piece;
    };
    std::string_view line = trimBlanks(nextLine());
    while (!line.empty()) {
        // Fields 1 to 3 cut at single spaces, as GetField(line, n, " ") would.
        std::size_t cut = 0;
        const auto nextField = [&]() -> std::string_view {
            if (cut >= line.size())
                return {};
            const std::size_t space = line.find(' ', cut);
            const std::size_t stop = space == std::string_view::npos ? line.size() : space;
            const std::string_view field = line.substr(cut, stop - cut);
            cut = space == std::string_view::npos ? line.size() : space + 1;
            return field;
        };
        const double ua = numericValue(nextField());
        const double ia = numericValue(nextField());
        const std::string_view vg = nextField();
        if (!vg.empty() && vg != currentGrid) {
            // A new curve: the previous one is labelled at its end if it never
            // left the plot. Before the first curve this prints "0" at
            // (0, 65536), just below the visible area.
            if (!labelled)
                surface.text(gridLabel(currentGrid));
            penDown = false;
            surface.setCurrentPos(0.0, 65536.0);
            currentGrid = std::string(vg);
            labelled = false;
        }
        if (!(ua == 0.0 && ia == 0.0)) {
            // Currents are stored in amperes, the scale is per milliampere.
            const double x = ua * scales.ScopeUnitsPerVolt;
            const double y = 65536.0 - ia * scales.ScopeUnitsPerMa * 1000.0;
            if (!penDown) {
                surface.setCurrentPos(x, y);
                penDown = true;
            }
            surface.lineTo(x, y);
            if (!labelled && (x > 64000.0 || y < 0.0)) {
                if (x > 64000.0)
                    surface.setCurrentPos(63000.0, y + 1500.0);
                else
                    surface.setCurrentPos(x, 100.0);
                surface.text(gridLabel(currentGrid));
                surface.setCurrentPos(x, y);
                labelled = true;
            }
        }
        line = nextLine();
    }
    if (!labelled)
        surface.text(gridLabel(currentGrid));
}

std::string seriesTag(float vg1, float vg2)
{
    std::string tag = formatPattern(vg1, "##0.#");
    if (vg2 > 0.0F)
        tag += "[" + formatPattern(vg2, "#") + "]";
    return tag;
}

void PlotSeries(Surface& surface, const PlotScales& scales, Colour colour, float mode, float style,
                float width, const std::vector<PointColumn>& points, bool showLabel)
{
    if (points.empty())
        return;  // no point, not even an empty one: nothing to draw or tag
    const SavedPen saved(surface);
    surface.setColour(colour);
    surface.setDrawMode(roundedAttribute(mode));
    surface.setLineStyle(roundedAttribute(style));
    surface.setPenWidth(roundedAttribute(width));

    surface.setCurrentPos(0.0, 65536.0);
    bool started = false;
    bool labelled = !showLabel;
    float g1 = 0.0F;
    float g2 = 0.0F;
    for (const PointColumn& p : points) {
        const float u = p[kRowUa];
        const float i = p[kRowIa];
        g1 = p[kRowVg1];
        g2 = p[kRowVg2];
        if (u == 0.0F && i == 0.0F)
            continue;
        const double x = static_cast<double>(u) * scales.ScopeUnitsPerVolt;
        const double y = 65536.0 - static_cast<double>(i) * scales.ScopeUnitsPerMa * 1000.0;
        if (!started) {
            surface.setCurrentPos(x, y);  // the first point is a dot of the pen width
            started = true;
        }
        surface.lineTo(x, y);
        if (!labelled && (x > 60000.0 || y < 0.0)) {
            if (x > 60000.0)
                surface.setCurrentPos(60000.0, y + 500.0);
            else
                surface.setCurrentPos(x, 100.0);
            surface.text(seriesTag(g1, g2));
            labelled = true;
        }
        surface.setCurrentPos(x, y);  // the tag must not break the polyline
    }
    if (!labelled)
        surface.text(seriesTag(g1, g2));
}

}  // namespace zov
