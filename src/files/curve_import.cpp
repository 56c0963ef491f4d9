// Reading the curve files of other tracers and digitizers: shape detection and
// one streaming reader per shape; the common rules (units, signs, order) are
// applied once every line has been read.

#include "files/curve_import.h"

#include "core/text.h"
#include "files/curve_table_text.h"

#include <QFile>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <memory>
#include <unordered_map>

namespace zov {

using namespace table;

namespace {

// Detection looks at this much of the start of a file.
constexpr qint64 kHeadBytes = 64 * 1024;

QString quoteText(std::string_view text)
{
    constexpr std::size_t kMax = 40;
    QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(std::min(text.size(), kMax)));
    if (text.size() > kMax)
        s += QStringLiteral("...");
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString lineError(std::int64_t line, const QString& why)
{
    return QStringLiteral("line %1: %2").arg(line).arg(why);
}

// Why a cell that should hold a number does not.
QString notANumber(std::string_view cell, Separator separator)
{
    if (cell.empty())
        return QStringLiteral("an empty cell where a number is needed");
    if (isDecimalComma(cell))
        return quoteText(cell) + QStringLiteral(" has a decimal comma; numbers must use \".\"");
    for (const char other : {'\t', ';', ','})
        if (cell.find(other) != std::string_view::npos)
            return quoteText(cell) + QStringLiteral(" is not a number (mixed separators: the table uses %1)")
                                      .arg(QLatin1String(separatorName(separator)));
    double value = 0;
    const auto [ptr, ec] = std::from_chars(cell.data(), cell.data() + cell.size(), value);
    if (ptr == cell.data() + cell.size() && (ec == std::errc::result_out_of_range || ec == std::errc()))
        return quoteText(cell) + QStringLiteral(" is beyond the range of the curve values (32-bit floats)");
    return quoteText(cell) + QStringLiteral(" is not a number");
}

std::string_view trimmed(std::string_view line) { return trimBlanks(line); }

bool isComment(std::string_view line) { return !line.empty() && (line[0] == '%' || line[0] == '#'); }

// A row of data: at least two cells, the first two of them numbers (a header
// starts with a name or an empty cell; later cells of a data row may hold
// text such as "NA", which only matters when a reader needs that cell).
bool isDataRow(std::string_view line, std::vector<std::string_view>& cells)
{
    splitCells(line, separatorOf(line), cells);
    double v = 0;
    return cells.size() >= 2 && parseNumber(cells[0], v) && parseNumber(cells[1], v);
}

// A line of the program's own files: Ua Ia Vg1 0 Vg2, cut at single spaces.
bool isTdfLine(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t space = line.find(' ', start);
        fields.push_back(line.substr(start, space == std::string_view::npos ? std::string_view::npos : space - start));
        if (space == std::string_view::npos)
            break;
        start = space + 1;
    }
    double v = 0;
    return fields.size() >= 5 && fields.size() <= 7 && parseNumber(fields[0], v) && parseNumber(fields[1], v)
           && parseNumber(fields[2], v) && fields[3] == "0";
}

// The grid voltages a header line gives for `currentColumns` current columns;
// empty when it gives none or a different count.
std::vector<double> gridLabels(std::string_view line, std::size_t currentColumns)
{
    const Separator sep = separatorOf(line);
    std::vector<double> labels;
    if (sep == Separator::Blanks) {
        labels = numbersInLabel(line);
    } else {
        std::vector<std::string_view> cells;
        splitCells(line, sep, cells);
        if (cells.size() != currentColumns + 1)
            return {};
        for (std::size_t i = 1; i < cells.size(); ++i) {
            const std::vector<double> n = numbersInLabel(cells[i]);
            if (n.size() != 1)
                return {};
            labels.push_back(n[0]);
        }
    }
    if (labels.size() != currentColumns)
        return {};
    return labels;
}

struct HeadLine {
    std::int64_t number;
    std::string_view text;  // trimmed
};

// The complete, non-empty lines of the start of a file.
std::vector<HeadLine> headLines(std::string_view head)
{
    std::vector<HeadLine> lines;
    LineReader reader(head);
    std::string_view line;
    while (reader.next(line) && lines.size() < 2000) {
        if (reader.lineNumber() == 1 && line.starts_with("\xEF\xBB\xBF"))
            line.remove_prefix(3);
        const std::string_view t = trimmed(line);
        if (!t.empty())
            lines.push_back({reader.lineNumber(), t});
    }
    return lines;
}

struct Detection {
    CurveFormat format = CurveFormat::Auto;
    QString why;  // when Auto: the line that did not fit
};

Detection detect(std::string_view head)
{
    const std::vector<HeadLine> lines = headLines(head);
    if (lines.empty())
        return {CurveFormat::Auto, lineError(1, QStringLiteral("the file is empty"))};
    const HeadLine& first = lines.front();
    if (isComment(first.text))
        return {CurveFormat::Columns, {}};
    if (isTdfLine(first.text))
        return {CurveFormat::Tdf, {}};

    std::vector<std::string_view> cells;
    std::size_t data = 0;
    while (data < lines.size() && !isDataRow(lines[data].text, cells)) {
        // A row of numbers written with decimal commas is a row that does not fit.
        std::vector<std::string_view> parts;
        splitCells(lines[data].text, separatorOf(lines[data].text), parts);
        for (const std::string_view part : parts)
            if (isDecimalComma(part))
                return {CurveFormat::Auto,
                        lineError(lines[data].number, quoteText(part) + QStringLiteral(" has a decimal comma; numbers must use \".\""))};
        ++data;
    }
    if (data == lines.size())
        return {CurveFormat::Auto, lineError(lines.back().number, QStringLiteral("no row of numbers follows the header"))};
    if (data == 0)
        return {CurveFormat::Auto,
                lineError(first.number, QStringLiteral("a row of numbers where a header naming the columns should be "
                                                       "(give the header with --columns)"))};
    const std::size_t columns = cells.size();
    const HeadLine& header = lines[data - 1];
    std::vector<std::string_view> headerCells;
    splitCells(header.text, separatorOf(header.text), headerCells);
    double v = 0;
    if (columns == 2 && headerCells.size() == 2 && !parseNumber(headerCells[1], v))
        return {CurveFormat::Digitized, {}};
    for (std::size_t i = data; i-- > 0;)
        if (!gridLabels(lines[i].text, columns - 1).empty())
            return {CurveFormat::Wide, {}};
    bool ua = false, ia = false;
    for (const std::string& name : headerNames(header.text, separatorOf(header.text))) {
        const ColumnRole role = classifyColumn(name).role;
        ua = ua || role == ColumnRole::Ua;
        ia = ia || role == ColumnRole::Ia;
    }
    if (ua && ia)
        return {CurveFormat::Long, {}};
    return {CurveFormat::Auto,
            lineError(header.number, QStringLiteral("the header names neither one grid voltage per current column "
                                                    "nor the anode-voltage and current columns"))};
}

// ---- What every reader gathers ---------------------------------------------

struct RawCurve {
    float vg1 = 0.0F;
    float vg2 = 0.0F;
    bool hasVg1 = false;
    std::vector<UaIa> points;
    std::vector<float> vg1Readings;  // per point, when a table measures the grids
    std::vector<float> vg2Readings;
    std::int64_t line = 0;  // where the curve starts, for messages
    std::string label;
};

std::uint64_t keyOf(double value) { return std::bit_cast<std::uint64_t>(value + 0.0); }
std::uint64_t pairKey(float vg1, float vg2)
{
    return (static_cast<std::uint64_t>(std::bit_cast<std::uint32_t>(vg1 + 0.0F)) << 32)
           | std::bit_cast<std::uint32_t>(vg2 + 0.0F);
}

class Reader {
public:
    explicit Reader(const ImportOptions& options) : m_options(options) {}
    virtual ~Reader() = default;
    // False on a line that does not fit (error() says which).
    virtual bool feed(std::string_view line, std::int64_t number) = 0;
    virtual bool finish(std::int64_t lastLine) { return true; }

