// Port faults through the panel and the real serial port code: a port that
// another program holds, one that is not there, something that is not a
// serial device, no permission; and the pump vanishing mid-run, after which
// the operator opens a new line and nothing already read is lost.
#include "fakes/fakeservices.h"
#include "fakes/pty.h"
#include "link/frames.h"
#include "panel/panel.h"
#include "platform/qtserialport.h"
#include "sim/pumpsimprocess.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/fsuid.h>

namespace {

constexpr int kWaitMs = PumpSimProcess::kWaitMs;

platform::PortMaker realPorts()
{
    return [](const QString&) { return std::make_unique<platform::QtSerialPort>(); };
}

// The fakes' services, but with real serial ports and the real clock.
platform::Services onRealPorts(FakeServices& fakes)
{
    platform::Services services = fakes.services();
    services.makePort = realPorts();
    services.clock = platform::steadyClock();
    return services;
}

// The panel core on real serial ports, with scripted dialogs and an
// in-memory record file.
struct PanelOnRealPorts {
    FakeServices fakes;
    FakeDialogs& dialogs = fakes.dialogs;
    Panel panel{onRealPorts(fakes)};
    QSignalSpy applied{&panel, &Panel::answerApplied};

    PanelOnRealPorts() { panel.Form_Load(); }

    bool connect(const QString& device)
    {
        dialogs.answer(device);
        panel.Communication();
        return panel.link().isOpen();
    }
    bool menusEnabled() const
    {
        for (const QString& menu : Panel::commandMenus())
            if (!panel.menuEnabled(menu))
                return false;
        return true;
    }
};

// File-system checks as user nobody for as long as it lives (root passes every
// permission check otherwise).
class AsNobody {
public:
    AsNobody()
    {
        if (geteuid() == 0) {
            setfsuid(kNobody);
            m_ok = static_cast<uid_t>(setfsuid(static_cast<uid_t>(-1))) == kNobody;
        }
    }
    ~AsNobody()
    {
        if (m_ok)
            setfsuid(0);
    }
    bool ok() const { return m_ok; }

private:
    static constexpr uid_t kNobody = 65534;
    bool m_ok = false;
};

}  // namespace

class TestPortFaults : public QObject {
    Q_OBJECT
private slots:
    void openFailureSaysWhichPortAndWhy_data();
    void openFailureSaysWhichPortAndWhy();
    void busyPortStaysWithItsHolder();
    void vanishedPumpThenANewLineLosesNothing();
    void answersFlowWhileABoxIsOpen();
};

void TestPortFaults::openFailureSaysWhichPortAndWhy_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("held by another program") << "busy" << "端口被其他程序占用 (Permission error while locking";
    QTest::newRow("no such device") << "missing" << "端口不存在 (No such file or directory)";
    QTest::newRow("a plain file") << "file" << "不是串口设备 (Inappropriate ioctl for device)";
    QTest::newRow("a device that is no terminal") << "null" << "不是串口设备 (Inappropriate ioctl for device)";
    QTest::newRow("a folder") << "folder" << "不是串口设备 (Is a directory)";
    QTest::newRow("no permission") << "denied" << "无权访问端口 (Permission denied)";
}

void TestPortFaults::openFailureSaysWhichPortAndWhy()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    Pty pty;
    QVERIFY(!pty.path.isEmpty());
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    PumpLink holder(realPorts(), platform::steadyClock());
    std::optional<AsNobody> nobody;

    QString device;
    if (kind == QLatin1String("busy")) {
        QString error;
        QVERIFY2(holder.open(pty.path, &error), qPrintable(error));
        device = pty.path;
    } else if (kind == QLatin1String("missing")) {
        device = dir.filePath(QStringLiteral("ttyUSB9"));
    } else if (kind == QLatin1String("file")) {
        device = dir.filePath(QStringLiteral("plain"));
        QFile file(device);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (kind == QLatin1String("null")) {
        device = QStringLiteral("/dev/null");
    } else if (kind == QLatin1String("folder")) {
        device = dir.path();
    } else {
        if (geteuid() != 0)
            QSKIP("needs root to take the permissions of another user");
        nobody.emplace();
        if (!nobody->ok())
            QSKIP("could not take the permissions of another user");
        device = pty.path;
    }

    PanelOnRealPorts rig;
    QSignalSpy connection(&rig.panel, &Panel::connectionChanged);
    QVERIFY(!rig.connect(device));
    nobody.reset();

    // One message naming the port and the reason; the panel stays as it was.
    QCOMPARE(rig.dialogs.messages.size(), 1);
    const QString text = rig.dialogs.messages.at(0).text;
    QVERIFY2(text.startsWith(QStringLiteral("无法打开端口 %1：").arg(device)), qPrintable(text));
    QVERIFY2(text.contains(reason), qPrintable(text));
    QCOMPARE(rig.dialogs.messages.at(0).caption, QStringLiteral("通信"));
    QVERIFY(!rig.menusEnabled());
    QVERIFY(!rig.panel.link().Timer2().isActive());
    QCOMPARE(rig.panel.connectionText(), QStringLiteral("未连接"));
    QVERIFY(connection.count() >= 1);

    // A frame now is dropped with a notice, never a second box.
    QSignalSpy notices(&rig.panel, &Panel::notice);
    rig.panel.run();
    QCOMPARE(notices.count(), 1);
    QCOMPARE(rig.dialogs.messages.size(), 1);

    // Once the port is free, the same command opens it.
    if (kind == QLatin1String("busy") || kind == QLatin1String("denied")) {
        holder.close();
        QVERIFY(rig.connect(device));
        QVERIFY(rig.menusEnabled());
        QVERIFY(pty.write("Q01N01.5Y"));
        QTRY_COMPARE_WITH_TIMEOUT(rig.applied.count(), 1, kWaitMs);
        QCOMPARE(rig.panel.state().pnow, QStringLiteral("01.5"));
    }
}

