#include "app/gui/design_controller.h"

#include "app/gui/cook_view.h"
#include "app/gui/plot_view.h"
#include "core/curve_store.h"
#include "design/design_steps.h"
#include "design/stage_texts.h"
#include "plot/cursor_readout.h"
#include "plot/scales.h"
#include "plot/scope_labels.h"
#include "render/curve_drawing.h"
#include "render/design_figures.h"
#include "render/surface.h"

#include <QApplication>

namespace zov::gui {

namespace {

constexpr Colour kOperatingTagColour = rgb(255, 0, 0);
constexpr Colour kCursorDotColour = rgb(0, 192, 0);
constexpr int kCursorDotWidth = 12;

// Clears a flag for the span of a call, whatever way it ends.
class BusyMark {
public:
    explicit BusyMark(bool& busy) : m_busy(busy) { m_busy = true; }
    ~BusyMark() { m_busy = false; }
    BusyMark(const BusyMark&) = delete;
    BusyMark& operator=(const BusyMark&) = delete;

private:
    bool& m_busy;
};

}  // namespace

DesignController::DesignController(Workspace& ws, CookView& cook, PlotView& plot, QObject* parent)
    : QObject(parent)
    , m_ws(ws)
    , m_cook(cook)
    , m_plot(plot)
{
}

bool DesignController::designMode() const
{
    const CookOption option = m_cook.option();
    return m_ws.ModeName == WorkMode::Cook && (option == CookOption::SE || option == CookOption::PP);
}

DesignInputs DesignController::inputs() const
{
    const Topology topology = m_cook.option() == CookOption::PP ? Topology::PushPull : Topology::SingleEnded;
    return designInputsFromTexts(topology, m_cook.loadText(), m_cook.vinText());
}

// ---- The central refresh --------------------------------------------------------

void DesignController::beginRefresh()
{
    // The picture is cleared: no figure survives, and nothing is shown of a
    // point until it is placed again (a read-out left standing would describe
    // a point that is no longer on the plot).
    m_reapply = m_ws.OpCurve.Drawn;
    m_ws.OpCurve.Drawn = false;
    m_ws.UpCurve.Drawn = false;
    m_ws.DownCurve.Drawn = false;
    m_cook.showDesignReadouts({});
    m_cook.showCursorPower(std::nullopt);
    m_plot.hideOperatingTags();
    m_plot.hideCursorFrame();
}

void DesignController::drawOverlay(Surface& surface)
{
    if (!m_reapply)
        return;
    m_reapply = false;
    if (!designMode() || m_busy)
        return;
    const BusyMark busy(m_busy);
    m_last = applyAndDrawOperatingPoint(surface, m_ws, UaToX(m_ws, m_ws.OperatingUa), IaToY(m_ws, m_ws.OperatingIa),
                                        inputs());
    show(m_last, true);
}

void DesignController::drawFinished(Surface& surface) const
{
    if (!designMode())
        return;
    const Topology topology = m_cook.option() == CookOption::PP ? Topology::PushPull : Topology::SingleEnded;
    drawFinishedDesign(surface, m_ws, topology);
}

// ---- The mouse over the plot ------------------------------------------------------

void DesignController::Scope_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, float x, float y)
{
    const bool capture = m_ws.ModeName == WorkMode::Capture;
    if (button == Qt::LeftButton) {
        if (!designMode())
            return;
        // The old point is not placed again by the refresh: the click places
        // the new one on the fresh picture.
        m_ws.OpCurve.Drawn = false;
        emit refreshRequested();
        ApplyOperatingPoint(x, y);  // which gives the load field the focus
        return;
    } else {
        m_plot.toggleCursorFrame();
        if (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) {
            // A mark that stays until the next refresh clears the plot.
            Surface& surface = m_plot.plotSurface();
            PutDotXY(surface, kCursorDotColour, kDrawModeCopy, kCursorDotWidth, x, y);
            m_plot.showPicture();
        }
    }
    if (!capture)
        m_cook.focusLoad();
}

void DesignController::Scope_MouseMove(float x, float y)
{
    if (x == m_lastX && y == m_lastY)
        return;
    CursorContext context;
    context.cookMode = m_ws.ModeName == WorkMode::Cook;
    context.match = m_cook.option() == CookOption::Match;
    context.singleEnded = m_cook.option() == CookOption::SE;
    const CursorReadout readout = cursorReadout(m_ws, x, y, context);
    m_ws.UpIa = readout.iaMa;
    m_ws.UpUa = readout.ua;
    m_plot.labelSink().placeAxisLabels(readout.slide);
    m_cook.showCursorPower(readout.pout);
    m_plot.followCursor(readout, x, y);
    m_lastX = x;
    m_lastY = y;
}

