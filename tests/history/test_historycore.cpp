#include "fakes/journalrows.h"
#include "history/eventtext.h"
#include "history/export.h"
#include "history/timeaxis.h"

#include <QBuffer>
#include <QtTest>

#include <time.h>

// Runs with TZ=Asia/Shanghai (UTC+8, no daylight saving): local times below
// are China Standard Time.
namespace {

qint64 local(const char* text)
{
    return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODateWithMs).toMSecsSinceEpoch();
}

}  // namespace

class TestHistoryCore : public QObject {
    Q_OBJECT
private slots:
    void ticks_data();
    void ticks();
    void readingLine_data();
    void readingLine();
    void exportsStreamWholeRange();
    void exportStopsAtAFailedWrite();
    void pickSession();
    void alarmBandsAndSummary_data();
    void alarmBandsAndSummary();
};

void TestHistoryCore::ticks_data()
{
    QTest::addColumn<QString>("zone");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("maxTicks");
    QTest::addColumn<qint64>("step");
    QTest::addColumn<QString>("labels");  // "*" marks a tick that starts a new day

    QTest::newRow("milliseconds") << "Asia/Shanghai" << "2024-05-01T14:00:00.050" << "2024-05-01T14:00:00.850" << 5
                                  << qint64(200) << "14:00:00.200* 14:00:00.400 14:00:00.600 14:00:00.800";
    QTest::newRow("seconds") << "Asia/Shanghai" << "2024-05-01T14:00:00.300" << "2024-05-01T14:00:10" << 6
                             << qint64(2000) << "14:00:02* 14:00:04 14:00:06 14:00:08 14:00:10";
    QTest::newRow("ten seconds from an odd start") << "Asia/Shanghai" << "2024-05-01T14:00:07" << "2024-05-01T14:01:07"
                                                   << 6 << qint64(10000)
                                                   << "14:00:10* 14:00:20 14:00:30 14:00:40 14:00:50 14:01:00";
    QTest::newRow("half hours") << "Asia/Shanghai" << "2024-05-01T13:50:00" << "2024-05-01T16:50:00" << 8
                                << qint64(1800000) << "14:00* 14:30 15:00 15:30 16:00 16:30";
    QTest::newRow("days at local midnight") << "Asia/Shanghai" << "2024-04-30T09:00:00" << "2024-05-04T09:00:00" << 5
                                            << qint64(86400000) << "05-01* 05-02* 05-03* 05-04*";
    QTest::newRow("weeks start on Monday") << "Asia/Shanghai" << "2024-05-01T00:00:00" << "2024-06-01T00:00:00" << 6
                                           << qint64(7 * 86400000LL) << "05-06* 05-13* 05-20* 05-27*";
    QTest::newRow("spring forward skips 02:00") << "Europe/Berlin" << "2024-03-31T00:00:00+01:00"
                                                << "2024-03-31T05:00:00+02:00" << 6 << qint64(3600000)
                                                << "00:00* 01:00 03:00 04:00 05:00";
    QTest::newRow("six hours through fall back") << "Europe/Berlin" << "2024-10-26T23:00:00+02:00"
                                                 << "2024-10-28T01:00:00+01:00" << 5 << qint64(6 * 3600000LL)
                                                 << "00:00* 06:00 12:00 18:00 00:00*";
    QTest::newRow("quarter-hour zone keeps whole hours") << "Asia/Kathmandu" << "2024-05-01T10:10:00+05:45"
                                                         << "2024-05-01T14:10:00+05:45" << 5 << qint64(3600000)
                                                         << "11:00* 12:00 13:00 14:00";
}

void TestHistoryCore::ticks()
{
    QFETCH(QString, zone);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, maxTicks);
    QFETCH(qint64, step);
    QFETCH(QString, labels);
    const QTimeZone tz(zone.toLatin1());
    QVERIFY(tz.isValid());
    const auto at = [&](const QString& text) {
        QDateTime t = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (t.timeSpec() == Qt::LocalTime)
            t = QDateTime(t.date(), t.time(), tz);
        return t.toMSecsSinceEpoch();
    };
    const history::TimeAxis axis = history::timeTicks(at(from), at(to), maxTicks, tz);
    QStringList got;
    for (const history::TimeTick& t : axis.ticks)
        got << t.label + (t.newDay ? QStringLiteral("*") : QString());
    QCOMPARE(got.join(QLatin1Char(' ')), labels);
    QCOMPARE(axis.stepMs, step);
    QVERIFY(axis.ticks.size() <= maxTicks);
}