    const QString& error() const { return m_error; }
    std::vector<RawCurve> curves;
    double currentScale = 0.0;      // A per unit of the file's currents; 0 when not named
    bool trimTrailingZeros = false;  // zero cells past a curve's end mean "no point"
    bool gridsFromReadings = false;  // grid voltages are the medians of per-point readings
    std::int64_t limitedPoints = 0;

protected:
    // A current as stored: in amperes when the file names its unit (scaled in
    // double, so "8.14" mA becomes the float nearest 0.00814), else as read.
    float current(double value) const { return static_cast<float>(currentScale != 0 ? value * currentScale : value); }

    bool fail(std::int64_t line, const QString& why)
    {
        m_error = lineError(line, why);
        return false;
    }
    // The curve for a key, created on first use (the last one is remembered,
    // since the points of one curve usually follow each other).
    RawCurve& curveFor(double key, std::int64_t line) { return curveForKey(keyOf(key), line); }
    RawCurve& curveForKey(std::uint64_t k, std::int64_t line)
    {
        if (m_lastValid && m_lastKey == k)
            return curves[m_last];
        const auto [it, created] = m_index.try_emplace(k, curves.size());
        if (created) {
            curves.emplace_back();
            curves.back().line = line;
        }
        m_last = it->second;
        m_lastKey = k;
        m_lastValid = true;
        return curves[m_last];
    }

