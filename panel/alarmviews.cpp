#include "panel/alarmviews.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

using namespace alarms;

namespace {

QString mpa(double v)
{
    return QString::number(v, 'f', 2);
}

QString stateText(State s)
{
    switch (s) {
    case State::ActiveUnacknowledged:
        return QCoreApplication::translate("AlarmBand", "未确认");
    case State::ActiveAcknowledged:
        return QCoreApplication::translate("AlarmBand", "已确认");
    case State::ReturnedUnacknowledged:
        return QCoreApplication::translate("AlarmBand", "已解除，未确认");
    case State::Normal:
        break;
    }
    return QCoreApplication::translate("AlarmBand", "已结束");
}

QString timeText(const QDateTime& t)
{
    return t.isNull() ? QString() : t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

}  // namespace

QString alarmText(const Alarm& a)
{
    QString text = displayName(a.condition);
    if (!std::isnan(a.value) && a.condition == Condition::PressureDrop)
        text += QCoreApplication::translate("AlarmBand", " 降 %1 MPa（阈值 %2 MPa）").arg(mpa(a.value), mpa(a.threshold));
    else if (!std::isnan(a.value) && !std::isnan(a.threshold))
        text += QCoreApplication::translate("AlarmBand", " %1 MPa（阈值 %2 MPa）").arg(mpa(a.value), mpa(a.threshold));
    return text;
}

AlarmBand::AlarmBand(AlarmCore& core, QWidget* parent) : QFrame(parent), m_core(core)
{
    setObjectName(QStringLiteral("alarmBand"));
    setAccessibleName(tr("报警"));
    setAutoFillBackground(true);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 0, 2, 0);
    row->setSpacing(6);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("alarmText"));
    QFont bold = m_text->font();
    bold.setBold(true);
    m_text->setFont(bold);
    row->addWidget(m_text, 1);
    m_acknowledge = new QPushButton(tr("确认报警"), this);
    m_acknowledge->setObjectName(QStringLiteral("acknowledgeAlarm"));
    m_acknowledge->setAccessibleName(tr("确认报警"));
    m_silence = new QPushButton(tr("静音"), this);
    m_silence->setObjectName(QStringLiteral("silenceAlarm"));
    m_silence->setAccessibleName(tr("报警静音两分钟"));
    for (QPushButton* b : {m_acknowledge, m_silence}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::TabFocus);
        row->addWidget(b);
    }
    connect(m_acknowledge, &QPushButton::clicked, this, [this] { m_core.acknowledgeAll(AckSource::Keypad); });
    connect(m_silence, &QPushButton::clicked, this, [this] { m_core.silence(); });
    m_flash.setInterval(kFlashMs);
    connect(&m_flash, &QTimer::timeout, this, &AlarmBand::flashTick);
    connect(&core, &AlarmCore::changed, this, &AlarmBand::refresh);
    refresh();
}

