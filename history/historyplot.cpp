#include "history/historyplot.h"

#include "history/eventtext.h"
#include "history/timeaxis.h"
#include "record/trendchart.h"
#include "resources/look.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHelpEvent>
#include <QMap>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace history {

namespace {

// The panel chart's red for pressure; the value boxes' blue for the limit.
const QColor kPressureColor = trendchart::kSegmentColor;
const QColor kLimitColor{0, 0, 160};
const QColor kFlowColor{0, 128, 0};
const QColor kGridColor{226, 226, 226};
const QColor kNoDataColor{243, 243, 243};
const QColor kLinkLostColor{255, 226, 190};
const QColor kCursorColor{128, 0, 128};

constexpr int kLeftMargin = 54;
constexpr int kRightMargin = 62;
constexpr int kTopMargin = 42;
constexpr int kBottomMargin = 40;
constexpr int kMarkerRowTop = 24;

QColor markerColor(Marker m)
{
    switch (m) {
    case Marker::Run:
        return {0, 150, 0};
    case Marker::Stop:
        return {200, 0, 0};
    case Marker::SetPoint:
        return {0, 0, 200};
    case Marker::Timed:
        return {140, 0, 140};
    case Marker::LinkLost:
        return {230, 120, 0};
    case Marker::LinkRestored:
        return {0, 140, 140};
    case Marker::PortLost:
        return {150, 0, 0};
    case Marker::Alarm:
        return {230, 0, 0};
    case Marker::Session:
    case Marker::None:
        break;
    }
    return {110, 110, 110};
}

// A round step for about `wanted` divisions of [0, span].
double niceStep(double span, int wanted)
{
    const double raw = span / std::max(1, wanted);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (m * magnitude >= raw)
            return m * magnitude;
    }
    return 10 * magnitude;
}

// Enough decimals to write every multiple of the step exactly (2.5: one).
int decimalsFor(double step)
{
    for (int d = 0; d < 4; ++d) {
        const double scaled = step * std::pow(10.0, d);
        if (std::abs(scaled - std::round(scaled)) < 1e-6 * std::max(1.0, scaled))
            return d;
    }
    return 4;
}

struct Scale {
    double bottom = 0;
    double top = 1;
    double step = 0.5;
};

// The highest value a scale must show clear of its top, so that a level at
// a round value (a 2.0 MPa limit, 200 ml/min) never lies on the frame.
constexpr double kScaleHeadroom = 1.05;

Scale scaleFor(double low, double high, double minimumTop)
{
    Scale s;
    s.bottom = std::min(0.0, low);
    const double top = std::max(high > 0 ? high * kScaleHeadroom : high, minimumTop);
    s.step = niceStep(top - s.bottom, 5);
    s.top = std::ceil(top / s.step - 1e-9) * s.step;
    s.bottom = std::floor(s.bottom / s.step + 1e-9) * s.step;
    return s;
}

// The range of values of some series over the picture (extremes of each
// column and the value in force at its start).
std::pair<double, double> extremes(const PlotData& data, const std::vector<Series>& series)
{
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (const Series s : series) {
        if (data.before[s].count > 0) {
            low = std::min(low, data.before[s].last);
            high = std::max(high, data.before[s].last);
        }
        for (const ColumnStats& c : data.series[s]) {
            if (c.count > 0) {
                low = std::min(low, c.min);
                high = std::max(high, c.max);
            }
        }
    }
    if (low > high)
        return {0, 0};
    return {low, high};
}

// A scale set by hand: exactly [low, high], its grid at a round step that
// divides it, else in five equal parts.
Scale manualScale(double low, double high)
{
    Scale s;
    s.bottom = low;
    s.top = high;
    const double span = high - low;
    s.step = span / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(span / 10)));
    for (const double m : {1.0, 2.0, 2.5, 5.0, 10.0, 20.0, 25.0, 50.0}) {
        const double parts = span / (m * magnitude);
        if (parts <= 10 && std::abs(parts - std::round(parts)) < 1e-6) {
            s.step = m * magnitude;
            break;
        }
    }
    return s;
}

