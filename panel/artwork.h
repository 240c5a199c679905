#pragma once

#include "resources/look.h"

#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QRect>
#include <QString>

class QPainter;

// The panel's pictures, drawn by the program: the window background with the
// model designation, the blue display panel and the chart's title and axis
// labels; the sixteen key faces; the window icon.
namespace artwork {

using look::px;
using look::songti;
using look::twipRect;

inline constexpr QSize kBackgroundSize{820, 616};
// Paints the background picture at the painter's origin.
void paintBackground(QPainter& painter);

inline constexpr QSize kKeyPictureSize{39, 21};
// The picture of a key face: "0" … "9", "L", "P", "RUN", "STOP", "▲", "▼".
QPixmap keyPicture(const QString& face, qreal devicePixelRatio);

QIcon windowIcon();

}  // namespace artwork
