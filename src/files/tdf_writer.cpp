// "Save as ...", "Add to ..." and "Load a background ...": the data side.

#include "files/file_channel.h"
#include "files/files_messages.h"
#include "files/paths.h"
#include "files/program_folder.h"
#include "files/tdf_file.h"

#include <QFile>

#include <string>

namespace zov {

FileResult writeTdfText(const QString& path, std::string_view curveText, TdfWriteMode mode)
{
    if (path.isEmpty())
        return {};
    std::string bytes;
    if (mode == TdfWriteMode::Append && FileExists(path)) {
        // The old content is copied into the new file, so the append is as
        // atomic as a replace: a failure leaves the file as it was.
        QByteArray old;
        QString reason;
        if (!readWholeFile(path, old, &reason))
            return {false, QStringLiteral("cannot read the existing file: ") + reason};
        bytes.reserve(static_cast<std::size_t>(old.size()) + curveText.size() + 2);
        bytes.append(old.constData(), static_cast<std::size_t>(old.size()));
    }
    bytes.append(curveText);
    bytes.append("\r\n");
    return replaceFileAtomically(path, bytes);
}

QString prepareTdfSaveFolder(Workspace& ws)
{
    if (ws.TdfFolder.isEmpty())
        ws.TdfFolder = firstDialogFolder(runningProgramFolders());
    return ws.TdfFolder;
}

FileResult saveCurveText(Workspace& ws, const QString& path, TdfWriteMode mode)
{
    ws.TdfFile = path;
    if (path.isEmpty())
        return {};
    if (ws.CurveText.empty())
        return {false, msg::kNoDataToSave};
    FileResult result = writeTdfText(path, ws.CurveText, mode);
    if (!result.ok)
        return result;
    ws.CurveText.clear();
    ws.TdfFolder = FolderOf(path);
    return result;
}

bool loadBackgroundFile(Workspace& ws, const QString& path)
{
    if (path.isEmpty())
        return false;
    ws.TdfFolder = FolderOf(path);
    QByteArray bytes;
    if (!readWholeFile(path, bytes))
        return false;
    ws.BackgroundText.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

}  // namespace zov