// The left scale (pressure and limit) and the right one (flow). The flow
// axis has its own round step but shares the pressure axis's grid lines.
std::pair<Scale, Scale> scalesOf(const PlotPicture& picture)
{
    const PlotData& data = picture.data;
    const PlotView& view = picture.view;
    std::vector<Series> left;
    for (const Series s : {Pressure, Limit}) {
        if (view.shown[s])
            left.push_back(s);
    }
    Scale ps;
    if (view.pressureRange) {
        ps = manualScale(view.pressureRange->first, view.pressureRange->second);
    } else {
        const auto [pLow, pHigh] = extremes(data, left);
        ps = scaleFor(pLow, pHigh, 0.5);
    }
    const int divisions = std::max(1, int(std::lround((ps.top - ps.bottom) / ps.step)));
    Scale fs;
    if (view.flowRange) {
        fs.bottom = view.flowRange->first;
        fs.top = view.flowRange->second;
    } else {
        const auto [fLow, fHigh] = extremes(data, {Flow});
        fs.step = niceStep(std::max(fHigh * kScaleHeadroom, 10.0) - std::min(0.0, fLow), divisions);
        fs.bottom = std::min(0.0, std::floor(fLow / fs.step) * fs.step);
        fs.top = std::max(fs.bottom + fs.step * divisions, fHigh * kScaleHeadroom);
    }
    fs.step = (fs.top - fs.bottom) / divisions;
    return {ps, fs};
}

struct Mapper {
    QRect area;
    qint64 from = 0;
    qint64 to = 1;

    double x(qint64 t) const
    {
        const double span = double(std::max<qint64>(1, to - from));
        return std::clamp(area.left() + double(t - from) / span * area.width(), -1e5, 1e5);
    }
    // Values land on whole pixel rows, so a level stays one crisp line. The
    // top of the scale stays a few rows below the frame, so a limit set at
    // the top (2.0 MPa) is a line of its own, not hidden in the frame.
    static constexpr int kHeadroom = 4;
    static double y(const Scale& s, const QRect& area, double v)
    {
        const double y = area.top() + kHeadroom + (s.top - v) / (s.top - s.bottom) * (area.height() - 1 - kHeadroom);
        return std::round(std::clamp(y, -1e5, 1e5));
    }
};

// The covered stretch holding a time, or -1.
int spanOf(const QVector<Span>& spans, qint64 t)
{
    auto it = std::upper_bound(spans.begin(), spans.end(), t, [](qint64 v, const Span& s) { return v < s.fromMs; });
    if (it == spans.begin())
        return -1;
    --it;
    return t <= it->toMs ? int(it - spans.begin()) : -1;
}

// The stretch the value in force at the start of the range belongs to: the
// first one, when it runs on from before the range.
int spanOfBefore(const PlotData& data)
{
    return !data.covered.isEmpty() && data.covered.first().fromMs <= data.fromMs ? 0 : -1;
}

// The pressure line: raw readings joined within each stretch of readings,
// each busy column drawn from its first through its extremes to its last.
void drawLine(QPainter& p, const PlotData& data, Series series, const Mapper& m, const Scale& s)
{
    QVector<QLineF> lines;
    QVector<QPointF> points;
    const auto y = [&](double v) { return Mapper::y(s, m.area, v); };
    std::optional<QPointF> previous;
    int previousSpan = -1;
    if (data.before[series].count > 0 && spanOfBefore(data) == 0) {
        previous = QPointF(m.x(data.before[series].lastMs), y(data.before[series].last));
        previousSpan = 0;
    }
    for (const ColumnStats& c : data.series[series]) {
        if (c.count == 0)
            continue;
        const QPointF first(m.x(c.firstMs), y(c.first));
        const QPointF last(m.x(c.lastMs), y(c.last));
        const int span = spanOf(data.covered, c.firstMs);
        const bool joined = previous && span >= 0 && span == previousSpan;
        if (joined)
            lines << QLineF(*previous, first);
        if (c.count > 1) {
            const double mid = (first.x() + last.x()) / 2;
            lines << QLineF(first, QPointF(mid, first.y())) << QLineF(mid, y(c.min), mid, y(c.max))
                  << QLineF(QPointF(mid, last.y()), last);
        } else if (!joined) {
            points << first;  // stands alone unless the next one joins it
        }
        previous = last;
        previousSpan = spanOf(data.covered, c.lastMs);
    }
    p.drawLines(lines);
    for (const QPointF& pt : points)
        p.drawLine(QLineF(pt.x() - 1, pt.y(), pt.x() + 1, pt.y()));
}