    // A row cut by another separator than the table's first row (a tab in a
    // table of blanks is a blank).
    bool checkSeparator(std::string_view row, Separator table, std::int64_t number)
    {
        const Separator mine = separatorOf(row);
        if (mine == table || (table == Separator::Blanks && mine == Separator::Tab))
            return true;
        splitCells(row, table, m_cells);
        for (const std::string_view c : m_cells)
            if (isDecimalComma(c))
                return fail(number, notANumber(c, table));
        return fail(number, QStringLiteral("mixed separators: this row is cut by %1, the table by %2")
                                .arg(QLatin1String(separatorName(mine)), QLatin1String(separatorName(table))));
    }

    const ImportOptions& m_options;
    QString m_error;
    std::vector<std::string_view> m_cells;

private:
    std::unordered_map<std::uint64_t, std::size_t> m_index;
    std::size_t m_last = 0;
    std::uint64_t m_lastKey = 0;
    bool m_lastValid = false;
};

// ---- TDF ------------------------------------------------------------------

class TdfReader : public Reader {
public:
    explicit TdfReader(const ImportOptions& options) : Reader(options) { currentScale = 1.0; }

    bool feed(std::string_view line, std::int64_t number) override
    {
        // Lines of 8 characters or fewer are not data lines of a TDF file.
        if (line.size() < 9)
            return true;
        double f[5] = {};
        std::size_t start = 0;
        for (double& field : f) {
            const std::size_t space = line.find(' ', start);
            field = numericValue(line.substr(start, space == std::string_view::npos ? std::string_view::npos : space - start));
            if (space == std::string_view::npos)
                break;
            start = space + 1;
        }
        // Beyond the range of a 32-bit float a field reads as 0, as in the
        // program's own reader.
        for (double& field : f)
            if (!(std::fabs(field) <= std::numeric_limits<float>::max()))
                field = 0;
        // One curve per (grid 1, grid 2) pair, as the program's own reader does.
        const float vg1 = static_cast<float>(f[2]) + 0.0F;
        const float vg2 = static_cast<float>(f[4]) + 0.0F;
        RawCurve& c = curveForKey(pairKey(vg1, vg2), number);
        c.vg1 = vg1;
        c.vg2 = vg2;
        c.hasVg1 = true;
        c.points.push_back({static_cast<float>(f[0]), static_cast<float>(f[1])});
        return true;
    }
};

// ---- Long tables and commented column files -------------------------------

// Both name their columns (a header line, or comment lines) and give one
// point per row; they differ in where the names are.
class ColumnReader : public Reader {
public:
    ColumnReader(const ImportOptions& options, bool commented) : Reader(options), m_commented(commented)
    {
        gridsFromReadings = true;
        if (!options.columns.empty()) {
            m_names = headerNames(options.columns, separatorOf(options.columns));
            m_namesLine = 0;
        }
    }