void AlarmBand::refresh()
{
    const Alarm* top = m_core.foremost();
    setVisible(top != nullptr);
    if (!top) {
        m_flash.stop();
        return;
    }
    QString text = alarmText(*top) + tr("，%1 起").arg(top->raised.toString(QStringLiteral("HH:mm:ss")));
    if (top->count > 1)
        text += tr("（第 %1 次）").arg(top->count);
    if (top->state == State::ReturnedUnacknowledged)
        text += tr("，已解除");
    text += tr("；活动报警 %1 项").arg(m_core.activeCount());
    if (m_core.silenced())
        text += tr("；已静音");
    if (m_text->text() != text) {
        m_text->setText(text);
        m_text->setToolTip(text);
        setAccessibleDescription(text);
        QAccessibleEvent event(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    }
    m_acknowledge->setEnabled(m_core.anyUnacknowledged());
    m_silence->setEnabled(m_core.soundWanted());
    if (m_core.anyUnacknowledged()) {
        if (!m_flash.isActive()) {
            m_lit = true;
            m_flash.start();
        }
    } else {
        m_flash.stop();
        m_lit = true;
    }
    paintLook();
}

void AlarmBand::flashTick()
{
    m_lit = !m_lit;
    paintLook();
}

void AlarmBand::paintLook()
{
    // Unacknowledged: bright red and dark red in turn, white text; all
    // acknowledged: a steady dark red.
    const bool flashing = m_core.anyUnacknowledged();
    QPalette colours = palette();
    colours.setColor(QPalette::Window, flashing ? (m_lit ? QColor(220, 0, 0) : QColor(110, 0, 0)) : QColor(150, 30, 30));
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    m_text->setPalette(colours);
}

AlarmListWindow::AlarmListWindow(AlarmCore& core, QWidget* parent) : QWidget(parent, Qt::Window), m_core(core)
{
    setObjectName(QStringLiteral("alarmList"));
    setWindowTitle(tr("报警记录"));
    setAccessibleName(tr("报警记录"));
    auto* column = new QVBoxLayout(this);
    m_table = new QTableWidget(0, 7, this);
    m_table->setObjectName(QStringLiteral("alarmTable"));
    m_table->setAccessibleName(tr("报警列表"));
    m_table->setHorizontalHeaderLabels(
        {tr("报警"), tr("状态"), tr("报警时间"), tr("解除时间"), tr("确认时间"), tr("数值"), tr("次数")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // The time columns are as wide as a time even while empty.
    for (int c = 2; c <= 4; ++c) {
        m_table->horizontalHeader()->setSectionResizeMode(c, QHeaderView::Fixed);
        m_table->setColumnWidth(c, fontMetrics().horizontalAdvance(QStringLiteral("2024-05-01 14:03:22")) + 16);
    }
    m_table->horizontalHeader()->setStretchLastSection(true);
    column->addWidget(m_table);
    auto* buttons = new QHBoxLayout;
    auto* one = new QPushButton(tr("确认所选"), this);
    one->setObjectName(QStringLiteral("acknowledgeSelected"));
    auto* all = new QPushButton(tr("全部确认"), this);
    all->setObjectName(QStringLiteral("acknowledgeAll"));
    buttons->addStretch();
    buttons->addWidget(one);
    buttons->addWidget(all);
    column->addLayout(buttons);
    connect(one, &QPushButton::clicked, this, &AlarmListWindow::acknowledgeSelected);
    connect(all, &QPushButton::clicked, this, [this] { m_core.acknowledgeAll(AckSource::Dialog); });
    connect(&core, &AlarmCore::changed, this, &AlarmListWindow::refresh);
    resize(760, 360);
    refresh();
}

void AlarmListWindow::refresh()
{
    const QList<Alarm> now = m_core.shown();
    const QList<Alarm> all = now + m_core.past();
    m_table->setRowCount(int(all.size()));
    for (int r = 0; r < all.size(); ++r) {
        const Alarm& a = all[r];
        const QString value = std::isnan(a.value) ? QString() : mpa(a.value) + QStringLiteral(" MPa");
        const QStringList cells = {displayName(a.condition), stateText(a.state), timeText(a.raised),
                                   timeText(a.cleared), timeText(a.acknowledged), value, QString::number(a.count)};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            // Rows of alarms shown now carry their condition, for acknowledging.
            item->setData(Qt::UserRole, r < now.size() ? static_cast<int>(a.condition) : -1);
            m_table->setItem(r, c, item);
        }
    }
}

void AlarmListWindow::acknowledgeSelected()
{
    const QList<QTableWidgetItem*> chosen = m_table->selectedItems();
    if (chosen.isEmpty())
        return;
    const int condition = chosen.first()->data(Qt::UserRole).toInt();
    if (condition >= 0)
        m_core.acknowledge(static_cast<Condition>(condition), AckSource::Dialog);
}

AlarmSettingsDialog::AlarmSettingsDialog(const Config& config, std::function<void(const Config&)> apply,
                                         QWidget* parent)
    : QDialog(parent), m_base(config)
{
    setObjectName(QStringLiteral("alarmSettings"));
    setWindowTitle(tr("报警设置"));
    setAccessibleName(tr("报警设置"));
    auto* grid = new QGridLayout;
    const QStringList heads = {tr("报警"), tr("阈值 (MPa)"), tr("延时 (秒)"), tr("启动后 / 时间窗 (秒)"), tr("动作"),
                               tr("启用")};
    for (int c = 0; c < heads.size(); ++c)
        grid->addWidget(new QLabel(heads[c], this), 0, c);
    const auto spin = [this](const QString& name, double value, double min, double max, int decimals, const QString& spoken) {
        auto* box = new QDoubleSpinBox(this);
        box->setObjectName(name);
        box->setAccessibleName(spoken);
        box->setRange(min, max);
        box->setDecimals(decimals);
        box->setSingleStep(decimals ? 0.05 : 1);
        box->setValue(value);
        return box;
    };
    int row = 1;
    for (Condition c : kConditions) {
        const Rule& r = config.rule(c);
        const QString key = keyName(c);
        const QString name = displayName(c);
        grid->addWidget(new QLabel(name, this), row, 0);
        if (Config::hasThreshold(c))
            grid->addWidget(spin(key + QStringLiteral("_mpa"), r.mpa, 0, Config::kMaxMpa, 2, tr("%1 阈值，兆帕，0 为关").arg(name)), row, 1);
        if (Config::hasDelay(c))
            grid->addWidget(spin(key + QStringLiteral("_delay_s"), r.delayS, 0, Config::kMaxSeconds, 0, tr("%1 延时，秒").arg(name)), row, 2);
        if (c == Condition::LowPressure)
            grid->addWidget(spin(key + QStringLiteral("_grace_s"), r.graceS, 0, Config::kMaxSeconds, 0, tr("%1 启动后不判断，秒").arg(name)), row, 3);
        if (c == Condition::PressureDrop)
            grid->addWidget(spin(key + QStringLiteral("_window_s"), r.windowS, 1, Config::kMaxSeconds, 0, tr("%1 时间窗，秒").arg(name)), row, 3);
        if (Config::hasAction(c)) {
            auto* action = new QComboBox(this);
            action->setObjectName(key + QStringLiteral("_action"));
            action->setAccessibleName(tr("%1 动作").arg(name));
            action->addItem(tr("警告"), QStringLiteral("warn"));
            action->addItem(tr("停泵"), QStringLiteral("stop"));
            action->setCurrentIndex(r.action == Action::Stop ? 1 : 0);
            grid->addWidget(action, row, 4);
        }
        if (Config::hasSwitch(c)) {
            auto* on = new QCheckBox(this);
            on->setObjectName(key + QStringLiteral("_enabled"));
            on->setAccessibleName(tr("%1 启用").arg(name));
            on->setChecked(r.enabled);
            grid->addWidget(on, row, 5);
        }
        ++row;
    }
    grid->addWidget(new QLabel(tr("报警时运行的程序"), this), row, 0);
    auto* command = new QLineEdit(config.command, this);
    command->setObjectName(QStringLiteral("command"));
    command->setAccessibleName(tr("报警时运行的程序"));
    command->setPlaceholderText(tr("无"));
    grid->addWidget(command, row, 1, 1, 5);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(this, &QDialog::accepted, this, [this, apply] { apply(this->config()); });
}

Config AlarmSettingsDialog::config() const
{
    Config out = m_base;
    for (Condition c : kConditions) {
        Rule& r = out.rule(c);
        const QString key = keyName(c);
        if (auto* b = findChild<QDoubleSpinBox*>(key + QStringLiteral("_mpa")))
            r.mpa = b->value();
        if (auto* b = findChild<QDoubleSpinBox*>(key + QStringLiteral("_delay_s")))
            r.delayS = b->value();
        if (auto* b = findChild<QDoubleSpinBox*>(key + QStringLiteral("_grace_s")))
            r.graceS = b->value();
        if (auto* b = findChild<QDoubleSpinBox*>(key + QStringLiteral("_window_s")))
            r.windowS = b->value();
        if (auto* b = findChild<QComboBox*>(key + QStringLiteral("_action")))
            r.action = b->currentData().toString() == QLatin1String("stop") ? Action::Stop : Action::Warn;
        if (auto* b = findChild<QCheckBox*>(key + QStringLiteral("_enabled")))
            r.enabled = b->isChecked();
    }
    out.command = findChild<QLineEdit*>(QStringLiteral("command"))->text().trimmed();
    return out;
}
