#pragma once

#include <QDialog>

class HistoryPlot;
class QCheckBox;
class QDateTimeEdit;
class QDoubleSpinBox;
class QLabel;

// "曲线与坐标轴": which traces the history plot shows, and each axis's range,
// set by hand or left automatic (the time axis: the whole run). Not modal:
// every change shows at once, and what the plot does (a click on its legend,
// a zoom) shows here too.
class PlotViewDialog : public QDialog {
    Q_OBJECT
public:
    explicit PlotViewDialog(HistoryPlot& plot, QWidget* parent = nullptr);

    // Shows what the plot shows now.
    void takeFromPlot();
    // Shows the time range on screen; `wholeRun` when it is the whole run.
    void showTime(qint64 fromMs, qint64 toMs, bool wholeRun);

signals:
    void wholeRunChosen();
    void timeRangeChosen(qint64 fromMs, qint64 toMs);

private:
    struct Axis {
        QCheckBox* automatic = nullptr;
        QDoubleSpinBox* low = nullptr;
        QDoubleSpinBox* high = nullptr;
    };
    void apply();
    void applyTime();
    Axis makeAxis(const char* name, const QString& unit, int decimals, double step, double limit);

    HistoryPlot& m_plot;
    QCheckBox* m_shown[3] = {};
    Axis m_pressure;
    Axis m_flow;
    QCheckBox* m_timeAuto = nullptr;
    QDateTimeEdit* m_timeFrom = nullptr;
    QDateTimeEdit* m_timeTo = nullptr;
    QLabel* m_note = nullptr;
    bool m_taking = false;
};
