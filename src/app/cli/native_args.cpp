#include "app/cli/native_args.h"

#include <QFile>
#include <QList>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace zov::cli {

namespace {

QList<QByteArray>& keptArguments()
{
    static QList<QByteArray> arguments;
    return arguments;
}

}  // namespace

void keepNativeArguments(int argc, char** argv)
{
    QList<QByteArray>& kept = keptArguments();
    kept.clear();
    for (int k = 0; k < argc; ++k)
        kept.append(QByteArray(argv[k]));
}

QByteArray nativeArgument(const QString& argument)
{
    for (const QByteArray& raw : keptArguments())
        if (QFile::decodeName(raw) == argument)
            return raw;
    return QFile::encodeName(argument);
}

std::optional<QByteArray> readArgumentFile(const QString& argument, QString* reason)
{
    const QByteArray name = nativeArgument(argument);
    // Opened by its bytes; QFile then reads from the descriptor.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (reason)
            *reason = QString::fromLocal8Bit(std::strerror(errno));
        return std::nullopt;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        if (reason)
            *reason = file.errorString();
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (reason)
            *reason = file.errorString();
        return std::nullopt;
    }
    return bytes;
}

bool nameSurvivesDecoding(const QString& argument)
{
    return QFile::encodeName(argument) == nativeArgument(argument);
}

QString inputPath(const QString& argument)
{
    if (nameSurvivesDecoding(argument))
        return argument;
    const QByteArray name = nativeArgument(argument);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return argument;
    return QStringLiteral("/proc/self/fd/%1").arg(fd);
}

}  // namespace zov::cli
