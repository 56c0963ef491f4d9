// The serial path end to end: ModuleLink and CaptureSweep against the virtual
// module on a pseudo-terminal, with short waits and pacing off.
#include "files/text.h"
#include "measure/capture_sweep.h"
#include "measure/curve_store.h"
#include "measure/measure_messages.h"
#include "measure/module_link.h"
#include "measure/virtual_module.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace zov;

namespace {

// Long enough for the module's answer on a busy machine (everything here runs
// in one thread), short enough for a quick test.
constexpr int kWaitMs = 120;
constexpr int kSpyTimeoutMs = 10000;

VirtualModuleOptions fastOptions(const QString& fault = {})
{
    VirtualModuleOptions o;
    o.pacing = false;
    o.fault = fault;
    o.slowDelayMs = 150;
    return o;
}

std::unique_ptr<VirtualModule> startModule(const VirtualModuleOptions& options)
{
    auto module = std::make_unique<VirtualModule>(options);
    QString error;
    if (!module->start(&error))
        return nullptr;
    return module;
}

std::vector<int> bytesOf(const VirtualModule& m)
{
    std::vector<int> out;
    for (const auto& b : m.received())
        out.push_back(b.value);
    return out;
}

// Runs one exchange and waits for its result.
struct Exchange {
    bool ok = false;
    bool messaged = false;
    QString message;
    protocol::SampleBlock ua{}, ia{};
    qint64 elapsedMs = 0;
};

Exchange runExchange(ModuleLink& link, int range, int grid)
{
    Exchange ex;
    QSignalSpy finished(&link, &ModuleLink::finished);
    QSignalSpy failed(&link, &ModuleLink::failed);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(link.AcquireCurve(range, grid));
    EXPECT_TRUE(finished.wait(kSpyTimeoutMs));
    ex.elapsedMs = clock.elapsed();
    if (finished.isEmpty())
        return ex;
    ex.ok = finished.at(0).at(0).toBool();
    ex.ua = finished.at(0).at(1).value<protocol::SampleBlock>();
    ex.ia = finished.at(0).at(2).value<protocol::SampleBlock>();
    ex.messaged = !failed.isEmpty();
    if (ex.messaged)
        ex.message = failed.at(0).at(0).toString();
    return ex;
}

}  // namespace

TEST(ModuleLink, ExactBytesAndTheirOrder)
{
    auto module = startModule(fastOptions());
    ASSERT_TRUE(module);
    ModuleLink link;
    link.setWaitMs(kWaitMs);
    link.setPortName(module->devicePath());
    // "32mA Max" at -2.5 V.
    const Exchange ex = runExchange(link, 32, 155);
    ASSERT_TRUE(ex.ok);
    EXPECT_FALSE(ex.messaged);
    QTRY_COMPARE(module->exchangesServed(), 1);
    EXPECT_EQ(bytesOf(*module), (std::vector<int>{0x65, 0x20, 0x9B, 0x69}));
    const auto rx = module->received();
    // The parameter bytes follow the wait after 'e', the 'i' the wait after
    // them, although each answer was complete within a few ms. The module sees
    // each byte through an event-loop turn that a busy machine can delay by
    // tens of ms, so half a wait is allowed here; the exact lower bound is
    // checked on the link's own clock in WaitsNeverEndEarly.
    constexpr qint64 kSlackNs = kWaitMs * 1000000LL / 2;
    EXPECT_GE(rx[1].atNs - rx[0].atNs, kWaitMs * 1000000LL - kSlackNs);
    EXPECT_LT(rx[2].atNs - rx[1].atNs, kWaitMs * 1000000LL / 2);
    EXPECT_GE(rx[3].atNs - rx[2].atNs, kWaitMs * 1000000LL - kSlackNs);
    EXPECT_FALSE(link.isPortOpen());

    // The samples are the module's counts, scaled.
    const auto volts = module->voltageCounts();
    const auto amps = module->currentCounts(32, 155);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(ex.ua[i], protocol::voltsFromCount(volts[i]));
        EXPECT_EQ(ex.ia[i], *protocol::ampsFromCount(amps[i], 32));
    }
    EXPECT_NEAR(ex.ua[63], 470.0F, 0.5F);
    EXPECT_GT(ex.ia[63], 0.0F);
}

