#pragma once
// The display selectors: their lists and presets, and the automatic scale
// computed from the family in comparison slot 0.

#include "core/curve_store.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace zov {

// "V/div" (CbVdiv), preset to its third entry.
inline constexpr std::array<std::string_view, 5> kVoltsPerDivList{"5", "10", "20", "50", "100"};
inline constexpr int kVoltsPerDivPresetIndex = 2;  // "20"
// "mA/div" (CbMaDiv), preset to its third entry.
inline constexpr std::array<std::string_view, 9> kMaPerDivList{"0.2", "0.5", "1", "2", "5",
                                                               "10", "20", "50", "100"};
inline constexpr int kMaPerDivPresetIndex = 2;  // "1"
// "Pd(W)" (TxPwr), watts.
inline constexpr std::string_view kPowerPreset = "2";

struct AutoScaleTexts {
    std::string maPerDivText;     // new text of CbMaDiv
    std::string voltsPerDivText;  // new text of CbVdiv ("0" for a family up to 6.5 V,
                                  // which the scale update then ignores)
};

// The automatic scale for a family: about a seventh of its largest current
// and voltage per division, rounded down to a multiple of 5 above 5, at least
// 1 mA/div. Nothing (no change, no refresh) when the slot has no file name.
std::optional<AutoScaleTexts> autoScale(const CurveSet& slot0);

}  // namespace zov
