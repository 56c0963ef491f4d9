#pragma once
// What the capture controller needs from the frame that shows a capture: the
// sweep settings as typed, and a few ways to show the sweep's state. Plain
// values only, so the controller runs against any implementation (the frame
// "Capture" on screen, a stub in the tests).

#include "measure/capture_sweep.h"

#include <QString>
#include <QStringList>

#include <string>

namespace zov::gui {

class CaptureView {
public:
    virtual ~CaptureView() = default;

    // The settings as the boxes hold them. When no port is chosen and the
    // list has entries, the first entry is chosen first (visibly).
    virtual SweepSettings takeSweepSettings() = 0;
    // TxVg2 as it reads now: the sweep re-reads it at every step.
    virtual std::string vg2Text() const = 0;

    // Replaces the port list and chooses `current` (none when empty or absent).
    virtual void setPorts(const QStringList& ports, const QString& current) = 0;

    // GO is available exactly while no sweep runs; Stop while one runs and
    // has not been asked to stop.
    virtual void setSweepRunning(bool running) = 0;
    virtual void setStopEnabled(bool enabled) = 0;
    // The progress indication: `done` curves of `stepCount`, with a text;
    // an empty text and stepCount 0 show nothing at all.
    virtual void showProgress(int done, int stepCount, const QString& text) = 0;
    // "Save as ..." and "Add to ...": a family waits to be written.
    virtual void setSaveEnabled(bool enabled) = 0;
    // "Use as background" and "Print ...": a measured family is there.
    virtual void setFamilyActionsEnabled(bool enabled) = 0;
};

}  // namespace zov::gui
