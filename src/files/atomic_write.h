#pragma once
// Whole-file replacement through a temporary file in the same folder and a
// rename (QSaveFile): a crash, a full disk or a failed write never leaves a
// half-written file; the old content stays until the new one is complete.

#include <QString>

#include <memory>
#include <string_view>

class QSaveFile;

namespace zov {

struct FileResult {
    bool ok = false;
    QString error;  // human-readable reason when ok is false; empty for "nothing to do"
};

// A replacement written in pieces: write() as often as needed, then commit().
// The target changes only in a commit whose every byte reached the file
// system, synced; anything else (a failed write, no commit at all) discards
// the temporary file and leaves the target as it was.
//
// QSaveFile alone is not enough: it remembers only the errors of its own
// writes, so bytes still in its buffer that fail to reach a full disk at
// commit were renamed over the target as an empty or cut-short file, and the
// commit reported success. The file is therefore written unbuffered and its
// sync is checked before the rename.
class AtomicReplacement {
public:
    explicit AtomicReplacement(const QString& path);
    ~AtomicReplacement();
    AtomicReplacement(const AtomicReplacement&) = delete;
    AtomicReplacement& operator=(const AtomicReplacement&) = delete;

    // False once anything failed (the first reason is kept for commit).
    bool write(std::string_view bytes);
    FileResult commit();

private:
    std::unique_ptr<QSaveFile> m_file;
    QString m_error;
};

// Replaces `path` by `bytes`, byte for byte.
FileResult replaceFileAtomically(const QString& path, std::string_view bytes);

// Test seam: while set (non-empty), every replacement fails with this reason
// after writing its temporary file, and the target is left as it was. Empty
// to turn it off.
void setInjectedWriteFailure(const QString& reason);

}  // namespace zov
