#include "render/comparison_sets.h"

#include "render/curve_drawing.h"
#include "render/plot_colours.h"
#include "core/text.h"

#include <algorithm>

namespace zov {

namespace {

// TxVin shows twice the family's grid-1 spacing: a full swing of one step
// either way. General number format with a leading blank when not negative.
std::string vinText(float vg1Spacing)
{
    const float swing = 2.0F * vg1Spacing;
    const std::string number = formatGeneral(swing);
    return swing < 0.0F ? number : " " + number;
}

float listValue(std::string_view field)
{
    return static_cast<float>(numericValue(field));
}

}  // namespace

void PlotDifference(Surface& surface, const PlotScales& scales, DiffColourSequence& diffColours,
                    const std::vector<PointColumn>& a, const std::vector<PointColumn>& b)
{
    std::vector<PointColumn> d = a;
    const std::size_t n = std::min(a.size(), b.size());
    // The offset in amperes puts a zero difference on the middle grid line.
    const float offsetA = scales.DiffOffsetMa / 1000.0F;
    for (std::size_t j = 0; j < n; ++j)
        d[j][kRowIa] = a[j][kRowIa] - b[j][kRowIa] + offsetA;
    const auto colour = static_cast<Colour>(diffColours.NextDiffColor(kDiffColourSeed));
    PlotSeries(surface, scales, colour, kDrawModeCopy, kLineSolid, kSlotCurveWidth, d, true);
}

int lastDrawnSlot(CookOption option)
{
    switch (option) {
    case CookOption::Match:
        return kSlotCount - 1;
    case CookOption::Diff:
        return 1;
    case CookOption::SE:
    case CookOption::PP:
        break;
    }
    return 0;
}

void loadComparisonSlots(ComparisonSlots& sets, const ComparisonOptions& options,
                         const SlotReader& readSlot)
{
    for (int i = 0; i <= lastDrawnSlot(options.option); ++i) {
        const ImportLine& import = options.imports[static_cast<std::size_t>(i)];
        CurveSet& slot = sets.CurveSets[static_cast<std::size_t>(i)];
        if (!import.ticked || (import.path == slot.FileName && slot.Loaded))
            continue;
        slot.FileName = import.path;
        // A slot that cannot be read is not drawn; the others are.
        slot.Loaded = false;
        if (readSlot) {
            try {
                readSlot(slot);
            } catch (...) {
                slot.Loaded = false;
            }
        }
    }
}

ComparisonResult DrawComparisonSets(Surface& surface, const ComparisonSlots& sets,
                                    const PlotScales& scales, WorkMode mode,
                                    const ComparisonOptions& options, DiffColourSequence& diffColours)
{
    ComparisonResult result;
    if (mode == WorkMode::Capture)
        return result;
    const bool diff = options.option == CookOption::Diff;
    for (int i = 0; i <= lastDrawnSlot(options.option); ++i) {
        const ImportLine& import = options.imports[static_cast<std::size_t>(i)];
        if (!import.ticked)
            continue;
        const CurveSet& slot = sets.CurveSets[static_cast<std::size_t>(i)];
        // A slot that does not hold the named file completely holds nothing
        // that belongs to it: drawing its previous contents under the new
        // name would show the wrong family.
        if (!slot.Loaded || slot.FileName != import.path)
            continue;
        if (i == 0)
            result.vinText = vinText(slot.Vg1Spacing);

        const SeriesSelection& selection = sets.SeriesSelections[static_cast<std::size_t>(i)];
        for (int k1 = 1;; ++k1) {
            const std::string_view s1 = GetField(selection.Vg1List, k1, ",");
            if (s1.empty())
                break;
            const float vg1 = listValue(s1);
            for (const Series& match : slot.Series) {
                if (match.Vg1 != vg1)
                    continue;
                // Once per series with this grid-1 voltage: a selected curve is
                // drawn once per grid-2 voltage its slot holds at that grid-1
                // voltage (in Diff mode, each time in the next colour).
                for (int k2 = 1;; ++k2) {
                    const std::string_view s2 = GetField(selection.Vg2List, k2, ",");
                    if (s2.empty())
                        break;
                    const float vg2 = listValue(s2);
                    for (std::size_t j2 = 0; j2 < slot.Series.size(); ++j2) {
                        const Series& s = slot.Series[j2];
                        if (s.Vg1 != vg1 || s.Vg2 != vg2)
                            continue;
                        if (!diff) {
                            PlotSeries(surface, scales, kSlotColours[static_cast<std::size_t>(i)],
                                       kDrawModeCopy, kLineSolid, kSlotCurveWidth, s.Points, true);
                        } else if (i == 1) {
                            // Paired by position in the two sets, not by grid
                            // voltage; a position slot 0 lacks is skipped.
                            const auto& slot0 = sets.CurveSets[0].Series;
                            if (sets.CurveSets[0].Loaded && j2 < slot0.size())
                                PlotDifference(surface, scales, diffColours, slot0[j2].Points, s.Points);
                        }
                    }
                }
            }
        }
    }
    return result;
}

}  // namespace zov
