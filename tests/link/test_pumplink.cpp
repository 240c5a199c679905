#include "link/pumplink.h"

#include "fakes/fakeserialport.h"

#include <QSignalSpy>
#include <QtTest>

// A PumpLink on fake ports, with a clock the test steps.
struct Rig {
    qint64 now = 0;
    QList<FakeSerialPort*> ports;  // every port made, in order
    QString refuse;
    PumpLink link{[this](const QString&) {
                      auto port = std::make_unique<FakeSerialPort>();
                      if (!refuse.isEmpty())
                          port->refuseOpen(refuse);
                      ports << port.get();
                      return port;
                  },
                  [this] { return now; }};
    FakeSerialPort* port() { return ports.last(); }
};

class TestPumpLink : public QObject {
    Q_OBJECT
private slots:
    void pollTimerIsOffUntilStarted();
    void pollSendsTheStatusQuery();
    void sendWithNoPortIsDroppedAndSaidSo();
    void openFailureLeavesTheLinkClosed();
    void reopenClosesTheOldPortFirst();
    void answersInPiecesAreHandedOn();
    void answersStayInOrderWhenAHandlerWaits();
    void silenceMarksTheLinkLostUntilTheNextAnswer();
    void vanishedPortIsClosedAndReportedOnce();
    void closeIsHarmlessWhenNothingIsOpen();
};

void TestPumpLink::pollTimerIsOffUntilStarted()
{
    Rig rig;
    QCOMPARE(rig.link.Timer2().interval(), 1500);
    QVERIFY(!rig.link.Timer2().isActive());
    QVERIFY(rig.link.open(QStringLiteral("/dev/pts/fake"), nullptr));
    QVERIFY(!rig.link.Timer2().isActive());
    rig.link.startPolling();
    QVERIFY(rig.link.Timer2().isActive());
    QCOMPARE(rig.link.Timer2().interval(), 1500);
    QCOMPARE(rig.link.Timer2().timerType(), Qt::PreciseTimer);
}

void TestPumpLink::pollSendsTheStatusQuery()
{
    Rig rig;
    QVERIFY(rig.link.open(QStringLiteral("x"), nullptr));
    rig.link.pollTick();
    rig.link.pollTick();
    QCOMPARE(rig.port()->writtenFrames(), (QStringList{"Q00F0000Y", "Q00F0000Y"}));
    // Each frame goes out in one write, nothing added.
    QCOMPARE(rig.port()->writes.first(), QByteArray("Q00F0000Y"));
}

// The operator's frames are dropped with a word, polls quietly.
void TestPumpLink::sendWithNoPortIsDroppedAndSaidSo()
{
    Rig rig;
    QSignalSpy dropped(&rig.link, &PumpLink::frameDropped);
    QVERIFY(!rig.link.send(QStringLiteral("Q00R0000Y")));
    rig.link.pollTick();
    QCOMPARE(dropped.count(), 1);
    QCOMPARE(dropped.at(0).at(0).toString(), QStringLiteral("Q00R0000Y"));
}

void TestPumpLink::openFailureLeavesTheLinkClosed()
{
    Rig rig;
    rig.refuse = QStringLiteral("端口不存在");
    QString error;
    QVERIFY(!rig.link.open(QStringLiteral("/dev/nothing"), &error));
    QCOMPARE(error, QStringLiteral("端口不存在"));
    QVERIFY(!rig.link.isOpen());
}

void TestPumpLink::reopenClosesTheOldPortFirst()
{
    Rig rig;
    QVERIFY(rig.link.open(QStringLiteral("a"), nullptr));
    FakeSerialPort* first = rig.port();
    QSignalSpy closed(first, &QObject::destroyed);
    QVERIFY(rig.link.open(QStringLiteral("b"), nullptr));
    QCOMPARE(closed.count(), 1);  // the first port was closed and let go
    QCOMPARE(rig.link.device(), QStringLiteral("b"));
    rig.link.send(QStringLiteral("Q00S0000Y"));
    QCOMPARE(rig.port()->writtenFrames(), QStringList{"Q00S0000Y"});
}

