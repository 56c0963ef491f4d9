#include "design/design_inputs.h"

#include "core/text.h"

namespace zov {

float clampLoadKOhm(float loadKOhm)
{
    // The field reads non-numeric text as 0, which also ends up at the minimum.
    if (!(loadKOhm >= kMinLoadKOhm))
        return kMinLoadKOhm;
    if (loadKOhm > kMaxLoadKOhm)
        return kMaxLoadKOhm;
    return loadKOhm;
}

float defaultInputSwing(const CurveSet& set)
{
    return static_cast<float>(numericValue(formatGeneral(2.0F * set.Vg1Spacing)));
}

std::string selectionEntry(float voltage)
{
    return formatGeneral(voltage);
}

SeriesSelection defaultSelection(const CurveSet& set)
{
    SeriesSelection s;
    bool first = true;
    float previous = 0.0F;
    for (const GridColumn& c : set.Vg1Table) {
        // The table is sorted, so repeated voltages are adjacent.
        if (!first && c.voltage == previous)
            continue;
        s.Vg1List += selectionEntry(c.voltage) + ",";
        previous = c.voltage;
        first = false;
    }
    if (!set.Vg2Table.empty())
        s.Vg2List = selectionEntry(set.Vg2Table.front().voltage) + ",";
    return s;
}

}  // namespace zov
