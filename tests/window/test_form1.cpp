#include "panel/mainwindow.h"
#include "record/chartwidget.h"

#include "fakes/fakeservices.h"
#include "panel/alarmviews.h"
#include "platform/qtdialogs.h"
#include "record/viewer.h"

#include <QAccessible>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
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

#include <functional>

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
    void keyboard();
    void everyControlHasAHumanName();
    void fontsShowChineseGlyphs();
    void connectingEnablesTheMenus();
    void portPromptOffersTheListedPorts();
    void helpDoesNothing();
    void closingTheWindowClosesThePort();
    void popupOnlyForTheRightButtonOverTheSurface();
    void popupItemsSendRunAndStop();
    void boxesShowWhetherTheyAreLive();
    void indicatorsCoverNothing();
    void rendersTheWindow();
    void alarmSettingsAndList();
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
        {"rstop", "停止"}, {"alarmSettings", "报警设置…"},
        {"Communication", "端口…"}, {"remote", "远程访问…"}, {"alarmList", "报警记录…"}};
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

void TestForm1::keyboard()
{
    WindowRig rig;
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&rig.window));
    // The keyboard starts on the first key of the order: row by row, as the
    // keys sit.
    QCOMPARE(QApplication::focusWidget(), rig.window.key(QStringLiteral("0")));
    QStringList order;
    QWidget* w = rig.window.key(QStringLiteral("0"));
    for (int i = 0; i < 20; ++i) {
        order << (w->accessibleName().isEmpty() ? w->objectName() : w->accessibleName());
        w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || !w->isVisible())
            w = w->nextInFocusChain();
    }
    QCOMPARE(order, (QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "▲", "▼", "L", "P", "RUN", "STOP",
                                 "压力曲线", "当前压力", "设定压力", "设定流量"}));

    // The focused key shows a ring; the others do not.
    const auto ringed = [](QWidget* key) {
        const QImage image = key->grab().toImage();
        const QColor edge = image.pixelColor(image.width() / 2, 1);
        return edge.red() > 200 && edge.green() > 120 && edge.green() < 220 && edge.blue() < 80;
    };
    QVERIFY(ringed(rig.window.key(QStringLiteral("0"))));
    QVERIFY(!ringed(rig.window.key(QStringLiteral("1"))));

    // The PC's digit keys never type into a set point.
    rig.connectPort();
    rig.window.key(QStringLiteral("L"))->click();
    for (QWidget* target : {static_cast<QWidget*>(&rig.window), QApplication::focusWidget()})
        QTest::keyClicks(target, QStringLiteral("123"));
    QCOMPARE(rig.window.lqset()->text(), QString());
    QVERIFY(rig.ports.last()->writtenFrames().isEmpty());

    // Alt and the caption's letter open the menus.
    for (const auto& [name, letter] : {std::pair{"file", Qt::Key_F}, std::pair{"settime", Qt::Key_T},
                                       std::pair{"Pump", Qt::Key_O}, std::pair{"seting", Qt::Key_S}}) {
        QTest::keyClick(&rig.window, letter, Qt::AltModifier);
        QAction* menu = rig.window.action(QLatin1String(name));
        QTRY_VERIFY2(menu->menu()->isVisible(), name);
        QCOMPARE(rig.window.menuBar()->activeAction(), menu);
        menu->menu()->hide();
    }
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
    rig.window.panel().alarms().setStopUndelivered(true);  // the band shows
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

// Each box shows, in colour, tooltip and description, whether its text is
// the pump's: live, not live (no port, no answer yet, link lost), being typed
// or refused. The texts themselves stay as they are.
void TestForm1::boxesShowWhetherTheyAreLive()
{
    WindowRig rig;
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
    Panel& panel = rig.window.panel();
    // Whether the box's grab holds its text in this colour, and the line
    // round it in red.
    const auto looks = [](QLineEdit* box, QColor text, bool redLine) {
        const QImage image = box->grab().toImage();
        bool found = false;
        for (int y = 2; y < image.height() - 2 && !found; ++y) {
            for (int x = 2; x < image.width() - 2 && !found; ++x) {
                const QColor c = image.pixelColor(x, y);
                found = std::abs(c.red() - text.red()) + std::abs(c.green() - text.green())
                            + std::abs(c.blue() - text.blue()) < 40;
            }
        }
        const QColor line = image.pixelColor(0, image.height() / 2);
        return found && (line.red() > 200) == redLine;
    };
    const QColor live(0, 255, 255), grey(128, 150, 170), typing(255, 220, 90), refused(255, 120, 120);
    const struct {
        std::function<void()> step;
        QLineEdit* box;
        QColor colour;
        bool redLine;
        const char* words;
    } steps[] = {
        {[] {}, rig.window.pnow(), grey, false, "未连接"},
        {[&] { rig.connectPort(); }, rig.window.pnow(), grey, false, "尚未回答"},
        {[&] { rig.ports.last()->feed("Q00N01.0YQ00P01.5Y"); }, rig.window.prset(), live, false, "泵的实时值"},
        {[&] { for (int i = 0; i < 4; ++i) panel.link().pollTick(); }, rig.window.pnow(), grey, false, "通信中断"},
        {[&] { rig.ports.last()->feed("Q00N01.0Y"); }, rig.window.pnow(), live, false, "泵的实时值"},
        {[&] { panel.Cmdp(); panel.Cmd3(); }, rig.window.prset(), typing, false, "正在输入"},
        {[&] { panel.Cmd0(13); panel.Cmd0(13); }, rig.window.prset(), refused, true, "未发送"},
        {[&] { rig.ports.last()->feed("Q00N01.0Y"); }, rig.window.prset(), refused, true, "未发送"},
        {[&] { rig.ports.last()->failLine(QStringLiteral("gone")); }, rig.window.pnow(), grey, false, "未连接"},
    };
    int i = 0;
    for (const auto& s : steps) {
        s.step();
        const QString at = QStringLiteral("step %1").arg(i++);
        QVERIFY2(looks(s.box, s.colour, s.redLine), qPrintable(at));
        QVERIFY2(s.box->toolTip().contains(QString::fromUtf8(s.words)), qPrintable(at + s.box->toolTip()));
        QVERIFY2(s.box->accessibleDescription().contains(QString::fromUtf8(s.words)), qPrintable(at));
        QVERIFY2(!looks(s.box, s.colour == live ? grey : live, s.redLine), qPrintable(at));
        // While the pump is silent the value box says so in a word.
        if (qstrcmp(s.words, "通信中断") == 0)
            QCOMPARE(s.box->text(), QStringLiteral("中断"));
    }
    QCOMPARE(rig.window.prset()->text(), QStringLiteral("30.0"));
    QCOMPARE(rig.window.pnow()->text(), QStringLiteral("01.0"));
    QVERIFY(rig.window.pnow()->accessibleDescription().startsWith(QStringLiteral("兆帕")));
}

