#include "app/gui/project_controller.h"

#include "core/curve_store.h"

namespace zov::gui {

ProjectController::ProjectController(Workspace& ws, QObject* parent)
    : QObject(parent)
    , m_ws(ws)
{
}

void ProjectController::loadStartupProject(const QString& projectPath)
{
    // Project files are not read yet: the window keeps its defaults.
    Q_UNUSED(projectPath);
}

bool ProjectController::LoadProject(const QString& path)
{
    Q_UNUSED(path);
    return false;
}

bool ProjectController::SaveProject(const QString& path)
{
    Q_UNUSED(path);
    return false;
}

}  // namespace zov::gui
