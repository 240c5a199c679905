#include "resources/look.h"

#include <QFontDatabase>
#include <QStringList>

namespace look {

QFont songti(qreal pointSize, bool bold)
{
    // 宋体 where it is installed, else the first CJK face of the list that
    // is. Resolved once: asking the font system for a face it lacks, for
    // every size, costs more at start-up than all the rest of the window.
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const char* name : {"宋体", "SimSun", "NSimSun", "WenQuanYi Zen Hei", "WenQuanYi Micro Hei",
                                 "Noto Serif CJK SC", "Noto Sans CJK SC", "AR PL UMing CN"}) {
            const QString face = QString::fromUtf8(name);
            if (installed.contains(face, Qt::CaseInsensitive))
                return face;
        }
        return QStringLiteral("宋体");
    }();
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

}  // namespace look
