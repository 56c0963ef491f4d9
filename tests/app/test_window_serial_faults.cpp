// Serial faults through the window: each fault of the virtual module at the
// first and at a later step of a sweep started with "GO", and the device
// pulled out while the port is open. The window must show its two messages,
// close the port, give GO back, keep the curves measured so far (and write
// them), stay responsive, and measure again once the module is healthy.

#include "window_fixture.h"

#include "files/tdf_file.h"
#include "measure/measure_messages.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>

namespace zov::gui::testing {
namespace {

// Long enough that a wait blocking the event loop would show as a gap of
// the ticker; short enough for ten sweeps.
constexpr int kWaitMs = 250;
// A tick every 10 ms; a gap of this much means the event loop stood still.
constexpr int kMaxTickGapMs = 200;
constexpr int kSweepTimeoutMs = 30000;

// The process's descriptors open on `device`.
int descriptorsOn(const QString& device)
{
    int count = 0;
    for (const QFileInfo& fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System | QDir::NoDotAndDotDot))
        count += fd.symLinkTarget() == device;
    return count;
}

// Counts the event loop's turns through a 10 ms timer and keeps the longest
// pause between two of them.
struct Ticker {
    Ticker()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            maxGapMs = std::max(maxGapMs, clock.restart());
            ++ticks;
        });
        clock.start();
        timer.start(10);
    }
    QTimer timer;
    QElapsedTimer clock;
    qint64 maxGapMs = 0;
    int ticks = 0;
};

struct FaultCase {
    const char* fault;
    int step;  // the step (from 1) whose exchange fails
};

std::ostream& operator<<(std::ostream& out, const FaultCase& c) { return out << c.fault << " at step " << c.step; }

class SerialFaultTest : public WindowTest, public ::testing::WithParamInterface<FaultCase> {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        window->setFileChooser([this](const QString&, const QString&, const QString&, const QString&) { return saveAs; });
    }

    // A module that serves `healthy` exchanges and then shows `fault`; after
    // a hang-up it comes back on a new device, which the window is told of.
    void startFaultyModule(const QString& fault, int healthy)
    {
        module.reset();
        VirtualModuleOptions options;
        options.pacing = false;
        options.fault = fault;
        options.healthyExchanges = healthy;
        options.slowDelayMs = 2 * kWaitMs;  // late for its wait, early for the next sweep's
        module = std::make_unique<VirtualModule>(options);
        QString error;
        ASSERT_TRUE(module->start(&error)) << error.toStdString();
        QObject::connect(module.get(), &VirtualModule::devicePathChanged, window.get(), &Base::setVirtualModulePath);
        window->setVirtualModulePath(module->devicePath());
        window->setCaptureWaitMs(kWaitMs);
    }

    QTemporaryDir folder;
    QString saveAs = folder.filePath(QStringLiteral("kept.tdf"));
};

const QStringList kBothMessages{QString::fromLatin1(messages::kDialogFailed), QString::fromLatin1(messages::kCantConnect)};

TEST_P(SerialFaultTest, TheSweepEndsWithBothMessagesKeepingTheCurvesMeasured)
{
    const FaultCase c = GetParam();
    startFaultyModule(QString::fromLatin1(c.fault), c.step - 1);
    const int kept = c.step - 1;
    {
        Ticker ticker;
        capture("0", "4", "1");  // five steps at 0, -1 .. -4 V
        EXPECT_LE(ticker.maxGapMs, kMaxTickGapMs) << "the window stood still during the sweep";
    }
    EXPECT_EQ(messageTexts(), kBothMessages);
    EXPECT_TRUE(enabled("BtSet"));
    EXPECT_EQ(descriptorsOn(module->devicePath()), 1) << "the module's own end only: the port is closed";
    EXPECT_EQ(curveLines(), 64 * kept);
    if (const QByteArray target = qgetenv("ZOV_SCREENSHOT_DIR"); !target.isEmpty())
        window->grab().save(QString::fromLocal8Bit(target) + "/serial-" + c.fault + "-step" + QString::number(c.step) + ".png");

    if (kept > 0) {
        ASSERT_TRUE(enabled("BtExport")) << "the curves measured before the fault can be saved";
        const std::string measured = window->workspace().CurveText;
        control<QPushButton>("BtExport")->click();
        QFile written(saveAs);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_EQ(written.readAll().toStdString(), measured + "\r\n") << "written byte for byte";
        CurveSet set;
        set.FileName = saveAs;
        ASSERT_TRUE(ReadCurveSet(set));
        ASSERT_EQ(set.Series.size(), size_t(kept));
        for (int k = 0; k < kept; ++k) {
            EXPECT_EQ(set.Series[k].Vg1, -float(k)) << k;
            EXPECT_EQ(set.Series[k].Points.size(), 64u + (k > 0)) << k;  // the reader adds (0, 0) to later curves
        }
    }

    messages.clear();
    module->setFault({});
    capture("0", "1", "1");
    EXPECT_EQ(curveLines(), 128) << "a healthy module measures the next sweep";
    EXPECT_EQ(messageTexts(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(EveryFaultEarlyAndLate, SerialFaultTest,
                         ::testing::Values(FaultCase{"silent", 1}, FaultCase{"silent", 3},
                                           FaultCase{"short-block", 1}, FaultCase{"short-block", 3},
                                           FaultCase{"bad-byte", 1}, FaultCase{"bad-byte", 3},
                                           FaultCase{"slow", 1}, FaultCase{"slow", 3},
                                           FaultCase{"hangup", 1}, FaultCase{"hangup", 3}),
                         [](const auto& info) {
                             std::string name = std::string(info.param.fault) + "_step" + std::to_string(info.param.step);
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// The device disappears while the port is open (the module closes its end of
// the pty in the middle of a wait): the exchange ends at once with the
// messages, without a storm of read events, and the window measures again
// once the device is back.
TEST_F(SerialFaultTest, ADeviceRemovedDuringAWindowSweepEndsItOnce)
{
    struct SocketEvents : QObject {
        int count = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            count += e->type() == QEvent::SockAct;
            return false;
        }
    } events;
    constexpr int kLongWaitMs = 2000;
    window->setCaptureWaitMs(kLongWaitMs);
    const QString device = module->devicePath();
    setSweep("0", "4", "1");
    control<QPushButton>("BtSet")->click();
    ZOV_WAIT(curveLines() == 64, kSweepTimeoutMs);  // the second exchange has begun
    qApp->installEventFilter(&events);
    QElapsedTimer clock;
    clock.start();
    module->stop();
    ZOV_WAIT(idle(), kSweepTimeoutMs);
    EXPECT_LT(clock.elapsed(), kLongWaitMs) << "ended by the removal, not by the wait";
    QTest::qWait(300);
    qApp->removeEventFilter(&events);
    EXPECT_LT(events.count, 50) << "a port left open on a dead device reads without end";
    EXPECT_EQ(messageTexts(), kBothMessages);
    EXPECT_EQ(descriptorsOn(device), 0);
    EXPECT_EQ(curveLines(), 64);

    messages.clear();
    ASSERT_TRUE(module->start());
    window->setVirtualModulePath(module->devicePath());
    window->setCaptureWaitMs(kWaitMs);
    capture("0", "1", "1");
    EXPECT_EQ(curveLines(), 128);
    EXPECT_EQ(messageTexts(), QStringList());
}

}  // namespace
}  // namespace zov::gui::testing
