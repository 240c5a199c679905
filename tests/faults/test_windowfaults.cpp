// The whole main window under line faults: a pump that falls silent while
// the operator keeps working, a storm of noise and broken-off frames, a
// flood at line rate from pump-sim through the real serial port code, and a
// pressure alarm that stops the pump on a pseudo-terminal.
#include "fakes/fakeservices.h"
#include "fakes/pty.h"
#include "history/historysource.h"
#include "history/journal.h"
#include "panel/alarmviews.h"
#include "link/frames.h"
#include "panel/mainwindow.h"
#include "record/chartwidget.h"
#include "platform/qtserialport.h"
#include "sim/pumpsimprocess.h"

#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <random>

namespace {

constexpr int kWaitMs = PumpSimProcess::kWaitMs;

// The fakes' services, but with real serial ports and the real clock.
platform::Services onRealPorts(FakeServices& fakes)
{
    platform::Services services = fakes.services();
    services.makePort = [](const QString&) { return std::make_unique<platform::QtSerialPort>(); };
    services.clock = platform::steadyClock();
    return services;
}

// Form1 on scripted dialogs; real serial ports unless told otherwise.
struct WindowRig {
    FakeServices fakes;
    FakeDialogs& dialogs = fakes.dialogs;
    Form1 window;
    QSignalSpy applied{&window.panel(), &Panel::answerApplied};

    explicit WindowRig(bool realSerialPorts)
        : window(realSerialPorts ? onRealPorts(fakes) : fakes.services())
    {
        window.show();
    }
    bool connect(const QString& device)
    {
        dialogs.answer(device);
        window.action(QStringLiteral("Communication"))->trigger();
        return window.panel().link().isOpen();
    }
    void click(const char* face) { QTest::mouseClick(window.key(QString::fromUtf8(face)), Qt::LeftButton); }
};

}  // namespace

class TestWindowFaults : public QObject {
    Q_OBJECT
private slots:
    void silentPumpLeavesTheWindowWorking();
    void stormOfNoiseAndBrokenFrames();
    void floodThroughTheRealPort();
    void pressureAlarmStopsThePump();
};

// pump-sim answers twice and then falls silent; with --verbose it still
// logs every command that reaches it.
void TestWindowFaults::silentPumpLeavesTheWindowWorking()
{
    PumpSimProcess sim;
    const QString path = sim.start({QStringLiteral("--silent-after=2"), QStringLiteral("--verbose")});
    QVERIFY(!path.isEmpty());
    WindowRig rig(true);
    QVERIFY(rig.connect(path));
    PumpLink& link = rig.window.panel().link();
    QByteArray log;
    const auto pumpHeard = [&](const QString& frame) {
        return int((log += sim.process().readAllStandardError()).count("<- " + frame.toLatin1()));
    };

    rig.window.panel().send(frames::pressureDialogFrame(1.5));
    link.pollTick();
    QTRY_COMPARE_WITH_TIMEOUT(rig.applied.count(), 2, kWaitMs);
    QCOMPARE(rig.window.prset()->text(), QStringLiteral("01.5"));
    const QColor liveText = rig.window.pnow()->palette().color(QPalette::Text);

    // Silence: the polls go on and reach the pump, and the window says the
    // link is lost and greys the last values.
    const int polled = pumpHeard(frames::kStatus);
    for (int i = 0; i <= PumpLink::kPollsBeforeLost; ++i)
        link.pollTick();
    // (Timer2 itself may add a poll meanwhile.)
    const auto allPollsHeard = [&] { return pumpHeard(frames::kStatus) - polled >= PumpLink::kPollsBeforeLost + 1; };
    QTRY_VERIFY_WITH_TIMEOUT(allPollsHeard(), kWaitMs);
    QVERIFY(link.linkLost());
    QVERIFY(link.isOpen());
    QVERIFY(link.Timer2().isActive());
    QVERIFY(rig.window.connectionLabel()->text().startsWith(QStringLiteral("通信中断")));
    QVERIFY(rig.window.pnow()->palette().color(QPalette::Text) != liveText);
    // The boxes say the link is lost; the panel keeps the last values.
    for (QLineEdit* box : {rig.window.pnow(), rig.window.prset(), rig.window.lqset()})
        QCOMPARE(box->text(), QStringLiteral("中断"));
    QCOMPARE(rig.window.panel().state().prset, QStringLiteral("01.5"));
    QVERIFY(rig.dialogs.messages.isEmpty());  // no box in the operator's way

    // The window still takes clicks and its commands still reach the pump.
    rig.click("RUN");
    QTRY_COMPARE_WITH_TIMEOUT(pumpHeard(frames::kRun), 1, kWaitMs);
    for (const char* face : {"L", "1", "2"})
        rig.click(face);
    QCOMPARE(rig.window.lqset()->text(), QStringLiteral("12"));  // typing shows its digits
    rig.click("0");
    QCOMPARE(rig.window.panel().state().lqset, QStringLiteral("120"));
    QTRY_COMPARE_WITH_TIMEOUT(pumpHeard(QStringLiteral("Q00L0120Y")), 1, kWaitMs);
    rig.window.action(QStringLiteral("stop"))->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(pumpHeard(frames::kStop), 1, kWaitMs);
    bool delivered = false;
    QTimer::singleShot(0, &rig.window, [&] { delivered = true; });
    QTRY_VERIFY_WITH_TIMEOUT(delivered, kWaitMs);
    QVERIFY(link.linkLost());
    QCOMPARE(rig.applied.count(), 2);
    QCOMPARE(sim.finish(), qint64(2));
}

