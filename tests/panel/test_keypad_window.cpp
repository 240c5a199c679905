#include "fakes/fakeservices.h"
#include "link/frames.h"
#include "panel/mainwindow.h"
#include "record/chartwidget.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>

#include <memory>

// The real main window with scripted dialogs and a fake port: clicks on the
// keys, the menus and the pop-up menu, and what reaches the line.
namespace {

// Records what the window's boxes show at the moment a message box comes up.
class WatchingDialogs : public FakeDialogs {
public:
    Form1* form = nullptr;
    QStringList boxesAtMessage;

    void messageBox(const QString& text, const QString& caption) override
    {
        boxesAtMessage.append(form->lqset()->text() + QLatin1Char('|') + form->prset()->text());
        FakeDialogs::messageBox(text, caption);
    }
};

struct Window {
    WatchingDialogs dialogs;
    FakeServices fakes;
    FakeSerialPort*& port = fakes.port;
    Form1 form{fakes.services(&dialogs)};

    Window() { dialogs.form = &form; }

    void openPort()
    {
        dialogs.answer(QStringLiteral("fakeport"));
        form.action(QStringLiteral("Communication"))->trigger();
        QVERIFY(port && port->isOpen());
    }

    // What went on the line, without the status polls.
    QStringList sent() const
    {
        QStringList out = port ? port->writtenFrames() : QStringList();
        out.removeAll(frames::kStatus);
        return out;
    }

    void click(const QString& keys)
    {
        for (const QString& face : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            QToolButton* key = form.key(face);
            QVERIFY2(key, qPrintable(face));
            QTest::mouseClick(key, Qt::LeftButton);
        }
    }

    QStringList messages() const
    {
        QStringList out;
        for (const auto& m : dialogs.messages)
            out.append(m.text + QLatin1Char('/') + m.caption);
        return out;
    }
};

// A point of the window surface that no control covers.
const QPoint kBareSurface{200, 150};

}  // namespace

class TestKeypadWindow : public QObject {
    Q_OBJECT
private slots:
    void keys_data();
    void keys();
    void arrowKeysAreMembersOfCmd0();
    void refusedEntryIsShownBehindItsMessage();
    void menuItems_data();
    void menuItems();
    void keysWithNoPortOpen();
    void popupOpens_data();
    void popupOpens();
    void popupItemsSend_data();
    void popupItemsSend();
};

void TestKeypadWindow::keys_data()
{
    QTest::addColumn<QString>("pump");  // answer to "泵编号" first, or empty
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("lqset");
    QTest::addColumn<QString>("prset");

    const QStringList none;
    QTest::newRow("digits while idle") << "" << "1 2 3 0 ▲ ▼" << none << none << "0000" << "02.0";
    QTest::newRow("L 120") << "" << "L 1 2 0" << QStringList{"Q00L0120Y"} << none << "120" << "02.0";
    QTest::newRow("L 120 pump 5") << "5" << "L 1 2 0" << QStringList{"Q05L0120Y"} << none << "120" << "02.0";
    QTest::newRow("L 501") << "" << "L 5 0 1" << none << QStringList{"流量设定错误/设定错误"} << "501" << "02.0";
    QTest::newRow("P 015 pump 12") << "12" << "P 0 1 5" << QStringList{"Q12P01.5Y"} << none << "0000" << "01.5";
    QTest::newRow("P 021") << "" << "P 0 2 1" << none << QStringList{"压力设定错误/设定错误"} << "0000" << "02.1";
    QTest::newRow("pressure entry open") << "" << "P 4 6" << none << none << "0000" << "46.";
    QTest::newRow("every digit key") << "" << "L 4 6 7 L 8 9 3 P 0 1 5 L 2 0 0"
                                     << QStringList{"Q00L0467Y", "Q00P01.5Y", "Q00L0200Y"}
                                     << QStringList{"流量设定错误/设定错误"} << "200" << "01.5";
    QTest::newRow("arrows type 0") << "" << "L ▲ ▼ 5" << QStringList{"Q00L0005Y"} << none << "005" << "02.0";
    QTest::newRow("RUN STOP during an entry, pump 5")
        << "5" << "L 1 RUN 2 STOP 0" << QStringList{"Q00R0000Y", "Q00S0000Y", "Q05L0120Y"} << none << "120"
        << "02.0";
}

