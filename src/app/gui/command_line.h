#pragma once
// The command line of `zov`:
//   zov [--virtual-module[=TUBE]] [PROJECT.zov]
//   zov --help | --version
// A project path may come in double quotes (as shortcuts pass it);
// the quotes are removed.

#include <QString>
#include <QStringList>

namespace zov::gui {

struct GuiOptions {
    bool help = false;
    bool version = false;
    bool virtualModule = false;
    QString tube;          // empty: the virtual module's default tube
    QString projectPath;   // empty: none given
    QString error;         // not empty: the command line was not understood
};

// `arguments` without the program name.
GuiOptions parseGuiArguments(const QStringList& arguments);

QString guiUsage(const QStringList& tubeNames);

}  // namespace zov::gui
