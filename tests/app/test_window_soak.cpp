// The soak run: many consecutive sweeps of nine steps started with "GO" on
// the virtual module, in one process. Whatever a sweep opens it closes, what
// it allocates settles after the first sweeps, and every family is complete.
// ZOV_SOAK_SWEEPS sets the number of sweeps (at least 11: memory is taken as
// settled after the tenth); 500 without it.

#include "window_fixture.h"

#include <QElapsedTimer>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace zov::gui::testing {
namespace {

constexpr int kDefaultSweeps = 500;
constexpr int kSettledAfter = 10;  // sweeps before memory is taken as settled
constexpr int kSteps = 9;          // 0 to -8 V
// Each of the two waits of an exchange, shortened from the module's 1000 ms.
// The answer crosses the pty twice, through the kernel's workers: on a
// machine with a load of 10 on 2 cores that took 5 ms at the median and 20 ms
// at worst, so a 20 ms wait fails a few exchanges in a hundred.
constexpr int kWaitMs = 75;
// Resident memory may move by a few pages (allocator, caches) after the
// first sweeps, but not by a leak of a curve family per sweep (about 40 kB
// of text and drawing each).
constexpr long kRssGrowthBoundKb = 2048;

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::System | QDir::NoDotAndDotDot).size());
}

long residentKb()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

int sweepCount()
{
    const char* text = std::getenv("ZOV_SOAK_SWEEPS");
    const int n = text ? std::atoi(text) : 0;
    return n > 0 ? n : kDefaultSweeps;
}

// Every step's 64 lines, at its own grid voltage, in order.
bool familyComplete(const std::string& text)
{
    if (std::count(text.begin(), text.end(), '\n') != 64 * kSteps)
        return false;
    size_t line = 0;
    for (int step = 0; step < kSteps; ++step) {
        const std::string ending = " " + std::to_string(-step) + " 0 0\r\n";
        for (int i = 0; i < 64; ++i) {
            const size_t end = text.find("\r\n", line) + 2;
            if (text.compare(end - ending.size(), ending.size(), ending) != 0)
                return false;
            line = end;
        }
    }
    return true;
}

using SoakTest = WindowTest;

TEST_F(SoakTest, ManySweepsLeakNoDescriptorsNorMemory)
{
    const int sweeps = std::max(sweepCount(), kSettledAfter + 1);
    window->setCaptureWaitMs(kWaitMs);
    setSweep("0", "8", "1");
    const int fdsBefore = openDescriptors();
    int fdsFirst = 0;  // the first sweep opens a few descriptors that stay (the event loop's wake-ups)
    long rssSettledKb = 0;
    QElapsedTimer clock;
    clock.start();
    for (int sweep = 1; sweep <= sweeps; ++sweep) {
        control<QPushButton>("BtSet")->click();
        ZOV_WAIT(idle(), 30000) << "sweep " << sweep;
        ASSERT_EQ(messageTexts(), QStringList()) << "sweep " << sweep;
        ASSERT_TRUE(familyComplete(window->workspace().CurveText)) << "sweep " << sweep << ", " << curveLines() << " lines";
        if (sweep == 1)
            fdsFirst = openDescriptors();
        if (sweep == kSettledAfter)
            rssSettledKb = residentKb();
    }
    const qint64 elapsedMs = clock.elapsed();
    const int fdsAfter = openDescriptors();
    const long rssAfterKb = residentKb();
    std::printf("soak: %d sweeps of %d steps in %.1f s; open descriptors %d before, %d after sweep 1, %d after;"
                " resident %ld kB after sweep %d, %ld kB after sweep %d\n",
                sweeps, kSteps, elapsedMs / 1000.0, fdsBefore, fdsFirst, fdsAfter, rssSettledKb, kSettledAfter,
                rssAfterKb, sweeps);
    ZOV_WAIT(module->exchangesServed() == sweeps * kSteps, 5000) << module->exchangesServed();
    EXPECT_LE(fdsAfter, fdsFirst);
    EXPECT_LE(rssAfterKb - rssSettledKb, kRssGrowthBoundKb);
}

}  // namespace
}  // namespace zov::gui::testing
