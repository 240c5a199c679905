#include "record/viewer.h"

#include "record/recorder.h"
#include "resources/look.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

#include <utility>

namespace {

using look::px;
using look::twipRect;

constexpr int kIconSize = 32;

}  // namespace

Form2::Form2(ReadLastLine readLastLine, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_readLastLine(std::move(readLastLine))
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(Recorder::viewerCaption());
    setWindowIcon(drawIcon());
    resize(px(8670), px(5070));
    // A small face, so that "Command2" fits its narrow button.
    setFont(look::songti(8, false));

    m_Command1 = new QPushButton(tr("退出"), this);
    m_Command1->setObjectName(QStringLiteral("Command1"));
    m_Command1->setAccessibleName(m_Command1->text());
    m_Command1->setAccessibleDescription(tr("回到主窗口"));
    m_Command1->setGeometry(twipRect(7560, 4560, 735, 375));

    m_Command2 = new QPushButton(QStringLiteral("Command2"), this);
    m_Command2->setObjectName(QStringLiteral("Command2"));
    // Its caption is "Command2" in every language; a screen reader says
    // what it does.
    m_Command2->setAccessibleName(tr("读取记录"));
    m_Command2->setAccessibleDescription(tr("显示记录文件的最后一行"));
    m_Command2->setGeometry(twipRect(6120, 4560, 855, 375));

    m_Text1 = new QLineEdit(QStringLiteral("Text1"), this);
    m_Text1->setObjectName(QStringLiteral("Text1"));
    m_Text1->setAccessibleName(tr("记录的最后一行"));
    m_Text1->setGeometry(twipRect(1080, 960, 5895, 2055));
    // A tall single-line box shows its text at the top, not centred.
    m_Text1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    setTabOrder(m_Command1, m_Command2);
    setTabOrder(m_Command2, m_Text1);

    connect(m_Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(m_Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
}

QString Form2::text() const
{
    return m_Text1->text();
}

void Form2::Command1_Click()
{
    emit mainWindowWanted();
    hide();
}

void Form2::Command2_Click()
{
    if (m_readLastLine)
        m_Text1->setText(m_readLastLine());
}

void Form2::closeEvent(QCloseEvent* event)
{
    // The viewer is never unloaded by the operator: closing it only goes
    // back to the main window, as "退出" does.
    event->ignore();
    Command1_Click();
}

QIcon Form2::drawIcon()
{
    // A sheet of paper with ruled lines and a pressure curve across it.
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(5.5, 2.5, 21, 27));
    painter.setPen(QPen(QColor(0x80, 0xa0, 0xc0), 1));
    for (int y = 8; y <= 26; y += 4)
        painter.drawLine(QPointF(8, y + 0.5), QPointF(24, y + 0.5));
    QPainterPath curve(QPointF(8, 22));
    curve.cubicTo(QPointF(12, 6), QPointF(16, 26), QPointF(24, 10));
    painter.setPen(QPen(QColor(0x00, 0x00, 0xc0), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(curve);
    painter.end();
    return QIcon(pixmap);
}
