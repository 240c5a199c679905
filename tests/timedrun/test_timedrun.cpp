#include "timedrun/timedrun.h"

#include "fakes/fakedialogs.h"
#include "link/frames.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <optional>

namespace {

// What the controller looked like at the moment a frame left it: this shows
// the order of the steps inside each command.
struct Sent {
    QString frame;
    qint64 tset;
    double timeset;
    bool timerActive;
    bool labelsVisible;
    QString lsed;
};

// The controller on the test's clock, each tick a second after the last like Timer1's.
struct SteppedRun : TimedRun {
    using TimedRun::TimedRun;
    void tick() { now += 1000; TimedRun::tick(); }
    qint64 now = 0;
};

// A controller wired to scripted dialogs and a recording send operation.
struct Rig {
    FakeDialogs dialogs;
    QList<Sent> sent;
    std::unique_ptr<SteppedRun> run;

    Rig()
    {
        run = std::make_unique<SteppedRun>(
            [this](const QString& frame) {
                sent.append({frame, run->tset(), run->timeset(), run->timer1().isActive(),
                             run->labelsVisible(), run->lsed()});
            },
            dialogs, [this] { return run->now; });
    }

    // Answers the duration box with `text` (nullopt: Cancel).
    void setDuration(const std::optional<QString>& text)
    {
        if (text)
            dialogs.answer(*text);
        run->stset();
    }

    QStringList frames() const
    {
        QStringList out;
        for (const Sent& s : sent)
            out << s.frame;
        return out;
    }

    QStringList captions() const { return {run->lhour(), run->lmin(), run->lsed()}; }

    // Ticks until the controller sends something or `limit` ticks have passed;
    // returns the number of ticks. The timer must stay on until then.
    qint64 tickUntilFrame(qint64 limit)
    {
        const qsizetype before = sent.size();
        for (qint64 n = 1; n <= limit; ++n) {
            if (!run->timer1().isActive())
                return -n;  // stopped without a frame: a fault the callers see
            run->tick();
            if (sent.size() != before)
                return n;
        }
        return 0;
    }
};

const QString kRun = QStringLiteral("Q00R0000Y");
const QString kStop = QStringLiteral("Q00S0000Y");

}  // namespace

class TestTimedRun : public QObject {
    Q_OBJECT
private slots:
    void startsIdle();
    void durationBox();
    void durationEntry_data();
    void durationEntry();
    void runLength_data();
    void runLength();
    void captionsAreNotZeroFilled_data();
    void captionsAreNotZeroFilled();
    void longRunPastSixteenBits();
    void countsRealTimeThroughStalls();
    void hundredDayRun();
    void startOrder();
    void pauseOrder();
    void continueOrder();
    void endOrder();
    void automaticStopOrder();
    void pauseAndContinue();
    void durationChangedMidRun();
    void endThenContinue();
    void stopFrameWithNothingRunning_data();
    void stopFrameWithNothingRunning();
    void startTwice();
    void continueAfterFinishedRun();
    void continueWhileCountingKeepsCadence();
    void displayChangedSignal();
};

void TestTimedRun::startsIdle()
{
    Rig rig;
    QCOMPARE(rig.run->tset(), 0);
    QCOMPARE(rig.run->timeset(), 0.0);
    QVERIFY(!rig.run->timer1().isActive());
    QCOMPARE(rig.run->timer1().interval(), 1000);
    QCOMPARE(rig.run->timer1().timerType(), Qt::PreciseTimer);
    QCOMPARE(rig.captions(), QStringList({"00", "00", "00"}));
    QVERIFY(!rig.run->labelsVisible());
    QVERIFY(rig.sent.isEmpty());
    QVERIFY(rig.dialogs.inputs.isEmpty());
}

