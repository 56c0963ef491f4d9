#pragma once
// Families for the model-fitting tests: captures of the virtual module (its
// counts decoded as the link decodes them) and the measured families of the
// reference data, both as TDF text read by the TDF reader.

#include "core/curve_store.h"
#include "core/text.h"
#include "files/tdf_file.h"
#include "measure/module_protocol.h"
#include "sim/virtual_module.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace zov::testing {

// One capture of the virtual module emulating `tube`: one curve per grid-1
// voltage (0 or negative, multiples of 0.5 V), at the range divisor given (32 or
// 4), with the module's noise when a seed is given. Grid 2 is the profile's
// screen voltage. Empty when the module cannot start.
inline std::string moduleFamilyTdf(const QString& tube, const std::vector<double>& gridVolts, int rangeDivisor,
                                   std::optional<quint32> noiseSeed = std::nullopt)
{
    VirtualModuleOptions options;
    options.tube = tube;
    options.pacing = false;
    options.noiseSeed = noiseSeed;
    VirtualModule module(options);
    if (!module.start())
        return {};
    const double vg2 = TubeModel::find(tube)->screenVolts;
    std::string tdf;
    for (double g : gridVolts) {
        const int gridCode = 150 - static_cast<int>(std::lround(2.0 * g));
        const std::array<int, 64> volts = module.voltageCounts();
        const std::array<int, 64> amps = module.currentCounts(rangeDivisor, gridCode);
        for (int k = 0; k < 64; ++k) {
            tdf += formatGeneral(protocol::voltsFromCount(volts[k])) + " " +
                   formatGeneral(*protocol::ampsFromCount(amps[k], rangeDivisor)) + " " + formatGeneral(g) + " 0 " +
                   formatGeneral(vg2) + "\r\n";
        }
    }
    return tdf;
}

inline bool readFamily(CurveSet& set, const std::string& tdf)
{
    return !tdf.empty() && readCurveSetFromMemory(set, tdf) && set.Loaded;
}

// A measured family of Brennwald's curve-trace data (file under
// raw/mbrennwa__curvetracedata/) as TDF text: Ua column 3, Ia 4, Vg1 the
// grid supply's set value (column 6), grid 2 written as 0; points where the
// anode supply hit its current or power limit (column 5 = 1) dropped. Empty
// when the file is missing.
inline std::string brennwaldTdf(const std::string& relativePath)
{
    std::ifstream in(std::string(ZOV_REFERENCE_DATA) + "/raw/mbrennwa__curvetracedata/" + relativePath);
    std::string tdf;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        const std::vector<std::string> f{std::istream_iterator<std::string>(fields), {}};
        if (f.size() >= 6 && f[0][0] != '%' && numericValue(f[4]) == 0.0)
            tdf += f[2] + " " + f[3] + " " + f[5] + " 0 0\r\n";
    }
    return tdf;
}

}  // namespace zov::testing
