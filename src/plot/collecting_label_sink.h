#pragma once
// A label sink that keeps the placements: the image export draws them in its
// margin afterwards, tests inspect them.

#include "plot/axis_label_sink.h"

#include <optional>
#include <vector>

namespace zov {

class CollectingLabelSink : public AxisLabelSink {
public:
    void placeAxisLabels(const AxisLabelPlacement& placement) override;

    // Every placement in call order.
    const std::vector<AxisLabelPlacement>& placements() const { return m_placements; }
    // The last placement of a label pair (what a window would show), if any.
    std::optional<AxisLabelPlacement> latest(AxisLabelPair pair, int index) const;
    void reset() { m_placements.clear(); }

private:
    std::vector<AxisLabelPlacement> m_placements;
};

}  // namespace zov
