#pragma once
// Path helpers. Paths are plain texts; the separator of a given path is "/"
// when the path holds a "/" anywhere, otherwise "\" (paths typed on Windows
// and paths returned by Qt both work). A folder text never ends with a
// separator.

#include <QString>

namespace zov {

// The text after the last separator; the whole path when there is none.
QString FileNameOf(const QString& path);

// The text before the last separator (the separator excluded); empty when the
// path is empty or has no separator, and when its only separator is the first
// character.
QString FolderOf(const QString& path);

// The text between the first and second "." of the name part
// (GetField(FileNameOf(path), 2, ".")): "tdf" for "x.tdf", "b" for "a.b.zov";
// empty when the name has no ".".
QString ExtensionOf(const QString& path);

// True when the path is not empty and its modification time can be read
// (folders included).
bool FileExists(const QString& path);

}  // namespace zov
