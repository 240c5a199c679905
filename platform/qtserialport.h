#pragma once

#include "platform/serialport.h"

#include <QSerialPort>

namespace platform {

// The real serial port. On a read, write or resource error it closes the port
// at once and emits failed() once: on Linux a vanished device otherwise keeps
// raising read errors in a busy loop while the port still claims to be open.
class QtSerialPort : public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(QObject* parent = nullptr);
    ~QtSerialPort() override;

    bool open(const QString& device) override;
    void close() override;
    bool isOpen() const override;
    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    QString errorString() const override { return m_error; }

private:
    void handleError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    QString m_error;
};

}  // namespace platform
