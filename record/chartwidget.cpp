#include "record/chartwidget.h"

#include "panel/panelstate.h"

#include <QPaintEvent>
#include <QPainter>

ChartWidget::ChartWidget(const PanelState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartWidget::showAnswer(const AnswerOutcome& outcome)
{
    if (outcome.wrapped || outcome.cursor == 0)
        update();
    else
        update(trendchart::dirtyRect(size(), m_state.prtrend, outcome.cursor));
}

void ChartWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    trendchart::paint(painter, size(), m_state.prtrend, m_state.itime, event->rect());
}
