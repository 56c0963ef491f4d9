// The real zov-cli replacing a large family file, killed with SIGKILL at
// random moments of its write: the file is always exactly the old or exactly
// the new family, and no half-written file is left beside it. Then the same
// command on a full and on a read-only file system (a tmpfs the test mounts
// as root): it fails, says which file, and leaves the old one whole.

#include "cli_runner.h"
#include "scratch_mount.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <optional>
#include <random>
#include <thread>

extern char** environ;

namespace zov::testing {
namespace {

using Clock = std::chrono::steady_clock;

// A family of curved, irregularly sampled triode-like curves: `curves` grid
// voltages, Ua in uneven steps of 0.2 to 0.3 V up to 400 V (about 33 kB a
// curve). `vg2` tells two families apart.
QByteArray familyText(int curves, int vg2, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> step(0.2, 0.3);
    QByteArray text;
    for (int g = 0; g < curves; ++g) {
        const double vg1 = -0.25 * g;
        for (double ua = 0; ua < 400; ua += step(random)) {
            const double drive = std::max(ua / 100 + vg1, 0.0);
            text += QByteArray::number(ua, 'g', 6) + ' ' + QByteArray::number(0.0012 * std::pow(drive, 1.5), 'g', 6)
                + ' ' + QByteArray::number(vg1) + " 0 " + QByteArray::number(vg2) + "\r\n";
        }
    }
    return text;
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

// True when process `pid` holds a file of `folder` open: the temporary file
// of the replacement, so the write has begun.
bool writesInto(pid_t pid, const QByteArray& folder)
{
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    DIR* dir = ::opendir(fds.c_str());
    if (dir == nullptr)
        return false;
    bool found = false;
    char target[4096];
    while (const dirent* entry = ::readdir(dir)) {
        const std::string link = fds + "/" + entry->d_name;
        const ssize_t n = ::readlink(link.c_str(), target, sizeof target);
        if (n > folder.size() && QByteArray(target, static_cast<int>(n)).startsWith(folder + '/'))
            found = true;
    }
    ::closedir(dir);
    return found;
}

struct ChildRun {
    bool sawWrite = false;
    bool killed = false;
    Clock::duration writeToExit{};
};

// Starts the import, waits until its write has begun, and kills it `delay`
// later (none: lets it finish).
ChildRun importAndKill(const QStringList& args, const QString& outFolder, std::optional<Clock::duration> delay)
{
    QList<QByteArray> owned{QFile::encodeName(cliPath())};
    for (const QString& a : args)
        owned << QFile::encodeName(a);
    std::vector<char*> argv;
    for (QByteArray& a : owned)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ChildRun run;
    posix_spawn_file_actions_t quiet;  // the command's summary lines, 50 times, would bury the test's output
    ::posix_spawn_file_actions_init(&quiet);
    ::posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned = ::posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0)
        return run;
    const QByteArray folder = QFile::encodeName(QDir(outFolder).canonicalPath());
    int status = 0;
    while (!(run.sawWrite = writesInto(pid, folder)) && ::waitpid(pid, &status, WNOHANG) == 0) {
    }
    const Clock::time_point began = Clock::now();
    if (run.sawWrite && delay) {
        std::this_thread::sleep_until(began + *delay);
        run.killed = ::kill(pid, SIGKILL) == 0;
    }
    ::waitpid(pid, &status, 0);
    run.writeToExit = Clock::now() - began;
    run.killed = run.killed && WIFSIGNALED(status);
    return run;
}

TEST(KillDuringWrite, TheTargetIsTheOldOrTheNewFamilyAndNoPartFileIsLeft)
{
    constexpr unsigned kSeed = 20261206;
    constexpr int kKills = 50;
    SCOPED_TRACE("random seed " + std::to_string(kSeed));
    QTemporaryDir in;
    QTemporaryDir out;
    ASSERT_TRUE(in.isValid()) << in.errorString().toStdString();
    ASSERT_TRUE(out.isValid()) << out.errorString().toStdString();
    const QString target = out.filePath("family.tdf");
    // The old file is the family written by the same command, so both are
    // whole families; the new one is about 3 MB.
    put(in.filePath("old.tdf"), familyText(40, 0, kSeed));
    put(in.filePath("new.tdf"), familyText(100, 250, kSeed + 1));
    const QStringList import{"import", in.filePath("new.tdf"), "--out", target};
    ASSERT_EQ(runCli({"import", in.filePath("old.tdf"), "--out", target}).exitCode, 0);
    const QByteArray old = bytesOf(target);
    const ChildRun calibration = importAndKill(import, out.path(), std::nullopt);
    ASSERT_TRUE(calibration.sawWrite) << "the write was not seen; the file is too small to time";
    const QByteArray fresh = bytesOf(target);
    ASSERT_NE(fresh, old);
    ASSERT_GT(fresh.size(), 3'000'000);

    // Kill moments spread evenly from the write's start to a quarter past
    // its end, as timed above.
    std::mt19937 random(kSeed);
    std::uniform_int_distribution<long long> moment(0, calibration.writeToExit.count() * 5 / 4);
    int keptOld = 0;
    int killedNew = 0;
    for (int i = 0; i < kKills; ++i) {
        put(target, old);
        const Clock::duration delay(moment(random));
        const ChildRun run = importAndKill(import, out.path(), delay);
        const QByteArray now = bytesOf(target);
        ASSERT_TRUE(now == old || now == fresh)
            << "kill " << i << " after " << std::chrono::duration<double, std::micro>(delay).count()
            << " us left " << now.size() << " bytes (old " << old.size() << ", new " << fresh.size() << ")";
        keptOld += run.killed && now == old;
        killedNew += run.killed && now == fresh;
    }
    std::cout << "[          ] " << kKills << " kills over " << calibration.writeToExit.count() / 1000
              << " us: " << keptOld << " left the old family, " << killedNew << " the new one\n";
    EXPECT_GT(keptOld, 0) << "no kill fell inside the write";

    // A kill can only leave a file beside the target in the microseconds
    // between linking the finished temporary file under a name and renaming
    // it over the target; such a file is the whole new family.
    for (const QString& name : filesIn(out.path())) {
        if (name != "family.tdf") {
            EXPECT_EQ(bytesOf(out.filePath(name)), fresh) << "a part file was left: " << name.toStdString();
        }
    }
    EXPECT_LE(filesIn(out.path()).size(), 2) << filesIn(out.path()).join(' ').toStdString();
}

TEST(KillDuringWrite, AFullOrReadOnlyFileSystemKeepsTheOldFileAndIsNamed)
{
    QTemporaryDir in;
    QTemporaryDir out;
    ASSERT_TRUE(in.isValid()) << in.errorString().toStdString();
    ASSERT_TRUE(out.isValid()) << out.errorString().toStdString();
    put(in.filePath("family.tdf"), familyText(3, 0, 7));
    const QByteArray old("250 0.0031 -1 0 0\r\n\r\n");
    const QString target = out.filePath("family.tdf");
    for (const bool full : {true, false}) {
        SCOPED_TRACE(full ? "full" : "read-only");
        ScratchMount mount(out.path(), 64 * 1024);
        if (!mount.mounted())
            GTEST_SKIP() << "needs a tmpfs of its own (mounting needs root): " << mount.why();
        put(target, old);
        ASSERT_TRUE(full ? mount.fill() : mount.makeReadOnly());
        const QStringList before = filesIn(out.path());
        const CliRun run = runCli({"import", in.filePath("family.tdf"), "--out", target});
        EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("cannot write " + QFile::encodeName(target) + ": ")) << run.err.toStdString();
        EXPECT_EQ(bytesOf(target), old);
        EXPECT_EQ(filesIn(out.path()), before);
    }
}

}  // namespace
}  // namespace zov::testing
