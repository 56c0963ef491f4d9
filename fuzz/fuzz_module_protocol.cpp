// The module protocol decoder on any bytes the line may deliver. The input is
// the range byte the host sent, a grid byte, then the bytes received. Both
// blocks decode exactly the counts before the first corrupted high byte (or
// the end of the data), every sample is finite and not negative, a whole
// block encodes back to its bytes, and a whole pair of blocks goes through
// the curve text of a capture into a family the TDF reader loads, each point
// within the seven digits the text is written with.

#include "measure/module_protocol.h"
#include "measure/sweep_plan.h"
#include "files/tdf_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace {

namespace protocol = zov::protocol;

void check(bool property)
{
    if (!property)
        __builtin_trap();
}

// The counts a block holds before its first corrupted high byte.
int validCounts(std::span<const std::uint8_t> bytes)
{
    const std::size_t usable = std::min<std::size_t>(bytes.size(), protocol::kBlockBytes);
    int n = 0;
    for (std::size_t i = 0; i + 1 < usable && bytes[i] < 0x80; i += 2)
        ++n;
    return n;
}

int countAt(std::span<const std::uint8_t> bytes, int k)
{
    return bytes[2 * static_cast<std::size_t>(k)] * 256 + bytes[2 * static_cast<std::size_t>(k) + 1];
}

// Seven significant digits (half a unit of the 7th) read back into a 32-bit
// float (half a unit of its 24th bit).
bool near7Digits(double written, double value)
{
    return std::fabs(written - value) <= (5e-7 + 6e-8) * std::fabs(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const int rangeDivisor = data[0];
    const int gridByte = data[1];
    const std::span<const std::uint8_t> bytes(data + 2, size - 2);

    const std::array<std::uint8_t, 2> sent = protocol::parameterBytes(rangeDivisor, gridByte);
    check(sent[0] == data[0] && sent[1] == data[1]);

    const int valid = validCounts(bytes);
    const protocol::BlockDecode volts = protocol::decodeVoltageBlock(bytes);
    const protocol::BlockDecode amps = protocol::decodeCurrentBlock(bytes, rangeDivisor);
    check(volts.decoded == valid && volts.ok == (valid == protocol::kSamples));
    // A range byte of 0 would divide by zero: nothing decodes.
    check(amps.decoded == (rangeDivisor == 0 ? 0 : valid) && amps.ok == (amps.decoded == protocol::kSamples));
    for (int k = 0; k < volts.decoded; ++k) {
        const float v = volts.values[static_cast<std::size_t>(k)];
        check(std::isfinite(v) && v >= 0.0F && v == static_cast<float>(countAt(bytes, k) * protocol::kVoltsPerCount));
    }
    for (int k = 0; k < amps.decoded; ++k) {
        const float a = amps.values[static_cast<std::size_t>(k)];
        const double expected = countAt(bytes, k) / protocol::kCountsPerUnitCurrent / rangeDivisor;
        check(std::isfinite(a) && a >= 0.0F && std::fabs(a - expected) <= 1e-7 * expected);
    }
    if (!volts.ok)
        return 0;

    std::array<int, protocol::kSamples> counts{};
    for (int k = 0; k < protocol::kSamples; ++k)
        counts[static_cast<std::size_t>(k)] = countAt(bytes, k);
    const auto encoded = protocol::encodeBlock(counts);
    check(std::equal(encoded.begin(), encoded.end(), bytes.begin()));
    if (!amps.ok)
        return 0;

    // The capture's curve text of these samples at a grid voltage on the
    // module's 0.5 V steps, read as a TDF file: one curve of 64 points.
    const float vg1Magnitude = static_cast<float>(gridByte % 63) * 0.5F;
    std::string text;
    zov::appendCurveLines(text, volts.values.data(), amps.values.data(), protocol::kSamples, vg1Magnitude, "250");
    zov::CurveSet set;
    check(zov::readCurveSetFromMemory(set, text));
    check(set.Series.size() == 1 && set.Series[0].Points.size() == protocol::kSamples);
    check(set.Series[0].Vg1 == -vg1Magnitude && set.Series[0].Vg2 == 250.0F);
    std::vector<std::pair<float, float>> expected;
    std::vector<std::pair<float, float>> read;
    for (int k = 0; k < protocol::kSamples; ++k) {
        expected.emplace_back(volts.values[static_cast<std::size_t>(k)], amps.values[static_cast<std::size_t>(k)]);
        read.emplace_back(set.Series[0].Points[static_cast<std::size_t>(k)][zov::kRowUa],
                          set.Series[0].Points[static_cast<std::size_t>(k)][zov::kRowIa]);
    }
    std::sort(expected.begin(), expected.end());
    std::sort(read.begin(), read.end());
    for (std::size_t k = 0; k < expected.size(); ++k)
        check(near7Digits(read[k].first, expected[k].first) && near7Digits(read[k].second, expected[k].second));
    return 0;
}
