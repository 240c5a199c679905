#pragma once

#include <QString>
#include <QTimeZone>
#include <QVector>
#include <QtGlobal>

// Where the time axis of the history plot puts its ticks, and what they say.
// Ticks fall on round local times (whole seconds, minutes, hours, midnights),
// whatever the span: from a fraction of a second to weeks.
namespace history {

struct TimeTick {
    qint64 tMs = 0;
    QString label;     // "14:05", "14:05:30", "14:05:30.500", or "05-01" for days
    bool newDay = false;  // the first tick, and each whose local date differs from the one before
};

struct TimeAxis {
    qint64 stepMs = 0;  // nominal; a day step is a local calendar day
    QVector<TimeTick> ticks;
};

// The ticks in [fromMs, toMs], at the smallest round step that gives no more
// than maxTicks of them. Times are epoch milliseconds, shown in `zone`.
TimeAxis timeTicks(qint64 fromMs, qint64 toMs, int maxTicks, const QTimeZone& zone);

// The local date and time of a moment, as the window shows it:
// "2024-05-01 14:03:22" (with ".125" when withMs).
QString localTimeText(qint64 tMs, bool withMs = false);

// A length of time for people: "45秒", "12分05秒", "3小时02分", "2天04小时"
// (in English "45 s", "12 min 05 s", "3 h 02 min", "2 d 04 h").
QString durationText(qint64 ms);

}  // namespace history
