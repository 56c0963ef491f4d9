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

// Filter entries of every file dialog.
inline const QString kAllFilesFilter = QStringLiteral("Tous fichiers (*.*)");
inline const QString kTypedFilesPrefix = QStringLiteral("Fichiers ");

// A save or append that failed after the user chose a file (the window shows
// it in a message box): "Cannot write <path>: <reason>".
inline QString writeFailed(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot write ") + path + QStringLiteral(": ") + reason;
}

}  // namespace zov::msg
