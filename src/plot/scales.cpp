#include "plot/scales.h"

#include "core/text.h"

namespace zov {

float UaToX(const Workspace& ws, float ua)
{
    return static_cast<float>(static_cast<double>(ua) * ws.ScopeUnitsPerVolt);
}

float IaToY(const Workspace& ws, float iaMa)
{
    return static_cast<float>(65536.0 - static_cast<double>(iaMa) * ws.ScopeUnitsPerMa);
}

float XToUa(const Workspace& ws, float x)
{
    return static_cast<float>(static_cast<double>(x) / ws.ScopeUnitsPerVolt);
}

float YToIa(const Workspace& ws, float y)
{
    return static_cast<float>((65536.0 - static_cast<double>(y)) / ws.ScopeUnitsPerMa);
}

void updateScales(Workspace& ws, std::string_view voltsPerDivText, std::string_view maPerDivText)
{
    const auto v = static_cast<float>(numericValue(voltsPerDivText));
    if (v != 0.0F)
        ws.VoltsPerDiv = v;
    const auto m = static_cast<float>(numericValue(maPerDivText));
    if (m != 0.0F)
        ws.MaPerDiv = m;
    ws.ScopeUnitsPerVolt = 8192.0F / ws.VoltsPerDiv;
    ws.ScopeUnitsPerMa = 8192.0F / ws.MaPerDiv;
}

}  // namespace zov
