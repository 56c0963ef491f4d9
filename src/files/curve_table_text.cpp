#include "files/curve_table_text.h"

#include <QIODevice>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace zov::table {

namespace {

// Read in pieces of this size: large enough that the reads cost nothing next
// to the parsing, small enough that a 100 MB file is never held whole.
constexpr qint64 kChunkBytes = 1 << 20;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u >= 0x80;  // UTF-8 letters such as µ
}
bool isAlnum(char c) { return isDigit(c) || isLetter(c) || c == '_'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool isOneOf(std::string_view word, std::initializer_list<std::string_view> set)
{
    return std::find(set.begin(), set.end(), word) != set.end();
}

}  // namespace

LineReader::LineReader(QIODevice& device) : m_device(&device) {}

LineReader::LineReader(std::string_view text) : m_text(text), m_atEnd(true) {}

bool LineReader::fill()
{
    m_buffer.erase(0, m_pos);
    m_pos = 0;
    const std::size_t old = m_buffer.size();
    m_buffer.resize(old + static_cast<std::size_t>(kChunkBytes));
    const qint64 got = m_device->read(m_buffer.data() + old, kChunkBytes);
    m_buffer.resize(old + static_cast<std::size_t>(std::max<qint64>(got, 0)));
    m_text = m_buffer;
    if (got < 0)
        m_error = QStringLiteral("cannot read the file: ") + m_device->errorString();
    if (got <= 0)
        m_atEnd = true;
    return got > 0;
}

bool LineReader::next(std::string_view& line)
{
    if (!m_error.isEmpty())
        return false;
    for (;;) {
        if (m_pos < m_text.size()) {
            const void* hit = std::memchr(m_text.data() + m_pos, '\n', m_text.size() - m_pos);
            if (hit || m_atEnd) {
                const std::size_t end =
                    hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - m_text.data()) : m_text.size();
                line = m_text.substr(m_pos, end - m_pos);
                m_pos = hit ? end + 1 : end;
                if (!line.empty() && line.back() == '\r')
                    line.remove_suffix(1);
                ++m_lineNumber;
                if (line.size() > kMaxLineBytes) {
                    m_error = QStringLiteral("line %1: longer than 1 MiB, not a line of a table").arg(m_lineNumber);
                    return false;
                }
                return true;
            }
            if (m_text.size() - m_pos > kMaxLineBytes) {
                m_error = QStringLiteral("line %1: longer than 1 MiB, not a line of a table").arg(m_lineNumber + 1);
                return false;
            }
        }
        if (m_atEnd)
            return false;
        fill();
        if (!m_error.isEmpty())
            return false;
    }
}

Separator separatorOf(std::string_view line)
{
    if (line.find('\t') != std::string_view::npos)
        return Separator::Tab;
    if (line.find(';') != std::string_view::npos)
        return Separator::Semicolon;
    if (line.find(',') != std::string_view::npos)
        return Separator::Comma;
    return Separator::Blanks;
}

const char* separatorName(Separator separator)
{
    switch (separator) {
    case Separator::Blanks: return "blanks";
    case Separator::Tab: return "tabs";
    case Separator::Semicolon: return "semicolons";
    case Separator::Comma: return "commas";
    }
    return "";
}

void splitCells(std::string_view line, Separator separator, std::vector<std::string_view>& cells)
{
    cells.clear();
    const std::size_t n = line.size();
    if (separator == Separator::Blanks) {
        std::size_t i = 0;
        for (;;) {
            while (i < n && isBlank(line[i]))
                ++i;
            if (i >= n)
                return;
            const std::size_t start = i;
            while (i < n && !isBlank(line[i]))
                ++i;
            cells.push_back(line.substr(start, i - start));
        }
    }
    const char sep = separator == Separator::Tab ? '\t' : separator == Separator::Semicolon ? ';' : ',';
    std::size_t start = 0;
    for (;;) {
        const void* hit = std::memchr(line.data() + start, sep, n - start);
        const std::size_t end = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - line.data()) : n;
        std::size_t a = start;
        std::size_t b = end;
        while (a < b && (line[a] == ' ' || line[a] == '\t'))
            ++a;
        while (b > a && (line[b - 1] == ' ' || line[b - 1] == '\t'))
            --b;
        cells.push_back(line.substr(a, b - a));
        if (!hit)
            return;
        start = end + 1;
    }
}

