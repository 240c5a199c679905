#pragma once

#include "link/frames.h"
#include "platform/clock.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <QtGlobal>

namespace platform {
class Dialogs;
}

// The timed run: the operator sets a duration in minutes, starts the pump, may
// pause, continue and end the run, and the panel stops the pump by itself once
// the elapsed seconds reach the duration.
//
// Plain logic with no widgets. The five commands of the "定时(T)" menu are the
// handlers stset(), ststart(), stzanting(), stcontiune() and stend(); tick() is
// the one-second step of `Timer1`. Timer1 only triggers tick(); tests call
// tick() directly. No command tests the state another one left: each is
// accepted at any time and does exactly its steps, in their order.
//
// The count is real time, not a count of ticks: a timer does not deliver the
// ticks it missed while the program was held up (a busy machine, a modal box)
// or the computer slept, and the pump ran on meanwhile. Each tick reads the
// elapsed seconds from a clock that runs through both.
//
// The elapsed-time display (hours, minutes, seconds and their unit labels) is
// kept here as three captions and one visibility flag; the window mirrors them
// whenever displayChanged() is emitted.
class TimedRun : public QObject {
    Q_OBJECT
public:
    // Tick interval of Timer1.
    static constexpr int kTickMs = 1000;

    // A tick this many milliseconds before its second still counts as that
    // second: timers may fire a little early (on Windows by up to one 15.6 ms
    // beat of the system clock).
    static constexpr qint64 kEarlyTickMs = 50;

    // `send` receives the run and stop frames; `dialogs` asks for the duration;
    // `clock` measures the run. The first two must outlive this object.
    TimedRun(frames::SendFrame send, platform::Dialogs& dialogs, platform::Clock clock,
             QObject* parent = nullptr);

    // Set duration: asks for the minutes (pre-filled "0") and stores a valid
    // number in timeset. Cancel, empty text, text that is not a number and a
    // number too large to count in seconds leave timeset as it was, quietly.
    // Starts and stops nothing.
    void stset();
    // Start: count from 0, enable Timer1, send the run frame, show the display.
    // The captions keep what they showed until the first tick.
    void ststart();
    // Pause: disable Timer1, send the stop frame. Count, duration and display
    // stay as they are.
    void stzanting();
    // Continue: enable Timer1, send the run frame. Counting resumes from the
    // current count; the display's visibility is not touched.
    void stcontiune();
    // End: duration to 0, disable Timer1, send the stop frame, hide the display.
    // The count is left for the next Start to reset.
    void stend();
    // One tick: take the whole seconds counted so far (time paused not
    // included), write the captions, and once the count has reached
    // timeset × 60 seconds send the stop frame, reset the count to 0 and
    // disable Timer1. The display stays as it is after the stop.
    void tick();

    // Elapsed seconds of the current run as the last tick counted them. Wide
    // enough that runs of many days count and stop correctly.
    qint64 tset() const { return m_tset; }
    // Set duration in minutes.
    double timeset() const { return m_timeset; }

    // Captions of the hours, minutes and seconds labels: "00" until the first
    // tick, then plain decimal numbers without zero fill ("1", "2", "5").
    QString lhour() const { return m_lhour; }
    QString lmin() const { return m_lmin; }
    QString lsed() const { return m_lsed; }
    // Whether the six labels of the elapsed-time display are shown.
    bool labelsVisible() const { return m_labelsVisible; }

    // Where the run stands: counting, paused (stopped with its display still
    // up), done (stopped by its time), or none of these.
    enum class Phase { Idle, Running, Paused, Done };
    Phase phase() const;
    // Whole seconds still to run as the last tick counted them; 0 once done.
    qint64 secondsLeft() const;

    // The one-second timer; active exactly while the run counts.
    const QTimer& timer1() const { return m_timer1; }

signals:
    // A caption or the display's visibility has changed.
    void displayChanged();
    // phase() has changed.
    void phaseChanged();

private:
    class PhaseWatch;
    // Turns Timer1 on and counts from now. `restart` begins a fresh second
    // even when it already runs.
    void enableTimer(bool restart);
    // Turns Timer1 off; the time counted so far is kept.
    void disableTimer();
    qint64 countedMs() const;
    void setLabelsVisible(bool visible);

    frames::SendFrame m_send;
    platform::Dialogs& m_dialogs;
    platform::Clock m_clock;
    QTimer m_timer1;

    qint64 m_tset = 0;
    // Milliseconds counted before the clock reading m_countingSince; the
    // stretch since then counts while Timer1 is on.
    qint64 m_countedMs = 0;
    qint64 m_countingSince = 0;
    double m_timeset = 0;

    QString m_lhour = QStringLiteral("00");
    QString m_lmin = QStringLiteral("00");
    QString m_lsed = QStringLiteral("00");
    bool m_labelsVisible = false;
    // The run was stopped by its time and not started, continued or ended since.
    bool m_done = false;
};