void TestTimedRun::durationBox()
{
    Rig rig;
    rig.setDuration(QStringLiteral("7"));
    rig.setDuration(std::nullopt);
    rig.setDuration(QStringLiteral("abc"));
    QCOMPARE(rig.dialogs.inputs.size(), 3);
    // The box is pre-filled with "0" every time, not with the last duration.
    for (const FakeDialogs::Input& in : rig.dialogs.inputs) {
        QCOMPARE(in.prompt, QString::fromUtf8("\xe8\xaf\xb7\xe8\xbe\x93\xe5\x85\xa5\xe8\xae\xbe\xe5\xae\x9a"
                                              "\xe6\x97\xb6\xe9\x97\xb4 \xe5\x8d\x95\xe4\xbd\x8d \xe5\x88\x86 "));
        QCOMPARE(in.title, QString::fromUtf8("\xe6\x97\xb6\xe9\x97\xb4\xe8\xae\xbe\xe5\xae\x9a"));
        QCOMPARE(in.defaultAnswer, QStringLiteral("0"));
    }
    QCOMPARE(rig.run->timeset(), 7.0);
    // Setting a duration neither starts nor stops anything, and says nothing.
    QVERIFY(rig.sent.isEmpty());
    QVERIFY(!rig.run->timer1().isActive());
    QVERIFY(rig.dialogs.messages.isEmpty());
}

void TestTimedRun::durationEntry_data()
{
    QTest::addColumn<std::optional<QString>>("entry");
    QTest::addColumn<double>("expected");  // the previous duration is 3

    QTest::newRow("fraction") << std::optional<QString>("1.5") << 1.5;
    QTest::newRow("zero") << std::optional<QString>("0") << 0.0;
    QTest::newRow("negative") << std::optional<QString>("-5") << -5.0;
    QTest::newRow("hundredth") << std::optional<QString>("0.01") << 0.01;
    QTest::newRow("blanks around") << std::optional<QString>(" 2 ") << 2.0;
    QTest::newRow("exponent") << std::optional<QString>("1e1") << 10.0;
    QTest::newRow("largest that counts") << std::optional<QString>("1e306") << 1e306;
    QTest::newRow("letters") << std::optional<QString>("abc") << 3.0;
    QTest::newRow("number then letters") << std::optional<QString>("5min") << 3.0;
    QTest::newRow("empty") << std::optional<QString>("") << 3.0;
    QTest::newRow("blanks only") << std::optional<QString>("   ") << 3.0;
    QTest::newRow("cancel") << std::optional<QString>() << 3.0;
    QTest::newRow("infinite") << std::optional<QString>("inf") << 3.0;
    QTest::newRow("not a number") << std::optional<QString>("nan") << 3.0;
    QTest::newRow("beyond double") << std::optional<QString>("1e400") << 3.0;
    QTest::newRow("seconds beyond double") << std::optional<QString>("1e308") << 3.0;
    QTest::newRow("negative seconds beyond double") << std::optional<QString>("-1e308") << 3.0;
}

void TestTimedRun::durationEntry()
{
    QFETCH(std::optional<QString>, entry);
    QFETCH(double, expected);
    Rig rig;
    rig.setDuration(QStringLiteral("3"));
    rig.setDuration(entry);
    QCOMPARE(rig.run->timeset(), expected);
    QVERIFY(rig.dialogs.messages.isEmpty());
    QVERIFY(rig.sent.isEmpty());
}

void TestTimedRun::runLength_data()
{
    QTest::addColumn<std::optional<QString>>("duration");  // nullopt: never set
    QTest::addColumn<qint64>("ticks");                     // tick that sends the stop frame
    QTest::addColumn<QStringList>("display");              // captions left after the stop

    QTest::newRow("no duration") << std::optional<QString>() << qint64(1) << QStringList{"0", "0", "1"};
    QTest::newRow("zero") << std::optional<QString>("0") << qint64(1) << QStringList{"0", "0", "1"};
    QTest::newRow("1.5 minutes") << std::optional<QString>("1.5") << qint64(90) << QStringList{"0", "1", "30"};
    QTest::newRow("0.01 minutes") << std::optional<QString>("0.01") << qint64(1) << QStringList{"0", "0", "1"};
    QTest::newRow("negative") << std::optional<QString>("-5") << qint64(1) << QStringList{"0", "0", "1"};
    QTest::newRow("1.001 minutes") << std::optional<QString>("1.001") << qint64(61) << QStringList{"0", "1", "1"};
    QTest::newRow("1 minute") << std::optional<QString>("1") << qint64(60) << QStringList{"0", "1", "0"};
    QTest::newRow("2 minutes") << std::optional<QString>("2") << qint64(120) << QStringList{"0", "2", "0"};
    QTest::newRow("one hour") << std::optional<QString>("60") << qint64(3600) << QStringList{"1", "0", "0"};
    QTest::newRow("last minute of 16 bits") << std::optional<QString>("546") << qint64(32760)
                                            << QStringList{"9", "6", "0"};
    QTest::newRow("first past 16 bits") << std::optional<QString>("546.2") << qint64(32772)
                                        << QStringList{"9", "6", "12"};
    QTest::newRow("600 minutes") << std::optional<QString>("600") << qint64(36000) << QStringList{"10", "0", "0"};
}

