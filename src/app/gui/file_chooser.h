#pragma once
// How the window asks the user for a file, replaceable so tests never open a
// real dialog.

#include <QString>

#include <functional>

namespace zov::gui {

// action is "Save" or "Open"; an empty result means the user cancelled.
using FileChooser = std::function<QString(const QString& action, const QString& title,
                                          const QString& pattern, const QString& folder)>;

}  // namespace zov::gui
