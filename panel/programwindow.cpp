#include "panel/programwindow.h"

#include "panel/panel.h"
#include "platform/dialogs.h"
#include "platform/exportfiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIODevice>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QColor kFaultColour(250, 200, 195);

QPushButton* button(QWidget* parent, const char* name, const QString& text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAccessibleName(text);
    return b;
}

QLabel* label(QWidget* parent, const char* name, const QString& spoken)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setAccessibleName(spoken);
    l->setWordWrap(true);
    return l;
}

QString ml(double value)
{
    return QString::number(value, 'f', 1);
}

}  // namespace

ProgramPicture::ProgramPicture(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(360, 110);
}

void ProgramPicture::show(const program::Steps& steps, qint64 nowMs)
{
    if (m_steps == steps && m_nowMs == nowMs)
        return;
    m_steps = steps;
    m_nowMs = nowMs;
    update();
}

void ProgramPicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(QColor(160, 160, 160));
    const QRectF area = QRectF(rect()).adjusted(6, 6, -6, -6);
    p.drawRect(area);
    const qint64 total = program::totalMs(m_steps);
    if (total <= 0)
        return;
    double top = 0;
    for (const program::Step& s : m_steps)
        top = std::max(top, s.flow);
    const auto at = [&](qint64 ms, double flow) {
        return QPointF(area.left() + area.width() * ms / total, area.bottom() - area.height() * flow / (top * 1.1));
    };
    // The corners of the planned flow: steps are flat, ramps straight.
    QPolygonF line;
    qint64 start = 0;
    double previous = m_steps.first().flow;
    for (const program::Step& s : m_steps) {
        line << at(start, s.change == program::Change::Ramp ? previous : s.flow) << at(start + s.durationMs, s.flow);
        start += s.durationMs;
        previous = s.flow;
    }
    // The scale: the highest flow at the top, the length at the right.
    p.setPen(QColor(90, 90, 90));
    const QRectF inside = area.adjusted(4, 2, -4, -2);
    p.drawText(inside, Qt::AlignTop | Qt::AlignLeft, tr("%1 ml/min").arg(program::numberText(top)));
    p.drawText(inside, Qt::AlignBottom | Qt::AlignRight, program::clockText(total));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 90, 200), 2));
    p.drawPolyline(line);
    if (m_nowMs >= 0) {
        p.setPen(QPen(QColor(220, 30, 30), 2));
        const double x = at(m_nowMs, 0).x();
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
}

