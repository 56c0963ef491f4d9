#pragma once
// Runs the built zov-cli as a separate process, as a user's script would.
// Tests that use it depend on the zov-cli target (add_dependencies).

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <string>

namespace zov::testing {

inline const QString& cliPath()
{
    static const QString path = QStringLiteral(ZOV_BINARY_DIR "/src/app/cli/zov-cli");
    return path;
}

struct CliRun {
    int exitCode = -1;  // -1: crashed or timed out
    QByteArray out;
    QByteArray err;
};

// Runs `program` in `workingDir` (this process's own when empty) with `env`.
inline CliRun runProgram(const QString& program, const QStringList& args, int timeoutMs = 30000,
                         const QString& workingDir = {},
                         const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    CliRun r;
    QProcess p;
    p.setWorkingDirectory(workingDir);
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

inline CliRun runCli(const QStringList& args, int timeoutMs = 30000) { return runProgram(cliPath(), args, timeoutMs); }

// Writes `bytes` to `name` inside `dir` and returns the full path.
inline QString writeTempFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

// The bytes of a file, or "<missing>" when it cannot be read.
inline std::string fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : "<missing>";
}

}  // namespace zov::testing
