#pragma once
// The serial link to the Hardware Module: one exchange per AcquireCurve, as an
// asynchronous state machine on the caller's thread. The port is opened for the
// exchange and closed again before the result is reported.
//
//   closed -> open, send 'e' -> wait -> read 128 bytes -> send range, grid code
//   -> wait -> read 128 bytes -> send 'i' -> closed
//
// The waits are timer states (the event loop keeps running, nothing spins), and
// they are never shortened when the data arrive early: the module is given its
// full time to sweep the anode.

#include "measure/module_protocol.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <memory>

namespace zov {

class ModuleLink : public QObject {
    Q_OBJECT
public:
    using SampleBlock = protocol::SampleBlock;
    static constexpr int kDefaultWaitMs = 1000;

    explicit ModuleLink(QObject* parent = nullptr);
    ~ModuleLink() override;

    // The port for the next exchanges: "COM1".."COM4" or a device path; empty
    // means no port selected (the exchange then fails silently, nothing opened).
    void setPortName(const QString& name);
    QString portName() const { return m_portName; }
    // Length of each of the two waits; tests shorten it, the module needs 1000.
    void setWaitMs(int ms);
    int waitMs() const { return m_waitMs; }

    // Starts one exchange. Returns false (and does nothing) while another one
    // runs. The result always arrives later through finished(), never from
    // inside this call.
    bool AcquireCurve(int rangeDivisor, int gridCode);
    bool isBusy() const { return m_state != State::Idle; }
    bool isPortOpen() const { return m_port && m_port->isOpen(); }

signals:
    // Emitted once per exchange, after the port is closed. On failure the
    // blocks hold whatever was decoded before the fault and must not be used.
    void finished(bool ok, zov::protocol::SampleBlock uaVolts, zov::protocol::SampleBlock iaAmps);
    // Emitted just before finished(false, ...) when the failure has a message
    // for the user (every failure except "no port selected").
    void failed(const QString& message);
    // Emitted when one of the two waits ends and its block is read, with the
    // wait's length on the link's own monotonic clock, from the moment the
    // byte that started it left. Never less than waitMs(): the module is
    // still measuring until then.
    void waitEnded(qint64 elapsedNs);

private:
    enum class State { Idle, WaitVoltages, WaitCurrents, Failing };

    void startWait(State next);
    void onTimer();
    void onPortError(QSerialPort::SerialPortError error);
    bool send(const char* bytes, qint64 count);
    bool readBlock(QByteArray* block);
    void fail(bool withMessage);
    void complete(bool ok, bool withMessage);

    QString m_portName;
    int m_waitMs = kDefaultWaitMs;
    State m_state = State::Idle;
    int m_rangeDivisor = protocol::kRangeDivisor256mA;
    int m_gridCode = 150;
    QTimer m_timer;
    QElapsedTimer m_waitClock;  // monotonic
    std::unique_ptr<QSerialPort> m_port;
    SampleBlock m_ua{};
    SampleBlock m_ia{};
};

}  // namespace zov
