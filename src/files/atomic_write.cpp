#include "files/atomic_write.h"

#include <QFile>
#include <QSaveFile>

#include <unistd.h>

#include <cerrno>
#include <cstring>

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

AtomicReplacement::AtomicReplacement(const QString& path)
{
    if (path.isEmpty()) {
        m_error = QStringLiteral("no file name");
        return;
    }
    // QSaveFile refuses a file it may not change in words that repeat the
    // path; the system's reason is shorter and says why ("Read-only file
    // system", "Permission denied", "Operation not permitted").
    const QByteArray native = QFile::encodeName(path);
    if (::access(native.constData(), F_OK) == 0 && ::access(native.constData(), W_OK) != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    m_file = std::make_unique<QSaveFile>(path);
    // Unbuffered: every write reaches the file system at once, so its error
    // is seen by the write that caused it.
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        m_error = m_file->errorString();
}

// An uncommitted QSaveFile removes its temporary file when destroyed.
AtomicReplacement::~AtomicReplacement() = default;

bool AtomicReplacement::write(std::string_view bytes)
{
    if (!m_error.isEmpty())
        return false;
    const auto size = static_cast<qint64>(bytes.size());
    if (size > 0 && m_file->write(bytes.data(), size) != size) {
        m_error = m_file->errorString();
        m_file->cancelWriting();
    }
    return m_error.isEmpty();
}

FileResult AtomicReplacement::commit()
{
    if (m_error.isEmpty() && !m_file->flush())
        m_error = m_file->errorString();
    // Some file systems (network ones, thin volumes) report a lack of space
    // or an I/O error only when the data are synced. EINVAL: this kind of
    // file cannot be synced, which is no failure of the data.
    if (m_error.isEmpty() && ::fdatasync(m_file->handle()) != 0 && errno != EINVAL)
        m_error = QString::fromLocal8Bit(std::strerror(errno));
    if (m_error.isEmpty() && !injectedFailure().isEmpty())
        m_error = injectedFailure();
    if (!m_error.isEmpty()) {
        if (m_file)
            m_file->cancelWriting();
        return {false, m_error};
    }
    if (!m_file->commit())
        return {false, m_file->errorString()};
    return {true, QString()};
}

FileResult replaceFileAtomically(const QString& path, std::string_view bytes)
{
    AtomicReplacement file(path);
    file.write(bytes);
    return file.commit();
}

}  // namespace zov