// Tens of thousands of answers with noise, broken-off frames and every
// cutting into reads, through the whole window on a fake port: each answer is
// handled, nothing else is.
void TestWindowFaults::stormOfNoiseAndBrokenFrames()
{
    constexpr int kAnswers = 20000;
    WindowRig rig(false);
    QVERIFY(rig.connect(QStringLiteral("COM3")));
    FakeSerialPort* port = rig.fakes.port;

    std::mt19937 random(77);
    QByteArray line;
    QString lastPnow;
    QString lastPrset = rig.window.prset()->text();
    for (int k = 0; k < kAnswers; ++k) {
        switch (random() % 8) {
        case 0:
            for (int n = int(random() % 12); n > 0; --n) {
                char c;
                do {
                    c = char(random() % 256);
                } while (c == 'Q');
                line += c;
            }
            break;
        case 1:
            line += QByteArray("Q01N01.5", 1 + int(random() % 8));  // broken off
            break;
        default:
            break;
        }
        if (random() % 4 == 0) {
            lastPrset = QString::asprintf("%02d.%d", int(random() % 3), int(random() % 10));
            line += "Q01P" + lastPrset.left(2).toLatin1() + "0" + lastPrset.right(1).toLatin1() + "Y";
        } else {
            lastPnow = QString::asprintf("%04.1f", int(random() % 200) / 10.0);
            line += "Q01N" + lastPnow.toLatin1() + "Y";
        }
    }

    for (qsizetype at = 0; at < line.size();) {
        const qsizetype n = qMin<qsizetype>(1 + random() % 40, line.size() - at);
        port->feed(line.mid(at, n));
        at += n;
        if (random() % 64 == 0)
            QCoreApplication::processEvents();  // let the window repaint now and then
    }
    QCOMPARE(rig.applied.count(), kAnswers);
    QCOMPARE(rig.window.panel().link().answersReceived(), quint64(kAnswers));
    QCOMPARE(rig.window.pnow()->text(), lastPnow);
    QCOMPARE(rig.window.prset()->text(), lastPrset);
    QCOMPARE(int(rig.window.panel().state().itime), kAnswers % 100);
    QVERIFY(rig.window.panel().link().framer().tail().isEmpty());
    QVERIFY(rig.dialogs.messages.isEmpty());
    QVERIFY(!rig.window.Picture1()->grab().isNull());
}

// pump-sim floods the line at its full rate with split, merged and garbled
// answers on top of the polls; the window handles every answer sent, and
// when pump-sim ends the port is closed and reported once.
void TestWindowFaults::floodThroughTheRealPort()
{
    PumpSimProcess sim;
    const QString path = sim.start({QStringLiteral("--flood=100"), QStringLiteral("--split=0.5"),
                                    QStringLiteral("--merge=0.3"), QStringLiteral("--garbage=0.8"),
                                    QStringLiteral("--seed=11")});
    QVERIFY(!path.isEmpty());
    WindowRig rig(true);
    QVERIFY(rig.connect(path));
    rig.window.panel().link().pollTick();  // the first command starts the flood
    rig.click("RUN");
    QTRY_VERIFY_WITH_TIMEOUT(rig.applied.count() >= 150, 4 * kWaitMs);

    QSignalSpy lost(&rig.window.panel().link(), &PumpLink::portLost);
    sim.terminate();
    QTRY_VERIFY_WITH_TIMEOUT(sim.ended(), kWaitMs);
    const qint64 sent = sim.finish();
    QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, kWaitMs);
    QCOMPARE(qint64(rig.applied.count()), sent);
    QCOMPARE(qint64(rig.window.panel().link().answersReceived()), sent);
    QCOMPARE(int(rig.window.panel().state().itime), int(sent % 100));
    QCOMPARE(rig.window.pnow()->text().size(), 4);
    QCOMPARE(rig.dialogs.messages.size(), 1);
    QCOMPARE(rig.window.connectionLabel()->text(), QStringLiteral("未连接"));
}

