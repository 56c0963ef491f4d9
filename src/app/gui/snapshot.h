#pragma once
// A picture of the window and a description of its controls, for
// documentation pictures, bug reports and tests that look at the window from
// outside (`zov --snapshot`).

#include <QJsonObject>
#include <QString>

class QWidget;

namespace zov::gui {

// One JSON object: "windowTitle", and "controls" keyed by objectName (every
// named widget and menu action of the window). Each control has "class",
// "visible", "enabled" and "text" (caption, text, or a combo box's current
// text); check boxes and option buttons add "checked"; lists and combo boxes
// add "items", lists also "selected" (the selected items' texts); widgets
// add "geometry" [x, y, w, h] in window coordinates.
QJsonObject describeControls(const QWidget& window);

// Writes the window's picture as PNG to `pngPath` and, when `jsonPath` is
// not empty, describeControls as JSON to it (both replaced atomically).
// False with the reason in `error` when a file could not be written.
bool writeSnapshot(QWidget& window, const QString& pngPath, const QString& jsonPath, QString* error);

}  // namespace zov::gui
