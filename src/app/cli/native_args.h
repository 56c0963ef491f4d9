#pragma once
// File names from the command line, byte for byte as the system gave them.
//
// Qt hands the arguments over as strings decoded from UTF-8 and replaces every
// byte sequence that is not valid UTF-8, so encoding such a string again gives
// other bytes: a file whose name is not valid UTF-8 (written on a system with
// another code page, say) could not be opened by the name the user typed.
// main() keeps the arguments as they came, and the commands open their input
// files through the kept bytes.

#include <QByteArray>
#include <QString>

#include <optional>

namespace zov::cli {

// Keeps argv; called at the start of main().
void keepNativeArguments(int argc, char** argv);

// The bytes of the command-line argument that decodes to `argument`. Two
// arguments can only decode alike when both hold bytes that are not UTF-8;
// the first is taken. An argument not on the command line is encoded as Qt
// encodes file names.
QByteArray nativeArgument(const QString& argument);

// The whole file named by a command-line argument; nullopt, with the
// system's reason in *reason, when it cannot be opened or read.
std::optional<QByteArray> readArgumentFile(const QString& argument, QString* reason = nullptr);

// A path by which code that opens files by name (through QFile) reads the
// input file named by a command-line argument: the argument itself when its
// bytes survive decoding, else the file opened by its bytes and named through
// its descriptor (/proc/self/fd/N, kept open until the program ends). An
// input that cannot be opened keeps its argument, so the caller reports the
// failure as it would.
QString inputPath(const QString& argument);

// True when the file-name bytes of an argument survive decoding, so that the
// decoded name opens the same file. Output files are written through
// writers that take decoded names; an output name that does not survive is
// refused (with kOutputNameNotUtf8) rather than written under another name.
bool nameSurvivesDecoding(const QString& argument);
inline constexpr char kOutputNameNotUtf8[] = "cannot write a file whose name is not valid UTF-8";

}  // namespace zov::cli