TEST(ModuleLink, WaitsNeverEndEarly)
{
    auto module = startModule(fastOptions());
    ASSERT_TRUE(module);
    ModuleLink link;
    link.setPortName(module->devicePath());
    // The event loop keeps running during the waits.
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);
    for (int waitMs : {20, 97, 150}) {
        link.setWaitMs(waitMs);
        ticks = 0;
        const Exchange ex = runExchange(link, 4, 150);
        // A short wait may end before the answer on a busy machine; the
        // exchange then fails at a read, which still comes after a full wait.
        EXPECT_GE(ex.elapsedMs, (ex.ok ? 2 : 1) * waitMs) << waitMs;
        if (waitMs == 150) {
            EXPECT_TRUE(ex.ok);
            EXPECT_GT(ticks, 5);  // about 60 on an idle machine
        }
    }
    EXPECT_EQ(ModuleLink().waitMs(), 1000);
}

TEST(ModuleLink, NoPortSelectedFailsQuietly)
{
    ModuleLink link;
    link.setWaitMs(kWaitMs);
    const Exchange ex = runExchange(link, 4, 150);
    EXPECT_FALSE(ex.ok);
    EXPECT_FALSE(ex.messaged);
    EXPECT_FALSE(link.isPortOpen());
}

TEST(ModuleLink, MissingPortFailsWithMessage)
{
    ModuleLink link;
    link.setWaitMs(kWaitMs);
    link.setPortName("/dev/zov-no-such-port");
    const Exchange ex = runExchange(link, 4, 150);
    EXPECT_FALSE(ex.ok);
    EXPECT_EQ(ex.message, QString::fromLatin1(messages::kDialogFailed));
    EXPECT_FALSE(link.isBusy());
}

TEST(ModuleLink, BusyLinkRefusesSecondExchange)
{
    auto module = startModule(fastOptions());
    ASSERT_TRUE(module);
    ModuleLink link;
    link.setWaitMs(kWaitMs);
    link.setPortName(module->devicePath());
    QSignalSpy finished(&link, &ModuleLink::finished);
    ASSERT_TRUE(link.AcquireCurve(4, 150));
    EXPECT_FALSE(link.AcquireCurve(4, 150));
    ASSERT_TRUE(finished.wait(kSpyTimeoutMs));
    EXPECT_EQ(finished.size(), 1);
}

TEST(ModuleLink, EveryFaultFailsClosesAndRecovers)
{
    for (const QString& fault : VirtualModule::faultNames()) {
        SCOPED_TRACE(fault.toStdString());
        auto module = startModule(fastOptions(fault));
        ASSERT_TRUE(module);
        ModuleLink link;
        link.setWaitMs(kWaitMs);
        link.setPortName(module->devicePath());
        const Exchange ex = runExchange(link, 4, 160);
        EXPECT_FALSE(ex.ok);
        EXPECT_EQ(ex.message, QString::fromLatin1(messages::kDialogFailed));
        EXPECT_FALSE(link.isPortOpen());
        EXPECT_FALSE(link.isBusy());
        // A hang-up fails at once, without waiting for the timer.
        if (fault == QLatin1String("hangup")) {
            EXPECT_LT(ex.elapsedMs, 5000);
        }

        // The same module, healthy again (after a hang-up on its new device),
        // serves the next exchange; late bytes of the broken one are not read.
        if (fault == QLatin1String("slow"))
            QTest::qWait(300);  // let the late block arrive on the idle line
        module->setFault({});
        link.setPortName(module->devicePath());
        const Exchange next = runExchange(link, 4, 160);
        EXPECT_TRUE(next.ok);
        EXPECT_EQ(next.ua[63], protocol::voltsFromCount(module->voltageCounts()[63]));
    }
}

TEST(ModuleLink, ShortBlockKeepsSamplesBeforeTheGap)
{
    auto module = startModule(fastOptions("short-block"));
    ASSERT_TRUE(module);
    ModuleLink link;
    link.setWaitMs(kWaitMs);
    link.setPortName(module->devicePath());
    const Exchange ex = runExchange(link, 4, 150);
    EXPECT_FALSE(ex.ok);
    const auto amps = module->currentCounts(4, 150);
    EXPECT_EQ(ex.ia[49], *protocol::ampsFromCount(amps[49], 4));  // 100 bytes = 50 samples
}