// A set point: the value in force drawn as steps, broken where the readings
// stop (nobody knows what the pump held then).
void drawSteps(QPainter& p, const PlotData& data, Series series, const Mapper& m, const Scale& s)
{
    QVector<QLineF> lines;
    const auto y = [&](double v) { return Mapper::y(s, m.area, v); };
    const auto spanEnd = [&](int span) { return m.x(std::min(data.covered[span].toMs, data.toMs)); };
    bool open = false;
    double value = 0;
    double x = 0;
    int span = -1;
    if (data.before[series].count > 0 && spanOfBefore(data) == 0) {
        open = true;
        value = data.before[series].last;
        x = m.area.left();
        span = 0;
    }
    for (const ColumnStats& c : data.series[series]) {
        if (c.count == 0)
            continue;
        const int here = spanOf(data.covered, c.firstMs);
        const double xFirst = m.x(c.firstMs);
        if (open && here == span && here >= 0) {
            lines << QLineF(x, y(value), xFirst, y(value));
            if (c.first != value)
                lines << QLineF(xFirst, y(value), xFirst, y(c.first));
        } else if (open && span >= 0) {
            lines << QLineF(x, y(value), spanEnd(span), y(value));
        }
        const double xLast = m.x(c.lastMs);
        if (c.count > 1 && c.min != c.max)
            lines << QLineF(xLast, y(c.min), xLast, y(c.max));
        if (c.count > 1 && xLast > xFirst)
            lines << QLineF(xFirst, y(c.first), xLast, y(c.first));
        value = c.last;
        x = xLast;
        span = spanOf(data.covered, c.lastMs);
        open = span >= 0;
        if (!open)
            lines << QLineF(x - 1, y(value), x + 1, y(value));
    }
    if (open)
        lines << QLineF(x, y(value), spanEnd(span), y(value));
    p.drawLines(lines);
}

void drawBackground(QPainter& p, const PlotData& data, const Mapper& m, const QFont& font)
{
    const QRect& a = m.area;
    // (On the white paintPlot() laid.) Stretches without readings, and those in which the link was lost.
    qint64 at = data.fromMs;
    const auto noData = [&](qint64 from, qint64 to) {
        if (to > from)
            p.fillRect(QRectF(QPointF(m.x(from), a.top()), QPointF(m.x(to), a.bottom() + 1)), kNoDataColor);
    };
    for (const Span& s : data.covered) {
        noData(at, s.fromMs);
        at = std::max(at, s.toMs);
    }
    noData(at, data.toMs);
    p.setFont(font);
    const QString text = QCoreApplication::translate("history", "通信中断");
    const int textWidth = p.fontMetrics().horizontalAdvance(text) + 6;
    p.setPen(QColor(170, 90, 0));
    // Stretches that meet on screen are filled as one: months of short
    // losses cost a rectangle per pixel at most.
    std::optional<std::pair<int, int>> run;
    const auto fill = [&] {
        const QRect r(run->first, a.top(), run->second - run->first + 1, a.height());
        p.fillRect(r, kLinkLostColor);
        if (r.width() > textWidth)
            p.drawText(r.adjusted(0, 4, 0, 0), Qt::AlignHCenter | Qt::AlignTop, text);
    };
    for (const Span& s : data.linkLost) {
        const int x1 = int(std::floor(m.x(s.fromMs)));
        const int x2 = std::max(x1, int(std::ceil(m.x(s.toMs))) - 1);
        if (run && x1 <= run->second + 1) {
            run->second = std::max(run->second, x2);
            continue;
        }
        if (run)
            fill();
        run = std::pair{x1, x2};
    }
    if (run)
        fill();
}

