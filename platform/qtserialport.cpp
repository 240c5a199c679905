#include "platform/qtserialport.h"

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
        m_error = m_port.error() == QSerialPort::UnsupportedOperationError ? withSystemReason(tr("不是串口设备"))
                                                                           : describe(m_port.error());
        return false;
    }
    const bool configured = m_port.setBaudRate(QSerialPort::Baud9600) && m_port.setDataBits(QSerialPort::Data8)
        && m_port.setParity(QSerialPort::NoParity) && m_port.setStopBits(QSerialPort::OneStop)
        && m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        m_error = describe(m_port.error());
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
    m_error = describe(error);
    m_port.close();
    emit failed(m_error);
}

QString QtSerialPort::describe(QSerialPort::SerialPortError error) const
{
    QString plain;
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        plain = tr("端口不存在");
        break;
    case QSerialPort::PermissionError:
        plain = tr("端口被其他程序占用或无权访问");
        break;
    case QSerialPort::OpenError:
        plain = tr("端口已打开");
        break;
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
        plain = tr("端口已断开");
        break;
    case QSerialPort::WriteError:
        plain = tr("无法向端口写入");
        break;
    case QSerialPort::UnsupportedOperationError:
        plain = tr("端口不支持该设置");
        break;
    default:
        plain = tr("端口错误");
        break;
    }
    return withSystemReason(plain);
}

QString QtSerialPort::withSystemReason(const QString& plain) const
{
    const QString system = m_port.errorString();
    if (system.isEmpty() || system == QLatin1String("Unknown error"))
        return plain;
    return plain + QStringLiteral(" (") + system + QLatin1Char(')');
}

}  // namespace platform
