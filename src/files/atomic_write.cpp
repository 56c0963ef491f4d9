#include "files/atomic_write.h"

#include <QSaveFile>

namespace zov {

namespace {

QString& injectedFailure()
{
    static QString reason;
    return reason;
}

}  // namespace

void setInjectedWriteFailure(const QString& reason)
{
    injectedFailure() = reason;
}

FileResult replaceFileAtomically(const QString& path, std::string_view bytes)
{
    if (path.isEmpty())
        return {false, QStringLiteral("no file name")};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, file.errorString()};
    const qint64 size = static_cast<qint64>(bytes.size());
    if (size > 0 && file.write(bytes.data(), size) != size) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return {false, reason};
    }
    if (!injectedFailure().isEmpty()) {
        file.cancelWriting();
        file.commit();  // discards the temporary file
        return {false, injectedFailure()};
    }
    if (!file.commit())
        return {false, file.errorString()};
    return {true, QString()};
}

}  // namespace zov
