#include "files/file_dialog_filters.h"

#include "files/files_messages.h"
#include "files/paths.h"

namespace zov {

DialogFilters fileDialogFilters(const QString& pattern, const QString& programName)
{
    DialogFilters result;
    result.filters << msg::kAllFilesFilter;
    const QString extension = ExtensionOf(pattern);
    if (!extension.isEmpty()) {
        result.filters << msg::kTypedFilesPrefix + programName + QStringLiteral(" (*.") + extension
                              + QLatin1Char(')');
        result.selected = 1;
    }
    return result;
}

}  // namespace zov
