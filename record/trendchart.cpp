#include "record/trendchart.h"

#include <QLineF>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace trendchart {

namespace {

// Readings are drawn in single precision. Values far outside the area are
// held at a distance that still leaves the area in the same direction, so a
// wild reading cannot overflow the rasteriser.
double drawable(double reading)
{
    const float single = static_cast<float>(reading);
    if (std::isnan(single))
        return 0;
    return std::clamp(static_cast<double>(single), -1000.0, 1000.0);
}

QLineF segment(const QSize& size, const Readings& prtrend, int cursor)
{
    return QLineF(toDevice(cursor - 1, drawable(prtrend[cursor]), size),
                  toDevice(cursor, drawable(prtrend[cursor + 1]), size));
}

// True when a one-pixel line may leave a pixel inside `area`: such a line
// stays within a pixel of its end points.
bool reaches(const QLineF& line, const QRect& area)
{
    return QRectF(line.p1(), line.p2()).normalized().adjusted(-2, -2, 2, 2).intersects(QRectF(area));
}

void paintFrame(QPainter& painter, const QSize& size, const QRect& area)
{
    painter.setPen(QPen(kFrameColor, 0));
    const auto draw = [&](const QLineF& line) {
        if (reaches(line, area))
            painter.drawLine(line);
    };
    draw(QLineF(toDevice(0, 0, size), toDevice(100, 0, size)));
    for (double y : {0.5, 1.0, 1.5})
        draw(QLineF(toDevice(0, y, size), toDevice(1.5, y, size)));
}

}  // namespace

QPointF toDevice(double x, double y, const QSize& size)
{
    return QPointF((x - kLeft) / (kRight - kLeft) * size.width(), (kTop - y) / (kTop - kBottom) * size.height());
}

void paint(QPainter& painter, const QSize& size, const Readings& prtrend, int itime)
{
    paint(painter, size, prtrend, itime, QRect(QPoint(0, 0), size));
}

void paint(QPainter& painter, const QSize& size, const Readings& prtrend, int itime, const QRect& part)
{
    const QRect area = QRect(QPoint(0, 0), size).intersected(part);
    if (area.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRect(area, Qt::IntersectClip);
    painter.fillRect(area, kBackground);
    const int steps = std::clamp(itime, 0, 99);
    if (steps > 0) {
        // Segment k runs from x = k - 1 to x = k: only those over the part's
        // columns (and a pixel either side) can reach it.
        const double perPixel = (kRight - kLeft) / size.width();
        const int first = std::max(0, static_cast<int>(std::floor(kLeft + (area.left() - 3) * perPixel)));
        const int last = static_cast<int>(std::ceil(kLeft + (area.right() + 3) * perPixel)) + 1;
        const auto drawSegment = [&](int cursor) {
            const QLineF line = segment(size, prtrend, cursor);
            if (reaches(line, area))
                painter.drawLine(line);
        };
        painter.setPen(QPen(kSegmentColor, 0));
        for (int cursor = first; cursor < std::min(steps - 1, last + 1); ++cursor)
            drawSegment(cursor);
        paintFrame(painter, size, area);
        painter.setPen(QPen(kSegmentColor, 0));
        drawSegment(steps - 1);
    }
    painter.restore();
}

QRect dirtyRect(const QSize& size, const Readings& prtrend, int cursor)
{
    if (cursor <= 0 || cursor > 99)
        return QRect(QPoint(0, 0), size);
    // The new segment, and the one before it, which the frame drawn again
    // with this answer now covers where they cross; a pixel of margin.
    const QLineF now = segment(size, prtrend, cursor);
    const QLineF before = segment(size, prtrend, cursor - 1);
    const QRectF span = QRectF(now.p1(), now.p2()).normalized().united(QRectF(before.p1(), before.p2()).normalized());
    const QRect area(QPoint(0, 0), size);
    return span.toAlignedRect().adjusted(-2, -2, 2, 2).intersected(area);
}

}  // namespace trendchart