ProgramWindow::ProgramWindow(Panel& panel, platform::Dialogs& dialogs, platform::ExportFiles* files, QWidget* parent)
    : QWidget(parent, Qt::Window), m_panel(panel), m_dialogs(dialogs), m_files(files)
{
    setObjectName(QStringLiteral("programWindow"));
    setWindowTitle(tr("运行程序"));
    auto* layout = new QVBoxLayout(this);

    m_table = new QTableWidget(0, program::kColumns, this);
    m_table->setObjectName(QStringLiteral("steps"));
    m_table->setAccessibleName(tr("程序步骤"));
    m_table->setHorizontalHeaderLabels(
        {tr("时长（秒或 分:秒）"), tr("流量（ml/min）"), tr("压力上限（MPa，可空）"), tr("流量变化")});
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->setMinimumHeight(170);
    layout->addWidget(m_table);
    connect(m_table, &QTableWidget::itemChanged, this, &ProgramWindow::check);

    auto* edit = new QHBoxLayout;
    QPushButton* add = button(this, "addStep", tr("添加步骤"));
    QPushButton* remove = button(this, "removeStep", tr("删除步骤"));
    QPushButton* up = button(this, "moveStepUp", tr("上移"));
    QPushButton* down = button(this, "moveStepDown", tr("下移"));
    QPushButton* openButton = button(this, "openProgram", tr("打开…"));
    QPushButton* saveButton = button(this, "saveProgram", tr("保存…"));
    for (QPushButton* b : {add, remove, up, down, openButton, saveButton})
        edit->addWidget(b);
    layout->addLayout(edit);
    m_editors = {m_table, add, remove, up, down, openButton};
    connect(add, &QPushButton::clicked, this, [this] {
        // A new step carries on from the last one.
        program::Step step;
        step.durationMs = 60000;
        step.flow = 100;
        if (const auto s = steps(); s && !s->isEmpty())
            step.flow = s->last().flow;
        addRow(step);
        check();
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (m_table->currentRow() >= 0)
            m_table->removeRow(m_table->currentRow());
        check();
    });
    connect(up, &QPushButton::clicked, this, [this] { moveRow(-1); });
    connect(down, &QPushButton::clicked, this, [this] { moveRow(1); });
    connect(openButton, &QPushButton::clicked, this, &ProgramWindow::open);
    connect(saveButton, &QPushButton::clicked, this, &ProgramWindow::save);

    m_totals = label(this, "totals", tr("总时间和计划体积"));
    layout->addWidget(m_totals);
    m_picture = new ProgramPicture(this);
    m_picture->setObjectName(QStringLiteral("picture"));
    m_picture->setAccessibleName(tr("程序流量图"));
    layout->addWidget(m_picture);

    m_keepRunning = new QCheckBox(tr("结束后保持运行"), this);
    m_keepRunning->setObjectName(QStringLiteral("keepRunning"));
    m_keepRunning->setAccessibleName(m_keepRunning->text());
    layout->addWidget(m_keepRunning);
    auto* controls = new QHBoxLayout;
    m_start = button(this, "startProgram", tr("开始"));
    m_pause = button(this, "pauseProgram", tr("暂停"));
    m_continue = button(this, "continueProgram", tr("继续"));
    m_end = button(this, "endProgram", tr("结束"));
    for (QPushButton* b : {m_start, m_pause, m_continue, m_end})
        controls->addWidget(b);
    layout->addLayout(controls);
    connect(m_start, &QPushButton::clicked, this, [this] {
        if (const auto s = steps())
            m_panel.startProgram(*s, m_name.isEmpty() ? tr("未命名") : m_name, m_keepRunning->isChecked());
    });
    connect(m_pause, &QPushButton::clicked, &m_panel, &Panel::runPause);
    connect(m_continue, &QPushButton::clicked, &m_panel, &Panel::runContinue);
    connect(m_end, &QPushButton::clicked, &m_panel, &Panel::runEnd);

    m_progress = label(this, "progress", tr("程序进度"));
    layout->addWidget(m_progress);
    m_note = label(this, "manualNote", tr("说明"));
    m_note->setText(tr("运行中手动给出的流量或压力已发送并记录；程序的下一条命令会覆盖它。"));
    m_note->hide();
    layout->addWidget(m_note);

    ProgramRun& run = m_panel.program();
    connect(&run, &ProgramRun::changed, this, &ProgramWindow::showRun);
    connect(&run, &ProgramRun::started, m_note, &QWidget::hide);
    connect(&m_panel, &Panel::setPointDuringRun, this, [this] {
        if (m_panel.program().kind() == ProgramRun::Kind::Program)
            m_note->show();
    });
    check();
}

void ProgramWindow::addRow(const program::Step& step)
{
    m_checking = true;
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    const QString texts[] = {program::numberText(step.durationMs / 1000.0), program::numberText(step.flow),
                             step.pressure ? program::numberText(*step.pressure) : QString()};
    for (int c = 0; c < 3; ++c)
        m_table->setItem(row, c, new QTableWidgetItem(texts[c]));
    m_table->setItem(row, program::ChangeColumn, new QTableWidgetItem);
    auto* change = new QComboBox;
    change->addItems({tr("阶跃"), tr("线性")});
    change->setAccessibleName(tr("流量变化"));
    change->setCurrentIndex(step.change == program::Change::Ramp ? 1 : 0);
    connect(change, &QComboBox::currentIndexChanged, this, &ProgramWindow::check);
    m_table->setCellWidget(row, program::ChangeColumn, change);
    m_checking = false;
}

