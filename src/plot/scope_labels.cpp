#include "plot/scope_labels.h"

#include "plot/scales.h"
#include "core/text.h"

#include <cmath>

namespace zov {

std::string axisCaption(float value)
{
    return formatPattern(value, "##0.0");
}

void PlaceAxisLabels(const PlotScales& scales, AxisLabelSink& sink, AxisLabelPair pair, int index,
                     float valueU, float valueI, float u, float iMa, Colour colour)
{
    AxisLabelPlacement placement;
    placement.pair = pair;
    placement.index = index;
    placement.captionU = axisCaption(valueU);
    placement.captionI = axisCaption(valueI);
    placement.xUnits = UaToX(scales, u);
    placement.yUnits = IaToY(scales, iMa);
    placement.colour = colour;
    sink.placeAxisLabels(placement);
}

AxisLabelGeometry axisLabelGeometry(const QRect& scopeRect, const QSize& voltageLabel,
                                    const QSize& currentLabel, float xUnits, float yUnits)
{
    const double perUnitX = scopeRect.width() / 65536.0;
    const double perUnitY = scopeRect.height() / 65536.0;
    AxisLabelGeometry g;
    // The voltage label sits 5 px under the plot, centred on the point's X.
    g.voltageTopLeft = QPoint(
        static_cast<int>(std::lround(scopeRect.left() + xUnits * perUnitX - voltageLabel.width() / 2.0)),
        scopeRect.top() + scopeRect.height() + 5);
    // The current label sits 2 px left of the plot, centred on the point's Y.
    g.currentTopLeft = QPoint(
        scopeRect.left() - currentLabel.width() - 2,
        static_cast<int>(std::lround(scopeRect.top() + yUnits * perUnitY - currentLabel.height() / 2.0)));
    return g;
}

}  // namespace zov
