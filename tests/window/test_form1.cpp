#include "panel/mainwindow.h"
#include "record/chartwidget.h"

#include "fakes/fakeservices.h"
#include "platform/qtdialogs.h"
#include "record/viewer.h"

#include <QAccessible>
#include <QComboBox>
#include <QFontInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QToolButton>
#include <QFontDatabase>
#include <QtTest>

struct WindowRig {
    FakeServices fakes;
    FakeDialogs& dialogs = fakes.dialogs;
    QList<FakeSerialPort*>& ports = fakes.ports;
    Form1 window{fakes.services()};
    void connectPort()
    {
        dialogs.answer(QStringLiteral("/dev/pts/1"));
        window.action(QStringLiteral("Communication"))->trigger();
    }
};

class TestForm1 : public QObject {
    Q_OBJECT
private slots:
    void captionAndClientArea();
    void menuBar();
    void startUpState();
    void controlsSitWhereTheyBelong();
    void keysCarryTheirNamesAndPictures();
    void tabOrder();
    void everyControlHasAHumanName();
    void fontsShowChineseGlyphs();
    void connectingEnablesTheMenus();
    void portPromptOffersTheListedPorts();
    void helpDoesNothing();
    void closingTheWindowClosesThePort();
    void popupOnlyForTheRightButtonOverTheSurface();
    void popupItemsSendRunAndStop();
    void staleBoxesTurnGreyWhenThePumpFallsSilent();
    void rendersTheWindow();
    void firstPaintAndLaterRepaintsLookTheSame();
};

void TestForm1::captionAndClientArea()
{
    WindowRig rig;
    QCOMPARE(rig.window.windowTitle(), QStringLiteral("Vantero(KRV7M31)V2.0"));
    QCOMPARE(rig.window.surface()->size(), QSize(727, 502));
    QVERIFY(!rig.window.windowIcon().isNull());
    QVERIFY(!rig.window.windowIcon().pixmap(32, 32).isNull());
}

void TestForm1::menuBar()
{
    WindowRig rig;
    QStringList captions;
    QStringList names;
    for (QAction* a : rig.window.menuBar()->actions()) {
        captions << a->text();
        names << a->objectName();
    }
    QCOMPARE(captions, (QStringList{"文件(F)", "定时(T)", "泵(O)", "设定(S)", "通信", "帮助(H)"}));
    QCOMPARE(names, (QStringList{"file", "settime", "Pump", "seting", "CommunicationMenu", "help"}));

    const QList<std::pair<const char*, const char*>> items = {
        {"save", "保存"},  {"print", "打印"},   {"end", "退出"},       {"stset", "设定"},   {"operation", "操作"},
        {"ststart", "开始"}, {"stzanting", "暂停"}, {"stcontiune", "继续"}, {"stend", "结束"}, {"run", "运行"},
        {"stop", "停止"},  {"liquid", "流量"},  {"pressure", "压力"},  {"Pump_NO", "泵编号"}, {"rrun", "运行"},
        {"rstop", "停止"}};
    for (const auto& [name, caption] : items) {
        QAction* a = rig.window.action(QLatin1String(name));
        QVERIFY2(a, name);
        QCOMPARE(a->text(), QString::fromUtf8(caption));
        QVERIFY(a->shortcut().isEmpty());
        QVERIFY(!a->isCheckable());
    }
    QCOMPARE(rig.window.rightkey()->title(), QStringLiteral("右键"));
}

