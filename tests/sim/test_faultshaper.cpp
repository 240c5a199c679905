#include "sim/commandframer.h"
#include "sim/faultshaper.h"
#include "sim/pumpsimoptions.h"
#include "sim/serialline.h"

#include <QtTest>

using pumpsim::FaultOptions;
using pumpsim::FaultShaper;
using pumpsim::TimedWrite;

namespace {

QByteArray answerNo(int i)
{
    return "Q" + QByteArray::number(i % 100).rightJustified(2, '0') + "N"
           + QByteArray::number(i % 10000).rightJustified(4, '0') + "Y";
}

// Runs `count` answers, 5 ms apart, through a shaper and releases a held one
// at the end; returns every write in order.
QList<TimedWrite> run(const FaultOptions& options, int count, QByteArrayList* passed = nullptr)
{
    FaultShaper shaper(options);
    QList<TimedWrite> writes;
    for (int i = 0; i < count; ++i) {
        const qint64 refused = shaper.dropped() + shaper.silenced();
        writes += shaper.shape(answerNo(i), i * 5.0);
        if (passed && shaper.dropped() + shaper.silenced() == refused)
            *passed << answerNo(i);
    }
    writes += shaper.releaseHeld(count * 5.0);
    return writes;
}

}  // namespace

class TestFaultShaper : public QObject {
    Q_OBJECT
private slots:
    void wholeAnswerGoesOutAfterItsWireTime();
    void answersQueueOnTheLine();
    void delayAddsToTheWireTime();
    void splitGivesTwoPiecesInARow();
    void mergeSendsTwoAnswersInOnePiece();
    void heldAnswerGoesOutAloneInTheEnd();
    void everyPassedAnswerIsFoundAndCounted_data();
    void everyPassedAnswerIsFoundAndCounted();
    void dropLeavesAShareUnsent();
    void silentAfterN();
    void repeatableForASeed();

    void options_data();
    void options();
    void badOptionsAreRefused_data();
    void badOptionsAreRefused();
};

void TestFaultShaper::wholeAnswerGoesOutAfterItsWireTime()
{
    FaultShaper shaper;
    const QList<TimedWrite> w = shaper.shape("Q00N01.5Y", 100.0);
    QCOMPARE(w.size(), 1);
    QCOMPARE(w[0].bytes, QByteArray("Q00N01.5Y"));
    QCOMPARE(w[0].answers, 1);
    QCOMPARE(w[0].atMs, 100.0 + pumpsim::wireMs(9));
}

void TestFaultShaper::answersQueueOnTheLine()
{
    FaultShaper shaper;
    const QList<TimedWrite> a = shaper.shape("Q00N01.5Y", 0.0);
    const QList<TimedWrite> b = shaper.shape("Q00L0100Y", 0.0);
    QCOMPARE(b.size(), 1);
    QCOMPARE(b[0].atMs, a[0].atMs + pumpsim::wireMs(9));
}

void TestFaultShaper::delayAddsToTheWireTime()
{
    FaultOptions o;
    o.delayMs = 250;
    FaultShaper shaper(o);
    QCOMPARE(shaper.shape("Q00N01.5Y", 10.0).value(0).atMs, 10.0 + 250 + pumpsim::wireMs(9));
}

void TestFaultShaper::splitGivesTwoPiecesInARow()
{
    FaultOptions o;
    o.split = 1;
    QSet<int> cuts;
    for (quint32 seed = 1; seed <= 60; ++seed) {
        o.seed = seed;
        FaultShaper shaper(o);
        const QList<TimedWrite> w = shaper.shape("Q00N01.5Y", 0.0);
        QCOMPARE(w.size(), 2);
        QCOMPARE(w[0].bytes + w[1].bytes, QByteArray("Q00N01.5Y"));
        QCOMPARE(w[0].answers, 0);
        QCOMPARE(w[1].answers, 1);
        QVERIFY(w[1].atMs - w[0].atMs >= FaultShaper::kMinSplitGapMs);
        cuts << w[0].bytes.size();
    }
    QCOMPARE(cuts.size(), 8);  // every cut from 1 to 8 occurs
}

