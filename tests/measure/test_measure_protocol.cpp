#include "measure/module_protocol.h"
#include "measure/port_list.h"
#include "measure/sweep_plan.h"
#include "sim/tube_model.h"
#include "core/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zov;

static std::vector<std::uint8_t> blockOf(std::uint8_t high, std::uint8_t low)
{
    std::vector<std::uint8_t> bytes(2 * protocol::kSamples, low);
    for (std::size_t i = 0; i < bytes.size(); i += 2)
        bytes[i] = high;
    return bytes;
}

TEST(ModuleProtocol, CountsAndScaling)
{
    struct Case { std::uint8_t high, low; int count; float volts, amps32, amps4; };
    const Case cases[] = {
        {0x00, 0x00, 0, 0.0F, 0.0F, 0.0F}, {0x00, 0x01, 1, 0.47F, float(1.0 / 1024 / 32), float(1.0 / 1024 / 4)},
        {0x04, 0x00, 1024, float(1024 * 0.47), 0.03125F, 0.25F},
        {0x03, 0xFF, 1023, float(1023 * 0.47), float(1023.0 / 1024 / 32), float(1023.0 / 1024 / 4)},
        {0x7F, 0xFF, 32767, 15400.49F, float(32767.0 / 1024 / 32), float(32767.0 / 1024 / 4)},  // the largest
    };
    for (const Case& c : cases) {
        const auto n = protocol::decodeCount(c.high, c.low);
        ASSERT_EQ(n.value_or(-1), c.count);
        EXPECT_EQ(protocol::voltsFromCount(*n), c.volts) << c.count;
        EXPECT_EQ(protocol::ampsFromCount(*n, 32), c.amps32) << c.count;
        EXPECT_EQ(protocol::ampsFromCount(*n, 4), c.amps4) << c.count;
    }
    EXPECT_EQ(formatGeneral(protocol::voltsFromCount(32767)), "15400.49");
}

TEST(ModuleProtocol, BlocksStopAtAHighByteOf128OrMoreOrAGap)
{
    for (int high : {0x80, 0x81, 0xFF}) {
        EXPECT_FALSE(protocol::decodeCount(std::uint8_t(high), 0).has_value()) << high;
        EXPECT_FALSE(protocol::decodeVoltageBlock(blockOf(std::uint8_t(high), 0)).ok);
    }
    EXPECT_FALSE(protocol::ampsFromCount(5, 0).has_value());

    auto bytes = blockOf(0x01, 0x02);  // 258 counts
    auto full = protocol::decodeCurrentBlock(bytes, 32);
    EXPECT_TRUE(full.ok);
    EXPECT_EQ(full.decoded, 64);
    EXPECT_EQ(full.values[63], float(258.0 / 1024 / 32));
    bytes[2 * 10] = 0x80;  // sample 10 corrupted
    auto bad = protocol::decodeVoltageBlock(bytes);
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.decoded, 10);
    EXPECT_EQ(bad.values[9], protocol::voltsFromCount(258));
    const auto shortBlock = protocol::decodeVoltageBlock(std::span(bytes).first(15));
    EXPECT_FALSE(shortBlock.ok);
    EXPECT_EQ(shortBlock.decoded, 7);  // the odd trailing byte is not a sample
    auto longer = blockOf(0, 7);  // bytes beyond the block belong to the next read
    longer.push_back(0x80);
    EXPECT_TRUE(protocol::decodeVoltageBlock(longer).ok);

    std::array<int, 64> counts{};
    std::generate(counts.begin(), counts.end(), [i = 0]() mutable { return (i++ * 517) % 1024; });
    counts[5] = 32767;
    const auto decoded = protocol::decodeVoltageBlock(protocol::encodeBlock(counts));
    ASSERT_TRUE(decoded.ok);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(decoded.values[i], protocol::voltsFromCount(counts[i]));
    EXPECT_EQ(protocol::parameterBytes(32, 155), (std::array<std::uint8_t, 2>{0x20, 0x9B}));
    EXPECT_EQ(protocol::parameterBytes(4, 212), (std::array<std::uint8_t, 2>{0x04, 0xD4}));
}

TEST(SweepPlan, AcceptsAndRefusesSettings)
{
    struct Case { const char *start, *stop, *pitch; bool valid; int steps; };
    const Case cases[] = {
        {"0", "10", "2.5", true, 5},    {"0", "0", "0", true, 1},
        {"3", "25", "0", true, 1},      // pitch 0: one curve whatever the stop
        {"-12", "12", "0", true, 1},    // a sign is ignored ...
        {"-12", "10", "0", false, 0},   // ... so this is 12 > 10
        {"12", "10", "1", false, 0},    {"0", "10", "32", false, 0},
        {"0", "10", "0.25", false, 0},  // 2.5 rounds to 2
        {"0", "10", "0.75", false, 0},  // 7.5 rounds to 8
        {"0", "31", "31", true, 2},     {"0", "31.5", "1", false, 0},   {"31.5", "31.5", "0", false, 0},
        {"0", "10", "0.5", true, 21},   {"1", "2", "0.5", true, 3},     {"0.25", "1", "0.5", true, 2},
        {"abc", "x", "", true, 1},      // text that is not a number reads as 0
        {"0", "10", "0.04", false, 0},  // rounds to 0 but is not 0: refused
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.start) + " " + c.stop + " " + c.pitch);
        const SweepPlan plan = planSweep(c.start, c.stop, c.pitch);
        EXPECT_EQ(plan.valid, c.valid);
        EXPECT_EQ(plan.stepCount, c.steps);
    }
    EXPECT_EQ(planSweep("-5", "6", "1").start, 5.0F);
}