void ProgramWindow::moveRow(int by)
{
    const int row = m_table->currentRow();
    const auto s = steps();
    if (row < 0 || row + by < 0 || row + by >= m_table->rowCount())
        return;
    // Moved as texts, so a cell still being corrected moves with its row.
    for (int c = 0; c < program::kColumns; ++c) {
        if (c == program::ChangeColumn) {
            auto* a = static_cast<QComboBox*>(m_table->cellWidget(row, c));
            auto* b = static_cast<QComboBox*>(m_table->cellWidget(row + by, c));
            const int ai = a->currentIndex();
            a->setCurrentIndex(b->currentIndex());
            b->setCurrentIndex(ai);
            continue;
        }
        const QString text = m_table->item(row, c)->text();
        m_table->item(row, c)->setText(m_table->item(row + by, c)->text());
        m_table->item(row + by, c)->setText(text);
    }
    m_table->setCurrentCell(row + by, m_table->currentColumn());
    check();
}

void ProgramWindow::check()
{
    if (m_checking)
        return;
    m_checking = true;
    m_fault.clear();
    program::Steps all;
    const QLocale locale;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        program::Step step;
        auto* change = static_cast<QComboBox*>(m_table->cellWidget(row, program::ChangeColumn));
        step.change = change->currentIndex() == 1 ? program::Change::Ramp : program::Change::Step;
        const auto mark = [&](int column, const QString& why) {
            if (!why.isEmpty() && m_fault.isEmpty())
                m_fault = tr("第 %1 行 %2：%3").arg(row + 1).arg(m_table->horizontalHeaderItem(column)->text(), why);
        };
        for (int c = 0; c < program::ChangeColumn; ++c) {
            QTableWidgetItem* item = m_table->item(row, c);
            QString why;
            program::readCell(static_cast<program::Column>(c), item->text(), step, &why, locale);
            item->setBackground(why.isEmpty() ? QBrush() : QBrush(kFaultColour));
            item->setToolTip(why);
            item->setData(Qt::AccessibleDescriptionRole, why);
            mark(c, why);
        }
        all << step;
        const QString why = program::placeFault(all, row);
        change->setToolTip(why);
        change->setAccessibleDescription(why);
        change->setStyleSheet(why.isEmpty() ? QString() : QStringLiteral("background: %1").arg(kFaultColour.name()));
        mark(program::ChangeColumn, why);
    }
    if (all.isEmpty())
        m_fault = tr("程序没有步骤");
    m_totals->setText(m_fault.isEmpty() ? tr("总时间 %1，计划体积 %2 ml")
                                              .arg(program::clockText(program::totalMs(all)), ml(program::plannedVolumeMl(all)))
                                        : m_fault);
    m_picture->show(m_fault.isEmpty() ? all : program::Steps{}, m_picture->markerMs());
    m_checking = false;
    showRun();
}

std::optional<program::Steps> ProgramWindow::steps() const
{
    if (!m_fault.isEmpty())
        return std::nullopt;
    program::Steps all;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        program::Step step;
        for (int c = 0; c < program::ChangeColumn; ++c)
            program::readCell(static_cast<program::Column>(c), m_table->item(row, c)->text(), step, nullptr, QLocale());
        const auto* change = static_cast<QComboBox*>(m_table->cellWidget(row, program::ChangeColumn));
        step.change = change->currentIndex() == 1 ? program::Change::Ramp : program::Change::Step;
        all << step;
    }
    return all;
}

void ProgramWindow::setSteps(const program::Steps& steps)
{
    m_table->setRowCount(0);
    for (const program::Step& s : steps)
        addRow(s);
    check();
}

void ProgramWindow::showRun()
{
    const ProgramRun& run = m_panel.program();
    const bool mine = run.active() && run.kind() == ProgramRun::Kind::Program;
    for (QWidget* w : m_editors)
        w->setEnabled(!mine);
    m_start->setEnabled(!mine && m_fault.isEmpty());
    m_pause->setEnabled(mine && run.state() == ProgramRun::State::Running);
    m_continue->setEnabled(mine && run.state() == ProgramRun::State::Paused);
    m_end->setEnabled(mine);
    if (!mine) {
        m_progress->setText(tr("未运行"));
        m_picture->show(steps().value_or(program::Steps{}), -1);
        return;
    }
    const QString text = tr("第 %1/%2 步，本步剩余 %3，总剩余 %4，已输送约 %5 ml")
                             .arg(run.stepIndex() + 1)
                             .arg(run.steps().size())
                             .arg(program::clockText(run.stepLeftMs()), program::clockText(run.totalLeftMs()),
                                  ml(run.volumeMl()));
    m_progress->setText(run.state() == ProgramRun::State::Paused ? tr("已暂停：") + text : text);
    m_picture->show(run.steps(), run.elapsedMs());
}