void TestKeypadWindow::keys()
{
    QFETCH(QString, pump);
    QFETCH(QString, keys);

    Window w;
    w.openPort();
    if (!pump.isEmpty()) {
        w.dialogs.answer(pump);
        w.form.action(QStringLiteral("Pump_NO"))->trigger();
    }
    w.click(keys);

    QTEST(w.sent(), "frames");
    QTEST(w.messages(), "messages");
    QTEST(w.form.lqset()->text(), "lqset");
    QTEST(w.form.prset()->text(), "prset");
}

void TestKeypadWindow::arrowKeysAreMembersOfCmd0()
{
    Window w;
    QCOMPARE(w.form.key(QStringLiteral("0"))->objectName(), QStringLiteral("Cmd0"));
    QCOMPARE(w.form.key(QStringLiteral("▲"))->objectName(), QStringLiteral("Cmd0"));
    QCOMPARE(w.form.key(QStringLiteral("▼"))->objectName(), QStringLiteral("Cmd0"));
}

void TestKeypadWindow::refusedEntryIsShownBehindItsMessage()
{
    Window w;
    w.openPort();
    w.click(QStringLiteral("L 5 0 1 P 0 2 1"));
    QCOMPARE(w.dialogs.boxesAtMessage, (QStringList{"501|02.0", "501|02.1"}));
}

void TestKeypadWindow::menuItems_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<QString>("lqset");
    QTest::addColumn<QString>("prset");

    QTest::newRow("run") << "run" << "" << QStringList{"Q00R0000Y"} << "0000" << "02.0";
    QTest::newRow("stop") << "stop" << "" << QStringList{"Q00S0000Y"} << "0000" << "02.0";
    QTest::newRow("rrun") << "rrun" << "" << QStringList{"Q00R0000Y"} << "0000" << "02.0";
    QTest::newRow("rstop") << "rstop" << "" << QStringList{"Q00S0000Y"} << "0000" << "02.0";
    QTest::newRow("liquid 120.5") << "liquid" << "120.5" << QStringList{"Q00L0121Y"} << "120.5" << "02.0";
    QTest::newRow("liquid 500.4") << "liquid" << "500.4" << QStringList{} << "0000" << "02.0";
    QTest::newRow("pressure 1.25") << "pressure" << "1.25" << QStringList{"Q00P01.3Y"} << "0000" << "01.3";
    QTest::newRow("pressure cancel") << "pressure" << "" << QStringList{} << "0000" << "02.0";
    QTest::newRow("Pump_NO 7") << "Pump_NO" << "7" << QStringList{} << "0000" << "02.0";
}

void TestKeypadWindow::menuItems()
{
    QFETCH(QString, item);
    QFETCH(QString, answer);

    Window w;
    w.openPort();
    // Pump 5 is selected; none of these items may carry it.
    w.dialogs.answer(QStringLiteral("5"));
    w.form.action(QStringLiteral("Pump_NO"))->trigger();
    if (!answer.isEmpty())
        w.dialogs.answer(answer);
    QAction* action = w.form.action(item);
    QVERIFY(action && action->isEnabled());
    action->trigger();

    QTEST(w.sent(), "frames");
    QTEST(w.form.lqset()->text(), "lqset");
    QTEST(w.form.prset()->text(), "prset");
}

// Before the port is opened the keys still work; what they send is dropped
// with a notice on the status line, and no message box interrupts the
// operator.
void TestKeypadWindow::keysWithNoPortOpen()
{
    Window w;
    w.click(QStringLiteral("L 1 2 0 RUN"));
    QVERIFY(w.dialogs.messages.isEmpty());
    QCOMPARE(w.form.lqset()->text(), QStringLiteral("120"));
    QVERIFY2(w.form.statusBar()->currentMessage().contains(QLatin1String("Q00R0000Y")),
             qPrintable(w.form.statusBar()->currentMessage()));
}

