#include "fakes/fakeserialport.h"

bool FakeSerialPort::open(const QString& device)
{
    openedDevices << device;
    if (!m_refuse.isEmpty()) {
        m_error = m_refuse;
        return false;
    }
    m_open = true;
    return true;
}

void FakeSerialPort::close()
{
    ++closeCount;
    m_open = false;
    m_waiting.clear();
}

bool FakeSerialPort::write(const QByteArray& bytes)
{
    if (!m_open || refuseWrites)
        return false;
    writes << bytes;
    return true;
}

QByteArray FakeSerialPort::readAll()
{
    QByteArray out;
    out.swap(m_waiting);
    return out;
}

void FakeSerialPort::feed(const QByteArray& bytes)
{
    m_waiting += bytes;
    emit received();
}

void FakeSerialPort::failLine(const QString& reason)
{
    m_error = reason;
    m_open = false;
    emit failed(reason);
}

QStringList FakeSerialPort::writtenFrames() const
{
    QStringList out;
    for (const QByteArray& w : writes)
        out << QString::fromLatin1(w);
    return out;
}