void TestPortFaults::busyPortStaysWithItsHolder()
{
    Pty pty;
    PanelOnRealPorts first;
    QVERIFY(first.connect(pty.path));
    PanelOnRealPorts second;
    QVERIFY(!second.connect(pty.path));

    // The panel that holds the port goes on as if nothing happened.
    first.panel.stop();
    QByteArray got;
    QTRY_VERIFY_WITH_TIMEOUT((got += pty.read()).contains(frames::kStop.toLatin1()), kWaitMs);
    QVERIFY(pty.write("Q01N00.8Y"));
    QTRY_COMPARE_WITH_TIMEOUT(first.applied.count(), 1, kWaitMs);
    QCOMPARE(first.panel.state().pnow, QStringLiteral("00.8"));
    QCOMPARE(second.applied.count(), 0);
    QVERIFY(first.dialogs.messages.isEmpty());
}

void TestPortFaults::vanishedPumpThenANewLineLosesNothing()
{
    PanelOnRealPorts rig;
    QSignalSpy lost(&rig.panel.link(), &PumpLink::portLost);
    QSignalSpy notices(&rig.panel, &Panel::notice);

    PumpSimProcess first;
    const QString firstPath = first.start({QStringLiteral("--exit-after=3"), QStringLiteral("--split=0.5")});
    QVERIFY(!firstPath.isEmpty());
    QVERIFY(rig.connect(firstPath));
    rig.panel.send(frames::pressureDialogFrame(1.5));
    rig.panel.link().pollTick();
    rig.panel.link().pollTick();
    QTRY_VERIFY_WITH_TIMEOUT(first.ended(), kWaitMs);
    QCOMPARE(first.finish(), qint64(3));
    QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, kWaitMs);
    QCOMPARE(rig.applied.count(), 3);

    // Told once, with the port's name; the status line says it too.
    QCOMPARE(rig.dialogs.messages.size(), 1);
    QVERIFY(rig.dialogs.messages.at(0).text.startsWith(QStringLiteral("端口 %1 已断开").arg(firstPath)));
    QVERIFY(rig.dialogs.messages.at(0).text.contains(QStringLiteral("通信")));
    QCOMPARE(rig.panel.connectionText(), QStringLiteral("未连接"));
    QVERIFY(notices.count() >= 1);
    QCOMPARE(rig.panel.state().prset, QStringLiteral("01.5"));

    // Polling goes on into the closed line without harm or more messages.
    rig.panel.link().pollTick();
    QTest::qWait(50);
    QCOMPARE(lost.count(), 1);
    QCOMPARE(rig.dialogs.messages.size(), 1);

    // A new line: the record keeps what came before and goes on.
    PumpSimProcess second;
    const QString secondPath = second.start({QStringLiteral("--garbage")});
    QVERIFY(rig.connect(secondPath));
    for (int i = 0; i < 3; ++i)
        rig.panel.link().pollTick();
    QTRY_COMPARE_WITH_TIMEOUT(rig.applied.count(), 6, kWaitMs);
    QCOMPARE(rig.panel.saveBuffer().saveprcout(), 6);
    QCOMPARE(int(rig.panel.state().itime), 6);
    rig.panel.save();
    QCOMPARE(rig.fakes.store.content.count(' '), 12);  // six fields of two spaces each
    QCOMPARE(rig.dialogs.messages.last().text, Recorder::savedText());
    QCOMPARE(second.finish(), qint64(3));
}

// While a modal box is open, answers go on and the pump may vanish; nothing from the port opens one.
void TestPortFaults::answersFlowWhileABoxIsOpen()
{
    Pty pty;
    PanelOnRealPorts rig;
    QVERIFY(rig.connect(pty.path));
    QSignalSpy lost(&rig.panel.link(), &PumpLink::portLost);
    rig.fakes.logFiles.appendsBeforeFailure = 1;  // the header only
    rig.panel.csvlog(true);
    int handledInBox = 0, lostInBox = 0;
    rig.dialogs.whileModal = [&] {
        pty.write("Q01N01.6YQ01N01.7Y");
        (void)QTest::qWaitFor([&] { return rig.applied.count() >= 3; }, kWaitMs);
        handledInBox = rig.applied.count();
        pty.vanish();
        (void)QTest::qWaitFor([&] { return lost.count() >= 1; }, kWaitMs);
        lostInBox = lost.count();
    };
    QVERIFY(pty.write("Q01N01.5Y"));  // the log cannot take it
    QTRY_VERIFY_WITH_TIMEOUT(!rig.panel.csvLog().isOn(), kWaitMs);
    rig.panel.save();  // the operator's own box
    QCOMPARE(handledInBox, 3);
    QCOMPARE(lostInBox, 1);
    QCOMPARE(rig.panel.state().pnow, QStringLiteral("01.7"));
    // The log's failure, the save confirmation, the port lost meanwhile.
    const auto& shown = rig.dialogs.messages;
    QVERIFY(shown.size() == 3 && !shown[0].modal && shown[1].modal && shown[2].caption == "通信" && !shown[2].modal);
}

QTEST_GUILESS_MAIN(TestPortFaults)
#include "test_portfaults.moc"
