#include "app/gui/project_controller.h"

#include "core/curve_store.h"
#include "files/files_messages.h"
#include "files/paths.h"

namespace zov::gui {

ProjectController::ProjectController(Workspace& ws, QObject* parent)
    : QObject(parent)
    , m_ws(ws)
{
}

void ProjectController::setFileChooser(FileChooser chooser)
{
    m_fileChooser = std::move(chooser);
}

void ProjectController::setProgramFolders(const ProgramFolders& folders)
{
    m_folders = folders;
}

ProgramFolders ProjectController::programFolders() const
{
    return m_folders ? *m_folders : runningProgramFolders();
}

void ProjectController::loadStartupProject(const QString& projectPath)
{
    const ProjectSettings loaded = LoadProject(startupProjectPath(projectPath, programFolders()));
    // As after a recall: the mode switch's refresh put the family's default
    // swing into TxVin, and the design is to be the one that was saved.
    if (m_ws.ModeName == WorkMode::Cook)
        emit designTextsRestored(loaded.LoadText, loaded.VinText);
    restoreOperatingPoint(loaded);
}

void ProjectController::Mnu_Export_Pref_Click()
{
    if (!m_fileChooser)
        return;
    // The preset is the current project's name, so the dialog's filter
    // offers that file's extension; a first save starts in the program's
    // folder (the user's home for an installed program).
    const QString folder = m_ws.ProjectFolder.isEmpty() ? firstDialogFolder(programFolders()) : m_ws.ProjectFolder;
    const QString path = m_fileChooser(QStringLiteral("Save"), msg::kSaveProjectTitle, FileNameOf(m_ws.ProjectFile), folder);
    if (path.isEmpty())
        return;
    SaveProject(path);
}

void ProjectController::Mnu_Import_Pref_Click()
{
    if (!m_fileChooser)
        return;
    const QString path = m_fileChooser(QStringLiteral("Open"), msg::kLoadProjectTitle, msg::kProjectPattern,
                                       m_ws.ProjectFolder);
    if (path.isEmpty())
        return;
    const ProjectSettings loaded = LoadProject(path);
    // The operating point of the project left behind is forgotten.
    m_ws.OpCurve.Drawn = false;
    emit refreshRequested();
    if (m_ws.ModeName == WorkMode::Cook)
        emit designTextsRestored(loaded.LoadText, loaded.VinText);
    restoreOperatingPoint(loaded);
}

ProjectSettings ProjectController::LoadProject(const QString& path)
{
    const ProjectSettings settings = loadProjectFile(path);
    applyToWorkspace(settings, m_ws);
    emit settingsLoaded(settings);
    recordRecentProject(path, false);
    setProjectFile(path);
    return settings;
}

bool ProjectController::SaveProject(const QString& path)
{
    ProjectSettings settings;
    emit settingsWanted(settings);
    takeFromWorkspace(m_ws, settings);
    settings.ProjectFolder = projectFolderAfterSave(m_ws.ProjectFolder, path);
    const FileResult written = saveProjectFile(path, settings);
    if (!written.ok) {
        // Nothing changes: the file keeps what it had, and the window still
        // names the project it came from.
        emit message(msg::writeFailed(path, written.error), MessageIcon::Critical);
        return false;
    }
    m_ws.ProjectFolder = settings.ProjectFolder;
    recordRecentProject(path, true);
    setProjectFile(path);
    return true;
}

void ProjectController::restoreOperatingPoint(const ProjectSettings& loaded)
{
    if (m_ws.ModeName != WorkMode::Cook || !hasOperatingPoint(loaded))
        return;
    // Only a stage design has an operating point: in "Match" and "Diff (a-b)"
    // a click places none, so a stored one is not placed either.
    ProjectSettings now;
    emit settingsWanted(now);
    if (now.Option != QStringLiteral("SE") && now.Option != QStringLiteral("PP"))
        return;
    emit operatingPointRestored(loaded.OperatingUa, loaded.OperatingIaMa);
}

void ProjectController::recordRecentProject(const QString& path, bool reportFailure)
{
    if (!m_recordsRecent)
        return;
    const QString recentFile = recentFilePath(programFolders());
    const FileResult written = writeLastProject(recentFile, path);
    // At start-up a failure stays silent (the next start simply opens the
    // default project); after a save the user learns that it will.
    if (!written.ok && reportFailure)
        emit message(msg::writeFailed(recentFile, written.error), MessageIcon::Critical);
}

void ProjectController::setProjectFile(const QString& path)
{
    m_ws.ProjectFile = path;
    emit projectNameChanged(FileNameOf(path));
}

}  // namespace zov::gui
