#include "fakes/fakedialogs.h"
#include "fakes/fakeprinter.h"
#include "fakes/fakerecordstore.h"
#include "platform/qtrecordstore.h"
#include "record/recorder.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kSaved = QStringLiteral("当前压力数值以存储");
const QString kSavedCaption = QStringLiteral("存储数据");

// Notes what the record file held when each message was shown, to check that
// the save is complete before it is confirmed.
class SnoopingDialogs : public FakeDialogs {
public:
    explicit SnoopingDialogs(const FakeRecordStore& store) : m_store(store) {}
    void messageBox(const QString& text, const QString& caption) override
    {
        FakeDialogs::messageBox(text, caption);
        fileAtMessage.append(m_store.content);
    }
    QByteArrayList fileAtMessage;

private:
    const FakeRecordStore& m_store;
};

}  // namespace

class TestRecorder : public QObject {
    Q_OBJECT
private slots:
    void saveWritesTheRecordThenConfirms();
    void saveOfNothingWritesAnEmptyFile();
    void saveTwiceWritesTheSameAndKeepsTheBuffer();
    void saveUsesTheLocaleSeparator();
    void failedSaveSaysWhyAndNeverConfirms();
    void readGivesTheLastLine();
    void readOfAMissingFileSaysNoRecordYet();
    void readFailureSaysWhy();
    void saveAndReadThroughTheDisk();
    void print_data();
    void print();
    void printStopsQuietlyAtThePrintersError();
};

void TestRecorder::saveWritesTheRecordThenConfirms()
{
    FakeRecordStore store;
    SnoopingDialogs dialogs(store);
    FakePrinter printer;
    Recorder recorder(store, printer, dialogs, QLocale::c());
    SaveBuffer buffer;
    for (double v : {1.0, 2.5, -0.75, 3.0, 4.0, 5.0, 6.0})
        buffer.append(v);

    QVERIFY(recorder.save(buffer));
    const QByteArray expected(" 1  2.5 -0.75  3  4 \r\n 5  6 ");
    QCOMPARE(store.content, expected);
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages[0].text, kSaved);
    QCOMPARE(dialogs.messages[0].caption, kSavedCaption);
    QCOMPARE(dialogs.fileAtMessage[0], expected);
    QVERIFY(dialogs.inputs.isEmpty());
}

void TestRecorder::saveOfNothingWritesAnEmptyFile()
{
    FakeRecordStore store;
    store.exists = true;
    store.content = "old record\r\n";
    FakeDialogs dialogs;
    FakePrinter printer;
    Recorder recorder(store, printer, dialogs, QLocale::c());
    SaveBuffer buffer;

    QVERIFY(recorder.save(buffer));
    QCOMPARE(store.saves, 1);
    QVERIFY(store.content.isEmpty());
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages[0].text, kSaved);
}

void TestRecorder::saveTwiceWritesTheSameAndKeepsTheBuffer()
{
    FakeRecordStore store;
    FakeDialogs dialogs;
    FakePrinter printer;
    Recorder recorder(store, printer, dialogs, QLocale::c());
    SaveBuffer buffer;
    for (int k = 1; k <= 6; ++k)
        buffer.append(k * 0.1);

    QVERIFY(recorder.save(buffer));
    const QByteArray first = store.content;
    QVERIFY(recorder.save(buffer));
    QCOMPARE(store.content, first);
    QCOMPARE(first, QByteArray(" 0.1  0.2  0.3  0.4  0.5 \r\n 0.6 "));
    QCOMPARE(buffer.saveprcout(), 6);
    QCOMPARE(dialogs.messages.size(), 2);
}

void TestRecorder::saveUsesTheLocaleSeparator()
{
    FakeRecordStore store;
    FakeDialogs dialogs;
    FakePrinter printer;
    Recorder recorder(store, printer, dialogs, QLocale(QLocale::German, QLocale::Germany));
    SaveBuffer buffer;
    buffer.append(1.5);
    buffer.append(-0.25);

    QVERIFY(recorder.save(buffer));
    QCOMPARE(store.content, QByteArray(" 1,5 -0,25 "));
}

void TestRecorder::failedSaveSaysWhyAndNeverConfirms()
{
    FakeRecordStore store;
    store.exists = true;
    store.content = " 9 ";
    store.failWith = QStringLiteral("No space left on device");
    FakeDialogs dialogs;
    FakePrinter printer;
    Recorder recorder(store, printer, dialogs, QLocale::c());
    SaveBuffer buffer;
    buffer.append(1);

    QVERIFY(!recorder.save(buffer));
    QCOMPARE(store.content, QByteArray(" 9 "));
    QCOMPARE(dialogs.messages.size(), 1);
    const QString text = dialogs.messages[0].text;
    QVERIFY2(text.contains(store.filePath), qPrintable(text));
    QVERIFY2(text.contains(store.failWith), qPrintable(text));
    QVERIFY(!text.contains(kSaved));
    QCOMPARE(dialogs.messages[0].caption, kSavedCaption);
}

