#pragma once

#include "platform/serialport.h"

#include <QByteArrayList>
#include <QStringList>

// The pump's answer giving the pressure `mpa`, as "Q01N01.5Y".
inline QByteArray pressureAnswer(double mpa)
{
    return QByteArray("Q01N") + QByteArray::number(mpa, 'f', 1).rightJustified(4, '0') + "Y";
}

// A serial port that records what is written and is fed bytes by the test.
// open() succeeds unless refuseOpen() was called; write() fails while
// refuseWrites is set; failLine() acts like a vanished device: the port
// closes and failed() is emitted.
class FakeSerialPort : public platform::SerialPort {
    Q_OBJECT
public:
    using platform::SerialPort::SerialPort;

    bool open(const QString& device) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    QString errorString() const override { return m_error; }

    // Test controls.
    void refuseOpen(const QString& reason) { m_refuse = reason; }
    void feed(const QByteArray& bytes);  // queues bytes and emits received()
    void failLine(const QString& reason);
    bool refuseWrites = false;

    // What happened.
    QStringList writtenFrames() const;  // each write() as text
    QByteArrayList writes;
    QStringList openedDevices;
    int closeCount = 0;

private:
    bool m_open = false;
    QString m_refuse;
    QString m_error;
    QByteArray m_waiting;
};