// Start, then tick: nothing is sent until the limit is reached, then exactly
// the stop frame; the count returns to 0, the timer goes off, and the display
// stays visible with the final elapsed time.
void TestTimedRun::runLength()
{
    QFETCH(std::optional<QString>, duration);
    QFETCH(qint64, ticks);
    QFETCH(QStringList, display);

    Rig rig;
    if (duration)
        rig.setDuration(duration);
    rig.run->ststart();
    QCOMPARE(rig.frames(), QStringList{kRun});
    QVERIFY(rig.run->timer1().isActive());

    QCOMPARE(rig.tickUntilFrame(ticks + 5), ticks);
    QCOMPARE(rig.frames(), QStringList({kRun, kStop}));
    QCOMPARE(rig.sent.last().tset, ticks);
    QCOMPARE(rig.run->tset(), 0);
    QVERIFY(!rig.run->timer1().isActive());
    QVERIFY(rig.run->labelsVisible());
    QCOMPARE(rig.captions(), display);
}

void TestTimedRun::captionsAreNotZeroFilled_data()
{
    QTest::addColumn<qint64>("ticks");
    QTest::addColumn<QStringList>("display");

    QTest::newRow("1 s") << qint64(1) << QStringList{"0", "0", "1"};
    QTest::newRow("5 s") << qint64(5) << QStringList{"0", "0", "5"};
    QTest::newRow("59 s") << qint64(59) << QStringList{"0", "0", "59"};
    QTest::newRow("60 s") << qint64(60) << QStringList{"0", "1", "0"};
    QTest::newRow("3599 s") << qint64(3599) << QStringList{"0", "59", "59"};
    QTest::newRow("3600 s") << qint64(3600) << QStringList{"1", "0", "0"};
    QTest::newRow("3725 s") << qint64(3725) << QStringList{"1", "2", "5"};
    QTest::newRow("32767 s") << qint64(32767) << QStringList{"9", "6", "7"};
    QTest::newRow("32768 s") << qint64(32768) << QStringList{"9", "6", "8"};
    QTest::newRow("65536 s") << qint64(65536) << QStringList{"18", "12", "16"};
}

void TestTimedRun::captionsAreNotZeroFilled()
{
    QFETCH(qint64, ticks);
    QFETCH(QStringList, display);
    Rig rig;
    rig.setDuration(QStringLiteral("100000"));
    rig.run->ststart();
    for (qint64 n = 0; n < ticks; ++n)
        rig.run->tick();
    QCOMPARE(rig.run->tset(), ticks);
    QCOMPARE(rig.captions(), display);
    QCOMPARE(rig.frames(), QStringList{kRun});
}

