#include "alarms/alarms.h"

#include "platform/launcher.h"

#include <algorithm>
#include <cmath>

namespace alarms {

namespace {

qint64 ms(double seconds)
{
    return static_cast<qint64>(std::llround(seconds * 1000));
}

const char* stateWord(Transition::Kind kind)
{
    switch (kind) {
    case Transition::Raised:
        return "raised";
    case Transition::Cleared:
        return "cleared";
    case Transition::Acknowledged:
        return "acknowledged";
    default:
        return nullptr;
    }
}

}  // namespace

AlarmCore::AlarmCore(PumpStopper& stopper, platform::Clock clock, platform::WallClock wallClock,
                     platform::Launcher* launcher, QObject* parent)
    : QObject(parent), m_stopper(stopper), m_clock(std::move(clock)), m_wallClock(std::move(wallClock)),
      m_launcher(launcher)
{
    qRegisterMetaType<alarms::Transition>();
    for (Condition c : kConditions)
        slot(c).alarm.condition = c;
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &AlarmCore::tick);
    m_timer.start();
}

void AlarmCore::setConfig(const Config& config)
{
    m_config = config;
    // A rule switched off clears its alarm; new thresholds are judged afresh.
    for (Condition c : kConditions) {
        slot(c).pendingSince = -1;
        if (!m_config.watches(c))
            settle(c, false, kNone, kNone);
        else if (Config::hasSwitch(c) && c != Condition::LimitReached)
            setFlag(c, m_flags[static_cast<size_t>(c)]);
    }
    m_recent.clear();
    judgePressure();
}

void AlarmCore::answer(double pressure, double limit, double flow)
{
    if (!std::isnan(flow) && flow != m_flow) {
        // The fall only counts while the flow set point stays the same.
        if (!std::isnan(m_flow))
            m_recent.clear();
        m_flow = flow;
    }
    if (!std::isnan(limit))
        m_limit = limit;
    if (!std::isnan(pressure)) {
        m_pressure = pressure;
        judgeDrop(pressure);
    }
    judgePressure();
}

void AlarmCore::setRunning(bool running)
{
    // Every run frame starts the grace again: the pump may have stopped
    // itself meanwhile.
    m_runningSince = running ? m_clock() : -1;
    m_recent.clear();
    if (!running)
        settle(Condition::PressureDrop, false, kNone, kNone);
    judgePressure();
}

void AlarmCore::tick()
{
    if (m_silencedUntil >= 0 && m_clock() >= m_silencedUntil) {
        m_silencedUntil = -1;
        emit changed();
    }
    judgePressure();
}

void AlarmCore::judgePressure()
{
    const double h = Config::kHysteresisMpa;
    const double p = m_pressure;
    const bool known = !std::isnan(p);
    {
        const Condition c = Condition::HighPressure;
        const double t = m_config.rule(c).mpa;
        if (!m_config.watches(c))
            settle(c, false, p, t);
        else if (known)
            settle(c, alarm(c).active() ? p > t - h : p >= t, p, t);
    }
    {
        const Condition c = Condition::LowPressure;
        const Rule& r = m_config.rule(c);
        const bool graceOver = running() && m_clock() - m_runningSince >= ms(r.graceS);
        if (!m_config.watches(c) || !running())
            settle(c, false, p, r.mpa);
        else if (known)
            settle(c, graceOver && (alarm(c).active() ? p < r.mpa + h : p <= r.mpa), p, r.mpa);
    }
    {
        const Condition c = Condition::LimitReached;
        const double t = m_limit;
        if (!m_config.watches(c) || (!std::isnan(t) && t <= 0))
            settle(c, false, p, t);
        else if (known && !std::isnan(t))
            settle(c, alarm(c).active() ? p > t - h : p >= t, p, t);
    }
}

void AlarmCore::judgeDrop(double pressure)
{
    const Condition c = Condition::PressureDrop;
    const Rule& r = m_config.rule(c);
    if (!m_config.watches(c) || !running()) {
        m_recent.clear();
        settle(c, false, kNone, r.mpa);
        return;
    }
    const qint64 now = m_clock();
    while (!m_recent.empty() && now - m_recent.front().first > ms(r.windowS))
        m_recent.pop_front();
    m_recent.emplace_back(now, pressure);
    double highest = pressure;
    for (const auto& sample : m_recent)
        highest = std::max(highest, sample.second);
    const double fall = highest - pressure;
    settle(c, alarm(c).active() ? fall > r.mpa - Config::kHysteresisMpa : fall >= r.mpa, fall, r.mpa);
}

void AlarmCore::setFlag(Condition c, bool on)
{
    m_flags[static_cast<size_t>(c)] = on;
    settle(c, on && m_config.watches(c), kNone, kNone);
}

void AlarmCore::settle(Condition c, std::optional<bool> holds, double value, double threshold)
{
    if (!holds)
        return;
    Slot& s = slot(c);
    if (!*holds) {
        s.pendingSince = -1;
        if (s.alarm.active())
            clear(c);
        return;
    }
    if (s.alarm.active()) {
        // The band follows the value while the alarm stands.
        if (!std::isnan(value) && value != s.alarm.value) {
            s.alarm.value = value;
            emit changed();
        }
        return;
    }
    const qint64 now = m_clock();
    if (s.pendingSince < 0)
        s.pendingSince = now;
    if (now - s.pendingSince >= ms(Config::hasDelay(c) ? m_config.rule(c).delayS : 0))
        raise(c, value, threshold);
}