    bool feed(std::string_view line, std::int64_t number) override
    {
        const std::string_view t = trimmed(line);
        if (t.empty())
            return true;
        if (isComment(t)) {
            if (m_commented && !m_started)
                noteComment(t.substr(1), number);
            return true;
        }
        if (!m_started) {
            if (!isDataRow(t, m_cells)) {
                if (m_commented)
                    return fail(number, quoteText(t) + QStringLiteral(" is neither a comment nor a row of numbers"));
                m_header = std::string(t);  // the last text line before the data names the columns
                m_headerLine = number;
                return true;
            }
            if (!start(t, number))
                return false;
        }
        if (!checkSeparator(t, m_separator, number))
            return false;
        splitCells(t, m_separator, m_cells);
        if (m_cells.size() != m_columnCount)
            return fail(number, QStringLiteral("%1 cells where %2 names %3 columns")
                                    .arg(m_cells.size()).arg(headerPlace()).arg(m_columnCount));
        double ua = 0, ia = 0, vg1 = 0, vg2 = 0, curve = 0;
        if (!cell(m_ua, ua, number) || !cell(m_ia, ia, number) || !cell(m_vg1, vg1, number)
            || !cell(m_vg2, vg2, number) || !cell(m_curve, curve, number))
            return false;
        for (const int flag : m_flags) {
            double value = 0;
            if (!cell(flag, value, number))
                return false;
            if (value != 0) {
                // The supply hit its current or power limit: the point is not
                // on the curve the row names.
                ++limitedPoints;
                return true;
            }
        }
        if (m_vg1 < 0)
            vg1 = m_options.vg1.front();
        RawCurve& c = curveFor(m_curve >= 0 ? curve : vg1, number);
        c.points.push_back({static_cast<float>(ua), current(ia)});
        c.vg1Readings.push_back(static_cast<float>(vg1));
        if (m_vg2 >= 0)
            c.vg2Readings.push_back(static_cast<float>(vg2));
        return true;
    }

    bool finish(std::int64_t lastLine) override
    {
        if (!m_started)
            return fail(lastLine, m_commented || !m_header.empty() ? QStringLiteral("no row of numbers follows the header")
                                                                   : QStringLiteral("no header naming the columns"));
        return true;
    }

private:
    // "Column 3:  PSU1 voltage measurement (V)" names column 3; any other
    // comment whose words could be the column names is remembered too.
    void noteComment(std::string_view text, std::int64_t number)
    {
        text = trimmed(text);
        std::string lower(text.substr(0, 7));
        for (char& ch : lower)
            ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        if (lower == "column ") {
            std::size_t consumed = 0;
            const double index = numericValue(text.substr(7), &consumed);
            const std::size_t colon = text.find(':', 7);
            if (consumed > 0 && colon != std::string_view::npos && index >= 1 && index <= 1000) {
                const auto i = static_cast<std::size_t>(index) - 1;
                if (m_numbered.size() <= i)
                    m_numbered.resize(i + 1);
                m_numbered[i] = std::string(trimmed(text.substr(colon + 1)));
                m_namesLine = number;
                return;
            }
        }
        m_header = std::string(text);
        m_headerLine = number;
    }

    QString headerPlace() const
    {
        return m_namesLine > 0 ? QStringLiteral("the header (line %1)").arg(m_namesLine) : QStringLiteral("--columns");
    }

    bool cell(int column, double& value, std::int64_t number)
    {
        if (column < 0)
            return true;
        const std::string_view c = m_cells[static_cast<std::size_t>(column)];
        if (!parseNumber(c, value))
            return fail(number, notANumber(c, m_separator));
        return true;
    }

