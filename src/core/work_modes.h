#pragma once
// The window's working mode and the option of the frame "Cooking", as values.
// Their text forms are the ones the project file stores ("Capture"/"Cook",
// "SE"/"PP"/"Match"/"Diff").

#include <QString>
#include <QStringView>

#include <optional>

namespace zov {

enum class WorkMode { Capture, Cook };

// The design option buttons of the "Cooking" frame: single-ended,
// push-pull, several families overlaid, the difference of two families.
enum class CookOption { SE, PP, Match, Diff };

QString modeText(WorkMode mode);
// The project file's rule: exactly "Capture" is Capture mode, any other text
// (a missing key, "capture") is Cook mode.
WorkMode modeFromText(QStringView text);

QString cookOptionText(CookOption option);
// The option whose name matches exactly; nothing for any other text.
std::optional<CookOption> cookOptionFromText(QStringView text);

}  // namespace zov