void TestForm1::startUpState()
{
    WindowRig rig;
    for (const char* menu : {"file", "settime", "Pump", "seting"})
        QVERIFY2(!rig.window.action(QLatin1String(menu))->isEnabled(), menu);
    QVERIFY(!rig.window.rightkey()->isEnabled());
    QVERIFY(rig.window.action(QStringLiteral("Communication"))->isEnabled());
    QVERIFY(rig.window.action(QStringLiteral("help"))->isEnabled());

    QCOMPARE(rig.window.pnow()->text(), QStringLiteral("00.0"));
    QCOMPARE(rig.window.prset()->text(), QStringLiteral("02.0"));
    QCOMPARE(rig.window.lqset()->text(), QStringLiteral("0000"));
    for (QToolButton* key : rig.window.surface()->findChildren<QToolButton*>())
        QVERIFY(key->isEnabled());

    rig.window.show();
    const QList<std::pair<const char*, const char*>> labels = {{"lhour", "00"}, {"Label1", "时"}, {"lmin", "00"},
                                                               {"Label2", "分"}, {"lsed", "00"},  {"Label3", "秒"}};
    for (const auto& [name, text] : labels) {
        QLabel* label = rig.window.label(QLatin1String(name));
        QVERIFY2(label, name);
        QCOMPARE(label->text(), QString::fromUtf8(text));
        QVERIFY2(!label->isVisible(), name);
        QCOMPARE(label->accessibleName(), label->text());
    }
    QCOMPARE(rig.window.connectionLabel()->text(), QStringLiteral("未连接"));
}

void TestForm1::controlsSitWhereTheyBelong()
{
    WindowRig rig;
    // Twips / 15, rounded.
    QCOMPARE(rig.window.pnow()->geometry(), QRect(536, 40, 41, 24));
    QCOMPARE(rig.window.prset()->geometry(), QRect(536, 64, 41, 24));
    QCOMPARE(rig.window.lqset()->geometry(), QRect(536, 88, 41, 24));
    QCOMPARE(rig.window.Picture1()->geometry(), QRect(40, 312, 665, 145));
    QCOMPARE(rig.window.label(QStringLiteral("lhour"))->geometry(), QRect(0, 0, 41, 25));
    QCOMPARE(rig.window.label(QStringLiteral("Label3"))->geometry(), QRect(176, 0, 33, 25));
    QCOMPARE(rig.window.key(QStringLiteral("0"))->geometry(), QRect(448, 144, 41, 25));
    QCOMPARE(rig.window.key(QStringLiteral("STOP"))->geometry(), QRect(579, 240, 41, 25));
    for (QLineEdit* box : {rig.window.pnow(), rig.window.prset(), rig.window.lqset()})
        QVERIFY(box->isReadOnly());
    QCOMPARE(rig.window.Picture1()->objectName(), QStringLiteral("Picture1"));
}

void TestForm1::keysCarryTheirNamesAndPictures()
{
    WindowRig rig;
    const QList<std::tuple<const char*, const char*, int>> keys = {
        {"0", "Cmd0", 13}, {"1", "Cmd1", 0},  {"2", "Cmd2", 1},    {"3", "Cmd3", 2},  {"4", "Cmd4", 4},
        {"5", "Cmd5", 5},  {"6", "Cmd6", 6},  {"7", "Cmd7", 8},    {"8", "Cmd8", 9},  {"9", "Cmd9", 10},
        {"▲", "Cmd0", 0},  {"▼", "Cmd0", 1},  {"L", "Cmdl", 3},    {"P", "Cmdp", 7},  {"RUN", "Cmdr", 11},
        {"STOP", "Cmds", 15}};
    QCOMPARE(rig.window.surface()->findChildren<QToolButton*>().size(), 16);
    for (const auto& [face, name, index] : keys) {
        QToolButton* key = rig.window.key(QString::fromUtf8(face));
        QVERIFY2(key, face);
        QCOMPARE(key->objectName(), QLatin1String(name));
        QCOMPARE(key->property("index").toInt(), index);
        QCOMPARE(key->accessibleName(), QString::fromUtf8(face));
        QVERIFY(!key->icon().isNull());
        QCOMPARE(key->iconSize(), QSize(39, 21));
        QVERIFY(key->text().isEmpty());  // they show only their pictures
    }
}

