#include "record/chartwidget.h"

#include "link/panelstate.h"

#include <QPaintEvent>
#include <QPainter>

ChartWidget::ChartWidget(const PanelState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartWidget::showAnswer(const AnswerOutcome& outcome)
{
    const QRect area(QPoint(0, 0), size());
    m_held |= outcome.wrapped || outcome.cursor == 0 ? area
                                                      : trendchart::dirtyRect(size(), m_state.prtrend, outcome.cursor);
}

void ChartWidget::repaintHeld()
{
    if (m_held.isEmpty())
        return;
    // Painted now rather than posted: a posted repaint wakes the event loop
    // a second time. Whatever else is waiting to be painted (a value box just
    // changed) goes out with it, in one flush to the screen.
    repaint(m_held);
    m_held = QRect();
}

void ChartWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    trendchart::paint(painter, size(), m_state.prtrend, m_state.itime, event->rect());
}
