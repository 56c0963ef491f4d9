#pragma once
// Editing the design inputs: the arrow-key stepping of the load and swing
// fields and the clamp of the load field, as functions of their texts so that
// the window only moves texts around.

#include "design/design_inputs.h"
#include "core/curve_store.h"

#include <optional>
#include <string>
#include <string_view>

namespace zov {

// Key codes the stepping understands (those of the window's key events).
enum class StepKey : int { Left = 37, Up = 38, Right = 39, Down = 40 };

struct SpinResult {
    bool changed = false;  // the text now holds a new positive value
    std::string text;      // the field's text afterwards
};

// One arrow-key step of a number field (key Up or Down; any other key
// changes nothing). An empty text is left alone. With a non-zero step the new
// value is the old one plus or minus the step, written "###.0"; with step 0
// the increment follows the magnitude of the value (below 0.1: 0.001, below
// 1: 0.01, below 10: 0.1, below 100: 1, below 1000: 10, else 100) and the new
// number is written in the general format. A result that is not positive is
// refused: the old value is written back (in the general format) and changed
// is false.
SpinResult SpinValue(std::string_view text, StepKey key, float step);

// The step of the load field for Up and Down: a tenth of the value, written as
// text and read back, rounded down to a whole number (0 below 10 kOhm, which
// selects the magnitude rule of SpinValue).
float loadStepKOhm(std::string_view loadText);

// The step of the swing field, stepped from the load field with Left and
// Right: a fifth of the family's grid-1 spacing.
float swingStep(const CurveSet& set);

// The inputs of a design as the fields hold them: the load read as its
// leading number and kept within the clamp (a field still being typed may hold
// "0" for a moment; the slope must never be zero), the swing read as its
// leading number.
DesignInputs designInputsFromTexts(Topology topology, std::string_view loadText, std::string_view vinText);

// The load field's clamp: the text that replaces `loadText` when its value lies
// outside kMinLoadKOhm ... kMaxLoadKOhm ("0.01" or "100000"), or nothing when
// the value is in range. A text that does not start with a number reads as 0.
std::optional<std::string> clampedLoadText(std::string_view loadText);

}  // namespace zov
