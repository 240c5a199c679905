#include "history/historywindow.h"

#include "history/eventtext.h"
#include "history/export.h"
#include "history/historyplot.h"
#include "history/plotviewdialog.h"
#include "history/journal.h"
#include "history/report.h"
#include "history/timeaxis.h"
#include "platform/exportfiles.h"
#include "platform/printer.h"
#include "resources/look.h"

#include <QDateTime>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QAbstractTableModel>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

// The window icon is a resource of this static library: registered on request.
static void registerResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

constexpr qint64 kSessionsRefreshMs = 5000;
constexpr qint64 kEndOfTime = std::numeric_limits<qint64>::max() / 4;


}  // namespace

// The event list: a table over the session's events, texts made only for
// the rows on screen, so months of events list at once.
class HistoryEventTable : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    const QList<history::Event>& events() const { return m_events; }

    void setEvents(const QList<history::Event>& events, bool severalDays)
    {
        beginResetModel();
        m_events = events;
        m_severalDays = severalDays;
        endResetModel();
    }

    void append(const QList<history::Event>& more)
    {
        if (more.isEmpty())
            return;
        beginInsertRows(QModelIndex(), int(m_events.size()), int(m_events.size() + more.size() - 1));
        m_events += more;
        endInsertRows();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_events.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : 4; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_events.size())
            return {};
        const history::Event& e = m_events[index.row()];
        switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
            case 0:
                return QDateTime::fromMSecsSinceEpoch(e.tMs).toString(
                    m_severalDays ? QStringLiteral("MM-dd HH:mm:ss") : QStringLiteral("HH:mm:ss"));
            case 1:
                return history::eventName(e);
            case 2:
                return history::sourceName(e.source);
            default:
                return history::detailText(e);
            }
        case Qt::ToolTipRole:
            return index.column() == 3 ? history::detailText(e) : history::eventLine(e);
        case Qt::ForegroundRole:
            if (index.column() == 1
                && (e.kind == QLatin1String("unclean_end") || e.kind == QLatin1String("port_lost")
                    || e.kind == QLatin1String("link_lost")))
                return QColor(180, 60, 0);
            return {};
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        switch (section) {
        case 0:
            return HistoryWindow::tr("时间");
        case 1:
            return HistoryWindow::tr("事件", "column heading");
        case 2:
            return HistoryWindow::tr("来源");
        case 3:
            return HistoryWindow::tr("内容");
        default:
            return {};
        }
    }

private:
    QList<history::Event> m_events;
    bool m_severalDays = false;
};

