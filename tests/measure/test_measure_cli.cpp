// zov-cli simulate and capture, run as separate processes.
#include "files/text.h"
#include "measure/measure_messages.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

const QString kCli = QStringLiteral(ZOV_BINARY_DIR "/src/app/cli/zov-cli");

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

Result run(const QStringList& args, int timeoutMs = 30000)
{
    Result r;
    QProcess p;
    p.start(kCli, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

// A running `zov-cli simulate`, stopped with SIGTERM at the end.
class Simulator {
public:
    explicit Simulator(const QStringList& extra = {})
    {
        m_process.start(kCli, QStringList{"simulate", "--no-pacing"} + extra);
        if (!m_process.waitForStarted(10000))
            return;
        while (!m_process.canReadLine() && m_process.state() == QProcess::Running)
            m_process.waitForReadyRead(10000);
        m_path = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~Simulator() { stop(); }
    QString path() const { return m_path; }
    int stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
        ::kill(pid_t(m_process.processId()), SIGTERM);
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished();
            return -1;
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
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll().toStdString();
}

int lineCount(const std::string& text)
{
    int n = 0;
    while (!zov::GetField(text, n + 1, "\r\n").empty())
        ++n;
    return n;
}

}  // namespace

class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFile::exists(kCli))
            GTEST_SKIP() << "zov-cli not built at " << kCli.toStdString();
    }
};

TEST_F(CliTest, CaptureSavesAndAppends)
{
    Simulator sim;
    ASSERT_TRUE(sim.path().startsWith("/dev/")) << sim.path().toStdString();
    QTemporaryDir dir;
    const QString file = dir.filePath("family.tdf");
    const QStringList common{"capture", "--port", sim.path(), "--start", "0", "--stop", "-4", "--pitch", "1",
                             "--vg2", "250", "--range", "32", "--wait-ms", "150"};
    Result r = run(common + QStringList{"--save", file});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("step 5 of 5")) << r.err.toStdString();
    std::string saved = readAll(file);
    EXPECT_EQ(lineCount(saved), 320);
    EXPECT_EQ(saved.substr(saved.size() - 4), "\r\n\r\n");  // text plus one CR LF
    EXPECT_EQ(zov::GetField(zov::GetField(saved, 320, "\r\n"), 3, " "), "-4");
    EXPECT_EQ(zov::GetField(zov::GetField(saved, 320, "\r\n"), 5, " "), "250");

    r = run(QStringList{"capture", "--port", sim.path(), "--start", "2", "--stop", "2", "--wait-ms", "150",
                        "--append", file});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const std::string appended = readAll(file);
    EXPECT_EQ(appended.substr(0, saved.size()), saved);
    EXPECT_EQ(appended.size() > saved.size(), true);
    EXPECT_EQ(zov::GetField(zov::GetField(appended, 322, "\r\n"), 3, " "), "-2");  // after the empty line
    EXPECT_EQ(sim.stop(), 0);
}

TEST_F(CliTest, RefusedGridSettings)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("none.tdf");
    for (const QStringList& grid : {QStringList{"--start", "0", "--stop", "10", "--pitch", "0.25"},
                                    QStringList{"--start", "12", "--stop", "10"},
                                    QStringList{"--start", "0", "--stop", "32"}}) {
        const Result r = run(QStringList{"capture", "--port", "/dev/zov-none", "--save", file} + grid);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains(zov::messages::kGridOutOfRange)) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(file));
    }
}

TEST_F(CliTest, FailedExchangeKeepsCompletedCurves)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("lost.tdf");
    Result r = run({"capture", "--port", "/dev/zov-none", "--start", "0", "--stop", "0", "--wait-ms", "10",
                    "--save", file});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(r.err.contains("Dialog with Hardware Module failed.")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Can't connect the Hardware Module."));
    EXPECT_TRUE(r.err.contains("Check connections and COM port number"));
    EXPECT_FALSE(QFile::exists(file));  // nothing was measured

    // A module that falls silent after its first curve: that curve is saved.
    Simulator sim({"--fault", "silent", "--fault-after", "1"});
    ASSERT_FALSE(sim.path().isEmpty());
    r = run({"capture", "--port", sim.path(), "--start", "0", "--stop", "2", "--pitch", "1", "--wait-ms", "150",
             "--save", file});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(r.err.contains("Can't connect the Hardware Module."));
    const std::string saved = readAll(file);
    EXPECT_EQ(lineCount(saved), 64);
    EXPECT_EQ(saved.substr(saved.size() - 4), "\r\n\r\n");
}

TEST_F(CliTest, UsageErrors)
{
    const QStringList cases[] = {
        {"capture"},
        {"capture", "--port"},
        {"capture", "--port", "x", "--start", "0", "--stop", "1", "--bogus", "--save", "f"},
        {"capture", "--port", "x", "--start", "0", "--stop", "1"},                               // no file
        {"capture", "--port", "x", "--start", "0", "--stop", "1", "--save", "a", "--append", "b"},  // both
        {"capture", "--port", "x", "--start", "0", "--stop", "1", "--range", "64", "--save", "a"},
        {"capture", "--port", "x", "--start", "0", "--stop", "1", "--wait-ms", "soon", "--save", "a"},
        {"simulate", "--tube", "6V6"},
        {"simulate", "--fault", "melt"},
        {"simulate", "--bogus"},
        {"simulate", "--noise"},
    };
    for (const QStringList& args : cases) {
        const Result r = run(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty());
    }
    for (const char* command : {"capture", "simulate"}) {
        const Result r = run({command, "--help"});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_TRUE(r.out.contains("Usage: zov-cli " + QString::fromLatin1(command))) << r.out.toStdString();
    }
}

TEST_F(CliTest, SimulateStopsCleanlyOnSignals)
{
    for (int sig : {SIGTERM, SIGINT}) {
        QProcess p;
        p.start(kCli, {"simulate", "--tube", "EL34", "--noise", "3"});
        ASSERT_TRUE(p.waitForReadyRead(10000));
        const QString path = QString::fromLocal8Bit(p.readLine()).trimmed();
        EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
        ::kill(pid_t(p.processId()), sig);
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0);
    }
}
