#pragma once

#include "history/plotdata.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>

// What the history window and the exports read from a journal. Times are
// milliseconds since the Unix epoch (UTC), shown in local time by the window.
// The journal's SQLite reader implements it; tests may hand in their own.
namespace history {

struct SessionInfo {
    qint64 id = 0;
    qint64 startedMs = 0;
    std::optional<qint64> endedMs;  // set at a clean exit
    qint64 lastMs = 0;              // the latest row of the session (its end so far)
    qint64 readings = 0;
    QString appVersion;
    QString port;                   // the last port opened in it; empty when none
};

struct Event {
    qint64 tMs = 0;
    QString kind;    // port_opened, command, flow_set, timed_start, unclean_end, ...
    QString detail;  // the frame of a command; "old → new" for a set point; ...
    QString source;  // keypad, menu, popup, dialog, timed_run; empty when none
};

struct Reading {
    qint64 tMs = 0;
    int pump = 0;  // -1 when the pump field is not two digits

    QString letter;
    QString value;  // the four value characters as received
    std::optional<double> pressure;
    std::optional<double> flow;
    std::optional<double> limit;
    // The pump field as received ("01", "xx"); empty: two digits, as `pump`.
    QString pumpText = {};
};

// For the range between the two cursors.
struct RangeStats {
    qint64 readings = 0;
    std::optional<double> minPressure;
    std::optional<double> maxPressure;
    std::optional<double> meanPressure;
    // The flow set point integrated over the time the pump was running (from
    // a run command to a stop command), in ml; an estimate. Running time with
    // the link lost, no port open, or after the pump stopped itself at its
    // pressure limit is left out, and `leftOutMs` says how much.
    double volumeMl = 0;
    qint64 leftOutMs = 0;
};

class HistorySource {
public:
    virtual ~HistorySource() = default;

    // Newest first.
    virtual QList<SessionInfo> sessions() = 0;
    // The plot of one session's range, `columns` pixel columns wide.
    virtual PlotData plot(qint64 session, qint64 fromMs, qint64 toMs, int columns) = 0;
    // The session's events in the range, in time order.
    virtual QList<Event> events(qint64 session, qint64 fromMs, qint64 toMs) = 0;
    // The last reading at or before tMs (the readout under a cursor).
    virtual std::optional<Reading> readingAt(qint64 session, qint64 tMs) = 0;
    virtual RangeStats stats(qint64 session, qint64 fromMs, qint64 toMs) = 0;
    // Every reading of the range in arrival order, one at a time (exports
    // stream; nothing holds a whole run in memory). Stops when fn returns false.
    virtual void forEachReading(qint64 session, qint64 fromMs, qint64 toMs,
                                const std::function<bool(const Reading&)>& fn) = 0;

    // Why the last call above could not read all it was asked for (a
    // damaged file, a disk gone), naming the file; empty when it read
    // everything. What such a call returned is incomplete and must not be
    // shown or exported as if it were whole.
    virtual QString lastError() const { return QString(); }
};

// The journal file of this user: history.sqlite3 in the application's local
// data folder (~/.local/share/pump-panel on Linux, %LOCALAPPDATA%\pump-panel
// on Windows).
QString defaultJournalPath();

// Opens a journal file for reading only, beside any panel writing to it.
// Null, with the reason in *error, when it cannot be read as a journal.
std::unique_ptr<HistorySource> openJournal(const QString& path, QString* error);

}  // namespace history
