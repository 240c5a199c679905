#include "link/portnames.h"
#include "panel/panel.h"

#include "fakes/fakeservices.h"

#include <QSignalSpy>
#include <QtTest>

// A Panel on fake dialogs and fake ports. No real device is ever opened: the
// port maker only records the device names.
struct PanelRig {
    FakeServices fakes;
    FakeDialogs& dialogs = fakes.dialogs;
    QList<FakeSerialPort*>& ports = fakes.ports;
    QString& refuse = fakes.refuseOpen;
    qint64& now = fakes.now;
    Panel panel{fakes.services()};
    PanelRig() { panel.Form_Load(); }
    QStringList opened() const { return fakes.openedDevices(); }
};

class TestCommunication : public QObject {
    Q_OBJECT
private slots:
    void startUpDisablesTheCommandMenus();
    void promptAndDefault();
    void listedPorts_data();
    void listedPorts();
    void answers_data();
    void answers();
    void successEnablesMenusInOrderThenPolls();
    void failedOpenSaysWhyAndChangesNothing();
    void secondOpenClosesTheFirst();
    void windowsPortNames();
    void unloadClosesThePort();
    void sendingWithNoPortIsANoticeNotABox();
    void vanishedPortIsReportedOnce();
    void keptStopGoesOnlyToItsOwnPort();
    void pumpStateFollowsWhatReachedThePump();
    void statusLineFollowsTheLink();
    void answersReachTheBoxes();
};

void TestCommunication::startUpDisablesTheCommandMenus()
{
    PanelRig rig;
    for (const QString& menu : Panel::commandMenus())
        QVERIFY2(!rig.panel.menuEnabled(menu), qPrintable(menu));
    QVERIFY(!rig.panel.link().Timer2().isActive());
    QCOMPARE(rig.panel.state().pnow, QStringLiteral("00.0"));
    QCOMPARE(rig.panel.state().prset, QStringLiteral("02.0"));
    QCOMPARE(rig.panel.state().lqset, QStringLiteral("0000"));
    QCOMPARE(rig.panel.connectionText(), QStringLiteral("未连接"));
}

void TestCommunication::promptAndDefault()
{
    PanelRig rig;
    rig.panel.Communication();  // Cancel
    QCOMPARE(rig.dialogs.inputs.size(), 1);
    QCOMPARE(rig.dialogs.inputs[0].prompt, QStringLiteral("Input communication port"));
    QCOMPARE(rig.dialogs.inputs[0].title, QStringLiteral("Commport"));
    QCOMPARE(rig.dialogs.inputs[0].defaultAnswer, QStringLiteral("1"));
    rig.panel.setPortDefaultAnswer(QStringLiteral("sim"));
    rig.panel.Communication();
    QCOMPARE(rig.dialogs.inputs[1].defaultAnswer, QStringLiteral("sim"));
    QCOMPARE(rig.dialogs.inputs[1].choices, QStringList());

    // The list is asked afresh each time the prompt opens.
    rig.fakes.portList = {{"1", "ttyS0"}, {"ttyACM0", ""}};
    rig.panel.Communication();
    QCOMPARE(rig.dialogs.inputs[2].choices, (QStringList{"1 — ttyS0", "ttyACM0"}));
    rig.fakes.portList.removeFirst();
    rig.panel.Communication();
    QCOMPARE(rig.dialogs.inputs[3].choices, QStringList{"ttyACM0"});
}

