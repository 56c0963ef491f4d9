#include "plot/series_selection_form.h"

#include "core/text.h"

namespace zov {

namespace {

std::vector<std::string> gridLines(const std::vector<GridColumn>& table)
{
    std::vector<std::string> lines;
    for (const GridColumn& column : table) {
        std::string line = formatGeneral(column.voltage);
        bool seen = false;
        for (const std::string& l : lines)
            seen = seen || l == line;
        if (!seen)
            lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace

SeriesSelectionForm openSeriesSelection(const CurveSet& set)
{
    SeriesSelectionForm form;
    form.vg1Lines = gridLines(set.Vg1Table);
    form.vg2Lines = gridLines(set.Vg2Table);
    form.wide = form.vg2Lines.size() >= 2;
    form.widthPx = form.wide ? kSelectFrameWideWidthPx : kSelectFrameNarrowWidthPx;
    form.preselectVg2 = !form.wide && !form.vg2Lines.empty();
    return form;
}

bool selectionNeedsWarning(int vg1SelectedCount, int vg2SelectedCount)
{
    return vg1SelectedCount > 1 && vg2SelectedCount > 1;
}

std::string selectionList(const std::vector<std::string>& lines, const std::vector<bool>& selected)
{
    std::string list;
    for (std::size_t i = 0; i < lines.size() && i < selected.size(); ++i) {
        if (selected[i])
            list += lines[i] + ",";
    }
    return list;
}

}  // namespace zov