void TestHistoryCore::readingLine_data()
{
    QTest::addColumn<QString>("zone");  // empty: the test's own
    QTest::addColumn<QString>("utc");
    QTest::addColumn<QString>("pump");  // as received; empty: the number 7
    QTest::addColumn<QString>("value");
    QTest::addColumn<double>("pressure");
    QTest::addColumn<double>("limit");
    QTest::addColumn<double>("flow");
    QTest::addColumn<QString>("line");
    const double none = std::nan("");
    // The boxes in their digit patterns, as the CSV log has them; a number
    // the pattern cannot carry keeps its digits.
    const QString at = QStringLiteral("2024-05-01T06:03:23.625Z");
    QTest::newRow("plain") << "" << at << "" << "00.5" << 0.5 << 2.0 << 120.0
                           << "2024-05-01T14:03:23.625+08:00,1.500,07,N,00.5,00.5,02.0,0120\r\n";
    QTest::newRow("box without a number") << "" << at << "" << "0A.5" << none << 1.25 << 0.0
                                          << "2024-05-01T14:03:23.625+08:00,1.500,07,N,0A.5,,1.25,0000\r\n";
    QTest::newRow("comma and quote in the value") << "" << at << "" << "1,\"2" << 0.0001 << -0.0 << 500.0
                                                  << "2024-05-01T14:03:23.625+08:00,1.500,07,N,\"1,\"\"2\",0.0001,00.0,0500\r\n";
    QTest::newRow("line break in the value") << "" << at << "" << "a\nb" << 1.0 << 2.0 << 3.0
                                             << "2024-05-01T14:03:23.625+08:00,1.500,07,N,\"a\nb\",01.0,02.0,0003\r\n";
    QTest::newRow("pump field not two digits") << "" << at << "xx" << "01.7" << 1.7 << 2.0 << 3.0
                                               << "2024-05-01T14:03:23.625+08:00,1.500,xx,N,01.7,01.7,02.0,0003\r\n";
    // The hour that repeats when summer time ends: two hours, told apart.
    QTest::newRow("summer time") << "Europe/Berlin" << "2026-10-25T00:30:00.000Z" << "" << "00.5" << 0.5 << 2.0 << 1.0
                                 << "2026-10-25T02:30:00.000+02:00,1.500,07,N,00.5,00.5,02.0,0001\r\n";
    QTest::newRow("winter time") << "Europe/Berlin" << "2026-10-25T01:30:00.000Z" << "" << "00.5" << 0.5 << 2.0 << 1.0
                                 << "2026-10-25T02:30:00.000+01:00,1.500,07,N,00.5,00.5,02.0,0001\r\n";
}

void TestHistoryCore::readingLine()
{
    QFETCH(QString, zone);
    QFETCH(QString, utc);
    QFETCH(QString, pump);
    QFETCH(QString, value);
    QFETCH(double, pressure);
    QFETCH(double, limit);
    QFETCH(double, flow);
    const QByteArray ownZone = qgetenv("TZ");
    if (!zone.isEmpty()) {
        qputenv("TZ", zone.toLatin1());
        tzset();
    }
    const auto num = [](double v) { return std::isnan(v) ? std::nullopt : std::optional<double>(v); };
    const history::Reading r{QDateTime::fromString(utc, Qt::ISODateWithMs).toMSecsSinceEpoch(), pump.isEmpty() ? 7 : -1,
                             QStringLiteral("N"), value, num(pressure), num(flow), num(limit), pump};
    const QString line = history::exportcsv::readingLine(r, r.tMs - 1500);
    qputenv("TZ", ownZone);
    tzset();
    QTEST(line, "line");
}

void TestHistoryCore::exportsStreamWholeRange()
{
    JournalFile file;
    const qint64 t0 = local("2024-05-01T14:00:00");
    {
        using history::EventKind;
        SessionAt run(file.path, t0);
        run.reading(t0, 0);
        run.event(t0 + 100, EventKind::PressureSet, QStringLiteral("2.0 → 1.0"), history::Source::Dialog);
        run.event(t0 + 200, EventKind::Command, QStringLiteral("Q00R0000Y"), history::Source::Popup);
        run.event(t0 + 300, EventKind::RecordSaveFailed, QStringLiteral("d:\\mytext.txt: \"denied\", full"));
        for (int i = 1; i < 5; ++i)
            run.reading(t0 + i * 1500, 0.1 * i);
    }
    const auto source = history::openJournal(file.path, nullptr);
    QVERIFY(source);
    history::HistorySource& h = *source;

    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString error;
    qint64 written = 0;
    QVERIFY(history::exportcsv::writeReadings(h, 1, t0 + 1500, t0 + 4500, out, &error, &written));
    QCOMPARE(written, qint64(3));
    QCOMPARE(QString::fromUtf8(out.data()),
             history::exportcsv::readingsHeader() + "2024-05-01T14:00:01.500+08:00,0.000,00,N,00.5,00.1,02.0,0100\r\n"
                 "2024-05-01T14:00:03.000+08:00,1.500,00,N,00.5,00.2,02.0,0100\r\n"
                 "2024-05-01T14:00:04.500+08:00,3.000,00,N,00.5,00.3,02.0,0100\r\n");

    QBuffer events;
    events.open(QIODevice::WriteOnly);
    QVERIFY(history::exportcsv::writeEvents(h, 1, t0, t0 + 1000, events, &error));
    QCOMPARE(QString::fromUtf8(events.data()),
             QStringLiteral("time (local ISO 8601),kind,event,detail,source\r\n"
                            "2024-05-01T14:00:00.100+08:00,pressure_set,压力设定,2.0 → 1.0,dialog\r\n"
                            "2024-05-01T14:00:00.200+08:00,command,启动泵,Q00R0000Y,popup\r\n"
                            "2024-05-01T14:00:00.300+08:00,record_save_failed,记录保存失败,"
                            "\"d:\\mytext.txt: \"\"denied\"\", full\",\r\n"));
}