bool parseNumber(std::string_view cell, double& value)
{
    std::size_t i = 0;
    if (!cell.empty() && cell[0] == '+')
        i = 1;
    std::size_t j = i;
    if (j < cell.size() && cell[j] == '-' && i == 0)
        ++j;
    // from_chars would also take "inf" and "nan".
    if (j >= cell.size() || !(isDigit(cell[j]) || cell[j] == '.'))
        return false;
    const char* end = cell.data() + cell.size();
    const auto [ptr, ec] = std::from_chars(cell.data() + i, end, value, std::chars_format::general);
    // The family holds 32-bit floats: a value beyond their range is no number.
    return ec == std::errc() && ptr == end && std::fabs(value) <= std::numeric_limits<float>::max();
}

bool isDecimalComma(std::string_view cell)
{
    std::size_t i = (!cell.empty() && cell[0] == '-') ? 1 : 0;
    const std::size_t intStart = i;
    while (i < cell.size() && isDigit(cell[i]))
        ++i;
    if (i == intStart || i >= cell.size() || cell[i] != ',')
        return false;
    const std::size_t fracStart = ++i;
    while (i < cell.size() && isDigit(cell[i]))
        ++i;
    return i > fracStart && i == cell.size();
}

std::vector<double> numbersInLabel(std::string_view text)
{
    std::vector<double> numbers;
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const char c = text[i];
        const auto digitAt = [&](std::size_t k) { return k < n && isDigit(text[k]); };
        const bool startsNumber = isDigit(c) || (c == '.' && digitAt(i + 1))
                                  || ((c == '-' || c == '+') && (digitAt(i + 1) || (i + 1 < n && text[i + 1] == '.' && digitAt(i + 2))));
        const bool glued = i > 0 && (isAlnum(text[i - 1]) || text[i - 1] == '.');
        if (startsNumber && !glued) {
            const std::size_t from = c == '+' ? i + 1 : i;
            double value = 0;
            const auto [ptr, ec] = std::from_chars(text.data() + from, text.data() + n, value, std::chars_format::general);
            std::size_t k = static_cast<std::size_t>(ptr - text.data());
            if (ec != std::errc() || k <= from) {
                ++i;
                continue;
            }
            std::size_t letters = k;
            while (letters < n && isAlnum(text[letters]))
                ++letters;
            const std::string_view suffix = text.substr(k, letters - k);
            if ((suffix.empty() || suffix == "V" || suffix == "v") && std::fabs(value) <= std::numeric_limits<float>::max())
                numbers.push_back(value);
            i = letters;
        } else if (isAlnum(c)) {
            while (i < n && (isAlnum(text[i]) || text[i] == '.'))
                ++i;
        } else {
            ++i;
        }
    }
    return numbers;
}

std::int64_t firstBinaryByte(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        // 0x1A ends old DOS text files; 0x0C is a page break.
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != 0x0C && c != 0x1A)
            return static_cast<std::int64_t>(i);
    }
    return -1;
}

double currentScaleIn(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        if (!isLetter(text[i])) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && isLetter(text[i]))
            ++i;
        const std::string_view word = text.substr(start, i - start);
        if (word == "mA")
            return 1e-3;
        if (word == "uA" || word == "\xC2\xB5" "A")
            return 1e-6;
        if (word == "A")
            return 1.0;
    }
    return 0.0;
}