// A high-pressure alarm with a 2 s delay and the stop action, through the
// real window, serial port and journal: the stop frame is on the line with
// the first answer after the delay; the band shows, flashes and sounds,
// acknowledging quiets it, and every step is in the journal.
void TestWindowFaults::pressureAlarmStopsThePump()
{
    Pty pty;
    QVERIFY(!pty.path.isEmpty());
    QTemporaryDir dir;
    history::Journal journal(dir.filePath(QStringLiteral("history.sqlite3")), QStringLiteral("2.0"));
    FakeServices fakes;
    fakes.settings.values = {{"alarms/high_pressure_mpa", "1.5"}, {"alarms/high_pressure_delay_s", "2"}};
    platform::Services services = fakes.services();
    services.makePort = [](const QString&) { return std::make_unique<platform::QtSerialPort>(); };
    Form1 window(services);
    window.setJournal(&journal);
    window.show();
    const QSize quiet = window.size();
    AlarmBand* band = window.alarmBand();
    QVERIFY(band->isHidden());
    QSignalSpy applied(&window.panel(), &Panel::answerApplied);
    fakes.dialogs.answer(pty.path);
    window.action(QStringLiteral("Communication"))->trigger();
    QVERIFY(window.panel().link().isOpen());
    QByteArray line;
    const auto heard = [&] { return (line += pty.read()).count(frames::kStop.toLatin1()); };

    for (int second = 0; second < 2; ++second) {
        QVERIFY(pty.write("Q01N01.6Y"));
        QTRY_COMPARE_WITH_TIMEOUT(applied.count(), second + 1, kWaitMs);
        QCOMPARE(heard(), 0);
        fakes.now += 1000;
    }
    QVERIFY(pty.write("Q01N01.7Y"));
    QTRY_COMPARE_WITH_TIMEOUT(heard(), 1, kWaitMs);
    QCOMPARE(applied.count(), 3);

    QVERIFY(band->isVisible());
    QCOMPARE(band->accessibleName(), QStringLiteral("报警"));
    QVERIFY2(band->textLabel()->text().startsWith(QStringLiteral("压力过高 1.70 MPa（阈值 1.50 MPa）")),
             qPrintable(band->textLabel()->text()));
    QVERIFY(band->textLabel()->text().contains(QStringLiteral("活动报警 1 项")));
    // In the status line, clear of the boxes and the keypad.
    QVERIFY(!band->geometry().translated(window.statusBar()->pos()).intersects(window.surface()->geometry()));
    QVERIFY(band->flashTimer().isActive());
    const bool lit = band->lit();
    band->flashTick();
    QCOMPARE(band->lit(), !lit);
    QVERIFY(fakes.alarmSound.on);
    QCOMPARE(fakes.attention.calls.size(), 1);

    QTest::mouseClick(band->acknowledgeButton(), Qt::LeftButton);
    QVERIFY(!band->flashTimer().isActive());
    QVERIFY(!fakes.alarmSound.on);
    QVERIFY(band->isVisible());  // still active
    QVERIFY(pty.write("Q01N01.0Y"));
    QTRY_VERIFY_WITH_TIMEOUT(band->isHidden(), kWaitMs);
    QCOMPARE(window.size(), quiet);

    QVERIFY(journal.flush());
    const auto source = history::openJournal(journal.path(), nullptr);
    QVERIFY(source);
    QStringList alarmEvents;
    for (const history::Event& e : source->events(journal.sessionId(), 0, std::numeric_limits<qint64>::max())) {
        if (e.kind.startsWith(QLatin1String("alarm")) || e.source == QLatin1String("alarm"))
            alarmEvents << e.kind + QLatin1Char('|') + e.detail + QLatin1Char('|') + e.source;
    }
    QCOMPARE(alarmEvents, (QStringList{"alarm_raised|high_pressure 1.70 MPa, threshold 1.50 MPa|",
                                       "command|Q00S0000Y|alarm", "alarm_stop|high_pressure Q00S0000Y|alarm",
                                       "alarm_acknowledged|high_pressure|keypad", "alarm_cleared|high_pressure|"}));
}

QTEST_MAIN(TestWindowFaults)
#include "test_windowfaults.moc"
