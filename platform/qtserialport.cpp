#include "platform/qtserialport.h"

#include "platform/failures.h"

#include <cerrno>

namespace platform {

QtSerialPort::QtSerialPort(QObject* parent) : SerialPort(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, &SerialPort::received);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialPort::handleError);
}

QtSerialPort::~QtSerialPort()
{
    m_port.disconnect(this);
    if (m_port.isOpen())
        m_port.close();
}

bool QtSerialPort::open(const QString& device)
{
    if (m_port.isOpen())
        m_port.close();
    m_port.setPortName(device);
    if (!m_port.open(QIODevice::ReadWrite)) {
        // Opening a file or device that is not a terminal fails at its first
        // terminal call, which Qt reports as an unsupported operation.
        const int systemError =
            m_port.error() == QSerialPort::UnsupportedOperationError ? ENOTTY : failures::lastSystemError();
        m_error = failures::portReason(m_port.error(), systemError, m_port.errorString());
        return false;
    }
    const bool configured = m_port.setBaudRate(QSerialPort::Baud9600) && m_port.setDataBits(QSerialPort::Data8)
        && m_port.setParity(QSerialPort::NoParity) && m_port.setStopBits(QSerialPort::OneStop)
        && m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        m_error = failures::portReason(m_port.error(), failures::lastSystemError(), m_port.errorString());
        m_port.close();
        return false;
    }
    m_error.clear();
    return true;
}

void QtSerialPort::close()
{
    if (m_port.isOpen())
        m_port.close();
}

bool QtSerialPort::isOpen() const
{
    return m_port.isOpen();
}

bool QtSerialPort::write(const QByteArray& bytes)
{
    if (!m_port.isOpen())
        return false;
    return m_port.write(bytes) == bytes.size();
}

QByteArray QtSerialPort::readAll()
{
    return m_port.isOpen() ? m_port.readAll() : QByteArray();
}

void QtSerialPort::handleError(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
        break;
    default:
        return;  // open and setting errors are reported by open()
    }
    if (!m_port.isOpen())
        return;
    m_error = failures::portReason(error, failures::lastSystemError(), m_port.errorString());
    m_port.close();
    emit failed(m_error);
}

}  // namespace platform
