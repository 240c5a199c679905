// What the fuzz targets found, kept as plain cases. (Their inputs are also in
// fuzz/corpus/, which the replay tests run.)
#include "link/portnames.h"

#include <QtTest>

class TestFoundByFuzzing : public QObject {
    Q_OBJECT
private slots:
    void portAnswerWithABlankInsideNamesNoDevice_data();
    void portAnswerWithABlankInsideNamesNoDevice();
};

// A blank inside the port answer makes two words whatever blank it is; before,
// only ASCII blanks counted, and "COM<no-break space>7" went to the port as a
// device name with a space in it.
void TestFoundByFuzzing::portAnswerWithABlankInsideNamesNoDevice_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("device");
    QTest::newRow("no-break space") << QStringLiteral("COM\u00a07") << QString();
    QTest::newRow("ideographic space") << QStringLiteral("/dev/pts\u30005") << QString();
    QTest::newRow("thin space") << QStringLiteral("tty\u2009USB0") << QString();
    QTest::newRow("line separator") << QStringLiteral("COM\u20287") << QString();
    QTest::newRow("tab") << QStringLiteral("COM\t7") << QString();
    QTest::newRow("blanks of any kind around") << QStringLiteral("\u3000ttyUSB0\u00a0") << QStringLiteral("/dev/ttyUSB0");
    QTest::newRow("one word") << QStringLiteral("COM7") << QStringLiteral("COM7");
}

void TestFoundByFuzzing::portAnswerWithABlankInsideNamesNoDevice()
{
    QFETCH(QString, answer);
    QFETCH(QString, device);
    QCOMPARE(deviceForAnswer(answer).value_or(QString()), device);
}

QTEST_GUILESS_MAIN(TestFoundByFuzzing)
#include "test_foundbyfuzzing.moc"
