#include "files/paths.h"

#include "core/text.h"

#include <QDateTime>
#include <QFileInfo>

namespace zov {

namespace {

QChar separatorOf(const QString& path)
{
    return path.contains(QLatin1Char('/')) ? QLatin1Char('/') : QLatin1Char('\\');
}

}  // namespace

QString FileNameOf(const QString& path)
{
    const qsizetype cut = path.lastIndexOf(separatorOf(path));
    return cut < 0 ? path : path.mid(cut + 1);
}

QString FolderOf(const QString& path)
{
    const qsizetype cut = path.lastIndexOf(separatorOf(path));
    return cut <= 0 ? QString() : path.left(cut);
}

QString ExtensionOf(const QString& path)
{
    const QByteArray name = FileNameOf(path).toUtf8();
    const std::string_view piece = GetField(std::string_view(name.constData(), static_cast<std::size_t>(name.size())), 2, ".");
    return QString::fromUtf8(piece.data(), static_cast<qsizetype>(piece.size()));
}

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

}  // namespace zov