void TestCommunication::listedPorts_data()
{
    QTest::addColumn<QString>("portName");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("maker");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("entry");

    QTest::newRow("USB adapter") << "ttyUSB0" << "FT232R USB UART" << "FTDI" << "A50285BI"
                                 << "ttyUSB0 — FT232R USB UART (FTDI, A50285BI)";
    QTest::newRow("first port by number") << "ttyS0" << "" << "" << "" << "1 — ttyS0";
    QTest::newRow("tenth port") << "ttyS9" << "16550A" << "" << "" << "10 — ttyS9 16550A";
    QTest::newRow("maker only") << "ttyACM0" << "" << "Arduino" << "" << "ttyACM0 — Arduino";
    QTest::newRow("nothing known") << "ttyAMA0" << "" << "" << "" << "ttyAMA0";
    QTest::newRow("leading zero is a name") << "ttyS01" << "" << "" << "" << "ttyS01";
    QTest::newRow("beyond 16 bits is a name") << "ttyS40000" << "" << "" << "" << "ttyS40000";
}

// Each listed port reads as its answer and a description, and picking it
// opens that very port.
void TestCommunication::listedPorts()
{
    QFETCH(QString, portName);
    QFETCH(QString, description);
    QFETCH(QString, maker);
    QFETCH(QString, serial);
    PanelRig rig;
    rig.fakes.portList = portLister([&] { return QList<platform::SystemPort>{{portName, description, maker, serial}}; })();
    rig.dialogs.answer(QString());
    rig.panel.Communication();
    QTEST(rig.dialogs.inputs[0].choices.value(0), "entry");
    rig.dialogs.answer(rig.dialogs.inputs[0].choices[0]);
    rig.panel.Communication();
    QCOMPARE(rig.opened(), QStringList{QStringLiteral("/dev/") + portName});
    // Numbered ports first in their order, then the others by name.
    QStringList order;
    for (const platform::PortListing& p : portLister([] {
             return QList<platform::SystemPort>{{"ttyUSB0"}, {"ttyS9"}, {"ttyACM0"}, {"ttyS0"}};
         })())
        order << p.answer;
    QCOMPARE(order, (QStringList{"1", "10", "ttyACM0", "ttyUSB0"}));
}

void TestCommunication::answers_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("device");  // empty: nothing is opened

    QTest::newRow("default 1") << "1" << "/dev/ttyS0";
    QTest::newRow("blanks") << " 3 " << "/dev/ttyS2";
    QTest::newRow("2.5 to even") << "2.5" << "/dev/ttyS1";
    QTest::newRow("3.5 to even") << "3.5" << "/dev/ttyS3";
    QTest::newRow("device path") << "/dev/pts/5" << "/dev/pts/5";
    QTest::newRow("device word") << "ttyUSB0" << "/dev/ttyUSB0";
    QTest::newRow("simulated pump") << "sim" << "sim";
    QTest::newRow("Cancel") << "" << "";
    QTest::newRow("blanks only") << "   " << "";
    QTest::newRow("two words") << "COM 3" << "";
    QTest::newRow("out of range") << "40000" << "";
    // A port picked from the list: only its answer counts.
    QTest::newRow("picked port") << "ttyUSB0 — FT232R USB UART (FTDI, A50285BI)" << "/dev/ttyUSB0";
    QTest::newRow("picked number") << "2 — ttyS1" << "/dev/ttyS1";
    QTest::newRow("picked sim") << "sim — 内置模拟泵" << "sim";
    QTest::newRow("picked, then edited") << "ttyUSB1 — FT232R" << "/dev/ttyUSB1";
}

void TestCommunication::answers()
{
    QFETCH(QString, answer);
    QFETCH(QString, device);
    PanelRig rig;
    QSignalSpy menus(&rig.panel, &Panel::menuEnabledChanged);
    rig.dialogs.answer(answer);
    rig.panel.Communication();
    if (device.isEmpty()) {
        // A failed conversion changes nothing, silently.
        QVERIFY(rig.opened().isEmpty());
        QVERIFY(rig.dialogs.messages.isEmpty());
        QCOMPARE(menus.count(), 0);
        QVERIFY(!rig.panel.link().Timer2().isActive());
    } else {
        QCOMPARE(rig.opened(), QStringList{device});
        QVERIFY(rig.panel.link().isOpen());
    }
}

