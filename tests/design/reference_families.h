#pragma once
// Families of the reference data (read in place under ZOV_REFERENCE_DATA),
// converted to TDF text as a capture writes it ("Ua Ia(A) Vg1 0 Vg2" per
// point) and read by the TDF reader. Their curves are curved, irregularly
// sampled, quantized and cut short by the tracers' current and power limits.
#include "core/text.h"
#include "design/design_inputs.h"
#include "files/tdf_file.h"
#include "plot/scales.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace zov::test {

inline const std::string kBrennwald = "raw/mbrennwa__curvetracedata/";
inline const std::string k300B = kBrennwald + "300B/data/300B_Svetlana_5.dat";
inline const std::string k300BMesh = kBrennwald + "300B/data/300B_TJMesh_1.dat";
inline const std::string kEL34 = kBrennwald + "EL34/data/EL34_1.dat";
inline const std::string kKT66 = kBrennwald + "KT66/data/KT66_10.dat";
inline const std::string k6L6 =
    "raw/jilott__valvestudio/projects/beamPentodePushPullBiasing/GE - 6L6GC - 400V Screen Voltage.csv";
inline const std::string kEcc83Philips = "raw/jilott__valvestudio/experiments/02-modeling/triode/data/ecc83-philips-1954.csv";
inline const std::string kEcc83Utd = "raw/audio-projects__tube-models/src/test-assets/ECC83.utd";
inline const std::string kEcc82Utd = "raw/audio-projects__tube-models/src/test-assets/ECC82.utd";
inline const std::string kEcc81Utd = "raw/audio-projects__tube-models/src/test-assets/ECC81.utd";
inline const std::string k6SN7Utd = "raw/audio-projects__tube-models/src/app/workers/models/files/6SN7.utd";
inline const std::string kEcc83Table = "raw/harper493__utracer_assistant/data/ecc83.txt";
inline const std::string k6SN7Table = "raw/harper493__utracer_assistant/data/6sn7.txt";
inline const std::string k6CG7Table = "raw/harper493__utracer_assistant/data/6cg7.txt";

// Every measured or digitized family, for the property tests.
inline const std::vector<std::string>& allReferenceFamilies()
{
    static const std::vector<std::string> all{k300B, k300BMesh, kEL34, kKT66, k6L6, kEcc83Philips, kEcc83Utd,
                                              kEcc82Utd, kEcc81Utd, k6SN7Utd, kEcc83Table, k6SN7Table, k6CG7Table};
    return all;
}

inline std::string tdfLine(const std::string& ua, const std::string& iaA, const std::string& vg1, const char* vg2)
{
    return ua + " " + iaA + " " + vg1 + " 0 " + vg2 + "\r\n";
}

inline std::string milliToAmps(const std::string& ma) { return formatGeneral(numericValue(ma) / 1000.0); }

// The file as TDF text; empty when it is missing.
//  .dat (mbrennwa): Ua column 3, Ia 4, Vg1 6, grid 2 as 0; points where the
//    limiter acted (column 5) dropped, so curves end at 120 mA / 40 W (300B)
//    or 150 mA / 25 W (EL34).
//  6L6GC .csv (digitized): a header of grid-1 voltages, then Ua and one
//    current (A) per grid; grid 2 at 400 V. Some Ua values repeat: vertical
//    steps.
//  Philips ECC83 .csv (digitized): blocks "x,CurveN" of "Ua,Ia(A)" rows,
//    Vg1 = -0.5 (N - 1) V.
//  .utd (hobby tracer): Point, Curve, Ia (mA), Is, Vg, Va, ...
//  harper .txt (uTracer table): a caption, a line of "Vg = -2  V" labels, rows
//    of Ua and one current (mA) per grid. The labels of ecc83.txt are doubtful
//    (see the data's notes); they are used as printed.
inline std::string referenceTdf(const std::string& relativePath)
{
    std::ifstream in(std::string(ZOV_REFERENCE_DATA) + "/" + relativePath, std::ios::binary);
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(in, line);) {
        std::replace(line.begin(), line.end(), ',', ' ');
        std::istringstream fields(line);
        rows.emplace_back(std::istream_iterator<std::string>(fields), std::istream_iterator<std::string>());
    }
    std::string tdf;
    if (relativePath == k6L6) {
        for (std::size_t col = 1; !rows.empty() && col < rows[0].size(); ++col)
            for (std::size_t r = 1; r < rows.size(); ++r)
                if (rows[r].size() > col)
                    tdf += tdfLine(rows[r][0], rows[r][col], rows[0][col], "400");
    } else if (relativePath == kEcc83Philips) {
        std::string grid;
        for (const auto& f : rows) {
            if (f.size() == 2 && f[0] == "x")
                grid = formatGeneral(-0.5 * (numericValue(f[1].substr(5)) - 1.0));
            else if (f.size() == 2 && !grid.empty())
                tdf += tdfLine(f[0], f[1], grid, "0");
        }
    } else if (relativePath.ends_with(".dat")) {
        for (const auto& f : rows)
            if (f.size() >= 6 && f[0][0] != '%' && numericValue(f[4]) == 0.0)
                tdf += tdfLine(f[2], f[3], f[5], "0");
    } else if (relativePath.ends_with(".utd")) {
        for (std::size_t r = 1; r < rows.size(); ++r)
            if (rows[r].size() >= 6)
                tdf += tdfLine(rows[r][5], milliToAmps(rows[r][2]), rows[r][4], "0");
    } else if (relativePath.ends_with(".txt") && rows.size() > 2) {
        std::vector<std::string> grids;
        for (std::size_t w = 1; w < rows[1].size(); ++w)
            if (rows[1][w - 1] == "=")
                grids.push_back(rows[1][w]);
        for (std::size_t c = 0; c < grids.size(); ++c)
            for (std::size_t r = 2; r < rows.size(); ++r)
                if (rows[r].size() == grids.size() + 1)
                    tdf += tdfLine(rows[r][0], milliToAmps(rows[r][c + 1]), grids[c], "0");
    }
    return tdf;
}

// A reference family in slot 0 with every curve selected, in the design mode
// at the given scales; false when the file is missing.
inline bool loadReference(Workspace& ws, const std::string& relativePath, const char* vdiv, const char* madiv)
{
    const std::string tdf = referenceTdf(relativePath);
    if (tdf.empty() || !readCurveSetFromMemory(ws.CurveSets[0], tdf))
        return false;
    ws.SeriesSelections[0] = defaultSelection(ws.CurveSets[0]);
    ws.ModeName = WorkMode::Cook;
    updateScales(ws, vdiv, madiv);
    return true;
}

}  // namespace zov::test
