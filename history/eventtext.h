#pragma once

#include "history/historysource.h"
#include "history/plotdata.h"

#include <QString>
#include <QStringList>

// How the journal's events read for the operator: in the event list, on the
// plot's markers, in exports and in the run report. The journal keeps kinds,
// details and sources as data; these give them in the language on screen.
namespace history {

// "启动泵", "流量设定", "通信中断", ... (the kind itself when unknown).
QString eventName(const Event& event);

// "键盘", "菜单", "右键菜单", "对话框", "定时" (the source itself when unknown).
QString sourceName(const QString& source);

// The names of the kinds and commands and of the sources, for sizing
// columns. Not the long name of a dropped command: it is rare, and cut short
// in a narrow column its tooltip still shows it whole.
QStringList eventNames();
QStringList sourceNames();

// The group an event's marker on the time line belongs to; None: listed, not
// marked (bookkeeping such as saving the record or the CSV log).
enum class Marker { None, Run, Stop, SetPoint, Timed, LinkLost, LinkRestored, PortLost, Session, Alarm };
Marker markerOf(const Event& event);

// The stretches of [fromMs, toMs] in which an alarm stood: from its
// alarm_raised to its alarm_cleared (the detail's first word names the
// alarm), or to the session's end (its app_exit or unclean_end; toMs while
// it runs) when it never cleared. In time order.
QVector<Span> alarmSpans(const QList<Event>& events, qint64 fromMs, qint64 toMs);

// The alarms of a range for the run report: how many were raised, which
// (by name, with their counts) and how long alarms stood in all (`spans`,
// overlaps counted once). "无报警" when none.
QString alarmSummary(const QList<Event>& events, const QVector<Span>& spans);

// The detail as the operator reads it: what the journal keeps, its words in
// the language on screen.
QString detailText(const Event& event);

// One line for a tooltip or a table: time, name, detail and source.
QString eventLine(const Event& event);

}  // namespace history