void AlarmCore::raise(Condition c, double value, double threshold)
{
    Slot& s = slot(c);
    s.pendingSince = -1;
    Alarm& a = s.alarm;
    if (a.state == State::ReturnedUnacknowledged) {
        ++a.count;
    } else {
        a = Alarm{};
        a.condition = c;
        a.count = 1;
        a.raised = m_wallClock();
    }
    a.state = State::ActiveUnacknowledged;
    a.cleared = QDateTime();
    a.value = value;
    a.threshold = threshold;
    m_silencedUntil = -1;
    const Alarm raised = a;
    announce(Transition::Raised, raised);
    emit changed();
    if (Config::hasAction(c) && m_config.rule(c).action == Action::Stop) {
        // The stop first; then whatever runs the pump is told to end.
        Transition t;
        t.kind = Transition::Stopped;
        t.alarm = raised;
        t.delivered = m_stopper.stopPump();
        emit transitioned(t);
        emit stopRequested(displayName(c));
    }
}

void AlarmCore::clear(Condition c)
{
    Alarm& a = slot(c).alarm;
    a.cleared = m_wallClock();
    const bool wasAcknowledged = a.state == State::ActiveAcknowledged;
    a.state = wasAcknowledged ? State::Normal : State::ReturnedUnacknowledged;
    const Alarm cleared = a;
    if (wasAcknowledged)
        retire(c);
    announce(Transition::Cleared, cleared);
    emit changed();
}

bool AlarmCore::acknowledge(Condition c, AckSource source)
{
    Alarm& a = slot(c).alarm;
    if (!a.unacknowledged())
        return false;
    a.acknowledged = m_wallClock();
    const bool returned = a.state == State::ReturnedUnacknowledged;
    a.state = returned ? State::Normal : State::ActiveAcknowledged;
    const Alarm acknowledged = a;
    if (returned)
        retire(c);
    announce(Transition::Acknowledged, acknowledged, source);
    emit changed();
    return true;
}

int AlarmCore::acknowledgeAll(AckSource source)
{
    int n = 0;
    for (Condition c : kConditions)
        n += acknowledge(c, source) ? 1 : 0;
    return n;
}

bool AlarmCore::silence()
{
    if (!soundWanted())
        return false;
    m_silencedUntil = m_clock() + kSilenceMs;
    const Alarm* a = foremost();
    announce(Transition::Silenced, a ? *a : Alarm{});
    emit changed();
    return true;
}

void AlarmCore::retire(Condition c)
{
    Slot& s = slot(c);
    s.alarm.state = State::Normal;
    m_past.prepend(s.alarm);
    if (m_past.size() > kPastKept)
        m_past.removeLast();
    s.alarm = Alarm{};
    s.alarm.condition = c;
}

QList<Alarm> AlarmCore::shown() const
{
    QList<Alarm> out;
    for (const Slot& s : m_slots) {
        if (s.alarm.state != State::Normal)
            out << s.alarm;
    }
    std::stable_sort(out.begin(), out.end(), [](const Alarm& a, const Alarm& b) { return a.raised > b.raised; });
    return out;
}

const Alarm* AlarmCore::foremost() const
{
    const Alarm* best = nullptr;
    for (const Slot& s : m_slots) {
        const Alarm& a = s.alarm;
        if (a.state == State::Normal)
            continue;
        if (!best || (a.unacknowledged() && !best->unacknowledged())
            || (a.unacknowledged() == best->unacknowledged() && a.raised > best->raised))
            best = &a;
    }
    return best;
}

int AlarmCore::activeCount() const
{
    return static_cast<int>(std::count_if(m_slots.begin(), m_slots.end(), [](const Slot& s) { return s.alarm.active(); }));
}

bool AlarmCore::anyUnacknowledged() const
{
    return std::any_of(m_slots.begin(), m_slots.end(), [](const Slot& s) { return s.alarm.unacknowledged(); });
}

void AlarmCore::announce(Transition::Kind kind, const Alarm& alarm, AckSource source)
{
    Transition t;
    t.kind = kind;
    t.alarm = alarm;
    t.source = source;
    emit transitioned(t);
    const char* word = stateWord(kind);
    if (!word || !m_launcher || m_config.command.trimmed().isEmpty())
        return;
    const QStringList arguments = {keyName(alarm.condition), QLatin1String(word),
                                   std::isnan(alarm.value) ? QString() : QString::number(alarm.value, 'f', 2),
                                   m_wallClock().toString(Qt::ISODateWithMs)};
    const Alarm about = alarm;
    m_launcher->launch(m_config.command.trimmed(), arguments, kCommandLimitMs, [this, about](const QString& reason) {
        Transition failed;
        failed.kind = Transition::CommandFailed;
        failed.alarm = about;
        failed.reason = reason;
        emit transitioned(failed);
    });
}

}  // namespace alarms
