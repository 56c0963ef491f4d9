#include "plot/scales.h"

#include "core/text.h"

namespace zov {

float UaToX(const PlotScales& scales, float ua)
{
    return static_cast<float>(static_cast<double>(ua) * scales.ScopeUnitsPerVolt);
}

float IaToY(const PlotScales& scales, float iaMa)
{
    return static_cast<float>(65536.0 - static_cast<double>(iaMa) * scales.ScopeUnitsPerMa);
}

float XToUa(const PlotScales& scales, float x)
{
    return static_cast<float>(static_cast<double>(x) / scales.ScopeUnitsPerVolt);
}

float YToIa(const PlotScales& scales, float y)
{
    return static_cast<float>((65536.0 - static_cast<double>(y)) / scales.ScopeUnitsPerMa);
}

void updateScales(PlotScales& scales, std::string_view voltsPerDivText, std::string_view maPerDivText)
{
    const auto v = static_cast<float>(numericValue(voltsPerDivText));
    if (v != 0.0F)
        scales.VoltsPerDiv = v;
    const auto m = static_cast<float>(numericValue(maPerDivText));
    if (m != 0.0F)
        scales.MaPerDiv = m;
    scales.ScopeUnitsPerVolt = 8192.0F / scales.VoltsPerDiv;
    scales.ScopeUnitsPerMa = 8192.0F / scales.MaPerDiv;
}

}  // namespace zov
