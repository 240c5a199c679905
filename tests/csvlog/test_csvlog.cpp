#include "fakes/fakelogfiles.h"
#include "link/panelstate.h"
#include "record/csvlog.h"

#include <QtTest>

namespace {

const QDateTime kStart(QDate(2024, 5, 1), QTime(14, 3, 22, 125), Qt::OffsetFromUTC, 8 * 3600);

// A log on a fake folder with a clock and a local time the test moves.
struct Rig {
    FakeLogFiles files;
    qint64 nowMs = 50'000;
    QDateTime localNow = kStart;
    CsvLog log{files, [this] { return nowMs; }, [this] { return localNow; }};
    PanelState state;

    // The file's lines after the header.
    QStringList lines() const
    {
        QStringList out = QString::fromUtf8(files.lastFile()).split(QStringLiteral("\r\n"));
        out.removeFirst();
        return out;
    }
};

}  // namespace

class TestCsvLog : public QObject {
    Q_OBJECT
private slots:
    void headerNamesColumnsAndUnits();
    void fieldQuoting_data();
    void fieldQuoting();
    void seconds_data();
    void seconds();
    void lineFormat_data();
    void lineFormat();
    void lineIsUtf8ForBytesBeyondAscii();
    void timeIsIso8601WithMillisecondsAndOffset();
    void fileNamedByStartTime();
    void offUntilStartedAndAfterStopped();
    void startWritesHeaderThenOneLinePerAnswer();
    void eachStartMakesANewFile();
    void sameSecondGetsANumberedName();
    void createFailureLeavesLogOffAndSaysWhy();
    void headerWriteFailureLeavesLogOff();
    void writeFailureSwitchesOffOnce();
};

void TestCsvLog::headerNamesColumnsAndUnits()
{
    QCOMPARE(csvlog::headerLine(),
             QStringLiteral("time (local ISO 8601),elapsed (s),pump,letter,value,pnow (MPa),prset (MPa),"
                            "lqset (ml/min)\r\n"));
}

void TestCsvLog::fieldQuoting_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain number") << "01.5" << "01.5";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("spaces kept bare") << " 1 2" << " 1 2";
    QTest::newRow("semicolon needs nothing") << "1;2" << "1;2";
    QTest::newRow("comma") << "1,5" << "\"1,5\"";
    QTest::newRow("quote doubled") << "A\"B" << "\"A\"\"B\"";
    QTest::newRow("only quotes") << "\"\"" << "\"\"\"\"\"\"";
    QTest::newRow("comma and quote") << ",\"" << "\",\"\"\"";
    QTest::newRow("line feed") << "A\nB" << "\"A\nB\"";
    QTest::newRow("carriage return") << "A\rB" << "\"A\rB\"";
    QTest::newRow("other control") << QStringLiteral("A") + QChar(0) + QStringLiteral("B")
                                   << QStringLiteral("\"A") + QChar(0) + QStringLiteral("B\"");
    QTest::newRow("tab") << "A\tB" << "\"A\tB\"";
}

void TestCsvLog::fieldQuoting()
{
    QFETCH(QString, text);
    QFETCH(QString, field);
    QCOMPARE(csvlog::field(text), field);
}

void TestCsvLog::seconds_data()
{
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << "0.000";
    QTest::newRow("5 ms") << qint64(5) << "0.005";
    QTest::newRow("999 ms") << qint64(999) << "0.999";
    QTest::newRow("one second") << qint64(1000) << "1.000";
    QTest::newRow("one poll") << qint64(1500) << "1.500";
    QTest::newRow("61.005") << qint64(61005) << "61.005";
    QTest::newRow("thirty days") << qint64(30) * 24 * 3600 * 1000 + 7 << "2592000.007";
    QTest::newRow("negative") << qint64(-1250) << "-1.250";
}

void TestCsvLog::seconds()
{
    QFETCH(qint64, ms);
    QFETCH(QString, text);
    // Whatever the locale, the point is ".".
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString got = csvlog::seconds(ms);
    QLocale::setDefault(saved);
    QCOMPARE(got, text);
}

