// The serial path end to end: ModuleLink and CaptureSweep against the virtual
// module on a pseudo-terminal, with short waits and pacing off.
#include "qt_wait.h"
#include "core/text.h"
#include "measure/capture_sweep.h"
#include "core/curve_store.h"
#include "measure/measure_messages.h"
#include "measure/module_link.h"
#include "sim/virtual_module.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>

using namespace zov;

namespace {

constexpr int kWaitMs = 120;  // room for the module's answer on a busy machine, all in one thread
constexpr int kSpyTimeoutMs = 10000;
const QString kDialogFailed = QString::fromLatin1(messages::kDialogFailed);

std::unique_ptr<VirtualModule> startModule(const QString& fault = {}, bool pacing = false, int chunkBytes = 0)
{
    VirtualModuleOptions o;
    o.pacing = pacing, o.fault = fault, o.slowDelayMs = 150;
    if (chunkBytes > 0)
        o.chunkBytes = chunkBytes, o.chunkGapMs = 1;
    auto module = std::make_unique<VirtualModule>(o);
    return module->start() ? std::move(module) : nullptr;
}

std::vector<int> bytesOf(const VirtualModule& m)
{
    std::vector<int> out;
    for (const auto& b : m.received())
        out.push_back(b.value);
    return out;
}

struct Exchange {
    bool ok = false;
    QString message;  // of failed(), empty when not emitted
    protocol::SampleBlock ua{}, ia{};
    qint64 elapsedMs = 0;
};

Exchange runExchange(ModuleLink& link, int range, int grid, const QString& port = {}, int waitMs = kWaitMs)
{
    if (!port.isEmpty())
        link.setPortName(port);
    link.setWaitMs(waitMs);
    QSignalSpy finished(&link, &ModuleLink::finished);
    QSignalSpy failed(&link, &ModuleLink::failed);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(link.AcquireCurve(range, grid));
    if (!finished.wait(kSpyTimeoutMs))
        return {};
    const QVariantList args = finished.at(0);
    return {args.at(0).toBool(), failed.isEmpty() ? QString() : failed.at(0).at(0).toString(),
            args.at(1).value<protocol::SampleBlock>(), args.at(2).value<protocol::SampleBlock>(), clock.elapsed()};
}

struct SweepRun {
    bool completed = false;
    QString message;
    QStringList exchangeMessages;
    std::vector<float> stepVg1;
};

SweepRun runSweep(CaptureSweep& sweep, const SweepSettings& settings)
{
    SweepRun run;
    QSignalSpy finished(&sweep, &CaptureSweep::finished);
    QObject::connect(&sweep, &CaptureSweep::exchangeFailed, &sweep, [&](const QString& m) { run.exchangeMessages << m; });
    QObject::connect(&sweep, &CaptureSweep::stepStarted, &sweep, [&](int, int, float vg1) { run.stepVg1.push_back(vg1); });
    sweep.setWaitMs(kWaitMs);
    EXPECT_TRUE(sweep.start(settings));
    EXPECT_TRUE(finished.wait(kSpyTimeoutMs * 3));
    sweep.disconnect(&sweep);
    if (!finished.isEmpty()) {
        run.completed = finished.at(0).at(0).toBool();
        run.message = finished.at(0).at(1).toString();
    }
    return run;
}

long lineCount(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

std::string_view field(const std::string& text, int line, int n) { return GetField(GetField(text, line, "\r\n"), n, " "); }

class CaptureSweepTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(module); }
    SweepRun run(const char* start, const char* stop, const char* pitch, int range = 4)
    {
        return runSweep(sweep, {start, stop, pitch, range, module->devicePath()});
    }
    std::unique_ptr<VirtualModule> module = startModule();
    Workspace ws;
    CaptureSweep sweep{ws};
};

}  // namespace