void drawAxes(QPainter& p, const PlotData& data, const Mapper& m, const Scale& ps, const Scale& fs,
              const QFont& font, bool flowShown)
{
    const QRect& a = m.area;
    p.setFont(font);
    const QFontMetrics fm = p.fontMetrics();
    // Value axes: pressure on the left, flow on the right, one grid for both
    // (the flow scale has as many divisions as the pressure scale).
    const int divisions = std::max(1, int(std::lround((ps.top - ps.bottom) / ps.step)));
    for (int i = 0; i <= divisions; ++i) {
        const double v = ps.bottom + i * ps.step;
        const double yy = Mapper::y(ps, a, v);
        p.setPen(kGridColor);
        if (i > 0 && i < divisions)
            p.drawLine(QLineF(a.left(), yy, a.right(), yy));
        p.setPen(Qt::black);
        p.drawText(QRectF(0, yy - 8, a.left() - 5, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(v, 'f', std::max(1, decimalsFor(ps.step))));
        if (!flowShown)
            continue;
        p.setPen(kFlowColor);
        const double f = fs.bottom + i * fs.step;
        p.drawText(QRectF(a.right() + 6, yy - 8, kRightMargin, 16), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::number(f, 'f', decimalsFor(fs.step)));
    }
    // Time axis: round local times; the date under the first tick of each day.
    const int maxTicks = std::max(2, a.width() / 90);
    const TimeAxis axis = timeTicks(data.fromMs, data.toMs, maxTicks, QTimeZone::systemTimeZone());
    for (const TimeTick& t : axis.ticks) {
        const double xx = m.x(t.tMs);
        p.setPen(kGridColor);
        p.drawLine(QLineF(xx, a.top(), xx, a.bottom()));
        p.setPen(Qt::black);
        p.drawLine(QLineF(xx, a.bottom() + 1, xx, a.bottom() + 4));
        p.drawText(QRectF(xx - 60, a.bottom() + 5, 120, fm.height()), Qt::AlignHCenter | Qt::AlignTop, t.label);
        if (t.newDay && axis.stepMs < 24 * 3600 * 1000LL)
            p.drawText(QRectF(xx - 60, a.bottom() + 5 + fm.height(), 120, fm.height()), Qt::AlignHCenter | Qt::AlignTop,
                       QDateTime::fromMSecsSinceEpoch(t.tMs).toString(QStringLiteral("yyyy-MM-dd")));
    }
}

// Where the legend's entries go: three traces, then three kinds of band.
struct LegendLayout {
    static constexpr int kEntries = 6;
    std::array<QString, kEntries> texts;
    std::array<QRect, kEntries> entries;  // sample and words, for clicks
    int sample = 22;
};

LegendLayout legendLayout(int areaLeft, int width, const QFontMetrics& fm)
{
    LegendLayout l;
    l.texts = {QCoreApplication::translate("history", "压力 (MPa)"),
               QCoreApplication::translate("history", "压力上限 (MPa)"),
               QCoreApplication::translate("history", "流量设定 (ml/min，右轴)"),
               QCoreApplication::translate("history", "通信中断"),
               QCoreApplication::translate("history", "无读数"),
               QCoreApplication::translate("history", "报警")};
    // Closer together where the whole legend would not fit the picture.
    int gap = 18;
    const auto needed = [&] {
        int n = 0;
        for (int i = 0; i < LegendLayout::kEntries; ++i)
            n += (i < kSeriesCount ? l.sample + 5 : 19) + fm.horizontalAdvance(l.texts[i]) + gap;
        return n;
    };
    if (areaLeft + needed() > width) {
        // The right axis is drawn in the flow's colour: the words can go.
        l.texts[Flow] = QCoreApplication::translate("history", "流量设定 (ml/min)");
        l.sample = 12;
        gap = 8;
    }
    // Still too wide: the legend starts in the left margin.
    int x = areaLeft + needed() > width ? std::max(4, width - needed()) : areaLeft;
    for (int i = 0; i < LegendLayout::kEntries; ++i) {
        const int w = (i < kSeriesCount ? l.sample + 5 : 19) + fm.horizontalAdvance(l.texts[i]);
        l.entries[i] = QRect(x, 2, w, fm.height() + 4);
        x += w + gap;
    }
    return l;
}

void drawLegend(QPainter& p, const QRect& a, int width, const QFont& font, const PlotView& view)
{
    p.setFont(font);
    const QFontMetrics fm = p.fontMetrics();
    const LegendLayout l = legendLayout(a.left(), width, fm);
    const int yy = 4 + fm.ascent() / 2 + 3;
    const int baseline = 4 + fm.ascent();
    const QColor hidden(185, 185, 185);
    const QPen pens[] = {QPen(kPressureColor, 2), QPen(kLimitColor, 2, Qt::DashLine), QPen(kFlowColor, 2)};
    for (int i = 0; i < kSeriesCount; ++i) {
        const int x = l.entries[i].left();
        // A hidden trace's entry is greyed: a click shows it again.
        QPen pen = pens[i];
        if (!view.shown[i])
            pen.setColor(hidden);
        p.setPen(pen);
        p.drawLine(x, yy, x + l.sample, yy);
        p.setPen(view.shown[i] ? QColor(Qt::black) : hidden);
        p.drawText(QPoint(x + l.sample + 5, baseline), l.texts[i]);
    }
    const QColor colors[] = {kLinkLostColor, kNoDataColor, QColor(230, 0, 0, 40)};
    for (int i = 0; i < 3; ++i) {
        const int x = l.entries[kSeriesCount + i].left();
        p.fillRect(QRectF(x, yy - 5, 14, 10), colors[i]);
        p.setPen(QColor(150, 150, 150));
        p.drawRect(QRectF(x, yy - 5, 14, 10));
        p.setPen(Qt::black);
        p.drawText(QPoint(x + 19, baseline), l.texts[kSeriesCount + i]);
    }
}

void drawMarkers(QPainter& p, const PlotPicture& picture, const Mapper& m)
{
    const QRect& a = m.area;
    // One marker per pixel: months of events cost no more than the width of
    // the plot. Opaque pale lines: blending
    // hundreds of dotted lines is what costs in a painter.
    QMap<int, Marker> columns;
    for (const Event& e : picture.markers)
        columns.insert(int(std::lround(m.x(e.tMs))), markerOf(e));
    // Drawn a colour at a time: a few painter calls, however many markers.
    QMap<Marker, QVector<QLine>> guides;
    QMap<Marker, QVector<QLine>> heads;
    for (auto it = columns.cbegin(); it != columns.cend(); ++it) {
        const int xx = it.key();
        guides[it.value()] << QLine(xx, a.top(), xx, a.bottom());
        // A small triangle pointing down, row by row.
        QVector<QLine>& head = heads[it.value()];
        for (int row = 0; row < 9; ++row) {
            const int half = (9 - row) * 5 / 9;
            head << QLine(xx - half, kMarkerRowTop + row, xx + half, kMarkerRowTop + row);
        }
    }
    for (auto it = guides.cbegin(); it != guides.cend(); ++it) {
        const QColor color = markerColor(it.key());
        p.setPen(QColor::fromRgbF(0.75 + 0.25 * color.redF(), 0.75 + 0.25 * color.greenF(), 0.75 + 0.25 * color.blueF()));
        p.drawLines(it.value());
    }
    for (auto it = heads.cbegin(); it != heads.cend(); ++it) {
        p.setPen(markerColor(it.key()));
        p.drawLines(it.value());
    }
}

// Alarms that stood, as pale red bands across the plot.
void drawAlarms(QPainter& p, const PlotPicture& picture, const Mapper& m)
{
    const QRect& a = m.area;
    for (const Span& s : picture.alarms) {
        const double x1 = m.x(s.fromMs);
        const double x2 = std::max(x1 + 1, m.x(s.toMs));
        p.fillRect(QRectF(QPointF(x1, a.top()), QPointF(x2, a.bottom() + 1)), QColor(230, 0, 0, 40));
    }
}

// The stretch between the cursors, tinted under the lines.
void drawCursorRange(QPainter& p, const PlotPicture& picture, const Mapper& m)
{
    const QRect& a = m.area;
    if (picture.cursor1 && picture.cursor2) {
        // Inside the plot, whatever lies beyond the range shown.
        const double x1 = std::max<double>(a.left(), m.x(std::min(*picture.cursor1, *picture.cursor2)));
        const double x2 = std::min<double>(a.right() + 1, m.x(std::max(*picture.cursor1, *picture.cursor2)));
        if (x2 > x1)
            p.fillRect(QRectF(QPointF(x1, a.top()), QPointF(x2, a.bottom() + 1)), QColor(128, 0, 128, 12));
    }
}

void drawCursors(QPainter& p, const PlotPicture& picture, const Mapper& m, const QFont& font)
{
    const QRect& a = m.area;
    p.setFont(font);
    int number = 1;
    for (const auto& c : {picture.cursor1, picture.cursor2}) {
        if (c && *c >= picture.data.fromMs && *c <= picture.data.toMs) {
            const double xx = m.x(*c);
            p.setPen(QPen(kCursorColor, 1, Qt::DashLine));
            p.drawLine(QLineF(xx, a.top(), xx, a.bottom()));
            // The tag stays whole at the plot's edges.
            const QRectF tag(std::clamp(xx - 7, double(a.left()), double(a.right() + 1 - 14)), a.bottom() - 17, 14, 16);
            p.fillRect(tag, kCursorColor);
            p.setPen(Qt::white);
            p.drawText(tag, Qt::AlignCenter, QString::number(number));
        }
        ++number;
    }
}

}  // namespace

