#include "link/answers.h"

#include <QtTest>

class TestAnswers : public QObject {
    Q_OBJECT
private slots:
    void answers_data();
    void answers();
    void cursorWrapsAfterAHundred();
    void nonNumericPnowKeepsTheOldReading();
};

void TestAnswers::answers_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("pnow");
    QTest::addColumn<QString>("prset");
    QTest::addColumn<QString>("lqset");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<double>("reading");

    QTest::newRow("N sets pnow") << QByteArray("Q01N01.5Y") << "01.5" << "02.0" << "0000" << true << 1.5;
    QTest::newRow("any pump number") << QByteArray("Q07N01.0Y") << "01.0" << "02.0" << "0000" << true << 1.0;
    QTest::newRow("P with point") << QByteArray("Q01P02.0Y") << "00.0" << "02.0" << "0000" << true << 0.0;
    QTest::newRow("P without point") << QByteArray("Q01P0200Y") << "00.0" << "02.0" << "0000" << true << 0.0;
    QTest::newRow("P 1.5") << QByteArray("Q01P01.5Y") << "00.0" << "01.5" << "0000" << true << 0.0;
    QTest::newRow("L sets lqset") << QByteArray("Q01L0150Y") << "00.0" << "02.0" << "0150" << true << 0.0;
    QTest::newRow("other letter") << QByteArray("Q01X1234Y") << "00.0" << "02.0" << "0000" << true << 0.0;
    QTest::newRow("N not a number") << QByteArray("Q01NABCDY") << "ABCD" << "02.0" << "0000" << false << 0.0;
    QTest::newRow("N negative") << QByteArray("Q01N-0.5Y") << "-0.5" << "02.0" << "0000" << true << -0.5;
}

void TestAnswers::answers()
{
    QFETCH(QByteArray, frame);
    QFETCH(QString, pnow);
    QFETCH(QString, prset);
    QFETCH(QString, lqset);
    QFETCH(bool, stored);
    QFETCH(double, reading);

    PanelState state;
    state.prtrend[1] = 7;  // what a previous sweep left
    const AnswerOutcome outcome = applyAnswer(state, frame);
    QCOMPARE(state.pnow, pnow);
    QCOMPARE(state.prset, prset);
    QCOMPARE(state.lqset, lqset);
    QCOMPARE(outcome.stored, stored);
    QCOMPARE(outcome.cursor, 0);
    QCOMPARE(state.itime, qint16(1));
    QCOMPARE(state.prtrend[1], stored ? reading : 7.0);
    QCOMPARE(state.prtrend[0], 0.0);
}

void TestAnswers::cursorWrapsAfterAHundred()
{
    PanelState state;
    for (int i = 0; i < 99; ++i) {
        const AnswerOutcome o = applyAnswer(state, QByteArray("Q01N01.") + QByteArray::number(i % 10) + "Y");
        QCOMPARE(o.cursor, i);
        QVERIFY(!o.wrapped);
    }
    QCOMPARE(state.itime, qint16(99));
    const AnswerOutcome last = applyAnswer(state, "Q01N01.9Y");
    QCOMPARE(last.cursor, 99);
    QVERIFY(last.wrapped);
    QCOMPARE(state.itime, qint16(0));
    QCOMPARE(state.prtrend[100], 1.9);
    QCOMPARE(state.prtrend[101], 0.0);
    QCOMPARE(state.prtrend[102], 0.0);
    // The next sweep starts at position 0 and overwrites element 1.
    const AnswerOutcome next = applyAnswer(state, "Q01N00.2Y");
    QCOMPARE(next.cursor, 0);
    QCOMPARE(state.prtrend[1], 0.2);
    QCOMPARE(state.prtrend[2], 1.1);
}

void TestAnswers::nonNumericPnowKeepsTheOldReading()
{
    PanelState state;
    for (int i = 0; i < 100; ++i)
        applyAnswer(state, "Q01N01.2Y");
    // Second sweep: an answer that leaves pnow non-numeric keeps element 1
    // from the first sweep, and the "L" answer after it does too.
    applyAnswer(state, "Q01N--.-Y");
    applyAnswer(state, "Q01L0100Y");
    QCOMPARE(state.prtrend[1], 1.2);
    QCOMPARE(state.prtrend[2], 1.2);
    QCOMPARE(state.itime, qint16(2));
    // A P answer after a numeric N repeats the last pressure shown.
    applyAnswer(state, "Q01N00.7Y");
    applyAnswer(state, "Q01P01.0Y");
    QCOMPARE(state.prtrend[3], 0.7);
    QCOMPARE(state.prtrend[4], 0.7);
}

QTEST_GUILESS_MAIN(TestAnswers)
#include "test_answers.moc"