void TestCommunication::successEnablesMenusInOrderThenPolls()
{
    PanelRig rig;
    QStringList order;
    connect(&rig.panel, &Panel::menuEnabledChanged, [&](const QString& menu, bool enabled) {
        QVERIFY(enabled);
        // Polling starts only after every menu is enabled.
        QVERIFY(!rig.panel.link().Timer2().isActive());
        order << menu;
    });
    rig.dialogs.answer(QStringLiteral("/dev/pts/3"));
    rig.panel.Communication();
    QCOMPARE(order, (QStringList{"file", "settime", "Pump", "rightkey", "seting"}));
    QVERIFY(rig.panel.link().Timer2().isActive());
    QCOMPARE(rig.panel.link().Timer2().interval(), 1500);
    // The port command itself sends nothing and says nothing.
    QVERIFY(rig.ports.last()->writes.isEmpty());
    QVERIFY(rig.dialogs.messages.isEmpty());
}

void TestCommunication::failedOpenSaysWhyAndChangesNothing()
{
    PanelRig rig;
    rig.refuse = QStringLiteral("端口被其他程序占用或无权访问");
    rig.dialogs.answer(QStringLiteral("/dev/pts/4"));
    rig.panel.Communication();
    QCOMPARE(rig.dialogs.messages.size(), 1);
    QVERIFY(rig.dialogs.messages[0].text.contains(QStringLiteral("/dev/pts/4")));
    QVERIFY(rig.dialogs.messages[0].text.contains(rig.refuse));
    for (const QString& menu : Panel::commandMenus())
        QVERIFY(!rig.panel.menuEnabled(menu));
    QVERIFY(!rig.panel.link().Timer2().isActive());
    QVERIFY(!rig.panel.link().isOpen());
}

void TestCommunication::secondOpenClosesTheFirst()
{
    PanelRig rig;
    rig.dialogs.answer(QStringLiteral("/dev/pts/3"));
    rig.panel.Communication();
    FakeSerialPort* first = rig.ports.last();
    QSignalSpy gone(first, &QObject::destroyed);
    rig.dialogs.answer(QStringLiteral("/dev/pts/7"));
    rig.panel.Communication();
    QCOMPARE(gone.count(), 1);
    QCOMPARE(rig.panel.link().device(), QStringLiteral("/dev/pts/7"));
    QCOMPARE(rig.panel.connectionText(), QStringLiteral("/dev/pts/7 9600,n,8,1"));
    // Cancel the third time: the open port stays open.
    rig.panel.Communication();
    QVERIFY(rig.panel.link().isOpen());

    // A port that fails to open leaves the open one in use; the same one again, failing, leaves none.
    rig.refuse = QStringLiteral("端口不存在");
    rig.dialogs.answer(QStringLiteral("/dev/pts/33"));
    rig.panel.Communication();
    QCOMPARE(rig.panel.connectionText(), QStringLiteral("/dev/pts/7 9600,n,8,1"));
    QCOMPARE(rig.dialogs.messages.last().text, QStringLiteral("无法打开端口 /dev/pts/33：端口不存在\n仍在使用端口 /dev/pts/7。"));
    rig.panel.link().pollTick();
    QCOMPARE(rig.ports.at(1)->writtenFrames(), QStringList{"Q00F0000Y"});
    rig.dialogs.answer(QStringLiteral("/dev/pts/7"));
    rig.panel.Communication();
    QCOMPARE(rig.panel.connectionText(), QStringLiteral("未连接"));
    QSignalSpy notices(&rig.panel, &Panel::notice);
    rig.panel.link().pollTick();
    QCOMPARE(notices.count(), 0);
}

void TestCommunication::windowsPortNames()
{
    const std::pair<QString, QString> names[] = {{"com10", "COM10"}, {"Com3", "COM3"}, {"12", "COM12"}, {"comx", "comx"}};
    for (const auto& [answer, device] : names)
        QCOMPARE(deviceForAnswer(answer, PortNaming::Windows), std::optional<QString>(device));
}

