#include "files/program_folder.h"

#include "files/ini_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace zov {

namespace {

QString inFolder(const QString& folder, const char* name)
{
    return folder + QLatin1Char('/') + QString::fromLatin1(name);
}

}  // namespace

ProgramFolders runningProgramFolders()
{
    ProgramFolders folders;
    folders.executable = QCoreApplication::applicationDirPath();
    folders.user = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    return folders;
}

bool isFolderWritable(const QString& folder)
{
    if (folder.isEmpty() || !QDir(folder).exists())
        return false;
    QTemporaryFile probe(folder + QStringLiteral("/.zov-write-probe-XXXXXX"));
    return probe.open();  // removed again when `probe` goes
}

bool isInstalledFolder(const QString& folder)
{
    if (folder.isEmpty())
        return false;
    const QString path = QFileInfo(folder).canonicalFilePath();
    const QString absolute = path.isEmpty() ? QDir::cleanPath(QDir(folder).absolutePath()) : path;
    // The folders of the system's own programs, where a package puts them.
    for (const char* system : {"/usr/bin", "/usr/local/bin", "/bin", "/usr/sbin", "/usr/local/sbin", "/sbin",
                               "/usr/games", "/usr/local/games"}) {
        if (absolute == QLatin1String(system))
            return true;
    }
    return QFileInfo::exists(absolute + QStringLiteral("/../share/applications/") +
                             QString::fromLatin1(kDesktopEntryName));
}

namespace {

bool executableIsProgramFolder(const ProgramFolders& folders)
{
    return isFolderWritable(folders.executable) && !isInstalledFolder(folders.executable);
}

}  // namespace

QString programFolder(const ProgramFolders& folders)
{
    if (executableIsProgramFolder(folders))
        return folders.executable;
    if (!folders.user.isEmpty())
        QDir().mkpath(folders.user);
    return folders.user;
}

QString firstDialogFolder(const ProgramFolders& folders)
{
    return executableIsProgramFolder(folders) ? folders.executable : QDir::homePath();
}

QString recentFilePath(const ProgramFolders& folders)
{
    return inFolder(programFolder(folders), kRecentFileName);
}

QString defaultProjectPath(const ProgramFolders& folders)
{
    if (!folders.user.isEmpty()) {
        const QString own = inFolder(folders.user, kDefaultProjectName);
        if (QFile::exists(own))
            return own;
    }
    return inFolder(folders.executable, kDefaultProjectName);
}

QString readLastProject(const QString& recentFile)
{
    return ReadIni(recentFile, QStringLiteral("LAST"), QStringLiteral("Last"));
}

FileResult writeLastProject(const QString& recentFile, const QString& projectPath)
{
    QByteArray value = projectPath.toUtf8();
    value.replace('\r', ' ');
    value.replace('\n', ' ');
    return updateIniFile(recentFile, [&](std::string_view old) {
        return writeIniValue(old, "LAST", "Last", std::string_view(value.constData(), static_cast<std::size_t>(value.size())));
    });
}

QString startupProjectPath(const QString& commandLinePath, const ProgramFolders& folders)
{
    if (!commandLinePath.isEmpty())
        return commandLinePath;
    const QString last = readLastProject(recentFilePath(folders));
    if (!last.isEmpty())
        return last;
    return defaultProjectPath(folders);
}

}  // namespace zov
