#pragma once
// Whole-file replacement through a temporary file in the same folder and a
// rename (QSaveFile): a crash, a full disk or a failed write never leaves a
// half-written file; the old content stays until the new one is complete.

#include <QString>

#include <string_view>

namespace zov {

struct FileResult {
    bool ok = false;
    QString error;  // human-readable reason when ok is false; empty for "nothing to do"
};

// Replaces `path` by `bytes`, byte for byte.
FileResult replaceFileAtomically(const QString& path, std::string_view bytes);

// Test seam: while set (non-empty), every replaceFileAtomically fails with
// this reason after writing its temporary file, and the target is left as it
// was. Empty to turn it off.
void setInjectedWriteFailure(const QString& reason);

}  // namespace zov