TEST(SweepPlan, GridCodes)
{
    const std::pair<float, int> cases[] = {  // halves to even: 150.5 -> 150, 151.5 -> 152, 152.5 -> 152
        {0.0F, 150}, {2.5F, 155}, {10.0F, 170}, {31.0F, 212}, {0.5F, 151}, {0.25F, 150}, {0.75F, 152}, {1.25F, 152}};
    for (auto [magnitude, code] : cases)
        EXPECT_EQ(gridCodeFor(magnitude), code) << magnitude;
}

TEST(SweepPlan, DataLines)
{
    float ua[64], ia[64];
    for (int i = 0; i < 64; ++i) {
        ua[i] = protocol::voltsFromCount(i * 16);
        ia[i] = *protocol::ampsFromCount(i * 8, 32);
    }
    std::string text = "previous\r\n";
    appendCurveLines(text, ua, ia, 64, 2.5F, "250");
    EXPECT_EQ(GetField(text, 2, "\r\n"), "0 0 -2.5 0 250");
    EXPECT_EQ(GetField(text, 3, "\r\n"), "7.52 2.441406E-04 -2.5 0 250");
    EXPECT_EQ(GetField(text, 66, "\r\n"), "");
    std::string zero;  // the grid-1 field of the 0 V step is "0"; the Vg2 text is kept verbatim
    appendCurveLines(zero, ua, ia, 64, 0.0F, " 1.5 x");
    EXPECT_EQ(GetField(zero, 64, "\r\n"), "473.76 1.538086E-02 0 0  1.5 x");
    EXPECT_EQ(dataLineVg2Text("25\r\n0"), "250");
    EXPECT_EQ(dataLineVg2Text(" 250 "), " 250 ");
}

TEST(PortList, Names)
{
#ifndef Q_OS_WIN
    EXPECT_EQ(resolvePortName("COM1"), "/dev/ttyS0");
    EXPECT_EQ(resolvePortName("com4"), "/dev/ttyS3");
#endif
    for (const char* asIs : {"/dev/pts/7", "COMX", ""})
        EXPECT_EQ(resolvePortName(asIs), asIs);
    const QStringList ports = availablePorts("/dev/pts/99");
    EXPECT_EQ(ports.mid(0, 4), (QStringList{"COM1", "COM2", "COM3", "COM4"}));
    EXPECT_EQ(ports.last(), "/dev/pts/99");
    EXPECT_EQ(ports.count("/dev/pts/99"), 1);
    EXPECT_FALSE(availablePorts().contains(""));
}

// Values of the models (Koren's parameters) computed independently.
TEST(TubeModel, KorenCheckValues)
{
    struct Case { const char* tube; double ua, vg1, iaMa, tolMa; };
    const Case cases[] = {
        {"12AX7", 221, -1.61, 1.077, 0.002}, {"12AX7", 250, -2.0, 0.95, 0.01}, {"12AU7", 250, -8.5, 10.39, 0.01},
        {"300B", 300, -61, 58.4, 0.1},       {"6SN7", 250, -8, 9.0, 0.05},  // fitted to the datasheet point
        {"EL34-triode", 350, -31.03, 40.0, 0.2},  // fitted to a measured tube
        {"6L6GC", 250, -14, 81.0, 0.5}, {"EL34", 250, -13.5, 97.0, 0.5},  // datasheets: 72 and 100 mA
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tube);
        const auto tube = TubeModel::find(QString::fromLatin1(c.tube));
        ASSERT_TRUE(tube.has_value());
        EXPECT_NEAR(tube->anodeCurrent(c.ua, c.vg1) * 1000.0, c.iaMa, c.tolMa);
        EXPECT_EQ(tube->anodeCurrent(0.0, c.vg1), 0.0);
        EXPECT_LT(tube->anodeCurrent(c.ua, -200.0), 1e-9);  // far beyond cut-off
        // Current grows with the anode voltage and falls with the grid voltage.
        EXPECT_GT(tube->anodeCurrent(c.ua + 10, c.vg1), tube->anodeCurrent(c.ua, c.vg1));
        EXPECT_LT(tube->anodeCurrent(c.ua, c.vg1 - 1), tube->anodeCurrent(c.ua, c.vg1));
    }
    EXPECT_TRUE(TubeModel::find("el34").has_value());
    EXPECT_FALSE(TubeModel::find("KT88").has_value());
}
