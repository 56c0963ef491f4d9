#pragma once
// Placement of the value labels beside the plot: the captions and plot
// positions of a label pair, and the window geometry of the two labels for a
// plot shown in a given rectangle of window pixels.

#include "plot/axis_label_sink.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <string>

namespace zov {

// An axis value as the labels show it: "##0.0".
std::string axisCaption(float value);

// Places a label pair: the captions are valueU and valueI, the positions are
// those of the point (u volts, iMa milliamperes). Callers write the value to be
// read (a current minus DiffOffsetMa, say) while the label sits at the drawn
// position.
void PlaceAxisLabels(const PlotScales& scales, AxisLabelSink& sink, AxisLabelPair pair, int index,
                     float valueU, float valueI, float u, float iMa, Colour colour);

// Window geometry of a label pair (top-left corners, window pixels).
struct AxisLabelGeometry {
    QPoint voltageTopLeft;  // centred under the point, 5 px below the plot
    QPoint currentTopLeft;  // centred beside the point, 2 px left of the plot
};

// scopeRect: the plot in window pixels; voltageLabel/currentLabel: the sizes of
// the two labels; xUnits/yUnits: the plot position (AxisLabelPlacement).
AxisLabelGeometry axisLabelGeometry(const QRect& scopeRect, const QSize& voltageLabel,
                                    const QSize& currentLabel, float xUnits, float yUnits);

}  // namespace zov
