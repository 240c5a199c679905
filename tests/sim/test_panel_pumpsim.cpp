#include "fakes/fakeservices.h"
#include "fakes/pty.h"
#include "link/frames.h"
#include "panel/panel.h"
#include "platform/qtserialport.h"
#include "pumpsimprocess.h"
#include "sim/simserialport.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The whole receive path end to end: pump-sim on a pseudo-terminal, the panel
// core opening it through the real QSerialPort implementation, exactly as the
// program does after the operator types the terminal's path at the prompt.
namespace {

constexpr int kWaitMs = PumpSimProcess::kWaitMs;

struct PanelOnPty {
    FakeServices fakes;
    FakeDialogs& dialogs = fakes.dialogs;
    Panel panel{platform::Services{dialogs,
                                   pumpsim::withSimulatedPump([](const QString&) -> std::unique_ptr<platform::SerialPort> {
                                       return std::make_unique<platform::QtSerialPort>();
                                   }),
                                   platform::steadyClock(), fakes.store, fakes.printer, fakes.logFiles,
                                   [this] { return fakes.localNow; }}};
    QSignalSpy applied{&panel, &Panel::answerApplied};
    QSignalSpy lost{&panel.link(), &PumpLink::portLost};

    PanelOnPty() { panel.Form_Load(); }

    bool connect(const QString& device)
    {
        dialogs.answer(device);
        panel.Communication();
        return panel.link().isOpen();
    }
};

}  // namespace

class TestPanelPumpSim : public QObject {
    Q_OBJECT
private slots:
    void everyAnswerSentIsHandled_data();
    void everyAnswerSentIsHandled();
    void pollsEvery1500ms();
    void farEndVanishing();
    void silentPumpIsNoticed();
    void simulatedPumpInProcess();
    void keptStopWaitsForItsOwnPump();
};

void TestPanelPumpSim::everyAnswerSentIsHandled_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::newRow("clean line") << QStringList{};
    QTest::newRow("some split, merged, after garbage")
        << QStringList{"--split=0.5", "--merge=0.5", "--garbage=0.7", "--seed=5"};
    QTest::newRow("all split, merged, after garbage") << QStringList{"--split", "--merge", "--garbage", "--seed=9"};
}

void TestPanelPumpSim::everyAnswerSentIsHandled()
{
    QFETCH(QStringList, faults);
    PumpSimProcess sim;
    const QString path = sim.start(faults);
    QVERIFY(!path.isEmpty());
    PanelOnPty rig;
    QVERIFY2(rig.connect(path), qPrintable(rig.dialogs.messages.value(0).text));
    for (const QString& menu : Panel::commandMenus())
        QVERIFY(rig.panel.menuEnabled(menu));

    // Polls are sent by calling the tick, not by waiting for the timer.
    int commands = 0;
    const auto command = [&](auto&& send) {
        send();
        ++commands;
    };
    command([&] { rig.panel.send(frames::pressureDialogFrame(1.5)); });
    command([&] { rig.panel.run(); });
    for (int i = 0; i < 12; ++i)
        command([&] { rig.panel.link().pollTick(); });
    command([&] { rig.panel.send(frames::flowDialogFrame(150)); });
    command([&] { rig.panel.stop(); });

    // pump-sim may hold an answer back for up to 2 s to merge it, and the
    // poll timer may add a poll of its own meanwhile.
    QTRY_VERIFY_WITH_TIMEOUT(rig.applied.count() >= commands, kWaitMs);
    QCOMPARE(rig.panel.state().prset, QStringLiteral("01.5"));
    QCOMPARE(rig.panel.state().lqset, QStringLiteral("0150"));
    QCOMPARE(rig.panel.state().pnow.size(), 4);

    // End pump-sim while the event loop runs, so the panel reads whatever
    // it sent last (the poll timer may have added a poll of its own).
    sim.terminate();
    QTRY_VERIFY_WITH_TIMEOUT(sim.ended(), kWaitMs);
    const qint64 sent = sim.finish();
    QVERIFY(sent >= commands);
    QCOMPARE(qint64(rig.applied.count()), sent);
    QCOMPARE(qint64(rig.panel.link().answersReceived()), sent);
}

void TestPanelPumpSim::pollsEvery1500ms()
{
    PumpSimProcess sim;
    const QString path = sim.start({});
    PanelOnPty rig;
    const QTimer& timer2 = rig.panel.link().Timer2();
    QCOMPARE(timer2.interval(), 1500);
    QVERIFY(!timer2.isActive());
    QVERIFY(rig.connect(path));
    QVERIFY(timer2.isActive());
    QVERIFY(!timer2.isSingleShot());
    QVERIFY(timer2.remainingTime() > 0 && timer2.remainingTime() <= 1500);
    QCOMPARE(rig.applied.count(), 0);

    // One real interval: the timer's own poll reaches pump-sim and its answer
    // comes back through the real port.
    QSignalSpy ticks(&timer2, &QTimer::timeout);
    QVERIFY(ticks.wait(3000));
    QTRY_COMPARE_WITH_TIMEOUT(rig.applied.count(), 1, kWaitMs);
    QCOMPARE(ticks.count(), 1);
}

