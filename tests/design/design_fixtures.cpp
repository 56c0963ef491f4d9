#include "design_fixtures.h"

#include "files/text.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace zov::test {

CurveSet makeFamily(const std::vector<CurveData>& curves)
{
    CurveSet set;
    for (std::size_t k = 0; k < curves.size(); ++k) {
        const CurveData& c = curves[k];
        Series s;
        s.Vg1 = c.vg1;
        s.Vg2 = c.vg2;
        for (std::size_t p = 0; p < c.points.size(); ++p) {
            s.Points.push_back({c.points[p].first, c.points[p].second, c.vg1, 0.0F, c.vg2, 0.0F, 0.0F});
            if (p == 0 && k > 0)
                s.Points.push_back(PointColumn{});  // the reader's extra zero point
        }
        std::stable_sort(s.Points.begin(), s.Points.end(),
                         [](const PointColumn& a, const PointColumn& b) { return a[kRowUa] < b[kRowUa]; });
        if (k == 0) {
            set.Vg1Table.push_back({c.vg1, 0});
            set.Vg2Table.push_back({c.vg2, 0});
        } else {
            if (c.vg1 != set.Vg1Table.front().voltage)
                set.Vg1Table.push_back({c.vg1, static_cast<int>(k)});
            if (c.vg2 != set.Vg2Table.front().voltage)
                set.Vg2Table.push_back({c.vg2, static_cast<int>(k)});
        }
        set.Series.push_back(std::move(s));
    }
    const auto byVoltage = [](const GridColumn& a, const GridColumn& b) { return a.voltage < b.voltage; };
    std::stable_sort(set.Vg1Table.begin(), set.Vg1Table.end(), byVoltage);
    std::stable_sort(set.Vg2Table.begin(), set.Vg2Table.end(), byVoltage);
    set.Vg1Top = static_cast<int>(set.Vg1Table.size()) - 1;
    set.Vg2Top = static_cast<int>(set.Vg2Table.size()) - 1;
    if (set.Vg1Top > 1)
        set.Vg1Spacing = set.Vg1Table[1].voltage - set.Vg1Table[0].voltage;
    if (set.Vg2Top > 1)
        set.Vg2Spacing = set.Vg2Table[1].voltage - set.Vg2Table[0].voltage;
    set.Loaded = true;
    return set;
}

std::vector<CurveData> sampleFamily(const std::function<double(double, double)>& iaA,
                                    const std::vector<float>& vg1s, float vg2, float from,
                                    float to, float step)
{
    std::vector<CurveData> out;
    for (float g : vg1s) {
        CurveData c{g, vg2, {}};
        for (int n = 0;; ++n) {
            const float ua = from + static_cast<float>(n) * step;
            if (ua > to)
                break;
            c.points.emplace_back(ua, static_cast<float>(iaA(ua, g)));
        }
        out.push_back(std::move(c));
    }
    return out;
}

double linearIaA(double ua, double vg1)
{
    return (ua + kLinMu * vg1 + kLinOffsetV) / kLinRpOhm;
}

CurveSet linearFamily()
{
    std::vector<float> grids;
    for (int g = 0; g >= -30; --g)
        grids.push_back(static_cast<float>(g));
    return makeFamily(sampleFamily(linearIaA, grids, 250.0F, 5.0F, 500.0F, 5.0F));
}

std::string referencePath(const std::string& relativePath)
{
    return std::string(ZOV_REFERENCE_DATA) + "/" + relativePath;
}

namespace {

std::optional<std::string> readText(const std::string& relativePath)
{
    std::ifstream in(referencePath(relativePath), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string_view> splitBlanks(std::string_view line, char sep)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        if (sep == ' ') {
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
                ++i;
            if (i == line.size())
                break;
        }
        std::size_t j = i;
        while (j < line.size() && line[j] != sep && !(sep == ' ' && line[j] == '\t'))
            ++j;
        out.push_back(trimBlanks(line.substr(i, j - i)));
        i = j + 1;
    }
    return out;
}

std::vector<std::string_view> lines(std::string_view text)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t j = text.find('\n', i);
        if (j == std::string_view::npos)
            j = text.size();
        std::string_view l = text.substr(i, j - i);
        if (!l.empty() && l.back() == '\r')
            l.remove_suffix(1);
        out.push_back(l);
        i = j + 1;
    }
    return out;
}

}  // namespace

std::optional<std::string> tdfFromBrennwald(const std::string& relativePath)
{
    const auto text = readText(relativePath);
    if (!text)
        return std::nullopt;
    std::string tdf;
    for (std::string_view line : lines(*text)) {
        if (line.empty() || line.front() == '%')
            continue;
        const auto f = splitBlanks(line, ' ');
        if (f.size() < 6 || numericValue(f[4]) != 0.0)
            continue;  // the limiter cut this point short: not on the curve
        tdf.append(f[2]).append(" ").append(f[3]).append(" ").append(f[5]).append(" 0 0\r\n");
    }
    return tdf;
}

std::optional<std::string> tdfFromGe6L6(const std::string& relativePath)
{
    const auto text = readText(relativePath);
    if (!text)
        return std::nullopt;
    const auto all = lines(*text);
    if (all.empty())
        return std::nullopt;
    const auto header = splitBlanks(all.front(), ',');
    std::string tdf;
    for (std::size_t col = 1; col < header.size(); ++col) {
        for (std::size_t r = 1; r < all.size(); ++r) {
            const auto f = splitBlanks(all[r], ',');
            if (f.size() <= col)
                continue;
            tdf.append(f[0]).append(" ").append(f[col]).append(" ").append(header[col]).append(" 0 400\r\n");
        }
    }
    return tdf;
}

}  // namespace zov::test
