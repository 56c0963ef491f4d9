#pragma once
// The project controller: the project file (INI form, ".zov") and the
// recently-used list "ZOV.mru" in the program's folder. It owns which
// project is open and its reading and writing; what a project holds is the
// window's settings (geometry, scales, sweep settings, port and range,
// design inputs, the five comparison files and their selections, folders).
//
// Seams for the project-file issue: loadStartupProject (the path from the
// command line, else the last one in "ZOV.mru", else "DoNotErase.zov"),
// LoadProject and SaveProject. The controller reads and writes the settings
// as a ProjectSettings value that the window gathers from and spreads to its
// frames (settingsWanted / settingsLoaded), never through their widgets;
// projectNameChanged gives the name the window caption ends with.

#include <QObject>
#include <QString>

namespace zov {
struct Workspace;
}

namespace zov::gui {

class ProjectController : public QObject {
    Q_OBJECT
public:
    explicit ProjectController(Workspace& ws, QObject* parent = nullptr);

    // Start-up: restores the project named on the command line (may be empty),
    // else the last one used, else the default project. Missing or
    // unreadable files leave the window's defaults, silently.
    void loadStartupProject(const QString& projectPath);

public slots:
    bool LoadProject(const QString& path);
    bool SaveProject(const QString& path);

signals:
    void projectNameChanged(const QString& fileName);
    void refreshRequested();

private:
    Workspace& m_ws;
};

}  // namespace zov::gui