TEST(ModuleLink, BlocksSplitAtEveryByte)
{
    VirtualModuleOptions options = fastOptions();
    options.chunkBytes = 1;
    options.chunkGapMs = 1;
    auto module = startModule(options);
    ASSERT_TRUE(module);
    ModuleLink link;
    link.setWaitMs(1500);  // 128 single bytes with 1 ms gaps, with room for a busy machine
    link.setPortName(module->devicePath());
    const Exchange ex = runExchange(link, 32, 170);
    ASSERT_TRUE(ex.ok);
    const auto amps = module->currentCounts(32, 170);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(ex.ia[i], *protocol::ampsFromCount(amps[i], 32));
}

TEST(VirtualModule, RangeGridAndSaturation)
{
    VirtualModule module(fastOptions());
    ASSERT_TRUE(module.start());
    const auto volts = module.voltageCounts();
    EXPECT_EQ(volts[0], 0);
    EXPECT_EQ(volts[63], 1000);  // 470 V / 0.47 V
    for (int i = 1; i < 64; ++i)
        EXPECT_GT(volts[i], volts[i - 1]);
    // The 256 mA range gives an eighth of the counts of the 32 mA range.
    const auto fine = module.currentCounts(32, 150);
    const auto coarse = module.currentCounts(4, 150);
    EXPECT_NEAR(coarse[40], fine[40] / 8.0, 1.0);
    // A 300B at 0 V and 470 V draws far more than the 32 mA range holds.
    VirtualModuleOptions power = fastOptions();
    power.tube = "300B";
    VirtualModule big(power);
    ASSERT_TRUE(big.start());
    EXPECT_EQ(big.currentCounts(32, 150)[63], VirtualModule::kFullScaleCounts);
    // More negative grid, less current.
    EXPECT_LT(module.currentCounts(32, 154)[63], module.currentCounts(32, 150)[63]);

    VirtualModuleOptions noisy = fastOptions();
    noisy.noiseSeed = 7;
    VirtualModule a(noisy), b(noisy);
    ASSERT_TRUE(a.start());
    ASSERT_TRUE(b.start());
    EXPECT_EQ(a.currentCounts(32, 152), b.currentCounts(32, 152));

    VirtualModuleOptions unknown = fastOptions();
    unknown.tube = "6V6";
    QString error;
    EXPECT_FALSE(VirtualModule(unknown).start(&error));
    EXPECT_TRUE(error.contains("12AX7"));
    EXPECT_FALSE(VirtualModule(fastOptions("melt")).start());
    for (const char* tube : {"12AX7", "12AU7", "6SN7", "300B", "EL34", "EL34-triode", "6L6GC"})
        EXPECT_TRUE(VirtualModule::tubeNames().contains(tube)) << tube;
}

TEST(VirtualModule, PacedBytesTakeTheLineTime)
{
    VirtualModuleOptions options;  // pacing on
    auto module = startModule(options);
    ASSERT_TRUE(module);
    ModuleLink link;
    link.setPortName(module->devicePath());
    link.setWaitMs(300);  // 128 bytes need about 533 ms at 2400 baud
    const Exchange ex = runExchange(link, 4, 150);
    EXPECT_FALSE(ex.ok);
    EXPECT_EQ(ex.message, QString::fromLatin1(messages::kDialogFailed));
    // The module's own waits leave it time enough.
    link.setWaitMs(ModuleLink::kDefaultWaitMs);
    EXPECT_TRUE(runExchange(link, 4, 150).ok);
}

// ---------------------------------------------------------------------------

namespace {

struct SweepRun {
    bool completed = false;
    QString message;
    QStringList exchangeMessages;
    int steps = 0;
    std::vector<float> stepVg1;
};

SweepRun waitForSweep(CaptureSweep& sweep, QSignalSpy& finished, QSignalSpy& failed, QSignalSpy& started)
{
    SweepRun run;
    EXPECT_TRUE(finished.wait(kSpyTimeoutMs * 3));
    if (finished.isEmpty())
        return run;
    run.completed = finished.at(0).at(0).toBool();
    run.message = finished.at(0).at(1).toString();
    for (const auto& args : failed)
        run.exchangeMessages << args.at(0).toString();
    run.steps = int(started.size());
    for (const auto& args : started)
        run.stepVg1.push_back(args.at(2).toFloat());
    return run;
}

int lineCount(const std::string& text)
{
    int n = 0;
    while (!GetField(text, n + 1, "\r\n").empty())
        ++n;
    return n;
}

}  // namespace