TEST(ModuleLink, ExactBytesOrderAndWaits)
{
    auto module = startModule();
    ASSERT_TRUE(module);
    ModuleLink link;
    const Exchange ex = runExchange(link, 32, 155, module->devicePath());  // "32mA Max" at -2.5 V
    ASSERT_TRUE(ex.ok);
    ASSERT_TRUE(ex.message.isEmpty());
    ZOV_WAIT(module->exchangesServed() == 1, kSpyTimeoutMs);
    EXPECT_EQ(bytesOf(*module), (std::vector<int>{0x65, 0x20, 0x9B, 0x69}));
    // Each answer was complete within a few ms, yet each byte waits its full
    // wait; half is allowed for a busy machine (the link's own clock below is exact).
    const auto rx = module->received();
    constexpr qint64 kWaitNs = kWaitMs * 1000000LL;
    EXPECT_GE(rx[1].atNs - rx[0].atNs, kWaitNs / 2);
    EXPECT_LT(rx[2].atNs - rx[1].atNs, kWaitNs / 2);
    EXPECT_GE(rx[3].atNs - rx[2].atNs, kWaitNs / 2);
    EXPECT_FALSE(link.isPortOpen());
    EXPECT_NEAR(ex.ua[63], 470.0F, 0.5F);
    EXPECT_EQ(ex.ia[63], *protocol::ampsFromCount(module->currentCounts(32, 155)[63], 32));
    int ticks = 0;  // the event loop keeps running during the waits
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);
    for (int waitMs : {20, 97, 150}) {
        ticks = 0;
        const Exchange ex = runExchange(link, 4, 150, module->devicePath(), waitMs);
        // A short wait may end before the answer on a busy machine; the read then fails after a full wait.
        EXPECT_GE(ex.elapsedMs, (ex.ok ? 2 : 1) * waitMs) << waitMs;
        if (waitMs == 150) {
            EXPECT_TRUE(ex.ok);
            EXPECT_GT(ticks, 5);  // about 60 ticks on an idle machine
        }
    }
    EXPECT_EQ(ModuleLink().waitMs(), 1000);
    QSignalSpy finished(&link, &ModuleLink::finished);  // a busy link refuses a second exchange
    ASSERT_TRUE(link.AcquireCurve(4, 150));
    EXPECT_FALSE(link.AcquireCurve(4, 150));
    ASSERT_TRUE(finished.wait(kSpyTimeoutMs));
    EXPECT_EQ(finished.size(), 1);
}

TEST(ModuleLink, EveryFaultFailsClosesAndRecovers)
{
    ModuleLink idle;  // no port selected: fails without a message
    Exchange ex = runExchange(idle, 4, 150);
    EXPECT_FALSE(ex.ok || !ex.message.isEmpty() || idle.isPortOpen());
    ex = runExchange(idle, 4, 150, "/dev/zov-no-such-port");
    EXPECT_FALSE(ex.ok);
    EXPECT_EQ(ex.message, kDialogFailed);
    EXPECT_FALSE(idle.isBusy());
    for (const QString& fault : VirtualModule::faultNames()) {
        SCOPED_TRACE(fault.toStdString());
        auto module = startModule(fault);
        ASSERT_TRUE(module);
        ModuleLink link;
        ex = runExchange(link, 4, 160, module->devicePath());
        EXPECT_FALSE(ex.ok);
        EXPECT_EQ(ex.message, kDialogFailed);
        EXPECT_FALSE(link.isPortOpen() || link.isBusy());
        EXPECT_TRUE(fault != "hangup" || ex.elapsedMs < 5000);  // fails at once, without waiting for the timer
        EXPECT_TRUE(fault != "short-block"  // 100 bytes = 50 samples kept
                    || ex.ia[49] == *protocol::ampsFromCount(module->currentCounts(4, 160)[49], 4));
        // Healthy again (on its new device after a hang-up), it serves the next exchange.
        if (fault == "slow")
            QTest::qWait(300);  // let the late block arrive on the idle line
        module->setFault({});
        const Exchange next = runExchange(link, 4, 160, module->devicePath());
        EXPECT_TRUE(next.ok);
        EXPECT_EQ(next.ua[63], protocol::voltsFromCount(module->voltageCounts()[63]));
    }
}

