#pragma once
// The design controller: the amplifier stage designed on comparison slot 0
// in Cook mode. It owns the operating point and its placement
// (ApplyOperatingPoint), the load lines, the swing analysis and their figures
// on the plot, the cursor read-out over the plot, and the design inputs RLoad
// and TxVin with their arrow-key steps.
//
// It reads the design inputs and shows the read-outs through a CookView (the
// frame "Cooking"), draws and shows its figures through a PlotView (the plot
// area) and asks the window for a central refresh with refreshRequested; it
// never touches a widget. The numbers all come from the design engine
// (src/design) and are drawn by src/render, exactly as `zov-cli design`
// computes them.
//
// The window calls beginRefresh() at the start of every central refresh and
// drawOverlay() once the picture and the swing field are rebuilt: a valid
// operating point is then placed again for the scales and inputs in force.

#include "design/stage_analysis.h"
#include "render/comparison_sets.h"

#include <QObject>

#include <array>
#include <optional>
#include <string>

namespace zov {
struct Workspace;
class Surface;
}

namespace zov::gui {

class CookView;
class PlotView;

class DesignController : public QObject {
    Q_OBJECT
public:
    DesignController(Workspace& ws, CookView& cook, PlotView& plot, QObject* parent = nullptr);

    // Start of every central refresh: the picture is rebuilt, so the
    // read-outs of an operating point are hidden until it is placed again,
    // and the traces forget that they were drawn.
    void beginRefresh();
    // After the comparison families and the new swing text: the operating
    // point, its load lines and swing curves, drawn again.
    void drawOverlay(Surface& surface);

    // The design as it stands on the plot, drawn once with the copy pen on
    // another picture (the plot export); changes nothing.
    void drawFinished(Surface& surface) const;

    // The design inputs as the Cooking frame holds them now.
    DesignInputs inputs() const;
    // What the last placement or recompute produced.
    const StageDesign& lastDesign() const { return m_last; }

public slots:
    void Scope_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, float x, float y);
    void Scope_MouseMove(float x, float y);
    void ApplyOperatingPoint(float x, float y);
    void Opt_Click(zov::CookOption option);
    void RLoad_Validate();
    void RLoad_KeyDown(int key);
    void TxVin_Validate();

signals:
    void refreshRequested();
    // The stage analysis found no up-swing curve or intersection (the system
    // beep sounds).
    void beeped();

private:
    bool designMode() const;
    void recompute();
    void show(const StageDesign& design, bool parametersComputed);

    Workspace& m_ws;
    CookView& m_cook;
    PlotView& m_plot;
    StageDesign m_last;
    bool m_reapply = false;     // the refresh found a valid operating point
    bool m_busy = false;        // a placement is in progress (re-entry guard)
    float m_lastX = -1.0F;      // the last pointer position seen
    float m_lastY = -1.0F;
    // The tube parameters shown for the placed point (Gm, Req, Mu): a new
    // load or swing at the same point leaves them standing.
    std::array<std::optional<std::string>, 3> m_parameters;
};

}  // namespace zov::gui
