#pragma once

#include "platform/clock.h"

#include <QObject>
#include <QTimer>

#include <functional>

// Paints what the answers change at most once per screen refresh, without
// holding up an answer that comes alone.
//
// A change made a refresh or more after the last paint goes out at once. A
// change that follows sooner is held: it goes out with the next change that
// comes a refresh after the last paint, or when the hold timer ticks, two
// milliseconds short of a refresh after the first change held. At the line's
// full rate (an answer every 9.4 ms) every second answer paints, for both,
// with no wake-up of the timer; at the 1.5 s poll every answer paints at
// once; no change waits longer than a refresh.
class RefreshPacer : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultRefreshMs = 16;

    RefreshPacer(std::function<void()> paint, platform::Clock clock = platform::steadyClock(),
                 QObject* parent = nullptr);

    // The screen's refresh in whole milliseconds, rounded down.
    void setRefreshMs(int ms);
    int refreshMs() const { return m_refreshMs; }

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
    int m_refreshMs = kDefaultRefreshMs;
    qint64 m_lastPaintMs = 0;
    bool m_painted = false;
};
