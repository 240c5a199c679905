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

void paintFrame(QPainter& painter, const QSize& size)
{
    painter.setPen(QPen(kFrameColor, 0));
    painter.drawLine(QLineF(toDevice(0, 0, size), toDevice(100, 0, size)));
    for (double y : {0.5, 1.0, 1.5})
        painter.drawLine(QLineF(toDevice(0, y, size), toDevice(1.5, y, size)));
}

}  // namespace

QPointF toDevice(double x, double y, const QSize& size)
{
    return QPointF((x - kLeft) / (kRight - kLeft) * size.width(), (kTop - y) / (kTop - kBottom) * size.height());
}

void paint(QPainter& painter, const QSize& size, const Readings& prtrend, int itime)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRect(QRect(QPoint(0, 0), size), Qt::IntersectClip);
    painter.fillRect(QRect(QPoint(0, 0), size), kBackground);
    const int steps = std::clamp(itime, 0, 99);
    if (steps > 0) {
        painter.setPen(QPen(kSegmentColor, 0));
        for (int cursor = 0; cursor < steps - 1; ++cursor)
            painter.drawLine(segment(size, prtrend, cursor));
        paintFrame(painter, size);
        painter.setPen(QPen(kSegmentColor, 0));
        painter.drawLine(segment(size, prtrend, steps - 1));
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
