#pragma once

#include <QColor>
#include <QPointF>
#include <QRect>
#include <QSize>

#include <array>

class QPainter;

// The pressure trend chart, painted from the reading store and the cursor
// alone, so it looks the same after being covered, on screen, in a test image
// or on paper.
//
// User coordinates: x from 0 at the left edge to 100 at the right edge, y from
// 2 MPa at the top to -0.8 MPa at the bottom. The reading in element k of the
// store is plotted at x = k - 1. A sweep shows the frame (base line at 0 and
// ticks at 0.5, 1.0 and 1.5) and one red segment per answer; at cursor 0 the
// chart is blank (nothing yet, or a sweep has just ended).
namespace trendchart {

using Readings = std::array<double, 103>;

inline constexpr double kLeft = 0;
inline constexpr double kRight = 100;
inline constexpr double kTop = 2;
inline constexpr double kBottom = -0.8;

inline const QColor kFrameColor{0, 0, 0};
inline const QColor kSegmentColor{255, 0, 0};
inline const QColor kBackground{255, 255, 255};

// Maps a point in user coordinates to the device pixels of an area of `size`.
QPointF toDevice(double x, double y, const QSize& size);

// Paints the whole chart for the given store and cursor onto an area of
// `size` at the painter's origin. The order of drawing leaves the same pixels
// as drawing step by step: the frame is drawn again over the older segments
// with each answer, and the newest segment over the frame.
void paint(QPainter& painter, const QSize& size, const Readings& prtrend, int itime);

// The same picture, but only the part inside `part` (device pixels) is
// painted; segments that cannot reach it are skipped. A repaint after one
// answer costs the same early or late in a sweep.
void paint(QPainter& painter, const QSize& size, const Readings& prtrend, int itime, const QRect& part);

// The device rectangle a repaint needs after the answer at `cursor`: its
// segment and the one before it, or the whole area when it starts a sweep.
QRect dirtyRect(const QSize& size, const Readings& prtrend, int cursor);

}  // namespace trendchart
