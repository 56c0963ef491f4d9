// The curve-file import on arbitrary bytes, detected or forced into each
// shape: no crash, no hang; a failure names a line; a family read holds
// curves ordered by anode voltage, with finite values and no negative current,
// whose TDF text the program's reader loads.

#include "files/curve_import.h"
#include "files/tdf_file.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the options, the rest is the file.
    zov::ImportOptions options;
    options.format = static_cast<zov::CurveFormat>(data[0] % 6);
    if (data[0] & 0x08)
        options.vg1 = {-1.0F};
    if (data[0] & 0x10)
        options.vg2 = 250.0F;
    if (data[0] & 0x20)
        options.columns = "Ua Vg Ia(mA)";
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const zov::ImportResult r = zov::importCurveText(text, options);
    if (!r.ok) {
        if (!r.error.startsWith(QLatin1String("line ")))
            __builtin_trap();
        return 0;
    }
    if (r.family.curves.empty())
        __builtin_trap();
    for (const zov::ImportedCurve& c : r.family.curves) {
        if (c.points.empty() || !std::isfinite(c.vg1) || !std::isfinite(c.vg2))
            __builtin_trap();
        for (std::size_t i = 0; i < c.points.size(); ++i) {
            const zov::UaIa& p = c.points[i];
            if (!std::isfinite(p.ua) || !std::isfinite(p.ia) || p.ia < 0)
                __builtin_trap();
            if (i > 0 && c.points[i - 1].ua > p.ua)
                __builtin_trap();
        }
    }
    zov::CurveSet set;
    if (!zov::readCurveSetFromMemory(set, zov::familyTdfText(r.family)))
        __builtin_trap();
    return 0;
}
