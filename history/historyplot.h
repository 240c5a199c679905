#pragma once

#include "history/historysource.h"

#include <QWidget>

#include <array>
#include <optional>
#include <utility>

// The history window's plot: pressure, pressure limit and flow set point over
// real time, painted from what the journal gives for the range shown. The
// painting is a function of that data alone, so the screen, an exported
// picture, a PDF and the printed report show the same plot.
namespace history {

// What the operator chose to see: each trace shown or hidden (a hidden one
// does not count towards its axis's automatic range either), and each value
// axis's range set by hand, or automatic (none).
struct PlotView {
    using Range = std::optional<std::pair<double, double>>;
    std::array<bool, kSeriesCount> shown{true, true, true};
    Range pressureRange;  // MPa, the left axis: pressure and its limit
    Range flowRange;      // ml/min, the right axis: the flow set point
};

// Everything one picture of the plot shows.
struct PlotPicture {
    PlotData data;
    QList<Event> markers;  // events marked on the time line
    QVector<Span> alarms;  // stretches while an alarm stood (raised to cleared), clipped
    std::optional<qint64> cursor1;
    std::optional<qint64> cursor2;
    // Why the journal could not be read for it; the picture then shows this
    // rather than a plot that would look complete.
    QString error = {};
    PlotView view = {};
};

// The value ranges the two axes of a picture span, as drawn: set by hand, or
// as the data made them.
struct AxisRanges {
    std::pair<double, double> pressure;
    std::pair<double, double> flow;
};
AxisRanges axisRanges(const PlotPicture& picture);

// The trace whose legend entry lies under `pos` in a picture of `size`.
std::optional<Series> legendTraceAt(const QSize& size, const QPoint& pos);

// The plot area of a picture of `size`, leaving room for the legend, the
// markers and the three axes around it.
QRect plotArea(const QSize& size);

// Paints the picture onto an area of `size` at the painter's origin.
void paintPlot(QPainter& painter, const QSize& size, const PlotPicture& picture);

// The picture of one session's range, `size` large: the plot queried from
// `source`, the markers taken from `events` (the session's, in time order;
// at most one marker per pixel column, the latest).
PlotPicture queryPicture(HistorySource& source, qint64 session, qint64 fromMs, qint64 toMs, const QSize& size,
                         const QList<Event>& events);

// The events of [fromMs, toMs] in `events` (in time order).
QList<Event> eventsIn(const QList<Event>& events, qint64 fromMs, qint64 toMs);

}  // namespace history

// The plot on screen: zoom with the wheel or by dragging a rectangle with the
// right button (or Shift and the left), pan by dragging with the left button,
// two cursors moved by dragging them or placed by a click, event markers
// explained on hover. It queries the journal again only when the range or its
// size changed, once per painted frame.
class HistoryPlot : public QWidget {
    Q_OBJECT
public:
    explicit HistoryPlot(QWidget* parent = nullptr);

    // Shows one session of the source (not owned; it must outlive the plot
    // or be replaced first). Nothing is shown until a range is set.
    void setSource(history::HistorySource* source, qint64 session);

    // Shows [fromMs, toMs]. Not an operator action: nothing is emitted.
    void setRange(qint64 fromMs, qint64 toMs);
    qint64 fromMs() const { return m_from; }
    qint64 toMs() const { return m_to; }
    // The stretch the operator may move over (the session's readings); zoom
    // and pan stop a little beyond it.
    void setExtent(qint64 firstMs, qint64 lastMs);
    qint64 extentLastMs() const { return m_extentTo; }

    void setCursors(std::optional<qint64> cursor1, std::optional<qint64> cursor2);
    std::optional<qint64> cursor1() const { return m_picture.cursor1; }
    std::optional<qint64> cursor2() const { return m_picture.cursor2; }

    // Queries the journal again at the next paint (new readings came in).
    void reload();
    // The session's events in time order, for the markers.
    void setEvents(const QList<history::Event>& events);
    const QList<history::Event>& events() const { return m_events; }

    // Traces shown and axis ranges; a click on a legend entry hides or
    // shows its trace.
    void setView(const history::PlotView& view);
    const history::PlotView& view() const { return m_picture.view; }
    void toggleTrace(history::Series series);

    // The picture as it is on screen now (after the last paint).
    const history::PlotPicture& picture() const { return m_picture; }
    // The range shown with its cursors, queried afresh for a picture of this
    // size (an export or a report).
    history::PlotPicture pictureAt(const QSize& size) const;
    // The time under a position in the widget.
    qint64 timeAt(double x) const;
    double xOf(qint64 tMs) const;

    static constexpr qint64 kMinSpanMs = 200;

signals:
    // The operator zoomed or panned: the view no longer follows the newest
    // readings.
    void rangeChangedByOperator();
    // The pointer is over the plot at that time (for the readout).
    void pointerMoved(qint64 tMs);
    void cursorsMoved();
    // The traces shown or an axis range changed.
    void viewChanged();
    // Another stretch of time is shown (by the operator or not).
    void rangeShown();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Drag { None, Pan, Zoom, Cursor1, Cursor2 };
    static constexpr int kTipLines = 12;

    void operatorRange(qint64 fromMs, qint64 toMs);
    void placeCursor(Drag which, qint64 tMs);
    void ensureData();
    QString markerTextAt(const QPoint& pos) const;

    history::HistorySource* m_source = nullptr;
    qint64 m_session = 0;
    qint64 m_from = 0;
    qint64 m_to = 0;
    qint64 m_extentFrom = 0;
    qint64 m_extentTo = 0;
    bool m_dirty = false;
    history::PlotPicture m_picture;
    QList<history::Event> m_events;

    Drag m_drag = Drag::None;
    QPoint m_pressPos;
    qint64 m_pressFrom = 0;
    qint64 m_pressTo = 0;
    int m_zoomToX = 0;
    bool m_moved = false;
};