void TestCommunication::unloadClosesThePort()
{
    PanelRig rig;
    rig.panel.Form_Unload();  // nothing was opened: harmless
    rig.dialogs.answer(QStringLiteral("/dev/pts/3"));
    rig.panel.Communication();
    FakeSerialPort* port = rig.ports.last();
    QSignalSpy gone(port, &QObject::destroyed);
    rig.panel.Form_Unload();
    QCOMPARE(gone.count(), 1);
    QVERIFY(!rig.panel.link().isOpen());
}

void TestCommunication::sendingWithNoPortIsANoticeNotABox()
{
    PanelRig rig;
    QSignalSpy notices(&rig.panel, &Panel::notice);
    rig.panel.run();
    QCOMPARE(notices.count(), 1);
    QVERIFY(notices.at(0).at(0).toString().contains(QStringLiteral("Q00R0000Y")));
    // No port was ever open, so no pump runs from here: a stop is not kept.
    rig.panel.stop();
    QVERIFY(!rig.panel.stopPending());
    QVERIFY(rig.dialogs.messages.isEmpty());
}

void TestCommunication::vanishedPortIsReportedOnce()
{
    PanelRig rig;
    rig.dialogs.answer(QStringLiteral("/dev/pts/3"));
    rig.panel.Communication();
    rig.ports.last()->failLine(QStringLiteral("端口已断开 (Resource temporarily unavailable)"));
    QCOMPARE(rig.dialogs.messages.size(), 1);
    // Said once, with the system's words after it.
    QCOMPARE(rig.dialogs.messages[0].text,
             QStringLiteral("端口 /dev/pts/3 已断开 (Resource temporarily unavailable)\n请用“通信”重新打开端口。"));
    QCOMPARE(rig.panel.connectionText(), QStringLiteral("未连接"));
    // The menus stay usable and "通信" opens the port again.
    QVERIFY(rig.panel.menuEnabled(QStringLiteral("Pump")));
    rig.dialogs.answer(QStringLiteral("/dev/pts/3"));
    rig.panel.Communication();
    QVERIFY(rig.panel.link().isOpen());
    QCOMPARE(rig.dialogs.messages.size(), 1);
}

// The timed run ends with the port lost: its stop waits for that port, and
// no other port gets it.
void TestCommunication::keptStopGoesOnlyToItsOwnPort()
{
    PanelRig rig;
    rig.dialogs.answer(QStringLiteral("/dev/pts/3"));
    rig.panel.Communication();
    rig.panel.ststart();
    rig.ports.last()->failLine(QStringLiteral("端口已断开"));
    rig.now += 1000;
    rig.panel.timedRun().tick();
    rig.panel.stop();  // tried again: still one box
    rig.panel.run();   // a run that went nowhere does not cancel it
    QCOMPARE(rig.dialogs.messages.size(), 2);
    QVERIFY(!rig.dialogs.messages.last().modal && rig.dialogs.messages.last().text.startsWith(QStringLiteral("泵可能仍在运行")));
    const QString warning = QStringLiteral("泵（端口 /dev/pts/3）可能仍在运行：停止命令没有送到。");
    QCOMPARE(rig.panel.stopWarning(), warning);

    // Another pump: nothing goes to it, the warning stays and names the old port.
    QSignalSpy withheld(&rig.panel, &Panel::stopWithheld);
    rig.dialogs.answer(QStringLiteral("/dev/pts/4"));
    rig.panel.Communication();
    QVERIFY(rig.ports.last()->writtenFrames().isEmpty());
    rig.panel.stop();  // reaches /dev/pts/4's pump, not the one still running
    QCOMPARE(rig.ports.last()->writtenFrames(), QStringList{"Q00S0000Y"});
    QCOMPARE(withheld.count(), 1);
    QCOMPARE(rig.panel.stopWarning(), warning);
    QVERIFY(rig.dialogs.messages.last().text.startsWith(warning));

    QSignalSpy notices(&rig.panel, &Panel::notice);
    rig.dialogs.answer(QStringLiteral("/dev/pts/3"));
    rig.panel.Communication();
    QCOMPARE(rig.ports.last()->writtenFrames(), QStringList{"Q00S0000Y"});
    QCOMPARE(notices.at(0).at(0).toString(), QStringLiteral("停止命令 Q00S0000Y 已补发到 /dev/pts/3"));
    QVERIFY(!rig.panel.stopPending());
    QVERIFY(rig.panel.stopWarning().isEmpty());

    // A stop the open port refused, then a run that reached the pump: no
    // stop is left, and the next 通信 sends nothing.
    rig.ports.last()->refuseWrites = true;
    rig.panel.stop();
    QVERIFY(rig.panel.stopPending());
    rig.ports.last()->refuseWrites = false;
    rig.panel.run();
    QVERIFY(!rig.panel.stopPending());
    rig.dialogs.answer(QStringLiteral("/dev/pts/3"));
    rig.panel.Communication();
    QVERIFY(rig.ports.last()->writes.isEmpty());
}

