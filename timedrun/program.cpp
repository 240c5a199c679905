#include "timedrun/program.h"

#include "link/numbers.h"

#include <cmath>
#include <utility>

namespace {

// The whole number a flow frame carries for `flow`.
int whole(double flow)
{
    return numbers::format0000(flow).toInt();
}

}  // namespace

ProgramRun::ProgramRun(frames::SendFrame send, platform::Clock clock, QObject* parent)
    : QObject(parent), m_send(std::move(send)), m_clock(std::move(clock))
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ProgramRun::tick);
}

void ProgramRun::start(const program::Steps& steps, bool keepRunning)
{
    begin(steps, keepRunning, Kind::Program, program::plannedVolumeMl(steps));
}

qint64 ProgramRun::doseMs(double volumeMl, double flow)
{
    const int w = whole(flow);
    if (w <= 0 || !(volumeMl > 0))
        return 0;
    // Rounded down: the target is reached at the end, never passed.
    return std::max<qint64>(1, static_cast<qint64>(std::floor(volumeMl * 60000.0 / w)));
}

void ProgramRun::startDose(double volumeMl, double flow)
{
    const qint64 ms = doseMs(volumeMl, flow);
    if (ms <= 0)
        return;
    program::Step step;
    step.durationMs = ms;
    step.flow = flow;
    begin({step}, false, Kind::Dose, volumeMl);
}

void ProgramRun::begin(const program::Steps& steps, bool keepRunning, Kind kind, double targetMl)
{
    if (steps.isEmpty())
        return;
    if (active())
        end(Reason::Operator);
    m_kind = kind;
    m_steps = steps;
    m_keepRunning = keepRunning;
    m_targetMl = targetMl;
    m_stepStarts.clear();
    for (int i = 0; i <= steps.size(); ++i)
        m_stepStarts << (i == 0 ? 0 : m_stepStarts.last() + steps.at(i - 1).durationMs);
    m_totalMs = m_stepStarts.last();
    m_countedMs = 0;
    m_runningSince = m_clock();
    m_flowSent = 0;
    m_flowSentAt = 0;
    m_volumeMl = 0;
    m_state = State::Running;
    emit started();
    beginStep(0, 0);
    m_send(frames::kRun);
    schedule();
    emit changed();
}

void ProgramRun::pause(Reason reason)
{
    if (m_state != State::Running)
        return;
    m_countedMs = elapsedMs();
    m_state = State::Paused;
    m_timer.stop();
    m_send(frames::kStop);
    emit paused(reason);
    emit changed();
}

void ProgramRun::resume()
{
    if (m_state != State::Paused)
        return;
    m_runningSince = m_clock();
    m_state = State::Running;
    emit resumed();
    sendFlow(m_countedMs);
    m_send(frames::kRun);
    schedule();
    emit changed();
}

void ProgramRun::end(Reason reason)
{
    if (m_state == State::Idle)
        return;
    m_countedMs = elapsedMs();
    finish(reason);
}

void ProgramRun::tick()
{
    if (m_state != State::Running)
        return;
    const qint64 now = elapsedMs();
    const qint64 due = now + kEarlyMs;
    while (m_state == State::Running) {
        const qint64 stepEnd = stepStartMs(m_step + 1);
        const qint64 ramp = nextRampFrameMs();
        // Past the step's end its ramp has nothing more to say.
        if (ramp >= 0 && ramp < stepEnd && stepEnd > due) {
            if (ramp > due)
                break;
            // Late (the program was held up): the set point of now.
            sendFlow(std::min(std::max(ramp, now), stepEnd - 1));
            continue;
        }
        if (stepEnd > due)
            break;
        if (m_step + 1 < m_steps.size()) {
            beginStep(m_step + 1, stepEnd);
            continue;
        }
        m_countedMs = m_totalMs;
        finish(Reason::Done);
        return;
    }
    schedule();
    emit changed();
}

qint64 ProgramRun::elapsedMs() const
{
    const qint64 counted = m_countedMs + (m_state == State::Running ? m_clock() - m_runningSince : 0);
    return std::min(counted, m_totalMs);
}

qint64 ProgramRun::stepLeftMs() const
{
    return std::max<qint64>(0, stepStartMs(m_step + 1) - elapsedMs());
}

double ProgramRun::volumeMl() const
{
    return m_volumeMl + m_flowSent * static_cast<double>(elapsedMs() - m_flowSentAt) / 60000.0;
}

qint64 ProgramRun::stepStartMs(int index) const
{
    return m_stepStarts.value(index, m_totalMs);
}

qint64 ProgramRun::nextRampFrameMs() const
{
    const program::Step& step = m_steps.at(m_step);
    if (step.change != program::Change::Ramp || m_step == 0)
        return -1;
    const double from = m_steps.at(m_step - 1).flow;
    const double to = step.flow;
    if (whole(to) == m_flowSent || from == to)
        return -1;
    // The first millisecond whose set point has another whole number.
    const qint64 start = stepStartMs(m_step);
    const double edge = m_flowSent + (to > from ? 0.5 : -0.5);
    auto at = start + static_cast<qint64>(std::ceil((edge - from) / (to - from) * step.durationMs));
    at = std::max(at, start);
    for (int guard = 0; guard < 4 && whole(program::flowAt(m_steps, at)) == m_flowSent; ++guard)
        ++at;
    return std::max(at, m_flowSentAt + kRampFrameMs);
}

void ProgramRun::beginStep(int index, qint64 atMs)
{
    m_step = index;
    emit stepStarted(index);
    const program::Step& step = m_steps.at(index);
    if (step.pressure)
        m_send(frames::pressureDialogFrame(*step.pressure));
    sendFlow(atMs);
}

void ProgramRun::sendFlow(qint64 atMs)
{
    const int flow = whole(program::flowAt(m_steps, atMs));
    m_volumeMl += m_flowSent * static_cast<double>(atMs - m_flowSentAt) / 60000.0;
    m_flowSent = flow;
    m_flowSentAt = atMs;
    m_send(frames::flowDialogFrame(flow));
}

void ProgramRun::finish(Reason reason)
{
    m_timer.stop();
    m_volumeMl += m_flowSent * static_cast<double>(m_countedMs - m_flowSentAt) / 60000.0;
    m_flowSentAt = m_countedMs;
    m_state = State::Idle;
    const bool hold = reason == Reason::Done && m_keepRunning;
    // Held on, the pump gets the last step's flow even where a ramp had not
    // reached it in whole numbers.
    if (hold && whole(m_steps.last().flow) != m_flowSent)
        sendFlow(m_totalMs);
    if (!hold)
        m_send(frames::kStop);
    emit ended(reason);
    emit changed();
}

void ProgramRun::schedule()
{
    const qint64 ramp = nextRampFrameMs();
    const qint64 stepEnd = stepStartMs(m_step + 1);
    const qint64 next = ramp >= 0 ? std::min(ramp, stepEnd) : stepEnd;
    const qint64 wait = std::clamp<qint64>(next - elapsedMs(), 0, kDisplayMs);
    m_timer.start(static_cast<int>(wait));
}
