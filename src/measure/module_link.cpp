#include "measure/module_link.h"

#include "measure/measure_messages.h"
#include "measure/port_list.h"

namespace zov {

ModuleLink::ModuleLink(QObject* parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    // A coarse timer may fire up to 5 % early; the wait must never end early.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ModuleLink::onTimer);
}

ModuleLink::~ModuleLink()
{
    if (m_port && m_port->isOpen())
        m_port->close();
}

void ModuleLink::setPortName(const QString& name)
{
    m_portName = name;
}

void ModuleLink::setWaitMs(int ms)
{
    m_waitMs = qMax(0, ms);
}

bool ModuleLink::AcquireCurve(int rangeDivisor, int gridCode)
{
    if (m_state != State::Idle)
        return false;
    m_rangeDivisor = rangeDivisor;
    m_gridCode = gridCode;
    m_ua.fill(0.0F);
    m_ia.fill(0.0F);

    if (m_portName.isEmpty()) {
        // No port selected: a quiet failure, and no port is touched.
        m_state = State::Failing;
        QMetaObject::invokeMethod(this, [this] { complete(false, false); }, Qt::QueuedConnection);
        return true;
    }

    m_port = std::make_unique<QSerialPort>();
    m_port->setPortName(resolvePortName(m_portName));
    // The module talks 2400 baud, 8 data bits, no parity, 1 stop bit and uses no
    // handshake lines. The control lines are left as the driver sets them: on a
    // pseudo-terminal setting DTR/RTS fails ("Inappropriate ioctl"), and the
    // module does not need them.
    m_port->setBaudRate(QSerialPort::Baud2400);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port->open(QIODevice::ReadWrite)) {
        m_state = State::Failing;
        QMetaObject::invokeMethod(this, [this] { complete(false, true); }, Qt::QueuedConnection);
        return true;
    }
    // Connected after open so that errors of the open itself are handled above.
    connect(m_port.get(), &QSerialPort::errorOccurred, this, &ModuleLink::onPortError);
    // Bytes left from an earlier, broken exchange must not be read as samples.
    m_port->clear(QSerialPort::AllDirections);

    const char start = static_cast<char>(protocol::kStartByte);
    if (!send(&start, 1)) {
        m_state = State::Failing;
        QMetaObject::invokeMethod(this, [this] { complete(false, true); }, Qt::QueuedConnection);
        return true;
    }
    startWait(State::WaitVoltages);
    return true;
}

void ModuleLink::startWait(State next)
{
    m_state = next;
    m_waitClock.start();
    m_timer.start(m_waitMs);
}

bool ModuleLink::send(const char* bytes, qint64 count)
{
    if (!m_port || !m_port->isOpen() || m_port->write(bytes, count) != count)
        return false;
    // Hand the bytes to the driver now (flush() does not block), so that a wait
    // started after a send is measured from the moment the byte left, and the
    // closing 'i' is not dropped by close().
    m_port->flush();
    return true;
}

bool ModuleLink::readBlock(QByteArray* block)
{
    *block = m_port->read(protocol::kBlockBytes);
    return block->size() == protocol::kBlockBytes;
}

void ModuleLink::onTimer()
{
    if (m_state != State::WaitVoltages && m_state != State::WaitCurrents)
        return;
    // Re-arm when the timer fired before the full wait on the monotonic clock.
    const qint64 elapsedNs = m_waitClock.nsecsElapsed();
    const qint64 remainingNs = qint64(m_waitMs) * 1000000 - elapsedNs;
    if (remainingNs > 0) {
        m_timer.start(int((remainingNs + 999999) / 1000000));
        return;
    }
    emit waitEnded(elapsedNs);

    QByteArray block;
    const bool full = readBlock(&block);
    const auto bytes = std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(block.constData()), std::size_t(block.size()));

    if (m_state == State::WaitVoltages) {
        const protocol::BlockDecode decoded = protocol::decodeVoltageBlock(bytes);
        std::copy_n(decoded.values.begin(), decoded.decoded, m_ua.begin());
        if (!full || !decoded.ok) {
            fail(true);
            return;
        }
        const auto params = protocol::parameterBytes(m_rangeDivisor, m_gridCode);
        // Two separate writes, range first.
        if (!send(reinterpret_cast<const char*>(&params[0]), 1)
            || !send(reinterpret_cast<const char*>(&params[1]), 1)) {
            fail(true);
            return;
        }
        startWait(State::WaitCurrents);
        return;
    }

    const protocol::BlockDecode decoded = protocol::decodeCurrentBlock(bytes, m_rangeDivisor);
    std::copy_n(decoded.values.begin(), decoded.decoded, m_ia.begin());
    if (!full || !decoded.ok) {
        fail(true);
        return;
    }
    const char end = static_cast<char>(protocol::kEndByte);
    if (!send(&end, 1)) {
        fail(true);
        return;
    }
    complete(true, false);
}

void ModuleLink::onPortError(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
    case QSerialPort::WriteError:
        // The other end hung up or the device went away; a hang-up keeps
        // raising ReadErrors until the port is closed.
        if (m_state == State::WaitVoltages || m_state == State::WaitCurrents)
            fail(true);
        else if (m_port && m_port->isOpen())
            m_port->close();
        break;
    default:
        // DTR/RTS and similar settings a pseudo-terminal refuses are harmless.
        break;
    }
}

void ModuleLink::fail(bool withMessage)
{
    m_timer.stop();
    complete(false, withMessage);
}

void ModuleLink::complete(bool ok, bool withMessage)
{
    m_timer.stop();
    if (m_port) {
        disconnect(m_port.get(), nullptr, this, nullptr);
        if (m_port->isOpen())
            m_port->close();
        // Deleted later: this may run inside one of the port's own signals.
        m_port.release()->deleteLater();
    }
    m_state = State::Idle;
    const SampleBlock ua = m_ua;
    const SampleBlock ia = m_ia;
    if (!ok && withMessage)
        emit failed(QString::fromLatin1(messages::kDialogFailed));
    emit finished(ok, ua, ia);
}

}  // namespace zov