QRect plotArea(const QSize& size)
{
    return QRect(kLeftMargin, kTopMargin, std::max(1, size.width() - kLeftMargin - kRightMargin),
                 std::max(1, size.height() - kTopMargin - kBottomMargin));
}

AxisRanges axisRanges(const PlotPicture& picture)
{
    const auto [ps, fs] = scalesOf(picture);
    return {{ps.bottom, ps.top}, {fs.bottom, fs.top}};
}

std::optional<Series> legendTraceAt(const QSize& size, const QPoint& pos)
{
    const LegendLayout l = legendLayout(plotArea(size).left(), size.width(), QFontMetrics(look::songti(9, false)));
    for (int i = 0; i < kSeriesCount; ++i) {
        if (l.entries[i].contains(pos))
            return static_cast<Series>(i);
    }
    return std::nullopt;
}

void paintPlot(QPainter& painter, const QSize& size, const PlotPicture& picture)
{
    const PlotData& data = picture.data;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    Mapper m{plotArea(size), data.fromMs, std::max(data.toMs, data.fromMs + 1)};
    const QFont font = look::songti(9, false);

    const auto [ps, fs] = scalesOf(picture);
    const std::array<bool, kSeriesCount>& shown = picture.view.shown;

    drawBackground(painter, data, m, font);
    drawAlarms(painter, picture, m);
    drawCursorRange(painter, picture, m);
    drawAxes(painter, data, m, ps, fs, font, shown[Flow]);
    drawLegend(painter, m.area, size.width(), font, picture.view);
    drawMarkers(painter, picture, m);

    painter.save();
    painter.setClipRect(m.area.adjusted(0, -1, 1, 1));
    if (shown[Flow]) {
        painter.setPen(QPen(kFlowColor, 1));
        drawSteps(painter, data, Flow, m, fs);
    }
    if (shown[Limit]) {
        painter.setPen(QPen(kLimitColor, 1, Qt::DashLine));
        drawSteps(painter, data, Limit, m, ps);
    }
    if (shown[Pressure]) {
        painter.setPen(QPen(kPressureColor, 1));
        drawLine(painter, data, Pressure, m, ps);
    }
    painter.restore();
    drawCursors(painter, picture, m, font);

    painter.setPen(QPen(trendchart::kFrameColor, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(m.area.adjusted(-1, -1, 0, 0));
    if (!picture.error.isEmpty()) {
        painter.setFont(look::songti(11, false));
        painter.setPen(QColor(190, 0, 0));
        painter.drawText(m.area.adjusted(10, 10, -10, -10), Qt::AlignCenter | Qt::TextWordWrap,
                         QCoreApplication::translate("history", "无法读取运行历史，曲线不完整，不予显示。\n%1")
                             .arg(picture.error));
    } else if (data.covered.isEmpty()) {
        painter.setFont(look::songti(11, false));
        painter.setPen(QColor(120, 120, 120));
        painter.drawText(m.area, Qt::AlignCenter, QCoreApplication::translate("history", "此范围内没有读数"));
    }
    painter.restore();
}

QList<Event> eventsIn(const QList<Event>& events, qint64 fromMs, qint64 toMs)
{
    const auto before = [](const Event& e, qint64 t) { return e.tMs < t; };
    const auto first = std::lower_bound(events.begin(), events.end(), fromMs, before);
    const auto last = std::upper_bound(events.begin(), events.end(), toMs,
                                       [](qint64 t, const Event& e) { return t < e.tMs; });
    return first < last ? QList<Event>(first, last) : QList<Event>{};
}

PlotPicture queryPicture(HistorySource& source, qint64 session, qint64 fromMs, qint64 toMs, const QSize& size,
                         const QList<Event>& events)
{
    PlotPicture picture;
    picture.data = source.plot(session, fromMs, toMs, plotArea(size).width());
    picture.error = source.lastError();
    if (!picture.error.isEmpty()) {
        // Nothing of it is shown as if it were the whole.
        picture.data = emptyPlot(fromMs, toMs, picture.data.columns);
        return picture;
    }
    int lastColumn = -1;
    for (const Event& e : eventsIn(events, fromMs, toMs)) {
        if (markerOf(e) == Marker::None)
            continue;
        const int column = columnOf(e.tMs, fromMs, toMs, picture.data.columns);
        if (column == lastColumn && !picture.markers.isEmpty())
            picture.markers.last() = e;
        else
            picture.markers << e;
        lastColumn = column;
    }
    picture.alarms = alarmSpans(events, fromMs, toMs);
    return picture;
}


}  // namespace history

// ---------------------------------------------------------------------------

HistoryPlot::HistoryPlot(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setMinimumSize(420, 240);
    setContextMenuPolicy(Qt::PreventContextMenu);  // the right button zooms
    setAccessibleName(QCoreApplication::translate("history", "运行历史曲线"));
}

void HistoryPlot::setSource(history::HistorySource* source, qint64 session)
{
    m_source = source;
    m_session = session;
    m_picture = history::PlotPicture{};
    m_dirty = true;
    update();
}

void HistoryPlot::setRange(qint64 fromMs, qint64 toMs)
{
    if (toMs <= fromMs)
        toMs = fromMs + kMinSpanMs;
    if (fromMs == m_from && toMs == m_to)
        return;
    m_from = fromMs;
    m_to = toMs;
    m_dirty = true;
    update();
    emit rangeShown();
}

void HistoryPlot::setExtent(qint64 firstMs, qint64 lastMs)
{
    m_extentFrom = firstMs;
    m_extentTo = std::max(lastMs, firstMs);
}

void HistoryPlot::setCursors(std::optional<qint64> cursor1, std::optional<qint64> cursor2)
{
    m_picture.cursor1 = cursor1;
    m_picture.cursor2 = cursor2;
    update();
}

void HistoryPlot::setEvents(const QList<history::Event>& events)
{
    m_events = events;
    m_dirty = true;
    update();
}

void HistoryPlot::reload()
{
    m_dirty = true;
    update();
}

qint64 HistoryPlot::timeAt(double x) const
{
    const QRect a = history::plotArea(size());
    return m_from + qint64(std::llround((x - a.left()) / a.width() * double(m_to - m_from)));
}

double HistoryPlot::xOf(qint64 tMs) const
{
    const QRect a = history::plotArea(size());
    return a.left() + double(tMs - m_from) / double(std::max<qint64>(1, m_to - m_from)) * a.width();
}

history::PlotPicture HistoryPlot::pictureAt(const QSize& size) const
{
    history::PlotPicture picture;
    if (m_source && m_to > m_from)
        picture = history::queryPicture(*m_source, m_session, m_from, m_to, size, m_events);
    else
        picture.data = history::emptyPlot(m_from, m_to, 0);
    picture.cursor1 = m_picture.cursor1;
    picture.cursor2 = m_picture.cursor2;
    picture.view = m_picture.view;
    return picture;
}

void HistoryPlot::setView(const history::PlotView& view)
{
    m_picture.view = view;
    update();
    emit viewChanged();
}

void HistoryPlot::toggleTrace(history::Series series)
{
    history::PlotView view = m_picture.view;
    view.shown[series] = !view.shown[series];
    setView(view);
}

void HistoryPlot::ensureData()
{
    if (!m_dirty)
        return;
    m_dirty = false;
    m_picture = pictureAt(size());
}

void HistoryPlot::paintEvent(QPaintEvent*)
{
    ensureData();
    QPainter painter(this);
    history::paintPlot(painter, size(), m_picture);
    if (m_drag == Drag::Zoom && m_moved) {
        const QRect a = history::plotArea(size());
        const int x1 = std::clamp(std::min(m_pressPos.x(), m_zoomToX), a.left(), a.right());
        const int x2 = std::clamp(std::max(m_pressPos.x(), m_zoomToX), a.left(), a.right());
        painter.fillRect(QRect(x1, a.top(), x2 - x1, a.height()), QColor(0, 0, 160, 40));
        painter.setPen(QPen(QColor(0, 0, 160), 1, Qt::DashLine));
        painter.drawRect(QRect(x1, a.top(), x2 - x1, a.height() - 1));
    }
}

void HistoryPlot::resizeEvent(QResizeEvent* event)
{
    m_dirty = true;  // as many columns as pixels
    QWidget::resizeEvent(event);
}

void HistoryPlot::operatorRange(qint64 fromMs, qint64 toMs)
{
    // Zoom and pan stop where nothing but empty time would be left.
    qint64 span = std::max(toMs - fromMs, kMinSpanMs);
    const qint64 extent = std::max<qint64>(m_extentTo - m_extentFrom, 60 * 1000);
    span = std::min(span, extent * 3 / 2);
    const qint64 lowest = m_extentFrom - span / 2;
    const qint64 highest = m_extentTo + span / 2;
    fromMs = std::clamp(fromMs, lowest, std::max(lowest, highest - span));
    setRange(fromMs, fromMs + span);
    emit rangeChangedByOperator();
}

void HistoryPlot::placeCursor(Drag which, qint64 tMs)
{
    if (which == Drag::Cursor1)
        m_picture.cursor1 = tMs;
    else
        m_picture.cursor2 = tMs;
    update();
    emit cursorsMoved();
}

void HistoryPlot::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0 || m_to <= m_from)
        return;
    const double factor = std::pow(0.8, delta / 120.0);
    const double x = event->position().x();
    const qint64 at = timeAt(x);
    const double span = double(m_to - m_from) * factor;
    const QRect a = history::plotArea(size());
    const double left = std::clamp((x - a.left()) / a.width(), 0.0, 1.0);
    const qint64 from = at - qint64(std::llround(span * left));
    operatorRange(from, from + qint64(std::llround(span)));
    event->accept();
}

