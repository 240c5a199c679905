#include "timedrun/timedrun.h"

#include "link/numbers.h"
#include "platform/dialogs.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr qint64 kSecondsPerMinute = 60;
constexpr qint64 kSecondsPerHour = 3600;

const QString kDurationDefault = QStringLiteral("0");

}  // namespace

// Tells phaseChanged() at the end of a command or tick that changed the phase.
class TimedRun::PhaseWatch {
public:
    explicit PhaseWatch(TimedRun& run) : m_run(run), m_before(run.phase()) {}
    ~PhaseWatch()
    {
        if (m_run.phase() != m_before)
            emit m_run.phaseChanged();
    }

private:
    TimedRun& m_run;
    Phase m_before;
};

TimedRun::TimedRun(frames::SendFrame send, platform::Dialogs& dialogs, platform::Clock clock, QObject* parent)
    : QObject(parent), m_send(std::move(send)), m_dialogs(dialogs), m_clock(std::move(clock))
{
    // A precise timer ticks close to each whole second of the count, so the
    // display moves on evenly and the stop comes when its second is reached.
    m_timer1.setTimerType(Qt::PreciseTimer);
    m_timer1.setInterval(kTickMs);
    connect(&m_timer1, &QTimer::timeout, this, &TimedRun::tick);
}

void TimedRun::stset()
{
    const QString answer = m_dialogs.inputBox(tr("请输入设定时间 单位 分 "), tr("时间设定"), kDurationDefault);
    const std::optional<double> minutes = numbers::toDouble(answer);
    if (!minutes)
        return;
    // A duration whose length in seconds is not a number the tick can compare
    // against would never end the run; refuse it like any other non-number.
    if (!std::isfinite(*minutes * kSecondsPerMinute))
        return;
    m_timeset = *minutes;
}

void TimedRun::ststart()
{
    const PhaseWatch watch(*this);
    m_tset = 0;
    m_countedMs = 0;
    m_done = false;
    enableTimer(true);
    m_send(frames::kRun);
    setLabelsVisible(true);
}

void TimedRun::stzanting()
{
    const PhaseWatch watch(*this);
    disableTimer();
    m_send(frames::kStop);
}

void TimedRun::stcontiune()
{
    const PhaseWatch watch(*this);
    m_done = false;
    enableTimer(false);
    m_send(frames::kRun);
}

void TimedRun::stend()
{
    const PhaseWatch watch(*this);
    m_timeset = 0;
    m_done = false;
    disableTimer();
    m_send(frames::kStop);
    setLabelsVisible(false);
}

void TimedRun::tick()
{
    const PhaseWatch watch(*this);
    m_tset = (countedMs() + kEarlyTickMs) / 1000;
    m_lhour = QString::number(m_tset / kSecondsPerHour);
    m_lmin = QString::number((m_tset % kSecondsPerHour) / kSecondsPerMinute);
    m_lsed = QString::number(m_tset % kSecondsPerMinute);
    emit displayChanged();

    const double limit = m_timeset * kSecondsPerMinute;
    if (!(limit > static_cast<double>(m_tset))) {
        m_send(frames::kStop);
        m_tset = 0;
        m_countedMs = 0;
        m_timer1.stop();
        m_done = true;
    }
}

TimedRun::Phase TimedRun::phase() const
{
    if (m_timer1.isActive())
        return Phase::Running;
    if (m_done)
        return Phase::Done;
    return m_labelsVisible ? Phase::Paused : Phase::Idle;
}

qint64 TimedRun::secondsLeft() const
{
    if (m_done)
        return 0;
    const double left = std::ceil(m_timeset * kSecondsPerMinute) - static_cast<double>(m_tset);
    return left > 0 ? static_cast<qint64>(std::min(left, 1e15)) : 0;
}

void TimedRun::enableTimer(bool restart)
{
    // Continue on a run that already counts keeps its cadence; Start begins
    // a fresh second because its count starts again from 0. The clock is
    // read first, so no tick can come before its second has passed.
    if (restart || !m_timer1.isActive()) {
        m_countingSince = m_clock();
        m_timer1.start();
    }
}

void TimedRun::disableTimer()
{
    m_countedMs = countedMs();
    m_timer1.stop();
}

qint64 TimedRun::countedMs() const
{
    return m_countedMs + (m_timer1.isActive() ? m_clock() - m_countingSince : 0);
}

void TimedRun::setLabelsVisible(bool visible)
{
    if (m_labelsVisible == visible)
        return;
    m_labelsVisible = visible;
    emit displayChanged();
}
