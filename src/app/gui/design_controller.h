#pragma once
// The design controller: the amplifier stage designed on comparison slot 0
// in Cook mode. It owns the operating point and its placement
// (ApplyOperatingPoint), the load lines and the swing analysis, the cursor
// read-out over the plot, the design inputs RLoad and TxVin, and the overlay
// that the design draws over the refreshed picture.
//
// Wired today: nothing is placed yet. The window connects
//   PlotArea::pressed / moved      -> Scope_MouseDown / Scope_MouseMove,
//   CookFrame::optionClicked       -> Opt_Click,
//   CookFrame::loadEdited / loadCommitted / vinCommitted -> RLoad_Change / RLoad_Validate / TxVin_Validate,
// and calls beginRefresh() at the start of every central refresh and
// drawOverlay() once the comparison families are drawn.
// The Cook-mode issue fills these bodies in: it reads the Workspace's design
// state and slot 0, writes its results through readoutsChanged (the Cooking
// frame and the plot area show them) and asks for redraws with
// refreshRequested. It never reaches into a frame's widgets.

#include "render/comparison_sets.h"

#include <QObject>

namespace zov {
struct Workspace;
class Surface;
}

namespace zov::gui {

class DesignController : public QObject {
    Q_OBJECT
public:
    explicit DesignController(Workspace& ws, QObject* parent = nullptr);

    // Start of every central refresh: the picture is rebuilt, so the
    // read-outs of an operating point are hidden until it is placed again.
    void beginRefresh();
    // After the comparison families: the operating point, its load lines and
    // swing curves, drawn again for the scales in force.
    void drawOverlay(Surface& surface);

public slots:
    void Scope_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, float x, float y);
    void Scope_MouseMove(float x, float y);
    void ApplyOperatingPoint(float x, float y);
    void Opt_Click(zov::CookOption option);
    void RLoad_Change();
    void RLoad_Validate();
    void TxVin_Validate();

signals:
    void refreshRequested();
    // The operating point's read-outs are to be hidden (a refresh began).
    void readoutsReset();

private:
    Workspace& m_ws;
};

}  // namespace zov::gui
