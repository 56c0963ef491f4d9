#pragma once
// The command line of `zov`:
//   zov [--virtual-module[=TUBE]] [PROJECT.zov]
//       [--snapshot OUT.png [--controls OUT.json] [--size WxH]]
//   zov --help | --version
// A project path may come in double quotes (as shortcuts pass it);
// the quotes are removed.

#include <QSize>
#include <QString>
#include <QStringList>

namespace zov::gui {

struct GuiOptions {
    bool help = false;
    bool version = false;
    bool virtualModule = false;
    QString tube;          // empty: the virtual module's default tube
    QString projectPath;   // empty: none given
    // Headless snapshot: start as usual, write the window's picture (and the
    // description of its controls) once the first refresh is done, exit.
    QString snapshotPath;  // empty: a normal interactive start
    QString controlsPath;  // empty: no description
    QSize size;            // invalid: the project's window size
    QString error;         // not empty: the command line was not understood
};

// `arguments` without the program name.
GuiOptions parseGuiArguments(const QStringList& arguments);

QString guiUsage(const QStringList& tubeNames);

}  // namespace zov::gui