// A 16-bit count would wrap at 32767 s and the run would never end; the count
// keeps rising and the captions stay positive all the way.
void TestTimedRun::longRunPastSixteenBits()
{
    Rig rig;
    rig.setDuration(QStringLiteral("600"));
    rig.run->ststart();
    for (qint64 n = 1; n <= 36000; ++n) {
        rig.run->tick();
        if (n < 36000) {
            QCOMPARE(rig.run->tset(), n);
            if (rig.run->lhour().startsWith('-') || rig.run->lmin().startsWith('-')
                || rig.run->lsed().startsWith('-'))
                QFAIL(qPrintable(QStringLiteral("negative caption at tick %1").arg(n)));
        }
    }
    QCOMPARE(rig.frames(), QStringList({kRun, kStop}));
    QCOMPARE(rig.sent.last().tset, 36000);
    QCOMPARE(rig.captions(), QStringList({"10", "0", "0"}));
    QCOMPARE(rig.run->tset(), 0);
}

// Ticks that stall for ten seconds count them; paused time does not count; a
// tick a little early counts for its second, one half a second early does not.
void TestTimedRun::countsRealTimeThroughStalls()
{
    Rig rig;
    rig.setDuration(QStringLiteral("0.2"));
    rig.run->ststart();
    rig.run->now += 4000;
    rig.run->tick();
    rig.run->now += 9000;
    rig.run->tick();
    QCOMPARE(rig.frames(), QStringList({kRun, kStop}));
    QCOMPARE(rig.captions(), QStringList({"0", "0", "15"}));
    rig.run->ststart();
    rig.run->tick();
    rig.run->stzanting();
    rig.run->now += 60'000;
    rig.run->stcontiune();
    rig.run->now -= TimedRun::kEarlyTickMs;
    rig.run->tick();
    QCOMPARE(rig.run->tset(), 2);
    rig.run->now -= 1000 - TimedRun::kEarlyTickMs - 500;
    rig.run->tick();
    QCOMPARE(rig.run->tset(), 2);
}

void TestTimedRun::hundredDayRun()
{
    constexpr qint64 kSeconds = 100LL * 24 * 3600;
    Rig rig;
    rig.setDuration(QStringLiteral("144000"));
    rig.run->ststart();
    QCOMPARE(rig.tickUntilFrame(kSeconds + 1), kSeconds);
    QCOMPARE(rig.captions(), QStringList({"2400", "0", "0"}));
    QCOMPARE(rig.frames(), QStringList({kRun, kStop}));
}

// Start: count to 0, timer on, run frame, then the display appears.
void TestTimedRun::startOrder()
{
    Rig rig;
    rig.setDuration(QStringLiteral("5"));
    rig.run->ststart();
    for (int n = 0; n < 7; ++n)
        rig.run->tick();
    rig.run->stend();
    rig.sent.clear();

    rig.run->ststart();
    QCOMPARE(rig.sent.size(), 1);
    const Sent& s = rig.sent.first();
    QCOMPARE(s.frame, kRun);
    QCOMPARE(s.tset, 0);
    QVERIFY(s.timerActive);
    QVERIFY(!s.labelsVisible);
    QVERIFY(rig.run->labelsVisible());
    // The captions keep the last run's time until the first tick.
    QCOMPARE(rig.captions(), QStringList({"0", "0", "7"}));
    rig.run->tick();
    QCOMPARE(rig.captions(), QStringList({"0", "0", "1"}));
}

void TestTimedRun::pauseOrder()
{
    Rig rig;
    rig.setDuration(QStringLiteral("5"));
    rig.run->ststart();
    for (int n = 0; n < 10; ++n)
        rig.run->tick();
    rig.run->stzanting();
    QCOMPARE(rig.frames(), QStringList({kRun, kStop}));
    QVERIFY(!rig.sent.last().timerActive);
    QVERIFY(!rig.run->timer1().isActive());
    // Count, duration and display stay as they are.
    QCOMPARE(rig.run->tset(), 10);
    QCOMPARE(rig.run->timeset(), 5.0);
    QVERIFY(rig.run->labelsVisible());
    QCOMPARE(rig.captions(), QStringList({"0", "0", "10"}));
}

void TestTimedRun::continueOrder()
{
    Rig rig;
    rig.run->stcontiune();
    QCOMPARE(rig.frames(), QStringList{kRun});
    QVERIFY(rig.sent.last().timerActive);
    QVERIFY(rig.run->timer1().isActive());
    // Continue from idle counts with the display hidden.
    QVERIFY(!rig.run->labelsVisible());
}

