#include "app/gui/report_controller.h"

#include "core/curve_store.h"

namespace zov::gui {

ReportController::ReportController(const Workspace& ws, QObject* parent)
    : QObject(parent)
    , m_ws(ws)
{
}

void ReportController::BtDirectPrint_Click()
{
    // The printed report is not built yet: the button does nothing.
}

}  // namespace zov::gui