void TestPumpLink::answersInPiecesAreHandedOn()
{
    Rig rig;
    QVERIFY(rig.link.open(QStringLiteral("x"), nullptr));
    QSignalSpy answers(&rig.link, &PumpLink::answerReceived);
    rig.port()->feed("Q01N0");
    QCOMPARE(answers.count(), 0);
    rig.now += 20;
    rig.port()->feed("1.5YQ01L0150YQ0");
    QCOMPARE(answers.count(), 2);
    QCOMPARE(answers.at(0).at(0).toByteArray(), QByteArray("Q01N01.5Y"));
    QCOMPARE(answers.at(1).at(0).toByteArray(), QByteArray("Q01L0150Y"));
    QCOMPARE(rig.link.answersReceived(), 2u);
}

void TestPumpLink::answersStayInOrderWhenAHandlerWaits()
{
    Rig rig;
    QVERIFY(rig.link.open(QStringLiteral("x"), nullptr));
    QList<QByteArray> handled;
    bool nested = false;
    connect(&rig.link, &PumpLink::answerReceived, this, [&](const QByteArray& frame) {
        handled << frame;
        // The first answer shows a modal box; while it is up, the event loop
        // delivers the next read.
        if (!nested) {
            nested = true;
            rig.port()->feed("Q00N00.3Y");
        }
    });
    rig.port()->feed("Q00N00.1YQ00N00.2Y");
    QCOMPARE(handled, (QList<QByteArray>{"Q00N00.1Y", "Q00N00.2Y", "Q00N00.3Y"}));
    QCOMPARE(rig.link.answersReceived(), 3u);
}

void TestPumpLink::silenceMarksTheLinkLostUntilTheNextAnswer()
{
    Rig rig;
    QVERIFY(rig.link.open(QStringLiteral("x"), nullptr));
    QSignalSpy health(&rig.link, &PumpLink::healthChanged);
    for (int i = 0; i < 3; ++i) {
        rig.now += 1500;
        rig.link.pollTick();
        QVERIFY(!rig.link.linkLost());
    }
    rig.now += 1500;
    rig.link.pollTick();  // three polls have gone unanswered
    QVERIFY(rig.link.linkLost());
    QCOMPARE(rig.link.silenceMs(), 6000);
    QVERIFY(health.count() >= 1);
    // Polling goes on while lost.
    QCOMPARE(rig.port()->writtenFrames().size(), 4);

    rig.port()->feed("Q00N00.3Y");
    QVERIFY(!rig.link.linkLost());
    QCOMPARE(rig.link.silenceMs(), 0);
    // One answer per poll keeps it alive.
    for (int i = 0; i < 10; ++i) {
        rig.link.pollTick();
        rig.port()->feed("Q00N00.3Y");
        QVERIFY(!rig.link.linkLost());
    }
}

void TestPumpLink::vanishedPortIsClosedAndReportedOnce()
{
    Rig rig;
    QVERIFY(rig.link.open(QStringLiteral("/dev/pts/9"), nullptr));
    rig.link.startPolling();
    QSignalSpy lost(&rig.link, &PumpLink::portLost);
    FakeSerialPort* port = rig.port();
    port->failLine(QStringLiteral("端口已断开"));
    QCOMPARE(lost.count(), 1);
    QCOMPARE(lost.at(0).at(0).toString(), QStringLiteral("/dev/pts/9"));
    QCOMPARE(lost.at(0).at(1).toString(), QStringLiteral("端口已断开"));
    QVERIFY(!rig.link.isOpen());
    // Polls after that go nowhere, quietly; the poll timer goes on.
    QSignalSpy dropped(&rig.link, &PumpLink::frameDropped);
    rig.link.pollTick();
    QCOMPARE(dropped.count(), 0);
    QVERIFY(rig.link.Timer2().isActive());
    // The operator can open it again.
    QVERIFY(rig.link.open(QStringLiteral("/dev/pts/9"), nullptr));
    rig.link.pollTick();
    QCOMPARE(rig.port()->writtenFrames(), QStringList{"Q00F0000Y"});
}

void TestPumpLink::closeIsHarmlessWhenNothingIsOpen()
{
    Rig rig;
    rig.link.close();
    rig.link.close();
    QVERIFY(!rig.link.isOpen());
}

QTEST_GUILESS_MAIN(TestPumpLink)
#include "test_pumplink.moc"
