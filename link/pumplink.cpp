#include "link/pumplink.h"

#include "link/frames.h"
#include "platform/recorded.h"

PumpLink::PumpLink(platform::PortMaker makePort, platform::Clock clock, QObject* parent)
    : QObject(parent), m_makePort(std::move(makePort)), m_clock(std::move(clock))
{
    m_timer2.setInterval(kPollIntervalMs);
    m_timer2.setTimerType(Qt::PreciseTimer);
    connect(&m_timer2, &QTimer::timeout, this, &PumpLink::pollTick);
}

PumpLink::~PumpLink()
{
    close();
}

bool PumpLink::open(const QString& device, QString* error)
{
    // A device takes one holder: the same one again must be let go first.
    if (m_port && device == m_device)
        close();
    auto port = m_makePort(device);
    if (!port) {
        if (error)
            *error = recorded::text(QT_TRANSLATE_NOOP("recorded", "无法打开该设备"));
        return false;
    }
    if (!port->open(device)) {
        if (error)
            *error = port->errorString();
        return false;
    }
    close();
    m_port = std::move(port);
    m_device = device;
    m_framer.clear();
    connect(m_port.get(), &platform::SerialPort::received, this, &PumpLink::readWaiting);
    connect(m_port.get(), &platform::SerialPort::failed, this, &PumpLink::handlePortFailure);
    m_unansweredPolls = 0;
    m_answeredSinceOpen = false;
    m_lastHeardMs = m_clock();
    if (m_linkLost) {
        m_linkLost = false;
        emit healthChanged();
    }
    return true;
}

void PumpLink::close()
{
    if (!m_port)
        return;
    // Take the port out first: closing may make it emit again.
    auto port = std::move(m_port);
    port->disconnect(this);
    port->close();
    m_framer.clear();
}

bool PumpLink::isOpen() const
{
    return m_port && m_port->isOpen();
}

bool PumpLink::send(const QString& frame)
{
    if (isOpen() && m_port->write(frame.toLatin1()))
        return true;
    emit frameDropped(frame);
    return false;
}

void PumpLink::startPolling()
{
    m_timer2.start();
}

void PumpLink::pollTick()
{
    if (!isOpen())
        return;
    if (m_unansweredPolls >= kPollsBeforeLost && !m_linkLost)
        m_linkLost = true;
    if (m_linkLost)
        emit healthChanged();
    ++m_unansweredPolls;
    send(frames::kStatus);
}

void PumpLink::readWaiting()
{
    if (!m_port)
        return;
    m_pending += m_framer.feed(m_port->readAll(), m_clock());
    // A handler may show a modal box whose event loop brings this back with
    // newer answers: they wait behind the older ones, so every answer is
    // handled in the order it arrived.
    if (m_dispatching)
        return;
    m_dispatching = true;
    const bool any = !m_pending.isEmpty();
    while (!m_pending.isEmpty()) {
        const QByteArray frame = m_pending.takeFirst();
        ++m_answers;
        m_answeredSinceOpen = true;
        m_unansweredPolls = 0;
        m_lastHeardMs = m_clock();
        if (m_linkLost) {
            m_linkLost = false;
            emit healthChanged();
        }
        emit answerReceived(frame);
    }
    m_dispatching = false;
    if (any)
        emit readHandled();
}

qint64 PumpLink::silenceMs() const
{
    return m_clock() - m_lastHeardMs;
}

void PumpLink::handlePortFailure(const QString& reason)
{
    const QString device = m_device;
    // The failing port is still inside its own signal (and QSerialPort inside
    // its error handling): close it now, delete it once they have returned.
    if (m_port) {
        m_port->disconnect(this);
        m_port->close();
        m_port.release()->deleteLater();
        m_framer.clear();
    }
    m_unansweredPolls = 0;
    if (m_linkLost) {
        m_linkLost = false;
        emit healthChanged();
    }
    emit portLost(device, reason);
}