ColumnName classifyColumn(std::string_view name)
{
    ColumnName column;
    column.text = std::string(name);

    // The unit: the last bracketed text, or what follows a slash ("Ia/mA").
    std::string_view base = name;
    std::string_view unit;
    const std::size_t open = name.find_last_of("([");
    if (open != std::string_view::npos) {
        const std::size_t close = name.find_first_of(")]", open);
        unit = name.substr(open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1);
        base = name.substr(0, open);
    } else if (const std::size_t slash = name.rfind('/'); slash != std::string_view::npos) {
        unit = name.substr(slash + 1);
        base = name.substr(0, slash);
    }
    column.currentScale = currentScaleIn(unit);

    std::vector<std::string> words;
    const std::string low = lower(base);
    for (std::size_t i = 0; i < low.size();) {
        if (!isAlnum(low[i])) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < low.size() && isAlnum(low[i]))
            ++i;
        words.push_back(low.substr(start, i - start));
    }
    std::string compact;
    bool flag = false;
    for (const std::string& w : words) {
        compact += w;
        flag = flag || isOneOf(w, {"flag", "limiter"});
        column.setting = column.setting || isOneOf(w, {"nominal", "setting", "set", "setpoint", "target", "programmed"});
    }
    if (flag) {
        column.role = ColumnRole::LimiterFlag;
        return column;
    }

    // Symbols of the tracers' exports and of the datasheets. "va vs" is the
    // anode column of a table whose screen is tied to the anode ("Va = Vs");
    // "x" is the horizontal axis of a digitizer.
    if (isOneOf(compact, {"va", "ua", "vp", "up", "ea", "ep", "vak", "uak", "vpk", "vplate", "uplate", "vanode",
                          "uanode", "anodevoltage", "platevoltage", "anodevolts", "platevolts", "vavs", "uaus", "x"}))
        column.role = ColumnRole::Ua;
    else if (isOneOf(compact, {"ia", "ip", "iak", "iplate", "ianode", "anodecurrent", "platecurrent"}))
        column.role = ColumnRole::Ia;
    else if (isOneOf(compact, {"vg", "vg1", "ug", "ug1", "eg", "eg1", "ec", "ec1", "vgk", "ugk", "vgrid", "ugrid",
                               "grid", "gridvoltage", "grid1voltage", "g1"}))
        column.role = ColumnRole::Vg1;
    else if (isOneOf(compact, {"vs", "us", "vg2", "ug2", "eg2", "ec2", "vscreen", "uscreen", "screen",
                               "screenvoltage", "grid2voltage", "g2"}))
        column.role = ColumnRole::Vg2;
    else if (isOneOf(compact, {"curve", "curveno", "curvenumber", "curveindex", "step", "trace"}))
        column.role = ColumnRole::Curve;
    if (column.role != ColumnRole::None)
        return column;

    bool anode = false, grid = false, screen = false, voltage = false, current = false;
    for (const std::string& w : words) {
        anode = anode || isOneOf(w, {"anode", "plate", "psu1"});
        grid = grid || isOneOf(w, {"grid", "grid1", "g1", "psu2"});
        screen = screen || isOneOf(w, {"screen", "grid2", "g2"});
        voltage = voltage || isOneOf(w, {"voltage", "volts", "volt", "u", "v"});
        current = current || isOneOf(w, {"current", "amps", "i"});
    }
    if (screen && voltage && !current)
        column.role = ColumnRole::Vg2;
    else if (grid && voltage && !current)
        column.role = ColumnRole::Vg1;
    else if (anode && voltage && !current)
        column.role = ColumnRole::Ua;
    else if (anode && current && !voltage)
        column.role = ColumnRole::Ia;
    return column;
}

std::vector<std::string> headerNames(std::string_view line, Separator separator)
{
    std::vector<std::string_view> cells;
    splitCells(line, separator, cells);
    std::vector<std::string> names;
    for (const std::string_view cell : cells) {
        if (separator == Separator::Blanks && !names.empty() && (cell.front() == '(' || cell.front() == '['))
            names.back() += std::string(" ") + std::string(cell);
        else
            names.emplace_back(cell);
    }
    return names;
}

}  // namespace zov::table