    bool start(std::string_view firstRow, std::int64_t number)
    {
        m_started = true;
        m_separator = separatorOf(firstRow);
        splitCells(firstRow, m_separator, m_cells);
        m_columnCount = m_cells.size();
        if (m_names.empty() && !m_numbered.empty()) {
            m_names = m_numbered;
        } else if (m_names.empty()) {
            if (m_header.empty())
                return fail(number, QStringLiteral("a row of numbers where a header naming the columns should be "
                                                   "(give the header with --columns)"));
            const Separator headerSeparator = separatorOf(m_header);
            if (!m_commented && headerSeparator != m_separator && headerSeparator != Separator::Blanks)
                return fail(number, QStringLiteral("the rows are separated by %1 but the header (line %2) by %3")
                                        .arg(QLatin1String(separatorName(m_separator))).arg(m_headerLine)
                                        .arg(QLatin1String(separatorName(headerSeparator))));
            m_names = headerNames(m_header, headerSeparator);
            m_namesLine = m_headerLine;
        }
        if (m_names.size() != m_columnCount)
            return fail(number, QStringLiteral("%1 cells where %2 names %3 columns")
                                    .arg(m_columnCount).arg(headerPlace()).arg(m_names.size()));

        // Which column is which. Of a measured and a set value, the anode
        // voltage and current are the measured ones and a grid voltage the set
        // one: the set grid voltage names the curve, measured ones wobble.
        std::vector<ColumnName> columns;
        for (const std::string& name : m_names)
            columns.push_back(classifyColumn(name));
        const auto pick = [&](ColumnRole role, bool preferSetting) {
            int best = -1;
            for (int i = 0; i < static_cast<int>(columns.size()); ++i)
                if (columns[static_cast<std::size_t>(i)].role == role
                    && (best < 0
                        || (columns[static_cast<std::size_t>(best)].setting != preferSetting
                            && columns[static_cast<std::size_t>(i)].setting == preferSetting)))
                    best = i;
            return best;
        };
        m_ua = pick(ColumnRole::Ua, false);
        m_ia = pick(ColumnRole::Ia, false);
        m_vg1 = pick(ColumnRole::Vg1, true);
        m_vg2 = pick(ColumnRole::Vg2, true);
        m_curve = pick(ColumnRole::Curve, false);
        for (int i = 0; i < static_cast<int>(columns.size()); ++i)
            if (columns[static_cast<std::size_t>(i)].role == ColumnRole::LimiterFlag)
                m_flags.push_back(i);
        const std::int64_t at = m_namesLine > 0 ? m_namesLine : number;
        if (m_ua < 0)
            return fail(at, QStringLiteral("no column of the header is the anode voltage (Ua, Va, anode voltage ...)"));
        if (m_ia < 0)
            return fail(at, QStringLiteral("no column of the header is the anode current (Ia, anode current ...)"));
        if (m_vg1 < 0 && m_options.vg1.size() != 1)
            return fail(at, QStringLiteral("no column of the header is the grid voltage (Vg, Ug ...); "
                                           "give it with --vg1"));
        currentScale = columns[static_cast<std::size_t>(m_ia)].currentScale;
        return true;
    }

    bool m_commented;
    bool m_started = false;
    Separator m_separator = Separator::Blanks;
    std::size_t m_columnCount = 0;
    std::string m_header;
    std::int64_t m_headerLine = 0;
    std::vector<std::string> m_numbered;  // "Column N:" comments
    std::vector<std::string> m_names;
    std::int64_t m_namesLine = 0;
    int m_ua = -1, m_ia = -1, m_vg1 = -1, m_vg2 = -1, m_curve = -1;
    std::vector<int> m_flags;
};

// ---- Wide tables ------------------------------------------------------------

class WideReader : public Reader {
public:
    explicit WideReader(const ImportOptions& options) : Reader(options) { trimTrailingZeros = true; }

    bool feed(std::string_view line, std::int64_t number) override
    {
        const std::string_view t = trimmed(line);
        if (t.empty() || isComment(t))
            return true;
        if (!m_started) {
            if (!isDataRow(t, m_cells)) {
                m_header.emplace_back(number, std::string(t));
                return true;
            }
            if (!start(t, number))
                return false;
        }
        if (!checkSeparator(t, m_separator, number))
            return false;
        splitCells(t, m_separator, m_cells);
        if (m_cells.size() != curves.size() + 1)
            return fail(number, QStringLiteral("%1 cells where the header (line %2) gives an anode voltage and %3 "
                                               "currents")
                                    .arg(m_cells.size()).arg(m_gridLine).arg(curves.size()));
        double ua = 0;
        if (!parseNumber(m_cells[0], ua))
            return fail(number, notANumber(m_cells[0], m_separator));
        for (std::size_t i = 1; i < m_cells.size(); ++i) {
            // A blank cell is no point (a curve that ends earlier than others).
            if (m_cells[i].empty())
                continue;
            double ia = 0;
            if (!parseNumber(m_cells[i], ia))
                return fail(number, notANumber(m_cells[i], m_separator));
            curves[i - 1].points.push_back({static_cast<float>(ua), current(ia)});
        }
        return true;
    }

