// The journal written through history::Journal and read back both through
// plain SQL (what users query) and through the reader the window uses:
// sessions, readings, events, decimation, readout, statistics, retention.
#include "history/historysource.h"
#include "history/journal.h"
#include "history/summary.h"

#include "fakes/journalrows.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>
#include <tuple>

#include <time.h>

using namespace history;

namespace {

constexpr qint64 kStart = 1764590400000;  // 2025-12-01 12:00 UTC
constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

QByteArray answer(const char* pump, char letter, const QByteArray& value)
{
    return QByteArray("Q") + pump + letter + value + 'Y';
}

// A journal of `n` pressure readings every `stepMs`: 1.0 with spikes up
// and down whose heights tell which reading they are (reading i of the test:
// ±(100 + i / 10)). Their times and values are kept for checking.
struct Recorded {
    QVector<qint64> t;
    QVector<double> p;
};

double spiky(int i)
{
    return i % 13 == 0 ? (1000 + i) / 10.0 : i % 17 == 5 ? -(1000 + i) / 10.0 : 1.0;
}

Recorded writeReadings(Journal& journal, TestClocks& clock, int n, qint64 stepMs, int first = 0)
{
    Recorded r;
    for (int i = first; i < first + n; ++i) {
        journal.reading(answer("01", 'N', "01.0"), spiky(i), 150, 2);
        r.t << kStart + clock.mono;
        r.p << spiky(i);
        clock.mono += stepMs;
    }
    return r;
}

}  // namespace

class TestJournal : public QObject {
    Q_OBJECT
private slots:
    void rowsAsUsersQueryThem();
    void sessionsAndUncleanEnds();
    void decimationKeepsEachColumnsExtremes();
    void readoutAndRangeStatistics();
    void retention_data();
    void retention();
    void lostLinkAndSpans();
    void readingReachesTheFileWithinASecond();
};

void TestJournal::rowsAsUsersQueryThem()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new/folder/history.sqlite3"));
    TestClocks clock(kStart);
    QStringList passedOn;  // what live listeners are handed, as the reader gives it back
    {
        Journal journal(path, QStringLiteral("2.0"), clock.clocks());
        QObject::connect(&journal, &Journal::readingTaken, [&](const TakenReading& taken) {
            const Reading r = taken.reading();
            passedOn << QStringLiteral("%1|%2|%3").arg(r.pump).arg(r.pumpText, r.value);
        });
        clock.mono = 1500;
        journal.reading(answer("01", 'N', "01.5"), 1.5, 150, 2);
        journal.reading(answer("01", 'P', "0120"), 1.5, 150, 1.2);  // same millisecond: kept in order
        clock.mono = 3000;
        journal.record(EventKind::FlowSet, QStringLiteral("0150 → 200"), Source::Dialog);
        journal.record(EventKind::Command, QStringLiteral("Q00L0200Y"), Source::Dialog);
        journal.reading(answer("x7", 'L', "1.25"), kNone, 1.25, 1e300);
        clock.wall = kStart + 5000;  // the system clock is set: rows keep their order
        clock.mono = 4000;
        journal.reading(answer("02", 'N', "-0.3"), -0.3, 200, 2);
        QVERIFY(journal.flush());
        QVERIFY(journal.sessionId() > 0);
    }
    QCOMPARE(journalRows(path, QStringLiteral("SELECT * FROM readings")),
             (QStringList{"1|1764590401500|1|N|01.5|1.5|150|2|0", "1|1764590401500|1|P|0120|1.5|150|1.2|1",
                          "1|1764590403000|x7|L|1.25|NULL|1.25|1e+300|0", "1|1764590404000|2|N|-0.3|-0.3|200|2|0"}));
    QCOMPARE(passedOn, (QStringList{"1||01.5", "1||0120", "-1|x7|1.25", "2||-0.3"}));
    QCOMPARE(journalRows(path, QStringLiteral("SELECT * FROM events")),
             (QStringList{"1|1764590403000|flow_set|0150 → 200|dialog|1764590400000",
                          "1|1764590403000|command|Q00L0200Y|dialog|1764590400000"}));
    QCOMPARE(journalRows(path, QStringLiteral("SELECT id, started_ms, ended_ms, app_version, reading_count FROM sessions")),
             QStringList{"1|1764590400000|1764590404000|2.0|4"});
    QCOMPARE(journalRows(path, QStringLiteral("PRAGMA journal_mode")), QStringList{"wal"});
    // The system's monotonic clock counts while the computer sleeps.
    timespec boot{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    QVERIFY(std::llabs(Journal::systemClocks().monotonicMs() - (boot.tv_sec * 1000LL + boot.tv_nsec / 1000000)) < 1000);
}

