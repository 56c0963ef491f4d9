#include "app/gui/design_controller.h"

#include "core/curve_store.h"
#include "render/surface.h"

namespace zov::gui {

DesignController::DesignController(Workspace& ws, QObject* parent)
    : QObject(parent)
    , m_ws(ws)
{
}

void DesignController::beginRefresh()
{
    emit readoutsReset();
}

void DesignController::drawOverlay(Surface& surface)
{
    Q_UNUSED(surface);
}

void DesignController::Scope_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, float x, float y)
{
    Q_UNUSED(button);
    Q_UNUSED(modifiers);
    Q_UNUSED(x);
    Q_UNUSED(y);
}

void DesignController::Scope_MouseMove(float x, float y)
{
    Q_UNUSED(x);
    Q_UNUSED(y);
}

void DesignController::ApplyOperatingPoint(float x, float y)
{
    Q_UNUSED(x);
    Q_UNUSED(y);
}

void DesignController::Opt_Click(CookOption option)
{
    Q_UNUSED(option);
}

void DesignController::RLoad_Change() {}

void DesignController::RLoad_Validate() {}

void DesignController::TxVin_Validate() {}

}  // namespace zov::gui