void TestForm1::tabOrder()
{
    WindowRig rig;
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&rig.window));
    // The keyboard starts on the first key of the order.
    QCOMPARE(QApplication::focusWidget(), rig.window.key(QStringLiteral("1")));
    QStringList order;
    QWidget* w = rig.window.key(QStringLiteral("1"));
    for (int i = 0; i < 20; ++i) {
        order << (w->accessibleName().isEmpty() ? w->objectName() : w->accessibleName());
        w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || !w->isVisible())
            w = w->nextInFocusChain();
    }
    QCOMPARE(order, (QStringList{"1", "2", "3", "L", "4", "5", "6", "P", "7", "8", "9", "RUN", "0", "STOP", "▲", "▼",
                                 "压力曲线", "当前压力", "设定压力", "设定流量"}));
}

// What a screen reader says for every visible control of both windows: a
// name in the window's language, never empty and never the control's
// internal name. The elapsed-time numbers speak their current value.
void TestForm1::everyControlHasAHumanName()
{
    WindowRig rig;
    rig.connectPort();
    rig.dialogs.answer(QStringLiteral("2"));
    rig.window.action(QStringLiteral("stset"))->trigger();
    rig.window.action(QStringLiteral("ststart"))->trigger();
    for (int i = 0; i < 3; ++i)
        rig.window.panel().timedRun().tick();
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));

    // The controls of a window without a human name, and how many were heard.
    int heard = 0;
    const auto unnamed = [&heard](QWidget* top) {
        QStringList bad;
        for (QWidget* w : QList<QWidget*>{top} + top->findChildren<QWidget*>()) {
            QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(w);
            const QString name = spoken ? spoken->text(QAccessible::Name) : QString();
            if (w->isVisible() && (name.trimmed().isEmpty() || name == w->objectName()))
                bad << QStringLiteral("%1 \"%2\"").arg(QLatin1String(w->metaObject()->className()), w->objectName());
            heard += w->isVisible();
        }
        return bad;
    };
    for (QLabel* number : {rig.window.label("lhour"), rig.window.label("lmin"), rig.window.label("lsed")})
        QCOMPARE(number->accessibleName(), number->text());
    QCOMPARE(rig.window.label(QStringLiteral("lsed"))->accessibleDescription(), QStringLiteral("秒"));
    QCOMPARE(rig.window.connectionLabel()->accessibleName(), rig.window.connectionLabel()->text());
    QCOMPARE(unnamed(&rig.window), QStringList());
    QVERIFY(heard > 30);

    rig.window.action(QStringLiteral("view"))->trigger();
    heard = 0;
    QCOMPARE(unnamed(rig.window.viewer()), QStringList());
    QCOMPARE(heard, 4);
}

void TestForm1::fontsShowChineseGlyphs()
{
    WindowRig rig;
    const QFont boxFont = rig.window.pnow()->font();
    // 宋体 itself where it is installed, else the first CJK face standing in.
    const QStringList faces = {QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                               QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("WenQuanYi Micro Hei"),
                               QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC"),
                               QStringLiteral("AR PL UMing CN")};
    QVERIFY2(faces.contains(boxFont.family()), qPrintable(boxFont.family()));
    if (QFontDatabase::families().contains(QStringLiteral("宋体")))
        QCOMPARE(boxFont.family(), QStringLiteral("宋体"));
    QVERIFY(boxFont.bold());
    QCOMPARE(boxFont.pointSizeF(), 12.0);
    const QFont labelFont = rig.window.label(QStringLiteral("Label1"))->font();
    QCOMPARE(labelFont.pointSizeF(), 15.75);
    QVERIFY(labelFont.bold());
    QCOMPARE(rig.window.key(QStringLiteral("5"))->font().pointSizeF(), 14.25);
    // Whatever face stands in for 宋体 has the Chinese glyphs.
    QFontMetrics metrics(labelFont);
    for (QChar c : QStringLiteral("时分秒流量压力"))
        QVERIFY2(metrics.inFont(c), qPrintable(QFontInfo(labelFont).family()));
}

