#include "history/plotviewdialog.h"

#include "history/historyplot.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

PlotViewDialog::PlotViewDialog(HistoryPlot& plot, QWidget* parent) : QDialog(parent), m_plot(plot)
{
    setObjectName(QStringLiteral("plotView"));
    setWindowTitle(tr("曲线与坐标轴"));
    auto* layout = new QVBoxLayout(this);

    auto* traces = new QGroupBox(tr("显示的曲线"), this);
    auto* traceRow = new QHBoxLayout(traces);
    const char* names[] = {"showPressure", "showLimit", "showFlow"};
    const QString texts[] = {tr("压力"), tr("压力上限"), tr("流量设定")};
    for (int i = 0; i < 3; ++i) {
        m_shown[i] = new QCheckBox(texts[i], traces);
        m_shown[i]->setObjectName(QLatin1String(names[i]));
        traceRow->addWidget(m_shown[i]);
        connect(m_shown[i], &QCheckBox::toggled, this, &PlotViewDialog::apply);
    }
    layout->addWidget(traces);

    auto* axes = new QGroupBox(tr("坐标轴范围"), this);
    auto* grid = new QGridLayout(axes);
    m_pressure = makeAxis("pressure", QStringLiteral("MPa"), 2, 0.1, 100);
    m_flow = makeAxis("flow", QStringLiteral("ml/min"), 0, 10, 10000);
    m_timeAuto = new QCheckBox(tr("整个运行"), axes);
    m_timeAuto->setObjectName(QStringLiteral("timeAuto"));
    m_timeAuto->setAccessibleName(tr("时间轴显示整个运行"));
    connect(m_timeAuto, &QCheckBox::toggled, this, &PlotViewDialog::applyTime);
    const auto timeEdit = [&](const char* name, const QString& accessible) {
        auto* edit = new QDateTimeEdit(axes);
        edit->setObjectName(QLatin1String(name));
        edit->setAccessibleName(accessible);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        edit->setKeyboardTracking(false);
        connect(edit, &QDateTimeEdit::dateTimeChanged, this, &PlotViewDialog::applyTime);
        return edit;
    };
    m_timeFrom = timeEdit("timeFrom", tr("时间轴起点"));
    m_timeTo = timeEdit("timeTo", tr("时间轴终点"));
    // One row an axis: its name, automatic, from, to.
    const auto row = [&](int r, const QString& name, QWidget* automatic, QWidget* low, QWidget* high) {
        grid->addWidget(new QLabel(name, axes), r, 0);
        grid->addWidget(automatic, r, 1);
        grid->addWidget(new QLabel(tr("从"), axes), r, 2);
        grid->addWidget(low, r, 3);
        grid->addWidget(new QLabel(tr("到"), axes), r, 4);
        grid->addWidget(high, r, 5);
    };
    row(0, tr("压力（左轴）"), m_pressure.automatic, m_pressure.low, m_pressure.high);
    row(1, tr("流量（右轴）"), m_flow.automatic, m_flow.low, m_flow.high);
    row(2, tr("时间（横轴）"), m_timeAuto, m_timeFrom, m_timeTo);
    layout->addWidget(axes);

    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("plotViewNote"));
    m_note->setStyleSheet(QStringLiteral("color: rgb(190,0,0);"));
    layout->addWidget(m_note);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(tr("关闭"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);

    connect(&m_plot, &HistoryPlot::viewChanged, this, [this] {
        if (!m_taking)
            takeFromPlot();
    });
    takeFromPlot();
}

