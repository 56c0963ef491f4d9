#pragma once
// Curve files of other tracers and digitizers, read into the same family a
// capture gives, so that they can be designed on, compared and stored as TDF.
//
// Shapes recognised from the content (never from the file name):
//  - TDF: the program's own lines (Ua Ia Vg1 0 Vg2, no header);
//  - long point tables: a header naming the columns (point, curve, Ia, Is, Vg,
//    Va, Vs, Vf ...), then one point per row;
//  - wide tables: a first column of anode voltages and one current column per
//    grid voltage, the grid voltages in the header;
//  - commented column files: "%" or "#" comment lines naming the columns, then
//    numeric rows of the sweep (anode voltage, current, grid voltage ...);
//  - digitized curves: blocks of "x,CurveN" pairs, one block per curve.
//
// Rules that hold for every shape:
//  - voltages are in volts; a current is in the unit its header names (A, mA,
//    uA); a current whose unit is not named is in amperes when the largest
//    current of the file is below 1, else in milliamperes (no tube these
//    families describe passes 1 A, and a family read in mA reaches 1 mA);
//  - when every grid-1 voltage of a file is 0 or positive and one is above 0,
//    the file stores magnitudes and they are negated; a file with a negative
//    grid-1 voltage is taken as signed;
//  - currents below 0 (digitizing noise) become 0; points are ordered by anode
//    voltage within a curve; curves with equal grid voltages are joined;
//  - the grid-2 voltage of a curve is the --vg2 value when given, else the
//    median of its screen-voltage readings rounded to whole volts (a measured
//    supply wobbles by a fraction of a volt from point to point), else 0.
// A file that does not fit gives a message naming the line, never an empty
// family. Files are streamed: the bytes are never held whole in memory.

#include "core/curve_store.h"
#include "files/atomic_write.h"
#include "files/file_dialog_filters.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

class QIODevice;

namespace zov {

enum class CurveFormat { Auto, Tdf, Long, Wide, Columns, Digitized };

// "auto", "tdf", "long", "wide", "columns", "digitized" (the --format words).
QString curveFormatName(CurveFormat format);
std::optional<CurveFormat> curveFormatFromName(const QString& name);

struct ImportOptions {
    CurveFormat format = CurveFormat::Auto;
    // Grid-1 voltages of curves whose file names none (digitized blocks, a
    // column file without a grid column), in the order of the curves.
    std::vector<float> vg1;
    // Grid-2 voltage of every curve, instead of what the file says.
    std::optional<float> vg2;
    // The header of a table that has none, as its header line would read
    // ("Ua Vg Ia(mA)"); the file's first line is then data.
    std::string columns;
};

struct UaIa {
    float ua = 0.0F;  // V
    float ia = 0.0F;  // A
};

struct ImportedCurve {
    float vg1 = 0.0F;  // V
    float vg2 = 0.0F;  // V
    std::vector<UaIa> points;  // ascending anode voltage
};

struct ImportedFamily {
    CurveFormat format = CurveFormat::Auto;  // the shape that was read
    std::vector<ImportedCurve> curves;       // in order of first appearance
    std::int64_t limitedPoints = 0;          // rows dropped for a supply's limiter flag
    std::int64_t pointCount() const;
};

struct ImportResult {
    bool ok = false;
    QString error;  // "line N: why" when ok is false
    ImportedFamily family;
};

// The shape of a text from its first lines (`head`, complete lines); Auto
// when none fits.
CurveFormat detectCurveFormat(std::string_view head);

// Reads a curve file of any supported shape (options.format Auto: detected).
ImportResult importCurveFile(const QString& path, const ImportOptions& options = {});
ImportResult importCurveDevice(QIODevice& device, const ImportOptions& options = {});
ImportResult importCurveText(std::string_view text, const ImportOptions& options = {});

// The TDF lines of a family: "Ua Ia Vg1 0 Vg2" in the general number format,
// CR LF ends, curves one after the other.
std::string familyTdfText(const ImportedFamily& family);

// Writes the families one after the other as one TDF file, followed by one
// CR LF like "Save as ...", replacing the target atomically. The text is
// produced in pieces, never whole.
FileResult writeFamiliesTdf(const QString& path, const std::vector<ImportedFamily>& families);

// One line of summary: curves, points, grid voltages, anode-voltage and
// current ranges.
QString familySummary(const ImportedFamily& family);

// Fills `set` from its FileName whatever the file's shape. A TDF file (or an
// unrecognised file named *.tdf) goes through ReadCurveSet unchanged; another
// shape is converted in memory, and the set is then exactly what reading the
// converted TDF file would give. FileName stays the original path.
//  - loaded: set.Loaded after the read;
//  - error: why the file could not be used (empty for a TDF read).
struct CurveFileRead {
    bool loaded = false;
    QString error;
    CurveFormat format = CurveFormat::Auto;
};
CurveFileRead readCurveFile(CurveSet& set);

// The filters of the dialog that opens a family: the TDF entries of every
// file dialog, then one entry per other shape and one for every curve file.
DialogFilters curveFileDialogFilters(const QString& programName);

}  // namespace zov
