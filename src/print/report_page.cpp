#include "print/report_page.h"

#include "design/load_line.h"
#include "plot/scales.h"
#include "print/report_messages.h"
#include "core/text.h"

#include <algorithm>
#include <cmath>

namespace zov {

namespace {

// The limit curve is drawn only when it enters the plot's top edge within
// this many plot widths' worth of k (as on screen).
constexpr float kLimitKMax = 6500.0F;
// Load-line ends: the bottom and right end stop at 65500, the top and left
// end at 2500, which leaves room for the load value above it.
constexpr float kLoadLineHigh = 65500.0F;
constexpr float kLoadLineLow = 2500.0F;
constexpr double kLoadLabelRise = 1500.0;
// Values of the grid stand this far above their line.
constexpr double kGridValueGap = 5.0;
constexpr double kPlotUnits = 65536.0;
constexpr double kDivisionSize = 8192.0;

std::string gridLabel(std::string_view gridText)
{
    return formatGeneral(static_cast<float>(numericValue(gridText)));
}

void drawLimit(Surface& page, const ReportInputs& in, float unitsPerVolt, float unitsPerMa)
{
    const float pd = static_cast<float>(numericValue(in.powerText));
    // k: the hyperbola meets the top edge at x = 1000 k.
    const float k = pd / (8.0F * in.maPerDiv) * unitsPerVolt;
    if (!(k < kLimitKMax))
        return;
    page.setCurrentPos(1000.0 * k + 1000.0, 500.0);
    page.text(formatPattern(pd, "###.0##W"));
    page.setCurrentPos(1000.0 * k, 0.0);
    const double big = 1000.0 * static_cast<double>(unitsPerVolt) * pd * unitsPerMa;
    for (int x = 1; x <= 65536; x += 20) {
        const double d = big / x;
        if (d < kPlotUnits)
            page.lineTo(x, kPlotUnits - d);
    }
}

void drawGrid(Surface& page, const ReportInputs& in)
{
    page.setColour(kReportGrey);
    page.setPenWidth(1);
    page.setLineStyle(kLineDot);
    page.setFontSize(kReportFontSize);
    for (int i = 1; i <= 8; ++i) {
        const double y = kDivisionSize * i;
        const std::string value = formatGeneral(static_cast<float>((8 - i) * in.maPerDiv));
        page.setCurrentPos(1.0, y - page.textHeight(value) - kGridValueGap);
        page.text(value);
        page.line(0.0, y, kPlotUnits, y);
    }
    for (int i = 1; i <= 7; ++i) {
        const double x = kDivisionSize * i;
        page.line(x, 0.0, x, kPlotUnits);
        const std::string value = formatGeneral(static_cast<float>(i * in.voltsPerDiv));
        page.setCurrentPos(x, kPlotUnits - page.textHeight(value) - kGridValueGap);
        page.text(value);
    }
}

void drawOperatingPoint(Surface& page, const ReportOperatingPoint& op, float voltsPerDiv, float maPerDiv)
{
    page.setColour(kReportGrey);
    page.setPenWidth(kReportDotWidth);
    page.point(op.markerX, op.markerY);
    page.setPenWidth(1);
    page.setLineStyle(kLineSolid);

    // The lower part is the load line of the stage design, which stops at the
    // bottom or the right margin; the upper part runs to y = 2500, or to
    // x = 2500 when the line gets there first.
    Workspace scales;
    scales.VoltsPerDiv = voltsPerDiv;
    scales.MaPerDiv = maPerDiv;
    scales.ScopeUnitsPerVolt = kDivisionSize / voltsPerDiv;
    scales.ScopeUnitsPerMa = kDivisionSize / maPerDiv;
    const LoadLineFigure figure =
        DrawLoadLine(scales, op.loadKOhm, op.markerX, op.markerY, Topology::SingleEnded);
    page.line(op.markerX, op.markerY, figure.lower.from.x, figure.lower.from.y);

    // x units per y unit along the line.
    const double r = static_cast<double>(op.loadKOhm) * scales.ScopeUnitsPerVolt / scales.ScopeUnitsPerMa;
    // A marker above y = 2500 or left of x = 2500 has no upper part.
    double dy = std::max(0.0, static_cast<double>(op.markerY) - kLoadLineLow);
    double dx = r * dy;
    if (op.markerX - dx < kLoadLineLow) {
        dx = std::max(0.0, static_cast<double>(op.markerX) - kLoadLineLow);
        dy = r > 0.0 ? dx / r : 0.0;
    }
    const double upperX = op.markerX - dx;
    const double upperY = op.markerY - dy;
    page.line(op.markerX, op.markerY, upperX, upperY);
    page.setCurrentPos(upperX, upperY - kLoadLabelRise);
    page.text(formatPattern(op.loadKOhm, "###.0K"));

    page.setColour(kReportDarkGrey);
    page.line(op.markerX, op.markerY, op.markerX, kPlotUnits);
    page.line(op.markerX, op.markerY, 0.0, op.markerY);
}

void drawFrame(Surface& page)
{
    page.setColour(kReportDarkGrey);
    page.setPenWidth(kReportFrameWidth);
    page.setLineStyle(kLineSolid);
    page.setCurrentPos(0.0, 0.0);
    page.lineTo(kPlotUnits, 0.0);
    page.lineTo(kPlotUnits, kPlotUnits);
    page.lineTo(0.0, kPlotUnits);
    page.lineTo(0.0, 0.0);
}

void drawLegendAndFooter(Surface& page, const ReportInputs& in)
{
    page.setFontSize(kReportLegendFontSize);
    const double legendX = (kPlotUnits - page.textWidth(in.legend)) / 2.0;
    page.setCurrentPos(legendX, kReportLegendY);
    page.text(in.legend);
    // The legend's line and one empty line of the same size.
    const double footerY = kReportLegendY + 2.0 * page.textHeight(in.legend);
    page.setFontSize(kReportFooterFontSize);
    page.setCurrentPos(0.0, footerY);
    page.text(reportFooter(in.version));
}

}  // namespace

double reportPageHeight(int plotWidthPx, int plotHeightPx)
{
    const double ratio = plotWidthPx > 0 && plotHeightPx > 0
                             ? static_cast<double>(plotWidthPx) / plotHeightPx
                             : 1.0;
    return std::max(kPlotUnits, ratio * kPlotUnits * 1.4);
}

std::string reportFooter(const std::string& version)
{
    return report_messages::kFooterPrefix.toStdString() + version;
}

void PrintCurveText(Surface& page, float unitsPerVolt, float unitsPerMa, std::string_view curveText)
{
    std::string currentGrid;  // field 3 of the curve being drawn, as text
    bool inCurve = false;     // a curve has started (its grid field was seen or a point drawn)
    bool drewPoint = false;   // the current curve has a point on the page
    bool penDown = false;
    bool labelled = false;
    page.setCurrentPos(0.0, kPlotUnits);

    // The label of a curve that never left the plot, at its last point. A
    // curve without any drawn point has no place on the page (on screen its
    // label falls just below the plot, out of sight), so it gets none.
    const auto labelAtEnd = [&]() {
        if (inCurve && drewPoint && !labelled)
            page.text(gridLabel(currentGrid));
    };

    std::size_t next = 0;
    const auto nextLine = [&]() -> std::string_view {
        if (next >= curveText.size())
            return {};
        const std::size_t end = curveText.find('\n', next);
        const std::size_t stop = end == std::string_view::npos ? curveText.size() : end;
        std::string_view piece = curveText.substr(next, stop - next);
        next = end == std::string_view::npos ? curveText.size() : end + 1;
        if (!piece.empty() && piece.back() == '\r')
            piece.remove_suffix(1);
        return piece;
    };
    std::string_view line = trimBlanks(nextLine());
    while (!line.empty()) {
        const double ua = numericValue(GetField(line, 1, " "));
        const double ia = numericValue(GetField(line, 2, " "));
        const std::string_view vg = GetField(line, 3, " ");
        if (!vg.empty() && vg != currentGrid) {
            labelAtEnd();
            penDown = false;
            drewPoint = false;
            page.setCurrentPos(0.0, kPlotUnits);
            currentGrid = std::string(vg);
            labelled = false;
            inCurve = true;
        }
        if (!(ua == 0.0 && ia == 0.0)) {
            const double x = ua * unitsPerVolt;
            const double y = kPlotUnits - ia * unitsPerMa * 1000.0;  // amperes, scale per mA
            if (!penDown) {
                page.setCurrentPos(x, y);
                penDown = true;
            }
            page.lineTo(x, y);
            inCurve = true;
            drewPoint = true;
            if (!labelled && (x > 64000.0 || y < 0.0)) {
                const double labelX = x > 64000.0 ? 63500.0 : x;
                const double labelY = x > 64000.0 ? y - 2000.0 : 100.0;
                // Low on the right edge the label would cover the voltage
                // values: it is left out there.
                if (labelY < 63000.0) {
                    page.setCurrentPos(labelX, labelY);
                    page.text(gridLabel(currentGrid));
                }
                page.setCurrentPos(x, y);
                labelled = true;
            }
        }
        line = nextLine();
    }
    labelAtEnd();
}

void PrintReport(Surface& page, const ReportInputs& in)
{
    const float unitsPerVolt = kDivisionSize / in.voltsPerDiv;
    const float unitsPerMa = kDivisionSize / in.maPerDiv;

    page.setFontSize(kReportFontSize);
    page.setColour(kReportGrey);
    page.setDrawMode(kDrawModeCopy);
    page.setPenWidth(1);
    page.setLineStyle(kLineSolid);

    drawLimit(page, in, unitsPerVolt, unitsPerMa);

    page.setPenWidth(kReportCurveWidth);
    page.setColour(kReportCurveColour);
    for (const std::string& text : in.curveTexts)
        PrintCurveText(page, unitsPerVolt, unitsPerMa, text);

    drawGrid(page, in);
    if (in.operatingPoint)
        drawOperatingPoint(page, *in.operatingPoint, in.voltsPerDiv, in.maPerDiv);
    drawFrame(page);
    drawLegendAndFooter(page, in);
    page.flush();
}

}  // namespace zov