// End: duration to 0, timer off, stop frame, then the display disappears;
// the count is left alone.
void TestTimedRun::endOrder()
{
    Rig rig;
    rig.setDuration(QStringLiteral("5"));
    rig.run->ststart();
    for (int n = 0; n < 12; ++n)
        rig.run->tick();
    rig.run->stend();
    QCOMPARE(rig.frames(), QStringList({kRun, kStop}));
    const Sent& s = rig.sent.last();
    QCOMPARE(s.timeset, 0.0);
    QVERIFY(!s.timerActive);
    QVERIFY(s.labelsVisible);
    QVERIFY(!rig.run->labelsVisible());
    QCOMPARE(rig.run->timeset(), 0.0);
    QCOMPARE(rig.run->tset(), 12);
    QCOMPARE(rig.captions(), QStringList({"0", "0", "12"}));
}

// The captions are written before the comparison; the stop frame goes out
// before the count is reset and the timer switched off.
void TestTimedRun::automaticStopOrder()
{
    Rig rig;
    rig.setDuration(QStringLiteral("0.05"));
    rig.run->ststart();
    QCOMPARE(rig.tickUntilFrame(10), 3);
    const Sent& s = rig.sent.last();
    QCOMPARE(s.frame, kStop);
    QCOMPARE(s.tset, 3);
    QCOMPARE(s.lsed, QStringLiteral("3"));
    QVERIFY(s.timerActive);
    QVERIFY(s.labelsVisible);
    QCOMPARE(rig.run->tset(), 0);
    QVERIFY(!rig.run->timer1().isActive());
    QCOMPARE(rig.run->timeset(), 0.05);
}

void TestTimedRun::pauseAndContinue()
{
    Rig rig;
    rig.setDuration(QStringLiteral("1"));
    rig.run->ststart();
    for (int n = 0; n < 10; ++n)
        rig.run->tick();
    rig.run->stzanting();
    rig.run->stcontiune();
    QCOMPARE(rig.frames(), QStringList({kRun, kStop, kRun}));
    QCOMPARE(rig.run->tset(), 10);
    QCOMPARE(rig.tickUntilFrame(100), 50);
    QCOMPARE(rig.frames(), QStringList({kRun, kStop, kRun, kStop}));
    QCOMPARE(rig.captions(), QStringList({"0", "1", "0"}));
}

void TestTimedRun::durationChangedMidRun()
{
    Rig rig;
    rig.setDuration(QStringLiteral("10"));
    rig.run->ststart();
    for (int n = 0; n < 100; ++n)
        rig.run->tick();
    QCOMPARE(rig.frames(), QStringList{kRun});
    rig.setDuration(QStringLiteral("1"));
    QVERIFY(rig.run->timer1().isActive());
    QCOMPARE(rig.tickUntilFrame(5), 1);
    QCOMPARE(rig.sent.last().tset, 101);
    QCOMPARE(rig.captions(), QStringList({"0", "1", "41"}));

    // Lengthening works the same way: the new value governs the next tick.
    Rig longer;
    longer.setDuration(QStringLiteral("1"));
    longer.run->ststart();
    for (int n = 0; n < 30; ++n)
        longer.run->tick();
    longer.setDuration(QStringLiteral("2"));
    QCOMPARE(longer.tickUntilFrame(200), 90);
}

void TestTimedRun::endThenContinue()
{
    Rig rig;
    rig.setDuration(QStringLiteral("5"));
    rig.run->ststart();
    for (int n = 0; n < 20; ++n)
        rig.run->tick();
    rig.run->stend();
    rig.run->stcontiune();
    QVERIFY(!rig.run->labelsVisible());
    QCOMPARE(rig.tickUntilFrame(5), 1);
    QCOMPARE(rig.frames(), QStringList({kRun, kStop, kRun, kStop}));
    QCOMPARE(rig.sent.last().tset, 21);
    QVERIFY(!rig.sent.last().labelsVisible);
    QCOMPARE(rig.run->tset(), 0);
    QVERIFY(!rig.run->labelsVisible());
    QVERIFY(!rig.run->timer1().isActive());
}

