#include "measure/module_protocol.h"

#include <algorithm>

namespace zov::protocol {

std::optional<int> decodeCount(std::uint8_t high, std::uint8_t low)
{
    if (high >= 0x80)
        return std::nullopt;
    return high * 256 + low;
}

float voltsFromCount(int count)
{
    // Formed in double and stored as a 32-bit float, like every sample.
    return static_cast<float>(count * kVoltsPerCount);
}

std::optional<float> ampsFromCount(int count, int rangeDivisor)
{
    if (rangeDivisor == 0)
        return std::nullopt;
    return static_cast<float>((count / kCountsPerUnitCurrent) / rangeDivisor);
}

std::array<std::uint8_t, 2> parameterBytes(int rangeDivisor, int gridCode)
{
    return {static_cast<std::uint8_t>(rangeDivisor & 0xFF), static_cast<std::uint8_t>(gridCode & 0xFF)};
}

namespace {

template <typename Scale>
BlockDecode decodeBlock(std::span<const std::uint8_t> bytes, Scale scale)
{
    BlockDecode out;
    const std::size_t usable = std::min<std::size_t>(bytes.size(), kBlockBytes);
    for (std::size_t i = 0; i + 1 < usable; i += 2) {
        const auto count = decodeCount(bytes[i], bytes[i + 1]);
        if (!count)
            return out;
        const std::optional<float> value = scale(*count);
        if (!value)
            return out;
        out.values[out.decoded++] = *value;
    }
    out.ok = out.decoded == kSamples;
    return out;
}

}  // namespace

BlockDecode decodeVoltageBlock(std::span<const std::uint8_t> bytes)
{
    return decodeBlock(bytes, [](int n) { return std::optional<float>(voltsFromCount(n)); });
}

BlockDecode decodeCurrentBlock(std::span<const std::uint8_t> bytes, int rangeDivisor)
{
    return decodeBlock(bytes, [rangeDivisor](int n) { return ampsFromCount(n, rangeDivisor); });
}

std::array<std::uint8_t, kBlockBytes> encodeBlock(const std::array<int, kSamples>& counts)
{
    std::array<std::uint8_t, kBlockBytes> bytes{};
    for (int i = 0; i < kSamples; ++i) {
        const int n = std::clamp(counts[i], 0, 0x7FFF);
        bytes[2 * i] = static_cast<std::uint8_t>(n >> 8);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(n & 0xFF);
    }
    return bytes;
}

}  // namespace zov::protocol