void TestJournal::sessionsAndUncleanEnds()
{
    JournalFile file;
    TestClocks clock(kStart);
    {
        Journal first(file.path, QStringLiteral("2.0"), clock.clocks());
        first.record(EventKind::PortOpened, QStringLiteral("COM4"), Source::Menu);
        writeReadings(first, clock, 10, 1500);
    }
    // A session whose program died: no end, and nobody holds it.
    QCOMPARE(journalRows(file.path, QStringLiteral("INSERT INTO sessions (started_ms, last_ms) VALUES (1764590500000, 1764590600000)")),
             QStringList());
    clock.wall = kStart + 3600000;
    Journal live(file.path, QStringLiteral("2.1"), clock.clocks());
    QVERIFY(live.flush());
    // A panel starting beside a live one leaves the live session alone.
    Journal beside(file.path, QStringLiteral("2.1"), clock.clocks());
    QVERIFY(beside.flush());

    QString error;
    auto source = openJournal(file.path, &error);
    QVERIFY2(source, qPrintable(error));
    const QList<SessionInfo> sessions = source->sessions();
    QCOMPARE(sessions.size(), 4);
    QCOMPARE(sessions.at(3).id, 1);
    QCOMPARE(sessions.at(3).readings, 10);
    QCOMPARE(sessions.at(3).port, QStringLiteral("COM4"));
    QCOMPARE(sessions.at(3).endedMs, std::optional<qint64>(kStart + 15000));
    QCOMPARE(sessions.at(2).id, 2);
    QVERIFY(!sessions.at(2).endedMs);
    QCOMPARE(sessions.at(2).lastMs, 1764590600000);
    QCOMPARE(journalRows(file.path, QStringLiteral("SELECT session_id, t_ms, kind, detail FROM events WHERE kind = 'unclean_end'")),
             QStringList{"2|1764590600000|unclean_end|no clean exit; noticed when session 3 started"});
    QVERIFY(!sessions.at(1).endedMs);  // the live one
    QVERIFY(!openJournal(file.dir.filePath(QStringLiteral("missing.sqlite3")), &error));
    QVERIFY(error.contains(QStringLiteral("不存在")));
}

// Per column of the plot, the extremes, the count and the first and last
// values are those of the readings that fall into it; summaries (read for
// wide ranges) are placed by their middle, at most half a column off.
void TestJournal::decimationKeepsEachColumnsExtremes()
{
    JournalFile file;
    TestClocks clock(kStart);
    Recorded data;
    {
        Journal journal(file.path, QStringLiteral("2.0"), clock.clocks());
        data = writeReadings(journal, clock, 5000, 1000);
        clock.mono += 60000;  // a gap: the line breaks
        const Recorded more = writeReadings(journal, clock, 3000, 10, 5000);
        data.t += more.t;
        data.p += more.p;
    }
    auto source = openJournal(file.path, nullptr);
    QVERIFY(source);
    struct Case {
        qint64 from, to;
        int columns;
    };
    const qint64 end = data.t.last();
    const QList<Case> cases = {{kStart, end, 1000}, {kStart, end, 50}, {kStart + 123457, kStart + 2000000, 700},
                               {kStart, kStart + 4000 * 1000 + 4, 500}, {kStart - 5000, end + 5000, 3}};
    for (const Case& c : cases) {
        const PlotData plot = source->plot(1, c.from, c.to, c.columns);
        const double columnMs = double(c.to - c.from) / c.columns;
        qint64 total = 0;
        for (int col = 0; col < c.columns; ++col) {
            const ColumnStats& got = plot.series[Pressure][col];
            total += got.count;
            if (got.count == 0)
                continue;
            // Its extremes, first and last happened within half a column of it.
            const qint64 lo = columnStartMs(col, c.from, c.to, c.columns) - qint64(columnMs / 2) - 1;
            const qint64 hi = columnStartMs(col + 1, c.from, c.to, c.columns) + qint64(columnMs / 2) + 1;
            for (const double v : {got.min, got.max, got.first, got.last}) {
                const int i = v == 1.0 ? -1 : int(std::llround(std::fabs(v) * 10)) - 1000;
                QVERIFY2(v == 1.0 || (spiky(i) == v && data.t[i] >= lo && data.t[i] <= hi),
                         qPrintable(QStringLiteral("column %1: %2").arg(col).arg(v)));
            }
        }
        int inRange = 0;
        double min = 1e9, max = -1e9;
        for (int i = 0; i < data.t.size(); ++i) {
            if (data.t[i] >= c.from && data.t[i] <= c.to) {
                ++inRange;
                min = std::min(min, data.p[i]);
                max = std::max(max, data.p[i]);
            }
        }
        QCOMPARE(total, inRange);  // every reading once, no spike lost
        double gotMin = 1e9, gotMax = -1e9;
        for (const ColumnStats& s : plot.series[Pressure]) {
            if (s.count) {
                gotMin = std::min(gotMin, s.min);
                gotMax = std::max(gotMax, s.max);
            }
        }
        QCOMPARE(gotMin, min);
        QCOMPARE(gotMax, max);
    }
    // Where a column holds few readings they are the raw ones: exact.
    const PlotData fine = source->plot(1, kStart + 1000000, kStart + 1100000, 1000);
    QVector<double> expected(1000, kNone);
    for (int i = 1000; i <= 1100; ++i)
        expected[columnOf(data.t[i], fine.fromMs, fine.toMs, 1000)] = data.p[i];
    for (int col = 0; col < 1000; ++col) {
        const ColumnStats& s = fine.series[Pressure][col];
        QCOMPARE(s.count, std::isnan(expected[col]) ? 0 : 1);
        if (s.count)
            QCOMPARE(s.min, expected[col]);
    }
    QCOMPARE(fine.before[Pressure].last, data.p[999]);
    const PlotData whole = source->plot(1, kStart, end, 1000);
    QCOMPARE(whole.covered.size(), 2);
    QCOMPARE(whole.covered.at(0).toMs, data.t[4999]);
    QCOMPARE(whole.covered.at(1).fromMs, data.t[5000]);
}

