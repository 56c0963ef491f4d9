#pragma once
// Measured families of the reference data (read in place) converted to TDF
// text, for tests that import a real family as a user would.

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace zov::testing {

// The 300B family measured by M. Brennwald (grid-1 steps of 10 V, 0 to 400 V).
inline const char* const k300BFamily = "raw/mbrennwa__curvetracedata/300B/data/300B_Svetlana_5.dat";
// His EL34 in triode connection.
inline const char* const kEL34Family = "raw/mbrennwa__curvetracedata/EL34/data/EL34_1.dat";

// TDF lines (Ua V, Ia A, Vg1, 0, Vg2 0, CR LF) of a .dat file of that set:
// Ua is column 3, Ia 4, Vg1 6; points the limiter cut short (column 5 not 0)
// are dropped. Empty when the file is missing.
inline std::string referenceTdf(const std::string& relativePath)
{
    std::ifstream in(std::string(ZOV_REFERENCE_DATA) + "/" + relativePath, std::ios::binary);
    std::string tdf;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        const std::vector<std::string> f{std::istream_iterator<std::string>(fields),
                                         std::istream_iterator<std::string>()};
        if (f.size() >= 6 && f[0][0] != '%' && std::stod(f[4]) == 0.0)
            tdf += f[2] + " " + f[3] + " " + f[5] + " 0 0\r\n";
    }
    return tdf;
}

}  // namespace zov::testing
