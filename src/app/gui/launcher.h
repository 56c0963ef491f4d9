#pragma once
// Everything `zov`'s main() does: reads the command line (--help and
// --version need no display, so they are answered before the application
// object exists), starts the virtual module when asked, opens the main
// window and runs the event loop.

namespace zov::gui {

int runZov(int argc, char* argv[]);

}  // namespace zov::gui
