#include "measure/capture_sweep.h"

#include "core/text.h"
#include "core/curve_store.h"
#include "measure/measure_messages.h"

namespace zov {

CaptureSweep::CaptureSweep(Workspace& ws, QObject* parent)
    : QObject(parent)
    , m_ws(ws)
    , m_vg2Source([] { return std::string("0"); })
{
    connect(&m_link, &ModuleLink::finished, this, &CaptureSweep::onExchangeFinished);
    connect(&m_link, &ModuleLink::failed, this, [this](const QString& message) { m_linkMessage = message; });
}

void CaptureSweep::setWaitMs(int ms)
{
    m_link.setWaitMs(ms);
}

void CaptureSweep::setVg2Source(std::function<std::string()> source)
{
    if (source)
        m_vg2Source = std::move(source);
    else
        m_vg2Source = [] { return std::string("0"); };
}

bool CaptureSweep::start(const SweepSettings& settings)
{
    if (m_running)
        return false;
    const SweepPlan plan = planSweep(settings.vg1StartText, settings.vg1StopText, settings.pitchText);
    if (!plan.valid)
        return false;
    m_plan = plan;
    m_rangeDivisor = settings.rangeDivisor;
    m_link.setPortName(settings.portName.isEmpty() ? QStringLiteral("COM1") : settings.portName);
    m_vg1 = plan.start;
    m_step = 1;
    m_stopRequested = false;
    m_running = true;
    beginStep();
    return true;
}

void CaptureSweep::requestStop()
{
    if (m_running)
        m_stopRequested = true;
}

void CaptureSweep::beginStep()
{
    const std::string typed = m_vg2Source();
    m_vg2Text = dataLineVg2Text(typed);
    const float vg2 = static_cast<float>(numericValue(typed));
    emit stepStarted(m_step, m_plan.stepCount, m_vg1 == 0.0F ? 0.0F : -m_vg1, vg2);
    m_linkMessage.clear();
    if (!m_link.AcquireCurve(m_rangeDivisor, gridCodeFor(m_vg1)))
        finish(false, QString::fromLatin1(messages::kCantConnect));
}

void CaptureSweep::onExchangeFinished(bool ok, protocol::SampleBlock ua, protocol::SampleBlock ia)
{
    if (!m_running)
        return;
    if (!ok) {
        if (!m_linkMessage.isEmpty())
            emit exchangeFailed(m_linkMessage);
        finish(false, QString::fromLatin1(messages::kCantConnect));
        return;
    }
    std::copy(ua.begin(), ua.end(), m_ws.UaSamples.begin());
    std::copy(ia.begin(), ia.end(), m_ws.IaSamples.begin());
    appendCurveLines(m_ws.CurveText, m_ws.UaSamples.data(), m_ws.IaSamples.data(), kSamplesPerCurve, m_vg1,
                     m_vg2Text);
    emit curveAppended(m_step);

    if (m_stopRequested) {
        finish(false, QString());
        return;
    }
    if (m_plan.pitch == 0.0F) {
        finish(true, QString());
        return;
    }
    m_vg1 += m_plan.pitch;  // 32-bit float accumulation, as planned
    if (m_vg1 > m_plan.stop) {
        finish(true, QString());
        return;
    }
    ++m_step;
    beginStep();
}

void CaptureSweep::finish(bool completed, const QString& message)
{
    m_running = false;
    m_stopRequested = false;
    emit finished(completed, message);
}

}  // namespace zov
