#include "plot/scale_selectors.h"

#include "core/text.h"

#include <cstdint>

namespace zov {

namespace {

// The selector arithmetic works on 16-bit integers; values beyond
// its range saturate instead of wrapping into nonsense scales.
std::int64_t clampInt16(std::int64_t v)
{
    return v < -32768 ? -32768 : (v > 32767 ? 32767 : v);
}

std::int64_t seventhRoundedDown(double maximum)
{
    std::int64_t n = clampInt16(roundHalfEven(maximum)) / 7;
    if (n > 5)
        n = (n / 5) * 5;
    return n;
}

}  // namespace

std::optional<AutoScaleTexts> autoScale(const CurveSet& slot0)
{
    if (slot0.FileName.isEmpty())
        return std::nullopt;
    std::int64_t n = seventhRoundedDown(1000.0 * static_cast<double>(slot0.IaMax));
    if (n < 1)
        n = 1;
    std::int64_t m = seventhRoundedDown(static_cast<double>(slot0.UaMax));
    // A negative scale would mirror the plot; 0 is ignored by the scale update.
    if (m < 0)
        m = 0;
    AutoScaleTexts texts;
    texts.maPerDivText = std::to_string(n);
    texts.voltsPerDivText = std::to_string(m);
    return texts;
}

}  // namespace zov
