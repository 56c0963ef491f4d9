// zov-cli simulate and capture, run as separate processes.
#include "cli_runner.h"
#include "core/text.h"
#include "measure/measure_messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

namespace {

using namespace zov::testing;

// A running `zov-cli simulate`, stopped with a signal by stop() or at the end.
class Simulator {
public:
    explicit Simulator(const QStringList& extra)
    {
        m_process.start(cliPath(), QStringList{"simulate"} + extra);
        m_process.waitForStarted(10000);
        while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
        }
        m_path = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~Simulator() { stop(SIGTERM); }
    QString path() const { return m_path; }
    int stop(int sig)
    {
        if (m_process.state() != QProcess::NotRunning) {
            ::kill(pid_t(m_process.processId()), sig);
            if (!m_process.waitForFinished(10000))
                m_process.kill();
            m_process.waitForFinished();
        }
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

private:
    QProcess m_process;
    QString m_path;
};

std::string readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

std::string field(const std::string& text, int line, int n) { return std::string(zov::GetField(zov::GetField(text, line, "\r\n"), n, " ")); }

// Lines of a saved file: the curve text plus the one empty line the save adds.
long lineCount(const std::string& text) { return std::count(text.begin(), text.end(), '\n') - 1; }

TEST(CliCapture, SavesAndAppends)
{
    Simulator sim({"--no-pacing", "--tube", "EL34", "--noise", "3"});
    ASSERT_TRUE(QFile::exists(sim.path())) << sim.path().toStdString();
    QTemporaryDir dir;
    const QString file = dir.filePath("family.tdf");
    CliRun r = runCli({"capture", "--port", sim.path(), "--start", "0", "--stop", "-4", "--pitch", "1", "--vg2",
                       "250", "--range", "32", "--wait-ms", "150", "--save", file});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("step 5 of 5")) << r.err.toStdString();
    const std::string saved = readAll(file);
    EXPECT_EQ(lineCount(saved), 320);
    EXPECT_EQ(saved.substr(saved.size() - 4), "\r\n\r\n");  // text plus one CR LF
    EXPECT_EQ(field(saved, 320, 3) + " " + field(saved, 320, 5), "-4 250");

    r = runCli({"capture", "--port", sim.path(), "--start", "2", "--stop", "2", "--wait-ms", "150", "--append", file});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const std::string appended = readAll(file);
    EXPECT_EQ(appended.substr(0, saved.size()), saved);
    EXPECT_EQ(field(appended, 322, 3), "-2");  // after the empty line
    EXPECT_EQ(sim.stop(SIGTERM), 0);
}

TEST(CliCapture, RefusedGridSettingsWriteNothing)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("none.tdf");
    for (const QStringList& grid : {QStringList{"--start", "0", "--stop", "10", "--pitch", "0.25"},
                                    QStringList{"--start", "12", "--stop", "10"}, QStringList{"--start", "0", "--stop", "32"}}) {
        const CliRun r = runCli(QStringList{"capture", "--port", "/dev/zov-none", "--save", file} + grid);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains(zov::messages::kGridOutOfRange)) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(file));
    }
}

TEST(CliCapture, FailedExchangeKeepsCompletedCurves)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("lost.tdf");
    CliRun r = runCli({"capture", "--port", "/dev/zov-none", "--start", "0", "--stop", "0", "--wait-ms", "10", "--save", file});
    EXPECT_EQ(r.exitCode, 3);
    for (const char* message : {"Dialog with Hardware Module failed.", "Can't connect the Hardware Module.",
                                "Check connections and COM port number"})
        EXPECT_TRUE(r.err.contains(message)) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(file));  // nothing was measured

    // A module that falls silent after its first curve: that curve is saved.
    Simulator sim({"--no-pacing", "--fault", "silent", "--fault-after", "1"});
    r = runCli({"capture", "--port", sim.path(), "--start", "0", "--stop", "2", "--pitch", "1", "--wait-ms", "150",
                "--save", file});
    EXPECT_EQ(r.exitCode, 3);
    const std::string saved = readAll(file);
    EXPECT_EQ(lineCount(saved), 64);
    EXPECT_EQ(saved.substr(saved.size() - 4), "\r\n\r\n");
    EXPECT_EQ(sim.stop(SIGINT), 0);
}

TEST(CliCapture, UsageErrorsAndHelp)
{
    const QStringList base{"capture", "--port", "x", "--start", "0", "--stop", "1"};
    const QStringList cases[] = {{"capture"}, {"capture", "--port"}, base + QStringList{"--bogus", "--save", "f"},
                                 base /* no file */, base + QStringList{"--save", "a", "--append", "b"},
                                 base + QStringList{"--range", "64", "--save", "a"}, base + QStringList{"--wait-ms", "soon", "--save", "a"},
                                 {"simulate", "--tube", "6V6"}, {"simulate", "--fault", "melt"}, {"simulate", "--noise"}};
    for (const QStringList& args : cases) {
        const CliRun r = runCli(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty());
    }
    // Every command answers --help with its own usage and names an unknown option.
    for (const char* command : {"capture", "simulate", "inspect", "render", "design", "fit", "import", "report"}) {
        const CliRun help = runCli({command, "--help"});
        EXPECT_EQ(help.exitCode, 0) << command;
        EXPECT_TRUE(help.out.startsWith("Usage: zov-cli " + QByteArray(command))) << help.out.toStdString();
        const CliRun unknown = runCli({command, "--bogus"});
        EXPECT_EQ(unknown.exitCode, 2) << command;
        EXPECT_TRUE(unknown.err.contains("unknown option for " + QByteArray(command) + ": --bogus"))
            << unknown.err.toStdString();
    }
}

}  // namespace
