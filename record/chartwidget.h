#pragma once

#include "link/answers.h"
#include "platform/clock.h"
#include "record/trendchart.h"

#include <QRect>
#include <QTimer>
#include <QWidget>

struct PanelState;

// `Picture1`: the chart area on the main window. It paints from the panel's
// reading store, so a repaint after being covered gives the same picture, and
// after each answer it repaints only the new step.
//
// Steps that come faster than a screen shows them are painted together: an
// answer within kMinRepaintIntervalMs of the last repaint is held until the
// next answer or, if none comes, for kHoldMs at most. At line rate (an
// answer every 9.4 ms) the chart is painted for every second answer, at
// about 53 frames a second, without a wake-up of its own; at the 1.5 s poll
// every answer is painted at once.
class ChartWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr qint64 kMinRepaintIntervalMs = 16;
    static constexpr int kHoldMs = 20;

    explicit ChartWidget(const PanelState& state, QWidget* parent = nullptr,
                         platform::Clock clock = platform::steadyClock());

    void showAnswer(const AnswerOutcome& outcome);

    // Asks for the repaint of the steps held back (the hold timer's tick).
    void repaintHeld();
    const QTimer& holdTimer() const { return m_hold; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PanelState& m_state;
    platform::Clock m_clock;
    QTimer m_hold;
    QRect m_held;
    qint64 m_lastRepaintMs = 0;
    bool m_repainted = false;
};
