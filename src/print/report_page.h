#pragma once
// The printed report: a one-page hard copy of the plot drawn afresh on a
// drawing surface in page units. The page is 65536 units wide and
// reportPageHeight() units high; the plot fills the square 0..65536 x
// 0..65536 at its top, the legend and the footer go below it from y = 66000.
// The same code draws on a printer, a PDF, an image, an SVG and, in the
// tests, a recording surface.

#include "render/surface.h"
#include "core/curve_store.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zov {

// Where the legend starts, below the plot square.
inline constexpr double kReportLegendY = 66000.0;

// The two greys of the page: the pen of the limit curve, the grid and its
// values, the operating point and its load line; and the darker one of the
// operating point's projections, the frame and the texts below it.
inline constexpr Colour kReportGrey = rgb(128, 128, 128);
inline constexpr Colour kReportDarkGrey = rgb(80, 80, 80);
inline constexpr Colour kReportCurveColour = rgb(0, 0, 0);

// Pen widths in pixels of a 600 dpi printer (PageSurface scales them for
// other devices).
inline constexpr int kReportCurveWidth = 5;
inline constexpr int kReportDotWidth = 30;
inline constexpr int kReportFrameWidth = 8;

// Font sizes in points.
inline constexpr double kReportFontSize = 10.0;
inline constexpr double kReportLegendFontSize = 12.0;
inline constexpr double kReportFooterFontSize = 6.0;

// Height of the page in page units for a plot of the given size in pixels:
// (width / height) x 65536 x 1.4, at least 65536. On a page 1.4 times as high
// as wide the plot square then keeps the proportions it has on screen. A plot
// of no size counts as square.
double reportPageHeight(int plotWidthPx, int plotHeightPx);

// The operating point of Cook mode as the plot shows it.
struct ReportOperatingPoint {
    float markerX = 0.0F;  // plot units
    float markerY = 0.0F;
    float loadKOhm = 0.0F;
};

// Everything one page shows.
struct ReportInputs {
    // Scales in effect (those of the last refresh of the plot).
    float voltsPerDiv = 20.0F;
    float maPerDiv = 1.0F;
    std::string powerText = "2";          // the dissipation limit as typed (W)
    std::vector<std::string> curveTexts;  // TDF texts, drawn in this order
    std::optional<ReportOperatingPoint> operatingPoint;
    std::string legend;
    std::string version;                  // "major.minor.revision"
    double pageHeightUnits = 65536.0 * 1.4;
};

// The footer text, "Drawn with ZOV V" and the version.
std::string reportFooter(const std::string& version);

// Draws the whole page on `page` (page units, see above), in this order:
// set-up (font size 10, grey pen of width 1, solid lines); the limit value
// "###.0##W" and its curve; the curves (black, pen width 5); the dotted grid
// with its values; the operating point, its load line with the load
// "###.0K" and its projections; the frame; the legend, centred at y = 66000
// in 12 points, an empty line, and the footer in 6 points. Flushes `page`.
void PrintReport(Surface& page, const ReportInputs& inputs);

// The page form of DrawCurveText: a curve text drawn in the surface's colour
// and pen width with its grid-1 labels, at the given scales. A curve that
// leaves through the right edge is labelled at (63500, y - 2000), one that
// leaves through the top at (x, 100), and such a label is left out when it
// would stand at y = 63000 or lower (on the voltage values); a curve that
// stays inside is labelled at its last point.
void PrintCurveText(Surface& page, float unitsPerVolt, float unitsPerMa, std::string_view curveText);

}  // namespace zov
