#pragma once
// Numbered file channels: every file the system reads or writes in place is
// opened with OpenFile and closed with CloseFile. A channel number is an int
// greater than 0; 0 means "no file". Neither function ever shows a message or
// throws: failure is the 0 number or a false result.
//
// Files are always read and written byte for byte: the "text" modes do not
// translate line ends (a TDF file keeps its CR LF, a file edited on Linux its
// LF).
//
// Retry: an open that fails is tried again until the retry window has passed,
// sleeping 1 ms between attempts. The window callers use is 10 ms, so the
// thread is held for at most about that long; no event loop is run in between
// (a handler re-entered from inside a file operation is a fault we do not
// want). On Linux a failed open is almost always permanent (missing folder,
// no permission), so the retry only matters for files briefly locked or being
// replaced by another program.

#include <QByteArray>
#include <QString>

class QFile;

namespace zov {

constexpr int kFileRetryMs = 10;  // the retry window every caller uses

// Opens `path` in the way `mode` names (case ignored):
//   "INPUT", "READ", "R"       read; returns 0 at once when FileExists is false
//   "OUTPUT", "WRITE", "W"     write; the file is created, or emptied when it exists
//   "APPEND", "A"              write at the end; created when missing
//   "BINARY", "B"              read and write, created when missing, not emptied
//   "READBINARY", "RB"         read; the existence rule of "R"
//   "WRITEBINARY", "WB"        write (opened read-write), created when missing, not emptied
// Any other mode word is not opened: `mode` is overwritten with "Unknow mode"
// and the result is 0.
int OpenFile(const QString& path, QString& mode, int retryMs = kFileRetryMs);

// Flushes and closes channel `fileNumber`. True when everything written
// reached the file; the channel is released in every case (a channel whose
// data could not be flushed within the retry window is closed anyway, and the
// result is false). An unknown number gives false.
bool CloseFile(int fileNumber, int retryMs = kFileRetryMs);

// The open file of a channel, for reading or writing its bytes; null for an
// unknown number. The pointer stays valid until CloseFile.
QFile* channelFile(int fileNumber);

// Reads a whole file through a channel, byte for byte. False when the file
// cannot be opened or a read fails part-way (then *error, when given, says why
// and `bytes` must not be used).
bool readWholeFile(const QString& path, QByteArray& bytes, QString* error = nullptr);

// Number of open channels (for tests: every open must be matched by a close).
int openChannelCount();

}  // namespace zov