    bool finish(std::int64_t lastLine) override
    {
        if (!m_started)
            return fail(lastLine, QStringLiteral("no row of numbers follows the header"));
        return true;
    }

private:
    bool start(std::string_view firstRow, std::int64_t number)
    {
        m_started = true;
        m_separator = separatorOf(firstRow);
        splitCells(firstRow, m_separator, m_cells);
        const std::size_t currents = m_cells.size() - 1;
        if (m_header.empty())
            return fail(number, QStringLiteral("a row of numbers where the header of grid voltages should be"));
        std::vector<double> grids;
        for (auto it = m_header.rbegin(); it != m_header.rend() && grids.empty(); ++it) {
            grids = gridLabels(it->second, currents);
            m_gridLine = it->first;
        }
        if (grids.empty())
            return fail(m_header.back().first,
                        QStringLiteral("the header gives no grid voltage for each of the %1 current columns").arg(currents));
        const Separator headerSeparator = separatorOf(m_header.back().second);
        if (headerSeparator != m_separator && headerSeparator != Separator::Blanks)
            return fail(number, QStringLiteral("the rows are separated by %1 but the header (line %2) by %3")
                                    .arg(QLatin1String(separatorName(m_separator))).arg(m_header.back().first)
                                    .arg(QLatin1String(separatorName(headerSeparator))));
        for (const auto& h : m_header)
            if (const double scale = currentScaleIn(h.second); scale != 0 && currentScale == 0)
                currentScale = scale;
        curves.resize(currents);
        for (std::size_t i = 0; i < currents; ++i) {
            curves[i].vg1 = static_cast<float>(grids[i]);
            curves[i].hasVg1 = true;
            curves[i].line = m_gridLine;
        }
        m_header.clear();
        return true;
    }

    bool m_started = false;
    Separator m_separator = Separator::Blanks;
    std::vector<std::pair<std::int64_t, std::string>> m_header;
    std::int64_t m_gridLine = 0;
};

// ---- Digitized curves -------------------------------------------------------

class DigitizedReader : public Reader {
public:
    explicit DigitizedReader(const ImportOptions& options) : Reader(options) {}

    bool feed(std::string_view line, std::int64_t number) override
    {
        const std::string_view t = trimmed(line);
        if (t.empty() || isComment(t))
            return true;
        const Separator separator = separatorOf(t);
        splitCells(t, separator, m_cells);
        if (m_cells.size() != 2)
            return fail(number, QStringLiteral("%1 cells where a digitized curve has two (x, y)").arg(m_cells.size()));
        double ua = 0, ia = 0;
        if (!parseNumber(m_cells[0], ua)) {
            // "x,Curve3": the header of the next curve.
            curves.emplace_back();
            RawCurve& c = curves.back();
            c.line = number;
            c.label = std::string(m_cells[1]);
            const std::vector<double> grid = numbersInLabel(m_cells[1]);
            if (grid.size() == 1) {
                c.vg1 = static_cast<float>(grid[0]);
                c.hasVg1 = true;
            }
            if (const double scale = currentScaleIn(m_cells[1]); scale != 0 && currentScale == 0)
                currentScale = scale;
            return true;
        }
        if (curves.empty())
            return fail(number, QStringLiteral("a point before the first curve header (x,CurveN)"));
        if (!parseNumber(m_cells[1], ia))
            return fail(number, notANumber(m_cells[1], separator));
        curves.back().points.push_back({static_cast<float>(ua), current(ia)});
        return true;
    }

