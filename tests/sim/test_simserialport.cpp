#include "fakes/fakeserialport.h"
#include "sim/serialline.h"
#include "sim/simserialport.h"

#include <QSignalSpy>
#include <QtTest>

using pumpsim::SimSerialPort;

// The simulated port on a clock the test steps by hand.
class TestSimSerialPort : public QObject {
    Q_OBJECT
private slots:
    void init() { m_now = 0; }
    void opensOnlyTheSimulatedDevice_data();
    void opensOnlyTheSimulatedDevice();
    void answerArrivesAfterTheWireTime();
    void framesWrittenTogetherQueueOnTheLine();
    void commandInPiecesIsStillAnswered();
    void pumpTimeFollowsTheClock();
    void closeDropsAnswersOnTheirWay();
    void writeToAClosedPortIsRefused();
    void deliversByItselfOnTheSteadyClock();
    void portMakerChoosesByDeviceName();

private:
    qint64 m_now = 0;
    platform::Clock clock()
    {
        return [this] { return m_now; };
    }
};

void TestSimSerialPort::opensOnlyTheSimulatedDevice_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("opens");
    QTest::newRow("sim") << "sim" << true;
    QTest::newRow("upper case, blanks") << " SIM " << true;
    QTest::newRow("COM1") << "COM1" << false;
    QTest::newRow("a path") << "/dev/pts/3" << false;
    QTest::newRow("empty") << "" << false;
}

void TestSimSerialPort::opensOnlyTheSimulatedDevice()
{
    QFETCH(QString, device);
    QFETCH(bool, opens);
    SimSerialPort port(clock());
    QCOMPARE(port.open(device), opens);
    QCOMPARE(port.isOpen(), opens);
    if (!opens)
        QVERIFY(port.errorString().contains(QStringLiteral("“sim”")));
}

void TestSimSerialPort::answerArrivesAfterTheWireTime()
{
    SimSerialPort port(clock());
    port.model().setNoise(0);
    QVERIFY(port.open("sim"));
    QSignalSpy received(&port, &platform::SerialPort::received);
    QVERIFY(port.write("Q00F0000Y"));

    // Nine characters out, nine back: 2 x 9.375 ms.
    m_now = 18;
    port.deliverDue();
    QCOMPARE(received.count(), 0);
    QVERIFY(port.readAll().isEmpty());
    m_now = 19;
    port.deliverDue();
    QCOMPARE(received.count(), 1);
    QCOMPARE(port.readAll(), QByteArray("Q00N00.0Y"));
    QVERIFY(port.readAll().isEmpty());
    port.deliverDue();
    QCOMPARE(received.count(), 1);
    QCOMPARE(port.answersDelivered(), qint64(1));
}

void TestSimSerialPort::framesWrittenTogetherQueueOnTheLine()
{
    SimSerialPort port(clock());
    QVERIFY(port.open("sim"));
    QSignalSpy received(&port, &platform::SerialPort::received);
    QVERIFY(port.write("Q03L0120Y"));
    QVERIFY(port.write("Q03P01.5Y"));

    // The second command follows the first on the line; each answer takes
    // its own nine characters on the way back.
    m_now = 19;
    port.deliverDue();
    QCOMPARE(port.readAll(), QByteArray("Q03L0120Y"));
    m_now = 28;
    port.deliverDue();
    QVERIFY(port.readAll().isEmpty());
    m_now = 29;
    port.deliverDue();
    QCOMPARE(port.readAll(), QByteArray("Q03P01.5Y"));
    QCOMPARE(received.count(), 2);
    QCOMPARE(port.model().flow(), 120.0);
    QCOMPARE(port.model().pressureLimit(), 1.5);
}

void TestSimSerialPort::commandInPiecesIsStillAnswered()
{
    SimSerialPort port(clock());
    port.model().setNoise(0);
    QVERIFY(port.open("sim"));
    QVERIFY(port.write("xxQ00"));
    QVERIFY(port.write("R0000Y"));
    QVERIFY(port.write("Q00N01.5Y"));  // not a command: no answer
    m_now = 1000;
    port.deliverDue();
    QCOMPARE(port.readAll(), QByteArray("Q00N00.0Y"));
    QVERIFY(port.model().isRunning());
}

void TestSimSerialPort::pumpTimeFollowsTheClock()
{
    SimSerialPort port(clock());
    port.model().setNoise(0);
    QVERIFY(port.open("sim"));
    port.write("Q00L0200Y");
    port.write("Q00R0000Y");
    m_now = 100;
    port.deliverDue();
    port.readAll();
    m_now = 30000;  // long after: settled at 1.0 MPa
    port.write("Q00F0000Y");
    m_now += 19;
    port.deliverDue();
    QCOMPARE(port.readAll(), QByteArray("Q00N01.0Y"));
}

void TestSimSerialPort::closeDropsAnswersOnTheirWay()
{
    SimSerialPort port(clock());
    QVERIFY(port.open("sim"));
    QSignalSpy received(&port, &platform::SerialPort::received);
    port.write("Q00F0000Y");
    port.close();
    QVERIFY(!port.isOpen());
    m_now = 100;
    port.deliverDue();
    QCOMPARE(received.count(), 0);
    QVERIFY(port.readAll().isEmpty());
}

void TestSimSerialPort::writeToAClosedPortIsRefused()
{
    SimSerialPort port(clock());
    QVERIFY(!port.write("Q00F0000Y"));
    QVERIFY(!port.errorString().isEmpty());
}

void TestSimSerialPort::deliversByItselfOnTheSteadyClock()
{
    const auto port = pumpsim::makeSimulatedPort();
    QVERIFY(port->open(QString::fromLatin1(pumpsim::kSimDeviceName)));
    QSignalSpy received(port.get(), &platform::SerialPort::received);
    QVERIFY(port->write("Q21F0000Y"));
    QVERIFY(received.wait(2000));
    const QByteArray answer = port->readAll();
    QCOMPARE(answer.size(), 9);
    QVERIFY(answer.startsWith("Q21N"));
}

void TestSimSerialPort::portMakerChoosesByDeviceName()
{
    QStringList realDevices;
    const platform::PortMaker maker = pumpsim::withSimulatedPump([&realDevices](const QString& device) {
        realDevices << device;
        return std::make_unique<FakeSerialPort>();
    });
    const auto sim = maker("sim");
    QVERIFY(dynamic_cast<SimSerialPort*>(sim.get()));
    QVERIFY(realDevices.isEmpty());
    const auto real = maker("/dev/ttyUSB0");
    QVERIFY(dynamic_cast<FakeSerialPort*>(real.get()));
    QCOMPARE(realDevices, QStringList{"/dev/ttyUSB0"});

    // The port prompt offers the simulated pump before the system's ports.
    const auto listed = pumpsim::withSimulatedPumpListed([] { return QList<platform::PortListing>{{"1", "ttyS0"}}; })();
    QCOMPARE(listed.size(), 2);
    QCOMPARE(listed[0].answer, QStringLiteral("sim"));
    QCOMPARE(listed[1].answer, QStringLiteral("1"));
    QCOMPARE(pumpsim::withSimulatedPumpListed(nullptr)().size(), 1);
}

QTEST_GUILESS_MAIN(TestSimSerialPort)
#include "test_simserialport.moc"
