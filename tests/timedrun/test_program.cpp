#include "timedrun/program.h"
#include "timedrun/programfile.h"

#include <QtTest>

namespace {

// The engine on the test's clock; every frame noted with the run's time.
struct Rig {
    qint64 now = 0;
    QStringList sent;  // "ms frame"
    QList<ProgramRun::Reason> ends;
    ProgramRun run{[this](const QString& f) { sent << QStringLiteral("%1 %2").arg(run.elapsedMs()).arg(f); },
                   [this] { return now; }};
    Rig() { QObject::connect(&run, &ProgramRun::ended, [this](ProgramRun::Reason r) { ends << r; }); }

    // As the precise timer does: the clock moves on to the timer's time.
    void follow(int maxTicks = 100000)
    {
        for (int n = 0; n < maxTicks && run.state() == ProgramRun::State::Running; ++n) {
            now += run.timer().interval();
            run.tick();
        }
    }
    void wait(qint64 ms, qint64 tickMs = 100)
    {
        for (qint64 t = 0; t < ms; t += tickMs) {
            now += tickMs;
            run.tick();
        }
    }
};

program::Steps steps(const char* csv)
{
    program::ParseError error;
    const auto parsed = program::parse(QByteArray("duration_s,flow_ml_min,pressure_limit_mpa,change\n") + csv, &error);
    if (!parsed)
        qWarning() << error.line << error.reason;
    return parsed.value_or(program::Steps{});
}

}  // namespace

class TestProgram : public QObject {
    Q_OBJECT
private slots:
    void frames_data();
    void frames();
    void lateAndEarlyTicks();
    void pauseAndContinue();
    void volumeAcrossPausesAndStalls();
    void dose_data();
    void dose();
    void endReasons();
    void parse_data();
    void parse();
    void totals();
};

void TestProgram::frames_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<bool>("keep");
    QTest::addColumn<QStringList>("expected");
    const QString run = QStringLiteral("0 Q00R0000Y");

    QTest::newRow("step then ramp") << QByteArray("2,100,,step\n3,160,,ramp\n") << false
                                    << QStringList{"0 Q00L0100Y", run, "2000 Q00L0100Y", "3500 Q00L0130Y", "5000 Q00S0000Y"};
    QTest::newRow("limits before flow") << QByteArray("1,100,1.5,step\n1:00,50.4,0,step\n") << false
                                        << QStringList{"0 Q00P01.5Y", "0 Q00L0100Y", run, "1000 Q00P00.0Y",
                                                       "1000 Q00L0050Y", "61000 Q00S0000Y"};
    // 100.5 is reached half way: the whole number changes once.
    QTest::newRow("one whole number up") << QByteArray("1,100,,step\n10,101,,ramp\n") << false
                                         << QStringList{"0 Q00L0100Y", run, "1000 Q00L0100Y", "6000 Q00L0101Y",
                                                        "11000 Q00S0000Y"};
    QTest::newRow("no whole number change") << QByteArray("1,100,,step\n10,100.4,,step\n4,100.2,,ramp\n") << false
                                            << QStringList{"0 Q00L0100Y", run, "1000 Q00L0100Y", "11000 Q00L0100Y",
                                                           "15000 Q00S0000Y"};
    // Each whole number as soon as 1.5 s have passed: 160 to 157 over 3 s.
    QTest::newRow("slow ramp down") << QByteArray("1,160,,step\n3,157,,ramp\n") << false
                                    << QStringList{"0 Q00L0160Y", run, "1000 Q00L0160Y", "2500 Q00L0159Y",
                                                   "4000 Q00S0000Y"};
    QTest::newRow("rounding halves up") << QByteArray("1,10,,step\n2,11,,ramp\n") << false
                                        << QStringList{"0 Q00L0010Y", run, "1000 Q00L0010Y", "2500 Q00L0011Y",
                                                       "3000 Q00S0000Y"};
    // Held on: no stop, and the last step's flow even where the ramp ends
    // before its last whole number went out.
    QTest::newRow("keep running") << QByteArray("1,100,,step\n2,200,,ramp\n") << true
                                  << QStringList{"0 Q00L0100Y", run, "1000 Q00L0100Y", "2500 Q00L0175Y",
                                                 "3000 Q00L0200Y"};
}

void TestProgram::frames()
{
    QFETCH(QByteArray, csv);
    QFETCH(bool, keep);
    QFETCH(QStringList, expected);
    Rig rig;
    rig.run.start(steps(csv), keep);
    rig.follow();
    QCOMPARE(rig.sent, expected);
    QCOMPARE(rig.ends, QList<ProgramRun::Reason>{ProgramRun::Reason::Done});
    QVERIFY(!rig.run.timer().isActive());
}