void TestCsvLog::lineFormat_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("pnow");
    QTest::addColumn<QString>("prset");
    QTest::addColumn<QString>("lqset");
    QTest::addColumn<QString>("line");
    const QString t = QStringLiteral("2024-05-01T14:03:22.125+08:00,12.345,");
    QTest::newRow("pressure") << QByteArray("Q01N01.5Y") << "01.5" << "02.0" << "0150"
                              << t + "01,N,01.5,01.5,02.0,0150\r\n";
    // The value as received, the box as shown.
    QTest::newRow("limit") << QByteArray("Q07P0150Y") << "00.3" << "01.0" << "0150"
                           << t + "07,P,0150,00.3,01.0,0150\r\n";
    QTest::newRow("flow") << QByteArray("Q00L0120Y") << "00.0" << "02.0" << "0120"
                          << t + "00,L,0120,00.0,02.0,0120\r\n";
    QTest::newRow("unknown letter") << QByteArray("Q01X1234Y") << "00.0" << "02.0" << "0000"
                                    << t + "01,X,1234,00.0,02.0,0000\r\n";
    QTest::newRow("comma in value") << QByteArray("Q01N1,5.Y") << "1,5." << "02.0" << "0000"
                                    << t + "01,N,\"1,5.\",\"1,5.\",02.0,0000\r\n";
    QTest::newRow("quote in value") << QByteArray("Q01N\"AB\"Y") << "\"AB\"" << "02.0" << "0000"
                                    << t + "01,N,\"\"\"AB\"\"\",\"\"\"AB\"\"\",02.0,0000\r\n";
    QTest::newRow("comma in pump number") << QByteArray("Q,1N01.0Y") << "01.0" << "02.0" << "0000"
                                          << t + "\",1\",N,01.0,01.0,02.0,0000\r\n";
    QTest::newRow("quote as letter") << QByteArray("Q01\"0000Y") << "00.0" << "02.0" << "0000"
                                     << t + "01,\"\"\"\",0000,00.0,02.0,0000\r\n";
    QTest::newRow("line break in value") << QByteArray("Q01N0\r\n1Y") << "0\r\n1" << "02.0" << "0000"
                                         << t + "01,N,\"0\r\n1\",\"0\r\n1\",02.0,0000\r\n";
    QTest::newRow("comma in limit box") << QByteArray("Q01P1,25Y") << "00.0" << "1,.5" << "0000"
                                        << t + "01,P,\"1,25\",00.0,\"1,.5\",0000\r\n";
}

void TestCsvLog::lineFormat()
{
    QFETCH(QByteArray, frame);
    QFETCH(QString, pnow);
    QFETCH(QString, prset);
    QFETCH(QString, lqset);
    QFETCH(QString, line);
    csvlog::Entry entry;
    entry.time = kStart;
    entry.elapsedMs = 12345;
    entry.frame = frame;
    entry.pnow = pnow;
    entry.prset = prset;
    entry.lqset = lqset;
    QCOMPARE(csvlog::line(entry), line);
}

void TestCsvLog::lineIsUtf8ForBytesBeyondAscii()
{
    // A byte beyond ASCII is one character, as the box shows it, written in
    // UTF-8 like the rest of the file.
    csvlog::Entry entry;
    entry.time = kStart;
    entry.frame = QByteArray("Q01N01\xB0" "5Y");
    entry.pnow = QString::fromLatin1("01\xB0" "5");
    entry.prset = QStringLiteral("02.0");
    entry.lqset = QStringLiteral("0000");
    QCOMPARE(csvlog::line(entry).toUtf8(),
             QByteArray("2024-05-01T14:03:22.125+08:00,0.000,01,N,01\xC2\xB0" "5,01\xC2\xB0" "5,02.0,0000\r\n"));
}

// The hour that repeats when summer time ends is told apart by its offset.
void TestCsvLog::timeIsIso8601WithMillisecondsAndOffset()
{
    qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    tzset();
    const QDateTime summer = QDateTime::fromMSecsSinceEpoch(1792888200007);  // 02:30 on 25 October 2026
    QCOMPARE(csvlog::timeText(summer), QStringLiteral("2026-10-25T02:30:00.007+02:00"));
    QCOMPARE(csvlog::timeText(summer.addSecs(3600)), QStringLiteral("2026-10-25T02:30:00.007+01:00"));
    QCOMPARE(csvlog::timeText(summer.toUTC()), QStringLiteral("2026-10-25T00:30:00.007+00:00"));
}

void TestCsvLog::fileNamedByStartTime()
{
    QCOMPARE(csvlog::fileName(kStart), QStringLiteral("pump-log-2024-05-01_14-03-22.csv"));
    QCOMPARE(csvlog::fileName(kStart, 2), QStringLiteral("pump-log-2024-05-01_14-03-22-2.csv"));
    QCOMPARE(csvlog::fileName(QDateTime(QDate(2025, 1, 2), QTime(3, 4, 5))),
             QStringLiteral("pump-log-2025-01-02_03-04-05.csv"));
}

void TestCsvLog::offUntilStartedAndAfterStopped()
{
    Rig rig;
    QVERIFY(!rig.log.isOn());
    QVERIFY(rig.log.path().isEmpty());
    QVERIFY(rig.log.record("Q01N01.5Y", rig.state, nullptr));
    QCOMPARE(rig.files.creates, 0);
    QVERIFY(rig.files.files.isEmpty());

    QVERIFY(rig.log.start(nullptr));
    QVERIFY(rig.log.isOn());
    QCOMPARE(rig.log.path(), QStringLiteral("/records/pump-log/pump-log-2024-05-01_14-03-22.csv"));
    rig.log.stop();
    QVERIFY(!rig.log.isOn());
    QVERIFY(rig.log.path().isEmpty());
    QVERIFY(rig.files.openName().isEmpty());
    const QByteArray before = rig.files.lastFile();
    QVERIFY(rig.log.record("Q01N01.5Y", rig.state, nullptr));
    QCOMPARE(rig.files.lastFile(), before);
}