void TestHistoryCore::exportStopsAtAFailedWrite()
{
    JournalFile file;
    {
        SessionAt run(file.path, 0);
        for (int i = 0; i < 20000; ++i)
            run.reading(i * 10, 0.5);
    }
    const auto source = history::openJournal(file.path, nullptr);
    QVERIFY(source);
    history::HistorySource& h = *source;
    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    QString error;
    qint64 written = -1;
    QVERIFY(!history::exportcsv::writeReadings(h, 1, 0, 1000000, readOnly, &error, &written));
    QVERIFY(!error.isEmpty());
    // The rows stop at the first block that did not go out.
    QVERIFY2(written < 2000, qPrintable(QString::number(written)));
}

void TestHistoryCore::pickSession()
{
    const QList<history::SessionInfo> sessions = {{3, 1000}, {5, 3000}, {4, 2000}};
    QCOMPARE(history::exportcsv::pickSession(sessions, std::nullopt)->id, qint64(5));
    QCOMPARE(history::exportcsv::pickSession(sessions, 4)->id, qint64(4));
    QVERIFY(!history::exportcsv::pickSession(sessions, 9));
    QVERIFY(!history::exportcsv::pickSession({}, std::nullopt));
}

void TestHistoryCore::alarmBandsAndSummary_data()
{
    QTest::addColumn<QString>("events");  // "t kind detail;…", t in s
    QTest::addColumn<QString>("spans");   // "from-to …" in s, of the range 10–100 s
    QTest::addColumn<QString>("summary");
    QTest::newRow("none") << "5 command Q00R0000Y" << "" << "无报警";
    QTest::newRow("raised and cleared") << "20 alarm_raised high_pressure 1.60 MPa;50 alarm_cleared high_pressure"
                                        << "20-50" << "报警 1 次：压力过高 1 次；报警持续共 30秒";
    QTest::newRow("clipped to the range, one never cleared")
        << "0 alarm_raised link_lost;30 alarm_cleared link_lost;90 alarm_raised high_pressure"
        << "10-30 90-100" << "报警 1 次：压力过高 1 次；报警持续共 30秒";
    QTest::newRow("ended with the session") << "20 alarm_raised low_pressure;60 app_exit" << "20-60"
                                            << "报警 1 次：压力过低 1 次；报警持续共 40秒";
    QTest::newRow("overlaps count once, repeats counted")
        << "20 alarm_raised high_pressure;30 alarm_raised link_lost;40 alarm_cleared high_pressure;"
           "50 alarm_cleared link_lost;60 alarm_raised high_pressure;70 alarm_cleared high_pressure"
        << "20-40 30-50 60-70" << "报警 3 次：压力过高 2 次，通信中断 1 次；报警持续共 40秒";
}

void TestHistoryCore::alarmBandsAndSummary()
{
    QFETCH(QString, events);
    QList<history::Event> list;
    for (const QString& e : events.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        list << history::Event{e.section(QLatin1Char(' '), 0, 0).toLongLong() * 1000, e.section(QLatin1Char(' '), 1, 1),
                               e.section(QLatin1Char(' '), 2), QString()};
    const QVector<history::Span> spans = history::alarmSpans(list, 10000, 100000);
    QStringList got;
    for (const history::Span& s : spans)
        got << QStringLiteral("%1-%2").arg(s.fromMs / 1000).arg(s.toMs / 1000);
    QTEST(got.join(QLatin1Char(' ')), "spans");
    // The report sums the events of its range.
    QList<history::Event> inRange;
    for (const history::Event& e : list) {
        if (e.tMs >= 10000 && e.tMs <= 100000)
            inRange << e;
    }
    QTEST(history::alarmSummary(inRange, spans), "summary");
}

QTEST_GUILESS_MAIN(TestHistoryCore)
#include "test_historycore.moc"
