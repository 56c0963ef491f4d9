#pragma once
// The project controller: the project file (INI form, ".zov") and the
// recently-used list "ZOV.mru" in the program's folder. It owns which
// project is open (Workspace::ProjectFile), its reading and writing, and the
// start-up choice of the project; what a project holds is the window's
// settings (geometry, scales, sweep settings, port and range, design inputs,
// the five comparison files and their selections, folders).
//
// It never touches a widget. The window gathers the frames' part of the
// settings when asked (settingsWanted, a direct connection that fills the
// value) and spreads a loaded project to its frames, mode last
// (settingsLoaded). A stored operating point comes back through
// operatingPointRestored (volts, milliamperes), which the window hands to the
// design controller as a click at that point. projectNameChanged gives the
// name the window caption ends with; message a box for the user.

#include "app/gui/file_chooser.h"
#include "app/gui/message_sink.h"
#include "files/program_folder.h"
#include "files/project_file.h"

#include <QObject>
#include <QString>

#include <optional>

namespace zov {
struct Workspace;
}

namespace zov::gui {

class ProjectController : public QObject {
    Q_OBJECT
public:
    explicit ProjectController(Workspace& ws, QObject* parent = nullptr);

    void setFileChooser(FileChooser chooser);
    // Where the program's folder, "ZOV.mru" and "DoNotErase.zov" are; by
    // default those of the running program.
    void setProgramFolders(const ProgramFolders& folders);
    ProgramFolders programFolders() const;
    // A snapshot only looks: it leaves "ZOV.mru" as it was.
    void setRecordsRecentProject(bool record) { m_recordsRecent = record; }

    // Start-up: loads the project named on the command line (may be empty),
    // else the last one used, else the default project, and in Cook mode
    // places its operating point again. Missing or unreadable files give the
    // defaults of an empty project, silently.
    void loadStartupProject(const QString& projectPath);

public slots:
    // Menu "Project ..." > "Save" and "Recall".
    void Mnu_Export_Pref_Click();
    void Mnu_Import_Pref_Click();
    // Applies a project file to the window and returns what it held.
    ProjectSettings LoadProject(const QString& path);
    // Writes the window's settings into `path`. A failure is reported in a
    // message naming the file and the reason; the file is left as it was and
    // nothing else changes.
    bool SaveProject(const QString& path);

signals:
    void settingsWanted(zov::ProjectSettings& settings);
    void settingsLoaded(const zov::ProjectSettings& settings);
    void operatingPointRestored(float ua, float iaMa);
    // After the refresh of a recall or a start-up in Cook mode: the load and
    // swing texts of the file go into RLoad and TxVin again (every Cook-mode
    // refresh puts the family's default swing into TxVin).
    void designTextsRestored(const QString& loadText, const QString& vinText);
    void projectNameChanged(const QString& fileName);
    void refreshRequested();
    void message(const QString& text, zov::gui::MessageIcon icon);

private:
    // Places the file's operating point again when the window now shows a
    // stage design (Cook mode, SE or PP) and the file holds one.
    void restoreOperatingPoint(const ProjectSettings& loaded);
    void recordRecentProject(const QString& path, bool reportFailure);
    void setProjectFile(const QString& path);

    Workspace& m_ws;
    FileChooser m_fileChooser;
    std::optional<ProgramFolders> m_folders;
    bool m_recordsRecent = true;
};

}  // namespace zov::gui
