#pragma once
// The one way the program asks the user for a file (QFileDialog). Never shows
// a message; a cancel gives an empty path.

#include "files/file_dialog_filters.h"

#include <QString>

class QWidget;

namespace zov {

// action "Open" or "Save" (any other word shows nothing and returns empty).
// The dialog opens in `initialFolder` on the filters of fileDialogFilters(),
// with `pattern` as the preset name when it holds no wildcard (a preset
// "*.tdf" would otherwise be taken as a file name on Save). Save asks no
// overwrite question; Open does not require the file to exist (the reader
// then simply fails).
QString FileDialog(QWidget* parent, const QString& initialFolder, const QString& pattern, const QString& title,
                   const QString& action);

// The same with a filter list of the caller's (the Cook import offers every
// curve file it can read, curveFileDialogFilters).
QString FileDialog(QWidget* parent, const QString& initialFolder, const QString& pattern, const QString& title,
                   const QString& action, const DialogFilters& filters);

// The program's executable name without extension, as the filter names it.
QString programName();

}  // namespace zov