// The pump's state and the timed run's sit on empty background: they
// overlap no control, and where they sit the window shows only the
// background picture without them.
void TestForm1::indicatorsCoverNothing()
{
    WindowRig rig;
    rig.connectPort();
    rig.window.panel().ststart();
    rig.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
    QCOMPARE(rig.window.pumpStateLabel()->accessibleName(), QStringLiteral("泵状态：运行中"));
    for (QLabel* indicator : {rig.window.pumpStateLabel(), rig.window.timedStateLabel()}) {
        QVERIFY(indicator->isVisible());
        for (QWidget* other : rig.window.surface()->findChildren<QWidget*>()) {
            if (other != indicator && other->isVisible())
                QVERIFY2(!other->geometry().intersects(indicator->geometry()), qPrintable(other->objectName()));
        }
    }
    rig.window.pumpStateLabel()->hide();
    rig.window.timedStateLabel()->hide();
    const QImage without = rig.window.surface()->grab().toImage();
    // The background there is plain: no text or drawing is hidden.
    for (QLabel* indicator : {rig.window.pumpStateLabel(), rig.window.timedStateLabel()}) {
        const QRect r = indicator->geometry();
        const QColor first = without.pixelColor(r.topLeft());
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor c = without.pixelColor(x, y);
                QVERIFY2(std::abs(c.lightness() - first.lightness()) < 12, qPrintable(indicator->objectName()));
            }
        }
    }
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

// Bad keys are named once each; the settings dialog keeps values in range,
// puts them in force and in the file (and says when the file cannot take
// them); the list acknowledges the alarm chosen.
void TestForm1::alarmSettingsAndList()
{
    FakeServices fakes;
    fakes.settings.values = {{"alarms/high_pressure_mpa", "3"}, {"alarms/link_lost_action", "halt"}};
    Panel panel(fakes.services());
    QSignalSpy notices(&panel, &Panel::notice);
    panel.Form_Load();
    QCOMPARE(notices.size(), 2);
    QVERIFY(notices[0][0].toString().contains(QStringLiteral("alarms/high_pressure_mpa")));
    QVERIFY(notices[1][0].toString().contains(QStringLiteral("alarms/link_lost_action")));

    WindowRig rig;
    rig.connectPort();
    for (const char* failure : {"", "磁盘已满"}) {
        rig.fakes.settings.failSync = QString::fromUtf8(failure);
        rig.window.action(QStringLiteral("alarmSettings"))->trigger();
        auto* dialog = qobject_cast<QDialog*>(rig.window.alarmSettings());
        QVERIFY(dialog && dialog->isVisible() && !dialog->isModal());
        auto* threshold = dialog->findChild<QDoubleSpinBox*>(QStringLiteral("high_pressure_mpa"));
        threshold->setValue(5);
        QCOMPARE(threshold->value(), 2.0);
        threshold->setValue(1.2);
        dialog->findChild<QComboBox*>(QStringLiteral("high_pressure_action"))->setCurrentIndex(0);
        dialog->accept();
        QTRY_VERIFY(!rig.window.alarmSettings());
    }
    const alarms::Rule& high = rig.window.panel().alarms().config().rule(alarms::Condition::HighPressure);
    QCOMPARE(high.mpa, 1.2);
    QCOMPARE(high.action, alarms::Action::Warn);
    QCOMPARE(rig.fakes.settings.values.value("alarms/high_pressure_mpa"), QStringLiteral("1.2"));
    QCOMPARE(rig.fakes.settings.values.value("alarms/high_pressure_action"), QStringLiteral("warn"));
    QCOMPARE(rig.fakes.settings.syncs, 2);
    QCOMPARE(rig.dialogs.messages.size(), 1);
    QVERIFY(!rig.dialogs.messages[0].modal && rig.dialogs.messages[0].text.contains(QStringLiteral("磁盘已满")));

    for (int i = 0; i < 4; ++i)
        rig.window.panel().link().pollTick();
    rig.window.action(QStringLiteral("alarmList"))->trigger();
    QTableWidget* table = rig.window.alarmList()->table();
    QCOMPARE(table->rowCount(), 1);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("通信中断"));
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("未确认"));
    table->selectRow(0);
    rig.window.alarmList()->findChild<QPushButton*>(QStringLiteral("acknowledgeSelected"))->click();
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("已确认"));
    QVERIFY(rig.window.alarmBand()->isVisibleTo(&rig.window));
    rig.ports.last()->feed("Q00N01.0Y");
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("已结束"));
    QVERIFY(!rig.window.alarmBand()->isVisibleTo(&rig.window));
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
