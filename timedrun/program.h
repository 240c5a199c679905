#pragma once

#include "link/frames.h"
#include "platform/clock.h"
#include "timedrun/programfile.h"

#include <QObject>
#include <QTimer>

// Runs a program of steps, or delivers a volume (a program of one step whose
// length is the volume at the flow), on the pump.
//
// At each step's start the pressure-limit frame (when the step has one) and
// the flow frame go out, as the set-point dialogs build them; the run frame
// goes out once, after the first step's frames. During a ramp a new flow set
// point goes out when its whole number changes, at most once per
// kRampFrameMs. At the end the stop frame goes out, unless the run was
// started to keep running on the last step's flow.
//
// Time is real time from the clock (it counts through sleep and stalls), not
// a count of ticks; time paused is not counted. Every event is worked out
// from the step table, and the timer is set for the next one, so a step ends
// on its time, never later; tests call tick() after moving the clock.
//
// The volume delivered is the flow set point sent to the pump times the time
// it ran: an estimate, since the pump does not report what it delivered.
class ProgramRun : public QObject {
    Q_OBJECT
public:
    enum class Kind { Program, Dose };
    enum class State { Idle, Running, Paused };
    enum class Reason { Done, Operator, Alarm, Link };

    // The display is brought up to date at least this often.
    static constexpr int kDisplayMs = 1000;
    // Flow frames during a ramp are at least this far apart.
    static constexpr qint64 kRampFrameMs = 1500;
    // An event this close ahead is taken now: timers may fire a little early.
    static constexpr qint64 kEarlyMs = 50;

    // `send` receives every frame; it must outlive this object.
    ProgramRun(frames::SendFrame send, platform::Clock clock, QObject* parent = nullptr);

    // Starts checked steps (see program::parse). A run already going is
    // ended first, by the operator.
    void start(const program::Steps& steps, bool keepRunning);
    // Delivers `volumeMl` at `flow` ml/min and stops.
    void startDose(double volumeMl, double flow);
    // How long that takes at the flow the frame carries, rounded down.
    static qint64 doseMs(double volumeMl, double flow);
    // Pause: the stop frame; the count holds. Only while running.
    void pause(Reason reason = Reason::Operator);
    // Continue: the flow set point in force now, then the run frame. Only
    // while paused.
    void resume();
    // Ends the run with its reason: the stop frame (none for Done when the
    // run keeps running). Nothing while idle.
    void end(Reason reason);
    // Takes every event that is due, then sets the timer for the next one.
    void tick();

    Kind kind() const { return m_kind; }
    State state() const { return m_state; }
    bool active() const { return m_state != State::Idle; }
    const program::Steps& steps() const { return m_steps; }
    bool keepRunning() const { return m_keepRunning; }
    // The step in force (0-based).
    int stepIndex() const { return m_step; }
    qint64 elapsedMs() const;
    qint64 totalMs() const { return m_totalMs; }
    qint64 stepLeftMs() const;
    qint64 totalLeftMs() const { return std::max<qint64>(0, m_totalMs - elapsedMs()); }
    double volumeMl() const;
    // The volume a dose delivers, or the planned volume of a program.
    double targetMl() const { return m_targetMl; }
    // The whole number of the last flow frame.
    int flowSent() const { return m_flowSent; }
    const QTimer& timer() const { return m_timer; }

signals:
    void started();
    // Sent before the step's frames.
    void stepStarted(int index);
    void paused(Reason reason);
    void resumed();
    // After the last frame.
    void ended(Reason reason);
    // Something the display shows has changed.
    void changed();

private:
    void begin(const program::Steps& steps, bool keepRunning, Kind kind, double targetMl);
    qint64 stepStartMs(int index) const;
    // When the next ramp frame is due, or -1 for none in this step.
    qint64 nextRampFrameMs() const;
    void beginStep(int index, qint64 atMs);
    void sendFlow(qint64 atMs);
    void finish(Reason reason);
    void schedule();

    frames::SendFrame m_send;
    platform::Clock m_clock;
    QTimer m_timer;
    Kind m_kind = Kind::Program;
    State m_state = State::Idle;
    program::Steps m_steps;
    QList<qint64> m_stepStarts;
    bool m_keepRunning = false;
    qint64 m_totalMs = 0;
    double m_targetMl = 0;
    int m_step = 0;
    // Time counted before m_runningSince, a clock reading.
    qint64 m_countedMs = 0;
    qint64 m_runningSince = 0;
    int m_flowSent = 0;
    qint64 m_flowSentAt = 0;
    // Volume delivered before m_flowSentAt.
    double m_volumeMl = 0;
};
