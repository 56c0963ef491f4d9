#pragma once
// The pieces the curve-file readers share: a streaming line reader, cells,
// strict numbers, grid voltages in header labels and column names.

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;

namespace zov::table {

// Lines from a device read in pieces, or from text in memory. A line ends at
// LF; a CR before it belongs to the line end. A last line without an end is a
// line too. The text of a line stays valid until the next call.
class LineReader {
public:
    explicit LineReader(QIODevice& device);
    explicit LineReader(std::string_view text);

    // False at the end, or on an error (then error() is not empty).
    bool next(std::string_view& line);
    std::int64_t lineNumber() const { return m_lineNumber; }
    const QString& error() const { return m_error; }

    // A line longer than this is not a line of a table (a binary file, or a
    // file with CR-only line ends); it stops the reader with an error.
    static constexpr std::size_t kMaxLineBytes = 1 << 20;

private:
    bool fill();

    QIODevice* m_device = nullptr;
    std::string m_buffer;
    std::string_view m_text;
    std::size_t m_pos = 0;
    bool m_atEnd = false;
    std::int64_t m_lineNumber = 0;
    QString m_error;
};

enum class Separator { Blanks, Tab, Semicolon, Comma };

// The separator of a row: a tab, else a semicolon, else a comma, else blanks.
Separator separatorOf(std::string_view line);
const char* separatorName(Separator separator);

// The cells of a line. Blanks: runs of spaces and tabs separate, so there are
// no empty cells. Otherwise every separator cuts, cells are trimmed of blanks,
// and two adjacent separators enclose an empty cell.
void splitCells(std::string_view line, Separator separator, std::vector<std::string_view>& cells);

// A whole cell as a number ("." decimal point, optional sign and exponent);
// false when anything else is in it, or when the value is beyond the range of
// a 32-bit float.
bool parseNumber(std::string_view cell, double& value);

// "0,25": a number written with a decimal comma.
bool isDecimalComma(std::string_view cell);

// The numbers standing in a label text: "Vg = -2  V" gives -2, "-4" gives -4,
// "Vg1=-1.5V" gives -1.5. A number glued to a letter (the 1 of "Curve1" or
// "Vg1", the 6 of "6L6") is part of a name, not a value; a unit "V" may follow.
std::vector<double> numbersInLabel(std::string_view text);

// The first binary byte of a text (NUL or a control character other than tab,
// CR, LF and form feed), or -1.
std::int64_t firstBinaryByte(std::string_view text);

// What a column holds, from its name.
enum class ColumnRole { None, Ua, Ia, Vg1, Vg2, Curve, LimiterFlag };

struct ColumnName {
    std::string text;        // the name as written
    ColumnRole role = ColumnRole::None;
    bool setting = false;    // a set value (nominal, setting), not a measurement
    double currentScale = 0; // A per unit of a current column (1e-3 for mA); 0 when not named
};

// Classifies one column name such as "Ia (mA)", "Va", "PlateVoltage",
// "PSU1 voltage measurement (V)". Supply 1 of a two-supply tracer (PSU1)
// drives the anode and supply 2 (PSU2) the grid.
ColumnName classifyColumn(std::string_view name);

// The column names of a header line. With blank separation, a unit in
// brackets that stands alone ("Ia (mA)") belongs to the name before it.
std::vector<std::string> headerNames(std::string_view line, Separator separator);

// The current unit a header text names anywhere ("Ia (mA)", "[A]"): A per
// unit, or 0 when it names none.
double currentScaleIn(std::string_view text);

}  // namespace zov::table