void TestJournal::readoutAndRangeStatistics()
{
    // A pressure box that held no number at 60 s and 61 s; the pressure at
    // the limit at 180 s (the pump stops itself).
    const auto pressureAt = [](qint64 s) {
        return s == 60 || s == 61 ? kNone : s == 50 ? 1.9 : s == 180 ? 2.0 : 0.5 + (s % 3) / 10.0;
    };
    // No answers while the link was lost (160.5–170 s) and the port gone (195.5–198 s).
    const auto answered = [](qint64 s) { return (s <= 160 || s >= 170) && (s < 196 || s >= 198); };
    JournalFile file;
    TestClocks clock(kStart);
    {
        Journal journal(file.path, QStringLiteral("2.0"), clock.clocks());
        // 120 ml/min from 0 s; run at 10 s; 300 ml/min from 70 s; a stop
        // dropped with no port at 100 s does not stop it; stop at 130 s;
        // run at 150 s and again at 190 s, until the end at 200 s.
        const QList<std::tuple<qint64, EventKind, const char*>> happenings = {
            {10000, EventKind::Command, "Q00R0000Y"}, {100000, EventKind::Command, "dropped, no port open: Q00S0000Y"},
            {130000, EventKind::Command, "Q00S0000Y"}, {150000, EventKind::Command, "Q00R0000Y"},
            {160500, EventKind::LinkLost, ""},        {170000, EventKind::LinkRestored, ""},
            {190000, EventKind::Command, "Q00R0000Y"}, {195500, EventKind::PortLost, "/dev/pts/7"},
            {198000, EventKind::PortOpened, "/dev/pts/7"}};
        int next = 0;
        for (qint64 ms = 0; ms <= 200000; ms += 500) {
            clock.mono = ms;
            for (; next < happenings.size() && std::get<0>(happenings[next]) == ms; ++next)
                journal.record(std::get<1>(happenings[next]), QString::fromLatin1(std::get<2>(happenings[next])),
                               ms == 100000 ? Source::Keypad : Source::Menu);
            const qint64 s = ms / 1000;
            if (ms % 1000 == 0 && answered(s))
                journal.reading(answer("01", 'N', "00.5"), pressureAt(s), s < 70 ? 120 : 300, s == 20 ? kNone : 2);
        }
    }
    auto source = openJournal(file.path, nullptr);
    QVERIFY(source);
    const auto at = source->readingAt(1, kStart + 49999);
    QVERIFY(at);
    QCOMPARE(at->tMs, kStart + 49000);
    QCOMPARE(at->pump, 1);
    QCOMPARE(at->letter, QStringLiteral("N"));
    QCOMPARE(at->value, QStringLiteral("00.5"));
    QCOMPARE(at->flow, std::optional<double>(120));
    QVERIFY(!source->readingAt(1, kStart - 1));
    QVERIFY(!source->readingAt(1, kStart + 20000)->limit);

    struct Case {
        qint64 fromMs, toMs;
        double volume;
        qint64 readings;
        qint64 leftOutMs;
    };
    // Running 10–130 s and 150–200 s: 120 ml/min for 60 s, 300 ml/min for
    // 60 s + 28 s, leaving out 9.5 s without the link, 10 s stopped at the
    // limit until the run at 190 s, 2.5 s without the port; nothing past
    // the session's end.
    const QList<Case> cases = {{0, 200000, 120 + 300 + 140, 190, 22000},
                               {0, 10000, 0, 11, 0},
                               {20000, 80000, 100 + 50, 61, 0},
                               {130000, 150000, 0, 21, 0},
                               {65500, 70500, 120 * 4.5 / 60 + 300 * 0.5 / 60, 5, 0},
                               {-5000, 999000, 560, 190, 22000},
                               {155000, 175000, 27.5 + 25, 12, 9500},
                               {180000, 192000, 10, 13, 10000},
                               {162000, 168000, 0, 0, 6000},
                               {186000, 189000, 0, 4, 3000}};
    // The same with the summaries as a journal wrote them before it kept the
    // time left out: the reader counts their stretches from the readings.
    for (const bool older : {false, true}) {
        if (older)
            journalRows(file.path, QStringLiteral("UPDATE summaries SET stats = substr(stats, 1, length(stats) - 2)"));
        for (const Case& c : cases) {
            const RangeStats stats = source->stats(1, kStart + c.fromMs, kStart + c.toMs);
            QCOMPARE(stats.volumeMl, c.volume);
            QCOMPARE(stats.readings, c.readings);
            QCOMPARE(stats.leftOutMs, c.leftOutMs);
        }
    }
    Summary written;
    written.add(Key{5, 0}, {0.5, 120, 2});
    written.volume = 600;
    Summary older;
    older.first = written.first;
    QVERIFY(older.decode(written.encode().chopped(2)));
    QVERIFY(!older.leftOutKnown && older.volume == 600);

    const RangeStats all = source->stats(1, kStart, kStart + 200000);
    QCOMPARE(*all.minPressure, 0.5);
    QCOMPARE(*all.maxPressure, 2.0);
    // The mean is that of the numbers, whole summaries or single readings.
    double sum = 0;
    int numbers = 0;
    for (int s = 0; s <= 200; ++s) {
        if (answered(s) && !std::isnan(pressureAt(s))) {
            sum += pressureAt(s);
            ++numbers;
        }
    }
    QCOMPARE(*all.meanPressure, sum / numbers);
    QCOMPARE(*source->stats(1, kStart + 59000, kStart + 62000).meanPressure, (pressureAt(59) + pressureAt(62)) / 2);

    int streamed = 0;
    source->forEachReading(1, kStart + 100000, kStart + 200000, [&](const Reading& r) {
        ++streamed;
        return r.tMs < kStart + 150000;
    });
    QCOMPARE(streamed, 51);
    QCOMPARE(source->events(1, kStart, kStart + 200000).size(), 9);
    QCOMPARE(source->events(1, kStart + 100000, kStart + 100000).first().source, QStringLiteral("keypad"));
}

