#include "record/refreshpacer.h"

#include <algorithm>

RefreshPacer::RefreshPacer(std::function<void()> paint, platform::Clock clock, QObject* parent)
    : QObject(parent), m_paint(std::move(paint)), m_clock(std::move(clock))
{
    m_hold.setSingleShot(true);
    m_hold.setTimerType(Qt::PreciseTimer);
    connect(&m_hold, &QTimer::timeout, this, &RefreshPacer::paintHeld);
    setRefreshMs(kDefaultRefreshMs);
}

void RefreshPacer::setRefreshMs(int ms)
{
    m_gapMs = std::max(ms - 2, 1);
    m_hold.setInterval(m_gapMs);
}

bool RefreshPacer::due() const
{
    return !m_painted || m_clock() - m_lastPaintMs >= m_gapMs;
}

void RefreshPacer::changed()
{
    if (due())
        paintHeld();
    else if (!m_hold.isActive())
        m_hold.start();
}

void RefreshPacer::paintHeld()
{
    m_hold.stop();
    m_lastPaintMs = m_clock();
    m_painted = true;
    m_paint();
}
