#pragma once
// Colours and pen widths of the plot picture.

#include "core/curve_store.h"

#include <array>

namespace zov {

inline constexpr Colour kBackgroundCurveColour = rgb(180, 200, 180);  // BackgroundText family
inline constexpr int kBackgroundCurveWidth = 1;
inline constexpr Colour kCurrentCurveColour = rgb(0, 0, 128);  // CurveText family
inline constexpr int kCurrentCurveWidth = 2;
inline constexpr Colour kPowerLimitColour = rgb(255, 0, 0);
inline constexpr Colour kGridColour = rgb(0, 128, 0);  // grid lines and axis labels
inline constexpr Colour kCursorTagColour = rgb(0, 128, 0);
inline constexpr Colour kWhite = rgb(255, 255, 255);

// Comparison slots 0..4 (the text colours of the import check boxes).
inline constexpr std::array<Colour, kSlotCount> kSlotColours{
    rgb(0, 0, 255), rgb(192, 64, 0), rgb(0, 128, 0), rgb(128, 0, 128), rgb(128, 128, 0)};
inline constexpr int kSlotCurveWidth = 2;

// Seed of the difference colour sequence.
inline constexpr int kDiffColourSeed = 40000;

}  // namespace zov
