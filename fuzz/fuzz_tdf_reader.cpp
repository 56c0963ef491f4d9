// The TDF reader on arbitrary bytes: no crash, no hang, and a loaded set keeps
// the invariants the drawing and design code rely on.

#include "files/tdf_file.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zov::CurveSet set;
    const bool loaded =
        zov::readCurveSetFromMemory(set, std::string_view(reinterpret_cast<const char*>(data), size));
    if (loaded != set.Loaded)
        __builtin_trap();
    // Loaded or reset, the tops always match the tables.
    if (set.Vg1Top != static_cast<int>(set.Vg1Table.size()) - 1 || set.Vg2Top != static_cast<int>(set.Vg2Table.size()) - 1)
        __builtin_trap();
    if (set.Series.empty())
        __builtin_trap();
    for (const zov::GridColumn& c : set.Vg1Table)
        if (c.series < 0 || c.series >= static_cast<int>(set.Series.size()))
            __builtin_trap();
    if (!loaded)
        return 0;
    for (std::size_t i = 1; i < set.Vg1Table.size(); ++i)
        if (set.Vg1Table[i].voltage < set.Vg1Table[i - 1].voltage)
            __builtin_trap();
    for (const zov::Series& s : set.Series) {
        if (s.Points.empty())
            __builtin_trap();
        for (std::size_t i = 1; i < s.Points.size(); ++i)
            if (s.Points[i][zov::kRowUa] < s.Points[i - 1][zov::kRowUa])
                __builtin_trap();
        // Numbers beyond the 32-bit range read as 0: every value is finite.
        for (const zov::PointColumn& p : s.Points)
            for (const float v : p)
                if (!std::isfinite(v))
                    __builtin_trap();
    }
    return 0;
}
