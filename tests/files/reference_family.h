#pragma once
// Turns a measured family of the reference data (a table of anode voltage and
// one current column in mA per grid voltage, as in the uTracer exports) into
// TDF text, the way a capture would have written it: one block of lines per
// grid voltage, fields "Ua Ia(A) Vg1 0 Vg2", CR LF line ends.

#include "files/text.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zov::testdata {

struct Family {
    std::vector<float> gridVolts;                 // one per current column
    std::vector<float> anodeVolts;                // one per table row
    std::vector<std::vector<float>> currentsMa;   // [row][column]
};

inline std::vector<std::string_view> splitBlanks(std::string_view line)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
            ++i;
        if (i > start)
            out.push_back(line.substr(start, i - start));
    }
    return out;
}

// Reads a uTracer table export: a caption line, a line "Vg = -2  V ..." and
// rows of numbers. Returns false when the file is missing or has no rows.
inline bool readUtracerTable(const std::string& path, Family& family)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    std::getline(in, line);  // caption
    std::getline(in, line);  // grid voltages
    const auto header = splitBlanks(line);
    for (std::size_t i = 0; i + 2 < header.size(); ++i)
        if (header[i] == "Vg" && header[i + 1] == "=")
            family.gridVolts.push_back(static_cast<float>(numericValue(header[i + 2])));
    while (std::getline(in, line)) {
        const auto cells = splitBlanks(line);
        if (cells.size() != family.gridVolts.size() + 1)
            continue;
        family.anodeVolts.push_back(static_cast<float>(numericValue(cells[0])));
        std::vector<float> row;
        for (std::size_t c = 1; c < cells.size(); ++c)
            row.push_back(static_cast<float>(numericValue(cells[c])));
        family.currentsMa.push_back(row);
    }
    return !family.gridVolts.empty() && !family.anodeVolts.empty();
}

inline std::string toTdfText(const Family& family, std::string_view vg2Text)
{
    std::string text;
    for (std::size_t c = 0; c < family.gridVolts.size(); ++c) {
        for (std::size_t r = 0; r < family.anodeVolts.size(); ++r) {
            text += formatGeneral(family.anodeVolts[r]);
            text += ' ';
            text += formatGeneral(family.currentsMa[r][c] / 1000.0);
            text += ' ';
            text += formatGeneral(family.gridVolts[c]);
            text += " 0 ";
            text += vg2Text;
            text += "\r\n";
        }
    }
    return text;
}

}  // namespace zov::testdata
