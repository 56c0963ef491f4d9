#pragma once
// Builds curve texts (TDF lines) and curve sets for the display tests.

#include "files/text.h"
#include "measure/curve_store.h"

#include <string>
#include <utility>
#include <vector>

namespace zov::testing {

// One data line: Ua (V), Ia (A), grid-1 text, 0, grid-2 text, CR LF.
inline std::string tdfLine(double ua, double ia, const std::string& vg1, const std::string& vg2 = "0")
{
    return formatGeneral(ua) + " " + formatGeneral(ia) + " " + vg1 + " 0 " + vg2 + "\r\n";
}

// A family of `curves` curves of `points` points each, rising from 0 V to
// maxUa with currents up to about maxIa (A) for the least negative grid.
inline std::string familyText(int curves, int points, double maxUa, double maxIa)
{
    std::string text;
    for (int c = 0; c < curves; ++c) {
        const std::string vg1 = formatGeneral(-0.5 * c);
        for (int p = 0; p < points; ++p) {
            const double ua = maxUa * (p + 1) / points;
            const double ia = maxIa * (ua / maxUa) * (ua / maxUa) / (1.0 + 0.3 * c);
            text += tdfLine(ua, ia, vg1);
        }
    }
    return text;
}

inline PointColumn point(float ua, float ia, float vg1, float vg2 = 0.0F)
{
    return PointColumn{ua, ia, vg1, 0.0F, vg2, 0.0F, 0.0F};
}

inline Series series(float vg1, float vg2, std::vector<std::pair<float, float>> uaIa)
{
    Series s;
    s.Vg1 = vg1;
    s.Vg2 = vg2;
    for (const auto& [ua, ia] : uaIa)
        s.Points.push_back(point(ua, ia, vg1, vg2));
    return s;
}

}  // namespace zov::testing