void TestFaultShaper::mergeSendsTwoAnswersInOnePiece()
{
    FaultOptions o;
    o.merge = 1;
    FaultShaper shaper(o);
    QVERIFY(shaper.shape("Q00N01.5Y", 0.0).isEmpty());
    QCOMPARE(shaper.heldUntil(), std::optional<double>(FaultShaper::kMergeHoldMs));
    const QList<TimedWrite> w = shaper.shape("Q00N01.6Y", 1500.0);
    QCOMPARE(w.size(), 1);
    QCOMPARE(w[0].bytes, QByteArray("Q00N01.5YQ00N01.6Y"));
    QCOMPARE(w[0].answers, 2);
    QVERIFY(!shaper.heldUntil());
}

void TestFaultShaper::heldAnswerGoesOutAloneInTheEnd()
{
    FaultOptions o;
    o.merge = 1;
    FaultShaper shaper(o);
    QVERIFY(shaper.shape("Q00L0100Y", 0.0).isEmpty());
    const QList<TimedWrite> w = shaper.releaseHeld(2000.0);
    QCOMPARE(w.size(), 1);
    QCOMPARE(w[0].bytes, QByteArray("Q00L0100Y"));
    QCOMPARE(w[0].answers, 1);
    QVERIFY(shaper.releaseHeld(3000.0).isEmpty());
}

void TestFaultShaper::everyPassedAnswerIsFoundAndCounted_data()
{
    QTest::addColumn<double>("split");
    QTest::addColumn<double>("merge");
    QTest::addColumn<double>("garbage");
    QTest::addColumn<double>("drop");
    QTest::newRow("garbage everywhere") << 0.0 << 0.0 << 1.0 << 0.0;
    QTest::newRow("split and garbage") << 1.0 << 0.0 << 1.0 << 0.0;
    QTest::newRow("merge, split, garbage") << 1.0 << 1.0 << 1.0 << 0.0;
    QTest::newRow("half of each, some dropped") << 0.5 << 0.5 << 0.5 << 0.2;
}

// A reader that resynchronises on "Q" must find exactly the answers that were
// let through, in order, and each write must count the answers it completes.
void TestFaultShaper::everyPassedAnswerIsFoundAndCounted()
{
    QFETCH(double, split);
    QFETCH(double, merge);
    QFETCH(double, garbage);
    QFETCH(double, drop);
    for (quint32 seed = 1; seed <= 5; ++seed) {
        FaultOptions o;
        o.split = split;
        o.merge = merge;
        o.garbage = garbage;
        o.drop = drop;
        o.seed = seed;
        QByteArrayList passed;
        const QList<TimedWrite> writes = run(o, 400, &passed);

        pumpsim::CommandFramer reader;
        QByteArrayList found;
        int counted = 0;
        double last = -1;
        qint64 bytes = 0;
        for (const TimedWrite& w : writes) {
            QVERIFY(w.atMs >= last);
            last = w.atMs;
            found += reader.push(w.bytes);
            counted += w.answers;
            QCOMPARE(counted, found.size());
            bytes += w.bytes.size();
        }
        QCOMPARE(found, passed);
        QCOMPARE(counted, passed.size());
        if (drop == 0)
            QCOMPARE(passed.size(), 400);
        if (garbage > 0)
            QVERIFY(bytes > 9 * passed.size());
    }
}

void TestFaultShaper::dropLeavesAShareUnsent()
{
    FaultOptions o;
    o.drop = 0.3;
    FaultShaper shaper(o);
    int sent = 0;
    for (int i = 0; i < 1000; ++i)
        sent += shaper.shape(answerNo(i), i * 10.0).size();
    QCOMPARE(sent + shaper.dropped(), qint64(1000));
    QVERIFY(shaper.dropped() > 230 && shaper.dropped() < 370);
}

void TestFaultShaper::silentAfterN()
{
    FaultOptions o;
    o.silentAfter = 3;
    FaultShaper shaper(o);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(shaper.shape(answerNo(i), i * 100.0).size(), 1);
    for (int i = 3; i < 10; ++i)
        QVERIFY(shaper.shape(answerNo(i), i * 100.0).isEmpty());
    QCOMPARE(shaper.silenced(), qint64(7));
}