PlotViewDialog::Axis PlotViewDialog::makeAxis(const char* name, const QString& unit, int decimals, double step,
                                              double limit)
{
    Axis axis;
    const QString base = QLatin1String(name);
    axis.automatic = new QCheckBox(tr("自动"), this);
    axis.automatic->setObjectName(base + QStringLiteral("Auto"));
    axis.automatic->setAccessibleName(base == QLatin1String("pressure") ? tr("压力轴自动") : tr("流量轴自动"));
    connect(axis.automatic, &QCheckBox::toggled, this, &PlotViewDialog::apply);
    const auto spin = [&](const QString& suffix, const QString& accessible) {
        auto* box = new QDoubleSpinBox(this);
        box->setObjectName(base + suffix);
        box->setAccessibleName(accessible);
        box->setDecimals(decimals);
        box->setSingleStep(step);
        box->setRange(-limit, limit);
        box->setSuffix(QLatin1Char(' ') + unit);
        box->setKeyboardTracking(false);
        connect(box, &QDoubleSpinBox::valueChanged, this, &PlotViewDialog::apply);
        return box;
    };
    const bool pressure = base == QLatin1String("pressure");
    axis.low = spin(QStringLiteral("Low"), pressure ? tr("压力轴下限") : tr("流量轴下限"));
    axis.high = spin(QStringLiteral("High"), pressure ? tr("压力轴上限") : tr("流量轴上限"));
    return axis;
}

void PlotViewDialog::takeFromPlot()
{
    m_taking = true;
    const history::PlotView& view = m_plot.view();
    const history::AxisRanges shown = history::axisRanges(m_plot.picture());
    for (int i = 0; i < 3; ++i)
        m_shown[i]->setChecked(view.shown[i]);
    const auto take = [](const Axis& axis, const history::PlotView::Range& set, std::pair<double, double> drawn) {
        axis.automatic->setChecked(!set);
        axis.low->setValue(set ? set->first : drawn.first);
        axis.high->setValue(set ? set->second : drawn.second);
        axis.low->setEnabled(bool(set));
        axis.high->setEnabled(bool(set));
    };
    take(m_pressure, view.pressureRange, shown.pressure);
    take(m_flow, view.flowRange, shown.flow);
    m_note->clear();
    m_taking = false;
}

void PlotViewDialog::showTime(qint64 fromMs, qint64 toMs, bool wholeRun)
{
    const bool taking = std::exchange(m_taking, true);
    m_timeAuto->setChecked(wholeRun);
    m_timeFrom->setDateTime(QDateTime::fromMSecsSinceEpoch(fromMs));
    m_timeTo->setDateTime(QDateTime::fromMSecsSinceEpoch(toMs));
    m_timeFrom->setEnabled(!wholeRun);
    m_timeTo->setEnabled(!wholeRun);
    m_taking = taking;
}

void PlotViewDialog::applyTime()
{
    if (m_taking)
        return;
    m_timeFrom->setEnabled(!m_timeAuto->isChecked());
    m_timeTo->setEnabled(!m_timeAuto->isChecked());
    if (m_timeAuto->isChecked()) {
        emit wholeRunChosen();
        return;
    }
    const qint64 from = m_timeFrom->dateTime().toMSecsSinceEpoch();
    const qint64 to = m_timeTo->dateTime().toMSecsSinceEpoch();
    if (from >= to) {
        m_note->setText(tr("“从”须早于“到”，范围未改"));
        return;
    }
    m_note->clear();
    emit timeRangeChosen(from, to);
}

void PlotViewDialog::apply()
{
    if (m_taking)
        return;
    history::PlotView view = m_plot.view();
    for (int i = 0; i < 3; ++i)
        view.shown[i] = m_shown[i]->isChecked();
    bool ok = true;
    const auto read = [&](const Axis& axis, history::PlotView::Range& range) {
        axis.low->setEnabled(!axis.automatic->isChecked());
        axis.high->setEnabled(!axis.automatic->isChecked());
        if (axis.automatic->isChecked()) {
            range.reset();
        } else if (axis.low->value() < axis.high->value()) {
            range = std::pair{axis.low->value(), axis.high->value()};
        } else {
            ok = false;  // the range in force stays
        }
    };
    read(m_pressure, view.pressureRange);
    read(m_flow, view.flowRange);
    m_note->setText(ok ? QString() : tr("“从”须小于“到”，范围未改"));
    m_taking = true;
    m_plot.setView(view);
    // An automatic axis shows where it now runs.
    const history::AxisRanges drawn = history::axisRanges(m_plot.picture());
    for (const auto& [axis, range] : {std::pair{m_pressure, drawn.pressure}, std::pair{m_flow, drawn.flow}}) {
        if (axis.automatic->isChecked()) {
            axis.low->setValue(range.first);
            axis.high->setValue(range.second);
        }
    }
    m_taking = false;
}
