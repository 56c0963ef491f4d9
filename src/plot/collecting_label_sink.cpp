#include "plot/collecting_label_sink.h"

namespace zov {

void CollectingLabelSink::placeAxisLabels(const AxisLabelPlacement& placement)
{
    m_placements.push_back(placement);
}

std::optional<AxisLabelPlacement> CollectingLabelSink::latest(AxisLabelPair pair, int index) const
{
    for (auto it = m_placements.rbegin(); it != m_placements.rend(); ++it) {
        if (it->pair == pair && it->index == index)
            return *it;
    }
    return std::nullopt;
}

}  // namespace zov
