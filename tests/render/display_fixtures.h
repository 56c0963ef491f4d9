#pragma once
// Curve texts, series and workspaces shared by the display tests.

#include "render/recording_surface.h"
#include "plot/scales.h"
#include "core/text.h"
#include "core/curve_store.h"

#include <gtest/gtest.h>

namespace zov::testing {

// Curve-text lines: Ua (V), Ia (A), the grid-1 text, 0, grid-2 voltage 0, CR LF.
inline std::string curveText(const std::vector<std::pair<double, double>>& uaIa, const std::string& vg1)
{
    std::string text;
    for (const auto& [ua, ia] : uaIa)
        text += formatGeneral(ua) + " " + formatGeneral(ia) + " " + vg1 + " 0 0\r\n";
    return text;
}

// `curves` curves of `points` points from 0 V to maxUa, up to about maxIa (A).
inline std::string familyText(int curves, int points, double maxUa, double maxIa)
{
    std::string text;
    for (int c = 0; c < curves; ++c) {
        for (int p = 1; p <= points; ++p) {
            const double ua = maxUa * p / points;
            text += curveText({{ua, maxIa * (ua / maxUa) * (ua / maxUa) / (1.0 + 0.3 * c)}}, formatGeneral(-0.5 * c));
        }
    }
    return text;
}

inline Series series(float vg1, float vg2, const std::vector<std::pair<float, float>>& uaIa)
{
    Series s;
    s.Vg1 = vg1;
    s.Vg2 = vg2;
    for (const auto& [ua, ia] : uaIa)
        s.Points.push_back(PointColumn{ua, ia, vg1, 0.0F, vg2, 0.0F, 0.0F});
    return s;
}

inline Workspace workspaceAt(const char* voltsPerDiv, const char* maPerDiv)
{
    Workspace ws;
    updateScales(ws, voltsPerDiv, maPerDiv);
    return ws;
}

}  // namespace zov::testing
