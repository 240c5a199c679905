#pragma once

#include "link/frames.h"

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
// The elapsed-time display (hours, minutes, seconds and their unit labels) is
// kept here as three captions and one visibility flag; the window mirrors them
// whenever displayChanged() is emitted.
class TimedRun : public QObject {
    Q_OBJECT
public:
    // Tick interval of Timer1.
    static constexpr int kTickMs = 1000;

    // `send` receives the run and stop frames; `dialogs` asks for the duration.
    // Both must outlive this object.
    TimedRun(frames::SendFrame send, platform::Dialogs& dialogs, QObject* parent = nullptr);

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
    // One counted second: count, write the captions, and once the count has
    // reached timeset × 60 seconds send the stop frame, reset the count to 0
    // and disable Timer1. The display stays as it is after the stop.
    void tick();

    // Elapsed seconds of the current run. Wide enough that runs of many days
    // count and stop correctly.
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

    // The one-second timer; active exactly while the run counts.
    const QTimer& timer1() const { return m_timer1; }

signals:
    // A caption or the display's visibility has changed.
    void displayChanged();

private:
    // Turns Timer1 on. `restart` begins a fresh second even when it already runs.
    void enableTimer(bool restart);
    void setLabelsVisible(bool visible);

    frames::SendFrame m_send;
    platform::Dialogs& m_dialogs;
    QTimer m_timer1;

    qint64 m_tset = 0;
    double m_timeset = 0;

    QString m_lhour = QStringLiteral("00");
    QString m_lmin = QStringLiteral("00");
    QString m_lsed = QStringLiteral("00");
    bool m_labelsVisible = false;
};
