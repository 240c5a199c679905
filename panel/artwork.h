#pragma once

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

// Twips to pixels at normal density (15 twips make one pixel).
constexpr int px(int twips) { return (twips + 7) / 15; }
inline QRect twipRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

// The face "宋体" in bold, falling back to an installed CJK face.
QFont songti(qreal pointSize);

inline constexpr QSize kBackgroundSize{820, 616};
// Paints the background picture at the painter's origin.
void paintBackground(QPainter& painter);

inline constexpr QSize kKeyPictureSize{39, 21};
// The picture of a key face: "0" … "9", "L", "P", "RUN", "STOP", "▲", "▼".
QPixmap keyPicture(const QString& face, qreal devicePixelRatio);

QIcon windowIcon();

}  // namespace artwork