// The module measures during the waits, so a wait that ends even 1 ms early
// cuts its sweep short. Timed on the link's own clock (the one it decides
// by), each wait lasts at least its length; a busy machine only makes it
// longer. Odd lengths, early and late answers, short waits the answer
// cannot meet.
TEST(ModuleLink, EveryWaitLastsAtLeastItsLength)
{
    struct Case {
        const char* fault;
        int waitMs;
    } cases[] = {{"", 1}, {"", 7}, {"", 37}, {"", 120}, {"", 251}, {"slow", 97}, {"slow", 180}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fault) + " " + std::to_string(c.waitMs) + " ms");
        auto module = startModule(c.fault);  // the "slow" answer comes 150 ms late
        ASSERT_TRUE(module);
        ModuleLink link;
        std::vector<qint64> waitsNs;
        QObject::connect(&link, &ModuleLink::waitEnded, [&](qint64 ns) { waitsNs.push_back(ns); });
        for (int exchange = 0; exchange < 3; ++exchange) {
            waitsNs.clear();
            const Exchange ex = runExchange(link, 4, 150, module->devicePath(), c.waitMs);
            // Both waits of a good exchange; a wait the answer missed ends it.
            ASSERT_TRUE(ex.ok ? waitsNs.size() == 2 : waitsNs.size() >= 1) << waitsNs.size();
            for (qint64 ns : waitsNs)
                EXPECT_GE(ns, c.waitMs * 1000000LL);
            EXPECT_GE(ex.elapsedMs, qint64(waitsNs.size()) * c.waitMs);
            if (!ex.ok)
                QTest::qWait(200);  // the late block arrives on the idle line before the next exchange
        }
    }
}

// Pulling the device out while the port is open (the module closes its end
// of the pty) ends the exchange at once with the message: the link neither
// waits out its timer nor keeps reading a dead device, which raises a
// read-ready event without end until the port is closed.
TEST(ModuleLink, ARemovedDeviceEndsTheExchangeOnceWithoutAStorm)
{
    auto module = startModule("hangup");
    ASSERT_TRUE(module);
    const QString device = module->devicePath();
    // Every socket-notifier event of the process: the port's and the module's.
    struct SocketEvents : QObject {
        std::atomic<int> count{0};
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::SockAct)
                ++count;
            return false;
        }
    } events;
    qApp->installEventFilter(&events);
    ModuleLink link;
    QSignalSpy finished(&link, &ModuleLink::finished);
    QSignalSpy waits(&link, &ModuleLink::waitEnded);
    QSignalSpy reopened(module.get(), &VirtualModule::devicePathChanged);
    constexpr int kLongWaitMs = 4000;
    const Exchange ex = runExchange(link, 4, 150, device, kLongWaitMs);
    EXPECT_FALSE(ex.ok);
    EXPECT_EQ(ex.message, kDialogFailed);
    EXPECT_LT(ex.elapsedMs, kLongWaitMs);  // ended by the hang-up, not by the wait
    EXPECT_TRUE(waits.isEmpty());
    EXPECT_FALSE(link.isPortOpen() || link.isBusy());
    QTest::qWait(300);
    qApp->removeEventFilter(&events);
    EXPECT_EQ(finished.size(), 1);
    // The device was really closed: the module hung up and came back on a new
    // pty. (Its path is not compared: the system may hand the freed number
    // to the next pty at once, the module's own or a parallel test's.)
    EXPECT_GE(reopened.size(), 1);
    // A few events carry the bytes of the exchange and the hang-up itself; a
    // port left open on the dead device would count thousands in this time.
    EXPECT_LT(events.count, 50);
    module->setFault({});
    // A full wait: room for a busy machine.
    EXPECT_TRUE(runExchange(link, 4, 150, module->devicePath(), ModuleLink::kDefaultWaitMs).ok);
}

