#pragma once
// Texts the main window shows to the user. Tests compare against these, so a
// caption or message is changed here and nowhere else.

#include <QString>

namespace zov::gui {

inline constexpr char kWindowCaptionPrefix[] = "Kestrava Zovograph V";
inline constexpr char kStopCaptureBeforeClosing[] = "Stop capture before closing";
inline constexpr char kMessageBoxTitle[] = "Zovograph";

// Progress of a running sweep, "Step 3 of 7".
inline QString sweepProgress(int step, int stepCount)
{
    return QStringLiteral("Step %1 of %2").arg(QString::number(step), QString::number(stepCount));
}

// A sweep ended early: "Failed at step 3 of 7" when the step being measured
// got no answer, "Step 3 of 7 (stopped)" when the user stopped it after step 3.
inline QString sweepFailedAt(int step, int stepCount)
{
    return QStringLiteral("Failed at step %1 of %2").arg(QString::number(step), QString::number(stepCount));
}
inline QString sweepStopped(int stepsDone, int stepCount)
{
    return sweepProgress(stepsDone, stepCount) + QStringLiteral(" (stopped)");
}

}  // namespace zov::gui
