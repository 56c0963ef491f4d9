#pragma once
// The virtual Hardware Module: answers the module's exchange on a
// pseudo-terminal, so the whole serial path (QSerialPort included) runs
// without an instrument. Used in-process by the window and by
// `zov-cli simulate`, and by the tests.
//
// It sweeps the anode from 0 to 470 V in 64 samples and returns the currents
// of a Koren tube model at the requested grid voltage, scaled by the range
// byte and saturating at the module's 10-bit full scale (1023 counts).

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "sim/tube_model.h"

#include <array>
#include <memory>
#include <optional>
#include <random>

class QSocketNotifier;

namespace zov {

struct VirtualModuleOptions {
    QString tube = QStringLiteral("12AX7");  // one of VirtualModule::tubeNames()
    QString fault;                            // empty, or one of VirtualModule::faultNames()
    bool pacing = true;                       // bytes at the 2400-baud byte time (about 4.2 ms)
    std::optional<quint32> noiseSeed;         // set: add reproducible noise to the counts
    int chunkBytes = 0;                       // > 0 (pacing off): send in chunks of this size ...
    int chunkGapMs = 1;                       // ... with this gap between chunks
    int slowDelayMs = 1500;                   // the "slow" fault's delay before each block
    int healthyExchanges = 0;                 // exchanges served correctly before the fault sets in
};

class VirtualModule : public QObject {
    Q_OBJECT
public:
    static constexpr int kFullScaleCounts = 1023;  // 10-bit converter
    static constexpr double kMaxAnodeVolts = 470.0;

    struct ReceivedByte {
        quint8 value = 0;
        qint64 atNs = 0;  // on clockNs()
    };

    explicit VirtualModule(const VirtualModuleOptions& options, QObject* parent = nullptr);
    ~VirtualModule() override;

    // Creates the pseudo-terminal and starts serving. False with a reason in
    // *error for an unknown tube or fault, or when no pty can be made.
    bool start(QString* error = nullptr);
    void stop();
    // The device the application opens (a /dev/pts/N path); empty before start.
    QString devicePath() const { return m_devicePath; }

    // Switches the fault mode from the next block on (tests and demos).
    void setFault(const QString& fault) { m_options.fault = fault; }

    static QStringList tubeNames();
    // "silent": never answers; "short-block": the current block stops after 100
    // bytes; "bad-byte": a voltage sample with high byte 0x80; "slow": each block
    // starts only after slowDelayMs; "hangup": the line is hung up halfway
    // through the voltage block (the module then comes back on a new device).
    static QStringList faultNames();

    // Every byte received from the application, with its arrival time.
    QList<ReceivedByte> received() const { return m_received; }
    void clearReceived() { m_received.clear(); }
    qint64 clockNs() const { return m_clock.nsecsElapsed(); }
    int exchangesServed() const { return m_exchangesServed; }

    // The counts the module sends for one curve (exposed for tests and demos).
    std::array<int, 64> voltageCounts();
    std::array<int, 64> currentCounts(int rangeDivisor, int gridCode);

signals:
    void byteReceived(quint8 value);
    void exchangeServed();  // after the closing 'i'
    void hungUp();
    void devicePathChanged(const QString& path);

private:
    enum class State { Idle, AwaitRange, AwaitGrid, AwaitEnd };

    bool openPty(QString* error);
    void closePty();
    void onReadable();
    void onByte(quint8 byte);
    void queueBlock(const QByteArray& block);
    void pump();
    void hangUp();
    int noisy(double counts);
    bool faultIs(const char* fault) const;

    VirtualModuleOptions m_options;
    TubeModel m_tube;
    QString m_devicePath;
    int m_masterFd = -1;
    int m_slaveFd = -1;  // kept open so the application can close and reopen the device
    std::unique_ptr<QSocketNotifier> m_notifier;
    State m_state = State::Idle;
    int m_rangeDivisor = 4;
    QList<ReceivedByte> m_received;
    QElapsedTimer m_clock;
    int m_exchangesServed = 0;
    int m_exchangesStarted = 0;

    // Outgoing bytes and their pacing.
    QByteArray m_out;            // not yet written
    qint64 m_notBeforeNs = 0;    // nothing is written before this time (the "slow" fault)
    qint64 m_nextByteNs = 0;     // pacing: earliest time of the next byte
    bool m_hangupPending = false;  // hang up once m_out is written
    QTimer m_sendTimer;
    std::mt19937 m_random;
    bool m_noise = false;
};

}  // namespace zov