void HistoryPlot::mousePressEvent(QMouseEvent* event)
{
    m_pressPos = event->position().toPoint();
    m_zoomToX = m_pressPos.x();
    m_pressFrom = m_from;
    m_pressTo = m_to;
    m_moved = false;
    const auto near = [&](const std::optional<qint64>& c) { return c && std::abs(xOf(*c) - m_pressPos.x()) <= 4; };
    const auto trace = history::legendTraceAt(size(), m_pressPos);
    if (event->button() == Qt::LeftButton && trace) {
        m_drag = Drag::None;
        toggleTrace(*trace);
    } else if (event->button() == Qt::LeftButton && near(m_picture.cursor1))
        m_drag = Drag::Cursor1;
    else if (event->button() == Qt::LeftButton && near(m_picture.cursor2))
        m_drag = Drag::Cursor2;
    else if (event->button() == Qt::RightButton
             || (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier)))
        m_drag = Drag::Zoom;
    else if (event->button() == Qt::LeftButton)
        m_drag = Drag::Pan;
    else
        m_drag = Drag::None;
}

void HistoryPlot::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (std::abs(pos.x() - m_pressPos.x()) > 3)
        m_moved = true;
    switch (m_drag) {
    case Drag::None:
        if (history::plotArea(size()).contains(pos))
            emit pointerMoved(timeAt(pos.x()));
        break;
    case Drag::Pan:
        if (m_moved) {
            const QRect a = history::plotArea(size());
            const qint64 shift =
                qint64(std::llround(double(pos.x() - m_pressPos.x()) / a.width() * double(m_pressTo - m_pressFrom)));
            operatorRange(m_pressFrom - shift, m_pressTo - shift);
        }
        break;
    case Drag::Zoom:
        m_zoomToX = pos.x();
        update();
        break;
    case Drag::Cursor1:
    case Drag::Cursor2:
        placeCursor(m_drag, timeAt(pos.x()));
        emit pointerMoved(timeAt(pos.x()));
        break;
    }
}