TEST(ModuleLink, BlocksSplitAtEveryByteAndPaced)
{
    auto split = startModule({}, false, 1);
    ASSERT_TRUE(split);
    ModuleLink link;
    // 128 single bytes with 1 ms gaps, with room for a busy machine.
    Exchange ex = runExchange(link, 32, 170, split->devicePath(), 1500);
    ASSERT_TRUE(ex.ok);
    const auto amps = split->currentCounts(32, 170);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(ex.ia[i], *protocol::ampsFromCount(amps[i], 32));

    auto paced = startModule({}, true);
    ASSERT_TRUE(paced);
    ex = runExchange(link, 4, 150, paced->devicePath(), 300);  // 128 bytes need ~533 ms at 2400 baud
    EXPECT_FALSE(ex.ok);
    EXPECT_EQ(ex.message, kDialogFailed);
    // The module is still sending the block the link gave up on; the next
    // exchange starts once the line is idle, as the user's next GO would.
    QTest::qWait(400);
    EXPECT_TRUE(runExchange(link, 4, 150, {}, ModuleLink::kDefaultWaitMs).ok);
}

TEST(VirtualModule, RangeGridSaturationAndNoise)
{
    auto module = startModule();
    ASSERT_TRUE(module);
    const auto volts = module->voltageCounts();
    EXPECT_EQ(volts[63], 1000);  // 470 V / 0.47 V
    EXPECT_TRUE(std::is_sorted(volts.begin(), volts.end()));
    EXPECT_EQ(volts[0], 0);
    // The 256 mA range gives an eighth of the counts of the 32 mA range.
    EXPECT_NEAR(module->currentCounts(4, 150)[40], module->currentCounts(32, 150)[40] / 8.0, 1.0);
    EXPECT_LT(module->currentCounts(32, 154)[63], module->currentCounts(32, 150)[63]);  // more negative grid

    VirtualModuleOptions o;
    o.tube = "300B";  // far more than the 32 mA range holds at 0 V and 470 V
    VirtualModule big(o);
    ASSERT_TRUE(big.start());
    EXPECT_EQ(big.currentCounts(32, 150)[63], VirtualModule::kFullScaleCounts);
    o.noiseSeed = 7;
    VirtualModule a(o), b(o);
    ASSERT_TRUE(a.start());
    ASSERT_TRUE(b.start());
    EXPECT_EQ(a.currentCounts(32, 152), b.currentCounts(32, 152));  // seeded noise repeats
}

TEST_F(CaptureSweepTest, FiveCurvesWithTheirGridCodes)
{
    int vg2 = 250;
    sweep.setVg2Source([&] { return std::to_string(vg2++); });  // edited during the sweep
    bool busyWhileRunning = false;
    QObject::connect(&sweep, &CaptureSweep::curveAppended, [&] { busyWhileRunning = sweep.isRunning(); });
    const SweepRun r = run("0", "10", "2.5", 32);
    EXPECT_TRUE(r.completed);
    EXPECT_TRUE(r.message.isEmpty());
    EXPECT_TRUE(busyWhileRunning);
    EXPECT_FALSE(sweep.isRunning());
    EXPECT_EQ(r.stepVg1, (std::vector<float>{0.0F, -2.5F, -5.0F, -7.5F, -10.0F}));

    ZOV_WAIT(module->exchangesServed() == 5, kSpyTimeoutMs);
    std::vector<int> expected;  // e, range, grid code, i per curve
    for (int k = 0; k < 5; ++k)
        expected.insert(expected.end(), {0x65, 32, 150 + 5 * k, 0x69});
    EXPECT_EQ(bytesOf(*module), expected);

    ASSERT_EQ(lineCount(ws.CurveText), 320);
    const char* grids[] = {"0", "-2.5", "-5", "-7.5", "-10"};
    for (int line = 1; line <= 320; ++line) {
        const int k = (line - 1) / 64;
        EXPECT_EQ(field(ws.CurveText, line, 3), grids[k]);
        EXPECT_EQ(field(ws.CurveText, line, 4), "0");
        EXPECT_EQ(field(ws.CurveText, line, 5), std::to_string(250 + k));  // re-read per step
    }
    EXPECT_EQ(formatGeneral(ws.UaSamples[63]), field(ws.CurveText, 320, 1));
}

