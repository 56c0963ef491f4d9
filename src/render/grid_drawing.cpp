#include "render/grid_drawing.h"

#include "render/plot_colours.h"
#include "plot/scope_labels.h"

namespace zov {

void DrawGrid(Surface& surface, const PlotScales& scales, AxisLabelSink& labels, float maPerDiv,
              float voltsPerDiv)
{
    const Colour saved = surface.colour();
    surface.setColour(kGridColour);
    constexpr int kStep = 65536 / 8;
    // No line at X = 0 or Y = 0; the lines at 8 divisions lie on the bottom
    // and right edges.
    for (int i = 1; i <= 8; ++i)
        surface.line(0.0, i * kStep, 65536.0, i * kStep);
    for (int i = 1; i <= 8; ++i)
        surface.line(i * kStep, 0.0, i * kStep, 65536.0);
    for (int i = 0; i <= 8; ++i) {
        const float volts = static_cast<float>(i) * voltsPerDiv;
        const float milliamps = static_cast<float>(i) * maPerDiv;
        // In Diff mode the current axis reads the difference: zero in the middle.
        PlaceAxisLabels(scales, labels, AxisLabelPair::Grid, i, volts, milliamps - scales.DiffOffsetMa,
                        volts, milliamps, kGridColour);
    }
    surface.setColour(saved);
}

void DrawPowerLimit(Surface& surface, const PlotScales& scales, float pdW)
{
    // k / 1000 is the X where the hyperbola meets the top edge (8 divisions
    // of current); beyond 6,500,000 units nothing of it can be seen.
    const float k = pdW / (8.0F * scales.MaPerDiv) * scales.ScopeUnitsPerVolt;
    if (k > 6500.0F)
        return;
    const double x0 = 1000.0 * k;
    // Ua * Ia = Pd with Ua = x / units-per-volt and Ia in mA gives the height
    // above the bottom edge d = K * units-per-mA / x.
    const double bigK = 1000.0 * scales.ScopeUnitsPerVolt * pdW;
    const Colour saved = surface.colour();
    surface.setColour(kPowerLimitColour);
    surface.setCurrentPos(x0, 0.0);
    for (int x = 1; x <= 65536; x += 20) {
        const double d = bigK * scales.ScopeUnitsPerMa / x;
        if (d < 65536.0)
            surface.lineTo(x, 65536.0 - d);
    }
    surface.setColour(saved);
}

}  // namespace zov
