#pragma once
// The capture sweep: one curve per grid-1 step, from start to stop by pitch,
// each measured by one exchange of the module link and appended to CurveText as
// 64 data lines. Asynchronous: start() returns at once and the steps follow on
// the event loop.

#include "measure/module_link.h"
#include "measure/sweep_plan.h"

#include <QObject>
#include <QString>

#include <functional>
#include <string>

namespace zov {

struct Workspace;

struct SweepSettings {
    std::string vg1StartText;
    std::string vg1StopText;
    std::string pitchText;
    int rangeDivisor = protocol::kRangeDivisor256mA;  // 4 ("256mA Max") or 32 ("32mA Max")
    QString portName;  // empty: the first port, "COM1"
};

class CaptureSweep : public QObject {
    Q_OBJECT
public:
    explicit CaptureSweep(Workspace& ws, QObject* parent = nullptr);

    void setWaitMs(int ms);  // each of the link's two waits; default 1000
    // The grid-2 text, re-read at every step so that an edit made during a
    // sweep takes effect from the next step on. Default "0".
    void setVg2Source(std::function<std::string()> source);

    // False when the settings are invalid: nothing started, nothing emitted,
    // CurveText untouched. True: running (isRunning) until `finished`.
    bool start(const SweepSettings& settings);
    // Stops after the step being measured; the curves measured so far are kept.
    void requestStop();
    bool isRunning() const { return m_running; }
    const SweepPlan& plan() const { return m_plan; }

signals:
    void stepStarted(int step, int stepCount, float vg1, float vg2);  // step from 1, vg1 <= 0
    void curveAppended(int step);
    void exchangeFailed(const QString& message);
    // completed=false with kCantConnect after a failed exchange, with an empty
    // message after requestStop. isRunning() is false again when it arrives.
    void finished(bool completed, const QString& message);

private:
    void beginStep();
    void onExchangeFinished(bool ok, zov::protocol::SampleBlock ua, zov::protocol::SampleBlock ia);
    void finish(bool completed, const QString& message);

    Workspace& m_ws;
    ModuleLink m_link;
    std::function<std::string()> m_vg2Source;
    SweepPlan m_plan;
    int m_rangeDivisor = protocol::kRangeDivisor256mA;
    float m_vg1 = 0.0F;  // magnitude of the step being measured
    int m_step = 0;
    std::string m_vg2Text;
    bool m_running = false;
    bool m_stopRequested = false;
    QString m_linkMessage;
};

}  // namespace zov
