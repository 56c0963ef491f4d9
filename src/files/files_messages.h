#pragma once
// Texts the files layer gives to the user (through the window) and to the
// dialogs. Kept in one place so that code and tests cannot drift apart.

#include <QString>

namespace zov::msg {

inline const QString kNoDataToSave = QStringLiteral("No data to save");

// Dialog titles and patterns of the TDF actions.
inline const QString kExportTdfTitle = QStringLiteral("Export TDF data");   // Save as ..., Add to ...
inline const QString kImportTdfTitle = QStringLiteral("Import TDF data");   // Load a background ...
inline const QString kTdfPattern = QStringLiteral("*.tdf");

// Dialog titles and the pattern of the menu "Project ...".
inline const QString kSaveProjectTitle = QStringLiteral("Save current project");  // Save
inline const QString kLoadProjectTitle = QStringLiteral("Load a project");        // Recall
inline const QString kProjectPattern = QStringLiteral("*.zov");

// Filter entries of every file dialog.
inline const QString kAllFilesFilter = QStringLiteral("Tous fichiers (*.*)");
inline const QString kTypedFilesPrefix = QStringLiteral("Fichiers ");

// Further entries of the dialog that opens a family of any shape (the Cook
// import): every curve file, then one entry per shape of other programs.
inline const QString kCurveFilesFilter = QStringLiteral("Curve files (*.tdf *.utd *.csv *.txt *.dat)");
inline const QString kLongTableFilter = QStringLiteral("Point tables (*.utd *.txt)");
inline const QString kWideTableFilter = QStringLiteral("Wide tables (*.csv *.txt)");
inline const QString kColumnFileFilter = QStringLiteral("Commented column files (*.dat *.txt)");
inline const QString kDigitizedFilter = QStringLiteral("Digitized curves (*.csv *.txt)");

// A save or append that failed after the user chose a file (the window shows
// it in a message box): "Cannot write <path>: <reason>".
inline QString writeFailed(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot write ") + path + QStringLiteral(": ") + reason;
}

// A curve file chosen for a comparison slot that is of no shape the import
// reads: "Cannot read <path>: line <n>: <why>".
inline QString curveFileNotRead(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot read ") + path + QStringLiteral(": ") + reason;
}

}  // namespace zov::msg