    bool finish(std::int64_t lastLine) override
    {
        if (curves.empty())
            return fail(lastLine, QStringLiteral("no curve header (x,CurveN) in the file"));
        const std::vector<float>& given = m_options.vg1;
        if (!given.empty()) {
            if (given.size() != curves.size())
                return fail(lastLine, QStringLiteral("the file holds %1 curves but --vg1 gives %2 grid voltages")
                                          .arg(curves.size()).arg(given.size()));
            for (std::size_t i = 0; i < curves.size(); ++i)
                curves[i].vg1 = given[i];
            return true;
        }
        for (const RawCurve& c : curves)
            if (!c.hasVg1)
                return fail(c.line, QStringLiteral("curve %1 names no grid voltage; give the grid voltages with --vg1")
                                        .arg(quoteText(c.label)));
        return true;
    }
};

std::unique_ptr<Reader> makeReader(CurveFormat format, const ImportOptions& options)
{
    switch (format) {
    case CurveFormat::Tdf: return std::make_unique<TdfReader>(options);
    case CurveFormat::Long: return std::make_unique<ColumnReader>(options, false);
    case CurveFormat::Columns: return std::make_unique<ColumnReader>(options, true);
    case CurveFormat::Wide: return std::make_unique<WideReader>(options);
    case CurveFormat::Digitized: return std::make_unique<DigitizedReader>(options);
    case CurveFormat::Auto: break;
    }
    return nullptr;
}

float median(std::vector<float>& values)
{
    const auto mid = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), mid, values.end());
    return *mid;
}

// A value rounded to 7 significant digits: a current read as a float in mA
// and scaled to amperes afterwards comes back to the decimal value it was
// written as (a TDF file holds 7 digits anyway).
double toSevenDigits(double value)
{
    if (value == 0 || !std::isfinite(value))
        return value;
    const double factor = std::pow(10.0, 6 - static_cast<int>(std::floor(std::log10(std::fabs(value)))));
    return std::round(value * factor) / factor;
}

// The rules that hold for every shape (see the header), once all is read.
bool finishFamily(Reader& reader, const ImportOptions& options, CurveFormat format, std::int64_t lastLine,
                  ImportResult& result)
{
    std::vector<RawCurve>& curves = reader.curves;

    // Currents of a file that names no unit are still as read.
    double scale = 1.0;
    if (reader.currentScale == 0) {
        float largest = 0;
        for (const RawCurve& c : curves)
            for (const UaIa& p : c.points)
                largest = std::max(largest, std::fabs(p.ia));
        scale = largest < 1.0F ? 1.0 : 1e-3;
    }
    bool anyNegative = false, anyPositive = false;
    for (RawCurve& c : curves) {
        for (UaIa& p : c.points) {
            if (scale != 1.0)
                p.ia = static_cast<float>(toSevenDigits(p.ia * scale));
            p.ia = std::max(0.0F, p.ia);
        }
        if (reader.gridsFromReadings && !c.vg1Readings.empty()) {
            c.vg1 = median(c.vg1Readings);
            if (!c.vg2Readings.empty())
                c.vg2 = std::round(median(c.vg2Readings));
        }
        c.vg1 += 0.0F;  // -0 is 0
        if (options.vg2)
            c.vg2 = *options.vg2;
        if (!c.points.empty()) {
            anyNegative = anyNegative || c.vg1 < 0;
            anyPositive = anyPositive || c.vg1 > 0;
        }
    }
    // Grid-1 voltages are negative; a file that holds none below 0 but some
    // above stores their magnitudes.
    if (anyPositive && !anyNegative)
        for (RawCurve& c : curves)
            c.vg1 = -c.vg1 + 0.0F;  // 0 stays +0

    ImportedFamily& family = result.family;
    family.format = format;
    family.limitedPoints = reader.limitedPoints;
    std::unordered_map<std::uint64_t, std::size_t> index;
    for (RawCurve& c : curves) {
        if (c.points.empty())
            continue;
        const auto [it, created] = index.try_emplace(pairKey(c.vg1, c.vg2), family.curves.size());
        if (created)
            family.curves.push_back({c.vg1, c.vg2, std::move(c.points)});
        else
            family.curves[it->second].points.insert(family.curves[it->second].points.end(), c.points.begin(),
                                                    c.points.end());
    }
    for (ImportedCurve& c : family.curves) {
        std::stable_sort(c.points.begin(), c.points.end(), [](const UaIa& a, const UaIa& b) { return a.ua < b.ua; });
        if (reader.trimTrailingZeros) {
            // Zero cells above a curve's last current are where it ended.
            auto last = std::find_if(c.points.rbegin(), c.points.rend(), [](const UaIa& p) { return p.ia != 0; });
            if (last != c.points.rend())
                c.points.erase(last.base(), c.points.end());
        }
    }
    if (family.curves.empty()) {
        result.error = lineError(lastLine, QStringLiteral("the file ends without a single point"));
        return false;
    }
    return true;
}