void TestProgram::lateAndEarlyTicks()
{
    Rig rig;
    rig.run.start(steps("2,100,,step\n30,160,,ramp\n"), false);
    QCOMPARE(rig.run.timer().interval(), ProgramRun::kDisplayMs);
    // A tick a little early still takes the step's end.
    rig.now = 2000 - ProgramRun::kEarlyMs;
    rig.run.tick();
    QCOMPARE(rig.run.stepIndex(), 1);
    QCOMPARE(rig.sent.size(), 3);
    // Held up for 20 s: the set point of now, once, not every one missed.
    rig.now = 22000;
    rig.run.tick();
    QCOMPARE(rig.sent.mid(3), QStringList{"22000 Q00L0140Y"});
    // Held up past the end: the stop, with the count at the program's length.
    rig.now = 60000;
    rig.run.tick();
    QCOMPARE(rig.sent.mid(4), QStringList{"32000 Q00S0000Y"});
    QCOMPARE(rig.run.totalLeftMs(), 0);
}

void TestProgram::pauseAndContinue()
{
    Rig rig;
    QSignalSpy paused(&rig.run, &ProgramRun::paused);
    rig.run.start(steps("2,100,,step\n3,160,,ramp\n"), false);
    rig.wait(2600);
    rig.run.pause();
    rig.run.pause();  // once only
    QCOMPARE(paused.count(), 1);
    QCOMPARE(rig.run.state(), ProgramRun::State::Paused);
    rig.wait(60000);  // paused time does not count
    QCOMPARE(rig.run.elapsedMs(), 2600);
    QCOMPARE(rig.run.stepLeftMs(), 2400);
    rig.run.resume();
    rig.follow();
    QCOMPARE(rig.sent, (QStringList{"0 Q00L0100Y", "0 Q00R0000Y", "2000 Q00L0100Y", "2600 Q00S0000Y",
                                    "2600 Q00L0112Y", "2600 Q00R0000Y", "4100 Q00L0142Y", "5000 Q00S0000Y"}));
    QCOMPARE(rig.now, 60000 + 5000);
}

void TestProgram::volumeAcrossPausesAndStalls()
{
    Rig rig;
    rig.run.start(steps("60,100,,step\n60,50,,step\n"), false);
    rig.now += 30000;  // stalled: no tick for 30 s, the pump ran on
    QCOMPARE(rig.run.volumeMl(), 50.0);
    rig.run.tick();
    rig.run.pause();
    rig.now += 100000;
    QCOMPARE(rig.run.volumeMl(), 50.0);
    rig.run.resume();
    rig.wait(60000, 1000);
    QCOMPARE(rig.run.volumeMl(), 100.0 + 25.0);
    rig.follow();
    QCOMPARE(rig.run.volumeMl(), 150.0);
    QCOMPARE(rig.run.targetMl(), 150.0);
}

void TestProgram::dose_data()
{
    QTest::addColumn<double>("volume");
    QTest::addColumn<double>("flow");
    QTest::addColumn<qint64>("stopMs");
    QTest::newRow("2 ml at 120") << 2.0 << 120.0 << qint64(1000);
    QTest::newRow("250 ml at 100") << 250.0 << 100.0 << qint64(150000);
    QTest::newRow("never later") << 0.1 << 7.0 << qint64(857);
    QTest::newRow("flow as the frame carries it") << 1.0 << 59.6 << qint64(1000);
    QTest::newRow("a long one") << 1000.0 << 1.0 << qint64(60000000);
}

void TestProgram::dose()
{
    QFETCH(double, volume);
    QFETCH(double, flow);
    QFETCH(qint64, stopMs);
    Rig rig;
    QSignalSpy started(&rig.run, &ProgramRun::started);
    rig.run.startDose(volume, flow);
    QCOMPARE(started.count(), 1);
    QCOMPARE(rig.run.kind(), ProgramRun::Kind::Dose);
    QCOMPARE(rig.run.targetMl(), volume);
    rig.follow();
    QCOMPARE(rig.sent.size(), 3);
    QCOMPARE(rig.sent.at(0), QStringLiteral("0 Q00L%1Y").arg(qRound(flow), 4, 10, QLatin1Char('0')));
    QCOMPARE(rig.sent.at(2), QStringLiteral("%1 Q00S0000Y").arg(stopMs));
    QCOMPARE(rig.now, stopMs);
    QVERIFY(rig.run.volumeMl() <= volume && rig.run.volumeMl() > volume - qRound(flow) / 60000.0);
}

void TestProgram::endReasons()
{
    Rig rig;
    rig.run.end(ProgramRun::Reason::Operator);  // idle: nothing
    QVERIFY(rig.sent.isEmpty() && rig.ends.isEmpty());
    rig.run.start(steps("10,100,,step\n"), true);
    rig.run.end(ProgramRun::Reason::Alarm);
    QCOMPARE(rig.sent.last(), QStringLiteral("0 Q00S0000Y"));  // ended early: a stop even when held on
    rig.run.start(steps("10,100,,step\n"), false);
    rig.run.pause();
    rig.run.end(ProgramRun::Reason::Link);
    rig.run.resume();  // ended: nothing
    rig.run.startDose(5, 100);
    rig.run.start(steps("10,100,,step\n"), false);  // ends the dose first
    QCOMPARE(rig.ends, (QList<ProgramRun::Reason>{ProgramRun::Reason::Alarm, ProgramRun::Reason::Link,
                                                  ProgramRun::Reason::Operator}));
    QCOMPARE(rig.sent.count(QStringLiteral("0 Q00S0000Y")), 4);
    QCOMPARE(rig.run.kind(), ProgramRun::Kind::Program);
}

