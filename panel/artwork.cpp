#include "panel/artwork.h"

#include "record/trendchart.h"

#include <QCoreApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

// A resource compiled into a static library is registered only on request.
static void registerResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace artwork {

namespace {

// Where the controls sit, in pixels; the pictures are drawn around them.
const QRect kChart = twipRect(600, 4680, 9975, 2175);
const QRect kPnow = twipRect(8040, 600, 615, 360);
const QRect kDisplayPanel(404, 28, 312, 94);
const QRect kKeypadPanel(440, 136, 188, 137);

const QColor kNavy(11, 42, 111);
const QColor kPanelBlue(16, 44, 130);
const QColor kCaption(120, 230, 255);

void drawTextIn(QPainter& painter, const QRect& rect, int flags, const QString& text, const QFont& font,
                const QColor& color)
{
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(rect, flags, text);
}

}  // namespace

void paintBackground(QPainter& painter)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    QLinearGradient sky(0, 0, 0, kBackgroundSize.height());
    sky.setColorAt(0, QColor(232, 237, 244));
    sky.setColorAt(1, QColor(204, 213, 226));
    painter.fillRect(QRect(QPoint(0, 0), kBackgroundSize), sky);

    // Model designation.
    QFont brand = songti(14);
    brand.setFamilies({QStringLiteral("DejaVu Sans"), brand.family()});
    drawTextIn(painter, QRect(24, 56, 380, 26), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Vantero"), brand,
               QColor(70, 90, 130));
    QFont model = brand;
    model.setPixelSize(58);
    model.setItalic(true);
    model.setLetterSpacing(QFont::PercentageSpacing, 104);
    drawTextIn(painter, QRect(20, 80, 400, 76), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KRV7M31"), model,
               kNavy);
    painter.fillRect(QRect(24, 160, 360, 4), QColor(0, 170, 220));
    drawTextIn(painter, QRect(24, 172, 380, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QCoreApplication::translate("artwork", "恒流泵 控制面板"), songti(15), QColor(50, 66, 100));

    // Display panel behind the three value boxes.
    QPainterPath panel;
    panel.addRoundedRect(kDisplayPanel, 6, 6);
    painter.fillPath(panel, kPanelBlue);
    painter.setPen(QPen(QColor(143, 179, 255), 2));
    painter.drawPath(panel);
    painter.setPen(QPen(QColor(6, 20, 60), 1));
    painter.drawRoundedRect(kDisplayPanel.adjusted(4, 4, -4, -4), 4, 4);
    const QFont captionFont = songti(10.5);
    const QStringList captions = {QCoreApplication::translate("artwork", "当前压力"),
                                  QCoreApplication::translate("artwork", "设定压力"),
                                  QCoreApplication::translate("artwork", "设定流量")};
    const QStringList units = {QStringLiteral("MPa"), QStringLiteral("MPa"), QStringLiteral("ml/min")};
    for (int row = 0; row < 3; ++row) {
        const QRect box = kPnow.translated(0, row * kPnow.height());
        drawTextIn(painter, QRect(kDisplayPanel.left() + 10, box.top(), box.left() - kDisplayPanel.left() - 18,
                                  box.height()),
                   Qt::AlignRight | Qt::AlignVCenter, captions[row], captionFont, kCaption);
        drawTextIn(painter, QRect(box.right() + 8, box.top(), kDisplayPanel.right() - box.right() - 12, box.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, units[row], captionFont, kCaption);
    }

    // A recess behind the keypad.
    QPainterPath pad;
    pad.addRoundedRect(kKeypadPanel, 6, 6);
    painter.fillPath(pad, QColor(186, 196, 212));
    painter.setPen(QPen(QColor(150, 160, 180), 1));
    painter.drawPath(pad);

    // Chart title and the axis labels at the heights of their values.
    drawTextIn(painter, QRect(kChart.left(), kChart.top() - 26, kChart.width(), 22), Qt::AlignCenter,
               QCoreApplication::translate("artwork", "泵当前压力 (MPa)"), songti(11), kNavy);
    painter.setPen(QPen(QColor(120, 130, 150), 1));
    painter.drawRect(kChart.adjusted(-1, -1, 0, 0));
    const QFont axisFont = songti(8);
    for (double value : {2.0, 1.5, 1.0, 0.5, 0.0}) {
        const int y = kChart.top() + qRound(trendchart::toDevice(0, value, kChart.size()).y());
        drawTextIn(painter, QRect(0, y - 8, kChart.left() - 5, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(value, 'f', 1), axisFont, kNavy);
        painter.setPen(QPen(QColor(60, 70, 90), 1));
        painter.drawLine(kChart.left() - 4, y, kChart.left() - 1, y);
    }
    painter.restore();
}

QPixmap keyPicture(const QString& face, qreal devicePixelRatio)
{
    QPixmap pixmap(kKeyPictureSize * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);

    QColor top(74, 84, 100);
    QColor bottom(36, 42, 52);
    if (face == QLatin1String("RUN")) {
        top = QColor(60, 160, 70);
        bottom = QColor(24, 100, 36);
    } else if (face == QLatin1String("STOP")) {
        top = QColor(220, 60, 50);
        bottom = QColor(150, 24, 20);
    } else if (face == QLatin1String("L") || face == QLatin1String("P")) {
        top = QColor(50, 110, 200);
        bottom = QColor(20, 60, 140);
    }

    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF body(0.5, 0.5, kKeyPictureSize.width() - 1, kKeyPictureSize.height() - 1);
    QLinearGradient shade(0, 0, 0, kKeyPictureSize.height());
    shade.setColorAt(0, top);
    shade.setColorAt(1, bottom);
    painter.setBrush(shade);
    painter.setPen(QPen(bottom.darker(140), 1));
    painter.drawRoundedRect(body, 3, 3);

    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    const QPointF c = body.center();
    if (face == QStringLiteral("▲") || face == QStringLiteral("▼")) {
        const qreal dir = face == QStringLiteral("▲") ? -1 : 1;
        const QPointF tri[3] = {{c.x(), c.y() + dir * 5}, {c.x() - 6, c.y() - dir * 4}, {c.x() + 6, c.y() - dir * 4}};
        painter.drawPolygon(tri, 3);
    } else {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setBold(true);
        font.setPixelSize(face.size() > 2 ? 11 : 15);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(body, Qt::AlignCenter, face);
    }
    return pixmap;
}

QIcon windowIcon()
{
    registerResources();
    return QIcon(QStringLiteral(":/icons/pump.svg"));
}

}  // namespace artwork
