// ReadCurveSet: TDF text into a CurveSet slot.

#include "files/file_channel.h"
#include "files/tdf_file.h"
#include "core/text.h"

#include <QFile>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <cstdint>
#include <cstring>
#include <unordered_map>

namespace zov {

namespace {

// Lines of 8 characters or fewer are not data lines ("0 0 0 0 0", the
// shortest line a capture can write, has 9).
constexpr std::size_t kMinDataLineLength = 9;

// A field as the 32-bit value the curve store holds. A number whose magnitude
// exceeds the 32-bit float range reads as 0, like one beyond the double range
// ("1e999"): stored as it stands it would be infinity, and a single infinite
// voltage or current poisons every sort, maximum and interpolation of the
// family.
float fieldValue(std::string_view field)
{
    const double v = numericValue(field);
    if (!(std::abs(v) <= static_cast<double>(std::numeric_limits<float>::max())))
        return 0.0F;
    return static_cast<float>(v);
}

// The seven fields of a data line, cut at single spaces (two spaces enclose an
// empty field, which counts as 0, as does a field that is not a number).
PointColumn parseFields(std::string_view line)
{
    PointColumn point{};
    std::size_t start = 0;
    for (std::size_t f = 0; f < point.size(); ++f) {
        const std::size_t space = line.find(' ', start);
        const std::string_view field =
            line.substr(start, space == std::string_view::npos ? std::string_view::npos : space - start);
        point[f] = fieldValue(field);
        if (space == std::string_view::npos)
            break;
        start = space + 1;
    }
    return point;
}

// Series are found by the exact 32-bit values of their grid voltages. Adding
// +0.0f turns -0 into +0, so the bit patterns compare like the floats do.
std::uint64_t seriesKey(float vg1, float vg2)
{
    const auto bits = [](float v) { return static_cast<std::uint64_t>(std::bit_cast<std::uint32_t>(v + 0.0F)); };
    return (bits(vg1) << 32) | bits(vg2);
}

void resetSet(CurveSet& set)
{
    set.Loaded = false;
    set.Vg1Max = set.Vg1Min = set.Vg2Max = set.Vg2Min = 0.0F;
    set.Vg1Spacing = set.Vg2Spacing = 0.0F;
    // One column in each table, so the tops are 0: a reader of a set that
    // failed to load never runs past a table.
    set.Vg1Top = set.Vg2Top = 0;
    set.UaMax = set.IaMax = 0.0F;
    set.Vg1Table.assign(1, GridColumn{});
    set.Vg2Table.assign(1, GridColumn{});
    set.Series.assign(1, Series{});
    set.Series[0].Points.assign(1, PointColumn{});
}

// Cuts a text into lines. CR LF, a lone LF and a lone CR (files from older
// systems) each end a line; a last line without a line end is a line too.
// The next CR and the next LF are each found with memchr and remembered until
// passed, so every byte is scanned at most once per character whatever the
// mix of line ends.
class LineSplitter {
public:
    explicit LineSplitter(std::string_view text) : m_text(text) {}

    // The position of the first line end at or after `from` (the text's size
    // when there is none), and its length (0, 1 or 2).
    std::size_t findLineEnd(std::size_t from, std::size_t* length)
    {
        const std::size_t cr = next(m_cr, '\r', from);
        const std::size_t lf = next(m_lf, '\n', from);
        const std::size_t end = std::min(cr, lf);
        if (end == m_text.size())
            *length = 0;
        else
            *length = (end == cr && lf == cr + 1) ? 2 : 1;
        return end;
    }

    // The line starting at `pos`; false at the end of the text.
    bool nextLine(std::size_t& pos, std::string_view& line)
    {
        if (pos >= m_text.size())
            return false;
        std::size_t length = 0;
        const std::size_t end = findLineEnd(pos, &length);
        line = m_text.substr(pos, end - pos);
        pos = end + length;
        return true;
    }

    // The first line is the text before the first line end that starts at the
    // second character or later (a file that begins with a line end therefore
    // has that line end inside its first line). Returns the position after it.
    std::size_t firstLine(std::string_view& line)
    {
        std::size_t from = 0;
        for (;;) {
            std::size_t length = 0;
            const std::size_t end = findLineEnd(from, &length);
            if (length == 0) {
                line = m_text;
                return m_text.size();
            }
            if (end >= 1) {
                line = m_text.substr(0, end);
                return end + length;
            }
            from = end + length;
        }
    }

private:
    // The first `ch` at or after `from`, from the remembered position when it
    // is still ahead.
    std::size_t next(std::size_t& cached, char ch, std::size_t from) const
    {
        if (cached != kUnknown && cached >= from)
            return cached;
        const void* hit = from < m_text.size() ? std::memchr(m_text.data() + from, ch, m_text.size() - from) : nullptr;
        cached = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - m_text.data()) : m_text.size();
        return cached;
    }