void TestRecorder::readGivesTheLastLine()
{
    FakeRecordStore store;
    store.exists = true;
    store.content = " 1  2.5 -0.75  3  4 \r\n 5  6 ";
    FakeDialogs dialogs;
    FakePrinter printer;
    Recorder recorder(store, printer, dialogs, QLocale::c());

    QCOMPARE(recorder.readLastLine(), QStringLiteral(" 5  6 "));
    store.content.clear();
    QCOMPARE(recorder.readLastLine(), QString());
    QVERIFY(dialogs.messages.isEmpty());
}

void TestRecorder::readOfAMissingFileSaysNoRecordYet()
{
    FakeRecordStore store;
    FakeDialogs dialogs;
    FakePrinter printer;
    Recorder recorder(store, printer, dialogs, QLocale::c());

    QCOMPARE(recorder.readLastLine(), QString());
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY(dialogs.messages[0].text.contains(QStringLiteral("还没有存储过")));
    QVERIFY(dialogs.messages[0].text.contains(store.filePath));
}

void TestRecorder::readFailureSaysWhy()
{
    FakeRecordStore store;
    store.exists = true;
    store.content = " 1 ";
    store.readFailure = QStringLiteral("Permission denied");
    FakeDialogs dialogs;
    FakePrinter printer;
    Recorder recorder(store, printer, dialogs, QLocale::c());

    QCOMPARE(recorder.readLastLine(), QString());
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY(dialogs.messages[0].text.contains(store.readFailure));
    QVERIFY(dialogs.messages[0].text.contains(store.filePath));
}

void TestRecorder::saveAndReadThroughTheDisk()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    platform::QtRecordStore store(dir.filePath(QStringLiteral("mytext.txt")));
    FakeDialogs dialogs;
    FakePrinter printer;
    Recorder recorder(store, printer, dialogs, QLocale::c());
    SaveBuffer buffer;

    QCOMPARE(recorder.readLastLine(), QString());  // no record yet
    QCOMPARE(dialogs.messages.size(), 1);

    for (int k = 1; k <= 5; ++k)
        buffer.append(k);
    QVERIFY(recorder.save(buffer));
    QCOMPARE(recorder.readLastLine(), QStringLiteral(" 1  2  3  4  5 "));  // final break
    buffer.append(6);
    buffer.append(7);
    QVERIFY(recorder.save(buffer));
    QCOMPARE(recorder.readLastLine(), QStringLiteral(" 6  7 "));

    QFile file(dir.filePath(QStringLiteral("mytext.txt")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray(" 1  2  3  4  5 \r\n 6  7 "));
}

void TestRecorder::print_data()
{
    QTest::addColumn<std::optional<int>>("copies");
    QTest::addColumn<int>("jobs");

    QTest::newRow("one copy") << std::optional<int>(1) << 1;
    QTest::newRow("three copies, three jobs") << std::optional<int>(3) << 3;
    QTest::newRow("cancel") << std::optional<int>() << 0;
    QTest::newRow("zero copies") << std::optional<int>(0) << 0;
    QTest::newRow("more copies than a 16-bit count holds") << std::optional<int>(40000) << 0;
}

void TestRecorder::print()
{
    QFETCH(std::optional<int>, copies);
    QFETCH(int, jobs);

    FakeRecordStore store;
    FakeDialogs dialogs;
    FakePrinter printer;
    printer.copies = copies;
    Recorder recorder(store, printer, dialogs, QLocale::c());

    QCOMPARE(recorder.print(), jobs);
    QCOMPARE(printer.dialogs, 1);
    QCOMPARE(printer.jobs.size(), jobs);
    for (const QString& line : printer.jobs)
        QCOMPARE(line, QStringLiteral("打印测试"));
    QVERIFY(dialogs.messages.isEmpty());
    QVERIFY(dialogs.inputs.isEmpty());
}

void TestRecorder::printStopsQuietlyAtThePrintersError()
{
    FakeRecordStore store;
    FakeDialogs dialogs;
    FakePrinter printer;
    printer.copies = 3;
    printer.failFromJob = 2;
    Recorder recorder(store, printer, dialogs, QLocale::c());

    QCOMPARE(recorder.print(), 1);
    QCOMPARE(printer.jobs.size(), 1);  // the first page stays printed
    QVERIFY(dialogs.messages.isEmpty());
}

QTEST_GUILESS_MAIN(TestRecorder)
#include "test_recorder.moc"
