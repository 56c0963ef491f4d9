#pragma once
// TDF curve files: plain text, one measured point per line, fields separated
// by single spaces: Ua (V), Ia (A), Vg1 (V), 0, Vg2 (V) [, two reserved
// fields]. Lines end with CR LF; lines ended by LF alone and a last line
// without a line end are read the same way.
//
// Reading: ReadCurveSet parses a file into a CurveSet slot. Writing: the
// window's "Save as ...", "Add to ..." and "Load a background ..." handlers
// show their dialog and message boxes and call the functions below for the
// data side.

#include "files/atomic_write.h"
#include "core/curve_store.h"

#include <QString>

#include <string_view>
#include <vector>

namespace zov {

// ---- Reading --------------------------------------------------------------

// Reads the file named by set.FileName into `set`.
//  - file cannot be opened (missing included): false, the slot untouched;
//  - first line of 8 characters or fewer: false, the slot reset, Loaded false;
//  - otherwise: true, Loaded true.
// The reset state is one series of one zero point and one-column grid tables
// of zeros, with Vg1Top = Vg2Top = 0 (consistent with the tables).
//
// Every series but the first gets one extra (0 V, 0 A) point when it is
// created; currents below 0 are clamped to 0 on every line but the first;
// UaMax and IaMax come from the lines after the first. Lines of more than 8
// characters are data lines wherever they are; lines of one curve need not be
// consecutive (they join the series of equal grid-1 and grid-2 values, exact
// 32-bit comparison). Time is linear in the file size.
bool ReadCurveSet(CurveSet& set);

// The same parse on bytes already in memory (set.FileName is left as it is).
bool readCurveSetFromMemory(CurveSet& set, std::string_view bytes);

// Stable sort of the columns of a table ascending by row `keyRow`, compared
// as numbers. Returns 0 when sorted, -1 when keyRow is not a row of the table, -2
// when the table has fewer than two columns (checked first). Equal keys keep
// their order. A PointColumn table has rows 0..6, a GridColumn table rows 0
// (voltage) and 1 (series index).
int SortColumns(std::vector<PointColumn>& table, int keyRow);
int SortColumns(std::vector<GridColumn>& table, int keyRow);

// ---- Writing --------------------------------------------------------------

enum class TdfWriteMode {
    Replace,  // "Save as ...": the file is created, or replaced when it exists
    Append,   // "Add to ...": the text goes after the file's content; created when missing
};

// Writes `curveText` followed by one CR LF, byte for byte. The target is
// replaced atomically (temporary file in the same folder, then rename; an
// append copies the old content first), so a failed write leaves the target
// as it was.
FileResult writeTdfText(const QString& path, std::string_view curveText, TdfWriteMode mode);

// Before the "Save as ..." / "Add to ..." dialog: the window shows
// msg::kNoDataToSave and stops when ws.CurveText is empty; otherwise it calls
// this, which sets TdfFolder to the program's folder (the home folder
// of an installed program, firstDialogFolder) when it is empty and returns
// the dialog's initial folder.
QString prepareTdfSaveFolder(Workspace& ws);

// "Save as ..." / "Add to ..." after the dialog returned `path`.
//  - TdfFile = path in every case (empty after a cancel).
//  - empty path (cancelled): ok false, empty error, nothing else changes.
//  - empty CurveText: ok false, error msg::kNoDataToSave, nothing written.
//  - write failure: ok false, error = the reason (show
//    msg::writeFailed(path, error)); CurveText and TdfFolder unchanged.
//  - success: ok true; CurveText emptied, TdfFolder = FolderOf(path). The
//    window then disables "Save as ..." and "Add to ...".
FileResult saveCurveText(Workspace& ws, const QString& path, TdfWriteMode mode);

// "Load a background ..." after the dialog returned `path` (initial folder
// TdfFolder, no fallback). Empty path: false, nothing changes. Otherwise
// TdfFolder = FolderOf(path); when the file can be read, BackgroundText = its
// whole content, unparsed, and true (the window then refreshes); else false.
bool loadBackgroundFile(Workspace& ws, const QString& path);

}  // namespace zov
