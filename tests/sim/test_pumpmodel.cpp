#include "sim/commandframer.h"
#include "sim/pumpmodel.h"

#include <QtTest>

#include <cmath>

using pumpsim::CommandFramer;
using pumpsim::PumpModel;

class TestPumpModel : public QObject {
    Q_OBJECT
private slots:
    void answers_data();
    void answers();
    void setPointsTakeEffect();
    void pressureSettlesAtAFlowDependentValue_data();
    void pressureSettlesAtAFlowDependentValue();
    void lagDoesNotDependOnStepSize();
    void pressureFallsWhenStopped();
    void pumpStopsItselfAtTheLimit();
    void limitAtOrBelowPressureStopsAtOnce();
    void statusAnswerShowsCurrentPressure();
    void noiseIsSmallAndRepeatableForASeed();

    void framer_data();
    void framer();
    void framerAcceptsAFrameInAnyPieces();
};

void TestPumpModel::answers_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("status") << QByteArray("Q00F0000Y") << QByteArray("Q00N00.0Y");
    QTest::newRow("status echoes pump 07") << QByteArray("Q07F0000Y") << QByteArray("Q07N00.0Y");
    QTest::newRow("run answers pressure") << QByteArray("Q00R0000Y") << QByteArray("Q00N00.0Y");
    QTest::newRow("stop answers pressure") << QByteArray("Q42S0000Y") << QByteArray("Q42N00.0Y");
    QTest::newRow("flow 120") << QByteArray("Q00L0120Y") << QByteArray("Q00L0120Y");
    QTest::newRow("flow 500 pump 12") << QByteArray("Q12L0500Y") << QByteArray("Q12L0500Y");
    QTest::newRow("flow above range refused") << QByteArray("Q00L0501Y") << QByteArray("Q00L0000Y");
    QTest::newRow("flow not a number refused") << QByteArray("Q00LABCDY") << QByteArray("Q00L0000Y");
    QTest::newRow("limit 1.5") << QByteArray("Q03P01.5Y") << QByteArray("Q03P01.5Y");
    QTest::newRow("limit 0") << QByteArray("Q00P00.0Y") << QByteArray("Q00P00.0Y");
    QTest::newRow("limit above range refused") << QByteArray("Q00P02.1Y") << QByteArray("Q00P02.0Y");
    QTest::newRow("limit not a number refused") << QByteArray("Q00P0x.5Y") << QByteArray("Q00P02.0Y");

    QTest::newRow("lower-case q") << QByteArray("q00F0000Y") << QByteArray();
    QTest::newRow("lower-case y") << QByteArray("Q00F0000y") << QByteArray();
    QTest::newRow("eight characters") << QByteArray("Q00F0000") << QByteArray();
    QTest::newRow("ten characters") << QByteArray("Q00F0000YY") << QByteArray();
    QTest::newRow("pump number not digits") << QByteArray("QA0F0000Y") << QByteArray();
    QTest::newRow("unknown letter") << QByteArray("Q00X0000Y") << QByteArray();
    QTest::newRow("an answer is no command") << QByteArray("Q00N01.5Y") << QByteArray();
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestPumpModel::answers()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    PumpModel pump;
    pump.setNoise(0);
    QCOMPARE(pump.answer(frame), expected);
}

void TestPumpModel::setPointsTakeEffect()
{
    PumpModel pump;
    QVERIFY(!pump.isRunning());
    QCOMPARE(pump.pressureLimit(), 2.0);
    pump.answer("Q05L0250Y");
    QCOMPARE(pump.flow(), 250.0);
    pump.answer("Q05P01.2Y");
    QCOMPARE(pump.pressureLimit(), 1.2);
    pump.answer("Q00R0000Y");
    QVERIFY(pump.isRunning());
    pump.answer("Q00LZZZZY");  // refused: the flow stays
    QCOMPARE(pump.flow(), 250.0);
    pump.answer("Q00S0000Y");
    QVERIFY(!pump.isRunning());
    pump.answer("Q00F0000Y");  // a status query changes nothing
    QVERIFY(!pump.isRunning());
    QCOMPARE(pump.flow(), 250.0);
}

