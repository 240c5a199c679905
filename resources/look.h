#pragma once

#include <QFont>
#include <QRect>

// The look every window of the program shares: places and sizes given in
// twips, and the bold 宋体 face of the panel's texts.
namespace look {

// Twips to pixels at normal density (15 twips make one pixel).
constexpr int px(int twips) { return (twips + 7) / 15; }
inline QRect twipRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

// The face "宋体", in bold unless asked otherwise, falling back to an
// installed CJK face.
QFont songti(qreal pointSize, bool bold = true);

}  // namespace look
