#include "record/chartwidget.h"

#include "link/panelstate.h"

#include <QPaintEvent>
#include <QPainter>

ChartWidget::ChartWidget(const PanelState& state, QWidget* parent, platform::Clock clock)
    : QWidget(parent), m_state(state), m_clock(std::move(clock))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_hold.setSingleShot(true);
    m_hold.setInterval(kHoldMs);
    connect(&m_hold, &QTimer::timeout, this, &ChartWidget::repaintHeld);
}

void ChartWidget::showAnswer(const AnswerOutcome& outcome)
{
    const QRect area(QPoint(0, 0), size());
    m_held |= outcome.wrapped || outcome.cursor == 0 ? area
                                                      : trendchart::dirtyRect(size(), m_state.prtrend, outcome.cursor);
    if (!m_repainted || m_clock() - m_lastRepaintMs >= kMinRepaintIntervalMs)
        repaintHeld();
    else if (!m_hold.isActive())
        m_hold.start();
}

void ChartWidget::repaintHeld()
{
    m_hold.stop();
    if (m_held.isEmpty())
        return;
    // Painted now rather than posted: a posted repaint wakes the event loop
    // a second time for every answer, and at line rate that wake-up costs
    // more than the painting. Whatever else is waiting to be painted (a
    // value box just changed) goes out with it.
    repaint(m_held);
    m_held = QRect();
    m_lastRepaintMs = m_clock();
    m_repainted = true;
}

void ChartWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    trendchart::paint(painter, size(), m_state.prtrend, m_state.itime, event->rect());
}
