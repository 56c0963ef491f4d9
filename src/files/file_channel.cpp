#include "files/file_channel.h"

#include "files/paths.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <map>
#include <memory>
#include <mutex>

namespace zov {

namespace {

struct Registry {
    std::mutex mutex;
    std::map<int, std::unique_ptr<QFile>> files;

    // The lowest free number above 0: small numbers, and 0 stays free to
    // mean "no file" for the callers.
    int nextFreeNumber() const
    {
        int n = 1;
        for (const auto& entry : files) {
            if (entry.first != n)
                break;
            ++n;
        }
        return n;
    }
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

enum class Way { Unknown, Read, Write, Append, ReadWrite };

struct OpenRule {
    Way way = Way::Unknown;
    bool mustExist = false;
};

OpenRule ruleFor(const QString& mode)
{
    const QString m = mode.toUpper();
    if (m == QLatin1String("INPUT") || m == QLatin1String("READ") || m == QLatin1String("R"))
        return {Way::Read, true};
    if (m == QLatin1String("OUTPUT") || m == QLatin1String("WRITE") || m == QLatin1String("W"))
        return {Way::Write, false};
    if (m == QLatin1String("APPEND") || m == QLatin1String("A"))
        return {Way::Append, false};
    if (m == QLatin1String("BINARY") || m == QLatin1String("B"))
        return {Way::ReadWrite, false};
    if (m == QLatin1String("READBINARY") || m == QLatin1String("RB"))
        return {Way::Read, true};
    if (m == QLatin1String("WRITEBINARY") || m == QLatin1String("WB"))
        return {Way::ReadWrite, false};
    return {};
}

QIODevice::OpenMode openModeFor(Way way)
{
    switch (way) {
    case Way::Read:
        return QIODevice::ReadOnly;
    case Way::Write:
        return QIODevice::WriteOnly | QIODevice::Truncate;
    case Way::Append:
        return QIODevice::WriteOnly | QIODevice::Append;
    case Way::ReadWrite:
    case Way::Unknown:
        break;
    }
    return QIODevice::ReadWrite;
}

// Runs `attempt` until it succeeds or the window has passed. QElapsedTimer is
// monotonic, so the wrap-around of a tick counter cannot end the wait early or
// late.
template <typename Attempt>
bool retryWithin(int retryMs, Attempt attempt)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (attempt())
            return true;
        if (clock.elapsed() >= retryMs)
            return false;
        QThread::msleep(1);
    }
}

}  // namespace

int OpenFile(const QString& path, QString& mode, int retryMs)
{
    const OpenRule rule = ruleFor(mode);
    if (rule.way == Way::Unknown) {
        mode = QStringLiteral("Unknow mode");
        return 0;
    }
    if (path.isEmpty())
        return 0;
    auto file = std::make_unique<QFile>(path);
    bool missing = false;
    const bool opened = retryWithin(retryMs, [&] {
        if (rule.mustExist && !FileExists(path)) {
            missing = true;
            return true;  // stop at once
        }
        return file->open(openModeFor(rule.way));
    });
    if (!opened || missing)
        return 0;
    Registry& r = registry();
    const std::lock_guard<std::mutex> lock(r.mutex);
    const int number = r.nextFreeNumber();
    r.files.emplace(number, std::move(file));
    return number;
}

bool CloseFile(int fileNumber, int retryMs)
{
    std::unique_ptr<QFile> file;
    {
        Registry& r = registry();
        const std::lock_guard<std::mutex> lock(r.mutex);
        const auto it = r.files.find(fileNumber);
        if (it == r.files.end())
            return false;
        file = std::move(it->second);
        r.files.erase(it);
    }
    const bool flushed = !file->isWritable() || retryWithin(retryMs, [&] { return file->flush(); });
    file->close();
    return flushed && file->error() == QFileDevice::NoError;
}

QFile* channelFile(int fileNumber)
{
    Registry& r = registry();
    const std::lock_guard<std::mutex> lock(r.mutex);
    const auto it = r.files.find(fileNumber);
    return it == r.files.end() ? nullptr : it->second.get();
}

int openChannelCount()
{
    Registry& r = registry();
    const std::lock_guard<std::mutex> lock(r.mutex);
    return static_cast<int>(r.files.size());
}

bool readWholeFile(const QString& path, QByteArray& bytes, QString* error)
{
    QString mode = QStringLiteral("RB");
    const int channel = OpenFile(path, mode, kFileRetryMs);
    if (channel == 0) {
        if (error != nullptr)
            *error = FileExists(path) ? QStringLiteral("cannot open the file") : QStringLiteral("no such file");
        return false;
    }
    QFile* file = channelFile(channel);
    bytes = file->readAll();
    const bool ok = file->error() == QFileDevice::NoError;
    if (!ok && error != nullptr)
        *error = file->errorString();
    CloseFile(channel, kFileRetryMs);
    return ok;
}

}  // namespace zov
