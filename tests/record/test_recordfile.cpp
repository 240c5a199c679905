#include "record/recordfile.h"
#include "record/savebuffer.h"

#include <QtTest>

#include <cmath>
#include <vector>

using Values = std::vector<double>;
Q_DECLARE_METATYPE(Values)

class TestRecordFile : public QObject {
    Q_OBJECT
private slots:
    void recordText_data();
    void recordText();
    void recordTextUsesTheGivenSeparator();
    void lastLine_data();
    void lastLine();
    void bufferKeepsValuesInOrder();
    void bufferStopsAtOneMillion();
};

void TestRecordFile::recordText_data()
{
    QTest::addColumn<Values>("values");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("no values: empty file") << Values{} << QByteArray();
    QTest::newRow("five: one line with its break")
        << Values{1, 2, 3, 4, 5} << QByteArray(" 1  2  3  4  5 \r\n");
    QTest::newRow("six: second line without a break")
        << Values{1, 2, 3, 4, 5, 6} << QByteArray(" 1  2  3  4  5 \r\n 6 ");
    QTest::newRow("seven, mixed signs")
        << Values{1, 2.5, -0.75, 3, 4, 5, 6} << QByteArray(" 1  2.5 -0.75  3  4 \r\n 5  6 ");
    QTest::newRow("ten: both lines broken")
        << Values{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}
        << QByteArray(" 1  2  3  4  5 \r\n 6  7  8  9  10 \r\n");
    QTest::newRow("zero") << Values{0} << QByteArray(" 0 ");
    QTest::newRow("negative zero counts as zero") << Values{-0.0} << QByteArray(" 0 ");
    QTest::newRow("half") << Values{0.5} << QByteArray(" 0.5 ");
    QTest::newRow("minus two") << Values{-2} << QByteArray("-2 ");
    QTest::newRow("tiny") << Values{1e-5} << QByteArray(" 1E-05 ");
    QTest::newRow("tiny negative") << Values{-1e-5} << QByteArray("-1E-05 ");
    QTest::newRow("huge") << Values{1.5e16} << QByteArray(" 1.5E+16 ");
    QTest::newRow("pressure reading") << Values{1.2} << QByteArray(" 1.2 ");
    QTest::newRow("fifteen significant digits")
        << Values{0.1 + 0.2} << QByteArray(" 0.3 ");
    QTest::newRow("whole number without separator") << Values{100} << QByteArray(" 100 ");
}

void TestRecordFile::recordText()
{
    QFETCH(Values, values);
    QFETCH(QByteArray, expected);
    QCOMPARE(recordfile::recordText(values, QLatin1Char('.')).toLatin1(), expected);
}

void TestRecordFile::recordTextUsesTheGivenSeparator()
{
    QCOMPARE(recordfile::recordText({2.5, -0.75, 1.5e16}, QLatin1Char(',')),
             QStringLiteral(" 2,5 -0,75  1,5E+16 "));
}

void TestRecordFile::lastLine_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty file") << "" << "";
    QTest::newRow("one line, no break") << " 1  2 " << " 1  2 ";
    QTest::newRow("one line with CR LF") << " 1  2 \r\n" << " 1  2 ";
    QTest::newRow("saved seven values") << " 1  2.5 -0.75  3  4 \r\n 5  6 " << " 5  6 ";
    QTest::newRow("saved five values") << " 1  2  3  4  5 \r\n" << " 1  2  3  4  5 ";
    QTest::newRow("saved ten values") << " 1  2  3  4  5 \r\n 6  7  8  9  10 \r\n"
                                      << " 6  7  8  9  10 ";
    QTest::newRow("LF ends") << "a\nb\n" << "b";
    QTest::newRow("CR ends") << "a\rb" << "b";
    QTest::newRow("only a line break") << "\r\n" << "";
    QTest::newRow("trailing empty line") << "a\r\n\r\n" << "";
    QTest::newRow("CR then CR LF is two lines") << "a\r\r\n" << "";
}

void TestRecordFile::lastLine()
{
    QFETCH(QString, content);
    QFETCH(QString, expected);
    QCOMPARE(recordfile::lastLine(content), expected);
}

void TestRecordFile::bufferKeepsValuesInOrder()
{
    SaveBuffer buffer;
    QCOMPARE(buffer.saveprcout(), 0);
    QCOMPARE(buffer.append(1.5), SaveBuffer::Append::Stored);
    QCOMPARE(buffer.append(-0.25), SaveBuffer::Append::Stored);
    QCOMPARE(buffer.saveprcout(), 2);
    QCOMPARE(buffer.at(1), 1.5);
    QCOMPARE(buffer.at(2), -0.25);
    QCOMPARE(buffer.saveprdata(), (Values{1.5, -0.25}));
    QVERIFY(!buffer.isFull());
}

void TestRecordFile::bufferStopsAtOneMillion()
{
    SaveBuffer buffer;
    int becameFull = 0;
    int refused = 0;
    qint32 fullAt = 0;
    const double* firstPlace = nullptr;
    for (int k = 1; k <= 1000001; ++k) {
        const SaveBuffer::Append result = buffer.append(k);
        if (k == int(SaveBuffer::kFirstBlock) + 1)
            firstPlace = buffer.saveprdata().data();
        switch (result) {
        case SaveBuffer::Append::Stored:
            break;
        case SaveBuffer::Append::BecameFull:
            ++becameFull;
            fullAt = k;
            break;
        case SaveBuffer::Append::AlreadyFull:
            ++refused;
            break;
        }
    }
    QCOMPARE(buffer.saveprcout(), 1000000);
    QCOMPARE(becameFull, 1);
    QCOMPARE(fullAt, 1000000);
    QCOMPARE(refused, 1);
    QVERIFY(buffer.isFull());
    QCOMPARE(buffer.at(1), 1.0);
    QCOMPARE(buffer.at(1000000), 1000000.0);
    // Past the first block, filling never moved the values: no moment with
    // two copies of them.
    QCOMPARE(buffer.saveprdata().data(), firstPlace);
    QCOMPARE(buffer.append(7), SaveBuffer::Append::AlreadyFull);
    QCOMPARE(buffer.saveprcout(), 1000000);
}

QTEST_GUILESS_MAIN(TestRecordFile)
#include "test_recordfile.moc"
