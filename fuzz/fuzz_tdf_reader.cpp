// The TDF reader on arbitrary bytes: no crash, no hang, a loaded set keeps
// the invariants the drawing and design code rely on, and writing the set
// back as TDF text and reading that gives the same family.

#include "files/tdf_file.h"
#include "core/text.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

void check(bool property)
{
    if (!property)
        __builtin_trap();
}

// The rows of a point that survive a write and a read unchanged: anode
// voltage, current (the reader clamps all but the first line's to 0), and
// the three extra fields. The grid rows are the series' own, and the
// (0 V, 0 A) point the reader adds to each later series has zeros there.
using Kept = std::array<float, 5>;

Kept kept(const zov::PointColumn& p)
{
    return {p[zov::kRowUa], std::max(p[zov::kRowIa], 0.0F), p[zov::kRowField4], p[zov::kRowField6],
            p[zov::kRowField7]};
}

std::vector<Kept> sortedPoints(const zov::Series& s)
{
    std::vector<Kept> out;
    out.reserve(s.Points.size());
    for (const zov::PointColumn& p : s.Points)
        out.push_back(kept(p));
    std::sort(out.begin(), out.end());
    return out;
}

// The set as a TDF file: each series' points in turn, every value in the
// shortest text that reads back to the same 32-bit float, grid voltages
// those of the series.
std::string tdfText(const zov::CurveSet& set)
{
    std::string text;
    std::size_t points = 0;
    for (const zov::Series& s : set.Series)
        points += s.Points.size();
    text.reserve(points * 64);
    for (const zov::Series& s : set.Series) {
        const std::string grids = ' ' + zov::formatRoundTrip(s.Vg1) + ' ';
        const std::string tail = ' ' + zov::formatRoundTrip(s.Vg2) + ' ';
        for (const zov::PointColumn& p : s.Points) {
            text += zov::formatRoundTrip(p[zov::kRowUa]);
            text += ' ';
            text += zov::formatRoundTrip(p[zov::kRowIa]);
            text += grids;
            text += zov::formatRoundTrip(p[zov::kRowField4]);
            text += tail;
            text += zov::formatRoundTrip(p[zov::kRowField6]);
            text += ' ';
            text += zov::formatRoundTrip(p[zov::kRowField7]);
            text += "\r\n";
        }
    }
    return text;
}

void checkInvariants(const zov::CurveSet& set)
{
    // Loaded or reset, the tops always match the tables.
    check(set.Vg1Top == static_cast<int>(set.Vg1Table.size()) - 1);
    check(set.Vg2Top == static_cast<int>(set.Vg2Table.size()) - 1);
    check(!set.Series.empty());
    for (const auto* table : {&set.Vg1Table, &set.Vg2Table})
        for (const zov::GridColumn& c : *table)
            check(c.series >= 0 && c.series < static_cast<int>(set.Series.size()));
    if (!set.Loaded)
        return;
    for (const auto* table : {&set.Vg1Table, &set.Vg2Table})
        for (std::size_t i = 1; i < table->size(); ++i)
            check((*table)[i - 1].voltage <= (*table)[i].voltage);
    // Every value finite (numbers beyond the 32-bit range read as 0); at most
    // one point, the file's first line, lies beyond UaMax or IaMax or has a
    // negative current.
    int aboveUa = 0;
    int aboveIa = 0;
    int negative = 0;
    for (const zov::Series& s : set.Series) {
        check(!s.Points.empty());
        for (std::size_t i = 1; i < s.Points.size(); ++i)
            check(s.Points[i - 1][zov::kRowUa] <= s.Points[i][zov::kRowUa]);
        for (const zov::PointColumn& p : s.Points) {
            for (const float v : p)
                check(std::isfinite(v));
            aboveUa += p[zov::kRowUa] > set.UaMax;
            aboveIa += p[zov::kRowIa] > set.IaMax;
            negative += p[zov::kRowIa] < 0.0F;
        }
    }
    check(aboveUa <= 1 && aboveIa <= 1 && negative <= 1);
    check(set.UaMax >= 0.0F && set.IaMax >= 0.0F);
    check(set.Vg1Min <= set.Vg1Max && set.Vg2Min <= set.Vg2Max);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zov::CurveSet set;
    const bool loaded =
        zov::readCurveSetFromMemory(set, std::string_view(reinterpret_cast<const char*>(data), size));
    check(loaded == set.Loaded);
    checkInvariants(set);
    // The round trip on inputs of up to 4 KB (a hundred lines and more): it
    // doubles the time of a run, and a longer file gives it no case a
    // shorter one cannot, while most of the fuzzer's time goes to the long ones.
    if (!loaded || size > 4096)
        return 0;

    // Written and read again: the same curves with the same points (each
    // later series gains one more (0 V, 0 A) point), the same grid tables.
    zov::CurveSet again;
    check(zov::readCurveSetFromMemory(again, tdfText(set)));
    checkInvariants(again);
    check(again.Series.size() == set.Series.size());
    check(again.Vg1Table == set.Vg1Table && again.Vg2Table == set.Vg2Table);
    check(again.Vg1Min == set.Vg1Min && again.Vg1Max == set.Vg1Max);
    check(again.Vg2Min == set.Vg2Min && again.Vg2Max == set.Vg2Max);
    check(again.Vg1Spacing == set.Vg1Spacing && again.Vg2Spacing == set.Vg2Spacing);
    for (std::size_t k = 0; k < set.Series.size(); ++k) {
        const zov::Series& before = set.Series[k];
        const zov::Series& after = again.Series[k];
        check(after.Vg1 == before.Vg1 && after.Vg2 == before.Vg2);
        std::vector<Kept> expected = sortedPoints(before);
        if (k > 0) {
            expected.push_back(Kept{});
            std::sort(expected.begin(), expected.end());
        }
        check(sortedPoints(after) == expected);
    }
    return 0;
}
