#pragma once

#include "history/historysource.h"

#include <QMainWindow>
#include <QMap>

#include <functional>
#include <optional>

class HistoryEventTable;
class HistoryPlot;
class PlotViewDialog;
class QLabel;
class QTimer;
class QTreeView;
class QTreeWidget;

namespace platform {
class ExportFiles;
class Printer;
}  // namespace platform

// "运行历史": the sessions of a journal, the plot of the one chosen with its
// events beside it, two cursors with the statistics between them, and the
// exports of the range shown. Opened from the panel it follows the session
// being written ("live") until the operator zooms or pans; "回到实时" resumes.
class HistoryWindow : public QMainWindow {
    Q_OBJECT
public:
    HistoryWindow(platform::ExportFiles& files, platform::Printer& printer, QWidget* parent = nullptr);
    ~HistoryWindow() override;

    // Shows the journal behind `source` (not owned: it must outlive the
    // window or be replaced first), at its newest session. `liveSession`
    // is the session this program is writing, followed as it grows; none
    // for a journal opened to look back. `journalPath` names the file in the
    // reports.
    void setSource(history::HistorySource* source, std::optional<qint64> liveSession, const QString& journalPath);
    void showSession(qint64 session);
    qint64 session() const { return m_session.id; }

    bool isLive() const { return m_live; }
    // The wall clock (epoch ms) for the report's time and the year shown;
    // tests set their own.
    void setClock(std::function<qint64()> now) { m_now = std::move(now); }
    // Where the live session ends now: the journal's own clock, which a
    // suspend or a change of the wall clock does not throw off. Without one
    // the live session ends at its last row.
    void setLiveEnd(std::function<qint64()> now) { m_liveEnd = std::move(now); }

    HistoryPlot* plot() const { return m_plot; }
    QTreeWidget* sessionList() const { return m_sessions; }
    QTreeView* eventList() const { return m_events; }
    QLabel* readout() const { return m_readout; }
    QLabel* cursorStats() const { return m_stats; }
    // "fitAll", "backToLive", "showEmptyRuns", "plotView", "exportCsv", "exportEvents", "exportPng",
    // "exportPdf", "reportPdf", "printReport".
    QAction* action(const QString& name) const { return m_actions.value(name); }

public slots:
    // The journal holds new rows: the live view moves on, the lists grow.
    void refresh();
    void fitAll();
    void backToLive();
    // Moves the plot to the time of the event in that row of the event list.
    void goToEvent(int row);
    void showReadout(qint64 tMs);
    // Asks the journal for the statistics between the cursors (a range scan
    // on a long run): shortly after the cursors last moved.
    void updateStats();

    void exportCsv();
    void exportEvents();
    void exportPng();
    void exportPdf();
    void reportPdf();
    void printReport();
    // "曲线与坐标轴": traces shown and axis ranges (not modal).
    void showPlotView();

private:
    void buildControls();
    void fillSessions();
    void fillEvents(bool keepOld);
    void setLive(bool live, std::optional<qint64> span);
    void followLive();
    qint64 sessionEnd() const;
    // The reading in force at tMs; none where no readings came then.
    std::optional<history::Reading> inForce(qint64 tMs) const;
    void updateActions();
    void showTimeInDialog();
    bool writeExport(const QString& caption, const QString& name, const QString& filter,
                     const std::function<bool(QIODevice&, QString*)>& write, const QString& done);
    QString sessionTitle() const;
    // Shows a read error of the journal in the status bar; true when there was one.
    bool showReadError();

    platform::ExportFiles& m_files;
    platform::Printer& m_printer;
    history::HistorySource* m_source = nullptr;
    std::optional<qint64> m_liveSession;
    QString m_journalPath;
    history::SessionInfo m_session;
    std::function<qint64()> m_now;
    std::function<qint64()> m_liveEnd;

    bool m_live = false;
    // While live: the width followed; none follows the whole session.
    std::optional<qint64> m_liveSpan;
    qint64 m_lastSessionsFill = 0;

    HistoryPlot* m_plot = nullptr;
    QTreeWidget* m_sessions = nullptr;
    QTreeView* m_events = nullptr;
    HistoryEventTable* m_eventTable = nullptr;
    QLabel* m_readout = nullptr;
    QLabel* m_stats = nullptr;
    // The statistics wait for the cursors to rest and the plot to show.
    QTimer* m_statsTimer = nullptr;
    QMap<QString, QAction*> m_actions;
    PlotViewDialog* m_plotView = nullptr;
};