void TestForm1::connectingEnablesTheMenus()
{
    WindowRig rig;
    rig.connectPort();
    for (const char* menu : {"file", "settime", "Pump", "seting"})
        QVERIFY2(rig.window.action(QLatin1String(menu))->isEnabled(), menu);
    QVERIFY(rig.window.rightkey()->isEnabled());
    QCOMPARE(rig.window.connectionLabel()->text(), QStringLiteral("/dev/pts/1 9600,n,8,1"));
}

// The real port prompt: an editable drop-down of the listed ports that starts
// with the pre-filled answer and completes nothing typed; a picked port opens.
// With PUMP_SCREENSHOT_DIR set (under a real display) it also saves the
// prompt with its list open as port-list.png.
void TestForm1::portPromptOffersTheListedPorts()
{
    FakeServices fakes;
    fakes.portList = {{"1", "ttyS0"},
                      {"ttyUSB0", "FT232R USB UART (FTDI, A50285BI)"},
                      {"ttyACM0", "USB Serial (Arduino LLC, 85736323838351F0E1A1)"}};
    platform::QtDialogs dialogs;
    Form1 window(fakes.services(&dialogs));
    dialogs.setParentWindow(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QString screenshots = qEnvironmentVariable("PUMP_SCREENSHOT_DIR");

    QStringList items;  // the entries, then the text shown and how the box behaves
    QTimer::singleShot(0, &window, [&] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        QComboBox* combo = dialog ? dialog->findChild<QComboBox*>() : nullptr;
        for (int i = 0; combo && i < combo->count(); ++i)
            items << combo->itemText(i);
        if (combo)
            items << combo->currentText() << (combo->isEditable() ? "editable" : "fixed")
                  << (combo->completer() ? "completes" : "types");
        if (combo && !screenshots.isEmpty()) {
            combo->showPopup();
            QTest::qWait(500);
            const QRect r = window.frameGeometry();
            window.screen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).save(screenshots + "/port-list.png");
            combo->hidePopup();
        }
        if (combo)
            combo->setCurrentIndex(1);
        if (dialog)
            dialog->accept();
    });
    window.action(QStringLiteral("Communication"))->trigger();

    QCOMPARE(items, (QStringList{"1 — ttyS0", "ttyUSB0 — FT232R USB UART (FTDI, A50285BI)",
                                 "ttyACM0 — USB Serial (Arduino LLC, 85736323838351F0E1A1)", "1", "editable", "types"}));
    QCOMPARE(fakes.openedDevices(), QStringList{QStringLiteral("/dev/ttyUSB0")});
}

void TestForm1::helpDoesNothing()
{
    WindowRig rig;
    rig.connectPort();
    rig.window.action(QStringLiteral("help"))->trigger();
    QCOMPARE(rig.dialogs.inputs.size(), 1);  // only the port prompt
    QVERIFY(rig.dialogs.messages.isEmpty());
    QVERIFY(rig.ports.last()->writes.isEmpty());
}

void TestForm1::closingTheWindowClosesThePort()
{
    WindowRig rig;
    rig.window.show();
    rig.connectPort();
    QSignalSpy gone(rig.ports.last(), &QObject::destroyed);
    QVERIFY(rig.window.close());
    QCOMPARE(gone.count(), 1);
    QVERIFY(!rig.window.panel().link().isOpen());
}

