#pragma once

#include "history/plotdata.h"
#include "link/answers.h"

#include <QByteArray>
#include <QStringView>
#include <QtGlobal>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

// The journal's summaries of consecutive readings, kept beside the raw rows
// so a plot of millions of readings reads thousands of rows: one summary per
// kFanout readings of a session (level 1), one per kFanout level-1 summaries
// (level 2), and so on up to kLevels. A summary is written in the same
// transaction as its last reading and never changes afterwards.
namespace history {

inline constexpr int kFanout = 8;
inline constexpr int kLevels = 6;

// Where a reading stands in its session: its time, and its place among the
// readings of the same millisecond (0 for the first). Readings are ordered by
// it, which is the order they arrived in.
struct Key {
    qint64 t = 0;
    qint64 n = 0;

    static constexpr qint64 kMaxN = std::numeric_limits<qint64>::max();

    Key before() const { return n > 0 ? Key{t, n - 1} : Key{t - 1, kMaxN}; }
    Key after() const { return n < kMaxN ? Key{t, n + 1} : Key{t + 1, 0}; }
    friend bool operator<(const Key& a, const Key& b) { return a.t < b.t || (a.t == b.t && a.n < b.n); }
    friend bool operator<=(const Key& a, const Key& b) { return !(b < a); }
    friend bool operator==(const Key& a, const Key& b) { return a.t == b.t && a.n == b.n; }
};

// A number as the journal stores it: a whole number of tenths (1.5, 0150,
// 02.0: every value the pump sends) as that number of tenths, so it takes a
// byte or two instead of eight. Nothing when the value is not one exactly.
std::optional<qint64> exactTenths(double value);

// The flow set point integrated over the time the pump delivers (ml/min ×
// ms), moved on in time step by step. The time counts while the last run or
// stop command that went out was a run and the flow is known, unless the link
// is down (no port open, or the pump stopped answering) or the pump has
// stopped itself at its pressure limit since that run: such running time is
// left out, and counted apart so the operator can see how much.
struct Volume {
    double flow = std::numeric_limits<double>::quiet_NaN();
    bool running = false;
    bool linked = false;
    bool stoppedAtLimit = false;
    qint64 from = 0;
    double total = 0;
    qint64 leftOutMs = 0;

    // Up to t; the time counts only when `counts` (else something else has
    // counted it).
    void to(qint64 t, bool counts = true)
    {
        if (counts && t > from && running && !std::isnan(flow)) {
            if (linked && !stoppedAtLimit)
                total += flow * static_cast<double>(t - from);
            else
                leftOutMs += t - from;
        }
        from = std::max(from, t);
    }
    // An event at t, by the journal's kind name and detail: a run or stop
    // command that went out (nine characters; a dropped one says so in
    // more), a port opened or gone, the link lost or back.
    void event(qint64 t, QStringView kind, QStringView detail, bool counts = true);
    // A reading (NaN where a box held no number): the pump answers.
    void reading(double pressure, double flowValue, double limit)
    {
        linked = true;
        if (!std::isnan(flowValue))
            flow = flowValue;
        if (running && reachesLimit(pressure, limit))
            stoppedAtLimit = true;
    }
};

struct Summary {
    Key first;
    Key last;
    qint64 count = 0;
    // Per series; firstMs and lastMs are the times of the first and the last
    // reading of the summary.
    std::array<ColumnStats, kSeriesCount> series;
    // The pressures added up, for the mean; exact in tenths while every
    // pressure was a whole number of tenths.
    double pressureSum = 0;
    qint64 pressureTenthsSum = 0;
    bool pressureSumExact = true;
    // The flow set point integrated over the time the pump ran, from the
    // first reading to the last (ml/min × ms); and, not stored, over the
    // stretch from the reading before to the first, which a summary that
    // takes this one in after others counts as its own.
    double volume = 0;
    double lead = 0;
    // Running time left out of the volume, likewise (ms), and whether the
    // pump had stopped itself at its limit by the last reading. Summaries
    // written before these were kept lack them (`leftOutKnown` false): their
    // volume counted every running stretch.
    qint64 leftOutMs = 0;
    qint64 leadLeftOutMs = 0;
    bool stoppedAtLimit = false;
    bool leftOutKnown = true;

    // One reading (NaN where a box held no number), after all before it.
    void add(const Key& key, const std::array<double, kSeriesCount>& values);
    // A summary of the readings right after these (its lead joins the volume).
    void merge(const Summary& later);

    // The stored form of everything but `first` (kept in columns of its own).
    QByteArray encode() const;
    // Reads the stored form back; `first` must be set already. False when the
    // bytes are not a summary.
    bool decode(const QByteArray& bytes);
};

}  // namespace history
