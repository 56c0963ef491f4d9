#pragma once
// The project file (".zov"): the whole working context of the main window as
// an INI profile. This is the pure part: the keys, their order, their number
// texts and their reading rules, between INI bytes and plain values. The
// window fills a ProjectSettings from its controls and the Workspace to save,
// and applies one to them when it loads.
//
// A save rewrites only the keys it knows, in one atomic replace of the file:
// every other line (unknown sections and keys, comments, blank lines, the
// file's own spelling of section and key names, LF or CR LF) stays byte for
// byte, and a failed write leaves the old file whole.

#include "core/curve_store.h"
#include "files/atomic_write.h"

#include <QString>
#include <QStringList>

#include <array>
#include <string>
#include <string_view>

namespace zov {

// A project file's working context as plain values. Texts are those of the
// window's boxes as the user typed them; a missing key reads as the value
// given here, which is what a missing or unreadable file gives.
struct ProjectSettings {
    // FORM. Mode is the text as stored; only the exact word "Capture" opens
    // the Capture mode (opensInCapture).
    QString Mode;
    // Window position and size in twips (kTwipsPerPixel per pixel).
    int TopTwips = 0;
    int LeftTwips = 0;
    int WidthTwips = 0;
    int HeightTwips = 0;

    // DISPLAY: mA per division, V per division, dissipation limit in W.
    QString MaPerDivText;
    QString VoltsPerDivText;
    QString PowerText;

    // DATA: the sweep settings.
    QString Vg1StartText;
    QString Vg1StopText;
    QString Vg1PitchText;
    QString Vg2Text;
    // List position of the port selector: 0 for "COM1" to 3 for "COM4", -1
    // for none. Read back rounded (halves to even); a value outside -1..3
    // selects "COM1".
    int ComportIndex = 0;
    // The port's name as the selector shows it ("COM2", "/dev/ttyUSB0"). The
    // list position cannot name a USB adapter or the virtual module, so the
    // name is kept too; when it names a port that exists, it wins.
    QString PortName;
    bool Range32mA = false;  // "32mA Max" selected; false: "256mA Max"

    // COOKING. Option is "SE", "PP", "Match" or "Diff"; empty when none is
    // selected (on save) or when the file names none of the four (on load:
    // the option then stays as it is).
    QString Option;
    float OperatingIaMa = 0.0F;  // Ia0; 0 with Ua0 0: no operating point
    float OperatingUa = 0.0F;    // Ua0, V
    QString LoadText;            // RLoad, kOhm
    QString VinText;             // TxVin, V peak to peak
    // Series selection of slot 0 on save; given to every slot that gets a
    // file on load.
    SeriesSelection Selection;

    // IMPORT: the TDF file of each comparison slot, empty for an empty slot.
    std::array<QString, kSlotCount> ImportFiles;

    // TDF, CAPTOR, PROJECT: the folders last used.
    QString TdfFolder;
    QString CaptorFolder;
    QString ProjectFolder;
};

// Twips per pixel of the stored window geometry.
constexpr int kTwipsPerPixel = 15;

// Only the exact word "Capture" opens the Capture mode; a missing Mode, or the
// word in other letter case, opens the Cook mode.
bool opensInCapture(const ProjectSettings& settings);

// True when the file holds an operating point to place again (both Ua0 and
// Ia0 non-zero).
bool hasOperatingPoint(const ProjectSettings& settings);

// The option button to select after a load: the stored Option when it is
// exactly one of "SE", "Diff", "PP", "Match"; empty otherwise.
QString optionToSelect(const ProjectSettings& settings);

// Number texts of the file: the signed integer form with one blank before a
// number that is not negative (" 1440", "-1"), and the shortest plain text
// of a 32-bit value with at most seven significant digits ("12.5").
std::string signedIntegerText(int value);
std::string plainNumberText(float value);

// The parts of the settings that live in the Workspace rather than in the
// window's boxes. Taking: the mode, the operating point (0, 0 when none is
// placed, so that a recall never places a point the user did not see), slot
// 0's series selection and the folders. Applying: the mode ("Capture" or
// "Cook"), the series selection of every slot that gets a file (the others
// keep theirs), and the folders.
void takeFromWorkspace(const Workspace& ws, ProjectSettings& settings);
void applyToWorkspace(const ProjectSettings& settings, Workspace& ws);

// The port to select after a load, given the selector's list. The stored
// name wins when the list holds it, or when it is a device that exists but
// is not listed (a USB adapter plugged in later): it is then to be added to
// the list (`addName`); a pseudo-terminal that is not listed (the virtual
// module of an earlier run) is not. Otherwise the list position counts (-1:
// none).
struct PortChoice {
    int index = -1;
    QString addName;
};
PortChoice portToSelect(const ProjectSettings& settings, const QStringList& listed);

// The settings a project file's bytes hold (the defaults above for every
// missing key). Section and key names match without regard to case.
ProjectSettings readProjectSettings(std::string_view bytes);

// `bytes` with every key of the settings written, in the file's fixed order:
// a new file shows sections FORM, DISPLAY, DATA, COOKING, IMPORT, TDF,
// CAPTOR, PROJECT. Imax is written only for "32mA Max" and Option only when
// one is selected; the file's other keys keep their values.
std::string writeProjectSettings(std::string_view bytes, const ProjectSettings& settings);

// The settings of a project file; a missing or unreadable file gives the
// defaults (the window then opens in Cook mode with empty boxes and "COM1").
ProjectSettings loadProjectFile(const QString& path);

// Writes the settings into the project file (created when missing). On
// failure `error` says why and the file is as it was.
FileResult saveProjectFile(const QString& path, const ProjectSettings& settings);

// ProjectFolder after a save to `chosenPath`: set to the chosen file's folder
// only when it was empty, so a project saved elsewhere keeps its home folder.
QString projectFolderAfterSave(const QString& projectFolder, const QString& chosenPath);

// The caption of a comparison slot's check box: the file name up to its
// first "." ("12AX7" for ".../12AX7.b.tdf").
QString slotCaption(const QString& importFile);

// The window caption: `baseCaption` followed by the project's file name in
// square brackets; just `baseCaption` when there is no project file.
QString captionWithProject(const QString& baseCaption, const QString& projectFile);

}  // namespace zov
