#pragma once

#include "link/framer.h"
#include "platform/clock.h"
#include "platform/serialport.h"

#include <QObject>
#include <QTimer>

#include <memory>

// The serial link to the pump: owns the port, sends frames, polls every
// 1500 ms once started, and hands on every answer found in what arrives.
//
// It also watches the link's health: after three polls in a row with no
// answer the link counts as lost until the next answer. A port that breaks
// while open (device unplugged, far end gone) is closed at once and reported
// once; opening it again is up to the operator.
class PumpLink : public QObject {
    Q_OBJECT
public:
    static constexpr int kPollIntervalMs = 1500;
    static constexpr int kPollsBeforeLost = 3;

    PumpLink(platform::PortMaker makePort, platform::Clock clock, QObject* parent = nullptr);
    ~PumpLink() override;

    // Opens the device and makes it the link's port. Another device is opened
    // before the port open now is let go, so a failure keeps that port open
    // and polled; the same device again is closed first and opened anew, and
    // a failure then leaves the link closed. On failure *error holds the
    // reason in plain words.
    bool open(const QString& device, QString* error);
    // Harmless when nothing is open.
    void close();
    bool isOpen() const;
    QString device() const { return m_device; }

    // Writes a whole frame and says whether it was handed to the port. With
    // no port open, or a write the port refuses, the frame is dropped and
    // frameDropped() says so; nobody waits.
    bool send(const QString& frame);

    // The poll timer, 1500 ms, off until startPolling(). Once started nothing
    // stops it; its tick sends the status query while a port is open and is
    // quiet while none is (the operator is told of their own frames only).
    const QTimer& Timer2() const { return m_timer2; }
    void startPolling();
    void pollTick();

    // Reads what is waiting and hands on every answer completed by it.
    void readWaiting();

    bool linkLost() const { return m_linkLost; }
    // Milliseconds since the last answer, or since the port was opened when
    // none has come yet.
    qint64 silenceMs() const;
    // Whether an answer came since the port open now was opened.
    bool answeredSinceOpen() const { return m_answeredSinceOpen; }
    // Answers handed on since the program started.
    quint64 answersReceived() const { return m_answers; }
    const AnswerFramer& framer() const { return m_framer; }

signals:
    void answerReceived(const QByteArray& frame);
    // Every answer one read completed has been handed on (only after a read
    // that completed any): what they changed can be shown together.
    void readHandled();
    void frameDropped(const QString& frame);
    void portLost(const QString& device, const QString& reason);
    // Link lost or back, or the silence grew while lost.
    void healthChanged();

private:
    void handlePortFailure(const QString& reason);

    platform::PortMaker m_makePort;
    platform::Clock m_clock;
    std::unique_ptr<platform::SerialPort> m_port;
    QString m_device;
    AnswerFramer m_framer;
    QList<QByteArray> m_pending;  // answers found but not yet handed on
    bool m_dispatching = false;
    QTimer m_timer2;
    int m_unansweredPolls = 0;
    bool m_linkLost = false;
    qint64 m_lastHeardMs = 0;
    quint64 m_answers = 0;
    bool m_answeredSinceOpen = false;
};
