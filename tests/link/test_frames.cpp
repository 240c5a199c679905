#include "link/frames.h"

#include <QtTest>

class TestFrames : public QObject {
    Q_OBJECT
private slots:
    void frames_data();
    void frames();
    void fixedFramesAreNineCharacters();
    void pointIsAlwaysADotWhateverTheLocale();
};

void TestFrames::frames_data()
{
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("expected");

    QTest::newRow("run") << frames::kRun << "Q00R0000Y";
    QTest::newRow("stop") << frames::kStop << "Q00S0000Y";
    QTest::newRow("status") << frames::kStatus << "Q00F0000Y";
    QTest::newRow("flow dialog 120") << frames::flowDialogFrame(120) << "Q00L0120Y";
    QTest::newRow("flow dialog 120.5") << frames::flowDialogFrame(120.5) << "Q00L0121Y";
    QTest::newRow("flow dialog 499.5") << frames::flowDialogFrame(499.5) << "Q00L0500Y";
    QTest::newRow("flow dialog 1") << frames::flowDialogFrame(1) << "Q00L0001Y";
    QTest::newRow("pressure dialog 1.5") << frames::pressureDialogFrame(1.5) << "Q00P01.5Y";
    QTest::newRow("pressure dialog 1.25") << frames::pressureDialogFrame(1.25) << "Q00P01.3Y";
    QTest::newRow("pressure dialog 1.15") << frames::pressureDialogFrame(1.15) << "Q00P01.2Y";
    QTest::newRow("pressure dialog 0.05") << frames::pressureDialogFrame(0.05) << "Q00P00.1Y";
    QTest::newRow("pressure dialog 0") << frames::pressureDialogFrame(0) << "Q00P00.0Y";
    QTest::newRow("keypad flow pump 3") << "Q" + frames::keypadFlowBody(3, 120) << "Q03L0120Y";
    QTest::newRow("keypad flow pump 0") << "Q" + frames::keypadFlowBody(0, 0) << "Q00L0000Y";
    QTest::newRow("keypad pressure pump 12") << "Q" + frames::keypadPressureBody(12, 1.5) << "Q12P01.5Y";
    QTest::newRow("keypad body has no Q") << frames::keypadFlowBody(5, 120) << "05L0120Y";
    QTest::newRow("pump 100 widens the frame") << "Q" + frames::keypadFlowBody(100, 120) << "Q100L0120Y";
}

void TestFrames::frames()
{
    QFETCH(QString, frame);
    QFETCH(QString, expected);
    QCOMPARE(frame, expected);
}

void TestFrames::fixedFramesAreNineCharacters()
{
    for (const QString& f : {frames::kRun, frames::kStop, frames::kStatus, frames::flowDialogFrame(500),
                             frames::pressureDialogFrame(2)}) {
        QCOMPARE(f.size(), frames::kFrameLength);
        QCOMPARE(f.front(), QLatin1Char('Q'));
        QCOMPARE(f.back(), QLatin1Char('Y'));
    }
}

void TestFrames::pointIsAlwaysADotWhateverTheLocale()
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString frame = frames::pressureDialogFrame(1.5);
    QLocale::setDefault(saved);
    QCOMPARE(frame, QStringLiteral("Q00P01.5Y"));
    QCOMPARE(frame.at(6), QLatin1Char('.'));
}

QTEST_GUILESS_MAIN(TestFrames)
#include "test_frames.moc"
