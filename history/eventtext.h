#pragma once

#include "history/historysource.h"

#include <QString>

// How the journal's events read for the operator: in the event list, on the
// plot's markers, in exports and in the run report.
namespace history {

// "启动泵", "流量设定", "通信中断", ... (the kind itself when unknown).
QString eventName(const Event& event);

// "键盘", "菜单", "右键菜单", "对话框", "定时" (the source itself when unknown).
QString sourceName(const QString& source);

// The group an event's marker on the time line belongs to; None: listed, not
// marked (bookkeeping such as saving the record or the CSV log).
enum class Marker { None, Run, Stop, SetPoint, Timed, LinkLost, LinkRestored, PortLost, Session };
Marker markerOf(const Event& event);

// One line for a tooltip or a table: time, name, detail and source.
QString eventLine(const Event& event);

}  // namespace history