TEST(CaptureSweep, FiveCurvesWithTheirGridCodes)
{
    auto module = startModule(fastOptions());
    ASSERT_TRUE(module);
    Workspace ws;
    CaptureSweep sweep(ws);
    sweep.setWaitMs(kWaitMs);
    int vg2 = 250;
    sweep.setVg2Source([&] { return std::to_string(vg2++); });  // edited during the sweep
    QSignalSpy finished(&sweep, &CaptureSweep::finished);
    QSignalSpy failed(&sweep, &CaptureSweep::exchangeFailed);
    QSignalSpy started(&sweep, &CaptureSweep::stepStarted);
    QSignalSpy appended(&sweep, &CaptureSweep::curveAppended);

    ASSERT_TRUE(sweep.start({"0", "10", "2.5", 32, module->devicePath()}));
    EXPECT_FALSE(ws.CaptureIdle);
    EXPECT_TRUE(sweep.isRunning());
    const SweepRun run = waitForSweep(sweep, finished, failed, started);
    EXPECT_TRUE(run.completed);
    EXPECT_TRUE(run.message.isEmpty());
    EXPECT_TRUE(ws.CaptureIdle);
    EXPECT_FALSE(sweep.isRunning());
    EXPECT_EQ(run.stepVg1, (std::vector<float>{0.0F, -2.5F, -5.0F, -7.5F, -10.0F}));
    EXPECT_EQ(started.at(4).at(1).toInt(), 5);
    EXPECT_EQ(started.at(0).at(3).toFloat(), 250.0F);
    EXPECT_EQ(appended.size(), 5);

    // Grid codes on the wire: e, range, grid, i per curve.
    QTRY_COMPARE(module->exchangesServed(), 5);
    const auto bytes = bytesOf(*module);
    ASSERT_EQ(bytes.size(), 20u);
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(bytes[4 * k], 0x65);
        EXPECT_EQ(bytes[4 * k + 1], 32);
        EXPECT_EQ(bytes[4 * k + 2], 150 + 5 * k);
        EXPECT_EQ(bytes[4 * k + 3], 0x69);
    }

    ASSERT_EQ(lineCount(ws.CurveText), 320);
    const char* grids[] = {"0", "-2.5", "-5", "-7.5", "-10"};
    for (int k = 0; k < 5; ++k) {
        for (int i = 1; i <= 64; ++i) {
            const std::string_view line = GetField(ws.CurveText, 64 * k + i, "\r\n");
            EXPECT_EQ(GetField(line, 3, " "), grids[k]);
            EXPECT_EQ(GetField(line, 4, " "), "0");
            EXPECT_EQ(GetField(line, 5, " "), std::to_string(250 + k));  // re-read per step
        }
    }
    // The last curve's samples are in the store.
    EXPECT_EQ(formatGeneral(ws.UaSamples[63]), GetField(GetField(ws.CurveText, 320, "\r\n"), 1, " "));
}

TEST(CaptureSweep, PitchZeroGivesOneCurve)
{
    auto module = startModule(fastOptions());
    ASSERT_TRUE(module);
    Workspace ws;
    CaptureSweep sweep(ws);
    sweep.setWaitMs(kWaitMs);
    QSignalSpy finished(&sweep, &CaptureSweep::finished);
    QSignalSpy failed(&sweep, &CaptureSweep::exchangeFailed);
    QSignalSpy started(&sweep, &CaptureSweep::stepStarted);
    ASSERT_TRUE(sweep.start({"-3", "20", "0", 4, module->devicePath()}));
    const SweepRun run = waitForSweep(sweep, finished, failed, started);
    EXPECT_TRUE(run.completed);
    EXPECT_EQ(run.steps, 1);
    EXPECT_EQ(lineCount(ws.CurveText), 64);
    EXPECT_EQ(GetField(GetField(ws.CurveText, 1, "\r\n"), 3, " "), "-3");
    QTRY_COMPARE(module->exchangesServed(), 1);
    EXPECT_EQ(bytesOf(*module), (std::vector<int>{0x65, 4, 156, 0x69}));
}

TEST(CaptureSweep, RefusedSettingsStartNothing)
{
    Workspace ws;
    ws.CurveText = "kept\r\n";
    CaptureSweep sweep(ws);
    QSignalSpy any(&sweep, &CaptureSweep::stepStarted);
    QSignalSpy finished(&sweep, &CaptureSweep::finished);
    const SweepSettings refused[] = {
        {"0", "10", "0.25", 4, "/dev/null"},
        {"0", "10", "0.75", 4, "/dev/null"},
        {"0", "10", "32", 4, "/dev/null"},
        {"12", "10", "1", 4, "/dev/null"},
        {"-12", "10", "0", 4, "/dev/null"},
    };
    for (const SweepSettings& s : refused) {
        EXPECT_FALSE(sweep.start(s)) << s.vg1StartText << " " << s.pitchText;
        EXPECT_TRUE(ws.CaptureIdle);
        EXPECT_FALSE(sweep.isRunning());
    }
    QTest::qWait(50);
    EXPECT_TRUE(any.isEmpty());
    EXPECT_TRUE(finished.isEmpty());
    EXPECT_EQ(ws.CurveText, "kept\r\n");
}

