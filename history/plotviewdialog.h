#pragma once

#include <QDialog>

class HistoryPlot;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;

// "曲线与坐标轴": which traces the history plot shows, and each value axis's
// range, set by hand or left automatic. Not modal: every change shows at
// once, and a click on the plot's legend shows here too.
class PlotViewDialog : public QDialog {
    Q_OBJECT
public:
    explicit PlotViewDialog(HistoryPlot& plot, QWidget* parent = nullptr);

    // Shows what the plot shows now.
    void takeFromPlot();

private:
    struct Axis {
        QCheckBox* automatic = nullptr;
        QDoubleSpinBox* low = nullptr;
        QDoubleSpinBox* high = nullptr;
    };
    void apply();
    Axis makeAxis(const char* name, const QString& unit, int decimals, double step, double limit);

    HistoryPlot& m_plot;
    QCheckBox* m_shown[3] = {};
    Axis m_pressure;
    Axis m_flow;
    QLabel* m_note = nullptr;
    bool m_taking = false;
};