bool ProgramWindow::openFile(const QString& path)
{
    QByteArray bytes;
    QString error;
    if (!m_files || !m_files->readFile(path, &bytes, &error)) {
        m_dialogs.messageBox(tr("无法打开程序 %1：%2").arg(path, error), tr("运行程序"));
        return false;
    }
    program::ParseError fault;
    const auto parsed = program::parse(bytes, &fault);
    if (!parsed) {
        m_dialogs.messageBox(tr("无法打开程序 %1：\n第 %2 行：%3").arg(path).arg(fault.line).arg(fault.reason),
                             tr("运行程序"));
        return false;
    }
    m_name = QFileInfo(path).fileName();
    setWindowTitle(tr("运行程序 - %1").arg(m_name));
    setSteps(*parsed);
    return true;
}

void ProgramWindow::open()
{
    if (!m_files)
        return;
    const QString path = m_files->chooseOpenFile(tr("打开程序"), tr("程序 (*.csv)"));
    if (!path.isEmpty())
        openFile(path);
}

void ProgramWindow::save()
{
    const auto s = steps();
    if (!s) {
        m_dialogs.messageBox(tr("程序有错误，未保存：%1").arg(m_fault), tr("运行程序"));
        return;
    }
    if (!m_files)
        return;
    const QString path =
        m_files->chooseSaveFile(tr("保存程序"), m_name.isEmpty() ? QStringLiteral("program.csv") : m_name, tr("程序 (*.csv)"));
    if (path.isEmpty())
        return;
    QString error;
    const QByteArray bytes = program::toCsv(*s);
    if (!m_files->writeFile(path, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); }, &error)) {
        m_dialogs.messageBox(tr("无法保存程序 %1：%2").arg(path, error), tr("运行程序"));
        return;
    }
    m_name = QFileInfo(path).fileName();
    setWindowTitle(tr("运行程序 - %1").arg(m_name));
}

DoseWindow::DoseWindow(Panel& panel, QWidget* parent) : QWidget(parent, Qt::Window), m_panel(panel)
{
    setObjectName(QStringLiteral("doseWindow"));
    setWindowTitle(tr("定量输送"));
    auto* layout = new QVBoxLayout(this);
    m_status = label(this, "doseStatus", tr("定量输送进度"));
    QFont big = m_status->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    m_status->setFont(big);
    layout->addWidget(m_status);
    QLabel* note = label(this, "doseNote", tr("说明"));
    note->setText(Panel::estimateNote());
    layout->addWidget(note);
    auto* row = new QHBoxLayout;
    m_pause = button(this, "dosePause", tr("暂停"));
    m_continue = button(this, "doseContinue", tr("继续"));
    m_end = button(this, "doseEnd", tr("结束"));
    for (QPushButton* b : {m_pause, m_continue, m_end})
        row->addWidget(b);
    layout->addLayout(row);
    connect(m_pause, &QPushButton::clicked, &m_panel, &Panel::runPause);
    connect(m_continue, &QPushButton::clicked, &m_panel, &Panel::runContinue);
    connect(m_end, &QPushButton::clicked, &m_panel, &Panel::runEnd);
    connect(&m_panel.program(), &ProgramRun::changed, this, &DoseWindow::showRun);
    setMinimumWidth(480);
    showRun();
}

void DoseWindow::showRun()
{
    const ProgramRun& run = m_panel.program();
    if (run.kind() != ProgramRun::Kind::Dose)
        return;
    const bool running = run.state() == ProgramRun::State::Running;
    m_pause->setEnabled(running);
    m_continue->setEnabled(run.state() == ProgramRun::State::Paused);
    m_end->setEnabled(run.active());
    const QString text = tr("已输送 %1 ml / 目标 %2 ml，剩余 %3")
                             .arg(ml(run.volumeMl()), ml(run.targetMl()), program::clockText(run.totalLeftMs()));
    if (run.state() == ProgramRun::State::Paused)
        m_status->setText(tr("已暂停：") + text);
    else if (!run.active())
        m_status->setText(tr("已结束：") + text);
    else
        m_status->setText(text);
}
