#pragma once
// The program's own folder and the two files that live there: the
// recently-used file "ZOV.mru" (section LAST, key Last: the project last
// loaded or saved) and the default project "DoNotErase.zov".
//
// Run from its build folder, the program keeps these files beside itself.
// Installed, it sits in a folder shared by every user of the machine
// (/usr/bin from the package): a user cannot write there, and root can but
// must not (the package manager owns that folder, and one recently-used file
// would serve every user). So the program's folder is the executable's
// folder only when it is writable and not an installed one, and otherwise
// the per-user configuration folder. The default project ships beside the
// executable; a user saves their own in the per-user folder, which is
// therefore looked at first.

#include "files/atomic_write.h"

#include <QString>

namespace zov {

inline constexpr char kRecentFileName[] = "ZOV.mru";
inline constexpr char kDefaultProjectName[] = "DoNotErase.zov";
// The menu entry an install puts in <prefix>/share/applications.
inline constexpr char kDesktopEntryName[] = "zovograph.desktop";

struct ProgramFolders {
    QString executable;  // the folder of the running executable
    QString user;        // the per-user configuration folder
};

// The folders of the running program: QCoreApplication's executable folder
// and QStandardPaths::AppConfigLocation. Needs a QCoreApplication.
ProgramFolders runningProgramFolders();

// True when a file can be created in `folder` (tried, not guessed from the
// permission bits, which do not bind every user).
bool isFolderWritable(const QString& folder);

// True when `folder` holds an installed program: it is one of the system's
// program folders (/usr/bin, /usr/local/bin, /bin ...), or the bin folder of
// an install prefix, recognised by the program's menu entry in
// ../share/applications. A build folder is neither, wherever it lies.
bool isInstalledFolder(const QString& folder);

// The executable's folder when it is writable and not installed, else the
// per-user folder (created when missing).
QString programFolder(const ProgramFolders& folders);

// Where a file dialog starts when no folder has been remembered yet: the
// executable's folder when it is the program's folder, else the user's home
// (an installed program's folder holds nothing of the user's).
QString firstDialogFolder(const ProgramFolders& folders);

// "ZOV.mru" in the program's folder.
QString recentFilePath(const ProgramFolders& folders);

// "DoNotErase.zov" in the per-user folder when it exists there, else beside
// the executable (whether or not it exists: a missing default project opens
// the window with the defaults of a missing file).
QString defaultProjectPath(const ProgramFolders& folders);

// The project named as Last in the recently-used file; empty when none.
QString readLastProject(const QString& recentFile);

// Records `projectPath` as Last in the recently-used file.
FileResult writeLastProject(const QString& recentFile, const QString& projectPath);

// The project start-up loads: the one named on the command line, else Last of
// the recently-used file, else the default project.
QString startupProjectPath(const QString& commandLinePath, const ProgramFolders& folders);

}  // namespace zov
