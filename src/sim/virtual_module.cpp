#include "sim/virtual_module.h"

#include "measure/module_protocol.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace zov {

namespace {

// One byte on a 2400-baud line with start and stop bit: 10 bits.
constexpr qint64 kByteTimeNs = 10LL * 1000000000LL / 2400;
// The hang-up fault cuts the voltage block after half of it.
constexpr int kHangupAfterBytes = 64;
// The short-block fault sends this many bytes of the current block.
constexpr int kShortBlockBytes = 100;
// The bad-byte fault corrupts this sample of the voltage block.
constexpr int kBadSample = 10;

const char* const kFaults[] = {"silent", "short-block", "bad-byte", "slow", "hangup"};

}  // namespace

VirtualModule::VirtualModule(const VirtualModuleOptions& options, QObject* parent)
    : QObject(parent)
    , m_options(options)
{
    m_sendTimer.setSingleShot(true);
    m_sendTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_sendTimer, &QTimer::timeout, this, &VirtualModule::pump);
    m_noise = options.noiseSeed.has_value();
    if (m_noise)
        m_random.seed(*options.noiseSeed);
}

VirtualModule::~VirtualModule()
{
    closePty();
}

QStringList VirtualModule::tubeNames()
{
    return TubeModel::names();
}

QStringList VirtualModule::faultNames()
{
    QStringList out;
    for (const char* f : kFaults)
        out << QString::fromLatin1(f);
    return out;
}

bool VirtualModule::start(QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const std::optional<TubeModel> tube = TubeModel::find(m_options.tube);
    if (!tube)
        return fail(QStringLiteral("unknown tube '%1' (known: %2)")
                        .arg(m_options.tube, tubeNames().join(QStringLiteral(", "))));
    m_tube = *tube;
    if (!m_options.fault.isEmpty() && !faultNames().contains(m_options.fault))
        return fail(QStringLiteral("unknown fault '%1' (known: %2)")
                        .arg(m_options.fault, faultNames().join(QStringLiteral(", "))));
    m_clock.start();
    return openPty(error);
}

void VirtualModule::stop()
{
    closePty();
}

bool VirtualModule::openPty(QString* error)
{
    const auto fail = [this, error](const char* what) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
        closePty();
        return false;
    };
    m_masterFd = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_masterFd < 0)
        return fail("posix_openpt");
    if (::grantpt(m_masterFd) != 0 || ::unlockpt(m_masterFd) != 0)
        return fail("grantpt/unlockpt");
    char name[128] = {};
    if (::ptsname_r(m_masterFd, name, sizeof name) != 0)
        return fail("ptsname");
    // Our own descriptor of the slave side: while it is open the pty survives
    // the application closing and reopening the device for every exchange.
    m_slaveFd = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slaveFd < 0)
        return fail("open slave");
    termios tio{};
    if (::tcgetattr(m_slaveFd, &tio) != 0)
        return fail("tcgetattr");
    ::cfmakeraw(&tio);  // binary bytes, no echo, no line editing
    ::cfsetispeed(&tio, B2400);
    ::cfsetospeed(&tio, B2400);
    if (::tcsetattr(m_slaveFd, TCSANOW, &tio) != 0)
        return fail("tcsetattr");
    const int flags = ::fcntl(m_masterFd, F_GETFL);
    ::fcntl(m_masterFd, F_SETFL, flags | O_NONBLOCK);
    m_devicePath = QString::fromLocal8Bit(name);
    m_notifier = std::make_unique<QSocketNotifier>(m_masterFd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &VirtualModule::onReadable);
    m_state = State::Idle;
    return true;
}

void VirtualModule::closePty()
{
    m_sendTimer.stop();
    m_notifier.reset();
    if (m_masterFd >= 0)
        ::close(m_masterFd);
    if (m_slaveFd >= 0)
        ::close(m_slaveFd);
    m_masterFd = -1;
    m_slaveFd = -1;
    m_out.clear();
    m_hangupPending = false;
    m_state = State::Idle;
}

void VirtualModule::onReadable()
{
    unsigned char buf[256];
    const ssize_t n = ::read(m_masterFd, buf, sizeof buf);
    if (n <= 0)
        return;
    for (ssize_t i = 0; i < n; ++i)
        onByte(buf[i]);
}

