#pragma once
// Where the main window sends its message boxes. The application shows them as
// window-modal boxes that do not block the caller; tests install a recorder,
// so no test can hang on a box nobody closes.

#include <QString>

namespace zov::gui {

enum class MessageIcon { None, Critical, Question };

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Shows `text` with an OK button. Returns at once: the caller goes on while
    // the box is open (no nested event loop).
    virtual void showMessage(const QString& text, MessageIcon icon) = 0;
};

}  // namespace zov::gui
