#pragma once
// The window's side of the axis labels: moves the QLabels around the plot to
// where the drawing code places a label pair (grid values LbGrid, cursor tags
// SlideUa/SlideIa, operating-point tags Ua0/Ia0).

#include "plot/axis_label_sink.h"

#include <array>

class QLabel;
class QWidget;

namespace zov::gui {

struct PlotLabels {
    QWidget* scope = nullptr;            // the plot; labels are its siblings
    std::array<QLabel*, 18> grid{};      // 0..8 voltage, 9..17 current
    QLabel* slideUa = nullptr;
    QLabel* slideIa = nullptr;
    QLabel* ua0 = nullptr;
    QLabel* ia0 = nullptr;
};

class GridLabelSink : public AxisLabelSink {
public:
    explicit GridLabelSink(const PlotLabels& labels);
    void placeAxisLabels(const AxisLabelPlacement& placement) override;

private:
    PlotLabels m_labels;
};

}  // namespace zov::gui