void TestKeypadWindow::popupOpens_data()
{
    QTest::addColumn<QString>("where");  // "surface", a key face, or a box
    QTest::addColumn<int>("buttons");    // pressed in this order, left held
    QTest::addColumn<bool>("connected");
    QTest::addColumn<bool>("opens");

    QTest::newRow("right on the surface") << "surface" << int(Qt::RightButton) << true << true;
    QTest::newRow("left on the surface") << "surface" << int(Qt::LeftButton) << true << false;
    QTest::newRow("middle on the surface") << "surface" << int(Qt::MiddleButton) << true << false;
    QTest::newRow("both buttons on the surface") << "surface" << int(Qt::LeftButton | Qt::RightButton) << true
                                                 << false;
    QTest::newRow("right on a key") << "5" << int(Qt::RightButton) << true << false;
    QTest::newRow("right on RUN") << "RUN" << int(Qt::RightButton) << true << false;
    QTest::newRow("right on the flow box") << "lqset" << int(Qt::RightButton) << true << false;
    QTest::newRow("right on the pressure box") << "prset" << int(Qt::RightButton) << true << false;
    QTest::newRow("right on the chart") << "chart" << int(Qt::RightButton) << true << false;
    QTest::newRow("right before the port is open") << "surface" << int(Qt::RightButton) << false << false;
}

void TestKeypadWindow::popupOpens()
{
    QFETCH(QString, where);
    QFETCH(int, buttons);
    QFETCH(bool, connected);

    Window w;
    w.form.show();
    if (connected)
        w.openPort();

    QWidget* target = w.form.surface();
    QPoint pos = kBareSurface;
    if (where == QLatin1String("lqset"))
        target = w.form.lqset(), pos = target->rect().center();
    else if (where == QLatin1String("prset"))
        target = w.form.prset(), pos = target->rect().center();
    else if (where == QLatin1String("chart"))
        target = w.form.Picture1(), pos = target->rect().center();
    else if (where != QLatin1String("surface"))
        target = w.form.key(where), pos = target->rect().center();
    QVERIFY(target);

    // With both buttons the left one is held when the right one goes down.
    const bool both = buttons == int(Qt::LeftButton | Qt::RightButton);
    if (both) {
        QTest::mousePress(target, Qt::LeftButton, {}, pos);
        QTest::mousePress(target, Qt::RightButton, {}, pos);
        QTest::mouseRelease(target, Qt::RightButton, {}, pos);
        QTest::mouseRelease(target, Qt::LeftButton, {}, pos);
    } else {
        QTest::mousePress(target, Qt::MouseButton(buttons), {}, pos);
    }

    QTEST(w.form.rightkey()->isVisible(), "opens");
    w.form.rightkey()->hide();
    QVERIFY(w.sent().isEmpty());
}

void TestKeypadWindow::popupItemsSend_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("frame");

    QTest::newRow("rrun, left button") << "rrun" << int(Qt::LeftButton) << "Q00R0000Y";
    QTest::newRow("rstop, left button") << "rstop" << int(Qt::LeftButton) << "Q00S0000Y";
    QTest::newRow("rrun, right button") << "rrun" << int(Qt::RightButton) << "Q00R0000Y";
    QTest::newRow("rstop, right button") << "rstop" << int(Qt::RightButton) << "Q00S0000Y";
}

void TestKeypadWindow::popupItemsSend()
{
    QFETCH(QString, item);
    QFETCH(int, button);
    QFETCH(QString, frame);

    Window w;
    w.form.show();
    w.openPort();
    QTest::mousePress(w.form.surface(), Qt::RightButton, {}, kBareSurface);
    QTest::mouseRelease(w.form.surface(), Qt::RightButton, {}, kBareSurface);
    QMenu* menu = w.form.rightkey();
    QVERIFY(menu->isVisible());

    const QPoint at = menu->actionGeometry(w.form.action(item)).center();
    QTest::mouseClick(menu, Qt::MouseButton(button), {}, at);

    QCOMPARE(w.sent(), QStringList{frame});
    QVERIFY(!menu->isVisible());
}

QTEST_MAIN(TestKeypadWindow)
#include "test_keypad_window.moc"
