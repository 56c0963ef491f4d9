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

// The design option buttons of the "Cooking" frame.
enum class CookOption { SE, PP, Match, Diff };

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

// Draws the comparison families (nothing in Capture mode). Slots are re-read
// through `readSlot` when ticked and their path differs from FileName or they
// are not Loaded. Faults of one slot (a missing file, a series index beyond the
// other set) skip that drawing and go on with the next.
ComparisonResult DrawComparisonSets(Surface& surface, Workspace& ws,
                                    const ComparisonOptions& options,
                                    const SlotReader& readSlot, DiffColourSequence& diffColours);

// Draws a minus b (current row; points beyond the shorter array keep a's
// values), shifted up by ws.DiffOffsetMa so that zero lies on the middle grid
// line, in the next colour of the sequence, tagged with a's grid voltages.
void PlotDifference(Surface& surface, const Workspace& ws, DiffColourSequence& diffColours,
                    const std::vector<PointColumn>& a, const std::vector<PointColumn>& b);

}  // namespace zov
