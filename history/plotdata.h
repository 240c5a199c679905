#pragma once

#include <QVector>
#include <QtGlobal>

#include <array>
#include <limits>

// What a plot of the run history draws for one range of time, whatever the
// number of readings in it: per pixel column the extremes, the first and the
// last value of each series, so a million readings draw as fast as a thousand
// and no spike is lost. Plain data, Qt Core only.
namespace history {

// The three lines of the plot. Pressure is what `pnow` showed; limit and
// flow are the set points the boxes showed after each answer.
enum Series { Pressure = 0, Limit = 1, Flow = 2 };
inline constexpr int kSeriesCount = 3;

// One column of one series. `count` 0: no value fell into the column.
struct ColumnStats {
    qint64 count = 0;
    double min = std::numeric_limits<double>::infinity();
    double max = -std::numeric_limits<double>::infinity();
    double first = 0;
    double last = 0;
    qint64 firstMs = 0;
    qint64 lastMs = 0;

    // Takes one sample (times must not go backwards within a column).
    void add(qint64 tMs, double value);
    // Takes a whole group of samples already summed up (a rollup bucket)
    // that lies after everything added so far.
    void merge(const ColumnStats& later);
};

// A stretch of time in which readings came in without a break; between two
// of them the lines of the plot break.
struct Span {
    qint64 fromMs = 0;
    qint64 toMs = 0;
};

struct PlotData {
    qint64 fromMs = 0;
    qint64 toMs = 0;
    int columns = 0;
    // columns × series; a series without a number in a column (a box that
    // did not hold a number) has count 0 there.
    std::array<QVector<ColumnStats>, kSeriesCount> series;
    // The value in force at fromMs (the last one before the range), per
    // series; count 0 when there is none.
    std::array<ColumnStats, kSeriesCount> before;
    // Where readings came in without a break, clipped to the range.
    QVector<Span> covered;
    // Stretches in which the link was lost (shaded), clipped to the range.
    QVector<Span> linkLost;
};

// The column a time falls into, for `columns` columns over [fromMs, toMs];
// -1 outside the range. toMs itself belongs to the last column.
int columnOf(qint64 tMs, qint64 fromMs, qint64 toMs, int columns);

// The start time of a column (its left edge).
qint64 columnStartMs(int column, qint64 fromMs, qint64 toMs, int columns);

// An empty plot of `columns` columns over [fromMs, toMs].
PlotData emptyPlot(qint64 fromMs, qint64 toMs, int columns);

// Adds one reading to the plot: each series with a value (NaN for none)
// goes into the reading's column, or into `before` when it lies before the
// range. Readings must come in time order.
void addReading(PlotData& plot, qint64 tMs, const std::array<double, kSeriesCount>& values);

}  // namespace history
