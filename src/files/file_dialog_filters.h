#pragma once
// The filter list every file dialog offers: all files, and the files with the
// extension of the pattern (selected), named after the program.

#include <QString>
#include <QStringList>

namespace zov {

struct DialogFilters {
    QStringList filters;  // in Qt's "Caption (*.ext)" form
    int selected = 0;     // index of the entry the dialog opens on
};

// "Tous fichiers (*.*)", then, when ExtensionOf(pattern) gives e, the entry
// "Fichiers <programName> (*.e)", which is selected.
DialogFilters fileDialogFilters(const QString& pattern, const QString& programName);

}  // namespace zov
