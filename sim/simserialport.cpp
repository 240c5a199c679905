#include "sim/simserialport.h"

#include "platform/recorded.h"
#include "sim/serialline.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace pumpsim {

bool isSimulatedDevice(const QString& device)
{
    return device.trimmed().compare(QLatin1String(kSimDeviceName), Qt::CaseInsensitive) == 0;
}

SimSerialPort::SimSerialPort(platform::Clock clock, quint32 seed, QObject* parent)
    : platform::SerialPort(parent),
      m_clock(std::move(clock)),
      m_model(seed),
      m_deliveryTimer(new QTimer(this))
{
    m_deliveryTimer->setSingleShot(true);
    m_deliveryTimer->setTimerType(Qt::PreciseTimer);
    connect(m_deliveryTimer, &QTimer::timeout, this, &SimSerialPort::deliverDue);
    m_modelMs = static_cast<double>(m_clock());
    m_commandLineFreeMs = m_answerLineFreeMs = m_modelMs;
}

SimSerialPort::~SimSerialPort() = default;

bool SimSerialPort::open(const QString& device)
{
    if (!isSimulatedDevice(device)) {
        m_error = recorded::text(recorded::kSimWrongName).arg(QLatin1String(kSimDeviceName), device);
        return false;
    }
    close();
    m_open = true;
    m_error.clear();
    return true;
}

void SimSerialPort::close()
{
    m_open = false;
    m_pending.clear();
    m_waiting.clear();
    m_framer.clear();
    m_deliveryTimer->stop();
}

bool SimSerialPort::write(const QByteArray& bytes)
{
    if (!m_open) {
        m_error = recorded::text(QT_TRANSLATE_NOOP("recorded", "模拟泵的端口未打开"));
        return false;
    }
    if (bytes.isEmpty())
        return true;
    const double now = static_cast<double>(m_clock());
    const double arrivedMs = std::max(now, m_commandLineFreeMs) + wireMs(bytes.size());
    m_commandLineFreeMs = arrivedMs;

    const QList<QByteArray> commands = m_framer.push(bytes);
    for (const QByteArray& command : commands) {
        advanceModelTo(arrivedMs);
        const QByteArray answer = m_model.answer(command);
        if (answer.isEmpty())
            continue;
        const double dueMs = std::max(arrivedMs, m_answerLineFreeMs) + wireMs(answer.size());
        m_answerLineFreeMs = dueMs;
        m_pending.push_back({dueMs, answer});
    }
    scheduleDelivery();
    return true;
}

QByteArray SimSerialPort::readAll()
{
    QByteArray out;
    out.swap(m_waiting);
    return out;
}

void SimSerialPort::deliverDue()
{
    const double now = static_cast<double>(m_clock());
    advanceModelTo(now);
    bool delivered = false;
    while (!m_pending.empty() && m_pending.front().dueMs <= now) {
        m_waiting += m_pending.front().bytes;
        m_pending.pop_front();
        ++m_answersDelivered;
        delivered = true;
    }
    scheduleDelivery();
    if (delivered)
        emit received();
}

void SimSerialPort::advanceModelTo(double ms)
{
    if (ms > m_modelMs) {
        m_model.advance((ms - m_modelMs) / 1000.0);
        m_modelMs = ms;
    }
}

void SimSerialPort::scheduleDelivery()
{
    if (m_pending.empty()) {
        m_deliveryTimer->stop();
        return;
    }
    const double wait = m_pending.front().dueMs - static_cast<double>(m_clock());
    m_deliveryTimer->start(std::max(0, static_cast<int>(std::ceil(wait))));
}

std::unique_ptr<platform::SerialPort> makeSimulatedPort(QObject* parent)
{
    return std::make_unique<SimSerialPort>(platform::steadyClock(), 1, parent);
}

platform::PortMaker withSimulatedPump(platform::PortMaker realPorts)
{
    return [realPorts = std::move(realPorts)](const QString& device) -> std::unique_ptr<platform::SerialPort> {
        if (isSimulatedDevice(device))
            return makeSimulatedPort();
        return realPorts ? realPorts(device) : nullptr;
    };
}

platform::PortLister withSimulatedPumpListed(platform::PortLister realPorts)
{
    return [realPorts = std::move(realPorts)] {
        QList<platform::PortListing> ports{{QLatin1String(kSimDeviceName), QCoreApplication::translate("pumpsim", "内置模拟泵")}};
        if (realPorts)
            ports += realPorts();
        return ports;
    };
}

}  // namespace pumpsim
