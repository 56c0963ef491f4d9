#pragma once
// Cook-mode drawing of the comparison families: the selected series of the
// ticked import slots, or in "Diff (a-b)" the current difference of slots 0
// and 1.

#include "render/diff_colour_sequence.h"
#include "render/surface.h"
#include "core/curve_store.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zov {

// One import line of the "Cooking" frame (check box CkImport(i) and its tag).
struct ImportLine {
    bool ticked = false;
    QString path;  // the tag: path of the file meant for the slot
};

struct ComparisonOptions {
    CookOption option = CookOption::Match;
    std::array<ImportLine, kSlotCount> imports;
};

// (Re)reads a slot from the file named by its FileName (already set from the
// import line's path). The files layer provides it (ReadCurveSet); a reader
// that fails leaves the slot not Loaded, and the slot then draws nothing.
using SlotReader = std::function<void(CurveSet& slot)>;

struct ComparisonResult {
    // New text of TxVin (2 x Vg1Spacing of slot 0, general number format, a
    // leading blank when not negative) when slot 0 is ticked; else nothing.
    std::optional<std::string> vinText;
};

// The slots a picture with `option` draws: SE and PP slot 0, Match 0 to 4,
// "Diff (a-b)" 0 and 1.
int lastDrawnSlot(CookOption option);

// Brings the slots the picture will draw up to date: a ticked slot (among
// those the option draws) whose path differs from its FileName, or that is
// not Loaded, takes the path as FileName and is read through `readSlot`. A
// reader that fails or throws leaves the slot not Loaded. This is the one
// step of a Cook picture that reads files and writes slots, so the caller
// runs it before composing the picture.
void loadComparisonSlots(ComparisonSlots& sets, const ComparisonOptions& options,
                         const SlotReader& readSlot);

// Draws the comparison families (nothing in Capture mode): the selected series
// of each ticked slot that holds the file its line names (Loaded, FileName
// equal to the path); a slot that does not is skipped, as is a series index
// beyond the other set in "Diff (a-b)". Reads the slots only.
ComparisonResult DrawComparisonSets(Surface& surface, const ComparisonSlots& sets,
                                    const PlotScales& scales, WorkMode mode,
                                    const ComparisonOptions& options, DiffColourSequence& diffColours);

// Draws a minus b (current row; points beyond the shorter array keep a's
// values), shifted up by scales.DiffOffsetMa so that zero lies on the middle
// grid line, in the next colour of the sequence, tagged with a's grid voltages.
void PlotDifference(Surface& surface, const PlotScales& scales, DiffColourSequence& diffColours,
                    const std::vector<PointColumn>& a, const std::vector<PointColumn>& b);

}  // namespace zov
