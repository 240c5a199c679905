#include "history/plotdata.h"

#include <algorithm>
#include <cmath>

namespace history {

void ColumnStats::add(qint64 tMs, double value)
{
    if (count == 0) {
        first = value;
        firstMs = tMs;
    }
    min = std::min(min, value);
    max = std::max(max, value);
    last = value;
    lastMs = tMs;
    ++count;
}

void ColumnStats::merge(const ColumnStats& later)
{
    if (later.count == 0)
        return;
    if (count == 0) {
        *this = later;
        return;
    }
    min = std::min(min, later.min);
    max = std::max(max, later.max);
    last = later.last;
    lastMs = later.lastMs;
    count += later.count;
}

int columnOf(qint64 tMs, qint64 fromMs, qint64 toMs, int columns)
{
    if (columns <= 0 || tMs < fromMs || tMs > toMs)
        return -1;
    const qint64 width = toMs - fromMs;
    if (width <= 0)
        return 0;
    // 128-bit free: (tMs - fromMs) < 2^63 / columns for any sane range.
    const long double position = static_cast<long double>(tMs - fromMs) * columns / width;
    return std::min(columns - 1, static_cast<int>(position));
}

qint64 columnStartMs(int column, qint64 fromMs, qint64 toMs, int columns)
{
    if (columns <= 0)
        return fromMs;
    return fromMs + static_cast<qint64>(std::ceil(static_cast<long double>(toMs - fromMs) * column / columns));
}

PlotData emptyPlot(qint64 fromMs, qint64 toMs, int columns)
{
    PlotData plot;
    plot.fromMs = fromMs;
    plot.toMs = toMs;
    plot.columns = std::max(0, columns);
    for (auto& s : plot.series)
        s.resize(plot.columns);
    return plot;
}

void addReading(PlotData& plot, qint64 tMs, const std::array<double, kSeriesCount>& values)
{
    if (tMs > plot.toMs)
        return;
    const int column = columnOf(tMs, plot.fromMs, plot.toMs, plot.columns);
    for (int s = 0; s < kSeriesCount; ++s) {
        const double v = values[s];
        if (std::isnan(v))
            continue;
        if (tMs < plot.fromMs) {
            // Only the latest value before the range matters.
            plot.before[s] = ColumnStats{};
            plot.before[s].add(tMs, v);
        } else if (column >= 0) {
            plot.series[s][column].add(tMs, v);
        }
    }
}

}  // namespace history
