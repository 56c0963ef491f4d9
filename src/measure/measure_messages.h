#pragma once
// The measurement core's messages to the user, kept in one place so that the
// window, the command-line tool and the tests show exactly the same texts.

namespace zov::messages {

inline constexpr char kGridOutOfRange[] = "One or more grid setting is out of range";
inline constexpr char kDialogFailed[] = "Dialog with Hardware Module failed.";
inline constexpr char kCantConnect[] =
    "Can't connect the Hardware Module.\r\nCheck connections and COM port number";

}  // namespace zov::messages