// Old sessions go by the newest row in the file, never by a clock that may
// be wrong, and a session is never older than one made before it.
void TestJournal::retention_data()
{
    QTest::addColumn<QList<int>>("daysAgo");  // when each session was made, by the clock then
    QTest::addColumn<int>("clockDays");       // the clock at the last start
    QTest::addColumn<QStringList>("kept");
    QTest::addColumn<QStringList>("skipped");  // sessions that found the clock behind the file
    QTest::addColumn<int>("longRun");            // the session that ran three days, or -1
    QTest::newRow("older than 90 days before the newest run") << QList<int>{100, 92, 88, 1} << 0
                                                              << QStringList{"3", "4", "5"} << QStringList{} << -1;
    QTest::newRow("clock a year ahead") << QList<int>{100, 50, 1} << 365 << QStringList{"2", "3", "4"} << QStringList{} << -1;
    QTest::newRow("a day while the clock said 2000") << QList<int>{50, 9466, 1} << 0
                                                     << QStringList{"1", "2", "3", "4"} << QStringList{"2"} << -1;
    QTest::newRow("clock behind the newest run") << QList<int>{200, 10} << -100 << QStringList{"1", "2", "3"}
                                                 << QStringList{"3"} << -1;
    // Started 92 days before the newest run and ended 89 days before it: kept.
    QTest::newRow("aged by its last row") << QList<int>{100, 92, 10, 1} << 0 << QStringList{"2", "3", "4", "5"}
                                          << QStringList{} << 1;
}

