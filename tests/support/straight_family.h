#pragma once
// The family of straight parallel lines the design tests place stages on:
// Ia = (Ua + 20 Vg1 + 220) / 20 kOhm, so gm is 1 mA/V, rp 20 kOhm and mu 20
// everywhere, and every result has a value worked out by hand.

#include "core/text.h"

#include <string>

namespace zov::testing {

// TDF text: grid 1 from 0 V down to -30 V in steps of `gridStepV`, anode
// voltages from `uaStepV` to 500 V in steps of `uaStepV`, grid 2 at `vg2`.
inline std::string straightFamilyTdf(int gridStepV = 1, int uaStepV = 5, const char* vg2 = "0")
{
    std::string tdf;
    for (int g = 0; g >= -30; g -= gridStepV)
        for (int u = uaStepV; u <= 500; u += uaStepV)
            tdf += formatGeneral(u) + " " + formatGeneral((u + 20.0 * g + 220.0) / 20000.0) + " " +
                   formatGeneral(g) + " 0 " + vg2 + "\r\n";
    return tdf;
}

}  // namespace zov::testing