void VirtualModule::onByte(quint8 byte)
{
    m_received.append({byte, clockNs()});
    emit byteReceived(byte);

    // An 'e' always starts a new exchange, whatever state an earlier, broken one
    // left behind: the parameter bytes (4 or 32, then 150..212) are never 'e'.
    if (byte == protocol::kStartByte) {
        m_sendTimer.stop();
        m_out.clear();
        m_hangupPending = false;
        // Drop anything of an aborted exchange the application has not read.
        ::tcflush(m_slaveFd, TCIFLUSH);
        m_state = State::AwaitRange;
        ++m_exchangesStarted;
        const auto counts = voltageCounts();
        const auto bytes = protocol::encodeBlock(counts);
        QByteArray block(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
        if (faultIs("bad-byte"))
            block[2 * kBadSample] = char(0x80);
        if (faultIs("hangup")) {
            block.truncate(kHangupAfterBytes);
            m_hangupPending = true;
        }
        queueBlock(block);
        return;
    }
    switch (m_state) {
    case State::Idle:
        break;  // noise on the line between exchanges
    case State::AwaitRange:
        m_rangeDivisor = byte;
        m_state = State::AwaitGrid;
        break;
    case State::AwaitGrid: {
        m_state = State::AwaitEnd;
        const auto bytes = protocol::encodeBlock(currentCounts(m_rangeDivisor, byte));
        QByteArray block(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
        if (faultIs("short-block"))
            block.truncate(kShortBlockBytes);
        queueBlock(block);
        break;
    }
    case State::AwaitEnd:
        if (byte == protocol::kEndByte) {
            m_state = State::Idle;
            ++m_exchangesServed;
            emit exchangeServed();
        }
        break;
    }
}

std::array<int, 64> VirtualModule::voltageCounts()
{
    std::array<int, 64> counts{};
    for (int k = 0; k < 64; ++k) {
        const double ua = kMaxAnodeVolts * k / 63.0;
        counts[k] = k == 0 ? 0 : noisy(ua / protocol::kVoltsPerCount);
    }
    return counts;
}

std::array<int, 64> VirtualModule::currentCounts(int rangeDivisor, int gridCode)
{
    // The voltage the module "measured" for sample k, without noise.
    const double vg1 = -(gridCode - 150) / 2.0;
    std::array<int, 64> counts{};
    for (int k = 0; k < 64; ++k) {
        const double ua = std::round(kMaxAnodeVolts * k / 63.0 / protocol::kVoltsPerCount) * protocol::kVoltsPerCount;
        const double ia = m_tube.anodeCurrent(ua, vg1);
        counts[k] = ia > 0.0 ? noisy(ia * protocol::kCountsPerUnitCurrent * rangeDivisor) : 0;
    }
    return counts;
}

int VirtualModule::noisy(double counts)
{
    if (m_noise) {
        std::normal_distribution<double> lsb(0.0, 0.7);
        counts += lsb(m_random);
    }
    return std::clamp(static_cast<int>(std::lround(counts)), 0, kFullScaleCounts);
}

bool VirtualModule::faultIs(const char* fault) const
{
    return m_exchangesStarted > m_options.healthyExchanges && m_options.fault == QLatin1String(fault);
}

void VirtualModule::queueBlock(const QByteArray& block)
{
    if (faultIs("silent"))
        return;
    const qint64 now = clockNs();
    if (m_out.isEmpty()) {
        m_notBeforeNs = now;
        if (faultIs("slow"))
            m_notBeforeNs += qint64(m_options.slowDelayMs) * 1000000;
        m_nextByteNs = std::max(m_nextByteNs, m_notBeforeNs);
    }
    m_out.append(block);
    pump();
}

void VirtualModule::pump()
{
    if (m_masterFd < 0)
        return;
    const qint64 now = clockNs();
    if (now < m_notBeforeNs) {
        m_sendTimer.start(int((m_notBeforeNs - now + 999999) / 1000000));
        return;
    }
    qsizetype allowed = m_out.size();
    int nextMs = 0;
    if (m_options.pacing) {
        m_nextByteNs = std::max(m_nextByteNs, now - kByteTimeNs);
        allowed = 0;
        while (allowed < m_out.size() && m_nextByteNs <= now) {
            ++allowed;
            m_nextByteNs += kByteTimeNs;
        }
        nextMs = int(std::max<qint64>(1, (m_nextByteNs - now + 999999) / 1000000));
    } else if (m_options.chunkBytes > 0) {
        allowed = std::min<qsizetype>(m_out.size(), m_options.chunkBytes);
        nextMs = std::max(0, m_options.chunkGapMs);
    }
    if (allowed > 0) {
        const ssize_t written = ::write(m_masterFd, m_out.constData(), size_t(allowed));
        if (written > 0)
            m_out.remove(0, written);
        else if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            m_out.clear();
    }
    if (!m_out.isEmpty()) {
        m_sendTimer.start(nextMs);
        return;
    }
    if (m_hangupPending) {
        m_hangupPending = false;
        // Not from inside this call: it may run in the notifier's own signal,
        // and the hang-up deletes that notifier.
        QMetaObject::invokeMethod(this, &VirtualModule::hangUp, Qt::QueuedConnection);
    }
}

void VirtualModule::hangUp()
{
    // Closing every descriptor of the master side hangs the line up: the
    // application's reads then fail. The module comes back on a fresh device.
    closePty();
    emit hungUp();
    if (openPty(nullptr))
        emit devicePathChanged(m_devicePath);
}

}  // namespace zov