void TestForm1::popupOnlyForTheRightButtonOverTheSurface()
{
    WindowRig rig;
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
    const QPoint empty(300, 280);  // between the model name and the chart
    QVERIFY(rig.window.surface()->childAt(empty) == nullptr);

    // Before the port is open the pop-up offers nothing: it does not open.
    QTest::mouseClick(rig.window.surface(), Qt::RightButton, {}, empty);
    QVERIFY(!rig.window.rightkey()->isVisible());

    rig.connectPort();
    QTest::mouseClick(rig.window.surface(), Qt::LeftButton, {}, empty);
    QVERIFY(!rig.window.rightkey()->isVisible());
    QTest::mouseClick(rig.window.surface(), Qt::MiddleButton, {}, empty);
    QVERIFY(!rig.window.rightkey()->isVisible());
    for (QWidget* control : {static_cast<QWidget*>(rig.window.pnow()),
                             static_cast<QWidget*>(rig.window.key(QStringLiteral("5"))),
                             static_cast<QWidget*>(rig.window.Picture1())}) {
        QTest::mouseClick(control, Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY2(!rig.window.rightkey()->isVisible(), qPrintable(control->objectName()));
    }
    // Left held down, then right: both buttons, nothing opens.
    QTest::mousePress(rig.window.surface(), Qt::LeftButton, {}, empty);
    QTest::mousePress(rig.window.surface(), Qt::RightButton, {}, empty);
    QVERIFY(!rig.window.rightkey()->isVisible());
    QTest::mouseRelease(rig.window.surface(), Qt::RightButton, {}, empty);
    QTest::mouseRelease(rig.window.surface(), Qt::LeftButton, {}, empty);

    QTest::mousePress(rig.window.surface(), Qt::RightButton, {}, empty);
    QVERIFY(rig.window.rightkey()->isVisible());
    rig.window.rightkey()->hide();
}

void TestForm1::popupItemsSendRunAndStop()
{
    WindowRig rig;
    rig.connectPort();
    rig.window.panel().send(QStringLiteral("Q00F0000Y"));
    rig.window.action(QStringLiteral("rrun"))->trigger();
    rig.window.action(QStringLiteral("rstop"))->trigger();
    rig.window.action(QStringLiteral("run"))->trigger();
    rig.window.action(QStringLiteral("stop"))->trigger();
    QCOMPARE(rig.ports.last()->writtenFrames(),
             (QStringList{"Q00F0000Y", "Q00R0000Y", "Q00S0000Y", "Q00R0000Y", "Q00S0000Y"}));
}

void TestForm1::staleBoxesTurnGreyWhenThePumpFallsSilent()
{
    WindowRig rig;
    rig.connectPort();
    const auto look = [&] { return rig.window.pnow()->palette().color(QPalette::Text); };
    const QColor live = look();
    for (int i = 0; i < 4; ++i)
        rig.window.panel().link().pollTick();
    QVERIFY(rig.window.panel().link().linkLost());
    QVERIFY(look() != live);
    QVERIFY(rig.window.connectionLabel()->text().startsWith(QStringLiteral("通信中断")));
    rig.ports.last()->feed("Q00N01.0Y");
    QCOMPARE(look(), live);
    QCOMPARE(rig.window.pnow()->text(), QStringLiteral("01.0"));
}

void TestForm1::rendersTheWindow()
{
    WindowRig rig;
    rig.connectPort();
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
    const QImage image = rig.window.grab().toImage();
    const int menuHeight = rig.window.menuBar()->height();
    // The display panel behind the boxes is blue; the chart area is white.
    const QColor panel = image.pixelColor(420, menuHeight + 35);
    QVERIFY2(panel.blue() > 100 && panel.red() < 60, qPrintable(panel.name()));
    QCOMPARE(image.pixelColor(300, menuHeight + 400), QColor(Qt::white));
    if (const QByteArray path = qgetenv("PUMP_SCREENSHOT"); !path.isEmpty())
        image.save(QString::fromLocal8Bit(path));
}

void TestForm1::firstPaintAndLaterRepaintsLookTheSame()
{
    // The first paint draws the background straight onto the window; later
    // repaints copy it from a kept picture. Both must leave the same pixels.
    WindowRig rig;
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
    QWidget* surface = rig.window.surface();
    const QPoint at = surface->mapTo(&rig.window, QPoint(0, 0));
    const auto onScreen = [&] {
        return rig.window.screen()
            ->grabWindow(rig.window.winId(), at.x(), at.y(), surface->width(), surface->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    const QImage first = onScreen();
    QCoreApplication::processEvents();
    surface->repaint();
    const QImage repainted = onScreen();
    QCOMPARE(repainted.size(), surface->size());
    QCOMPARE(repainted, first);
}

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