TEST(CaptureSweep, FailedSecondStepKeepsTheFirstCurve)
{
    auto module = startModule(fastOptions());
    ASSERT_TRUE(module);
    Workspace ws;
    CaptureSweep sweep(ws);
    sweep.setWaitMs(kWaitMs);
    QObject::connect(&sweep, &CaptureSweep::curveAppended, [&](int) { module->setFault("silent"); });
    QSignalSpy finished(&sweep, &CaptureSweep::finished);
    QSignalSpy failed(&sweep, &CaptureSweep::exchangeFailed);
    QSignalSpy started(&sweep, &CaptureSweep::stepStarted);
    bool idleWhenFinished = false;
    QObject::connect(&sweep, &CaptureSweep::finished, [&] { idleWhenFinished = ws.CaptureIdle; });
    ASSERT_TRUE(sweep.start({"1", "5", "1", 4, module->devicePath()}));
    const SweepRun run = waitForSweep(sweep, finished, failed, started);
    EXPECT_FALSE(run.completed);
    EXPECT_EQ(run.message, QString::fromLatin1(messages::kCantConnect));
    EXPECT_EQ(run.exchangeMessages, QStringList{QString::fromLatin1(messages::kDialogFailed)});
    EXPECT_EQ(run.steps, 2);
    EXPECT_EQ(lineCount(ws.CurveText), 64);
    EXPECT_TRUE(idleWhenFinished);
    EXPECT_FALSE(sweep.isRunning());
}

TEST(CaptureSweep, StopBetweenStepsKeepsCurves)
{
    auto module = startModule(fastOptions());
    ASSERT_TRUE(module);
    Workspace ws;
    CaptureSweep sweep(ws);
    sweep.setWaitMs(kWaitMs);
    QSignalSpy finished(&sweep, &CaptureSweep::finished);
    QSignalSpy failed(&sweep, &CaptureSweep::exchangeFailed);
    QSignalSpy started(&sweep, &CaptureSweep::stepStarted);
    QObject::connect(&sweep, &CaptureSweep::stepStarted, [&](int step) {
        if (step == 2)
            sweep.requestStop();
    });
    ASSERT_TRUE(sweep.start({"0", "10", "1", 4, module->devicePath()}));
    const SweepRun run = waitForSweep(sweep, finished, failed, started);
    EXPECT_FALSE(run.completed);
    EXPECT_TRUE(run.message.isEmpty());
    EXPECT_EQ(run.steps, 2);
    EXPECT_EQ(lineCount(ws.CurveText), 128);
    EXPECT_TRUE(ws.CaptureIdle);
    // A new sweep can start at once.
    QSignalSpy again(&sweep, &CaptureSweep::finished);
    ASSERT_TRUE(sweep.start({"0", "0", "0", 4, module->devicePath()}));
    ASSERT_TRUE(again.wait(kSpyTimeoutMs));
    EXPECT_EQ(lineCount(ws.CurveText), 192);
}

TEST(CaptureSweep, AppendsToWhateverCurveTextHolds)
{
    auto module = startModule(fastOptions());
    ASSERT_TRUE(module);
    Workspace ws;
    CaptureSweep sweep(ws);
    sweep.setWaitMs(kWaitMs);
    // "Save as ..." during a sweep empties the text; later curves still arrive.
    QObject::connect(&sweep, &CaptureSweep::curveAppended, [&](int step) {
        if (step == 1)
            ws.CurveText.clear();
    });
    QSignalSpy finished(&sweep, &CaptureSweep::finished);
    ASSERT_TRUE(sweep.start({"0", "1", "0.5", 4, module->devicePath()}));
    ASSERT_TRUE(finished.wait(kSpyTimeoutMs));
    EXPECT_EQ(lineCount(ws.CurveText), 128);
    EXPECT_EQ(GetField(GetField(ws.CurveText, 1, "\r\n"), 3, " "), "-0.5");
}
