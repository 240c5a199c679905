#include "link/framer.h"

#include <QtTest>

class TestFramer : public QObject {
    Q_OBJECT
private slots:
    void splitAtEveryPosition();
    void chunkings_data();
    void chunkings();
    void tailIsBounded();
    void staleTailIsDropped();
    void freshTailIsKept();
};

namespace {
const QByteArray kA = "Q01N01.5Y";
const QByteArray kB = "Q01P02.0Y";
const QByteArray kC = "Q07L0150Y";

QList<QByteArray> feedAll(AnswerFramer& framer, const QList<QByteArray>& reads, qint64 stepMs = 10)
{
    QList<QByteArray> out;
    qint64 now = 0;
    for (const QByteArray& r : reads) {
        out += framer.feed(r, now);
        now += stepMs;
    }
    return out;
}
}  // namespace

void TestFramer::splitAtEveryPosition()
{
    for (int cut = 0; cut <= kA.size(); ++cut) {
        AnswerFramer framer;
        const auto found = feedAll(framer, {kA.left(cut), kA.mid(cut)});
        QCOMPARE(found, QList<QByteArray>{kA});
        QVERIFY(framer.tail().isEmpty());
    }
    // And byte by byte.
    AnswerFramer framer;
    QList<QByteArray> bytes;
    for (char c : kA)
        bytes << QByteArray(1, c);
    QCOMPARE(feedAll(framer, bytes), QList<QByteArray>{kA});
}

void TestFramer::chunkings_data()
{
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<QList<QByteArray>>("expected");
    using L = QList<QByteArray>;

    QTest::newRow("one answer") << L{kA} << L{kA};
    QTest::newRow("two merged") << L{kA + kB} << L{kA, kB};
    QTest::newRow("three merged") << L{kA + kB + kC} << L{kA, kB, kC};
    QTest::newRow("merged and split") << L{kA + kB.left(4), kB.mid(4) + kC} << L{kA, kB, kC};
    QTest::newRow("garbage before") << L{"\x00\xff#zz" + kA} << L{kA};
    QTest::newRow("garbage between") << L{kA + "xx\r\n" + kB} << L{kA, kB};
    QTest::newRow("lower-case q") << L{"q01N01.5Y"} << L{};
    QTest::newRow("lower-case q then answer") << L{"q01N01.5Y" + kB} << L{kB};
    QTest::newRow("wrong ninth") << L{"Q01N01.5y"} << L{};
    QTest::newRow("wrong ninth, answer hidden inside") << L{"QQ01N01.5Y"} << L{kA};
    QTest::newRow("wrong ninth then answer") << L{"Q01N01.5X" + kC} << L{kC};
    QTest::newRow("eight characters") << L{"Q01N01.5"} << L{};
    QTest::newRow("long garbage without Q") << L{QByteArray(5000, 'x')} << L{};
    QTest::newRow("extra after Y") << L{kA + "ZZ"} << L{kA};
    QTest::newRow("half answer then a whole one") << L{"Q01N0", kB} << L{kB};
    QTest::newRow("Q inside value field") << L{"Q01NQ1.5Y"} << L{"Q01NQ1.5Y"};
}

void TestFramer::chunkings()
{
    QFETCH(QList<QByteArray>, reads);
    QFETCH(QList<QByteArray>, expected);
    AnswerFramer framer;
    QCOMPARE(feedAll(framer, reads), expected);
}

void TestFramer::tailIsBounded()
{
    AnswerFramer framer;
    for (int i = 0; i < 1000; ++i) {
        framer.feed("QQQQQQQQQQQQQxyz", i);
        QVERIFY(framer.tail().size() < AnswerFramer::kFrameLength);
    }
    framer.feed(QByteArray(100000, 'Q'), 2000);
    QVERIFY(framer.tail().size() < AnswerFramer::kFrameLength);
}

void TestFramer::staleTailIsDropped()
{
    AnswerFramer framer(1500);
    QVERIFY(framer.feed("Q01N0", 0).isEmpty());
    // Two seconds later the rest of some other answer arrives: the old half
    // must not be glued to it.
    QVERIFY(framer.feed("1.5Y" + kB, 2000) == QList<QByteArray>{kB});

    // A half answer trickling in byte by byte ages from its first byte: its
    // last byte, however fresh, does not keep it for bytes much later.
    for (int i = 0; i < 5; ++i)
        QVERIFY(framer.feed(QByteArray(1, "Q01N0"[i]), 3000 + i * 400).isEmpty());
    QCOMPARE(framer.feed("1.5Y" + kB, 4900), QList<QByteArray>{kB});
}

void TestFramer::freshTailIsKept()
{
    AnswerFramer framer(1500);
    QVERIFY(framer.feed("Q01N0", 0).isEmpty());
    QCOMPARE(framer.feed("1.5Y", 1400), QList<QByteArray>{kA});
    // A tail's age counts from its own first byte, not from an older one.
    QCOMPARE(framer.feed(kB + "Q07L", 1490), QList<QByteArray>{kB});
    QCOMPARE(framer.feed("0150Y", 2900), QList<QByteArray>{kC});
}

QTEST_GUILESS_MAIN(TestFramer)
#include "test_framer.moc"
