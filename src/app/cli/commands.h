#pragma once
// The commands of zov-cli. Each takes the arguments after its name and returns
// the process exit code; each lives in its own cmd_*.cpp.
//
// Exit codes shared by all commands: 0 success, 2 usage error or unreadable
// input; others as each command documents.

#include <QStringList>

namespace zov::cli {

int runSimulate(const QStringList& args);
int runCapture(const QStringList& args);
int runInspect(const QStringList& args);
int runRender(const QStringList& args);
int runDesign(const QStringList& args);
int runImport(const QStringList& args);
int runReport(const QStringList& args);
int runFit(const QStringList& args);

// Writes a usage message for `command` (or the general one) to standard error
// and returns 2.
int usageError(const QString& message);

}  // namespace zov::cli
