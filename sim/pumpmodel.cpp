#include "sim/pumpmodel.h"

#include "link/numbers.h"

#include <QLocale>
#include <QString>

#include <algorithm>
#include <cmath>

namespace pumpsim {

namespace {

constexpr int kFrameLength = 9;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<double> fieldValue(const QByteArray& frame)
{
    return numbers::toDouble(QString::fromLatin1(frame.mid(4, 4)), QLocale::c());
}

}  // namespace

PumpModel::PumpModel(quint32 seed) : m_random(seed) {}

void PumpModel::setFlow(double mlPerMin)
{
    m_flow = std::clamp(mlPerMin, 0.0, kMaxFlow);
}

void PumpModel::setPressureLimit(double mpa)
{
    m_limit = std::clamp(mpa, 0.0, kMaxPressureLimit);
    stopAtLimit();
}

void PumpModel::run()
{
    m_running = true;
    stopAtLimit();
}

void PumpModel::stop()
{
    m_running = false;
}

void PumpModel::stopAtLimit()
{
    if (m_running && m_pressure >= m_limit)
        m_running = false;
}

void PumpModel::advance(double seconds)
{
    if (!(seconds > 0.0))
        return;
    stopAtLimit();
    if (m_running) {
        const double target = targetPressure();
        if (target > m_limit) {
            // p(t) = target - (target - p0) e^(-t/tau) reaches the limit at t*.
            const double reachAt =
                kRiseTimeConstant * std::log((target - m_pressure) / (target - m_limit));
            if (reachAt <= seconds) {
                m_pressure = m_limit;
                m_running = false;
                seconds -= reachAt;
            }
        }
        if (m_running) {
            m_pressure = target + (m_pressure - target) * std::exp(-seconds / kRiseTimeConstant);
            return;
        }
    }
    m_pressure *= std::exp(-seconds / kFallTimeConstant);
}

double PumpModel::reportedPressure()
{
    double p = m_pressure;
    if (m_running && m_noise > 0.0)
        p += std::uniform_real_distribution<double>(-m_noise, m_noise)(m_random);
    return std::max(p, 0.0);
}

QByteArray PumpModel::answer(const QByteArray& frame)
{
    if (frame.size() != kFrameLength || frame.at(0) != 'Q' || frame.at(8) != 'Y')
        return {};
    if (!isDigit(frame.at(1)) || !isDigit(frame.at(2)))
        return {};
    const QByteArray head = frame.left(3);
    const auto pressureAnswer = [&] {
        return head + 'N' + numbers::format00_0(reportedPressure()).toLatin1() + 'Y';
    };

    switch (frame.at(3)) {
    case 'F':
        return pressureAnswer();
    case 'R':
        run();
        return pressureAnswer();
    case 'S':
        stop();
        return pressureAnswer();
    case 'L': {
        const auto value = fieldValue(frame);
        if (value && *value >= 0.0 && *value <= kMaxFlow)
            setFlow(*value);
        return head + 'L' + numbers::format0000(m_flow).toLatin1() + 'Y';
    }
    case 'P': {
        const auto value = fieldValue(frame);
        if (value && *value >= 0.0 && *value <= kMaxPressureLimit)
            setPressureLimit(*value);
        return head + 'P' + numbers::format00_0(m_limit).toLatin1() + 'Y';
    }
    default:
        return {};
    }
}

}  // namespace pumpsim
