#pragma once
// The capture controller: everything behind the frame "Capture". It owns the
// sweep (GO, Stop, progress, the grid voltages of the step being measured)
// and the measured family's files ("Save as ...", "Add to ...", "Use as
// background", "Load a background ..."). It reads and shows through a
// CaptureView and writes the Workspace's measured family; it never touches a
// widget, so it runs against a stub view as well as against the frame.
//
// Signals: refreshRequested (the picture changed: the window redraws),
// gridVoltagesChanged (the step now measured; the grid-voltage frame shows
// it), message (a box for the user), idleChanged (a sweep started or ended;
// the window refuses to close while one runs).
// "Print ..." is not handled here: the frame reports it to the report controller.

#include "app/gui/file_chooser.h"
#include "app/gui/message_sink.h"
#include "files/tdf_file.h"

#include <QObject>
#include <QString>

namespace zov {
struct Workspace;
class CaptureSweep;
}

namespace zov::gui {

class CaptureView;

class CaptureController : public QObject {
    Q_OBJECT
public:
    CaptureController(Workspace& ws, CaptureView& view, QObject* parent = nullptr);

    void setFileChooser(FileChooser chooser);
    // Each of the link's two waits per exchange; the instrument needs 1000 ms.
    void setWaitMs(int ms);
    // Offers the ports, the virtual module's device first, and chooses it.
    void setVirtualModulePath(const QString& devicePath);
    bool isIdle() const;

public slots:
    void BtSet_Click();
    void BtStop_Click();
    void BtExport_Click();
    void BtAppend_Click();
    void BtBckgnd_Click();
    void BtBgndFile_Click();

signals:
    void refreshRequested();
    void gridVoltagesChanged(float vg1, float vg2);
    void message(const QString& text, zov::gui::MessageIcon icon);
    void idleChanged(bool idle);
    // A step added a curve to the family: it is to be drawn over the picture
    // shown (not by a refresh, which would lay the grid over the curves).
    void curveMeasured();

private:
    void saveOrAppend(TdfWriteMode mode);
    void onSweepStep(int step, int stepCount, float vg1, float vg2);
    void onSweepCurve(int step);
    void onSweepFinished(bool completed, const QString& message);

    Workspace& m_ws;
    CaptureView& m_view;
    CaptureSweep* m_sweep = nullptr;
    FileChooser m_fileChooser;
    int m_waitMs = 1000;
    int m_step = 0;  // the step being measured, from 1
    int m_stepCount = 0;
};

}  // namespace zov::gui