void HistoryPlot::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const Drag drag = std::exchange(m_drag, Drag::None);
    if (drag == Drag::Zoom) {
        update();
        if (m_moved) {
            const qint64 a = timeAt(std::min(m_pressPos.x(), pos.x()));
            const qint64 b = timeAt(std::max(m_pressPos.x(), pos.x()));
            operatorRange(a, b);
        }
    } else if (drag == Drag::Pan && !m_moved && history::plotArea(size()).contains(pos)) {
        // A click: the nearer cursor (or the one not yet placed) goes there.
        const qint64 t = timeAt(pos.x());
        const auto distance = [&](const std::optional<qint64>& c) {
            return c ? std::abs(xOf(*c) - pos.x()) : -1.0;
        };
        Drag which = Drag::Cursor1;
        if (!m_picture.cursor1)
            which = Drag::Cursor1;
        else if (!m_picture.cursor2 || distance(m_picture.cursor2) < distance(m_picture.cursor1))
            which = Drag::Cursor2;
        placeCursor(which, t);
    }
}

QString HistoryPlot::markerTextAt(const QPoint& pos) const
{
    const int top = history::plotArea(size()).top();
    if (pos.y() < top - 20 || pos.y() > top)
        return QString();
    QStringList lines;
    int more = 0;
    for (const history::Event& e : history::eventsIn(m_events, timeAt(pos.x() - 5), timeAt(pos.x() + 5))) {
        if (history::markerOf(e) == history::Marker::None)
            continue;
        if (lines.size() < kTipLines)
            lines << history::eventLine(e);
        else
            ++more;
    }
    if (more > 0)
        lines << QCoreApplication::translate("history", "……另有 %1 条").arg(more);
    return lines.join(QLatin1Char('\n'));
}

bool HistoryPlot::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        QString text = markerTextAt(help->pos());
        if (const auto trace = history::legendTraceAt(size(), help->pos()))
            text = m_picture.view.shown[*trace] ? QCoreApplication::translate("history", "单击隐藏此曲线")
                                                : QCoreApplication::translate("history", "单击显示此曲线");
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(event);
}