void TestFaultShaper::repeatableForASeed()
{
    FaultOptions o;
    o.split = o.merge = o.garbage = o.drop = 0.5;
    const auto bytesOf = [](const QList<TimedWrite>& writes) {
        QByteArrayList out;
        for (const TimedWrite& w : writes)
            out << w.bytes;
        return out;
    };
    o.seed = 11;
    const QByteArrayList a = bytesOf(run(o, 50));
    QCOMPARE(bytesOf(run(o, 50)), a);
    o.seed = 12;
    QVERIFY(bytesOf(run(o, 50)) != a);
}

void TestFaultShaper::options_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<double>("split");
    QTest::addColumn<double>("merge");
    QTest::addColumn<double>("garbage");
    QTest::addColumn<double>("drop");
    QTest::addColumn<qint64>("silentAfter");
    QTest::addColumn<qint64>("exitAfter");
    QTest::addColumn<double>("flood");

    QTest::newRow("none") << QStringList{} << 0.0 << 0.0 << 0.0 << 0.0 << qint64(-1) << qint64(-1) << 0.0;
    QTest::newRow("bare shares mean every answer")
        << QStringList{"--split", "--merge", "--garbage"} << 1.0 << 1.0 << 1.0 << 0.0 << qint64(-1) << qint64(-1)
        << 0.0;
    QTest::newRow("shares") << QStringList{"--split=0.25", "--merge=0.5", "--garbage=0", "--drop=0.1"} << 0.25
                            << 0.5 << 0.0 << 0.1 << qint64(-1) << qint64(-1) << 0.0;
    QTest::newRow("silent") << QStringList{"--silent"} << 0.0 << 0.0 << 0.0 << 0.0 << qint64(0) << qint64(-1) << 0.0;
    QTest::newRow("silent after, exit after")
        << QStringList{"--silent-after=4", "--exit-after=9"} << 0.0 << 0.0 << 0.0 << 0.0 << qint64(4) << qint64(9)
        << 0.0;
    QTest::newRow("flood at line rate") << QStringList{"--flood=106", "--duration=2.5"} << 0.0 << 0.0 << 0.0 << 0.0
                                        << qint64(-1) << qint64(-1) << 106.0;
}

void TestFaultShaper::options()
{
    QFETCH(QStringList, args);
    const pumpsim::ParsedPumpSimOptions p = pumpsim::parsePumpSimOptions(args);
    QVERIFY2(p.error.isEmpty(), qPrintable(p.error));
    QVERIFY(!p.help);
    QTEST(p.options.faults.split, "split");
    QTEST(p.options.faults.merge, "merge");
    QTEST(p.options.faults.garbage, "garbage");
    QTEST(p.options.faults.drop, "drop");
    QTEST(p.options.faults.silentAfter, "silentAfter");
    QTEST(p.options.exitAfterAnswers, "exitAfter");
    QTEST(p.options.floodRate, "flood");
}

void TestFaultShaper::badOptionsAreRefused_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("unknown") << QStringList{"--frobnicate"};
    QTest::newRow("not an option") << QStringList{"/dev/pts/3"};
    QTest::newRow("share above 1") << QStringList{"--split=1.5"};
    QTest::newRow("share not a number") << QStringList{"--garbage=lots"};
    QTest::newRow("drop needs a share") << QStringList{"--drop"};
    QTest::newRow("negative delay") << QStringList{"--delay=-5"};
    QTest::newRow("exit after 0") << QStringList{"--exit-after=0"};
    QTest::newRow("flood above line rate") << QStringList{"--flood=200"};
    QTest::newRow("silent with value") << QStringList{"--silent=3"};
    QTest::newRow("link without path") << QStringList{"--link"};
    QTest::newRow("seed negative") << QStringList{"--seed=-1"};
}

void TestFaultShaper::badOptionsAreRefused()
{
    QFETCH(QStringList, args);
    const pumpsim::ParsedPumpSimOptions p = pumpsim::parsePumpSimOptions(args);
    QVERIFY(!p.error.isEmpty());
}

QTEST_GUILESS_MAIN(TestFaultShaper)
#include "test_faultshaper.moc"