void TestTimedRun::stopFrameWithNothingRunning_data()
{
    QTest::addColumn<bool>("end");
    QTest::addColumn<bool>("afterFinishedRun");
    QTest::newRow("pause at start-up") << false << false;
    QTest::newRow("end at start-up") << true << false;
    QTest::newRow("pause after a finished run") << false << true;
    QTest::newRow("end after a finished run") << true << true;
}

void TestTimedRun::stopFrameWithNothingRunning()
{
    QFETCH(bool, end);
    QFETCH(bool, afterFinishedRun);
    Rig rig;
    if (afterFinishedRun) {
        rig.run->ststart();
        rig.run->tick();
        QVERIFY(!rig.run->timer1().isActive());
    }
    rig.sent.clear();
    end ? rig.run->stend() : rig.run->stzanting();
    QCOMPARE(rig.frames(), QStringList{kStop});
    QVERIFY(!rig.run->timer1().isActive());
    // Pause leaves the display as it was; End hides it.
    QCOMPARE(rig.run->labelsVisible(), afterFinishedRun && !end);
    // A second press sends the stop frame again.
    end ? rig.run->stend() : rig.run->stzanting();
    QCOMPARE(rig.frames(), QStringList({kStop, kStop}));
}

void TestTimedRun::startTwice()
{
    Rig rig;
    rig.setDuration(QStringLiteral("1"));
    rig.run->ststart();
    for (int n = 0; n < 40; ++n)
        rig.run->tick();
    rig.run->ststart();
    QCOMPARE(rig.frames(), QStringList({kRun, kRun}));
    QCOMPARE(rig.run->tset(), 0);
    QVERIFY(rig.run->timer1().isActive());
    QVERIFY(rig.run->labelsVisible());
    QCOMPARE(rig.tickUntilFrame(100), 60);
}

// Continue after the automatic stop counts a whole duration again from 0,
// without resetting the captions first.
void TestTimedRun::continueAfterFinishedRun()
{
    Rig rig;
    rig.setDuration(QStringLiteral("0.5"));
    rig.run->ststart();
    QCOMPARE(rig.tickUntilFrame(100), 30);
    rig.run->stcontiune();
    QCOMPARE(rig.captions(), QStringList({"0", "0", "30"}));
    QCOMPARE(rig.tickUntilFrame(100), 30);
    QCOMPARE(rig.frames(), QStringList({kRun, kStop, kRun, kStop}));
}

void TestTimedRun::continueWhileCountingKeepsCadence()
{
    Rig rig;
    rig.setDuration(QStringLiteral("1"));
    rig.run->ststart();
    // A short real wait so a restarted second would show; no tick is needed.
    QTest::qWait(300);
    const int before = rig.run->timer1().remainingTime();
    rig.run->stcontiune();
    // Still running on the same second (a restart would put it back to 1000).
    QVERIFY(rig.run->timer1().isActive());
    QVERIFY2(rig.run->timer1().remainingTime() <= before,
             qPrintable(QStringLiteral("%1 > %2").arg(rig.run->timer1().remainingTime()).arg(before)));
    QCOMPARE(rig.frames(), QStringList({kRun, kRun}));
}

void TestTimedRun::displayChangedSignal()
{
    Rig rig;
    QSignalSpy spy(rig.run.get(), &TimedRun::displayChanged);
    rig.setDuration(QStringLiteral("1"));
    rig.run->stcontiune();
    rig.run->stzanting();
    QCOMPARE(spy.count(), 0);  // nothing shown or written
    rig.run->ststart();
    QCOMPARE(spy.count(), 1);  // shown
    rig.run->tick();
    QCOMPARE(spy.count(), 2);  // captions
    rig.run->ststart();
    QCOMPARE(spy.count(), 2);  // already shown
    rig.run->stend();
    QCOMPARE(spy.count(), 3);  // hidden
}

QTEST_GUILESS_MAIN(TestTimedRun)
#include "test_timedrun.moc"
