#pragma once
// The "Select Series" frame as values: the lines its two lists offer for a
// family, the narrow and wide forms, the rule that replaces "Apply" by the
// warning, and the selection lists that "Apply" stores.

#include "core/curve_store.h"

#include <string>
#include <vector>

namespace zov {

// Frame widths in pixels: wide with both lists, narrow with the grid-1 list
// alone (a family of one grid-2 voltage).
constexpr int kSelectFrameWideWidthPx = 177;
constexpr int kSelectFrameNarrowWidthPx = 129;

struct SeriesSelectionForm {
    std::vector<std::string> vg1Lines;  // ascending grid-1 voltages, each once
    std::vector<std::string> vg2Lines;  // ascending grid-2 voltages, each once
    bool wide = false;                  // the grid-2 list is shown
    int widthPx = kSelectFrameNarrowWidthPx;
    // Narrow form: the one grid-2 line is selected (and hidden), so "Apply"
    // stores it.
    bool preselectVg2 = false;
};

// The lists for `set`: each grid voltage as the selection lists write it (up
// to seven significant digits, "-" for negative values). A voltage that
// several columns of a grid table share (a family appended at another grid-2
// voltage repeats its grid-1 voltages) is offered once: two equal lines could
// not be told apart and, both selected, would draw the same curves twice.
SeriesSelectionForm openSeriesSelection(const CurveSet& set);

// "Apply" is replaced by the warning "Multiselect allowed for one grid only"
// while both lists hold more than one selected line.
bool selectionNeedsWarning(int vg1SelectedCount, int vg2SelectedCount);

// The selection "Apply" stores: the selected lines of each list in list order,
// each followed by ",". `selected` flags run parallel to the lines.
std::string selectionList(const std::vector<std::string>& lines, const std::vector<bool>& selected);

}  // namespace zov