HistoryWindow::HistoryWindow(platform::ExportFiles& files, platform::Printer& printer, QWidget* parent)
    : QMainWindow(parent)
    , m_files(files)
    , m_printer(printer)
    , m_now([] { return QDateTime::currentMSecsSinceEpoch(); })
{
    registerResources();
    setObjectName(QStringLiteral("history"));
    setWindowTitle(tr("运行历史"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/pump.svg")));
    setFont(look::songti(10, false));
    buildControls();
    updateActions();
    resize(1180, 720);
}

HistoryWindow::~HistoryWindow() = default;

void HistoryWindow::buildControls()
{
    QToolBar* bar = addToolBar(tr("运行历史"));
    bar->setObjectName(QStringLiteral("historyTools"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const auto add = [&](const char* name, const QString& text, const QString& tip, void (HistoryWindow::*slot)()) {
        QAction* a = bar->addAction(text);
        a->setObjectName(QLatin1String(name));
        a->setToolTip(tip);
        connect(a, &QAction::triggered, this, slot);
        m_actions.insert(QLatin1String(name), a);
    };
    add("fitAll", tr("全部显示"), tr("显示所选运行的全部时间"), &HistoryWindow::fitAll);
    add("backToLive", tr("回到实时"), tr("跟随最新读数"), &HistoryWindow::backToLive);
    add("showEmptyRuns", tr("无读数的运行"), tr("也列出没有读数的运行"), &HistoryWindow::fillSessions);
    m_actions.value(QStringLiteral("showEmptyRuns"))->setCheckable(true);
    add("plotView", tr("曲线与坐标轴…"), tr("显示或隐藏曲线，手动设定或自动选择坐标轴范围"),
        &HistoryWindow::showPlotView);
    bar->addSeparator();
    add("exportCsv", tr("导出读数CSV…"), tr("所示范围的读数"), &HistoryWindow::exportCsv);
    add("exportEvents", tr("导出事件CSV…"), tr("所示范围的事件"), &HistoryWindow::exportEvents);
    add("exportPng", tr("导出图片…"), tr("曲线存为PNG图片"), &HistoryWindow::exportPng);
    add("exportPdf", tr("导出PDF…"), tr("曲线存为PDF"), &HistoryWindow::exportPdf);
    bar->addSeparator();
    add("reportPdf", tr("运行报告PDF…"), tr("一页报告：曲线、光标统计、事件"),
        &HistoryWindow::reportPdf);
    add("printReport", tr("打印报告…"), tr("在打印机上打印一页报告"),
        &HistoryWindow::printReport);

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setObjectName(QStringLiteral("historySplit"));
    auto* lists = new QSplitter(Qt::Vertical, split);

    const auto makeTree = [](const char* name, const QString& accessible, const QStringList& headers) {
        auto* tree = new QTreeWidget;
        tree->setObjectName(QLatin1String(name));
        tree->setAccessibleName(accessible);
        tree->setRootIsDecorated(false);
        tree->setUniformRowHeights(true);
        tree->setAlternatingRowColors(true);
        tree->setHeaderLabels(headers);
        tree->header()->setStretchLastSection(true);
        return tree;
    };
    const auto boxed = [](const QString& title, QWidget* inside) {
        auto* box = new QGroupBox(title);
        auto* layout = new QVBoxLayout(box);
        layout->setContentsMargins(6, 6, 6, 6);
        layout->addWidget(inside);
        return box;
    };
    m_sessions = makeTree("sessions", tr("运行记录"),
                          {tr("开始"), tr("结束"), tr("时长"), tr("读数")});
    m_eventTable = new HistoryEventTable(this);
    m_events = new QTreeView;
    m_events->setObjectName(QStringLiteral("events"));
    m_events->setAccessibleName(tr("事件"));
    m_events->setRootIsDecorated(false);
    m_events->setUniformRowHeights(true);
    m_events->setAlternatingRowColors(true);
    m_events->setModel(m_eventTable);
    m_events->header()->setStretchLastSection(true);
    // Widths from the longest texts they hold, not from reading every row.
    const QFontMetrics fm(look::songti(10, false));
    const auto widest = [&fm](const QStringList& texts) {
        int width = 0;
        for (const QString& text : texts)
            width = std::max(width, fm.horizontalAdvance(text));
        return width + 12;
    };
    m_events->setColumnWidth(1, widest(history::eventNames()));
    m_events->setColumnWidth(2, widest(history::sourceNames()));
    lists->addWidget(boxed(tr("运行记录"), m_sessions));
    lists->addWidget(boxed(tr("事件"), m_events));
    lists->setStretchFactor(0, 2);
    lists->setStretchFactor(1, 3);

    auto* right = new QWidget(split);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(4, 4, 4, 4);
    m_readout = new QLabel(tr("将鼠标移到曲线上查看数值"), right);
    m_readout->setObjectName(QStringLiteral("readout"));
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_plot = new HistoryPlot(right);
    m_plot->setObjectName(QStringLiteral("plot"));
    m_stats = new QLabel(right);
    m_stats->setObjectName(QStringLiteral("cursorStats"));
    m_stats->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_stats->setWordWrap(true);
    auto* hint = new QLabel(tr("滚轮缩放 · 左键拖动平移 · 右键（或Shift+左键）拖出范围放大 · 单击或拖动放置光标1、2"
                               " · 单击图例隐藏或显示曲线"),
                            right);
    hint->setWordWrap(true);
    hint->setObjectName(QStringLiteral("hint"));
    hint->setStyleSheet(QStringLiteral("color: rgb(100,100,100);"));
    rightLayout->addWidget(m_readout);
    rightLayout->addWidget(m_plot, 1);
    rightLayout->addWidget(m_stats);
    rightLayout->addWidget(hint);
    split->addWidget(lists);
    split->addWidget(right);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({470, 710});
    setCentralWidget(split);
    statusBar()->setSizeGripEnabled(false);

    connect(m_sessions, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item)
            showSession(item->data(0, Qt::UserRole).toLongLong());
    });
    connect(m_events->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    goToEvent(current.row());
            });
    connect(m_plot, &HistoryPlot::rangeChangedByOperator, this, [this] {
        setLive(false, std::nullopt);
        showTimeInDialog();  // shown as the range moved, while it was still live
    });
    connect(m_plot, &HistoryPlot::pointerMoved, this, &HistoryWindow::showReadout);
    m_statsTimer = new QTimer(this);
    m_statsTimer->setSingleShot(true);
    m_statsTimer->setInterval(150);
    connect(m_statsTimer, &QTimer::timeout, this, &HistoryWindow::updateStats);
    connect(m_plot, &HistoryPlot::cursorsMoved, m_statsTimer, qOverload<>(&QTimer::start));
}

void HistoryWindow::setSource(history::HistorySource* source, std::optional<qint64> liveSession,
                              const QString& journalPath)
{
    m_source = source;
    m_liveSession = liveSession;
    m_journalPath = journalPath;
    m_session = history::SessionInfo{};
    m_plot->setSource(nullptr, 0);
    statusBar()->showMessage(journalPath);
    fillSessions();
    // The session being written when there is one, else the newest with
    // readings, else the newest.
    const QList<history::SessionInfo> sessions = source ? source->sessions() : QList<history::SessionInfo>{};
    std::optional<history::SessionInfo> first;
    if (liveSession)
        first = history::exportcsv::pickSession(sessions, liveSession);
    QList<history::SessionInfo> withReadings;
    for (const history::SessionInfo& s : sessions) {
        if (s.readings > 0)
            withReadings << s;
    }
    if (!first)
        first = history::exportcsv::pickSession(withReadings, std::nullopt);
    if (!first)
        first = history::exportcsv::pickSession(sessions, std::nullopt);
    if (first)
        showSession(first->id);
    updateActions();
}

void HistoryWindow::fillSessions()
{
    m_lastSessionsFill = m_now();
    const QSignalBlocker block(m_sessions);
    m_sessions->clear();
    if (!m_source)
        return;
    const QList<history::SessionInfo> sessions = m_source->sessions();
    showReadError();
    const bool showEmpty = m_actions.value(QStringLiteral("showEmptyRuns"))->isChecked();
    for (const history::SessionInfo& s : sessions) {
        if (s.readings == 0 && !showEmpty && s.id != m_liveSession && s.id != m_session.id)
            continue;
        // The end as a time of day when the session ended on the day it began.
        const auto endText = [&](qint64 t) {
            const QDateTime end = QDateTime::fromMSecsSinceEpoch(t);
            return end.date() == QDateTime::fromMSecsSinceEpoch(s.startedMs).date()
                       ? end.toString(QStringLiteral("HH:mm:ss"))
                       : history::localTimeText(t);
        };
        QString end;
        const std::optional<bool> written = s.endedMs || m_liveSession == s.id
                                                ? std::nullopt
                                                : history::sessionBeingWritten(m_journalPath, s.id);
        if (s.endedMs)
            end = endText(*s.endedMs);
        else if (m_liveSession == s.id)
            end = tr("运行中");
        else if (written == true)
            end = tr("仍在记录");  // by a panel that runs
        else if (!written && &s == &sessions.first())
            end = endText(s.lastMs) + tr("（未结束）");  // still being written, or cut short
        else
            end = endText(s.lastMs) + tr("（未正常结束）");
        const qint64 last = m_liveSession == s.id && m_liveEnd ? std::max(s.lastMs, m_liveEnd())
                                                               : s.endedMs.value_or(s.lastMs);
        // The year only when it is not this one: the columns stay narrow.
        const QDateTime start = QDateTime::fromMSecsSinceEpoch(s.startedMs);
        const QString startText = start.toString(start.date().year() == QDateTime::fromMSecsSinceEpoch(m_now()).date().year()
                                                     ? QStringLiteral("MM-dd HH:mm:ss")
                                                     : QStringLiteral("yyyy-MM-dd HH:mm"));
        auto* item = new QTreeWidgetItem(m_sessions, {startText, end,
                                                      history::durationText(last - s.startedMs),
                                                      QString::number(s.readings)});
        item->setData(0, Qt::UserRole, s.id);
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        const QString tip = tr("运行 %1，端口 %2").arg(s.id).arg(s.port.isEmpty() ? tr("未打开") : s.port);
        for (int c = 0; c < 4; ++c)
            item->setToolTip(c, tip);
        if (s.id == m_session.id) {
            m_session = s;
            m_sessions->setCurrentItem(item);
        }
    }
    for (int c = 0; c < 3; ++c)
        m_sessions->resizeColumnToContents(c);
}

void HistoryWindow::showSession(qint64 id)
{
    if (!m_source)
        return;
    for (const history::SessionInfo& s : m_source->sessions()) {
        if (s.id == id)
            m_session = s;
    }
    if (m_session.id != id)
        return;
    {
        const QSignalBlocker block(m_sessions);
        for (int i = 0; i < m_sessions->topLevelItemCount(); ++i) {
            if (m_sessions->topLevelItem(i)->data(0, Qt::UserRole).toLongLong() == id)
                m_sessions->setCurrentItem(m_sessions->topLevelItem(i));
        }
    }
    m_plot->setSource(m_source, id);
    m_plot->setExtent(m_session.startedMs, sessionEnd());
    m_plot->setCursors(m_session.startedMs, sessionEnd());
    fillEvents(false);
    fitAll();
    m_stats->setText(tr("统计中…"));
    m_statsTimer->start();
}

qint64 HistoryWindow::sessionEnd() const
{
    qint64 end = m_session.endedMs.value_or(m_session.lastMs);
    if (m_liveSession == m_session.id && m_liveEnd)
        end = std::max(end, m_liveEnd());
    return std::max(end, m_session.startedMs + 1000);
}

void HistoryWindow::fillEvents(bool keepOld)
{
    if (!m_source) {
        m_eventTable->setEvents({}, false);
        m_plot->setEvents({});
        return;
    }
    const QList<history::Event>& held = m_eventTable->events();
    if (keepOld && !held.isEmpty()) {
        // Only what came since the last one held: a month of events is not
        // read again every second.
        const qint64 lastMs = held.last().tMs;
        QList<history::Event> more = m_source->events(m_session.id, lastMs, kEndOfTime);
        qsizetype same = 0;
        for (qsizetype i = held.size() - 1; i >= 0 && held[i].tMs == lastMs; --i)
            ++same;
        more.erase(more.begin(), more.begin() + std::min(same, more.size()));
        if (showReadError() || more.isEmpty())
            return;
        m_eventTable->append(more);
    } else {
        const bool severalDays = QDateTime::fromMSecsSinceEpoch(m_session.startedMs).date()
                                 != QDateTime::fromMSecsSinceEpoch(sessionEnd()).date();
        m_eventTable->setEvents(m_source->events(m_session.id, m_session.startedMs, kEndOfTime), severalDays);
        showReadError();
        m_events->setColumnWidth(0, QFontMetrics(look::songti(10, false)).horizontalAdvance(
                                        severalDays ? QStringLiteral("00-00 00:00:00") : QStringLiteral("00:00:00"))
                                        + 12);
    }
    m_plot->setEvents(m_eventTable->events());
}

void HistoryWindow::setLive(bool live, std::optional<qint64> span)
{
    live = live && m_liveSession && m_session.id == *m_liveSession;
    m_live = live;
    m_liveSpan = live ? span : std::nullopt;
    updateActions();
}

void HistoryWindow::followLive()
{
    const qint64 end = sessionEnd();
    m_plot->setExtent(m_session.startedMs, end);
    const qint64 from = m_liveSpan ? end - *m_liveSpan : m_session.startedMs;
    m_plot->setRange(from, end);
}

void HistoryWindow::fitAll()
{
    if (!m_source || m_session.startedMs == 0)
        return;
    setLive(true, std::nullopt);
    m_plot->setExtent(m_session.startedMs, sessionEnd());
    m_plot->setRange(m_session.startedMs, sessionEnd());
}

void HistoryWindow::backToLive()
{
    if (!m_liveSession)
        return;
    if (m_session.id != *m_liveSession) {
        showSession(*m_liveSession);  // fits the whole of it, following
        return;
    }
    const qint64 span = m_plot->toMs() - m_plot->fromMs();
    setLive(true, span >= sessionEnd() - m_session.startedMs ? std::nullopt : std::optional<qint64>(span));
    followLive();
}

void HistoryWindow::refresh()
{
    if (!m_source)
        return;
    // (A clock set back refreshes at once rather than in an hour.)
    const qint64 sinceFill = m_now() - m_lastSessionsFill;
    if (sinceFill >= kSessionsRefreshMs || sinceFill < 0)
        fillSessions();
    if (!m_liveSession || m_session.id != *m_liveSession)
        return;
    fillEvents(true);
    // While following, a cursor at the end of the run stays at its end, and
    // the statistics take in what came.
    const qint64 oldEnd = m_plot->extentLastMs();
    if (m_live) {
        const auto atEnd = [oldEnd](std::optional<qint64> c) { return c && *c >= oldEnd; };
        const bool move1 = atEnd(m_plot->cursor1());
        const bool move2 = atEnd(m_plot->cursor2());
        followLive();
        if (move1 || move2)
            m_plot->setCursors(move1 ? sessionEnd() : m_plot->cursor1(), move2 ? sessionEnd() : m_plot->cursor2());
        m_statsTimer->start();
    } else {
        m_plot->setExtent(m_session.startedMs, sessionEnd());
    }
    m_plot->reload();
}

void HistoryWindow::goToEvent(int row)
{
    const QList<history::Event>& events = m_eventTable->events();
    if (row < 0 || row >= events.size())
        return;
    const qint64 t = events[row].tMs;
    const qint64 span = m_plot->toMs() - m_plot->fromMs();
    setLive(false, std::nullopt);
    m_plot->setRange(t - span / 2, t - span / 2 + span);
}

std::optional<history::Reading> HistoryWindow::inForce(qint64 tMs) const
{
    // Inside a stretch of readings the values in force are the last ones at
    // or before that time; outside, the pump said nothing. (Beyond the range
    // shown the stretches are not at hand: the last reading stands.)
    const history::PlotData& shown = m_plot->picture().data;
    bool covered = tMs < shown.fromMs || tMs > shown.toMs;
    for (const history::Span& s : shown.covered)
        covered = covered || (tMs >= s.fromMs && tMs <= s.toMs);
    return m_source && covered ? m_source->readingAt(m_session.id, tMs) : std::nullopt;
}

void HistoryWindow::showReadout(qint64 tMs)
{
    QString text = tr("时间 ") + history::localTimeText(tMs, true);
    const std::optional<history::Reading> r = inForce(tMs);
    if (r) {
        text += tr("    压力 %1    压力上限 %2    流量设定 %3")
                    .arg(history::mpaText(r->pressure), history::mpaText(r->limit),
                         r->flow ? history::exportcsv::number(r->flow) + QStringLiteral(" ml/min") : QStringLiteral("—"));
    } else {
        text += tr("    此时没有读数");
    }
    m_readout->setText(text);
}

void HistoryWindow::updateStats()
{
    const auto c1 = m_plot->cursor1();
    const auto c2 = m_plot->cursor2();
    if (!m_source || !c1 || !c2) {
        m_stats->setText(tr("单击曲线放置光标1和光标2，查看两者之间的统计"));
        return;
    }
    const qint64 a = std::min(*c1, *c2);
    const qint64 b = std::max(*c1, *c2);
    const history::RangeStats stats = m_source->stats(m_session.id, a, b);
    if (!m_source->lastError().isEmpty()) {
        m_stats->setText(m_source->lastError());
        return;
    }
    m_stats->setText(tr("光标 %1 至 %2，间隔 %3\n%4")
                         .arg(history::localTimeText(*c1, true), history::localTimeText(*c2, true),
                              history::durationText(b - a), history::statsText(stats))
                     + QLatin1Char('\n')
                     + history::cursorValuesText(inForce(*c1), inForce(*c2)));
}

void HistoryWindow::showPlotView()
{
    if (!m_plotView) {
        m_plotView = new PlotViewDialog(*m_plot, this);
        connect(m_plotView, &PlotViewDialog::wholeRunChosen, this, &HistoryWindow::fitAll);
        connect(m_plotView, &PlotViewDialog::timeRangeChosen, this, [this](qint64 from, qint64 to) {
            setLive(false, std::nullopt);
            m_plot->setRange(from, to);
        });
        connect(m_plot, &HistoryPlot::rangeShown, m_plotView, [this] { showTimeInDialog(); });
    }
    m_plotView->takeFromPlot();
    showTimeInDialog();
    m_plotView->show();
    m_plotView->raise();
    m_plotView->activateWindow();
}

void HistoryWindow::showTimeInDialog()
{
    if (!m_plotView)
        return;
    // The whole run: followed live from its start, or all of a past one.
    const bool whole = m_session.startedMs != 0 && m_plot->fromMs() == m_session.startedMs
                       && (m_live ? !m_liveSpan : m_plot->toMs() >= sessionEnd());
    m_plotView->showTime(m_plot->fromMs(), m_plot->toMs(), whole);
}

void HistoryWindow::updateActions()
{
    const bool any = m_source && m_session.startedMs != 0;
    for (const char* name : {"fitAll", "exportCsv", "exportEvents", "exportPng", "exportPdf", "reportPdf", "printReport"})
        m_actions.value(QLatin1String(name))->setEnabled(any);
    QAction* live = m_actions.value(QStringLiteral("backToLive"));
    live->setEnabled(m_liveSession.has_value() && !m_live);
    live->setVisible(m_liveSession.has_value());
}

QString HistoryWindow::sessionTitle() const
{
    return tr("运行 %1  %2 至 %3")
        .arg(m_session.id)
        .arg(history::localTimeText(m_plot->fromMs()), history::localTimeText(m_plot->toMs()));
}

bool HistoryWindow::showReadError()
{
    if (!m_source || m_source->lastError().isEmpty())
        return false;
    statusBar()->showMessage(m_source->lastError());
    return true;
}

bool HistoryWindow::writeExport(const QString& caption, const QString& name, const QString& filter,
                                const std::function<bool(QIODevice&, QString*)>& write, const QString& done)
{
    if (!m_source)
        return false;
    const QString path = m_files.chooseSaveFile(caption, name, filter);
    if (path.isEmpty())
        return false;
    QString error;
    const bool ok = m_files.writeFile(path, [&](QIODevice& out) { return write(out, &error); }, &error);
    statusBar()->showMessage(ok ? done.arg(path) : tr("导出失败：%1（%2）").arg(path, error));
    return ok;
}

void HistoryWindow::exportCsv()
{
    const qint64 from = m_plot->fromMs();
    const qint64 to = m_plot->toMs();
    writeExport(tr("导出读数CSV"), history::exportcsv::fileName(m_session.id, from, QString(), QStringLiteral("csv")),
                QStringLiteral("CSV (*.csv)"),
                [&](QIODevice& out, QString* error) {
                    return history::exportcsv::writeReadings(*m_source, m_session.id, from, to, out, error);
                },
                tr("已导出读数：%1"));
}

void HistoryWindow::exportEvents()
{
    const qint64 from = m_plot->fromMs();
    const qint64 to = m_plot->toMs();
    writeExport(tr("导出事件CSV"),
                history::exportcsv::fileName(m_session.id, from, QStringLiteral("events"), QStringLiteral("csv")),
                QStringLiteral("CSV (*.csv)"),
                [&](QIODevice& out, QString* error) {
                    return history::exportcsv::writeEvents(*m_source, m_session.id, from, to, out, error);
                },
                tr("已导出事件：%1"));
}

void HistoryWindow::exportPng()
{
    // Twice the size on screen, so the picture stays sharp in a document.
    const QSize size = m_plot->size();
    writeExport(tr("导出图片"),
                history::exportcsv::fileName(m_session.id, m_plot->fromMs(), QString(), QStringLiteral("png")),
                QStringLiteral("PNG (*.png)"),
                [&](QIODevice& out, QString* error) {
                    const history::PlotPicture picture = m_plot->pictureAt(size);
                    *error = picture.error;
                    return picture.error.isEmpty() && history::writePlotPng(picture, size, 2, out);
                },
                tr("已导出图片：%1"));
}

void HistoryWindow::exportPdf()
{
    writeExport(tr("导出PDF"),
                history::exportcsv::fileName(m_session.id, m_plot->fromMs(), QString(), QStringLiteral("pdf")),
                QStringLiteral("PDF (*.pdf)"),
                [&](QIODevice& out, QString* error) {
                    const history::PlotPicture picture = m_plot->pictureAt(history::plotPdfSize());
                    *error = picture.error;
                    return picture.error.isEmpty()
                           && history::writePlotPdf(picture, history::plotPdfSize(), sessionTitle(), out);
                },
                tr("已导出PDF：%1"));
}

namespace {

history::ReportContent reportOf(history::HistorySource& source, const history::SessionInfo& session,
                                const HistoryPlot& plot, const QString& journal, qint64 now)
{
    history::ReportContent c;
    c.session = session;
    c.fromMs = plot.fromMs();
    c.toMs = plot.toMs();
    c.picture = plot.pictureAt(history::reportPlotSize());
    c.events = history::eventsIn(plot.events(), c.fromMs, c.toMs);
    // The statistics cover what the page's plot shows between the cursors.
    if (plot.cursor1() && plot.cursor2()) {
        const qint64 a = std::clamp(std::min(*plot.cursor1(), *plot.cursor2()), c.fromMs, c.toMs);
        const qint64 b = std::clamp(std::max(*plot.cursor1(), *plot.cursor2()), c.fromMs, c.toMs);
        c.picture.cursor1 = a;
        c.picture.cursor2 = b;
        c.stats = source.stats(session.id, a, b);
    }
    c.journal = journal;
    c.madeMs = now;
    return c;
}

}  // namespace

void HistoryWindow::reportPdf()
{
    writeExport(tr("运行报告PDF"),
                history::exportcsv::fileName(m_session.id, m_plot->fromMs(), QStringLiteral("report"), QStringLiteral("pdf")),
                QStringLiteral("PDF (*.pdf)"),
                [&](QIODevice& out, QString* error) {
                    const history::ReportContent content = reportOf(*m_source, m_session, *m_plot, m_journalPath, m_now());
                    *error = content.picture.error;
                    return error->isEmpty() && history::writeReportPdf(content, out);
                },
                tr("已保存运行报告：%1"));
}

void HistoryWindow::printReport()
{
    if (!m_source)
        return;
    const history::ReportContent content = reportOf(*m_source, m_session, *m_plot, m_journalPath, m_now());
    if (!content.picture.error.isEmpty()) {
        statusBar()->showMessage(tr("打印失败：%1").arg(content.picture.error));
        return;
    }
    const std::optional<bool> printed = m_printer.printPainted(
        [&](QPainter& painter, const QRect& page) { history::paintReport(painter, page, content); });
    if (printed)
        statusBar()->showMessage(*printed ? tr("运行报告已打印") : tr("打印失败"));
}
