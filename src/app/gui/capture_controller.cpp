#include "app/gui/capture_controller.h"

#include "app/gui/capture_view.h"
#include "app/gui/gui_messages.h"
#include "core/curve_store.h"
#include "files/files_messages.h"
#include "measure/capture_sweep.h"
#include "measure/measure_messages.h"
#include "measure/port_list.h"
#include "measure/sweep_plan.h"
#include "render/scene.h"

namespace zov::gui {

CaptureController::CaptureController(Workspace& ws, CaptureView& view, QObject* parent)
    : QObject(parent)
    , m_ws(ws)
    , m_view(view)
    , m_sweep(new CaptureSweep(ws, this))
{
    connect(m_sweep, &CaptureSweep::stepStarted, this, &CaptureController::onSweepStep);
    connect(m_sweep, &CaptureSweep::curveAppended, this, &CaptureController::onSweepCurve);
    connect(m_sweep, &CaptureSweep::exchangeFailed, this,
            [this](const QString& text) { emit message(text, MessageIcon::None); });
    connect(m_sweep, &CaptureSweep::finished, this, &CaptureController::onSweepFinished);
}

void CaptureController::setFileChooser(FileChooser chooser)
{
    m_fileChooser = std::move(chooser);
}

void CaptureController::setWaitMs(int ms)
{
    m_waitMs = ms;
}

void CaptureController::setVirtualModulePath(const QString& devicePath)
{
    m_view.setPorts(availablePorts(devicePath), devicePath);
}

bool CaptureController::isIdle() const
{
    return !m_sweep->isRunning();
}

// ---- The sweep ----------------------------------------------------------------

void CaptureController::BtSet_Click()
{
    const SweepSettings settings = m_view.takeSweepSettings();

    m_ws.CurveText.clear();
    emit refreshRequested();

    const SweepPlan plan = planSweep(settings.vg1StartText, settings.vg1StopText, settings.pitchText);
    if (!plan.valid) {
        emit message(QString::fromLatin1(messages::kGridOutOfRange), MessageIcon::None);
        return;
    }

    m_view.setSweepRunning(true);
    m_sweep->setWaitMs(m_waitMs);
    m_sweep->setVg2Source([this] { return m_view.vg2Text(); });
    m_step = 1;
    m_stepCount = plan.stepCount;
    m_view.showProgress(0, plan.stepCount, sweepProgress(1, plan.stepCount));
    // The sweep checks the settings again; its verdict is the one that counts.
    if (!m_sweep->start(settings)) {
        m_view.setSweepRunning(false);
        m_view.showProgress(0, 0, QString());
        emit message(QString::fromLatin1(messages::kGridOutOfRange), MessageIcon::None);
        return;
    }
    m_view.setStopEnabled(true);
    emit idleChanged(false);
}

void CaptureController::BtStop_Click()
{
    m_sweep->requestStop();
    m_view.setStopEnabled(false);
}

void CaptureController::onSweepStep(int step, int stepCount, float vg1, float vg2)
{
    emit gridVoltagesChanged(vg1, vg2);
    m_step = step;
    m_stepCount = stepCount;
    m_view.showProgress(step - 1, stepCount, sweepProgress(step, stepCount));
}

void CaptureController::onSweepCurve(int step)
{
    m_view.showProgress(step, m_stepCount, sweepProgress(m_step, m_stepCount));
    emit curveMeasured();
}

void CaptureController::onSweepFinished(bool completed, const QString& text)
{
    m_view.setStopEnabled(false);
    if (!text.isEmpty())
        emit message(text, MessageIcon::None);
    // A sweep stopped by the user or ended by a failed exchange keeps the
    // curves of its completed steps, and they can be saved like those of a
    // complete sweep: a fault of the module must not cost the measurements
    // made before it. Without curves the buttons stay as they were.
    if (completed || !m_ws.CurveText.empty()) {
        m_view.setSaveEnabled(true);
        m_view.setFamilyActionsEnabled(true);
    }
    if (!completed) {
        // A failed exchange ends the sweep in the step being measured; a stop
        // ends it after the last complete step.
        const bool failed = !text.isEmpty();
        const int done = failed ? m_step - 1 : m_step;
        m_view.showProgress(done, m_stepCount,
                            failed ? sweepFailedAt(m_step, m_stepCount)
                                   : sweepStopped(done, m_stepCount));
    }
    m_view.setSweepRunning(false);
    emit idleChanged(true);
}

// ---- The measured family's files ------------------------------------------------

void CaptureController::BtExport_Click()
{
    saveOrAppend(TdfWriteMode::Replace);
}

void CaptureController::BtAppend_Click()
{
    saveOrAppend(TdfWriteMode::Append);
}

void CaptureController::saveOrAppend(TdfWriteMode mode)
{
    if (m_ws.CurveText.empty()) {
        emit message(msg::kNoDataToSave, MessageIcon::None);
        return;
    }
    const QString folder = prepareTdfSaveFolder(m_ws);
    const QString path = m_fileChooser ? m_fileChooser(QStringLiteral("Save"), msg::kExportTdfTitle,
                                                       msg::kTdfPattern, folder)
                                       : QString();
    const FileResult result = saveCurveText(m_ws, path, mode);
    if (!result.ok) {
        // A cancelled dialog stays silent; a failed write must not look like
        // a saved family.
        if (!path.isEmpty() && !result.error.isEmpty())
            emit message(msg::writeFailed(path, result.error), MessageIcon::Critical);
        return;
    }
    m_view.setSaveEnabled(false);
}

void CaptureController::BtBckgnd_Click()
{
    useCurveTextAsBackground(m_ws);
    m_view.setSaveEnabled(false);
    emit refreshRequested();
}

void CaptureController::BtBgndFile_Click()
{
    const QString path = m_fileChooser ? m_fileChooser(QStringLiteral("Open"), msg::kImportTdfTitle,
                                                       msg::kTdfPattern, m_ws.TdfFolder)
                                       : QString();
    if (path.isEmpty())
        return;
    if (loadBackgroundFile(m_ws, path))
        emit refreshRequested();
}

}  // namespace zov::gui
