#include "plot/scales.h"

#include "core/text.h"

#include <cmath>

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

namespace {

// A typed scale is taken when it is a number other than 0 whose scale factor
// is a finite float: "1e300" or "1e-45" per division would put every point at
// infinity, and converting that to a pixel has no defined result.
bool usableScale(float perDiv)
{
    return perDiv != 0.0F && std::isfinite(perDiv) && std::isfinite(8192.0F / perDiv);
}

}  // namespace

void updateScales(PlotScales& scales, std::string_view voltsPerDivText, std::string_view maPerDivText)
{
    const auto v = static_cast<float>(numericValue(voltsPerDivText));
    if (usableScale(v))
        scales.VoltsPerDiv = v;
    const auto m = static_cast<float>(numericValue(maPerDivText));
    if (usableScale(m))
        scales.MaPerDiv = m;
    scales.ScopeUnitsPerVolt = 8192.0F / scales.VoltsPerDiv;
    scales.ScopeUnitsPerMa = 8192.0F / scales.MaPerDiv;
}

}  // namespace zov