// ---- Placing the operating point --------------------------------------------------

void DesignController::ApplyOperatingPoint(float x, float y)
{
    if (m_ws.ModeName == WorkMode::Capture || m_busy)
        return;
    {
        const BusyMark busy(m_busy);
        m_last = applyAndDrawOperatingPoint(m_plot.plotSurface(), m_ws, x, y, inputs());
        show(m_last, true);
        m_plot.showPicture();
    }
    m_cook.focusLoad();
}

void DesignController::recompute()
{
    // A new load or swing at the same operating point; nothing to do while
    // there is no valid one.
    if (!m_ws.OpCurve.Drawn || !designMode() || m_busy)
        return;
    const BusyMark busy(m_busy);
    m_last = recomputeAndDraw(m_plot.plotSurface(), m_ws, inputs());
    show(m_last, false);
    m_plot.showPicture();
}

void DesignController::show(const StageDesign& design, bool parametersComputed)
{
    const Topology topology = m_cook.option() == CookOption::PP ? Topology::PushPull : Topology::SingleEnded;
    const StageTexts texts = stageTexts(design, topology);
    if (design.placement.placed) {
        PlaceAxisLabels(m_ws, m_plot.labelSink(), AxisLabelPair::Operating, 0, m_ws.OperatingUa, m_ws.OperatingIa,
                        m_ws.OperatingUa, m_ws.OperatingIa, kOperatingTagColour);
    }
    DesignReadouts readouts;
    readouts.pd0 = texts.pd0;
    if (parametersComputed) {
        readouts.gm = texts.gm;
        readouts.rp = texts.rp;
        readouts.mu = texts.mu;
        m_parameters = {texts.gm, texts.rp, texts.mu};
    } else {
        // A recompute keeps the point, so the tube parameters there stand.
        readouts.gm = m_parameters[0];
        readouts.rp = m_parameters[1];
        readouts.mu = m_parameters[2];
    }
    readouts.vout = texts.vout;
    readouts.gain = texts.gain;
    readouts.pout = texts.pout;
    readouts.h2 = texts.h2;
    m_cook.showDesignReadouts(readouts);
    if (design.analysis.beep) {
        QApplication::beep();
        emit beeped();
    }
}

// ---- The design inputs ----------------------------------------------------------------

void DesignController::Opt_Click(CookOption option)
{
    m_cook.showDesignReadouts({});
    m_cook.showCursorPower(std::nullopt);
    m_ws.DiffOffsetMa = 0.0F;
    switch (option) {
    case CookOption::SE:
        m_cook.setLoadCaption(QStringLiteral("R or Z load"));
        break;
    case CookOption::PP:
        m_cook.setLoadCaption(QStringLiteral("Zaa"));
        break;
    case CookOption::Match:
    case CookOption::Diff:
        // No stage design in these options: the point is dropped, and SE or
        // PP chosen afterwards do not bring it back.
        m_ws.OpCurve.Drawn = false;
        break;
    }
}

void DesignController::RLoad_Validate()
{
    // A typed value is clamped when it is committed, not at every keystroke:
    // clamping "0" at once would turn the first digit of "0.5" into "0.01".
    const std::string text = m_cook.loadText();
    if (const std::optional<std::string> clamped = clampedLoadText(text))
        m_cook.setLoadText(*clamped);
    recompute();
}

void DesignController::RLoad_KeyDown(int key)
{
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        const std::string text = m_cook.loadText();
        const SpinResult r =
            SpinValue(text, key == Qt::Key_Up ? StepKey::Up : StepKey::Down, loadStepKOhm(text));
        m_cook.setLoadText(clampedLoadText(r.text).value_or(r.text));
    } else if (key == Qt::Key_Left || key == Qt::Key_Right) {
        // The swing is stepped from the load field by a fifth of the
        // family's grid step, so both inputs are at hand in one field.
        const SpinResult r = SpinValue(m_cook.vinText(), key == Qt::Key_Right ? StepKey::Up : StepKey::Down,
                                       swingStep(m_ws.CurveSets[0]));
        m_cook.setVinText(QString::fromStdString(r.text));
    } else {
        return;
    }
    recompute();
}

void DesignController::TxVin_Validate()
{
    recompute();
}

}  // namespace zov::gui