    static constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);
    std::string_view m_text;
    std::size_t m_cr = kUnknown;
    std::size_t m_lf = kUnknown;
};

template <typename Column, typename Key>
int sortColumnsBy(std::vector<Column>& table, int keyRow, int rowCount, Key key)
{
    if (table.size() < 2)
        return -2;
    if (keyRow < 0 || keyRow >= rowCount)
        return -1;
    // Stable: only a strictly smaller key moves a column forward.
    std::stable_sort(table.begin(), table.end(),
                     [&](const Column& a, const Column& b) { return key(a, keyRow) < key(b, keyRow); });
    return 0;
}

}  // namespace

int SortColumns(std::vector<PointColumn>& table, int keyRow)
{
    return sortColumnsBy(table, keyRow, 7,
                         [](const PointColumn& c, int row) { return c[static_cast<std::size_t>(row)]; });
}

int SortColumns(std::vector<GridColumn>& table, int keyRow)
{
    return sortColumnsBy(table, keyRow, 2, [](const GridColumn& c, int row) {
        return row == 0 ? c.voltage : static_cast<float>(c.series);
    });
}

bool readCurveSetFromMemory(CurveSet& set, std::string_view text)
{
    resetSet(set);

    std::string_view line;
    LineSplitter lines(text);
    std::size_t pos = lines.firstLine(line);
    if (line.size() < kMinDataLineLength)
        return false;

    const PointColumn first = parseFields(line);
    const float firstVg1 = first[kRowVg1];
    const float firstVg2 = first[kRowVg2];
    set.Vg1Max = set.Vg1Min = firstVg1;
    set.Vg2Max = set.Vg2Min = firstVg2;
    set.Series[0].Vg1 = firstVg1;
    set.Series[0].Vg2 = firstVg2;
    set.Vg1Table[0] = {firstVg1, 0};
    set.Vg2Table[0] = {firstVg2, 0};
    // The first point keeps its current as read (a negative one included) and
    // does not count for UaMax and IaMax.
    set.Series[0].Points[0] = first;

    std::unordered_map<std::uint64_t, int> seriesIndex;
    seriesIndex.emplace(seriesKey(firstVg1, firstVg2), 0);
    std::size_t last = 0;  // lines of one curve usually follow each other

    while (lines.nextLine(pos, line)) {
        if (line.size() < kMinDataLineLength)
            continue;
        PointColumn point = parseFields(line);
        const float g1 = point[kRowVg1];
        const float g2 = point[kRowVg2];
        set.Vg1Max = std::max(set.Vg1Max, g1);
        set.Vg1Min = std::min(set.Vg1Min, g1);
        set.Vg2Max = std::max(set.Vg2Max, g2);
        set.Vg2Min = std::min(set.Vg2Min, g2);

        set.UaMax = std::max(set.UaMax, point[kRowUa]);
        set.IaMax = std::max(set.IaMax, point[kRowIa]);
        if (point[kRowIa] < 0.0F)
            point[kRowIa] = 0.0F;

        if (!(set.Series[last].Vg1 == g1 && set.Series[last].Vg2 == g2)) {
            const auto [it, created] = seriesIndex.try_emplace(seriesKey(g1, g2), static_cast<int>(set.Series.size()));
            last = static_cast<std::size_t>(it->second);
            if (created) {
                const int k = it->second;
                // Only column 0 is compared, so a voltage already present in a
                // later column is added again (one column per series).
                if (g1 != set.Vg1Table[0].voltage)
                    set.Vg1Table.push_back({g1, k});
                if (g2 != set.Vg2Table[0].voltage)
                    set.Vg2Table.push_back({g2, k});
                Series s;
                s.Vg1 = g1;
                s.Vg2 = g2;
                // A new curve starts with its point and a (0 V, 0 A) point,
                // which the sort puts first when all its voltages are positive.
                s.Points.push_back(point);
                s.Points.push_back(PointColumn{});
                set.Series.push_back(std::move(s));
                continue;
            }
        }
        set.Series[last].Points.push_back(point);
    }

    for (Series& s : set.Series)
        SortColumns(s.Points, kRowUa);
    SortColumns(set.Vg1Table, 0);
    SortColumns(set.Vg2Table, 0);

    set.Vg1Top = static_cast<int>(set.Vg1Table.size()) - 1;
    set.Vg2Top = static_cast<int>(set.Vg2Table.size()) - 1;
    set.Vg1Spacing = set.Vg1Top > 1 ? set.Vg1Table[1].voltage - set.Vg1Table[0].voltage : 0.0F;
    set.Vg2Spacing = set.Vg2Top > 1 ? set.Vg2Table[1].voltage - set.Vg2Table[0].voltage : 0.0F;
    set.Loaded = true;
    return true;
}

bool ReadCurveSet(CurveSet& set)
{
    QByteArray bytes;
    if (!readWholeFile(set.FileName, bytes))
        return false;
    return readCurveSetFromMemory(set, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace zov