void TestPumpModel::pressureSettlesAtAFlowDependentValue_data()
{
    QTest::addColumn<double>("flow");
    QTest::newRow("100 ml/min") << 100.0;
    QTest::newRow("200 ml/min") << 200.0;
    QTest::newRow("350 ml/min") << 350.0;
}

void TestPumpModel::pressureSettlesAtAFlowDependentValue()
{
    QFETCH(double, flow);
    PumpModel pump;
    pump.setFlow(flow);
    pump.run();
    const double target = flow * PumpModel::kPressurePerFlow;
    QVERIFY(target < pump.pressureLimit());

    double last = pump.pressure();
    for (int i = 0; i < 20; ++i) {
        pump.advance(0.5);
        QVERIFY2(pump.pressure() > last, "pressure rises while running");
        QVERIFY(pump.pressure() < target);
        last = pump.pressure();
    }
    // After one time constant the lag has covered 1 - 1/e of the way.
    PumpModel fresh;
    fresh.setFlow(flow);
    fresh.run();
    fresh.advance(PumpModel::kRiseTimeConstant);
    QVERIFY(std::abs(fresh.pressure() - target * (1 - std::exp(-1.0))) < 1e-9);

    pump.advance(60);
    QVERIFY(std::abs(pump.pressure() - target) < 1e-3);
    QVERIFY(pump.isRunning());
}

void TestPumpModel::lagDoesNotDependOnStepSize()
{
    PumpModel coarse;
    PumpModel fine;
    for (PumpModel* p : {&coarse, &fine}) {
        p->setFlow(300);
        p->setPressureLimit(1.0);  // reached after 3 ln(1.5/0.5) = 3.3 s
        p->run();
    }
    coarse.advance(5.0);
    for (int i = 0; i < 500; ++i)
        fine.advance(0.01);
    QVERIFY(!coarse.isRunning());
    QVERIFY(!fine.isRunning());
    QVERIFY(std::abs(coarse.pressure() - fine.pressure()) < 1e-9);
}

void TestPumpModel::pressureFallsWhenStopped()
{
    PumpModel pump;
    pump.setFlow(300);
    pump.run();
    pump.advance(20);
    const double running = pump.pressure();
    QVERIFY(running > 1.0);
    pump.answer("Q00S0000Y");
    double last = running;
    for (int i = 0; i < 10; ++i) {
        pump.advance(1);
        QVERIFY(pump.pressure() < last);
        last = pump.pressure();
    }
    pump.advance(60);
    QVERIFY(pump.pressure() < 0.001);
    pump.setNoise(0);
    QCOMPARE(pump.answer("Q00F0000Y"), QByteArray("Q00N00.0Y"));
}

void TestPumpModel::pumpStopsItselfAtTheLimit()
{
    PumpModel pump;
    pump.setNoise(0);
    pump.answer("Q00L0400Y");  // settles at 2.0 MPa
    pump.answer("Q00P01.0Y");
    pump.answer("Q00R0000Y");
    // The limit is reached at 3 ln(2) = 2.08 s.
    pump.advance(2.0);
    QVERIFY(pump.isRunning());
    QVERIFY(pump.pressure() < 1.0);
    pump.advance(0.1);
    QVERIFY(!pump.isRunning());
    QVERIFY(pump.pressure() <= 1.0);
    QVERIFY(pump.pressure() > 0.95);
    const double atStop = pump.pressure();
    pump.advance(5);
    QVERIFY(pump.pressure() < atStop);
    QVERIFY(!pump.isRunning());
}

void TestPumpModel::limitAtOrBelowPressureStopsAtOnce()
{
    PumpModel pump;
    pump.setFlow(300);
    pump.run();
    pump.advance(10);
    QVERIFY(pump.pressure() > 1.0);
    pump.answer("Q00P01.0Y");
    QVERIFY(!pump.isRunning());

    PumpModel zero;
    zero.answer("Q00P00.0Y");
    zero.answer("Q00R0000Y");
    QVERIFY(!zero.isRunning());
}

