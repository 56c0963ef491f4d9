#pragma once
// A small tmpfs mounted by a test, to meet real file-system faults: root
// ignores permission bits, so a read-only or full file system must be a real
// one. Mounting needs root; mounted() says whether it worked and why() why
// not. The mount is detached when the object goes, however the test ends, and
// the process first takes a mount namespace of its own where the kernel lets
// it, so that even a crash leaves no mount behind on the machine.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace zov::testing {

class ScratchMount {
public:
    ScratchMount(const QString& dir, int bytes)
        : m_dir(QFile::encodeName(dir))
    {
        static const bool privateMounts = ::unshare(CLONE_NEWNS) == 0
            && ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        (void)privateMounts;
        const QByteArray options = "size=" + QByteArray::number(bytes);
        m_mounted = ::geteuid() == 0 && ::mount("zov-test", m_dir.constData(), "tmpfs", 0, options.constData()) == 0;
        if (!m_mounted)
            m_why = ::geteuid() != 0 ? "not root" : std::strerror(errno);
    }
    ~ScratchMount()
    {
        if (m_mounted)
            ::umount2(m_dir.constData(), MNT_DETACH);
    }
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    bool mounted() const { return m_mounted; }
    std::string why() const { return m_why; }
    bool makeReadOnly() const
    {
        return ::mount(nullptr, m_dir.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    // Fills the file system to the last byte with a file named "filler".
    bool fill() const
    {
        QFile filler(QFile::decodeName(m_dir) + "/filler");
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(4096, 'x');
        while (filler.write(block) > 0) {
        }
        return filler.error() != QFileDevice::NoError;
    }

private:
    QByteArray m_dir;
    bool m_mounted = false;
    std::string m_why;
};

}  // namespace zov::testing
