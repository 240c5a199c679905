#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace platform {

// One serial line to the pump. The panel drives the port only through this
// interface, so tests hand in a scripted fake and the simulated pump plugs in
// the same way as a real device.
//
// Contract:
//  - open() applies 9600 baud, no parity, 8 data bits, 1 stop bit and no flow
//    control, or fails; on failure errorString() says why in plain words.
//  - received() is emitted on the UI thread whenever bytes are waiting;
//    readAll() returns and removes every waiting byte. Bytes arrive in any
//    chunking: a frame may come in pieces, or several in one read.
//  - failed() is emitted once when an open port breaks (read, write or
//    resource error, the device vanished). The implementation has already
//    closed the port when it is emitted.
class SerialPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialPort() override = default;

    virtual bool open(const QString& device) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Queues the bytes for sending in one piece. Returns false when the port is
    // not open or refuses the write.
    virtual bool write(const QByteArray& bytes) = 0;
    virtual QByteArray readAll() = 0;
    virtual QString errorString() const = 0;

signals:
    void received();
    void failed(const QString& reason);
};

// Makes the port object for a device name ("sim" for the simulated pump,
// otherwise a system device such as "COM3" or "/dev/ttyUSB0").
using PortMaker = std::function<std::unique_ptr<SerialPort>(const QString& device)>;

}  // namespace platform