void TestPumpModel::statusAnswerShowsCurrentPressure()
{
    PumpModel pump;
    pump.setNoise(0);
    pump.setFlow(200);
    pump.run();
    pump.advance(3.0);  // 1.0 (1 - 1/e) = 0.632
    QCOMPARE(pump.answer("Q09F0000Y"), QByteArray("Q09N00.6Y"));
    pump.advance(30);
    QCOMPARE(pump.answer("Q00F0000Y"), QByteArray("Q00N01.0Y"));
}

void TestPumpModel::noiseIsSmallAndRepeatableForASeed()
{
    const auto readings = [](quint32 seed) {
        PumpModel pump(seed);
        pump.setFlow(200);
        pump.run();
        pump.advance(60);
        QList<double> out;
        for (int i = 0; i < 50; ++i)
            out << pump.reportedPressure();
        return out;
    };
    const QList<double> a = readings(7);
    QCOMPARE(readings(7), a);
    QVERIFY(readings(8) != a);
    bool varies = false;
    for (double r : a) {
        QVERIFY(std::abs(r - 1.0) <= PumpModel::kDefaultNoise + 1e-6);
        varies = varies || std::abs(r - a.first()) > 1e-9;
    }
    QVERIFY(varies);
}

void TestPumpModel::framer_data()
{
    QTest::addColumn<QByteArrayList>("pieces");
    QTest::addColumn<QByteArrayList>("expected");
    QTest::addColumn<int>("discarded");

    QTest::newRow("one frame") << QByteArrayList{"Q00F0000Y"} << QByteArrayList{"Q00F0000Y"} << 0;
    QTest::newRow("two in one piece") << QByteArrayList{"Q00F0000YQ03L0120Y"}
                                      << QByteArrayList{"Q00F0000Y", "Q03L0120Y"} << 0;
    QTest::newRow("noise before") << QByteArrayList{QByteArray("\0\xff" "xyQ00R0000Y", 13)} << QByteArrayList{"Q00R0000Y"} << 4;
    QTest::newRow("broken frame then a whole one")
        << QByteArrayList{"Q00F00Q00S0000Y"} << QByteArrayList{"Q00S0000Y"} << 6;
    QTest::newRow("stray Q in noise") << QByteArrayList{"aQbQ12L0100Y"} << QByteArrayList{"Q12L0100Y"} << 3;
    QTest::newRow("split over pieces") << QByteArrayList{"Q00", "P01", ".5Y"} << QByteArrayList{"Q00P01.5Y"} << 0;
    QTest::newRow("half frame kept for later") << QByteArrayList{"Q00F0"} << QByteArrayList{} << 0;
    QTest::newRow("ninth not Y") << QByteArrayList{"Q00F0000X"} << QByteArrayList{} << 9;
}

void TestPumpModel::framer()
{
    QFETCH(QByteArrayList, pieces);
    QFETCH(QByteArrayList, expected);
    QFETCH(int, discarded);
    CommandFramer framer;
    QByteArrayList got;
    for (const QByteArray& p : pieces)
        got += framer.push(p);
    QCOMPARE(got, expected);
    QCOMPARE(framer.discarded(), qint64(discarded));
}

void TestPumpModel::framerAcceptsAFrameInAnyPieces()
{
    const QByteArray stream = "Q00F0000YQ01L0120YQ02P01.5Y";
    for (int cut1 = 0; cut1 <= stream.size(); ++cut1) {
        for (int cut2 = cut1; cut2 <= stream.size(); ++cut2) {
            CommandFramer framer;
            QByteArrayList got = framer.push(stream.left(cut1));
            got += framer.push(stream.mid(cut1, cut2 - cut1));
            got += framer.push(stream.mid(cut2));
            QCOMPARE(got, (QByteArrayList{"Q00F0000Y", "Q01L0120Y", "Q02P01.5Y"}));
        }
    }
}

QTEST_GUILESS_MAIN(TestPumpModel)
#include "test_pumpmodel.moc"