ImportResult importLines(LineReader& lines, std::string_view head, const ImportOptions& options)
{
    ImportResult result;
    if (const std::int64_t binary = firstBinaryByte(head); binary >= 0) {
        const std::int64_t line = std::count(head.begin(), head.begin() + binary, '\n') + 1;
        result.error = lineError(line, QStringLiteral("binary data (byte 0x%1), not a text table")
                                           .arg(static_cast<unsigned char>(head[static_cast<std::size_t>(binary)]), 2,
                                                16, QLatin1Char('0')));
        return result;
    }
    CurveFormat format = options.format;
    if (format == CurveFormat::Auto && !options.columns.empty())
        format = CurveFormat::Long;
    if (format == CurveFormat::Auto) {
        const Detection d = detect(head);
        if (d.format == CurveFormat::Auto) {
            result.error = d.why;
            return result;
        }
        format = d.format;
    }
    std::unique_ptr<Reader> reader = makeReader(format, options);
    std::string_view line;
    while (lines.next(line)) {
        if (lines.lineNumber() == 1 && line.starts_with("\xEF\xBB\xBF"))
            line.remove_prefix(3);
        if (!reader->feed(line, lines.lineNumber())) {
            result.error = reader->error();
            return result;
        }
    }
    if (!lines.error().isEmpty()) {
        result.error = lines.error();
        return result;
    }
    const std::int64_t last = std::max<std::int64_t>(lines.lineNumber(), 1);
    if (!reader->finish(last)) {
        result.error = reader->error();
        return result;
    }
    result.ok = finishFamily(*reader, options, format, last, result);
    return result;
}

}  // namespace

std::int64_t ImportedFamily::pointCount() const
{
    std::int64_t n = 0;
    for (const ImportedCurve& c : curves)
        n += static_cast<std::int64_t>(c.points.size());
    return n;
}

QString curveFormatName(CurveFormat format)
{
    switch (format) {
    case CurveFormat::Auto: return QStringLiteral("auto");
    case CurveFormat::Tdf: return QStringLiteral("tdf");
    case CurveFormat::Long: return QStringLiteral("long");
    case CurveFormat::Wide: return QStringLiteral("wide");
    case CurveFormat::Columns: return QStringLiteral("columns");
    case CurveFormat::Digitized: return QStringLiteral("digitized");
    }
    return {};
}

std::optional<CurveFormat> curveFormatFromName(const QString& name)
{
    for (const CurveFormat f : {CurveFormat::Auto, CurveFormat::Tdf, CurveFormat::Long, CurveFormat::Wide,
                                CurveFormat::Columns, CurveFormat::Digitized})
        if (curveFormatName(f) == name)
            return f;
    return std::nullopt;
}

CurveFormat detectCurveFormat(std::string_view head)
{
    if (firstBinaryByte(head) >= 0)
        return CurveFormat::Auto;
    return detect(head).format;
}

ImportResult importCurveText(std::string_view text, const ImportOptions& options)
{
    LineReader lines(text);
    return importLines(lines, text.substr(0, static_cast<std::size_t>(kHeadBytes)), options);
}

ImportResult importCurveDevice(QIODevice& device, const ImportOptions& options)
{
    // Detection sees the complete lines of the first piece of the file; the
    // readers then stream the whole of it from the start.
    const QByteArray peeked = device.peek(kHeadBytes);
    std::string_view head(peeked.constData(), static_cast<std::size_t>(peeked.size()));
    if (peeked.size() == kHeadBytes) {
        const std::size_t lastEnd = head.rfind('\n');
        if (lastEnd != std::string_view::npos)
            head = head.substr(0, lastEnd + 1);
    }
    LineReader lines(device);
    return importLines(lines, head, options);
}

ImportResult importCurveFile(const QString& path, const ImportOptions& options)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ImportResult result;
        result.error = QStringLiteral("cannot open: ") + file.errorString();
        return result;
    }
    return importCurveDevice(file, options);
}

}  // namespace zov