void TestProgram::parse_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("steps");  // -1: refused
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("reason");  // a part of it
    const QByteArray h = program::kHeader + '\n';

    QTest::newRow("good") << h + "120,100,1.5,step\n60.5,160,,ramp\n" << 2 << 0 << QString();
    QTest::newRow("no last line end") << h + "1:30,1,2,step" << 1 << 0 << QString();
    QTest::newRow("BOM and CRLF") << "\xef\xbb\xbf" + program::kHeader + "\r\n1,500,0,step\r\n" << 1 << 0 << QString();
    QTest::newRow("blanks around values") << h + " 1 , 20 , ,step\n" << 1 << 0 << QString();
    QTest::newRow("empty file") << QByteArray() << -1 << 1 << QStringLiteral("第一行");
    QTest::newRow("wrong header") << QByteArray("duration,flow,limit,change\n1,2,,step\n") << -1 << 1 << QStringLiteral("第一行");
    QTest::newRow("header only") << h << -1 << 2 << QStringLiteral("没有步骤");
    QTest::newRow("missing column") << h + "1,100,step\n" << -1 << 2 << QStringLiteral("4 列");
    QTest::newRow("extra column") << h + "1,100,,step,\n" << -1 << 2 << QStringLiteral("4 列");
    QTest::newRow("empty line") << h + "1,100,,step\n\n2,100,,step\n" << -1 << 3 << QStringLiteral("空行");
    QTest::newRow("flow over") << h + "1,100,,step\n1,500.001,,step\n" << -1 << 3 << QStringLiteral("流量超出");
    QTest::newRow("flow under") << h + "1,0.999,,step\n" << -1 << 2 << QStringLiteral("流量超出");
    QTest::newRow("flow empty") << h + "1,,,step\n" << -1 << 2 << QStringLiteral("缺少流量");
    QTest::newRow("decimal comma") << h + "1,\"100,5\",,step\n" << -1 << 2 << QStringLiteral("列");
    QTest::newRow("flow exponent") << h + "1,1e2,,step\n" << -1 << 2 << QStringLiteral("流量不是数字");
    QTest::newRow("pressure over") << h + "1,100,2.01,step\n" << -1 << 2 << QStringLiteral("压力上限超出");
    QTest::newRow("pressure negative") << h + "1,100,-0.1,step\n" << -1 << 2 << QStringLiteral("压力上限超出");
    QTest::newRow("pressure text") << h + "1,100,high,step\n" << -1 << 2 << QStringLiteral("压力上限不是数字");
    QTest::newRow("duration zero") << h + "0,100,,step\n" << -1 << 2 << QStringLiteral("时长超出");
    QTest::newRow("duration too long") << h + "360000.001,100,,step\n" << -1 << 2 << QStringLiteral("时长超出");
    QTest::newRow("duration bad seconds") << h + "1:60,100,,step\n" << -1 << 2 << QStringLiteral("时长不是");
    QTest::newRow("four decimals") << h + "1.0005,100,,step\n" << -1 << 2 << QStringLiteral("时长不是");
    QTest::newRow("change unknown") << h + "1,100,,Step\n" << -1 << 2 << QStringLiteral("step 或 ramp");
    QTest::newRow("ramp first") << h + "1,100,,ramp\n" << -1 << 2 << QStringLiteral("第一步");
    QTest::newRow("not UTF-8") << h + "1,100,,step\xff\n" << -1 << 1 << QStringLiteral("UTF-8");
}

void TestProgram::parse()
{
    QFETCH(QByteArray, file);
    QFETCH(int, steps);
    QFETCH(int, line);
    QFETCH(QString, reason);
    program::ParseError error;
    const auto parsed = program::parse(file, &error);
    QCOMPARE(parsed ? int(parsed->size()) : -1, steps);
    if (!parsed) {
        QCOMPARE(error.line, line);
        QVERIFY2(error.reason.contains(reason), qPrintable(error.reason));
        return;
    }
    // Saved and read again, the same steps.
    QCOMPARE(program::parse(program::toCsv(*parsed), &error), parsed);
}

void TestProgram::totals()
{
    const program::Steps s = steps("2,100,,step\n3,160,,ramp\n1:00,10,,step\n");
    QCOMPARE(program::totalMs(s), 65000);
    QCOMPARE(program::plannedVolumeMl(s), 100 * 2 / 60.0 + 130 * 3 / 60.0 + 10.0);
    QCOMPARE(program::flowAt(s, 3500), 130.0);
    QCOMPARE(program::clockText(65000), QStringLiteral("1:05"));
    QCOMPARE(program::clockText(3600000 + 62001), QStringLiteral("1:01:03"));
}

QTEST_GUILESS_MAIN(TestProgram)
#include "test_program.moc"
