#pragma once
// The curve store: the one data model every subsystem shares, and the directory
// of the working state of the main window. Plain data, no widgets, no globals:
// one Workspace object is owned by the main window, another by each zov-cli run.
//
// Units: stored measurement data (samples, curve texts, Points) hold volts and
// amperes; display and design state holds volts, milliamperes and kilo-ohms
// (so that U = R * I holds with V, mA and kOhm); plot positions are plot units
// (65536 x 65536, origin top-left, Y downwards).

#include "core/work_modes.h"

#include <QString>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zov {

// Colours are 32-bit values with red in the low byte, then green, then blue.
using Colour = std::uint32_t;
constexpr Colour rgb(int r, int g, int b)
{
    return static_cast<Colour>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int redOf(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int greenOf(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int blueOf(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }

// Draw modes of the plot surface.
constexpr int kDrawModeCopy = 13;
constexpr int kDrawModeXor = 7;

// One point of a series: the seven fields of a TDF data line as 32-bit floats.
using PointColumn = std::array<float, 7>;
enum PointRow : int {
    kRowUa = 0,      // anode voltage, V
    kRowIa = 1,      // anode current, A
    kRowVg1 = 2,     // grid-1 voltage, V
    kRowField4 = 3,  // fourth file field (0 in files written by a capture)
    kRowVg2 = 4,     // grid-2 voltage, V
    kRowField6 = 5,  // sixth and seventh file fields, carried as read
    kRowField7 = 6,
};

// One curve of a family: one (grid-1, grid-2) pair. Points are sorted by
// anode voltage once the reader has finished.
struct Series {
    bool operator==(const Series&) const = default;
    float Vg1 = 0.0F;
    float Vg2 = 0.0F;
    std::vector<PointColumn> Points;
};

// One column of a grid-voltage table: a grid voltage and the index in Series
// of the curve that was created with it.
struct GridColumn {
    bool operator==(const GridColumn&) const = default;
    float voltage = 0.0F;
    int series = 0;
};

// A family parsed from a TDF file (how the reader fills it: files/tdf).
struct CurveSet {
    bool operator==(const CurveSet&) const = default;
    QString FileName;              // full path of the TDF file the set was read from
    float Vg1Max = 0.0F;           // largest grid-1 voltage (nearest 0)
    float Vg1Min = 0.0F;           // smallest grid-1 voltage
    float Vg1Spacing = 0.0F;       // Vg1Table[1] - Vg1Table[0] when Vg1Top > 1, else 0
    int Vg1Top = 0;                // index of the last column of Vg1Table
    std::vector<GridColumn> Vg1Table;  // sorted ascending by voltage
    std::vector<GridColumn> Vg2Table;
    float Vg2Max = 0.0F;
    float Vg2Min = 0.0F;
    float Vg2Spacing = 0.0F;
    int Vg2Top = 0;
    float UaMax = 0.0F;            // V
    float IaMax = 0.0F;            // A
    std::vector<zov::Series> Series;  // in order of first appearance in the file
    bool Loaded = false;
};

// The grid voltages chosen for display in one slot, each value followed by ","
// (for example "-1,-2,-3,").
struct SeriesSelection {
    bool operator==(const SeriesSelection&) const = default;
    std::string Vg1List;
    std::string Vg2List;
};

// A curve built by interpolation (operating point, swing ends) and its
// intersection with the load line.
struct CurveTrace {
    bool operator==(const CurveTrace&) const = default;
    bool Drawn = false;   // on the plot in XOR ink; for OpCurve: operating point valid
    zov::Colour Colour = 0;
    float Vg1 = 0.0F;
    float Vg2 = 0.0F;
    std::vector<PointColumn> Points;
    zov::Colour DotColour = 0;
    float U = 0.0F;       // intersection, V
    float I = 0.0F;       // intersection, mA
};

// A straight line for the intersection search: U - PivotUa = -Slope * (I - PivotIa).
struct LoadLine {
    bool operator==(const LoadLine&) const = default;
    float Slope = 0.0F;    // kOhm
    float PivotUa = 0.0F;  // V
    float PivotIa = 0.0F;  // mA
};

constexpr int kSlotCount = 5;
constexpr int kSampleCapacity = 128;  // elements 64..127 are never used
constexpr int kSamplesPerCurve = 64;

// The Workspace, in groups: each drawing or design routine takes the group it
// reads (the conversions take PlotScales, say), and the Workspace, made of
// all groups, passes wherever a group is asked for. Members keep their names.

// The last capture and the family behind it.
struct MeasuredFamily {
    bool operator==(const MeasuredFamily&) const = default;
    std::array<float, kSampleCapacity> UaSamples{};  // V
    std::array<float, kSampleCapacity> IaSamples{};  // A
    std::string CurveText;       // the family of the last capture, TDF lines
    std::string BackgroundText;  // a family shown behind it in Capture mode
};

// The five comparison slots of Cook mode (slot 0 is the family the stage
// design works on) and the series chosen for display in each.
struct ComparisonSlots {
    bool operator==(const ComparisonSlots&) const = default;
    std::array<CurveSet, kSlotCount> CurveSets;
    std::array<SeriesSelection, kSlotCount> SeriesSelections;
};

// The scales in force. They start at the selector presets (20 V/div,
// 1 mA/div) so that code running without a window never divides by zero;
// each picture takes them from the selectors' texts.
struct PlotScales {
    bool operator==(const PlotScales&) const = default;
    float MaPerDiv = 1.0F;
    float VoltsPerDiv = 20.0F;
    float ScopeUnitsPerVolt = 8192.0F / 20.0F;
    float ScopeUnitsPerMa = 8192.0F;
    float DiffOffsetMa = 0.0F;  // 4 x MaPerDiv in "Diff (a-b)": zero on the middle line
};

// The stage design on slot 0: operating point, load lines, swing curves.
struct DesignState {
    bool operator==(const DesignState&) const = default;
    float OperatingUa = 0.0F;  // V
    float OperatingIa = 0.0F;  // mA
    float UpUa = 0.0F;         // V
    float UpIa = 0.0F;         // mA
    CurveTrace OpCurve;
    CurveTrace UpCurve;
    CurveTrace DownCurve;
    LoadLine LoadLineFull;
    LoadLine LoadLineHalf;
    LoadLine LoadLineQuarter;
    float MarkerX = 0.0F;
    float MarkerY = 65536.0F;  // 65536: no operating-point marker on the plot
    float LoadKOhm = 0.0F;
    float PivotX = 0.0F;
    float PivotY = 0.0F;
    float JunctionX = 0.0F;
    float JunctionY = 0.0F;
    float JunctionUa = 0.0F;  // V
    float JunctionIa = 0.0F;  // mA
};

// Folders and files (kept in the project file).
struct Folders {
    bool operator==(const Folders&) const = default;
    QString TdfFolder;
    QString TdfFile;
    QString CaptorFolder;
    QString ProjectFolder;
    QString ProjectFile;
};

// Everything the main window and the command-line tool share (compared
// member by member: a test can tell whether anything changed). The window's
// own flags (start-up done, capture idle, minimum size) are the window's.
struct Workspace : MeasuredFamily, ComparisonSlots, PlotScales, DesignState, Folders {
    bool operator==(const Workspace&) const = default;
    WorkMode ModeName = WorkMode::Capture;
    QString LegendText;
};

}  // namespace zov