TEST_F(CaptureSweepTest, PitchZeroGivesOneCurve)
{
    const SweepRun r = run("-3", "20", "0");
    EXPECT_TRUE(r.completed);
    EXPECT_EQ(r.stepVg1.size(), 1u);
    EXPECT_EQ(lineCount(ws.CurveText), 64);
    EXPECT_EQ(field(ws.CurveText, 1, 3), "-3");
    ZOV_WAIT(module->exchangesServed() == 1, kSpyTimeoutMs);
    EXPECT_EQ(bytesOf(*module), (std::vector<int>{0x65, 4, 156, 0x69}));
}

TEST_F(CaptureSweepTest, RefusedSettingsStartNothing)
{
    ws.CurveText = "kept\r\n";
    QSignalSpy any(&sweep, &CaptureSweep::stepStarted);
    for (const SweepSettings& s : {SweepSettings{"0", "10", "0.25", 4, "/dev/null"}, {"-12", "10", "0", 4, "/dev/null"}}) {
        EXPECT_FALSE(sweep.start(s)) << s.vg1StartText << " " << s.pitchText;
        EXPECT_FALSE(sweep.isRunning()) << s.vg1StartText << " " << s.pitchText;
    }
    QTest::qWait(50);
    EXPECT_TRUE(any.isEmpty());
    EXPECT_EQ(ws.CurveText, "kept\r\n");
}

TEST_F(CaptureSweepTest, StopOrFailureKeepsTheCurvesMeasured)
{
    auto hook = QObject::connect(&sweep, &CaptureSweep::stepStarted, [&](int step) {
        if (step == 2)
            sweep.requestStop();
    });
    SweepRun r = run("0", "10", "1");
    EXPECT_FALSE(r.completed);
    EXPECT_TRUE(r.message.isEmpty());
    EXPECT_EQ(r.stepVg1.size(), 2u);
    EXPECT_EQ(lineCount(ws.CurveText), 128);
    EXPECT_FALSE(sweep.isRunning());
    QObject::disconnect(hook);

    // A new sweep starts at once; "Save as ..." emptying the text between
    // steps does not stop later curves from arriving.
    hook = QObject::connect(&sweep, &CaptureSweep::curveAppended, [&](int step) {
        if (step == 1)
            ws.CurveText.clear();
    });
    EXPECT_TRUE(run("0", "1", "0.5").completed);
    EXPECT_EQ(lineCount(ws.CurveText), 128);
    EXPECT_EQ(field(ws.CurveText, 1, 3), "-0.5");
    QObject::disconnect(hook);

    // The second step fails: the first curve stays, exactly 64 lines.
    ws.CurveText.clear();
    QObject::connect(&sweep, &CaptureSweep::curveAppended, [&](int) { module->setFault("silent"); });
    bool idleWhenFinished = false;
    QObject::connect(&sweep, &CaptureSweep::finished, [&] { idleWhenFinished = !sweep.isRunning(); });
    r = run("1", "5", "1");
    EXPECT_FALSE(r.completed);
    EXPECT_EQ(r.message, QString::fromLatin1(messages::kCantConnect));
    EXPECT_EQ(r.exchangeMessages, QStringList{kDialogFailed});
    EXPECT_EQ(r.stepVg1.size(), 2u);
    EXPECT_EQ(lineCount(ws.CurveText), 64);
    EXPECT_TRUE(idleWhenFinished);
    EXPECT_FALSE(sweep.isRunning());
}
