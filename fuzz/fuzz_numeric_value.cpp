// The numeric value of a text, and the number formats that write what it
// reads: the shortest round-trip text of any float reads back to the same float.

#include "core/text.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t consumed = 0;
    const double value = zov::numericValue(text, &consumed);
    if (consumed > size || std::isnan(value))
        __builtin_trap();
    if (consumed == 0 && value != 0.0)
        __builtin_trap();
    (void)zov::formatGeneral(value);
    (void)zov::formatPattern(value, "##0.0#");

    if (size >= sizeof(float)) {
        float f = 0.0F;
        std::memcpy(&f, data, sizeof f);
        if (std::isfinite(f)) {
            const std::string written = zov::formatRoundTrip(f);
            if (static_cast<float>(zov::numericValue(written)) != f)
                __builtin_trap();
        }
    }
    return 0;
}