// Running or stopped only while the pump is heard; the pressure reaching the
// pump's limit means it stopped itself.
void TestCommunication::pumpStateFollowsWhatReachedThePump()
{
    PanelRig rig;
    QString states;
    const auto note = [&] { states += QLatin1String("URS").at(int(rig.panel.pumpState())); };
    note();
    rig.dialogs.answer(QStringLiteral("/dev/pts/3"));
    rig.panel.Communication();
    rig.ports.last()->feed("Q01P01.5YQ01N01.0Y");
    note();
    rig.panel.run();
    note();
    rig.ports.last()->feed("Q01N01.5Y");  // at the limit
    note();
    rig.panel.Cmdr();
    note();
    for (int i = 0; i < 4; ++i)
        rig.panel.link().pollTick();
    note();
    rig.ports.last()->feed("Q01N01.0Y");
    note();
    rig.ports.last()->failLine(QStringLiteral("端口已断开"));
    note();
    QCOMPARE(states, QStringLiteral("UURSRURU"));
}

void TestCommunication::statusLineFollowsTheLink()
{
    PanelRig rig;
    rig.dialogs.answer(QStringLiteral("/dev/pts/3"));
    rig.panel.Communication();
    QCOMPARE(rig.panel.connectionText(), QStringLiteral("/dev/pts/3 9600,n,8,1"));
    for (int i = 0; i < 4; ++i) {
        rig.now += 1500;
        rig.panel.link().pollTick();
    }
    QVERIFY(rig.panel.connectionText().startsWith(QStringLiteral("通信中断 6 秒")));
    rig.ports.last()->feed("Q00N00.0Y");
    QCOMPARE(rig.panel.connectionText(), QStringLiteral("/dev/pts/3 9600,n,8,1"));
}

void TestCommunication::answersReachTheBoxes()
{
    PanelRig rig;
    rig.dialogs.answer(QStringLiteral("/dev/pts/3"));
    rig.panel.Communication();
    QSignalSpy applied(&rig.panel, &Panel::answerApplied);
    rig.ports.last()->feed("Q01N01.5YQ01P01.5YQ01L0150Y");
    QCOMPARE(applied.count(), 3);
    QCOMPARE(rig.panel.state().pnow, QStringLiteral("01.5"));
    QCOMPARE(rig.panel.state().prset, QStringLiteral("01.5"));
    QCOMPARE(rig.panel.state().lqset, QStringLiteral("0150"));
    QCOMPARE(rig.panel.state().itime, qint16(3));
}

QTEST_GUILESS_MAIN(TestCommunication)
#include "test_communication.moc"
