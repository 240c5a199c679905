#pragma once

#include "link/answers.h"
#include "record/trendchart.h"

#include <QWidget>

struct PanelState;

// `Picture1`: the chart area on the main window. It paints from the panel's
// reading store, so a repaint after being covered gives the same picture, and
// after each answer it repaints only the new step.
class ChartWidget : public QWidget {
    Q_OBJECT
public:
    ChartWidget(const PanelState& state, QWidget* parent = nullptr);

    void showAnswer(const AnswerOutcome& outcome);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PanelState& m_state;
};