void TestJournal::retention()
{
    QFETCH(QList<int>, daysAgo);
    QFETCH(int, clockDays);
    JournalFile file;
    TestClocks clock(kStart);
    constexpr qint64 kDay = 24 * 3600 * 1000LL;
    QFETCH(int, longRun);
    for (int i = 0; i < daysAgo.size(); ++i) {
        clock.wall = kStart - daysAgo[i] * kDay;
        Journal journal(file.path, QStringLiteral("2.0"), clock.clocks());
        writeReadings(journal, clock, 100, 1000);
        if (i == longRun) {  // this one's last row comes three days after its start
            clock.mono += 3 * kDay;
            writeReadings(journal, clock, 1, 1000);
        }
    }
    clock.wall = kStart + clockDays * kDay;
    Journal today(file.path, QStringLiteral("2.0"), clock.clocks());
    QVERIFY(today.flush());
    QTEST(journalRows(file.path, QStringLiteral("SELECT id FROM sessions")), "kept");
    QTEST(journalRows(file.path, QStringLiteral("SELECT session_id FROM events WHERE kind = 'retention_skipped'")), "skipped");
    QCOMPARE(journalRows(file.path, QStringLiteral("SELECT count(*) FROM summaries WHERE session_id NOT IN (SELECT id FROM sessions)"
                                                   " UNION ALL SELECT count(*) FROM readings WHERE session_id NOT IN"
                                                   " (SELECT id FROM sessions)")),
             (QStringList{"0", "0"}));
}

// Readings every 1.5 s at 0–30 s and 45–60 s, the link lost at 36 s and
// back at 45 s: one lost stretch from the last reading before the loss to
// the return, and the line is whole on either side of it at any zoom.
void TestJournal::lostLinkAndSpans()
{
    JournalFile file;
    {
        SessionAt run(file.path, kStart);
        for (qint64 t = 0; t <= 60000; t += 1500) {
            if (t == 36000)
                run.event(kStart + t, EventKind::LinkLost);
            if (t == 45000)
                run.event(kStart + t, EventKind::LinkRestored);
            if (t <= 30000 || t >= 45000)
                run.reading(kStart + t, 0.5);
        }
    }
    auto source = openJournal(file.path, nullptr);
    QVERIFY(source);
    const auto spans = [](const QVector<Span>& got) {
        QStringList out;
        for (const Span& s : got)
            out << QStringLiteral("%1-%2").arg(s.fromMs - kStart).arg(s.toMs - kStart);
        return out.join(QLatin1Char(' '));
    };
    for (const int columns : {60, 600, 3000}) {
        const PlotData whole = source->plot(1, kStart, kStart + 60000, columns);
        QCOMPARE(spans(whole.linkLost), QStringLiteral("30000-45000"));
        QCOMPARE(spans(whole.covered), QStringLiteral("0-30000 45000-60000"));
    }
    QCOMPARE(spans(source->plot(1, kStart + 3000, kStart + 12000, 2000).covered), QStringLiteral("3000-12000"));
}

// At the normal poll rate a reading is in the file within a second, with
// no flush: a crash loses at most the last second.
void TestJournal::readingReachesTheFileWithinASecond()
{
    JournalFile file;
    TestClocks clock(kStart);
    Journal journal(file.path, QStringLiteral("2.0"), clock.clocks());
    QVERIFY(journal.flush());  // the file is open and the writer idle
    clock.mono = 1500;
    QElapsedTimer waited;
    waited.start();
    journal.reading(answer("01", 'N', "00.5"), 0.5, 100, 2);
    const QString count = QStringLiteral("SELECT count(*) FROM readings");
    while (journalRows(file.path, count) != QStringList{"1"} && waited.elapsed() < 5000)
        QTest::qWait(20);
    QVERIFY2(waited.elapsed() < 1000, qPrintable(QString::number(waited.elapsed())));
}

QTEST_GUILESS_MAIN(TestJournal)
#include "test_journal.moc"
