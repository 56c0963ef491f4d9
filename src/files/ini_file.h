#pragma once
// INI profiles (project files, the recently-used file), read and written key
// by key. Conventions:
//  - section and key names match without regard to (ASCII) case, and blanks
//    around them do not count; the first occurrence of a section or key wins;
//  - a line "[name]" opens a section; a line "name=value" is a key; a line
//    starting with ";" is a comment; anything else is kept and ignored;
//  - values are returned without the blanks around them and with at most 1023
//    bytes, cut at a UTF-8 character boundary; ReadIni then removes one
//    leading apostrophe (a value stored as 'text reads as text);
//  - lines may end with CR LF or LF; new and changed lines are written with
//    CR LF; every other line of the file (unknown sections and keys, comments,
//    blank lines, their order and line ends) is kept byte for byte;
//  - a new key goes after the last key of its section (or right after the
//    section line), a new section at the end of the file;
//  - a write replaces the file atomically, so a failed write (full disk,
//    read-only folder) leaves the old profile whole.
// Texts are UTF-8 on disk.

#include "files/atomic_write.h"

#include <QString>

#include <functional>
#include <string>
#include <string_view>

namespace zov {

constexpr std::size_t kIniValueMaxBytes = 1023;

// The value, or empty when the file does not exist or has no such key.
QString ReadIni(const QString& file, const QString& section, const QString& key);

// Writes one key. False when the file could not be written (callers of the
// project file ignore it, as a profile write never stopped an action) or when
// section or key is empty. CR and LF in the value become blanks, so a value
// can never break the file's structure.
bool WriteIni(const QString& file, const QString& section, const QString& key, const QString& value);

// Several keys in one atomic replace, with the reason of a failure: `edit`
// gets the file's bytes (empty for a new file) and returns the new bytes,
// normally through writeIniValue. A file that exists but cannot be read is
// not replaced (its other keys would be lost).
FileResult updateIniFile(const QString& file, const std::function<std::string(std::string_view)>& edit);

// The same on bytes in memory: the raw value (blanks trimmed, at most 1023
// bytes, apostrophe NOT removed); `found` tells whether the key exists.
std::string readIniValue(std::string_view bytes, std::string_view section, std::string_view key,
                         bool* found = nullptr);

// `bytes` with the key set to `value` (value written as given).
std::string writeIniValue(std::string_view bytes, std::string_view section, std::string_view key,
                          std::string_view value);

}  // namespace zov
