#pragma once
// Messages of the display layer and of the render command, in one place so
// that code and tests cannot drift apart.

namespace zov::display_messages {

inline constexpr char kUnknownExtension[] = "unknown output format (use .png, .svg or .pdf)";
inline constexpr char kCannotWrite[] = "cannot write the output file";
inline constexpr char kPictureNotDrawn[] = "the picture could not be drawn";
inline constexpr char kCannotRead[] = "cannot read";
inline constexpr char kMissingOutput[] = "render needs --out FILE";
inline constexpr char kMissingInput[] = "render needs a curve file";
inline constexpr char kExtraArgument[] = "render takes one curve file; unexpected argument";
inline constexpr char kMissingValue[] = "missing value after";
inline constexpr char kBadSize[] = "--size must be WIDTHxHEIGHT, each from 16 to 20000";
inline constexpr char kNeedsPositive[] = "expects a number above 0:";
inline constexpr char kNeedsNonNegative[] = "expects a number of 0 or more:";

}  // namespace zov::display_messages