void TestPanelPumpSim::farEndVanishing()
{
    PumpSimProcess sim;
    const QString path = sim.start({"--exit-after=3", "--split=0.5", "--garbage=0.5"});
    PanelOnPty rig;
    QVERIFY(rig.connect(path));
    for (int i = 0; i < 3; ++i)
        rig.panel.link().pollTick();

    QTRY_VERIFY_WITH_TIMEOUT(sim.ended(), kWaitMs);
    QCOMPARE(sim.finish(), qint64(3));
    QTRY_COMPARE_WITH_TIMEOUT(rig.lost.count(), 1, kWaitMs);
    QCOMPARE(rig.applied.count(), 3);
    QVERIFY(!rig.panel.link().isOpen());
    QCOMPARE(rig.dialogs.messages.size(), 1);  // told once, not once per read error
    QCOMPARE(rig.panel.connectionText(), QStringLiteral("未连接"));

    // The poll goes on into the closed link without harm, and quietly.
    QSignalSpy dropped(&rig.panel.link(), &PumpLink::frameDropped);
    rig.panel.link().pollTick();
    QCOMPARE(dropped.count(), 0);
    QTest::qWait(100);
    QCOMPARE(rig.lost.count(), 1);
}

void TestPanelPumpSim::silentPumpIsNoticed()
{
    PumpSimProcess sim;
    const QString path = sim.start({"--silent-after=2"});
    PanelOnPty rig;
    QVERIFY(rig.connect(path));
    rig.panel.link().pollTick();
    rig.panel.link().pollTick();
    QTRY_COMPARE_WITH_TIMEOUT(rig.applied.count(), 2, kWaitMs);
    QVERIFY(!rig.panel.link().linkLost());

    for (int i = 0; i <= PumpLink::kPollsBeforeLost; ++i)
        rig.panel.link().pollTick();
    QVERIFY(rig.panel.link().linkLost());
    QVERIFY(rig.panel.link().isOpen());
    QVERIFY(rig.panel.connectionText().startsWith(QStringLiteral("通信中断")));
    QCOMPARE(sim.finish(), qint64(2));
}

void TestPanelPumpSim::simulatedPumpInProcess()
{
    PanelOnPty rig;
    rig.panel.setPortDefaultAnswer(QString::fromLatin1(pumpsim::kSimDeviceName));
    rig.dialogs.answer(QStringLiteral("sim"));
    rig.panel.Communication();
    QVERIFY(rig.panel.link().isOpen());
    QCOMPARE(rig.dialogs.inputs.value(0).defaultAnswer, QStringLiteral("sim"));

    rig.panel.send(frames::flowDialogFrame(200));
    rig.panel.link().pollTick();
    QTRY_COMPARE_WITH_TIMEOUT(rig.applied.count(), 2, kWaitMs);
    QCOMPARE(rig.panel.state().lqset, QStringLiteral("0200"));
    QCOMPARE(rig.panel.state().pnow, QStringLiteral("00.0"));
}

// Two pumps on pseudo-terminals, each reached through a name of its own, as
// two adapters would be. The stop that could not reach pump A goes to A when
// it is back, and never to B.
void TestPanelPumpSim::keptStopWaitsForItsOwnPump()
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("pumpA"));
    const QString b = dir.filePath(QStringLiteral("pumpB"));
    auto pumpA = std::make_unique<Pty>();
    Pty pumpB;
    QVERIFY(QFile::link(pumpA->path, a) && QFile::link(pumpB.path, b));
    PanelOnPty rig;
    QVERIFY(rig.connect(a));
    rig.panel.run();
    QByteArray atA;
    QTRY_VERIFY_WITH_TIMEOUT((atA += pumpA->read()).contains("Q00R0000Y"), kWaitMs);

    pumpA->vanish();
    QTRY_COMPARE_WITH_TIMEOUT(rig.lost.count(), 1, kWaitMs);
    rig.panel.stop();
    QVERIFY(rig.panel.stopPending());

    QVERIFY(rig.connect(b));
    rig.panel.link().pollTick();
    QByteArray atB;
    QTRY_VERIFY_WITH_TIMEOUT((atB += pumpB.read()).contains("Q00F0000Y"), kWaitMs);
    QCOMPARE(atB.replace("Q00F0000Y", ""), QByteArray());  // the polls only
    QCOMPARE(rig.panel.stopWarning(), QStringLiteral("泵（端口 %1）可能仍在运行：停止命令没有送到。").arg(a));

    // A is back under its name: the stop goes to it first.
    pumpA = std::make_unique<Pty>();
    QVERIFY(QFile::remove(a) && QFile::link(pumpA->path, a));
    QVERIFY(rig.connect(a));
    atA.clear();
    QTRY_VERIFY_WITH_TIMEOUT((atA += pumpA->read()).size() >= 9, kWaitMs);
    QVERIFY(atA.startsWith("Q00S0000Y"));
    QVERIFY(!rig.panel.stopPending());
    QVERIFY(!pumpB.read().contains("Q00S0000Y"));
}

QTEST_GUILESS_MAIN(TestPanelPumpSim)
#include "test_panel_pumpsim.moc"
