#include "pumpsimprocess.h"
#include "sim/commandframer.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// pump-sim as a separate program on a pseudo-terminal, reached through a
// plain QSerialPort as the panel would.
namespace {

constexpr int kWaitMs = PumpSimProcess::kWaitMs;
using PumpSim = PumpSimProcess;

// A QSerialPort on the terminal that collects everything it receives and
// closes itself on the first error (a vanished far end makes QSerialPort
// repeat its read error endlessly otherwise).
class Line : public QObject {
public:
    bool open(const QString& path)
    {
        m_port.setPortName(path);
        if (!m_port.open(QIODevice::ReadWrite))
            return false;
        const bool configured = m_port.setBaudRate(QSerialPort::Baud9600) && m_port.setDataBits(QSerialPort::Data8)
                                && m_port.setParity(QSerialPort::NoParity)
                                && m_port.setStopBits(QSerialPort::OneStop)
                                && m_port.setFlowControl(QSerialPort::NoFlowControl);
        connect(&m_port, &QSerialPort::readyRead, this, [this] { received += m_port.readAll(); });
        connect(&m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
            if (e == QSerialPort::NoError)
                return;
            ++errors;
            m_port.close();
        });
        return configured;
    }
    void write(const QByteArray& bytes) { m_port.write(bytes); }
    QByteArrayList frames()
    {
        pumpsim::CommandFramer reader;  // resynchronises on "Q" like the panel
        return reader.push(received);
    }
    bool isOpen() const { return m_port.isOpen(); }

    QByteArray received;
    int errors = 0;

private:
    QSerialPort m_port;
};

}  // namespace

class TestPumpSimPty : public QObject {
    Q_OBJECT
private slots:
    void answersAStatusQuery();
    void countsWhatItSentWithFaults();
    void exitAfterClosesTheLine();
    void floodsUnasked();
    void linkPointsAtTheTerminal();
    void helpAndBadOptions();
};

void TestPumpSimPty::answersAStatusQuery()
{
    PumpSim sim;
    const QString path = sim.start({});
    QVERIFY(path.startsWith(QLatin1String("/dev/pts/")));
    Line line;
    QVERIFY(line.open(path));
    line.write("Q00F0000Y");
    QTRY_COMPARE_WITH_TIMEOUT(line.received.size(), 9, kWaitMs);
    QVERIFY(line.received.startsWith("Q00N"));
    QVERIFY(line.received.endsWith("Y"));
    QCOMPARE(sim.finish(), qint64(1));
}

void TestPumpSimPty::countsWhatItSentWithFaults()
{
    PumpSim sim;
    const QString path = sim.start({"--split=0.5", "--merge=0.5", "--garbage=0.5", "--seed=3"});
    Line line;
    QVERIFY(line.open(path));
    const QByteArrayList commands{"Q00L0300Y", "Q00R0000Y", "Q00F0000Y", "Q05P01.5Y", "Q00F0000Y",
                                  "Q00S0000Y", "Q00F0000Y", "Q00F0000Y", "Q00F0000Y", "Q00F0000Y"};
    for (const QByteArray& c : commands)
        line.write(c);
    // A held answer waits up to 2 s for a partner.
    QTRY_COMPARE_WITH_TIMEOUT(line.frames().size(), commands.size(), kWaitMs);
    const QByteArrayList answers = line.frames();
    QCOMPARE(answers.first(), QByteArray("Q00L0300Y"));
    QCOMPARE(answers.at(3), QByteArray("Q05P01.5Y"));
    QCOMPARE(line.errors, 0);
    QCOMPARE(sim.finish(), qint64(commands.size()));
}

void TestPumpSimPty::exitAfterClosesTheLine()
{
    PumpSim sim;
    const QString path = sim.start({"--exit-after=2"});
    Line line;
    QVERIFY(line.open(path));
    line.write("Q00F0000Y");
    line.write("Q00F0000Y");
    QTRY_VERIFY_WITH_TIMEOUT(sim.process().state() == QProcess::NotRunning, kWaitMs);
    QCOMPARE(sim.finish(), qint64(2));
    QTRY_COMPARE_WITH_TIMEOUT(line.frames().size(), 2, kWaitMs);
    // The far end is gone: the port reports an error (and closed itself).
    QTRY_VERIFY_WITH_TIMEOUT(line.errors > 0, kWaitMs);
    QVERIFY(!line.isOpen());
}

void TestPumpSimPty::floodsUnasked()
{
    PumpSim sim;
    const QString path = sim.start({"--flood=100", "--duration=0.5", "--split=0.3", "--merge=0.3"});
    Line line;
    QVERIFY(line.open(path));
    line.write("Q00F0000Y");  // the flood starts with the first command
    QTRY_VERIFY_WITH_TIMEOUT(sim.process().state() == QProcess::NotRunning, kWaitMs);
    const qint64 sent = sim.finish();
    QVERIFY(sent > 1);
    QTRY_COMPARE_WITH_TIMEOUT(qint64(line.frames().size()), sent, kWaitMs);
}

void TestPumpSimPty::linkPointsAtTheTerminal()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("pump"));
    {
        PumpSim sim;
        const QString path = sim.start({"--link=" + link});
        QVERIFY(!path.isEmpty());
        QCOMPARE(QFileInfo(link).symLinkTarget(), path);
        Line line;
        QVERIFY(line.open(link));
        line.write("Q01L0120Y");
        QTRY_COMPARE_WITH_TIMEOUT(line.received, QByteArray("Q01L0120Y"), kWaitMs);
        QCOMPARE(sim.finish(), qint64(1));
    }
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestPumpSimPty::helpAndBadOptions()
{
    QProcess help;
    help.start(QStringLiteral(PUMP_SIM_PATH), {"--help"});
    QVERIFY(help.waitForFinished(kWaitMs));
    QCOMPARE(help.exitCode(), 0);
    const QByteArray text = help.readAllStandardOutput();
    for (const char* option : {"--split", "--merge", "--garbage", "--drop", "--silent-after", "--delay",
                               "--exit-after", "--duration", "--flood", "--seed", "--link"})
        QVERIFY2(text.contains(option), option);

    QProcess bad;
    bad.start(QStringLiteral(PUMP_SIM_PATH), {"--split=2"});
    QVERIFY(bad.waitForFinished(kWaitMs));
    QCOMPARE(bad.exitCode(), 2);
    QVERIFY(bad.readAllStandardError().contains("--split"));
}

QTEST_GUILESS_MAIN(TestPumpSimPty)
#include "test_pumpsim_pty.moc"
