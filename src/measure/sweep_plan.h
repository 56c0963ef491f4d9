#pragma once
// The pure part of a capture sweep: reading and checking the grid settings,
// the grid code of a step, and the curve-text lines of one measured curve.
// The window uses planSweep to check its text boxes without starting anything.

#include <string>
#include <string_view>

namespace zov {

// Grid-1 settings are magnitudes in volts (the grid voltage itself is negative,
// so "5" and "-5" both mean -5 V), limited to 0..31 V by the module's grid DAC
// (codes 150..212), with a pitch on the 0.5 V grid of the codes.
inline constexpr float kMaxGridMagnitude = 31.0F;

struct SweepPlan {
    bool valid = false;
    float start = 0.0F;  // V, magnitude
    float stop = 0.0F;   // V, magnitude
    float pitch = 0.0F;  // V, 0 means a single curve at `start`
    int stepCount = 0;   // curves the sweep will measure (0 when invalid)
};

// Reads the three texts leniently (leading number, sign ignored, 32-bit float)
// and checks them: each 0..31, start <= stop, and 10 x pitch rounded half to
// even a multiple of 5. The step count follows the sweep's own 32-bit float
// accumulation of the pitch, so it matches the curves actually measured.
SweepPlan planSweep(std::string_view start, std::string_view stop, std::string_view pitch);

// The magnitude of the number at the start of a text, as a 32-bit float.
float gridMagnitude(std::string_view text);

// The grid-1 drive byte: 2 x magnitude + 150 rounded half to even (150 for 0 V,
// 212 for 31 V; a quarter volt left over goes to the even code).
int gridCodeFor(float vg1Magnitude);

// Appends the 64 data lines of one curve to `text`: Ua, Ia, -Vg1 in the general
// number format, the digit 0 and the grid-2 text as typed, separated by single
// spaces and ended by CR LF. The 0 V step is written "0" (never "-0") so that
// every line of a curve carries the same grid-1 text.
void appendCurveLines(std::string& text, const float* uaVolts, const float* iaAmps, int count,
                      float vg1Magnitude, std::string_view vg2Text);

// The grid-2 text as it goes into a data line: line breaks removed, because one
// inside the text would cut the line in two and corrupt the curve text.
std::string dataLineVg2Text(std::string_view typed);

}  // namespace zov