void TestCsvLog::startWritesHeaderThenOneLinePerAnswer()
{
    Rig rig;
    QVERIFY(rig.log.start(nullptr));
    QCOMPARE(rig.files.lastFile(), csvlog::headerLine().toUtf8());

    // Seconds count from the start, by the monotonic clock.
    rig.nowMs += 1500;
    rig.localNow = rig.localNow.addMSecs(1500);
    rig.state.pnow = QStringLiteral("01.5");
    QVERIFY(rig.log.record("Q01N01.5Y", rig.state, nullptr));
    rig.nowMs += 1499;
    rig.localNow = rig.localNow.addMSecs(1499);
    rig.state.lqset = QStringLiteral("0120");
    QVERIFY(rig.log.record("Q03L0120Y", rig.state, nullptr));

    QCOMPARE(rig.lines(), QStringList({QStringLiteral("2024-05-01T14:03:23.625+08:00,1.500,01,N,01.5,01.5,02.0,0000"),
                                       QStringLiteral("2024-05-01T14:03:25.124+08:00,2.999,03,L,0120,01.5,02.0,0120"),
                                       QString()}));
}

void TestCsvLog::eachStartMakesANewFile()
{
    Rig rig;
    QVERIFY(rig.log.start(nullptr));
    QVERIFY(rig.log.record("Q01N01.5Y", rig.state, nullptr));
    const QString first = rig.files.lastName();
    rig.log.stop();

    rig.localNow = rig.localNow.addSecs(60);
    rig.nowMs += 60'000;
    QVERIFY(rig.log.start(nullptr));
    QVERIFY(rig.files.lastName() != first);
    QCOMPARE(rig.files.lastName(), QStringLiteral("pump-log-2024-05-01_14-04-22.csv"));
    QVERIFY(rig.log.record("Q01N01.7Y", rig.state, nullptr));
    // The new file starts its own count; the old one is as it was left.
    QVERIFY(rig.lines().at(0).startsWith(QStringLiteral("2024-05-01T14:04:22.125+08:00,0.000,")));
    QCOMPARE(rig.files.files.value(first).count("\r\n"), 2);
}

void TestCsvLog::sameSecondGetsANumberedName()
{
    Rig rig;
    rig.files.files.insert(QStringLiteral("pump-log-2024-05-01_14-03-22.csv"), "earlier");
    rig.files.files.insert(QStringLiteral("pump-log-2024-05-01_14-03-22-2.csv"), "earlier 2");
    QVERIFY(rig.log.start(nullptr));
    QCOMPARE(rig.files.lastName(), QStringLiteral("pump-log-2024-05-01_14-03-22-3.csv"));
    QCOMPARE(rig.files.files.value(QStringLiteral("pump-log-2024-05-01_14-03-22.csv")), QByteArray("earlier"));
}

void TestCsvLog::createFailureLeavesLogOffAndSaysWhy()
{
    Rig rig;
    rig.files.failCreate = QStringLiteral("Permission denied");
    QString error;
    QVERIFY(!rig.log.start(&error));
    QVERIFY(!rig.log.isOn());
    QVERIFY2(error.contains(QStringLiteral("/records/pump-log")), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("Permission denied")), qPrintable(error));
    QVERIFY(rig.log.record("Q01N01.5Y", rig.state, nullptr));
    QVERIFY(rig.files.files.isEmpty());
}

void TestCsvLog::headerWriteFailureLeavesLogOff()
{
    Rig rig;
    rig.files.appendsBeforeFailure = 0;
    QString error;
    QVERIFY(!rig.log.start(&error));
    QVERIFY(!rig.log.isOn());
    QVERIFY(rig.files.openName().isEmpty());
    QVERIFY2(error.contains(QStringLiteral("No space left on device")), qPrintable(error));
}

void TestCsvLog::writeFailureSwitchesOffOnce()
{
    Rig rig;
    rig.files.appendsBeforeFailure = 2;  // the header and one line
    QVERIFY(rig.log.start(nullptr));
    QVERIFY(rig.log.record("Q01N01.5Y", rig.state, nullptr));
    const QString path = rig.log.path();

    QString error;
    QVERIFY(!rig.log.record("Q01N01.6Y", rig.state, &error));
    QVERIFY(!rig.log.isOn());
    QVERIFY(rig.files.openName().isEmpty());
    QVERIFY2(error.contains(path), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("No space left on device")), qPrintable(error));
    // What was written before stays; later answers neither write nor fail.
    QCOMPARE(rig.lines().size(), 2);
    error.clear();
    QVERIFY(rig.log.record("Q01N01.7Y", rig.state, &error));
    QVERIFY(error.isEmpty());
    QCOMPARE(rig.lines().size(), 2);
}

QTEST_GUILESS_MAIN(TestCsvLog)
#include "test_csvlog.moc"
