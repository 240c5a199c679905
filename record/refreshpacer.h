#pragma once

#include "platform/clock.h"

#include <QObject>
#include <QTimer>

#include <functional>

// Paints what the answers change about once per screen refresh, without
// holding up an answer that comes alone.
//
// A change made a refresh or more after the last paint goes out at once. A
// change that follows sooner is held: it goes out with the next change that
// comes a refresh after the last paint, or when the hold timer ticks. Both
// "a refresh" here are two milliseconds short of one, as the line's answers
// come a little unevenly: at its full rate (an answer every 9.4 ms) every
// second answer paints, for both, and the timer does not wake the program;
// at the 1.5 s poll every answer paints at once; no change waits as long as
// a refresh.
class RefreshPacer : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultRefreshMs = 16;

    RefreshPacer(std::function<void()> paint, platform::Clock clock = platform::steadyClock(),
                 QObject* parent = nullptr);

    // The screen's refresh in whole milliseconds, rounded down.
    void setRefreshMs(int ms);
    // The least time from one paint to the next but for a held change's.
    int gapMs() const { return m_gapMs; }

    // Whether a change made now goes out at once.
    bool due() const;
    // A change was made: painted now when due, else held.
    void changed();
    // Paints what is held, now (the hold timer's tick).
    void paintHeld();
    bool holding() const { return m_hold.isActive(); }
    const QTimer& holdTimer() const { return m_hold; }

private:
    std::function<void()> m_paint;
    platform::Clock m_clock;
    QTimer m_hold;
    int m_gapMs = kDefaultRefreshMs - 2;
    qint64 m_lastPaintMs = 0;
    bool m_painted = false;
};
