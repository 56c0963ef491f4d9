#pragma once
// The bytes of one exchange with the Hardware Module and their meaning, as pure
// functions: no port, no timing. The serial state machine (ModuleLink) and the
// virtual module both build on them.
//
// One exchange: host sends 'e'; module answers 64 anode-voltage counts; host
// sends the range byte and the grid code; module answers 64 anode-current
// counts; host sends 'i'. A count is 16 bits, high byte first.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace zov::protocol {

inline constexpr std::uint8_t kStartByte = 0x65;  // 'e': request the voltage block
inline constexpr std::uint8_t kEndByte = 0x69;    // 'i': end of exchange
inline constexpr int kSamples = 64;
inline constexpr int kBlockBytes = 2 * kSamples;
inline constexpr double kVoltsPerCount = 0.47;
inline constexpr double kCountsPerUnitCurrent = 1024.0;  // counts per (A x range divisor)
inline constexpr int kRangeDivisor32mA = 32;
inline constexpr int kRangeDivisor256mA = 4;

using SampleBlock = std::array<float, kSamples>;

// N = high * 256 + low. The module's counts never reach 0x8000: a high byte of
// 128 or more means the exchange is out of step or the line is corrupted, and
// the exchange fails (nullopt).
std::optional<int> decodeCount(std::uint8_t high, std::uint8_t low);

// Anode voltage in volts of a count: 0.47 V per count, no range check
// (32767 counts give 15400.49 V and are stored as they are).
float voltsFromCount(int count);

// Anode current in amperes: (N / 1024) / rangeDivisor. Nullopt for a range
// divisor of 0, which would be a division fault.
std::optional<float> ampsFromCount(int count, int rangeDivisor);

// The two parameter bytes sent after the voltage block, range first. Both are
// sent as the low byte of the value.
std::array<std::uint8_t, 2> parameterBytes(int rangeDivisor, int gridCode);

// Result of decoding one 128-byte block from the bytes received so far.
struct BlockDecode {
    SampleBlock values{};  // elements [0, decoded) are valid
    int decoded = 0;       // samples decoded before the first fault or the end of data
    bool ok = false;       // all 64 samples decoded
};

// Decode a voltage block from `bytes` (at most the first 128 are used). Stops at
// the first high byte >= 128 or when fewer than two bytes remain.
BlockDecode decodeVoltageBlock(std::span<const std::uint8_t> bytes);
// Same for a current block with the range divisor of the exchange.
BlockDecode decodeCurrentBlock(std::span<const std::uint8_t> bytes, int rangeDivisor);

// The reverse direction, used by the virtual module: a block of 64 counts
// (each 0..0x7FFF) sent high byte first.
std::array<std::uint8_t, kBlockBytes> encodeBlock(const std::array<int, kSamples>& counts);

}  // namespace zov::protocol
