#pragma once

#include "link/answers.h"
#include "record/trendchart.h"

#include <QRect>
#include <QWidget>

struct PanelState;

// `Picture1`: the chart area on the main window. It paints from the panel's
// reading store, so a repaint after being covered gives the same picture, and
// after answers it repaints only their new steps.
//
// showAnswer() only notes the area of the new step; repaintHeld() paints the
// steps noted so far, so the window can paint several answers' steps
// together, with the boxes, once per screen refresh (see RefreshPacer).
class ChartWidget : public QWidget {
    Q_OBJECT
public:
    explicit ChartWidget(const PanelState& state, QWidget* parent = nullptr);

    void showAnswer(const AnswerOutcome& outcome);
    // Paints the steps noted since the last time, now.
    void repaintHeld();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PanelState& m_state;
    QRect m_held;
};
