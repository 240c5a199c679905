// The real serial port on pseudo-terminals: frames out, answers in, and the
// far end going away.
#include "link/pumplink.h"
#include "platform/qtserialport.h"

#include "fakes/pty.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

platform::PortMaker realPorts()
{
    return [](const QString&) { return std::make_unique<platform::QtSerialPort>(); };
}

}  // namespace

class TestSerialPty : public QObject {
    Q_OBJECT
private slots:
    void frameReachesTheFarEnd();
    void answersInPiecesAreHandled();
    void farEndGoneClosesThePortOnce();
    void missingDeviceSaysSo();
};

void TestSerialPty::frameReachesTheFarEnd()
{
    Pty pty;
    QVERIFY(!pty.path.isEmpty());
    PumpLink link(realPorts(), platform::steadyClock());
    QString error;
    QVERIFY2(link.open(pty.path, &error), qPrintable(error));
    link.send(QStringLiteral("Q03L0120Y"));
    QByteArray got;
    QTRY_VERIFY_WITH_TIMEOUT((got += pty.read()).size() >= 9, 5000);
    QCOMPARE(got, QByteArray("Q03L0120Y"));
}

void TestSerialPty::answersInPiecesAreHandled()
{
    Pty pty;
    PumpLink link(realPorts(), platform::steadyClock());
    QVERIFY(link.open(pty.path, nullptr));
    QSignalSpy answers(&link, &PumpLink::answerReceived);
    QVERIFY(pty.write("Q01N0"));
    QTest::qWait(30);
    QVERIFY(pty.write("1.5Y"));
    QVERIFY(pty.write("Q01P02.0YQ01L0"));
    QTest::qWait(30);
    QVERIFY(pty.write("150Y"));
    QTRY_COMPARE_WITH_TIMEOUT(answers.count(), 3, 5000);
    QCOMPARE(answers.at(0).at(0).toByteArray(), QByteArray("Q01N01.5Y"));
    QCOMPARE(answers.at(2).at(0).toByteArray(), QByteArray("Q01L0150Y"));
}

void TestSerialPty::farEndGoneClosesThePortOnce()
{
    auto pty = std::make_unique<Pty>();
    PumpLink link(realPorts(), platform::steadyClock());
    QVERIFY(link.open(pty->path, nullptr));
    QSignalSpy lost(&link, &PumpLink::portLost);
    QVERIFY(pty->write("Q01N01.5Y"));
    // The pump vanishes: its end of the line closes.
    pty->vanish();
    QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 5000);
    QVERIFY(!link.isOpen());
    // No stream of errors follows, and polls go nowhere, quietly.
    QTest::qWait(200);
    QCOMPARE(lost.count(), 1);
    QSignalSpy dropped(&link, &PumpLink::frameDropped);
    link.pollTick();
    QCOMPARE(dropped.count(), 0);
}

void TestSerialPty::missingDeviceSaysSo()
{
    PumpLink link(realPorts(), platform::steadyClock());
    QString error;
    QVERIFY(!link.open(QStringLiteral("/dev/pump-panel-no-such-device"), &error));
    QVERIFY(error.contains(QStringLiteral("端口不存在")));
    QVERIFY(!link.isOpen());
}

QTEST_GUILESS_MAIN(TestSerialPty)
#include "test_serial_pty.moc"
